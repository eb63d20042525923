// Text: where each flag puts the text, line breaking and ellipses compared with the same text
// broken by hand, extents that match what is drawn, faces and styles, blending, and inputs
// that must neither fail wrongly nor reach outside the bitmap.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "gdi_canvas.h"
#include "temp_device.h"

namespace {

SIZE Extent(HDC dc, const std::u16string& s)
{
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size));
    return size;
}

int Draw(HDC dc, const std::u16string& s, RECT rc, UINT flags)
{
    return DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &rc, flags);
}

// A canvas with a font selected that draws text without a background.
struct TextCanvas : Canvas {
    TextCanvas(int bits, int w, int h, const LOGFONTW& lf, COLORREF background = RGB(255, 255, 255))
        : Canvas(bits, w, h, background), font(*this, lf)
    {
        SetBkMode(*this, TRANSPARENT);
    }
    UseFont font;
};

// The bytes of a text drawn on a fresh 200 x 80 canvas with the given font.
std::vector<BYTE> Rendered(const LOGFONTW& lf, const std::u16string& s, RECT rc = {4, 4, 196, 76}, UINT flags = 0,
                           int bits = 32)
{
    TextCanvas c(bits, 200, 80, lf);
    Draw(c, s, rc, flags);
    return c.Bytes();
}

const LOGFONTW kSans = Describe(u"DejaVu Sans", -16);
const LOGFONTW kMono = Describe(u"DejaVu Sans Mono", -16);

class TextOnBothDepths : public ::testing::TestWithParam<int> {};

TEST_P(TextOnBothDepths, EachFlagPlacesTheLineAtItsCorner)
{
    TextCanvas c(GetParam(), 140, 70, kSans), ref(GetParam(), 140, 70, kSans);
    const std::u16string text = u"HH";
    const SIZE e = Extent(c, text);
    const LONG lh = e.cy;
    const RECT rc{10, 10, 120, 60};
    struct Case {
        UINT flags;
        LONG x, y;
        int result;
    } cases[] = {
        {DT_LEFT, 10, 10, lh},
        {DT_CENTER, 10 + ((110 - e.cx) >> 1), 10, lh},
        {DT_RIGHT, 120 - e.cx, 10, lh},
        {DT_VCENTER | DT_BOTTOM, 10, 10, lh},  // vertical flags need DT_SINGLELINE
        {DT_SINGLELINE | DT_VCENTER, 10, 10 + ((50 - lh) >> 1), ((50 - lh) >> 1) + lh},
        {DT_SINGLELINE | DT_BOTTOM, 10, 60 - lh, 50},
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, 10 + ((110 - e.cx) >> 1), 10 + ((50 - lh) >> 1), ((50 - lh) >> 1) + lh},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, 120 - e.cx, 60 - lh, 50},
    };
    for (const Case& k : cases) {
        c.Clear();
        ref.Clear();
        EXPECT_EQ(k.result, Draw(c, text, rc, k.flags)) << k.flags;
        Draw(ref, text, RECT{k.x, k.y, k.x + 500, k.y + 500}, DT_NOCLIP);
        EXPECT_EQ(ref.Bytes(), c.Bytes()) << k.flags;
        RECT ink = c.InkBox();
        EXPECT_TRUE(ink.left >= k.x && ink.right <= k.x + e.cx && ink.top >= k.y && ink.bottom <= k.y + lh &&
                    ink.right > ink.left)
            << k.flags << ": ink " << ink.left << "," << ink.top << "," << ink.right << "," << ink.bottom;
    }
}

