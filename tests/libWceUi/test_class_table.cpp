// Every class of the framework registers by name before main. This file
// includes no class header on purpose: a class found here registered from its own library,
// so the link kept its registration.
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "JXHandleDycInfo.h"
#include "WceUiObject.h"
#include "log_helpers.h"
#include "wce/wstring.h"

namespace {

struct ClassRow {
    const char16_t* pName;
    const char16_t* pBase;  // "0" for a root
    bool bCreatable;
};

const ClassRow kClassTable[] = {
    {u"CWceUiObject", u"0", true},
    {u"CWceUiLayer", u"CWceUiObject", true},
    {u"CWceUiDlg", u"CWceUiLayer", true},
    {u"CWceUiButton", u"CWceUiLayer", true},
    {u"CWceUiSlider", u"CWceUiLayer", true},
    {u"CWceUiScrollLayer", u"CWceUiLayer", true},
    {u"CWceUiListBox", u"CWceUiScrollLayer", true},
    {u"CWceUiEditBox", u"CWceUiScrollLayer", true},
    {u"CWceUiSEditBox", u"CWceUiEditBox", true},
    {u"CWceUiMEditBox", u"CWceUiEditBox", true},
    {u"CWceUiGenericBitmap", u"CWceUiObject", false},
    {u"CWceUi565Bitmap", u"CWceUiGenericBitmap", true},
    {u"CWceUi32Bitmap", u"CWceUiGenericBitmap", true},
    {u"CRealGenericWnd", u"CWceUiObject", false},
    {u"CRealWnd", u"CRealGenericWnd", true},
    {u"CRealDlg", u"CRealWnd", true},
    {u"CWceUiRealWnd", u"CRealDlg", true},
    {u"CWceUiWndAnimate", u"CWceUiObject", false},
    {u"CWceUiBarnAni", u"CWceUiWndAnimate", true},
    {u"CWceUiBlendAni", u"CWceUiWndAnimate", true},
    {u"CWceUiSliderAni", u"CWceUiWndAnimate", true},
    {u"CWceUiComeAni", u"CWceUiWndAnimate", true},
    {u"CWceUiGoAni", u"CWceUiWndAnimate", true},
};

void PrintTo(const ClassRow& row, std::ostream* pOut) { *pOut << WideToUtf8(row.pName); }

}  // namespace

class ClassTable : public LogTest, public ::testing::WithParamInterface<ClassRow> {};

TEST_P(ClassTable, RowIsRegisteredWithItsBaseAndCreatability)
{
    const ClassRow& row = GetParam();
    CJxHandleDycInfo* pRegistry = JxGetHandleDycInfo();
    const CJxClassInfo* pInfo = pRegistry->FindClassInfo(row.pName);
    ASSERT_NE(nullptr, pInfo);
    ASSERT_NE(nullptr, pInfo->pFunc);
    if (std::u16string(u"0") == row.pBase)
        EXPECT_EQ(nullptr, pInfo->pBaseClassInfo);
    else
        EXPECT_EQ(pRegistry->FindClassInfo(row.pBase), pInfo->pBaseClassInfo);

    std::unique_ptr<CWceUiObject> object(WceUiCreateObject(row.pName));
    // With the base checked above, the registry's walk (the runtime class test) gives IsKindOf.
    if (row.bCreatable) {
        ASSERT_NE(nullptr, object);
        EXPECT_EQ(std::u16string(row.pName), std::u16string(object->GetClassName()));
    } else {
        EXPECT_EQ(nullptr, object);
        EXPECT_NE(std::u16string::npos, LogText().find(u"error: you must use WCEUI_DYNCREATE_BEGIN"));
    }
}

INSTANTIATE_TEST_SUITE_P(Framework, ClassTable, ::testing::ValuesIn(kClassTable),
                         [](const ::testing::TestParamInfo<ClassRow>& info) {
                             return WideToUtf8(info.param.pName);
                         });
