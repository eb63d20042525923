// The bitmap blends on an 800 x 480 screen against pixman doing the same work in the same
// run, and the throughput of the other whole-bitmap pixel operations.
//
// - 565 per-pixel: our premultiplied 565 source plus its 0..63 alpha plane, against pixman
//   OVER with an r5g6b5 source and an a8 mask onto r5g6b5 (pixman scales the source by the
//   mask; we add it premultiplied: comparable work).
// - 32-bit per-pixel: premultiplied 0xAARRGGBB against pixman OVER a8r8g8b8 onto a8r8g8b8.
// - 565 constant alpha 100: against pixman OVER r5g6b5 with a solid mask of 100 / 255.
// Targets (ours / pixman, on each area): 565 per-pixel <= 0.25, 565 constant <= 0.3,
// 32-bit per-pixel <= 0.6.
#include <pixman.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "benchmark/benchmark.h"
#include "bench_times.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;
constexpr int kPixels = kWidth * kHeight;

// Random premultiplied pixels, the same for both sides of a pair.
struct Pictures {
    std::vector<WORD> src565;
    std::vector<BYTE> alpha63;   // 0..63, as in the plane
    std::vector<BYTE> alpha255;  // the same alpha for pixman's a8 mask
    std::vector<WORD> dst565;
    std::vector<DWORD> src32;
    std::vector<DWORD> dst32;

    Pictures()
    {
        std::mt19937 random(7);
        for (int i = 0; i < kPixels; ++i) {
            unsigned a = random() % 64;
            unsigned r = a ? random() % (a / 2 + 1) : 0, g = a ? random() % (a + 1) : 0, b = a ? random() % (a / 2 + 1) : 0;
            src565.push_back(static_cast<WORD>((r << 11) | (g << 5) | b));
            alpha63.push_back(static_cast<BYTE>(a));
            alpha255.push_back(static_cast<BYTE>(a * 255 / 63));
            dst565.push_back(static_cast<WORD>(random()));
            unsigned a8 = random() % 256;
            DWORD p = a8 << 24;
            for (int c = 0; c < 3; ++c) p |= (random() % (a8 + 1)) << (8 * c);
            src32.push_back(p);
            dst32.push_back(static_cast<DWORD>(random()) | 0xFF000000u);
        }
    }
};

const Pictures& GetPictures()
{
    static const Pictures pictures;
    return pictures;
}

// Pixman's pictures live in bitmaps made as ours are, so that both sides read and write
// the same memory layout; a DIB's rows run bottom-up, which pixman sees as the picture upside
// down: the same kind of pixels.
struct PixmanPicture {
    pixman_image_t* pImage = nullptr;
    CWceUi565Bitmap bitmap565;
    CWceUi32Bitmap bitmap32;

    PixmanPicture(pixman_format_code_t format, const std::vector<WORD>& pixels)
    {
        bitmap565.CreateDIB565(kWidth, kHeight, pixels.data(), nullptr);
        Wrap(format, bitmap565, kWidth * 2);
    }
    PixmanPicture(pixman_format_code_t format, const std::vector<DWORD>& pixels)
    {
        bitmap32.CreateDIB32(kWidth, kHeight, pixels.data(), FALSE);
        Wrap(format, bitmap32, kWidth * 4);
    }
    ~PixmanPicture() { pixman_image_unref(pImage); }

private:
    void Wrap(pixman_format_code_t format, CWceUiGenericBitmap& bitmap, int nStride)
    {
        void* pBits = nullptr;
        bitmap.GetHBitmap(&pBits);
        pImage = pixman_image_create_bits(format, kWidth, kHeight, static_cast<uint32_t*>(pBits), nStride);
    }
};

BLENDFUNCTION Blend(BYTE constantAlpha, BYTE format) { return BLENDFUNCTION{AC_SRC_OVER, 0, constantAlpha, format}; }

// The areas each blend is measured on (the benchmark's argument): the whole screen, the
// status text's repaint, and a one-pixel column, where the set-up of each row dominates.
struct Area {
    const char* pName;
    int x, y, w, h;
};
const Area kAreas[] = {{"800x480", 0, 0, kWidth, kHeight}, {"100x40", 350, 220, 100, 40}, {"1x480", 400, 0, 1, kHeight}};

