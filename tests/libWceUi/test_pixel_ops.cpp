// The pixel operations: the edge cases worth naming, and the fast whole-bitmap and row loops
// compared bit for bit with a plain per-pixel reference of the formulas on random pixels.
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "JXCommon.h"
#include "JxBmpHSL.h"
#include "bitmap_helpers.h"
#include "pixel_reference.h"

namespace {

constexpr int kW = 37;  // odd: 565 rows carry a padding pixel; long enough for the vector loops
constexpr int kH = 9;
constexpr int kRow565 = kW + 1;
constexpr int kCount565 = kRow565 * kH;
constexpr int kCount32 = kW * kH;

BLENDFUNCTION Constant(int alpha) { return BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0}; }
BLENDFUNCTION PerPixel() { return BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}; }

struct Random {
    std::mt19937 gen{12345};
    unsigned Next(unsigned n) { return static_cast<unsigned>(gen() % n); }

    std::vector<WORD> Pixels565(int n)
    {
        std::vector<WORD> v(static_cast<size_t>(n));
        for (WORD& p : v) p = static_cast<WORD>(gen());
        return v;
    }
    std::vector<DWORD> Pixels32(int n)
    {
        std::vector<DWORD> v(static_cast<size_t>(n));
        for (DWORD& p : v) p = static_cast<DWORD>(gen());
        return v;
    }
    // Premultiplied, as skins hold them: each color at most its alpha (565: red and blue
    // counted as 6-bit values). Alpha 0 and 63 come often, as in real planes.
    void Premultiplied565(int n, std::vector<WORD>& pixels, std::vector<BYTE>& alpha)
    {
        pixels.resize(static_cast<size_t>(n));
        alpha.resize(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            unsigned kind = Next(4);
            unsigned a = 0 == kind ? 0 : (1 == kind ? 63 : Next(64));
            unsigned r = Next(a / 2 + 1), g = Next(a + 1), b = Next(a / 2 + 1);
            pixels[i] = static_cast<WORD>((r << 11) | (g << 5) | b);
            alpha[i] = static_cast<BYTE>(a);
        }
    }
    std::vector<DWORD> Premultiplied32(int n)
    {
        std::vector<DWORD> v(static_cast<size_t>(n));
        for (DWORD& p : v) {
            unsigned kind = Next(4);
            unsigned a = 0 == kind ? 0 : (1 == kind ? 255 : Next(256));
            p = a << 24 | Next(a + 1) << 16 | Next(a + 1) << 8 | Next(a + 1);
        }
        return v;
    }
};

template <class T>
std::vector<T> ArrayVector(const CWceUiGenericBitmap& bmp)
{
    std::string bytes = ArrayOf(bmp);
    std::vector<T> v(bytes.size() / sizeof(T));
    memcpy(v.data(), bytes.data(), bytes.size());
    return v;
}

// Array index of image pixel (x, y).
int Index565(int x, int y) { return (kH - 1 - y) * kRow565 + x; }
int Index32(int x, int y) { return (kH - 1 - y) * kW + x; }

DWORD ColorToPixel32(COLORREF cr) { return ((cr & 0xFF) << 16) | (cr & 0xFF00) | ((cr >> 16) & 0xFF); }

class PixelOpsTest : public BitmapTest {
protected:
    Random m_random;
};

}  // namespace

TEST(AlphaLevels, BoundariesOfTheSixLevels)
{
    const int levels[][2] = {{0, 0},   {8, 0},   {9, 5},   {55, 5},  {56, 1},  {72, 1},  {73, 5},  {119, 5}, {120, 2},
                             {136, 2}, {137, 5}, {183, 5}, {184, 3}, {200, 3}, {201, 5}, {246, 5}, {247, 4}, {255, 4}};
    for (const auto& l : levels) EXPECT_EQ(l[1], JxGetAlphaLevel(l[0])) << l[0];
    for (int a = 0; a < 256; ++a) EXPECT_EQ(ref::Level(a), JxGetAlphaLevel(a)) << a;
}

