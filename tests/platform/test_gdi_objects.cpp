// The software GDI: DIB sections, memory device contexts, blits and fills on the same pixel
// arrays, and handles that are refused rather than dereferenced; fonts and stock objects as GDI
// objects, a device context's text state, the screen's device caps, and clip rectangles that
// every drawing call honours.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "gdi_canvas.h"
#include "gdi_objects.h"

namespace {

// The 32-bit pixels at those points.
std::vector<DWORD> At32(const Canvas& c, std::initializer_list<POINT> points)
{
    std::vector<DWORD> out;
    for (POINT p : points) out.push_back(c.At32(p.x, p.y));
    return out;
}

TEST(GdiBitmaps, SectionsAreZeroedBottomUpAndPaddedTo4Bytes)
{
    void* bits = nullptr;
    HBITMAP bmp = CreateSection(16, 5, 3, &bits);
    ASSERT_NE(nullptr, bmp);
    BITMAP bm;
    ASSERT_EQ(static_cast<int>(sizeof bm), GetObject(bmp, sizeof bm, &bm));
    EXPECT_EQ(5, bm.bmWidth);
    EXPECT_EQ(12, bm.bmWidthBytes);  // 5 pixels rounded up to 6
    EXPECT_EQ(16, bm.bmBitsPixel);
    EXPECT_EQ(bits, bm.bmBits);
    const BYTE* bytes = static_cast<const BYTE*>(bits);
    EXPECT_EQ(std::vector<BYTE>(36), std::vector<BYTE>(bytes, bytes + 36));
    DeleteObject(bmp);

    Canvas c(16, 5, 3, 0);  // SetPixel at the top row lands in the last row of memory
    SetPixel(c, 0, 0, RGB(255, 0, 0));
    EXPECT_EQ(0xF800, static_cast<WORD*>(c.pixels)[12]);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(c, 0, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(c, 5, 0));
}

TEST(GdiBitmaps, UnsupportedFormatsAndSizesAreRefused)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    info.bmiHeader.biBitCount = 16;  // 16 bits without masks would be 555: not supported
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biHeight = -4;  // top-down
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, CreateSection(32, 0, 4));
    EXPECT_EQ(nullptr, CreateSection(32, 65536, 65536));  // 16 GiB: refused before allocating
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0));
}

TEST(GdiBitmaps, BadHandlesAreRefusedAndSelectedBitmapsOutliveDelete)
{
    HGDIOBJ bogus = reinterpret_cast<HGDIOBJ>(0x7777);
    BITMAP bm;
    EXPECT_EQ(0, GetObject(bogus, sizeof bm, &bm));
    EXPECT_FALSE(DeleteObject(bogus));
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bogus)));
    EXPECT_EQ(nullptr, SelectObject(reinterpret_cast<HDC>(bogus), bogus));
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(bogus), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    // A device context is not a bitmap; a selected bitmap cannot be deleted until deselected.
    HBITMAP bmp = CreateSection(32, 2, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(nullptr, SelectObject(dc, dc));
    HGDIOBJ old = SelectObject(dc, bmp);
    ASSERT_NE(nullptr, old);
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteObject(old));  // the stock bitmap stays whatever is asked
    EXPECT_EQ(bmp, SelectObject(dc, old));
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_EQ(nullptr, SelectObject(dc, bmp));

    // Deleting the device context releases its selection too.
    HBITMAP other = CreateSection(32, 2, 2);
    SelectObject(dc, other);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(other));
}

