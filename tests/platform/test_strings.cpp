#include <gtest/gtest.h>

#include "wce/cstring.h"
#include "wce/format.h"
#include "wce/wstring.h"

TEST(WideStrings, LengthCopyAndCompare)
{
    EXPECT_EQ(WStrLen(nullptr), 0u);
    EXPECT_EQ(WStrLen(u"abc"), 3u);
    char16_t small[4];
    EXPECT_EQ(WStrCopy(small, 4, u"abcdef"), 3u);
    EXPECT_EQ(std::u16string(small), u"abc");
    EXPECT_EQ(WStrCat(small, 4, u"x"), 3u);
    EXPECT_LT(WStrCmp(u"ab", u"abc"), 0);
    EXPECT_GT(WStrCmp(u"\uFFFF", u"a"), 0);  // unsigned units
    EXPECT_EQ(WStrCmp(nullptr, u""), 0);
}

TEST(WideStrings, CaseInsensitiveForAsciiAndLatin1)
{
    EXPECT_EQ(WStrICmp(u"\\ResidentFlash2\\APP\\KptMain.exe", u"\\residentflash2\\app\\kptmain.exe"), 0);
    EXPECT_EQ(WStrICmp(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
    EXPECT_NE(WStrICmp(u"\u00D7", u"\u00F7"), 0);  // the multiplication and division signs are no letters
    EXPECT_EQ(WStrNICmp(u"ABCx", u"abcy", 3), 0);
    EXPECT_LT(WStrICmp(u"a", u"B"), 0);
}

TEST(WideStrings, Utf8RoundTrip)
{
    const std::string text = "gr\xC3\xBC\xC3\x9F \xE4\xB8\xAD \xF0\x9F\x98\x80";
    std::u16string wide = Utf8ToWide(text);
    EXPECT_EQ(wide.size(), 9u);  // the emoji takes a surrogate pair
    EXPECT_EQ(WideToUtf8(wide), text);
    EXPECT_EQ(Utf8ToWide("a\xFF" "b"), u"a\uFFFD" "b");
    EXPECT_EQ(Utf8ToWide("\xE4\xB8"), u"\uFFFD\uFFFD");  // cut short
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(CStringTest, CopiesShareUntilWritten)
{
    CString a(u"hello");
    CString b = a;
    EXPECT_TRUE(a.SharesBufferWith(b));
    b += u" world";
    EXPECT_FALSE(a.SharesBufferWith(b));
    EXPECT_EQ(a, u"hello");
    EXPECT_EQ(b, u"hello world");
    CString c = b;
    c.SetAt(0, u'J');
    EXPECT_EQ(b, u"hello world");
    EXPECT_EQ(c, u"Jello world");
}

TEST(CStringTest, SelfAppendAndSlices)
{
    CString s(u"ab");
    s += s;
    s += s.c_str();
    EXPECT_EQ(s, u"abababab");
    EXPECT_EQ(s.Mid(2, 3), u"aba");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Right(2), u"ab");
    EXPECT_EQ(s.Mid(50), u"");
    EXPECT_EQ(s.Find(u"bab"), 1);
    EXPECT_EQ(s.ReverseFind(u'a'), 6);
    EXPECT_EQ(CString(u"\\RESIDENTFLASH2").CompareNoCase(u"\\residentflash2"), 0);
    EXPECT_TRUE(CString(nullptr).IsEmpty());
}

TEST(CStringTest, FormatCutsAt1024UnitsAndBuffersAreNotShared)
{
    std::u16string longText(3000, u'x');
    CString s;
    s.Format(u"Update fail. \n(%s)", longText.c_str());
    EXPECT_EQ(s.GetLength(), CString::kFormatLimit);
    s.Format(u"%d%%", 5);
    EXPECT_EQ(s, u"5%");
    s = u"abc";  // a buffer handed out is the string's own
    CString shared = s;
    char16_t* units = s.GetBuffer(10);
    units[3] = u'd';
    units[4] = 0;
    s.ReleaseBuffer();
    EXPECT_EQ(s, u"abcd");
    EXPECT_EQ(shared, u"abc");
}

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