TEST_F(PixelOpsTest, ConstantAlphaEdgesOn565)
{
    WORD d = 0x8410, s = 0xFFFF;  // gray 16/32/16 under white
    WORD dRow[2] = {d, 0}, sRow[2] = {s, 0};  // a 565 row of one pixel holds two
    CWceUi565Bitmap dst, src;
    ASSERT_TRUE(src.CreateDIB565(1, 1, sRow, nullptr));
    auto blendOnce = [&](int alpha) {
        EXPECT_TRUE(dst.CreateDIB565(1, 1, dRow, nullptr));
        EXPECT_TRUE(dst.AlphaBlend(0, 0, 1, 1, &src, 0, 0, Constant(alpha)));
        return PixelAt(dst, 0, 0);
    };
    EXPECT_EQ(d, blendOnce(8));  // draws nothing
    EXPECT_EQ(ref::Groups565(d, s, [](unsigned x, unsigned y) { return (x * (246 >> 2) + y * (9 >> 2)) >> 6; }),
              blendOnce(9));
    EXPECT_EQ((((3u * 16 + 31) >> 2) << 11) | (((3u * 32 + 63) >> 2) << 5) | ((3u * 16 + 31) >> 2), blendOnce(64));
    EXPECT_EQ(s, blendOnce(250));  // copies
}

TEST_F(PixelOpsTest, PerPixel565AtAlpha0And32And63)
{
    WORD d = 0xFFFF;
    WORD s[3] = {0x0000, 0x2104, 0x8410};  // premultiplied for alphas 0, 32, 63 (any color under 63)
    BYTE alpha[4] = {0, 32, 63, 0};
    WORD dst4[4] = {d, d, d, d}, src4[4] = {s[0], s[1], s[2], 0};
    CWceUi565Bitmap dst, src;
    ASSERT_TRUE(dst.CreateDIB565(3, 1, dst4, nullptr));
    ASSERT_TRUE(src.CreateDIB565(3, 1, src4, alpha));
    ASSERT_TRUE(dst.AlphaBlend(0, 0, 3, 1, &src, 0, 0, PerPixel()));
    EXPECT_EQ(d, PixelAt(dst, 0, 0));  // 0 leaves the destination
    unsigned scaled = ((31u * 31 >> 6) << 11) | ((63u * 31 >> 6) << 5) | (31u * 31 >> 6);
    EXPECT_EQ(scaled + s[1], PixelAt(dst, 1, 0));  // (d * 31 >> 6) + s per group
    EXPECT_EQ(s[2], PixelAt(dst, 2, 0));  // 63 replaces
}

TEST_F(PixelOpsTest, ConstantBlendsMatchTheFormulasForEveryAlpha)
{
    std::vector<WORD> d565 = m_random.Pixels565(kCount565), s565 = m_random.Pixels565(kCount565);
    std::vector<DWORD> d32 = m_random.Pixels32(kCount32), s32 = m_random.Pixels32(kCount32);
    CWceUi565Bitmap src565;
    CWceUi32Bitmap src32;
    ASSERT_TRUE(src565.CreateDIB565(kW, kH, s565.data(), nullptr));
    ASSERT_TRUE(src32.CreateDIB32(kW, kH, s32.data(), FALSE));
    for (int alpha = 0; alpha < 256; ++alpha) {
        // Whole bitmap: every array element, padding included.
        CWceUi565Bitmap dst565;
        ASSERT_TRUE(dst565.CreateDIB565(kW, kH, d565.data(), nullptr));
        ASSERT_TRUE(dst565.AlphaBlend(0, 0, kW, kH, &src565, 0, 0, Constant(alpha)));
        std::vector<WORD> got565 = ArrayVector<WORD>(dst565);
        for (int i = 0; i < kCount565; ++i) ASSERT_EQ(ref::Const565(d565[i], s565[i], alpha), got565[i]) << alpha;

        CWceUi32Bitmap dst32;
        ASSERT_TRUE(dst32.CreateDIB32(kW, kH, d32.data(), FALSE));
        ASSERT_TRUE(dst32.AlphaBlend(0, 0, kW, kH, &src32, 0, 0, Constant(alpha)));
        std::vector<DWORD> got32 = ArrayVector<DWORD>(dst32);
        for (int i = 0; i < kCount32; ++i) ASSERT_EQ(ref::Const32(d32[i], s32[i], alpha), got32[i]) << alpha;

        // Rows: 10 x 4 from source (kW - 4, 1) to (kW - 6, kH - 3), clipped by the source on the
        // right and by the destination at the bottom to 4 x 3.
        ASSERT_TRUE(dst565.CreateDIB565(kW, kH, d565.data(), nullptr));
        ASSERT_TRUE(dst565.AlphaBlend(kW - 6, kH - 3, 10, 4, &src565, kW - 4, 1, Constant(alpha)));
        ASSERT_TRUE(dst32.CreateDIB32(kW, kH, d32.data(), FALSE));
        ASSERT_TRUE(dst32.AlphaBlend(kW - 6, kH - 3, 10, 4, &src32, kW - 4, 1, Constant(alpha)));
        got565 = ArrayVector<WORD>(dst565);
        got32 = ArrayVector<DWORD>(dst32);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                bool inside = x >= kW - 6 && x < kW - 2 && y >= kH - 3;
                int i = Index565(x, y), j = Index32(x, y), sx = x + 2, sy = y + 4 - kH;
                ASSERT_EQ(inside ? ref::Const565(d565[i], s565[Index565(sx, sy)], alpha) : d565[i], got565[i]);
                ASSERT_EQ(inside ? ref::Const32(d32[j], s32[Index32(sx, sy)], alpha) : d32[j], got32[j]);
            }
    }
}