TEST(GdiBlits, BitBltClipsBothRectanglesToTheirBitmaps)
{
    Canvas src(32, 4, 4, 0), dst(32, 4, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.At32(x, y) = (y << 8) + x + 1;
    // Starts left of and above the destination, and runs past the source's right edge.
    EXPECT_TRUE(BitBlt(dst, -1, -1, 4, 4, src, 1, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst, 100, 100, 4, 4, src, 0, 0, SRCCOPY));  // nothing inside: still TRUE
    EXPECT_TRUE(BitBlt(dst, 0, 0, -4, 4, src, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 4, 4, src, 0, 0, 0x00660046));  // SRCINVERT is not supported
    // dst (x, y) = src (x + 2, y + 1) for x + 2 < 4.
    EXPECT_EQ((std::vector<DWORD>{(1u << 8) + 3, (1u << 8) + 4, 0, (3u << 8) + 4, 0}),
              At32(dst, {{0, 0}, {1, 0}, {2, 0}, {1, 2}, {0, 3}}));

    Canvas column(32, 1, 4, 0);  // an overlapping copy within one bitmap moves the original
    for (int y = 0; y < 4; ++y) column.At32(0, y) = y + 1;
    EXPECT_TRUE(BitBlt(column, 0, 1, 1, 3, column, 0, 0, SRCCOPY));
    for (int y = 1; y < 4; ++y) EXPECT_EQ(static_cast<DWORD>(y), column.At32(0, y));
}

TEST(GdiBlits, BitBltConvertsBetween565And32Bits)
{
    Canvas b565(16, 3, 1, 0), b32(32, 3, 1, 0);
    b565.At16(0, 0) = 0xF800;  // red
    b565.At16(1, 0) = 0x07E0;  // green
    b565.At16(2, 0) = 0x8410;  // gray: 16, 32, 16
    ASSERT_TRUE(BitBlt(b32, 0, 0, 3, 1, b565, 0, 0, SRCCOPY));
    // Top bits repeated: full channels stay full, alpha 0.
    EXPECT_EQ((std::vector<DWORD>{0x00FF0000u, 0x0000FF00u, 0x00848284u}), At32(b32, {{0, 0}, {1, 0}, {2, 0}}));
    b32.At32(0, 0) = 0xFF12345Fu;
    ASSERT_TRUE(BitBlt(b565, 0, 0, 1, 1, b32, 0, 0, SRCCOPY));
    EXPECT_EQ((0x12 >> 3) << 11 | (0x34 >> 2) << 5 | (0x5F >> 3), b565.At16(0, 0));
}

TEST(GdiBlits, StretchBltSamplesNearestAndMirrorsNegativeSizes)
{
    Canvas src(32, 2, 1, 0), dst(32, 4, 2, 0);
    src.At32(0, 0) = 0xA;
    src.At32(1, 0) = 0xB;
    ASSERT_TRUE(StretchBlt(dst, 0, 0, 4, 2, src, 0, 0, 2, 1, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(x < 2 ? 0xAu : 0xBu, dst.At32(x, y)) << x << "," << y;
    ASSERT_TRUE(StretchBlt(dst, 4, 0, -4, 1, src, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ((std::vector<DWORD>{0xB, 0xA}), At32(dst, {{0, 0}, {3, 0}}));
}

TEST(GdiBlits, TransparentImageSkipsTheKeyColorFromABitmapOrADc)
{
    Canvas src(16, 2, 1, 0), dst(16, 2, 1, 0);
    src.At16(0, 0) = 0xF81F;  // magenta: the key
    src.At16(1, 0) = 0x001F;
    dst.At16(0, 0) = 0x1234;
    ASSERT_TRUE(TransparentImage(dst, 0, 0, 2, 1, src.bitmap, 0, 0, 2, 1, RGB(255, 0, 255)));
    EXPECT_EQ(std::make_pair(WORD{0x1234}, WORD{0x001F}), std::make_pair(dst.At16(0, 0), dst.At16(1, 0)));
    dst.At16(1, 0) = 0;
    ASSERT_TRUE(TransparentBlt(dst, 0, 0, 2, 1, src, 0, 0, 2, 1, RGB(255, 0, 255)));
    EXPECT_EQ(0x001F, dst.At16(1, 0));
    EXPECT_FALSE(TransparentImage(dst, 0, 0, -2, 1, src, 0, 0, 2, 1, 0));
}

TEST(GdiFill, FillRectClipsAndBrushesReportTheirColor)
{
    Canvas c(32, 3, 3, 0);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    LOGBRUSH lb;
    ASSERT_EQ(static_cast<int>(sizeof lb), GetObject(brush, sizeof lb, &lb));
    EXPECT_EQ(RGB(1, 2, 3), lb.lbColor);
    RECT rc = {-5, 1, 2, 100};
    EXPECT_TRUE(FillRect(c, &rc, brush));
    EXPECT_FALSE(FillRect(c, &rc, reinterpret_cast<HBRUSH>(c.bitmap)));
    EXPECT_TRUE(BitBlt(c, 2, 0, 5, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ((std::vector<DWORD>{0, 0x00FFFFFF, 0x00010203, 0x00010203, 0}),
              At32(c, {{0, 0}, {2, 0}, {0, 1}, {1, 2}, {2, 2}}));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiRects, IntersectUnionAndEmptiness)
{
    RECT a = {0, 0, 10, 10}, b = {10, 0, 20, 10}, r, whole = {0, 0, 20, 10};
    EXPECT_FALSE(IntersectRect(&r, &a, &b));  // touching is not overlapping: right is exclusive
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_TRUE(UnionRect(&r, &a, &b) && EqualRect(&r, &whole));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 9}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 0}));
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(IntersectRect(&r, nullptr, &a));
}

TEST(GdiFonts, DescriptionsAreCheckedAndKeptAndSelectedFontsStay)
{
    const struct {
        LONG height, width, weight;
        bool made;
        LONG keptWidth, keptWeight;
    } cases[] = {
        {0, 0, 0, true, 0, 0},
        {-16, 0, 400, true, 0, 400},
        {kMaxFontPixels, -12, 5000, true, 12, 1000},
        {-kMaxFontPixels, 0, -3, true, 0, 0},
        {-kMaxFontPixels - 1, 0, 400, false, 0, 0},
        {INT_MIN, 0, 400, false, 0, 0},
        {16, INT_MAX, 400, false, 0, 0},
    };
    for (const auto& k : cases) {
        LOGFONTW lf = Describe(u"DejaVu Sans", k.height, k.weight);
        lf.lfWidth = k.width;
        SetLastError(0);
        HFONT font = CreateFontIndirectW(&lf);
        ASSERT_EQ(k.made, font != nullptr) << k.height << " " << k.width;
        if (!font) {
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
            continue;
        }
        LOGFONTW back{};
        ASSERT_EQ(92, GetObject(font, sizeof back, &back));
        EXPECT_EQ(std::make_tuple(k.height, k.keptWidth, k.keptWeight),
                  std::make_tuple(back.lfHeight, back.lfWidth, back.lfWeight));
        EXPECT_TRUE(DeleteObject(font));
    }
    EXPECT_EQ(nullptr, CreateFontIndirectW(nullptr));

    LOGFONTW full = Describe(u"", -16);
    for (WCHAR& ch : full.lfFaceName) ch = u'A';
    HFONT font = CreateFontIndirectW(&full);
    LOGFONTW back;
    EXPECT_EQ(92, GetObject(font, 92, &back));
    EXPECT_EQ(std::u16string(31, u'A'), std::u16string(back.lfFaceName));  // a name of all 32 units: cut at 31
    EXPECT_EQ(92, GetObject(font, 0, nullptr));
    EXPECT_EQ(0, GetObject(font, 91, &back));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    DeleteObject(font);
    EXPECT_EQ(0, GetObject(font, 92, &back));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    // A selected font cannot be deleted, and a new DC holds the system font.
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW lf = Describe(u"DejaVu Serif", -20);
    font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_EQ(GetStockObject(SYSTEM_FONT), old);
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(font, SelectObject(dc, old));
    EXPECT_TRUE(DeleteObject(font));

    HFONT other = CreateFontIndirectW(&lf);
    SelectObject(dc, other);
    EXPECT_TRUE(DeleteDC(dc));  // releases its font
    EXPECT_TRUE(DeleteObject(other));
}

TEST(GdiStock, StockObjectsAndTheSystemFontDescription)
{
    const struct {
        int index;
        UINT style;
        COLORREF color;
    } brushes[] = {{WHITE_BRUSH, BS_SOLID, RGB(255, 255, 255)}, {LTGRAY_BRUSH, BS_SOLID, RGB(192, 192, 192)},
                   {GRAY_BRUSH, BS_SOLID, RGB(128, 128, 128)},  {DKGRAY_BRUSH, BS_SOLID, RGB(64, 64, 64)},
                   {BLACK_BRUSH, BS_SOLID, RGB(0, 0, 0)},       {NULL_BRUSH, BS_NULL, 0}};
    for (const auto& k : brushes) {
        HGDIOBJ brush = GetStockObject(k.index);
        EXPECT_TRUE(DeleteObject(brush));  // ignored
        LOGBRUSH lb{};
        ASSERT_EQ(static_cast<int>(sizeof lb), GetObject(brush, sizeof lb, &lb)) << k.index;
        EXPECT_EQ(std::make_pair(k.style, k.color), std::make_pair(lb.lbStyle, lb.lbColor));
    }
    Canvas c(32, 4, 4, RGB(1, 2, 3));
    RECT all{0, 0, 4, 4};
    EXPECT_TRUE(FillRect(c, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
    EXPECT_EQ(0, c.Ink());

    HGDIOBJ system = GetStockObject(SYSTEM_FONT);
    EXPECT_EQ(system, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_TRUE(DeleteObject(system));
    LOGFONTW lf, expected = Describe(u"DejaVu Sans", -16);
    ASSERT_EQ(92, GetObject(system, sizeof lf, &lf));
    EXPECT_EQ(0, std::memcmp(&expected, &lf, sizeof lf));
    for (int index : {6, 12, 14, 16, 18, -1}) EXPECT_EQ(nullptr, GetStockObject(index)) << index;
}

TEST(GdiState, TextStateDefaultsSettersAndDeviceCaps)
{
    HDC dc = CreateCompatibleDC(nullptr);  // the setters answer the defaults
    EXPECT_EQ(RGB(0, 0, 0), SetTextColor(dc, RGB(1, 2, 3)));
    EXPECT_EQ(RGB(255, 255, 255), SetBkColor(dc, RGB(4, 5, 6)));
    EXPECT_EQ(OPAQUE, SetBkMode(dc, TRANSPARENT));
    EXPECT_EQ(0, SetBkMode(dc, 3));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    HDC bad = reinterpret_cast<HDC>(0x4444);
    EXPECT_EQ(CLR_INVALID, SetTextColor(bad, 0));
    EXPECT_EQ(CLR_INVALID, GetBkColor(bad));
    EXPECT_EQ(0, GetBkMode(bad));

    wce::host::SetScreenMetrics(480, 272, 32);
    const std::pair<int, int> caps[] = {{HORZRES, 480}, {VERTRES, 272}, {BITSPIXEL, 32}, {PLANES, 1},
                                        {LOGPIXELSX, 96}, {LOGPIXELSY, 96}, {999, 0}};
    for (auto [index, value] : caps) EXPECT_EQ(value, GetDeviceCaps(dc, index)) << index;
    EXPECT_EQ(0, GetDeviceCaps(bad, BITSPIXEL));
    wce::host::SetScreenMetrics(800, 480, 16);
    DeleteDC(dc);

    WCHAR path[MAX_PATH];
    EXPECT_GT(GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH), 0u);
    EXPECT_EQ(nullptr, GetModuleHandleW(u"nothing.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(GdiClip, ClipBoxFollowsRegionsAndTheBaseClip)
{
    Canvas c(16, 20, 10);
    RECT box;
    auto clip = [&]() {
        int type = GetClipBox(c, &box);
        return std::make_tuple(type, box.left, box.top, box.right, box.bottom);
    };
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 0, 0, 20, 10), clip());
    HRGN region = CreateRectRgn(15, 8, 5, 2);  // put in order
    EXPECT_EQ(SIMPLEREGION, SelectClipRgn(c, region));
    SetRect(&box, 0, 0, 0, 0);
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 5, 2, 15, 8), clip());
    DeleteObject(region);  // the device context keeps its copy
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 5, 2, 15, 8), clip());
    EXPECT_EQ(SIMPLEREGION, IntersectClipRect(c, 10, 0, 100, 100));
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 10, 2, 15, 8), clip());
    EXPECT_EQ(NULLREGION, IntersectClipRect(c, 0, 0, 3, 3));
    EXPECT_EQ(std::make_tuple(NULLREGION, 0, 0, 0, 0), clip());
    EXPECT_EQ(SIMPLEREGION, SelectClipRgn(c, nullptr));
    RECT outside{30, 30, 40, 40};
    HRGN far = CreateRectRgnIndirect(&outside);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(NULLREGION), SelectObject(c, far));  // a region acts as SelectClipRgn
    EXPECT_EQ(std::make_tuple(NULLREGION, 0, 0, 0, 0), clip());
    SelectClipRgn(c, nullptr);
    DeleteObject(far);

    // A base clip (a window's paint rectangle) is only ever narrowed by a region.
    RECT base{2, 1, 12, 9};
    ASSERT_TRUE(wce::detail::SetDcBaseClip(c, &base));
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 2, 1, 12, 9), clip());
    HRGN wide = CreateRectRgn(0, 0, 20, 5);
    SelectClipRgn(c, wide);
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 2, 1, 12, 5), clip());
    SelectClipRgn(c, nullptr);
    EXPECT_EQ(std::make_tuple(SIMPLEREGION, 2, 1, 12, 9), clip());
    wce::detail::SetDcBaseClip(c, nullptr);
    DeleteObject(wide);

    HDC bad = reinterpret_cast<HDC>(0x4444);
    EXPECT_EQ(ERROR, GetClipBox(bad, &box));
    EXPECT_EQ(ERROR, SelectClipRgn(bad, nullptr));
    EXPECT_EQ(ERROR, IntersectClipRect(bad, 0, 0, 1, 1));
    EXPECT_EQ(ERROR, GetClipBox(c, nullptr));
    EXPECT_EQ(nullptr, CreateRectRgnIndirect(nullptr));
}

