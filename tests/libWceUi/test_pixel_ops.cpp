// The pixel operations: the edge cases worth naming, and the fast whole-bitmap and row loops
// compared bit for bit with a plain per-pixel reference of the formulas on random pixels.
#include <array>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "JXCommon.h"
#include "bitmap_helpers.h"
#include "pixel_reference.h"

namespace {

constexpr int kW = 37;  // odd: 565 rows carry a padding pixel; long enough for the vector loops
constexpr int kH = 9;
template <class T>
constexpr int kRow = 2 == sizeof(T) ? kW + 1 : kW;
template <class T>
using BitmapOf = std::conditional_t<2 == sizeof(T), CWceUi565Bitmap, CWceUi32Bitmap>;

// Array index of image pixel (x, y).
template <class T>
int Index(int x, int y) { return (kH - 1 - y) * kRow<T> + x; }

BLENDFUNCTION Constant(int alpha) { return BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0}; }
BLENDFUNCTION PerPixel() { return BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}; }

// A kW x kH bitmap of the pixels, with per-pixel alpha from a plane (565) or the pixels (32).
BOOL Make(CWceUi565Bitmap& b, const std::vector<WORD>& p, const BYTE* plane = nullptr)
{
    return b.CreateDIB565(kW, kH, p.data(), plane);
}
BOOL Make(CWceUi32Bitmap& b, const std::vector<DWORD>& p, BOOL perPixel = FALSE)
{
    return b.CreateDIB32(kW, kH, p.data(), perPixel);
}

struct Random {
    std::mt19937 gen{12345};
    unsigned Next(unsigned n) { return static_cast<unsigned>(gen() % n); }

    template <class T>
    std::vector<T> Array()
    {
        std::vector<T> v(static_cast<size_t>(kRow<T> * kH));
        for (T& p : v) p = static_cast<T>(gen());
        return v;
    }
    // Premultiplied, as skins hold them: each color at most its alpha (565: red and blue
    // counted as 6-bit values). Alpha 0 and full come often, as in real planes.
    unsigned Alpha(unsigned full)
    {
        unsigned kind = Next(4);
        return 0 == kind ? 0 : (1 == kind ? full : Next(full + 1));
    }
    void Premultiplied565(std::vector<WORD>& pixels, std::vector<BYTE>& alpha)
    {
        pixels = Array<WORD>();
        alpha.resize(pixels.size());
        for (size_t i = 0; i < pixels.size(); ++i) {
            unsigned a = alpha[i] = static_cast<BYTE>(Alpha(63));
            pixels[i] = static_cast<WORD>(Next(a / 2 + 1) << 11 | Next(a + 1) << 5 | Next(a / 2 + 1));
        }
    }
    std::vector<DWORD> Premultiplied32()
    {
        std::vector<DWORD> v = Array<DWORD>();
        for (DWORD& p : v) {
            unsigned a = Alpha(255);
            p = a << 24 | Next(a + 1) << 16 | Next(a + 1) << 8 | Next(a + 1);
        }
        return v;
    }
};

const auto kAll = [](int, int) { return true; };

// Runs op on a bitmap of the pixels d: where inside(x, y) its array must hold expect(d, x, y),
// elsewhere d. The 565 padding column (x == kW) is checked too.
template <class T, class Op, class Expect, class Inside>
void Check(const std::vector<T>& d, Op op, Expect expect, Inside inside)
{
    BitmapOf<T> bmp;
    ASSERT_TRUE(Make(bmp, d));
    ASSERT_TRUE(op(bmp));
    const T* got = reinterpret_cast<const T*>(Bits(bmp));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kRow<T>; ++x) {
            int i = Index<T>(x, y);
            ASSERT_EQ(inside(x, y) ? expect(d[i], x, y) : d[i], got[i]) << "pixel " << x << "," << y;
        }
}

// A blend's rectangle (x, y, w, h) and source origin (sx, sy).
struct Rows { int x, y, w, h, sx, sy; };

// Blends src onto a bitmap of the pixels d over the whole bitmap, then as r, which the row loops
// draw after clipping against both bitmaps. Each pixel against formula(d, source index).
template <class T, class F>
void CheckBlend(const std::vector<T>& d, CWceUiGenericBitmap& src, BLENDFUNCTION bf, F formula, Rows r)
{
    Check(d, [&](CWceUiGenericBitmap& b) { return b.AlphaBlend(0, 0, kW, kH, &src, 0, 0, bf); },
          [&](T p, int x, int y) { return formula(p, Index<T>(x, y)); }, kAll);
    auto inside = [&](int x, int y) {
        int u = x - r.x + r.sx, v = y - r.y + r.sy;
        return x < kW && x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h && u >= 0 && u < kW && v >= 0 && v < kH;
    };
    Check(d, [&](CWceUiGenericBitmap& b) { return b.AlphaBlend(r.x, r.y, r.w, r.h, &src, r.sx, r.sy, bf); },
          [&](T p, int x, int y) { return formula(p, Index<T>(x - r.x + r.sx, y - r.y + r.sy)); }, inside);
}

