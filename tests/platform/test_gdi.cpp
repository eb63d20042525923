// The software GDI: DIB sections, memory device contexts, blits and fills on the same pixel
// arrays, and handles that are refused rather than dereferenced.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "wce/platform.h"

namespace {

struct Info565 {
    BITMAPINFOHEADER header;
    DWORD masks[4];
};

HBITMAP Create565(int w, int h, void** bits = nullptr)
{
    Info565 info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = h;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, bits, nullptr, 0);
}

HBITMAP Create32(int w, int h, void** bits = nullptr)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// A memory device context with one bitmap selected, cleaned up in order.
struct Dc {
    HDC hdc;
    HGDIOBJ old;
    explicit Dc(HBITMAP bitmap) : hdc(CreateCompatibleDC(nullptr)), old(SelectObject(hdc, bitmap)) {}
    ~Dc()
    {
        SelectObject(hdc, old);
        DeleteDC(hdc);
    }
    operator HDC() const { return hdc; }  // NOLINT
};

WORD* Row565(void* bits, int w, int h, int y)
{
    int stride = ((w * 16 + 31) >> 5) * 4;
    return reinterpret_cast<WORD*>(static_cast<BYTE*>(bits) + (h - 1 - y) * stride);
}

DWORD* Row32(void* bits, int w, int h, int y)
{
    (void)h;
    return static_cast<DWORD*>(bits) + (h - 1 - y) * w;
}

}  // namespace

TEST(GdiBitmaps, SectionsAreZeroedBottomUpAndPaddedTo4Bytes)
{
    void* bits = nullptr;
    HBITMAP bmp = Create565(5, 3, &bits);
    ASSERT_NE(nullptr, bmp);
    ASSERT_NE(nullptr, bits);
    BITMAP bm;
    ASSERT_EQ(static_cast<int>(sizeof bm), GetObject(bmp, sizeof bm, &bm));
    EXPECT_EQ(5, bm.bmWidth);
    EXPECT_EQ(3, bm.bmHeight);
    EXPECT_EQ(12, bm.bmWidthBytes);  // 5 pixels rounded up to 6
    EXPECT_EQ(16, bm.bmBitsPixel);
    EXPECT_EQ(1, bm.bmPlanes);
    EXPECT_EQ(bits, bm.bmBits);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(0, static_cast<BYTE*>(bits)[i]);

    // SetPixel at the top row lands in the last row of memory.
    Dc dc(bmp);
    SetPixel(dc, 0, 0, RGB(255, 0, 0));
    EXPECT_EQ(0xF800, Row565(bits, 5, 3, 0)[0]);
    EXPECT_EQ(0xF800, reinterpret_cast<WORD*>(bits)[12]);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 0, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, 5, 0));
    EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), GetObject(bmp, 0, nullptr));
}

TEST(GdiBitmaps, UnsupportedFormatsAndSizesAreRefused)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    info.bmiHeader.biBitCount = 16;  // 16 bits without masks would be 555: not supported
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biHeight = -4;  // top-down
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, Create32(0, 4));
    EXPECT_EQ(nullptr, Create32(65536, 65536));  // 16 GiB: refused before allocating
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0));
}

TEST(GdiBitmaps, BadHandlesAreRefused)
{
    HGDIOBJ bogus = reinterpret_cast<HGDIOBJ>(0x7777);
    BITMAP bm;
    EXPECT_EQ(0, GetObject(bogus, sizeof bm, &bm));
    EXPECT_FALSE(DeleteObject(bogus));
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bogus)));
    EXPECT_EQ(nullptr, SelectObject(reinterpret_cast<HDC>(bogus), bogus));
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(bogus), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    // A deleted bitmap is gone; a device context is not a bitmap.
    HBITMAP bmp = Create32(2, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(nullptr, SelectObject(dc, dc));
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_EQ(nullptr, SelectObject(dc, bmp));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiBitmaps, SelectedBitmapCannotBeDeletedUntilDeselected)
{
    HBITMAP bmp = Create32(2, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    ASSERT_NE(nullptr, old);
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteObject(old));  // the stock bitmap stays whatever is asked
    EXPECT_EQ(bmp, SelectObject(dc, old));
    EXPECT_TRUE(DeleteObject(bmp));

    // Deleting the device context releases its selection too.
    HBITMAP other = Create32(2, 2);
    SelectObject(dc, other);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(other));
}

