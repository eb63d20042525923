#include <gtest/gtest.h>

#include "wce/format.h"
#include "wce/wstring.h"

namespace {
std::string W(const std::u16string& s) { return WideToUtf8(s); }
}  // namespace

TEST(Format, WideStringsAndPercent)
{
    EXPECT_EQ(W(WFormatString(u"%02d:%02d:%02d %04d-%02d-%02d  ", 7, 5, 9, 2026, 12, 7)), "07:05:09 2026-12-07  ");
    EXPECT_EQ(W(WFormatString(u"Update fail. \n(%s)", u"uncompress failed")), "Update fail. \n(uncompress failed)");
    EXPECT_EQ(W(WFormatString(u"%d%%", 35)), "35%");
    EXPECT_EQ(W(WFormatString(u"open file %s failed, error code is %d", u"\\SDMMC\\a.msk", 2)),
              "open file \\SDMMC\\a.msk failed, error code is 2");
    EXPECT_EQ(W(WFormatString(u"%s%s.dlg.xml", u"dir\\", u"CBrantelDlg")), "dir\\CBrantelDlg.dlg.xml");
    EXPECT_EQ(W(WFormatString(u"%u.%u.%u.%u", 1u, 3u, 0u, 0u)), "1.3.0.0");
    EXPECT_EQ(WFormatString(u"[%s]", u"\u00e9\u4e2d"), u"[\u00e9\u4e2d]");  // non-ASCII units untouched
    EXPECT_EQ(AFormatString("%s,check(%s)fail", "CWceUiLayer::AppendChild", "NULL != pNewChild"),
              "CWceUiLayer::AppendChild,check(NULL != pNewChild)fail");
    EXPECT_EQ(AFormatString("%S!", u"wide"), "wide!");
    EXPECT_EQ(W(WFormatString(u"%S!", "narrow")), "narrow!");
    EXPECT_EQ(W(WFormatString(u"%ls/%hs", u"w", "n")), "w/n");
    EXPECT_EQ(W(WFormatString(u"%s", static_cast<const char16_t*>(nullptr))), "(null)");
}

TEST(Format, WidthPrecisionAndFlags)
{
    EXPECT_EQ(W(WFormatString(u"[%5d|%-5d|%05d|%+d]", 42, 42, 42, 42)), "[   42|42   |00042|+42]");
    EXPECT_EQ(W(WFormatString(u"[%x|%X|%08x|%#x]", 255u, 255u, 0xBEEFu, 16u)), "[ff|FF|0000beef|0x10]");
    EXPECT_EQ(W(WFormatString(u"[%.3s|%6s|%-6s]", u"abcdef", u"ab", u"ab")), "[abc|    ab|ab    ]");
    EXPECT_EQ(W(WFormatString(u"[%*d|%.*s]", 4, 7, 2, u"xyz")), "[   7|xy]");
    EXPECT_EQ(W(WFormatString(u"%u %d %lld", 4294967295u, -2147483647 - 1, -5LL)), "4294967295 -2147483648 -5");
    EXPECT_EQ(W(WFormatString(u"%c%c", u'o', u'k')), "ok");
    EXPECT_EQ(W(WFormatString(u"%.2f", 3.14159)), "3.14");
}

TEST(Format, TruncatesButCountsEverything)
{
    char16_t buffer[6];
    EXPECT_EQ(WFormat(buffer, 6, u"%s", u"abcdefghij"), 10);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    EXPECT_EQ(WFormat(nullptr, 0, u"%d", 12345), 5);
    char narrow[4];
    EXPECT_EQ(AFormat(narrow, 4, "%d", 123456), 6);
    EXPECT_STREQ(narrow, "123");
    EXPECT_EQ(W(WFormatString(u"100%")), "100%");
    EXPECT_EQ(W(WFormatString(u"%q")), "%q");
    EXPECT_EQ(W(WFormatString(nullptr)), "");
}