TEST_F(PixelOpsTest, PerPixelBlendsMatchTheFormulas)
{
    for (int round = 0; round < 20; ++round) {
        std::vector<WORD> d565 = m_random.Pixels565(kCount565), s565;
        std::vector<BYTE> alpha;
        m_random.Premultiplied565(kCount565, s565, alpha);
        if (0 == round) alpha[3] = 200;  // a damaged plane's value counts as opaque
        std::vector<DWORD> d32 = m_random.Pixels32(kCount32), s32 = m_random.Premultiplied32(kCount32);

        CWceUi565Bitmap dst565, src565;
        ASSERT_TRUE(src565.CreateDIB565(kW, kH, s565.data(), alpha.data()));
        ASSERT_TRUE(dst565.CreateDIB565(kW, kH, d565.data(), nullptr));
        ASSERT_TRUE(dst565.AlphaBlend(0, 0, kW, kH, &src565, 0, 0, PerPixel()));
        std::vector<WORD> got565 = ArrayVector<WORD>(dst565);
        for (int i = 0; i < kCount565; ++i) ASSERT_EQ(ref::PerPixel565(d565[i], s565[i], alpha[i]), got565[i]) << i;

        CWceUi32Bitmap dst32, src32;
        ASSERT_TRUE(src32.CreateDIB32(kW, kH, s32.data(), TRUE));
        ASSERT_TRUE(dst32.CreateDIB32(kW, kH, d32.data(), FALSE));
        ASSERT_TRUE(dst32.AlphaBlend(0, 0, kW, kH, &src32, 0, 0, PerPixel()));
        std::vector<DWORD> got32 = ArrayVector<DWORD>(dst32);
        for (int i = 0; i < kCount32; ++i) ASSERT_EQ(ref::PerPixel32(d32[i], s32[i]), got32[i]) << i;

        // Rows: destination (-1, 1) from source (0, 0): clipped to x 0..4 from source x 1..5.
        ASSERT_TRUE(dst565.CreateDIB565(kW, kH, d565.data(), nullptr));
        ASSERT_TRUE(dst565.AlphaBlend(-1, 1, 6, 3, &src565, 0, 0, PerPixel()));
        ASSERT_TRUE(dst32.CreateDIB32(kW, kH, d32.data(), FALSE));
        ASSERT_TRUE(dst32.AlphaBlend(-1, 1, 6, 3, &src32, 0, 0, PerPixel()));
        got565 = ArrayVector<WORD>(dst565);
        got32 = ArrayVector<DWORD>(dst32);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                bool inside = x < 5 && y >= 1 && y < 4;
                int i = Index565(x, y), j = Index32(x, y), si = Index565(x + 1, y - 1);
                ASSERT_EQ(inside ? ref::PerPixel565(d565[i], s565[si], alpha[si]) : d565[i], got565[i]);
                ASSERT_EQ(inside ? ref::PerPixel32(d32[j], s32[Index32(x + 1, y - 1)]) : d32[j], got32[j]);
            }
    }
}