TEST(GdiBlits, BitBltClipsBothRectanglesToTheirBitmaps)
{
    void *srcBits, *dstBits;
    HBITMAP src = Create32(4, 4, &srcBits), dst = Create32(4, 4, &dstBits);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) Row32(srcBits, 4, 4, y)[x] = (y << 8) + x + 1;
    {
        Dc s(src), d(dst);
        // Starts left of and above the destination, and runs past the source's right edge.
        EXPECT_TRUE(BitBlt(d, -1, -1, 4, 4, s, 1, 0, SRCCOPY));
        EXPECT_TRUE(BitBlt(d, 100, 100, 4, 4, s, 0, 0, SRCCOPY));  // nothing inside: still TRUE
        EXPECT_TRUE(BitBlt(d, 0, 0, -4, 4, s, 0, 0, SRCCOPY));
        EXPECT_FALSE(BitBlt(d, 0, 0, 4, 4, s, 0, 0, 0x00660046));  // SRCINVERT is not supported
    }
    // dst (x, y) = src (x + 2, y + 1) for x + 2 < 4.
    EXPECT_EQ((1u << 8) + 3, Row32(dstBits, 4, 4, 0)[0]);
    EXPECT_EQ((1u << 8) + 4, Row32(dstBits, 4, 4, 0)[1]);
    EXPECT_EQ(0u, Row32(dstBits, 4, 4, 0)[2]);
    EXPECT_EQ((3u << 8) + 4, Row32(dstBits, 4, 4, 2)[1]);
    EXPECT_EQ(0u, Row32(dstBits, 4, 4, 3)[0]);
    DeleteObject(src);
    DeleteObject(dst);
}

TEST(GdiBlits, BitBltConvertsBetween565And32Bits)
{
    void *bits565, *bits32;
    HBITMAP b565 = Create565(3, 1, &bits565), b32 = Create32(3, 1, &bits32);
    WORD* p565 = static_cast<WORD*>(bits565);
    p565[0] = 0xF800;  // red
    p565[1] = 0x07E0;  // green
    p565[2] = 0x8410;  // gray: 16, 32, 16
    {
        Dc s(b565), d(b32);
        ASSERT_TRUE(BitBlt(d, 0, 0, 3, 1, s, 0, 0, SRCCOPY));
    }
    DWORD* p32 = static_cast<DWORD*>(bits32);
    EXPECT_EQ(0x00FF0000u, p32[0]);  // top bits repeated: full channels stay full, alpha 0
    EXPECT_EQ(0x0000FF00u, p32[1]);
    EXPECT_EQ(0x00848284u, p32[2]);

    p32[0] = 0xFF12345Fu;
    {
        Dc s(b32), d(b565);
        ASSERT_TRUE(BitBlt(d, 0, 0, 1, 1, s, 0, 0, SRCCOPY));
    }
    EXPECT_EQ((0x12 >> 3) << 11 | (0x34 >> 2) << 5 | (0x5F >> 3), p565[0]);
    DeleteObject(b565);
    DeleteObject(b32);
}

TEST(GdiBlits, OverlappingCopyWithinOneBitmapMovesTheOriginal)
{
    void* bits;
    HBITMAP bmp = Create32(1, 4, &bits);
    for (int y = 0; y < 4; ++y) Row32(bits, 1, 4, y)[0] = y + 1;
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HGDIOBJ oldA = SelectObject(a, bmp), oldB = SelectObject(b, bmp);
    EXPECT_TRUE(BitBlt(a, 0, 1, 1, 3, b, 0, 0, SRCCOPY));  // down by one
    EXPECT_EQ(1u, Row32(bits, 1, 4, 1)[0]);
    EXPECT_EQ(2u, Row32(bits, 1, 4, 2)[0]);
    EXPECT_EQ(3u, Row32(bits, 1, 4, 3)[0]);
    SelectObject(a, oldA);
    SelectObject(b, oldB);
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(bmp);
}

