// The software GDI: DIB sections, memory device contexts, blits and fills on the same pixel
// arrays, and handles that are refused rather than dereferenced.
#include <gtest/gtest.h>

#include <vector>

#include "gdi_canvas.h"

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
    EXPECT_EQ((1u << 8) + 3, dst.At32(0, 0));
    EXPECT_EQ((1u << 8) + 4, dst.At32(1, 0));
    EXPECT_EQ(0u, dst.At32(2, 0));
    EXPECT_EQ((3u << 8) + 4, dst.At32(1, 2));
    EXPECT_EQ(0u, dst.At32(0, 3));

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
    EXPECT_EQ(0x00FF0000u, b32.At32(0, 0));  // top bits repeated: full channels stay full, alpha 0
    EXPECT_EQ(0x0000FF00u, b32.At32(1, 0));
    EXPECT_EQ(0x00848284u, b32.At32(2, 0));
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
    EXPECT_EQ(0xBu, dst.At32(0, 0));
    EXPECT_EQ(0xAu, dst.At32(3, 0));
}

TEST(GdiBlits, TransparentImageSkipsTheKeyColorFromABitmapOrADc)
{
    Canvas src(16, 2, 1, 0), dst(16, 2, 1, 0);
    src.At16(0, 0) = 0xF81F;  // magenta: the key
    src.At16(1, 0) = 0x001F;
    dst.At16(0, 0) = 0x1234;
    ASSERT_TRUE(TransparentImage(dst, 0, 0, 2, 1, src.bitmap, 0, 0, 2, 1, RGB(255, 0, 255)));
    EXPECT_EQ(0x1234, dst.At16(0, 0));
    EXPECT_EQ(0x001F, dst.At16(1, 0));
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
    EXPECT_EQ(0u, c.At32(0, 0));
    EXPECT_EQ(0x00FFFFFFu, c.At32(2, 0));
    EXPECT_EQ(0x00010203u, c.At32(0, 1));
    EXPECT_EQ(0x00010203u, c.At32(1, 2));
    EXPECT_EQ(0u, c.At32(2, 2));
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
