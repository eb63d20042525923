// The value texts of skin files: rectangles, color literals and table values, numbers.
#include <climits>

#include "JXGlobal.h"
#include "doc_test_helpers.h"
#include "wce/gdi.h"

TEST(StyleValues, RectangleTexts)
{
    const RECT kUnchanged = {-7, -7, -7, -7};
    const struct { const char16_t* text; bool valid; RECT rect; } cases[] = {
        {u"10,20,100,50", true, {10, 20, 110, 70}},
        {u"10, 20, 300, 40", true, {10, 20, 310, 60}},
        {u"-5,-5,10,10", true, {-5, -5, 5, 5}},
        {u"10 20 -5 4", true, {10, 20, 5, 24}},  // inverted: empty for every rectangle function
        {u"\t1\r\n2\n3 4 99 junk", true, {1, 2, 4, 6}},
        {u"1a2,3,4,5", true, {1, 3, 5, 8}},  // "2" follows a letter: skipped
        {u"10,20,30", false, kUnchanged},
        {u"x10,20,30,40", false, kUnchanged},
        {u"10;20;30;40", false, kUnchanged},
        {u"+5,1,2,3", false, kUnchanged},
        {u"", false, kUnchanged},
        {u"2147483647,-2147483648,1,-1", true, {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},  // saturated, no overflow
        {u"2147483648,0,1,1", false, kUnchanged},
        {u"0,0,99999999999999999999,1", false, kUnchanged},
    };
    for (const auto& c : cases) {
        RECT rc = kUnchanged;
        EXPECT_EQ(c.valid, !!ConvertRectStrToRect(c.text, &rc)) << Utf8(c.text);
        EXPECT_TRUE(EqualRect(&c.rect, &rc)) << Utf8(c.text) << " -> " << rc.left << "," << rc.top << ","
                                             << rc.right << "," << rc.bottom;
    }
}

TEST(StyleValues, ColorTexts)
{
    const struct {
        const char16_t* text;
        bool literal, tableValue;  // valid in a style file, in the color table
        COLORREF color;
    } cases[] = {
        {u"0x0000FF", true, true, 0xFF0000},  // pure blue
        {u"0xFF8000", true, true, 0x0080FF},
        {u"0xabc", true, true, 0xBC0A00},
        {u"0x1FF8000", true, true, 0x0080FF},  // only the low 24 bits count
        {u"0xFFFFFFFF", true, true, 0xFFFFFF},
        {u"0x12zz", true, true, 0x120000},
        {u"0X00FF00", false, true, 0x00FF00},
        {u"0x", false, false, 0},
        {u"FF0000", false, true, 0x0000FF},
        {u"title", false, false, 0},
        {u"", false, false, 0},
    };
    for (const auto& c : cases) {
        COLORREF cr = 0x5A5A5A5A;
        EXPECT_EQ(c.literal, !!JxParseColorLiteral(c.text, &cr)) << Utf8(c.text);
        if (c.literal) { EXPECT_EQ(c.color, cr) << Utf8(c.text); }
        cr = 0x5A5A5A5A;
        EXPECT_EQ(c.tableValue, !!JxParseColorValue(c.text, &cr)) << Utf8(c.text);
        if (c.tableValue) { EXPECT_EQ(c.color, cr) << Utf8(c.text); }
    }
}

TEST(StyleValues, DecimalNumbers)
{
    const struct { const char16_t* text; int value; bool digits; } cases[] = {
        {u"12", 12, true},         {u"-20", -20, true},       {u"007px", 7, true},
        {u"", 0, false},           {u"-", 0, false},          {u"bold", 0, false},
        {u" 5", 0, false},         {u"--5", 0, false},        {u"99999999999", INT_MAX, true},
        {u"-99999999999", INT_MIN, true},
    };
    for (const auto& c : cases) {
        BOOL bDigits = !c.digits;
        EXPECT_EQ(c.value, JxParseDecimal(c.text, &bDigits)) << Utf8(c.text);
        EXPECT_EQ(c.digits, !!bDigits) << Utf8(c.text);
    }
}