TEST_P(TextOnBothDepths, FullCoverageIsTheTextColourAndOpaqueFillsTheLineBox)
{
    TextCanvas c(GetParam(), 80, 60, Describe(u"DejaVu Sans", -32), RGB(250, 250, 250));
    const COLORREF ink = RGB(200, 40, 8);
    SetTextColor(c, ink);
    if (32 == GetParam())  // alpha 255 everywhere
        for (int i = 0; i < c.width * c.height; ++i) static_cast<DWORD*>(c.pixels)[i] |= 0xFF000000u;
    Draw(c, u"\u2588", RECT{0, 0, 80, 60}, 0);  // a full block
    RECT box = c.InkBox();
    ASSERT_FALSE(IsRectEmpty(&box));
    int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    EXPECT_EQ(c.Stored(ink), GetPixel(c, cx, cy));
    if (32 == GetParam()) {
        const DWORD* px = static_cast<const DWORD*>(c.pixels);
        int stride = c.width;
        EXPECT_EQ(0u, px[(c.height - 1 - cy) * stride + cx] >> 24);  // drawn: alpha 0
        EXPECT_EQ(0xFFu, px[(c.height - 1) * stride + c.width - 1] >> 24);  // untouched
    }

    c.Clear();
    SetBkMode(c, OPAQUE);
    SetBkColor(c, RGB(0, 0, 255));
    SIZE e = Extent(c, u"Hi");
    Draw(c, u"Hi", RECT{5, 7, 80, 60}, 0);
    RECT filled = c.InkBox(), expected{5, 7, 5 + e.cx, 7 + e.cy};
    EXPECT_TRUE(EqualRect(&filled, &expected));
    EXPECT_EQ(c.Stored(RGB(0, 0, 255)), GetPixel(c, 5, 7));
}

INSTANTIATE_TEST_SUITE_P(Depths, TextOnBothDepths, ::testing::Values(16, 32));

TEST(TextLines, BreaksAndEllipsesDrawAsTheTextBrokenByHand)
{
    TextCanvas probe(32, 4, 4, kMono);
    const LONG a = Extent(probe, u"a").cx, lh = Extent(probe, u"a").cy;
    struct Case {
        const char16_t* text;
        LONG width, height;
        UINT flags;
        const char16_t* expected;
        UINT expectedFlags;
    } cases[] = {
        {u"aaa bbb ccc", 7 * a, 70, DT_WORDBREAK, u"aaa bbb\nccc", 0},
        {u"aaa bbb ccc", 7 * a - 1, 70, DT_WORDBREAK, u"aaa\nbbb\nccc", 0},
        {u"aaa bbb   ccc", 8 * a, 70, DT_WORDBREAK | DT_CENTER, u"aaa bbb\nccc", DT_CENTER},  // blanks at a break go
        {u"a verylongword b", 5 * a, 70, DT_WORDBREAK, u"a\nverylongword\nb", 0},
        {u"a\r\nb", 50, 70, 0, u"a\nb", 0},
        {u"a\rb\n\nc", 50, 70, 0, u"a\nb\n\nc", 0},
        {u"a\r\nb", 50, 70, DT_SINGLELINE, u"ab", DT_SINGLELINE},
        {u"abcdefghij", 7 * a, 70, DT_SINGLELINE | DT_END_ELLIPSIS, u"abcd...", DT_SINGLELINE},
        {u"abcdefghij", 8 * a - 1, 70, DT_SINGLELINE | DT_WORD_ELLIPSIS, u"abcd...", DT_SINGLELINE},
        {u"abcdefghij", 2 * a, 70, DT_SINGLELINE | DT_END_ELLIPSIS, u"...", DT_SINGLELINE},
        {u"abc", 7 * a, 70, DT_SINGLELINE | DT_END_ELLIPSIS, u"abc", DT_SINGLELINE},
        {u"abcdefghij\nab", 7 * a, 70, DT_END_ELLIPSIS, u"abcd...\nab", 0},
        // More lines than fit: the last line that fits ends the text, nothing below it.
        {u"aaaa bbbb cccc dddd", 4 * a + 2, 2 * lh + 3, DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOCLIP, u"aaaa\nb...",
         DT_NOCLIP},
        {u"aaaa bbbb cccc dddd", 4 * a + 2, lh - 1, DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOCLIP, u"a...", DT_NOCLIP},
        {u"aa bb cc", 5 * a, 2 * lh, DT_WORDBREAK | DT_END_ELLIPSIS, u"aa bb\ncc", 0},
    };
    for (const Case& k : cases) {
        RECT rc{4, 4, 4 + k.width, 4 + k.height};
        EXPECT_EQ(Rendered(kMono, k.expected, rc, k.expectedFlags), Rendered(kMono, k.text, rc, k.flags))
            << std::string(k.text, k.text + std::char_traits<char16_t>::length(k.text)).c_str();
    }
}

