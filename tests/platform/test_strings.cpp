#include <gtest/gtest.h>

#include "wce/cstring.h"
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