// The vector loop of the 32-bit blend adds whole words like the formula: also exact when a
// source is not premultiplied and the sum carries from channel to channel.
TEST_F(PixelOpsTest, PerPixel32IsExactEvenForSourcesThatAreNotPremultiplied)
{
    const int n = 1000;
    std::vector<DWORD> d = m_random.Pixels32(n), s = m_random.Pixels32(n);
    CWceUi32Bitmap dst, src;
    ASSERT_TRUE(src.CreateDIB32(n, 1, s.data(), TRUE));
    ASSERT_TRUE(dst.CreateDIB32(n, 1, d.data(), FALSE));
    ASSERT_TRUE(dst.AlphaBlend(0, 0, n, 1, &src, 0, 0, PerPixel()));
    std::vector<DWORD> got = ArrayVector<DWORD>(dst);
    for (int i = 0; i < n; ++i) ASSERT_EQ(ref::PerPixel32(d[i], s[i]), got[i]) << i;
}

TEST_F(PixelOpsTest, MixingAndDarkeningMatchTheirFormForEveryAlpha)
{
    std::vector<WORD> d565 = m_random.Pixels565(kCount565);
    std::vector<DWORD> d32 = m_random.Pixels32(kCount32);
    for (COLORREF color : {RGB(0x12, 0xC4, 0x7F), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 8)}) {
        WORD c565 = JxColorTo565(color);
        DWORD c32 = ColorToPixel32(color);
        bool black = 0 == color;
        for (int alpha = 0; alpha < 256; ++alpha) {
            CWceUi565Bitmap b565;
            CWceUi32Bitmap b32;
            // Whole bitmap (a rectangle larger than the bitmap is the whole bitmap).
            ASSERT_TRUE(b565.CreateDIB565(kW, kH, d565.data(), nullptr));
            ASSERT_TRUE(b565.MixColor(-3, -3, kW + 6, kH + 6, color, alpha));
            ASSERT_TRUE(b32.CreateDIB32(kW, kH, d32.data(), FALSE));
            ASSERT_TRUE(b32.MixColor(0, 0, kW, kH, color, alpha));
            std::vector<WORD> got565 = ArrayVector<WORD>(b565);
            std::vector<DWORD> got32 = ArrayVector<DWORD>(b32);
            for (int i = 0; i < kCount565; ++i)
                ASSERT_EQ(black ? ref::Darken565(d565[i], alpha) : ref::MixWhole565(d565[i], c565, alpha), got565[i])
                    << alpha;
            for (int i = 0; i < kCount32; ++i)
                ASSERT_EQ(black ? ref::Darken32(d32[i], alpha) : ref::Const32(d32[i], c32, alpha), got32[i]) << alpha;

            // A rectangle: the row loops, with the constant-blend table.
            ASSERT_TRUE(b565.CreateDIB565(kW, kH, d565.data(), nullptr));
            ASSERT_TRUE(b565.MixColor(2, 1, kW - 4, 3, color, alpha));
            ASSERT_TRUE(b32.CreateDIB32(kW, kH, d32.data(), FALSE));
            ASSERT_TRUE(b32.MixColor(2, 1, kW - 4, 3, color, alpha));
            got565 = ArrayVector<WORD>(b565);
            got32 = ArrayVector<DWORD>(b32);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    bool inside = x >= 2 && x < kW - 2 && y >= 1 && y < 4;
                    int i = Index565(x, y), j = Index32(x, y);
                    WORD e565 = black ? ref::Darken565(d565[i], alpha) : ref::Const565(d565[i], c565, alpha);
                    DWORD e32 = black ? ref::Darken32(d32[j], alpha) : ref::Const32(d32[j], c32, alpha);
                    ASSERT_EQ(inside ? e565 : d565[i], got565[i]) << alpha;
                    ASSERT_EQ(inside ? e32 : d32[j], got32[j]) << alpha;
                }
        }
    }
}