TEST(TextExtents, CalcRectAndExtentMatchWhereTextIsDrawn)
{
    TextCanvas c(32, 300, 60, kSans), ref(32, 300, 60, kSans);
    const LONG lh = Extent(c, u"x").cy;
    for (std::u16string s : {u"HH", u"R&D.msk", u"Wave Ty\u00e9", u"\U0001F600x\xD800", u"a\tb", u""}) {
        c.Clear();
        RECT rc{10, 20, 11, 21};
        EXPECT_EQ(lh, DrawTextW(c, s.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE));
        EXPECT_EQ(Extent(c, s).cx, rc.right - 10);
        EXPECT_EQ(lh, rc.bottom - 20);
        EXPECT_EQ(0, c.Ink());  // calc-rect draws nothing
        // Each prefix's extent is where the rest of the line is drawn.
        for (std::size_t k = 1; k < s.size(); ++k) {
            if (s[k] >= 0xDC00 && s[k] < 0xE000) continue;  // not inside a surrogate pair
            c.Clear();
            ref.Clear();
            // Without clipping to the rectangle: ink may overhang the pen position.
            Draw(c, s, RECT{10, 10, 300, 60}, DT_SINGLELINE | DT_NOCLIP);
            Draw(ref, s.substr(0, k), RECT{10, 10, 300, 60}, DT_SINGLELINE | DT_NOCLIP);
            Draw(ref, s.substr(k), RECT{10 + Extent(c, s.substr(0, k)).cx, 10, 300, 60}, DT_SINGLELINE | DT_NOCLIP);
            EXPECT_EQ(ref.Bytes(), c.Bytes()) << std::string(s.begin(), s.end()) << " split at " << k;
        }
    }
    RECT rc{0, 0, 1, 1};
    EXPECT_EQ(3 * lh, DrawTextW(c, u"ab\r\ncdef\nx", -1, &rc, DT_CALCRECT));
    EXPECT_EQ(Extent(c, u"cdef").cx, rc.right);
    EXPECT_EQ(3 * lh, rc.bottom);
    rc = RECT{0, 0, 40, 1};
    DrawTextW(c, u"some words to wrap", -1, &rc, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(40, rc.right);  // kept with word breaking
    EXPECT_GT(rc.bottom, lh);

    // '&' is text, not a prefix mark.
    EXPECT_EQ(Rendered(kSans, u"R&D.msk", {4, 4, 196, 76}, DT_NOPREFIX), Rendered(kSans, u"R&D.msk"));
    EXPECT_GT(Extent(c, u"R&D").cx, Extent(c, u"RD").cx);

    // Tabs expand to stops of eight average widths; without stops a tab is a space.
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(c, &tm));
    c.Clear();
    ref.Clear();
    Draw(c, u"a\tb", RECT{3, 0, 300, 60}, DT_EXPANDTABS);
    Draw(ref, u"a", RECT{3, 0, 300, 60}, 0);
    Draw(ref, u"b", RECT{3 + 8 * tm.tmAveCharWidth, 0, 300, 60}, 0);
    EXPECT_EQ(ref.Bytes(), c.Bytes());
    EXPECT_EQ(Extent(c, u"a b").cx, Extent(c, u"a\tb").cx);
}

TEST(TextFonts, MetricsFollowTheDescription)
{
    Canvas c(16, 8, 8);
    const struct {
        LONG height, width, tmHeight;  // tmHeight 0: not checked
    } cases[] = {{-16, 0, 19}, {0, 0, 19}, {24, 0, 24}, {-40, 0, 0}, {-16, 20, 19}};
    for (const auto& k : cases) {
        LOGFONTW lf = kSans;
        lf.lfHeight = k.height;
        lf.lfWidth = k.width;
        UseFont f(c, lf);
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(c, &tm));
        EXPECT_EQ(k.tmHeight ? k.tmHeight : tm.tmHeight, tm.tmHeight) << k.height;
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(0, tm.tmExternalLeading);
        EXPECT_EQ(tm.tmHeight, Extent(c, u"x").cy);
        EXPECT_EQ(k.width ? k.width : tm.tmAveCharWidth, tm.tmAveCharWidth);
        EXPECT_NEAR(tm.tmAveCharWidth, Extent(c, u"xxxxxxxxxx").cx / 10, tm.tmAveCharWidth / 3);  // glyphs scale
    }
}

