// Every class of the framework and the application registers by name before main. This file
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
    bool bWritten;  // set when the class arrives
};

const ClassRow kClassTable[] = {
    {u"CWceUiObject", u"0", true, true},
    {u"CWceUiLayer", u"CWceUiObject", true, true},
    {u"CWceUiDlg", u"CWceUiLayer", true, true},
    {u"CWceUiButton", u"CWceUiLayer", true, true},
    {u"CWceUiSlider", u"CWceUiLayer", true, true},
    {u"CWceUiScrollLayer", u"CWceUiLayer", true, true},
    {u"CWceUiListBox", u"CWceUiScrollLayer", true, true},
    {u"CWceUiEditBox", u"CWceUiScrollLayer", true, false},
    {u"CWceUiSEditBox", u"CWceUiEditBox", true, false},
    {u"CWceUiMEditBox", u"CWceUiEditBox", true, false},
    {u"CWceUiGenericBitmap", u"CWceUiObject", false, true},
    {u"CWceUi565Bitmap", u"CWceUiGenericBitmap", true, true},
    {u"CWceUi32Bitmap", u"CWceUiGenericBitmap", true, true},
    {u"CRealGenericWnd", u"CWceUiObject", false, true},
    {u"CRealWnd", u"CRealGenericWnd", true, true},
    {u"CRealDlg", u"CRealWnd", true, true},
    {u"CWceUiRealWnd", u"CRealDlg", true, true},
    {u"CWceUiWndAnimate", u"CWceUiObject", false, true},
    {u"CWceUiBarnAni", u"CWceUiWndAnimate", true, true},
    {u"CWceUiBlendAni", u"CWceUiWndAnimate", true, true},
    {u"CWceUiSliderAni", u"CWceUiWndAnimate", true, true},
    {u"CWceUiComeAni", u"CWceUiWndAnimate", true, true},
    {u"CWceUiGoAni", u"CWceUiWndAnimate", true, true},
    {u"CFileListDlg", u"CWceUiDlg", true, false},
    {u"CBrantelDlg", u"CFileListDlg", true, false},
    {u"CMsgBoxDlg", u"CWceUiDlg", true, false},
};

void PrintTo(const ClassRow& row, std::ostream* pOut) { *pOut << WideToUtf8(row.pName); }

std::vector<ClassRow> WrittenRows()
{
    std::vector<ClassRow> rows;
    for (const ClassRow& row : kClassTable)
        if (row.bWritten) rows.push_back(row);
    return rows;
}

}  // namespace

// A class that registers while its row still says "not written" needs its row switched on.
TEST(ClassTableRows, UnwrittenRowsAreNotRegistered)
{
    for (const ClassRow& row : kClassTable) {
        if (row.bWritten) continue;
        const CJxClassInfo* pInfo = JxGetHandleDycInfo()->FindClassInfo(row.pName);
        EXPECT_TRUE(nullptr == pInfo || nullptr == pInfo->pFunc) << WideToUtf8(row.pName) << " registers now";
    }
}

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
    if (row.bCreatable) {
        ASSERT_NE(nullptr, object);
        EXPECT_EQ(std::u16string(row.pName), std::u16string(object->GetClassName()));
        EXPECT_TRUE(object->IsKindOf(u"CWceUiObject"));
        if (std::u16string(u"0") != row.pBase) {
            EXPECT_TRUE(object->IsKindOf(row.pBase));
        }
    } else {
        EXPECT_EQ(nullptr, object);
        EXPECT_NE(std::u16string::npos, LogText().find(u"error: you must use WCEUI_DYNCREATE_BEGIN"));
    }
}

INSTANTIATE_TEST_SUITE_P(Framework, ClassTable, ::testing::ValuesIn(WrittenRows()),
                         [](const ::testing::TestParamInfo<ClassRow>& info) {
                             return WideToUtf8(info.param.pName);
                         });