TEST_F(PixelOpsTest, MixColorEdges)
{
    WORD p565[2] = {0xFFFF, 0x8631};
    DWORD p32[2] = {0x80FFFFFFu, 0x40102030u};
    CWceUi565Bitmap b565;
    CWceUi32Bitmap b32;
    ASSERT_TRUE(b565.CreateDIB565(2, 1, p565, nullptr));
    ASSERT_TRUE(b32.CreateDIB32(2, 1, p32, FALSE));
    ASSERT_TRUE(b565.MixColor(0, 0, 2, 1, RGB(0, 0, 0), 128));  // halves every channel
    EXPECT_EQ((0xFFFFu >> 1) & 0x7BEF, PixelAt(b565, 0, 0));
    EXPECT_EQ((0x8631u >> 1) & 0x7BEF, PixelAt(b565, 1, 0));
    ASSERT_TRUE(b32.MixColor(0, 0, 2, 1, RGB(0, 0, 0), 255));  // clears, alpha bytes kept
    EXPECT_EQ(0x80000000u, PixelAt(b32, 0, 0));
    EXPECT_EQ(0x40000000u, PixelAt(b32, 1, 0));

    // Outside: TRUE and nothing changes, not even the sharing.
    auto before = ArrayOf(b565);
    EXPECT_TRUE(b565.MixColor(5, 5, 3, 3, RGB(255, 0, 0), 200));
    EXPECT_TRUE(b565.MixColor(-10, 0, 10, 1, RGB(255, 0, 0), 200));
    EXPECT_EQ(before, ArrayOf(b565));
    EXPECT_FALSE(b565.MixColor(0, 0, 1, 1, RGB(255, 0, 0), 256));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::MixColor,check(((nAlpha >= 0) && (nAlpha <= 255)))fail"));

    // A tint looks the same on both kinds: red stays red on a 32-bit bitmap.
    ASSERT_TRUE(b565.MixColor(0, 0, 2, 1, RGB(255, 0, 0), 255));
    ASSERT_TRUE(b32.MixColor(0, 0, 2, 1, RGB(255, 0, 0), 255));
    EXPECT_EQ(0xF800u, PixelAt(b565, 0, 0));
    EXPECT_EQ(0x80FF0000u, PixelAt(b32, 0, 0));
}

TEST_F(PixelOpsTest, GrayAndHueMatchTheFormulas)
{
    std::vector<WORD> d565 = m_random.Pixels565(kCount565);
    std::vector<DWORD> d32 = m_random.Pixels32(kCount32);
    // Ties of the largest channels, grays and pure colors, besides the random pixels.
    d565[0] = 0xFFE0, d565[1] = 0x07FF, d565[2] = 0xF81F, d565[3] = 0x8410, d565[4] = 0xF800;
    d32[0] = 0x00FFFF00, d32[1] = 0x0000FFFF, d32[2] = 0x00FF00FF, d32[3] = 0x7F808080, d32[4] = 0x12FF0000;
    CWceUi565Bitmap b565;
    CWceUi32Bitmap b32;
    ASSERT_TRUE(b565.CreateDIB565(kW, kH, d565.data(), nullptr));
    ASSERT_TRUE(b32.CreateDIB32(kW, kH, d32.data(), FALSE));
    ASSERT_TRUE(b565.SetGray());
    ASSERT_TRUE(b32.SetGray());
    std::vector<WORD> got565 = ArrayVector<WORD>(b565);
    std::vector<DWORD> got32 = ArrayVector<DWORD>(b32);
    for (int i = 0; i < kCount565; ++i) ASSERT_EQ(ref::Gray565(d565[i]), got565[i]);
    for (int i = 0; i < kCount32; ++i) ASSERT_EQ(ref::Gray32(d32[i]), got32[i]);

    for (int offset : {-180, -179, -120, -61, -1, 1, 45, 60, 119, 120, 121, 180}) {
        ASSERT_TRUE(b565.CreateDIB565(kW, kH, d565.data(), nullptr));
        ASSERT_TRUE(b32.CreateDIB32(kW, kH, d32.data(), FALSE));
        ASSERT_TRUE(b565.SetHSLOffsetHue(offset));
        ASSERT_TRUE(b32.SetHSLOffsetHue(offset));
        got565 = ArrayVector<WORD>(b565);
        got32 = ArrayVector<DWORD>(b32);
        for (int i = 0; i < kCount565; ++i) ASSERT_EQ(ref::Hue565(d565[i], offset), got565[i]) << offset << " " << i;
        for (int i = 0; i < kCount32; ++i) ASSERT_EQ(ref::Hue32(d32[i], offset), got32[i]) << offset << " " << i;
    }
    EXPECT_EQ(65536, JxHueReciprocal(60));
    EXPECT_EQ(1092, JxHueFraction(1));
}