DWORD ColorToPixel32(COLORREF cr) { return ((cr & 0xFF) << 16) | (cr & 0xFF00) | ((cr >> 16) & 0xFF); }

// CalcBitBltRects's destination and source rectangles; all 0 when nothing is left to draw.
using Rects = std::array<LONG, 8>;
Rects Clip(RECT dstBound, RECT srcBound, RECT dst, RECT src)
{
    RECT d, s;
    BOOL drawn = CalcBitBltRects(&d, &s, &dstBound, &srcBound, &dst, &src);
    EXPECT_EQ(!drawn, IsRectEmpty(&d) && IsRectEmpty(&s));
    if (!drawn) return {};
    return {d.left, d.top, d.right, d.bottom, s.left, s.top, s.right, s.bottom};
}

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

// Constant alpha at 8, 9, 64 and 250, and the plane's values 0, 32 and 63, worked out by hand.
TEST_F(PixelOpsTest, EdgesOf565Blends)
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

    WORD white[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    WORD colors[4] = {0x0000, 0x2104, 0x8410, 0};  // premultiplied for alphas 0, 32, 63 (any color under 63)
    BYTE alpha[4] = {0, 32, 63, 0};
    ASSERT_TRUE(dst.CreateDIB565(3, 1, white, nullptr));
    ASSERT_TRUE(src.CreateDIB565(3, 1, colors, alpha));
    ASSERT_TRUE(dst.AlphaBlend(0, 0, 3, 1, &src, 0, 0, PerPixel()));
    // 0 leaves the destination, 32 adds the source to (d * 31 >> 6) per group, 63 replaces.
    unsigned scaled = ((31u * 31 >> 6) << 11) | ((63u * 31 >> 6) << 5) | (31u * 31 >> 6);
    EXPECT_EQ((Pixels{0xFFFF, scaled + colors[1], colors[2]}), RowOf(dst));
}

TEST_F(PixelOpsTest, ConstantBlendsMatchTheFormulasForEveryAlpha)
{
    auto d565 = m_random.Array<WORD>(), s565 = m_random.Array<WORD>();
    auto d32 = m_random.Array<DWORD>(), s32 = m_random.Array<DWORD>();
    CWceUi565Bitmap src565;
    CWceUi32Bitmap src32;
    ASSERT_TRUE(Make(src565, s565));
    ASSERT_TRUE(Make(src32, s32));
    const Rows rows{kW - 6, kH - 3, 10, 4, kW - 4, 1};  // clipped by the source on the right, the destination below
    for (int alpha = 0; alpha < 256; ++alpha) {
        auto f565 = [&](WORD p, int i) { return ref::Const565(p, s565[i], alpha); };
        auto f32 = [&](DWORD p, int i) { return ref::Const32(p, s32[i], alpha); };
        ASSERT_NO_FATAL_FAILURE(CheckBlend(d565, src565, Constant(alpha), f565, rows)) << alpha;
        ASSERT_NO_FATAL_FAILURE(CheckBlend(d32, src32, Constant(alpha), f32, rows)) << alpha;
    }
}

TEST_F(PixelOpsTest, PerPixelBlendsMatchTheFormulas)
{
    for (int round = 0; round < 20; ++round) {
        std::vector<WORD> s565;
        std::vector<BYTE> plane;
        m_random.Premultiplied565(s565, plane);
        if (0 == round) plane[3] = 200;  // a damaged plane's value counts as opaque
        // The vector loop of the 32-bit blend adds whole words like the formula: also exact when
        // a source is not premultiplied and the sum carries from channel to channel.
        std::vector<DWORD> s32 = 1 == round ? m_random.Array<DWORD>() : m_random.Premultiplied32();
        CWceUi565Bitmap src565;
        CWceUi32Bitmap src32;
        ASSERT_TRUE(Make(src565, s565, plane.data()));
        ASSERT_TRUE(Make(src32, s32, TRUE));
        auto f565 = [&](WORD p, int i) { return ref::PerPixel565(p, s565[i], plane[i]); };
        auto f32 = [&](DWORD p, int i) { return ref::PerPixel32(p, s32[i]); };
        const Rows rows{-1, 1, 6, 3, 0, 0};  // off the destination's left edge
        ASSERT_NO_FATAL_FAILURE(CheckBlend(m_random.Array<WORD>(), src565, PerPixel(), f565, rows)) << round;
        ASSERT_NO_FATAL_FAILURE(CheckBlend(m_random.Array<DWORD>(), src32, PerPixel(), f32, rows)) << round;
    }
}