TEST(TextFonts, FacesByNameAndStyle)
{
    const std::u16string text = u"Hamburg 42";
    const auto sans = Rendered(kSans, text);
    for (const char16_t* name : {u"", u"System", u"No Such Face", u"DEJAVU sans"})
        EXPECT_EQ(sans, Rendered(Describe(name, -16), text)) << "face name " << name[0];
    EXPECT_NE(sans, Rendered(kMono, text));
    EXPECT_NE(sans, Rendered(Describe(u"dejavu serif", -16), text));
    EXPECT_EQ(sans, Rendered(Describe(u"DejaVu Sans", -16, 599), text));

    // Bold has more ink; italic leans right (ink of the top rows of an "l" further right than
    // of its bottom rows) and keeps the advances.
    Canvas c(32, 200, 80);
    struct Look {
        int ink;
        long lean;
        LONG advance;
    };
    auto look = [&](const LOGFONTW& lf) {
        c.Clear();
        UseFont f(c, lf);
        Draw(c, u"l", RECT{20, 0, 196, 76}, 0);
        auto centre = [&](int top) {
            long sum = 0, n = 0;
            for (int y = top; y < top + 10; ++y)
                for (int x = 0; x < 200; ++x)
                    if (GetPixel(c, x, y) != c.Fill()) sum += x, ++n;
            return n ? sum / n : -1;
        };
        return Look{c.Ink(), centre(10) - centre(28), Extent(c, text).cx};
    };
    Look regular = look(Describe(u"DejaVu Sans", -40)), bold = look(Describe(u"DejaVu Sans", -40, FW_SEMIBOLD)),
         italic = look(Describe(u"DejaVu Sans", -40, FW_NORMAL, 1));
    EXPECT_GT(bold.ink, regular.ink * 5 / 4);
    EXPECT_LE(std::abs(regular.lean), 1);
    EXPECT_GE(italic.lean, 3);
    EXPECT_EQ(regular.advance, italic.advance);
}

// The face table's files: added faces, missing files falling back and then failing, and the
// font folder from the environment.
TEST(TextFonts, FontFilesOfTheFaceTable)
{
    const auto sans = Rendered(kSans, u"Serif?"), mono = Rendered(kMono, u"Serif?");
    wce::host::SetFontFile("My Face", false, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    EXPECT_EQ(mono, Rendered(Describe(u"my face", -16), u"Serif?"));

    testing::internal::CaptureStderr();
    wce::host::SetFontFile("DejaVu Serif", false, "/no/such/serif.ttf");
    EXPECT_EQ(sans, Rendered(Describe(u"DejaVu Serif", -16), u"Serif?"));
    wce::host::SetFontFile("DejaVu Sans", false, "/no/such/sans.ttf");
    Canvas c(16, 20, 20);
    SIZE size;
    TEXTMETRICW tm;
    EXPECT_EQ(0, Draw(c, u"x", RECT{0, 0, 20, 20}, 0));
    EXPECT_FALSE(GetTextExtentPoint32W(c, u"x", 1, &size));
    EXPECT_FALSE(GetTextMetricsW(c, &tm));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Has(err, {"/no/such/serif.ttf", "/no/such/sans.ttf"}));
    wce::host::SetFontFile("DejaVu Sans", false, "");
    wce::host::SetFontFile("DejaVu Serif", false, "");
    EXPECT_EQ(sans, Rendered(kSans, u"Serif?"));
    EXPECT_NE(sans, Rendered(Describe(u"DejaVu Serif", -16), u"Serif?"));

    auto folder = std::filesystem::temp_directory_path() / ("wce-fonts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", folder / "DejaVuSans.ttf",
                               std::filesystem::copy_options::overwrite_existing);
    setenv("WCE_FONT_DIR", folder.c_str(), 1);
    wce::host::SetFontFile("DejaVu Sans", false, "");  // faces open again, from the new folder
    EXPECT_EQ(mono, Rendered(kSans, u"Serif?"));
    unsetenv("WCE_FONT_DIR");
    wce::host::SetFontFile("DejaVu Sans", false, "");
    EXPECT_EQ(sans, Rendered(kSans, u"Serif?"));
    std::filesystem::remove_all(folder);
}