TEST_F(PixelOpsTest, HueTurnsRedToGreenToBlueAndLeavesGrayAndAlpha)
{
    DWORD p32[4] = {0x11FF0000u, 0x2200FF00u, 0x33808080u, 0x440000FFu};
    CWceUi32Bitmap b32;
    ASSERT_TRUE(b32.CreateDIB32(4, 1, p32, FALSE));
    ASSERT_TRUE(b32.SetHSLOffsetHue(120));
    EXPECT_EQ(0x1100FF00u, PixelAt(b32, 0, 0));  // red -> green
    EXPECT_EQ(0x220000FFu, PixelAt(b32, 1, 0));  // green -> blue
    EXPECT_EQ(0x33808080u, PixelAt(b32, 2, 0));  // gray stays
    EXPECT_EQ(0x44FF0000u, PixelAt(b32, 3, 0));  // blue -> red

    WORD p565[2] = {0xF800, 0x07E0};
    CWceUi565Bitmap b565;
    ASSERT_TRUE(b565.CreateDIB565(2, 1, p565, nullptr));
    auto shared = ArrayOf(b565);
    EXPECT_TRUE(b565.SetHSLOffsetHue(0));
    EXPECT_EQ(shared, ArrayOf(b565));
    ASSERT_TRUE(b565.SetHSLOffsetHue(120));
    EXPECT_EQ(62u << 5, PixelAt(b565, 0, 0));  // red's 6-bit value is 31 * 2: green gets 62
    EXPECT_EQ(0x001Fu, PixelAt(b565, 1, 0));
    EXPECT_FALSE(b565.SetHSLOffsetHue(181));
}

TEST_F(PixelOpsTest, QuarterTurnsMoveEveryPixel)
{
    // 3 x 2: a quarter turn clockwise gives 2 x 3 whose top row is the left column read
    // from bottom to top.
    WORD p[8] = {0};  // bottom-up, rows of 4: bottom row d e f, top row a b c
    const WORD a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;
    p[0] = d, p[1] = e, p[2] = f, p[4] = a, p[5] = b, p[6] = c;
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.CreateDIB565(3, 2, p, nullptr));
    CWceUiGenericBitmap* turned = nullptr;
    ASSERT_TRUE(bmp.Rotate(WCEUI_ROTATE_90, &turned));
    std::unique_ptr<CWceUiGenericBitmap> owner(turned);
    ASSERT_EQ(2, turned->GetWidth());
    ASSERT_EQ(3, turned->GetHeight());
    EXPECT_EQ(d, PixelAt(*turned, 0, 0));
    EXPECT_EQ(a, PixelAt(*turned, 1, 0));
    EXPECT_EQ(f, PixelAt(*turned, 0, 2));
    EXPECT_EQ(c, PixelAt(*turned, 1, 2));

    // Every angle on random pixels of both kinds against the coordinate rules.
    std::vector<WORD> r565 = m_random.Pixels565(kCount565);
    std::vector<DWORD> r32 = m_random.Pixels32(kCount32);
    CWceUi565Bitmap s565;
    CWceUi32Bitmap s32;
    ASSERT_TRUE(s565.CreateDIB565(kW, kH, r565.data(), nullptr));
    ASSERT_TRUE(s32.CreateDIB32(kW, kH, r32.data(), FALSE));
    for (WCEUI_ROTATE_ANGLE angle : {WCEUI_ROTATE_90, WCEUI_ROTATE_180, WCEUI_ROTATE_270}) {
        CWceUiGenericBitmap *t565 = nullptr, *t32 = nullptr;
        ASSERT_TRUE(s565.Rotate(angle, &t565));
        ASSERT_TRUE(s32.Rotate(angle, &t32));
        std::unique_ptr<CWceUiGenericBitmap> o1(t565), o2(t32);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                int tx = WCEUI_ROTATE_90 == angle ? kH - 1 - y : (WCEUI_ROTATE_180 == angle ? kW - 1 - x : y);
                int ty = WCEUI_ROTATE_90 == angle ? x : (WCEUI_ROTATE_180 == angle ? kH - 1 - y : kW - 1 - x);
                ASSERT_EQ(r565[Index565(x, y)], PixelAt(*t565, tx, ty)) << angle;
                ASSERT_EQ(r32[Index32(x, y)], PixelAt(*t32, tx, ty)) << angle;
            }
    }
}