TEST_F(PixelOpsTest, MixingAndDarkeningMatchTheirFormForEveryAlpha)
{
    auto d565 = m_random.Array<WORD>();
    auto d32 = m_random.Array<DWORD>();
    auto rows = [](int x, int y) { return x >= 2 && x < kW - 2 && y >= 1 && y < 4; };
    for (COLORREF color : {RGB(0x12, 0xC4, 0x7F), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 8)}) {
        WORD c565 = JxColorTo565(color);
        DWORD c32 = ColorToPixel32(color);
        bool black = 0 == color;
        for (int a = 0; a < 256; ++a) {
            auto mix = [&](int x, int y, int w, int h) {
                return [=](CWceUiGenericBitmap& b) { return b.MixColor(x, y, w, h, color, a); };
            };
            // The whole-bitmap form of 565 differs from the rows' constant-blend table.
            auto whole565 = [&](WORD d, int, int) { return black ? ref::Darken565(d, a) : ref::MixWhole565(d, c565, a); };
            auto rows565 = [&](WORD d, int, int) { return black ? ref::Darken565(d, a) : ref::Const565(d, c565, a); };
            auto any32 = [&](DWORD d, int, int) { return black ? ref::Darken32(d, a) : ref::Const32(d, c32, a); };
            // A rectangle larger than the bitmap is the whole bitmap.
            ASSERT_NO_FATAL_FAILURE(Check(d565, mix(-3, -3, kW + 6, kH + 6), whole565, kAll)) << a;
            ASSERT_NO_FATAL_FAILURE(Check(d32, mix(0, 0, kW, kH), any32, kAll)) << a;
            ASSERT_NO_FATAL_FAILURE(Check(d565, mix(2, 1, kW - 4, 3), rows565, rows)) << a;
            ASSERT_NO_FATAL_FAILURE(Check(d32, mix(2, 1, kW - 4, 3), any32, rows)) << a;
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
    EXPECT_EQ((Pixels{(0xFFFFu >> 1) & 0x7BEF, (0x8631u >> 1) & 0x7BEF}), RowOf(b565));
    ASSERT_TRUE(b32.MixColor(0, 0, 2, 1, RGB(0, 0, 0), 255));  // clears, alpha bytes kept
    EXPECT_EQ((Pixels{0x80000000u, 0x40000000u}), RowOf(b32));

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

TEST_F(PixelOpsTest, GrayAndHueMatchTheFormulasAndTurnRedToGreenToBlue)
{
    auto d565 = m_random.Array<WORD>();
    auto d32 = m_random.Array<DWORD>();
    // Ties of the largest channels, grays and pure colors, besides the random pixels.
    d565[0] = 0xFFE0, d565[1] = 0x07FF, d565[2] = 0xF81F, d565[3] = 0x8410, d565[4] = 0xF800;
    d32[0] = 0x00FFFF00, d32[1] = 0x0000FFFF, d32[2] = 0x00FF00FF, d32[3] = 0x7F808080, d32[4] = 0x12FF0000;
    auto gray = [](CWceUiGenericBitmap& b) { return b.SetGray(); };
    ASSERT_NO_FATAL_FAILURE(Check(d565, gray, [](WORD d, int, int) { return ref::Gray565(d); }, kAll));
    ASSERT_NO_FATAL_FAILURE(Check(d32, gray, [](DWORD d, int, int) { return ref::Gray32(d); }, kAll));
    for (int offset : {-180, -179, -120, -61, -1, 1, 45, 60, 119, 120, 121, 180}) {
        auto hue = [offset](CWceUiGenericBitmap& b) { return b.SetHSLOffsetHue(offset); };
        auto hue565 = [&](WORD d, int, int) { return ref::Hue565(d, offset); };
        auto hue32 = [&](DWORD d, int, int) { return ref::Hue32(d, offset); };
        ASSERT_NO_FATAL_FAILURE(Check(d565, hue, hue565, kAll)) << offset;
        ASSERT_NO_FATAL_FAILURE(Check(d32, hue, hue32, kAll)) << offset;
    }
    DWORD p32[4] = {0x11FF0000u, 0x2200FF00u, 0x33808080u, 0x440000FFu};
    CWceUi32Bitmap b32;
    ASSERT_TRUE(b32.CreateDIB32(4, 1, p32, FALSE));
    ASSERT_TRUE(b32.SetHSLOffsetHue(120));
    EXPECT_EQ((Pixels{0x1100FF00u, 0x220000FFu, 0x33808080u, 0x44FF0000u}), RowOf(b32));  // red -> green -> blue -> red

    WORD p565[2] = {0xF800, 0x07E0};
    CWceUi565Bitmap b565;
    ASSERT_TRUE(b565.CreateDIB565(2, 1, p565, nullptr));
    auto shared = ArrayOf(b565);
    EXPECT_TRUE(b565.SetHSLOffsetHue(0));
    EXPECT_EQ(shared, ArrayOf(b565));
    ASSERT_TRUE(b565.SetHSLOffsetHue(120));
    EXPECT_EQ((Pixels{62u << 5, 0x001Fu}), RowOf(b565));  // red's 6-bit value is 31 * 2: green gets 62
    EXPECT_FALSE(b565.SetHSLOffsetHue(181));
}

TEST_F(PixelOpsTest, QuarterTurnsMoveEveryPixel)
{
    // 3 x 2 (bottom-up rows of 4: d e f, then a b c): a quarter turn clockwise gives 2 x 3
    // whose top row is the left column read from bottom to top.
    WORD p[8] = {4, 5, 6, 0, 1, 2, 3, 0};
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.CreateDIB565(3, 2, p, nullptr));
    CWceUiGenericBitmap* turned = nullptr;
    ASSERT_TRUE(bmp.Rotate(WCEUI_ROTATE_90, &turned));
    std::unique_ptr<CWceUiGenericBitmap> owner(turned);
    ASSERT_EQ(2, turned->GetWidth());
    ASSERT_EQ(3, turned->GetHeight());
    EXPECT_EQ((Pixels{4, 1}), RowOf(*turned, 0));
    EXPECT_EQ((Pixels{6, 3}), RowOf(*turned, 2));

    // Every angle on random pixels of both kinds against the coordinate rules.
    auto r565 = m_random.Array<WORD>();
    auto r32 = m_random.Array<DWORD>();
    CWceUi565Bitmap s565;
    CWceUi32Bitmap s32;
    ASSERT_TRUE(Make(s565, r565));
    ASSERT_TRUE(Make(s32, r32));
    for (WCEUI_ROTATE_ANGLE angle : {WCEUI_ROTATE_90, WCEUI_ROTATE_180, WCEUI_ROTATE_270}) {
        CWceUiGenericBitmap *t565 = nullptr, *t32 = nullptr;
        ASSERT_TRUE(s565.Rotate(angle, &t565));
        ASSERT_TRUE(s32.Rotate(angle, &t32));
        std::unique_ptr<CWceUiGenericBitmap> o1(t565), o2(t32);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                int tx = WCEUI_ROTATE_90 == angle ? kH - 1 - y : (WCEUI_ROTATE_180 == angle ? kW - 1 - x : y);
                int ty = WCEUI_ROTATE_90 == angle ? x : (WCEUI_ROTATE_180 == angle ? kH - 1 - y : kW - 1 - x);
                ASSERT_EQ(r565[Index<WORD>(x, y)], PixelAt(*t565, tx, ty)) << angle;
                ASSERT_EQ(r32[Index<DWORD>(x, y)], PixelAt(*t32, tx, ty)) << angle;
            }
    }
}

