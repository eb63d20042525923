// The class registry: names, kinds and creation by name, and the records it keeps when a
// derived class registers before its base.
#include <memory>
#include <string>

#include "JXHandleDycInfo.h"
#include "WceUiObject.h"
#include "doc_test_helpers.h"

class CTestLayer : public CWceUiObject {
    WCEUI_DYNCREATE_BEGIN(CTestLayer, CWceUiObject)
};
WCEUI_DYNCREATE_END(CTestLayer, CWceUiObject)

class CTestButton : public CTestLayer {
    WCEUI_DYNCREATE_BEGIN(CTestButton, CTestLayer)
};
WCEUI_DYNCREATE_END(CTestButton, CTestLayer)

class CTestAnimate : public CWceUiObject {
    WCEUI_DYNAMIC_BEGIN(CTestAnimate, CWceUiObject)
};
WCEUI_DYNAMIC_END(CTestAnimate, CWceUiObject)

namespace {

CWceUiObject* MakeNothing() { return nullptr; }

}  // namespace

TEST_F(LogTest, CopiesKeepTheirOwnClassNameAndOnlyCreatableClassesAreMadeByName)
{
    std::unique_ptr<CWceUiObject> made(WceUiCreateObject(u"CTestLayer"));
    ASSERT_NE(nullptr, made);
    EXPECT_TRUE(made->IsKindOf(u"CWceUiObject"));
    CTestButton button;
    CTestLayer sliced(button);  // copies never carry a foreign class name
    EXPECT_EQ(u"CTestLayer", std::u16string(sliced.GetClassName()));
    sliced = button;
    EXPECT_EQ(u"CTestLayer", std::u16string(sliced.GetClassName()));
    for (LPCWSTR pName : {static_cast<LPCWSTR>(nullptr), u"", u"CTestAnimate", u"CNoSuchClass", u"ctestlayer"})
        EXPECT_EQ(nullptr, WceUiCreateObject(pName));
    // A name of its own is a kind even when never registered; empty names are refused.
    CWceUiObject object;
    ASSERT_TRUE(object.SetClassName(u"CNeverRegistered"));
    EXPECT_TRUE(object.IsKindOf(u"CNeverRegistered"));
    EXPECT_FALSE(object.IsKindOf(u"cneverregistered"));
    for (LPCWSTR pName : {static_cast<LPCWSTR>(nullptr), u""}) {
        EXPECT_FALSE(object.IsKindOf(pName));
        EXPECT_FALSE(object.SetClassName(pName));
    }
}

TEST(ClassRegistry, DerivedBeforeBaseCompletesOnceTheBaseRegistersAndRepeatsAreHarmless)
{
    CJxHandleDycInfo registry;
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CDerived", u"CBase"));
    const CJxClassInfo* pBase = registry.FindClassInfo(u"CBase");
    ASSERT_NE(nullptr, pBase);
    EXPECT_EQ(nullptr, pBase->pFunc);  // an empty record, waiting for its class
    EXPECT_EQ(pBase, registry.FindClassInfo(u"CDerived")->pBaseClassInfo);

    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CBase", u"CRoot"));
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CRoot", u"0"));
    EXPECT_EQ(pBase, registry.FindClassInfo(u"CBase"));  // completed in place
    EXPECT_EQ(&MakeNothing, pBase->pFunc);
    EXPECT_EQ(nullptr, registry.FindClassInfo(u"0"));  // "0" ends the chain
    EXPECT_TRUE(registry.IsKindOf(u"CDerived", u"CRoot"));
    EXPECT_FALSE(registry.IsKindOf(u"CRoot", u"CDerived"));

    // Registering again adds nothing, also the same name from another translation unit's pointer.
    const std::u16string copy = u"CBase";
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, copy.c_str(), u"CRoot"));
        ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CDerived", u"CBase"));
    }
    EXPECT_EQ(3, registry.GetCount());
    EXPECT_EQ(pBase, registry.FindClassInfo(u"CBase"));
}

TEST_F(LogTest, RegistryRefusesWhatCannotBeCreatedOrWalked)
{
    CJxHandleDycInfo registry;
    EXPECT_FALSE(registry.RegisterClassInfo(nullptr, u"CNoFunction", u"0"));
    EXPECT_EQ(nullptr, registry.FindClassInfo(u"CNoFunction"));
    // A base named but never registered has no creation function: refused, not called; and it
    // is a kind of nothing but itself.
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CChild", u"CMissingBase"));
    EXPECT_EQ(nullptr, registry.CreateObject(u"CMissingBase"));
    EXPECT_FALSE(registry.IsKindOf(u"CChild", u"CUnknown"));
    EXPECT_TRUE(registry.IsKindOf(u"CUnknown", u"CUnknown"));
    // A mistaken cycle ends the walk instead of hanging it.
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CLoopA", u"CLoopB"));
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CLoopB", u"CLoopA"));
    EXPECT_FALSE(registry.IsKindOf(u"CLoopA", u"CChild"));
}