TEST(TextFonts, UnderlineStrikeOutAndMonochrome)
{
    const struct {
        BYTE underline, strikeOut, quality;
    } cases[] = {{1, 0, 0}, {0, 1, 0}, {1, 1, NONANTIALIASED_QUALITY}};
    for (const auto& k : cases) {
        LOGFONTW lf = Describe(u"DejaVu Sans", -20);
        lf.lfUnderline = k.underline;
        lf.lfStrikeOut = k.strikeOut;
        lf.lfQuality = k.quality;
        TextCanvas c(32, 120, 40, lf);
        SetTextColor(c, RGB(0, 0, 160));
        TEXTMETRICW tm;
        ASSERT_TRUE(GetTextMetricsW(c, &tm));
        const LONG cx = Extent(c, u"ab ab").cx, baseline = 4 + tm.tmAscent;
        Draw(c, u"ab ab", RECT{4, 4, 120, 40}, 0);
        auto solidRow = [&](LONG y) {
            RECT row{4, y, 4 + cx, y + 1};
            return cx == c.Ink(row) && RGB(0, 0, 160) == GetPixel(c, 4 + cx - 1, y) && 0 == c.Ink(RECT{4 + cx, y, 120, y + 1});
        };
        EXPECT_EQ(k.underline != 0, solidRow(baseline + 1));
        EXPECT_EQ(k.strikeOut != 0, solidRow(baseline - tm.tmAscent / 3));
        int between = 0;  // pixels neither background nor text colour
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) between += GetPixel(c, x, y) != c.Fill() && GetPixel(c, x, y) != RGB(0, 0, 160);
        EXPECT_EQ(NONANTIALIASED_QUALITY == k.quality, 0 == between);
    }
}

TEST(TextInput, OddStringsFlagsAndRectanglesStayInside)
{
    Canvas c(16, 24, 24);
    UseFont f(c, kSans);
    const int lh = Extent(c, u"x").cy;
    const UINT flagSets[] = {0, DT_SINGLELINE | DT_VCENTER, DT_WORDBREAK | DT_END_ELLIPSIS,
                             DT_CENTER | DT_RIGHT | DT_BOTTOM | DT_NOCLIP | DT_EXPANDTABS, 0xFFFFFFFFu & ~DT_CALCRECT};
    const RECT rects[] = {{10, 10, 0, 0}, {0, 0, 0, 0}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-5, -5, 30, 30},
                          {100000, 100000, 100100, 100100}, {INT_MAX - 1, 0, INT_MAX, 10}};
    const std::u16string texts[] = {u"", u"\xD800", u"x\xDC00y\xD800", u"\r\n\r\n\t\t\x01", u"W W W W W W W W W W",
                                    std::u16string(3000, u'W')};
    for (UINT flags : flagSets)
        for (const RECT& rc : rects)
            for (const auto& s : texts) {
                RECT r = rc;
                int result = DrawTextW(c, s.c_str(), -1, &r, flags);
                if (!(flags & DT_SINGLELINE)) {
                    EXPECT_GT(result, 0);  // single lines may report an offset instead
                }
                r = rc;
                DrawTextW(c, s.c_str(), static_cast<int>(s.size()), &r, flags | DT_CALCRECT);
            }
    RECT rc{0, 0, 20, 20};
    EXPECT_EQ(lh, DrawTextW(c, nullptr, 0, &rc, 0));  // nothing is one empty line
    const struct {
        LPCWSTR text;
        int count;
        RECT* rect;
        HDC dc;
        DWORD error;
    } bad[] = {{nullptr, 3, &rc, c, ERROR_INVALID_PARAMETER},
               {u"abc", -2, &rc, c, ERROR_INVALID_PARAMETER},
               {u"abc", 3, nullptr, c, ERROR_INVALID_PARAMETER},
               {u"abc", 3, &rc, reinterpret_cast<HDC>(0x5555), ERROR_INVALID_HANDLE}};
    for (const auto& k : bad) {
        EXPECT_EQ(0, DrawTextW(k.dc, k.text, k.count, k.rect, 0));
        EXPECT_EQ(k.error, GetLastError());
    }
    // A device context without a bitmap of its own draws into its 1 x 1 stock bitmap.
    HDC bare = CreateCompatibleDC(nullptr);
    EXPECT_EQ(lh, DrawTextW(bare, u"abc", -1, &rc, 0));
    DeleteDC(bare);
    // The largest font allowed draws inside a small bitmap.
    LOGFONTW huge = kSans;
    huge.lfHeight = -kMaxFontPixels;
    UseFont big(c, huge);
    rc = RECT{-100, -2000, 30, 30};
    EXPECT_NE(0, DrawTextW(c, u"W", -1, &rc, DT_NOCLIP));
}

}  // namespace