TEST(CalcBitBltRects, ClipsBothSidesInStepAndKeepsTheScale)
{
    // Same size: source x clipped at 40 (right), destination x at 0 (left), y at 50 (bottom).
    const RECT dst = {0, 0, 100, 50}, src = {0, 0, 40, 40};
    EXPECT_EQ((Rects{0, 20, 25, 50, 15, 5, 40, 35}), Clip(dst, src, {-10, 20, 30, 60}, {5, 5, 45, 45}));
    EXPECT_EQ((Rects{1, 1, 11, 11, 1, 1, 11, 11}), Clip(dst, src, {1, 1, 11, 11}, {1, 1, 11, 11}));
    EXPECT_EQ(Rects{}, Clip(dst, src, {200, 0, 210, 10}, {1, 1, 11, 11}));
    // Scaled 10 x 10 to 20 x 20: the source's right half lies outside its bounds, then the
    // destination runs off the left edge and the source start moves by half as much.
    const RECT big = {0, 0, 100, 100}, ten = {0, 0, 10, 10};
    EXPECT_EQ((Rects{10, 10, 20, 30, 0, 0, 5, 10}), Clip(big, {0, 0, 5, 10}, {10, 10, 30, 30}, ten));
    EXPECT_EQ((Rects{0, 0, 14, 20, 3, 0, 10, 10}), Clip(big, ten, {-6, 0, 14, 20}, ten));
}