TEST(GdiBlits, StretchBltSamplesNearestAndMirrorsNegativeSizes)
{
    void *srcBits, *dstBits;
    HBITMAP src = Create32(2, 1, &srcBits), dst = Create32(4, 2, &dstBits);
    static_cast<DWORD*>(srcBits)[0] = 0xA;
    static_cast<DWORD*>(srcBits)[1] = 0xB;
    {
        Dc s(src), d(dst);
        ASSERT_TRUE(StretchBlt(d, 0, 0, 4, 2, s, 0, 0, 2, 1, SRCCOPY));
    }
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(0xAu, Row32(dstBits, 4, 2, y)[0]);
        EXPECT_EQ(0xAu, Row32(dstBits, 4, 2, y)[1]);
        EXPECT_EQ(0xBu, Row32(dstBits, 4, 2, y)[2]);
        EXPECT_EQ(0xBu, Row32(dstBits, 4, 2, y)[3]);
    }
    {
        Dc s(src), d(dst);
        ASSERT_TRUE(StretchBlt(d, 4, 0, -4, 1, s, 0, 0, 2, 1, SRCCOPY));
    }
    EXPECT_EQ(0xBu, Row32(dstBits, 4, 2, 0)[0]);
    EXPECT_EQ(0xAu, Row32(dstBits, 4, 2, 0)[3]);
    DeleteObject(src);
    DeleteObject(dst);
}

TEST(GdiBlits, TransparentImageSkipsTheKeyColorFromABitmapOrADc)
{
    void *srcBits, *dstBits;
    HBITMAP src = Create565(2, 1, &srcBits), dst = Create565(2, 1, &dstBits);
    static_cast<WORD*>(srcBits)[0] = 0xF81F;  // magenta: the key
    static_cast<WORD*>(srcBits)[1] = 0x001F;
    static_cast<WORD*>(dstBits)[0] = 0x1234;
    {
        Dc d(dst);
        ASSERT_TRUE(TransparentImage(d, 0, 0, 2, 1, src, 0, 0, 2, 1, RGB(255, 0, 255)));
    }
    EXPECT_EQ(0x1234, static_cast<WORD*>(dstBits)[0]);
    EXPECT_EQ(0x001F, static_cast<WORD*>(dstBits)[1]);
    static_cast<WORD*>(dstBits)[1] = 0;
    {
        Dc s(src), d(dst);
        ASSERT_TRUE(TransparentBlt(d, 0, 0, 2, 1, s, 0, 0, 2, 1, RGB(255, 0, 255)));
        EXPECT_FALSE(TransparentImage(d, 0, 0, -2, 1, s, 0, 0, 2, 1, 0));
    }
    EXPECT_EQ(0x001F, static_cast<WORD*>(dstBits)[1]);
    DeleteObject(src);
    DeleteObject(dst);
}

TEST(GdiFill, FillRectClipsAndBrushesReportTheirColor)
{
    void* bits;
    HBITMAP bmp = Create32(3, 3, &bits);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    LOGBRUSH lb;
    ASSERT_EQ(static_cast<int>(sizeof lb), GetObject(brush, sizeof lb, &lb));
    EXPECT_EQ(RGB(1, 2, 3), lb.lbColor);
    {
        Dc dc(bmp);
        RECT rc = {-5, 1, 2, 100};
        EXPECT_TRUE(FillRect(dc, &rc, brush));
        EXPECT_FALSE(FillRect(dc, &rc, reinterpret_cast<HBRUSH>(bmp)));
        EXPECT_TRUE(BitBlt(dc, 2, 0, 5, 1, nullptr, 0, 0, WHITENESS));
    }
    EXPECT_EQ(0u, Row32(bits, 3, 3, 0)[0]);
    EXPECT_EQ(0x00FFFFFFu, Row32(bits, 3, 3, 0)[2]);
    EXPECT_EQ(0x00010203u, Row32(bits, 3, 3, 1)[0]);
    EXPECT_EQ(0x00010203u, Row32(bits, 3, 3, 2)[1]);
    EXPECT_EQ(0u, Row32(bits, 3, 3, 2)[2]);
    EXPECT_TRUE(DeleteObject(brush));
    DeleteObject(bmp);
}

TEST(GdiRects, IntersectUnionOffsetAndEmptiness)
{
    RECT a, b, r;
    SetRect(&a, 0, 0, 10, 10);
    SetRect(&b, 5, 5, 20, 20);
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    RECT expect = {5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&r, &expect));
    SetRect(&b, 10, 0, 20, 10);  // touching is not overlapping: right is exclusive
    EXPECT_FALSE(IntersectRect(&r, &a, &b));
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_TRUE(UnionRect(&r, &a, &b));
    RECT whole = {0, 0, 20, 10};
    EXPECT_TRUE(EqualRect(&r, &whole));
    OffsetRect(&r, -5, 2);
    InflateRect(&r, 1, 1);
    RECT moved = {-6, 1, 16, 13};
    EXPECT_TRUE(EqualRect(&r, &moved));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 9}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 0}));
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(IntersectRect(&r, nullptr, &a));
}