TEST(CalcBitBltRects, SameSizeClipsBothSidesInStep)
{
    RECT dstBound = {0, 0, 100, 50}, srcBound = {0, 0, 40, 40};
    RECT dst = {-10, 20, 30, 60}, src = {5, 5, 45, 45};
    RECT outDst, outSrc;
    ASSERT_TRUE(CalcBitBltRects(&outDst, &outSrc, &dstBound, &srcBound, &dst, &src));
    // Source x clipped at 40 (right) and destination x at 0 (left), y at 50 (bottom).
    RECT expectDst = {0, 20, 25, 50}, expectSrc = {15, 5, 40, 35};
    EXPECT_TRUE(EqualRect(&expectDst, &outDst));
    EXPECT_TRUE(EqualRect(&expectSrc, &outSrc));

    RECT inside = {1, 1, 11, 11};
    ASSERT_TRUE(CalcBitBltRects(&outDst, &outSrc, &dstBound, &srcBound, &inside, &inside));
    EXPECT_TRUE(EqualRect(&inside, &outDst));
    EXPECT_TRUE(EqualRect(&inside, &outSrc));

    RECT outside = {200, 0, 210, 10};
    EXPECT_FALSE(CalcBitBltRects(&outDst, &outSrc, &dstBound, &srcBound, &outside, &inside));
    EXPECT_TRUE(IsRectEmpty(&outDst));
    EXPECT_TRUE(IsRectEmpty(&outSrc));
}

TEST(CalcBitBltRects, ScaledKeepsTheFactors)
{
    // A 10 x 10 source drawn at 20 x 20 with its right half outside the source bounds.
    RECT dstBound = {0, 0, 100, 100}, srcBound = {0, 0, 5, 10};
    RECT dst = {10, 10, 30, 30}, src = {0, 0, 10, 10};
    RECT outDst, outSrc;
    ASSERT_TRUE(CalcBitBltRects(&outDst, &outSrc, &dstBound, &srcBound, &dst, &src));
    RECT expectDst = {10, 10, 20, 30}, expectSrc = {0, 0, 5, 10};
    EXPECT_TRUE(EqualRect(&expectDst, &outDst));
    EXPECT_TRUE(EqualRect(&expectSrc, &outSrc));

    // The destination runs off the left edge: the source start moves by half as much.
    RECT dst2 = {-6, 0, 14, 20};
    RECT srcBound2 = {0, 0, 10, 10};
    ASSERT_TRUE(CalcBitBltRects(&outDst, &outSrc, &dstBound, &srcBound2, &dst2, &src));
    RECT expectDst2 = {0, 0, 14, 20}, expectSrc2 = {3, 0, 10, 10};
    EXPECT_TRUE(EqualRect(&expectDst2, &outDst));
    EXPECT_TRUE(EqualRect(&expectSrc2, &outSrc));
}