const Area& AreaOf(const benchmark::State& state) { return kAreas[state.range(0)]; }

void Count(benchmark::State& state)
{
    const Area& area = AreaOf(state);
    state.SetItemsProcessed(state.iterations() * area.w * area.h);
}

// The DIB rows are bottom-up and 565 rows are even in length: 800 is even, so the arrays are
// plain copies of the pictures.
void BM_Ours_565_PerPixel(benchmark::State& state)
{
    const Pictures& p = GetPictures();
    const Area& a = AreaOf(state);
    CWceUi565Bitmap dst, src;
    dst.CreateDIB565(kWidth, kHeight, p.dst565.data(), nullptr);
    src.CreateDIB565(kWidth, kHeight, p.src565.data(), p.alpha63.data());
    for (auto _ : state) dst.AlphaBlend(a.x, a.y, a.w, a.h, &src, a.x, a.y, Blend(255, AC_SRC_ALPHA));
    Count(state);
}

void BM_Pixman_565_A8Mask(benchmark::State& state)
{
    Pictures p = GetPictures();
    const Area& a = AreaOf(state);
    PixmanPicture src(PIXMAN_r5g6b5, p.src565), dst(PIXMAN_r5g6b5, p.dst565);
    pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, kWidth, kHeight,
                                                    reinterpret_cast<uint32_t*>(p.alpha255.data()), kWidth);
    for (auto _ : state)
        pixman_image_composite(PIXMAN_OP_OVER, src.pImage, mask, dst.pImage, a.x, a.y, a.x, a.y, a.x, a.y, a.w, a.h);
    Count(state);
    pixman_image_unref(mask);
}

void BM_Ours_32_PerPixel(benchmark::State& state)
{
    const Pictures& p = GetPictures();
    const Area& a = AreaOf(state);
    CWceUi32Bitmap dst, src;
    dst.CreateDIB32(kWidth, kHeight, p.dst32.data(), FALSE);
    src.CreateDIB32(kWidth, kHeight, p.src32.data(), TRUE);
    for (auto _ : state) dst.AlphaBlend(a.x, a.y, a.w, a.h, &src, a.x, a.y, Blend(255, AC_SRC_ALPHA));
    Count(state);
}

void BM_Pixman_32_Over(benchmark::State& state)
{
    const Pictures& p = GetPictures();
    const Area& a = AreaOf(state);
    PixmanPicture src(PIXMAN_a8r8g8b8, p.src32), dst(PIXMAN_a8r8g8b8, p.dst32);
    for (auto _ : state)
        pixman_image_composite(PIXMAN_OP_OVER, src.pImage, nullptr, dst.pImage, a.x, a.y, 0, 0, a.x, a.y, a.w, a.h);
    Count(state);
}

void BM_Ours_565_Constant100(benchmark::State& state)
{
    const Pictures& p = GetPictures();
    const Area& a = AreaOf(state);
    CWceUi565Bitmap dst, src;
    dst.CreateDIB565(kWidth, kHeight, p.dst565.data(), nullptr);
    src.CreateDIB565(kWidth, kHeight, p.src565.data(), nullptr);
    for (auto _ : state) dst.AlphaBlend(a.x, a.y, a.w, a.h, &src, a.x, a.y, Blend(100, AC_SRC_OVER));
    Count(state);
}

void BM_Pixman_565_SolidMask100(benchmark::State& state)
{
    const Pictures& p = GetPictures();
    const Area& a = AreaOf(state);
    PixmanPicture src(PIXMAN_r5g6b5, p.src565), dst(PIXMAN_r5g6b5, p.dst565);
    pixman_color_t color = {0, 0, 0, static_cast<uint16_t>(100 * 257)};
    pixman_image_t* mask = pixman_image_create_solid_fill(&color);
    for (auto _ : state)
        pixman_image_composite(PIXMAN_OP_OVER, src.pImage, mask, dst.pImage, a.x, a.y, 0, 0, a.x, a.y, a.w, a.h);
    Count(state);
    pixman_image_unref(mask);
}