class ClipOnBothDepths : public ::testing::TestWithParam<int> {};

// Each call draws over the whole canvas; clipped, it must change exactly the pixels inside the
// clip that it changes unclipped, and sample its source the same way.
TEST_P(ClipOnBothDepths, EveryDrawingCallStaysInsideTheClip)
{
    Canvas src(32, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPixel(src, x, y, RGB(x * 30, y * 30, x == y ? 255 : 0));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const std::pair<const char*, std::function<void(HDC)>> calls[] = {
        {"BitBlt", [&](HDC dc) { BitBlt(dc, 0, 0, 16, 16, src, 0, 0, SRCCOPY); }},
        {"BLACKNESS", [&](HDC dc) { BitBlt(dc, 0, 0, 16, 16, nullptr, 0, 0, BLACKNESS); }},
        {"StretchBlt", [&](HDC dc) { StretchBlt(dc, 0, 0, 16, 16, src, 0, 0, 8, 8, SRCCOPY); }},
        {"StretchBlt mirrored", [&](HDC dc) { StretchBlt(dc, 16, 0, -16, 16, src, 0, 0, 8, 8, SRCCOPY); }},
        {"TransparentImage", [&](HDC dc) { TransparentImage(dc, 0, 0, 16, 16, src, 0, 0, 8, 8, RGB(0, 0, 0)); }},
        {"FillRect", [&](HDC dc) { RECT rc{-4, -4, 40, 40}; FillRect(dc, &rc, red); }},
        {"SetPixel", [&](HDC dc) { for (int i = 0; i < 16; ++i) SetPixel(dc, i, i, RGB(0, 0, 255)); }},
        {"DrawTextW", [&](HDC dc) {
             UseFont f(dc, Describe(u"DejaVu Sans", -20, FW_BOLD));
             RECT rc{-2, -4, 16, 16};
             DrawTextW(dc, u"WM", -1, &rc, DT_NOCLIP);
         }},
    };
    const RECT clip{4, 3, 11, 13};
    for (const auto& [name, call] : calls) {
        Canvas whole(GetParam(), 16, 16, RGB(9, 99, 199)), clipped(GetParam(), 16, 16, RGB(9, 99, 199));
        call(whole);
        IntersectClipRect(clipped, clip.left, clip.top, clip.right, clip.bottom);
        call(clipped);
        int inside = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                bool in = PtInRect(&clip, POINT{x, y});
                COLORREF expected = in ? GetPixel(whole, x, y) : clipped.Fill();
                EXPECT_EQ(expected, GetPixel(clipped, x, y)) << name << " at " << x << "," << y;
                inside += in && expected != clipped.Fill();
            }
        EXPECT_GT(inside, 0) << name;
    }
    DeleteObject(red);
}

INSTANTIATE_TEST_SUITE_P(Depths, ClipOnBothDepths, ::testing::Values(16, 32));

}  // namespace
