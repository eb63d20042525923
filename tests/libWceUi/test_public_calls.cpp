// The small public calls tools use instead of the framework's inner classes.
#include <algorithm>
#include <utility>
#include <vector>

#include "JXGVar.h"
#include "JXGetBitmap.h"
#include "WceUiCommon.h"
#include "WceUiObject.h"
#include "bitmap_helpers.h"

namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

void AddEntry(void* pContext, LPCWSTR pKey, LPCWSTR pValue)
{
    static_cast<Entries*>(pContext)->emplace_back(pKey, pValue);
}

CWceUiObject* CreateNothing() { return nullptr; }

}  // namespace

TEST_F(SkinTest, ReadConfFileGivesEveryEntryOrFails)
{
    WriteText("SDMMC/a.conf", u"b=2\na=1\nc=x\\ty\n");
    Entries entries;
    ASSERT_TRUE(WceUiReadConfFile(u"\\SDMMC\\a.conf", FALSE, &AddEntry, &entries));
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ((Entries{{u"a", u"1"}, {u"b", u"2"}, {u"c", u"x\\ty"}}), entries);
    entries.clear();
    ASSERT_TRUE(WceUiReadConfFile(u"\\SDMMC\\a.conf", TRUE, &AddEntry, &entries));
    EXPECT_EQ(u"x\ty", std::max_element(entries.begin(), entries.end())->second);  // "c" comes last
    EXPECT_TRUE(m_log.Messages().empty());

    entries.clear();
    EXPECT_FALSE(WceUiReadConfFile(u"\\SDMMC\\none.conf", FALSE, &AddEntry, &entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(m_log.Messages().empty());
    EXPECT_FALSE(WceUiReadConfFile(nullptr, FALSE, &AddEntry, &entries));
    EXPECT_FALSE(WceUiReadConfFile(u"\\SDMMC\\a.conf", FALSE, nullptr, nullptr));
}

TEST_F(SkinTest, CheckBitmapLoadsThroughTheCacheAndKeepsNothing)
{
    Bitmap("res", "a", 16, 0x001F);
    ASSERT_TRUE(WceUiSetResDir(u"\\SDMMC\\res"));
    EXPECT_EQ(u"\\SDMMC\\res\\", std::u16string(WceUiGetResDir()));
    m_log.Clear();
    EXPECT_TRUE(WceUiCheckBitmap(u"a.conf"));
    EXPECT_EQ(0, CJxGVar::GetInstance()->GetCJxBitmapResLoader()->GetCount());
    EXPECT_TRUE(m_log.Messages().empty());

    EXPECT_FALSE(WceUiCheckBitmap(u"missing.conf"));
    EXPECT_FALSE(m_log.Messages().empty());
    EXPECT_FALSE(WceUiCheckBitmap(nullptr));
    EXPECT_FALSE(WceUiSetResDir(nullptr));
    EXPECT_EQ(u"\\SDMMC\\res\\", std::u16string(WceUiGetResDir()));
}

// The number syntax itself is the style values' test: here the call's result and its checks.
TEST_F(LogTest, ParseDecimalTellsWhetherThereWereDigits)
{
    int value = 42;
    EXPECT_TRUE(WceUiParseDecimal(u"-7px", &value));
    EXPECT_EQ(-7, value);
    value = 42;
    EXPECT_FALSE(WceUiParseDecimal(u" 5", &value));
    EXPECT_EQ(0, value);
    EXPECT_FALSE(WceUiParseDecimal(nullptr, &value));
    EXPECT_FALSE(WceUiParseDecimal(u"1", nullptr));
}

TEST_F(LogTest, SetScreenInfoRefusesNonPositiveSettings)
{
    auto screen = [] { return std::vector<int>{WceUiGetScreenWidth(), WceUiGetScreenHeight(), WceUiGetBitsPixel()}; };
    const std::vector<int> before = screen();
    EXPECT_FALSE(WceUiSetScreenInfo(0, 480, 16));
    EXPECT_FALSE(WceUiSetScreenInfo(800, -1, 16));
    EXPECT_FALSE(WceUiSetScreenInfo(800, 480, 0));
    EXPECT_EQ(before, screen());
    ASSERT_TRUE(WceUiSetScreenInfo(321, 123, 32));
    EXPECT_EQ((std::vector<int>{321, 123, 32}), screen());
    EXPECT_TRUE(WceUiSetScreenInfo(before[0], before[1], before[2]));
}

TEST_F(LogTest, RegisteredClassesBecomeCreatable)
{
    EXPECT_TRUE(WceUiIsClassCreatable(u"CWceUiObject"));
    EXPECT_FALSE(WceUiIsClassCreatable(u"CPublicCallsStandIn"));
    ASSERT_TRUE(WceUiRegisterClass(&CreateNothing, u"CPublicCallsStandIn", u"CWceUiObject"));
    EXPECT_TRUE(WceUiIsClassCreatable(u"CPublicCallsStandIn"));

    EXPECT_FALSE(WceUiRegisterClass(nullptr, u"CPublicCallsOther", u"CWceUiObject"));
    EXPECT_FALSE(WceUiRegisterClass(&CreateNothing, u"", u"CWceUiObject"));
    EXPECT_FALSE(WceUiRegisterClass(&CreateNothing, u"CPublicCallsOther", nullptr));
    EXPECT_FALSE(WceUiIsClassCreatable(u"CPublicCallsOther"));
    EXPECT_FALSE(WceUiIsClassCreatable(nullptr));
}