// The other whole-bitmap operations, on random pixels (no runs of equal pixels to reuse).
void Fill(CWceUi565Bitmap& bitmap, int) { bitmap.CreateDIB565(kWidth, kHeight, GetPictures().dst565.data(), nullptr); }
void Fill(CWceUi32Bitmap& bitmap, int) { bitmap.CreateDIB32(kWidth, kHeight, GetPictures().dst32.data(), FALSE); }

template <class Bitmap, int Bits>
void BM_MixColor(benchmark::State& state)
{
    Bitmap bitmap;
    Fill(bitmap, Bits);
    for (auto _ : state) bitmap.MixColor(0, 0, kWidth, kHeight, RGB(0x20, 0x80, 0xC0), 100);
    state.SetItemsProcessed(state.iterations() * kPixels);
}

template <class Bitmap, int Bits>
void BM_SetGray(benchmark::State& state)
{
    Bitmap bitmap;
    for (auto _ : state) {
        state.PauseTiming();
        Fill(bitmap, Bits);  // gray stays gray: start from color every time
        state.ResumeTiming();
        bitmap.SetGray();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

template <class Bitmap, int Bits>
void BM_SetHSLOffsetHue(benchmark::State& state)
{
    Bitmap bitmap;
    Fill(bitmap, Bits);
    for (auto _ : state) bitmap.SetHSLOffsetHue(60);
    state.SetItemsProcessed(state.iterations() * kPixels);
}

template <class Bitmap, int Bits>
void BM_Rotate90(benchmark::State& state)
{
    Bitmap bitmap;
    Fill(bitmap, Bits);
    for (auto _ : state) {
        CWceUiGenericBitmap* pRotated = nullptr;
        bitmap.Rotate(WCEUI_ROTATE_90, &pRotated);
        delete pRotated;
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

BENCHMARK(BM_Ours_565_PerPixel)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman_565_A8Mask)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ours_32_PerPixel)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman_32_Over)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ours_565_Constant100)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pixman_565_SolidMask100)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_MixColor, CWceUi565Bitmap, 16)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_MixColor, CWceUi32Bitmap, 32)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_SetGray, CWceUi565Bitmap, 16)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_SetGray, CWceUi32Bitmap, 32)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_SetHSLOffsetHue, CWceUi565Bitmap, 16)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_SetHSLOffsetHue, CWceUi32Bitmap, 32)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Rotate90, CWceUi565Bitmap, 16)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Rotate90, CWceUi32Bitmap, 32)->Unit(benchmark::kMicrosecond);

// One line per area: the pair's ratio and whether it meets the target.
void PrintRatios(const BenchTimes& times, const char* pLabel, const std::string& ours, const std::string& baseline,
                 double target)
{
    for (int i = 0; i < 3; ++i) {
        std::string arg = "/" + std::to_string(i);
        times.PrintRatio(std::string(pLabel) + ", " + kAreas[i].pName + ": ours / pixman", ours + arg, baseline + arg,
                         target);
    }
}

// Times are in microseconds per 800 x 480 frame.
void PrintThroughput(const BenchTimes& times, const std::string& name)
{
    if (double t = times.Time(name); t > 0) std::printf("throughput %s: %.0f megapixels per second\n", name.c_str(), kPixels / t);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        PrintRatios(t, "565 per-pixel alpha", "BM_Ours_565_PerPixel", "BM_Pixman_565_A8Mask", 0.25);
        PrintRatios(t, "32-bit per-pixel alpha", "BM_Ours_32_PerPixel", "BM_Pixman_32_Over", 0.6);
        PrintRatios(t, "565 constant alpha 100", "BM_Ours_565_Constant100", "BM_Pixman_565_SolidMask100", 0.3);
        for (const char* name :
             {"BM_MixColor<CWceUi565Bitmap, 16>", "BM_MixColor<CWceUi32Bitmap, 32>", "BM_SetGray<CWceUi565Bitmap, 16>",
              "BM_SetGray<CWceUi32Bitmap, 32>", "BM_SetHSLOffsetHue<CWceUi565Bitmap, 16>",
              "BM_SetHSLOffsetHue<CWceUi32Bitmap, 32>", "BM_Rotate90<CWceUi565Bitmap, 16>",
              "BM_Rotate90<CWceUi32Bitmap, 32>"})
            PrintThroughput(t, name);
    });
}
