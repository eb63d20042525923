#include <memory>
#include <string>

#include "JXHandleDycInfo.h"
#include "WceUiObject.h"
#include "log_helpers.h"
#include "wce/wstring.h"

// A small hierarchy of this test's own, shaped like the framework's layers and controls.
class CTestLayer : public CWceUiObject {
    WCEUI_DYNCREATE_BEGIN(CTestLayer, CWceUiObject)
public:
    int m_nValue = 5;
};
WCEUI_DYNCREATE_END(CTestLayer, CWceUiObject)

class CTestButton : public CTestLayer {
    WCEUI_DYNCREATE_BEGIN(CTestButton, CTestLayer)
};
WCEUI_DYNCREATE_END(CTestButton, CTestLayer)

class CTestDlg : public CTestLayer {
    WCEUI_DYNCREATE_BEGIN(CTestDlg, CTestLayer)
};
WCEUI_DYNCREATE_END(CTestDlg, CTestLayer)

class CTestAnimate : public CWceUiObject {
    WCEUI_DYNAMIC_BEGIN(CTestAnimate, CWceUiObject)
public:
    virtual int Frames() const = 0;
};
WCEUI_DYNAMIC_END(CTestAnimate, CWceUiObject)

class CTestFadeAnimate : public CTestAnimate {
    WCEUI_DYNCREATE_BEGIN(CTestFadeAnimate, CTestAnimate)
public:
    int Frames() const override { return 8; }
};
WCEUI_DYNCREATE_END(CTestFadeAnimate, CTestAnimate)

namespace {

CWceUiObject* MakeNothing() { return nullptr; }

}  // namespace

TEST(RuntimeClass, ObjectsCarryTheirMostDerivedClassNameAndItsChain)
{
    CTestButton button;
    CTestButton copy(button);
    EXPECT_EQ(u"CWceUiObject", std::u16string(CWceUiObject().GetClassName()));
    EXPECT_EQ(u"CTestButton", std::u16string(copy.GetClassName()));
    CTestLayer sliced(button);  // copies never carry a foreign class name
    EXPECT_EQ(u"CTestLayer", std::u16string(sliced.GetClassName()));
    sliced = button;
    EXPECT_EQ(u"CTestLayer", std::u16string(sliced.GetClassName()));
    CWceUiObject base(button);
    EXPECT_EQ(u"CWceUiObject", std::u16string(base.GetClassName()));
    EXPECT_TRUE(button.IsKindOf(u"CTestButton"));
    EXPECT_TRUE(button.IsKindOf(u"CTestLayer"));
    EXPECT_TRUE(button.IsKindOf(WCEUI_CLASS_NAME(CWceUiObject)));
    EXPECT_FALSE(button.IsKindOf(u"CTestDlg"));
    EXPECT_FALSE(CTestLayer().IsKindOf(u"CTestButton"));
    CTestFadeAnimate fade;
    EXPECT_TRUE(fade.IsKindOf(u"CTestAnimate"));
    EXPECT_FALSE(fade.IsKindOf(u"CTestLayer"));

    // A name of its own is a kind even when never registered; names compare exactly.
    CWceUiObject object;
    ASSERT_TRUE(object.SetClassName(u"CNeverRegistered"));
    EXPECT_TRUE(object.IsKindOf(u"CNeverRegistered"));
    EXPECT_FALSE(object.IsKindOf(u"cneverregistered"));
}

TEST_F(LogTest, CreationByNameMakesCreatableClassesAndRefusesTheOthers)
{
    std::unique_ptr<CWceUiObject> button(WceUiCreateObject(u"CTestButton"));
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(u"CTestButton", std::u16string(button->GetClassName()));
    EXPECT_EQ(5, static_cast<CTestLayer*>(button.get())->m_nValue);
    std::unique_ptr<CWceUiObject> fade(WceUiCreateObject(u"CTestFadeAnimate"));
    ASSERT_NE(nullptr, fade);
    EXPECT_EQ(8, static_cast<CTestAnimate*>(fade.get())->Frames());

    for (LPCWSTR pName : {static_cast<LPCWSTR>(nullptr), u"", u"CTestAnimate", u"CNoSuchClass", u"ctestbutton"})
        EXPECT_EQ(nullptr, WceUiCreateObject(pName));
    CTestLayer layer;
    for (LPCWSTR pName : {static_cast<LPCWSTR>(nullptr), u""}) {
        EXPECT_FALSE(layer.IsKindOf(pName));
        EXPECT_FALSE(layer.SetClassName(pName));
    }
    EXPECT_EQ(u"CTestLayer", std::u16string(layer.GetClassName()));
    const std::u16string text = LogText();
    for (const char16_t* line :
         {u"error: CWceUiObject::IsKindOf,check(NULL != pBaseClassName)fail\r\n",
          u"error: CWceUiObject::SetClassName,check(*pClassName)fail\r\n", u"error: WceUiCreateObject,check(*pClassName)fail\r\n",
          u"error: you must use WCEUI_DYNCREATE_BEGIN/WCEUI_DYNCREATE_END for dynamic create object,not "
          u"WCEUI_DYNAMIC_BEGIN/WCEUI_DYNAMIC_END.\r\n",
          u"error: can not create class:CNoSuchClass, check WCEUI_DYNCREATE_BEGIN/ WCEUI_DYNCREATE_END\r\n",
          u"can not create class:ctestbutton,"})
        EXPECT_NE(std::u16string::npos, text.find(line)) << WideToUtf8(line);
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
    EXPECT_TRUE(registry.IsKindOf(u"CDerived", u"CRoot"));
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
    EXPECT_NE(std::u16string::npos, LogText().find(u"can not create class:CMissingBase,"));
    EXPECT_FALSE(registry.IsKindOf(u"CChild", u"CUnknown"));
    EXPECT_TRUE(registry.IsKindOf(u"CUnknown", u"CUnknown"));
    // A mistaken cycle ends the walk instead of hanging it.
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CLoopA", u"CLoopB"));
    ASSERT_TRUE(registry.RegisterClassInfo(&MakeNothing, u"CLoopB", u"CLoopA"));
    EXPECT_FALSE(registry.IsKindOf(u"CLoopA", u"CChild"));
}
