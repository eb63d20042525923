// Transition frames at 800 x 480, 16 and 32 bits, default direction: the mean of the 12 frames
// of one transition, against one full-frame BitBlt in the same run.
//
//   barn, slider, come, go   target <= 2.0 x BitBlt
//   blend                    target <= 1.1 x (BitBlt + one constant-alpha AlphaBlend)
//
// Prints every ratio to BitBlt at the end.
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiBarnAni.h"
#include "WceUiBlendAni.h"
#include "WceUiComeAni.h"
#include "WceUiGenericBitmap.h"
#include "WceUiGoAni.h"
#include "WceUiSliderAni.h"
#include "benchmark/benchmark.h"
#include "wce/gdi.h"
#include "bench_times.h"

namespace {

const int kWidth = 800, kHeight = 480, kFrames = 12;

std::unique_ptr<CWceUiGenericBitmap> Picture(int bits, unsigned seed)
{
    std::mt19937 rng(seed);
    const int stride = ((kWidth * bits + 31) / 32) * 4;
    std::vector<BYTE> px(static_cast<size_t>(stride) * kHeight);
    for (BYTE& b : px) b = static_cast<BYTE>(rng());
    if (32 == bits) {
        for (size_t i = 3; i < px.size(); i += 4) px[i] = 0;  // opaque, no per-pixel alpha
        auto p = std::make_unique<CWceUi32Bitmap>();
        p->CreateDIB32(kWidth, kHeight, px.data(), FALSE);
        return p;
    }
    auto p = std::make_unique<CWceUi565Bitmap>();
    p->CreateDIB565(kWidth, kHeight, px.data(), nullptr);
    return p;
}

struct Pictures {
    explicit Pictures(int bits) : from(Picture(bits, 1)), to(Picture(bits, 2)), mixed(Picture(bits, 3)) {}
    std::unique_ptr<CWceUiGenericBitmap> from, to, mixed;
};

void BM_BitBlt(benchmark::State& state)
{
    Pictures p(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        p.mixed->BitBlt(0, 0, kWidth, kHeight, p.to.get(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}

void BM_BitBltAlphaBlend(benchmark::State& state)
{
    Pictures p(static_cast<int>(state.range(0)));
    const BLENDFUNCTION bf{AC_SRC_OVER, 0, 105, 0};
    for (auto _ : state) {
        p.mixed->BitBlt(0, 0, kWidth, kHeight, p.from.get(), 0, 0, SRCCOPY);
        p.mixed->AlphaBlend(0, 0, kWidth, kHeight, p.to.get(), 0, 0, bf);
        benchmark::ClobberMemory();
    }
}

// One iteration is a whole transition; the time per iteration is divided by 12 when printed.
template <class T>
void BM_Transition(benchmark::State& state)
{
    Pictures p(static_cast<int>(state.range(0)));
    T animate;
    if (!animate.ReStart(p.mixed.get(), p.from.get(), p.to.get())) {
        state.SkipWithError("ReStart failed");
        return;
    }
    for (auto _ : state) {
        for (int k = 0; k < kFrames; ++k) {
            DWORD nTime = 0;
            animate.Play(p.mixed.get(), p.from.get(), p.to.get(), k, &nTime);
        }
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_BitBlt)->Arg(16)->Arg(32);
BENCHMARK(BM_BitBltAlphaBlend)->Arg(16)->Arg(32);
BENCHMARK_TEMPLATE(BM_Transition, CWceUiBarnAni)->Arg(16)->Arg(32);
BENCHMARK_TEMPLATE(BM_Transition, CWceUiSliderAni)->Arg(16)->Arg(32);
BENCHMARK_TEMPLATE(BM_Transition, CWceUiComeAni)->Arg(16)->Arg(32);
BENCHMARK_TEMPLATE(BM_Transition, CWceUiGoAni)->Arg(16)->Arg(32);
BENCHMARK_TEMPLATE(BM_Transition, CWceUiBlendAni)->Arg(16)->Arg(32);


}  // namespace

int main(int argc, char** argv)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        const char* const kinds[] = {"CWceUiBarnAni", "CWceUiSliderAni", "CWceUiComeAni", "CWceUiGoAni", "CWceUiBlendAni"};
        for (int bits : {16, 32}) {
            const std::string arg = "/" + std::to_string(bits), bits_ = std::to_string(bits) + " bits: ";
            const double blt = t.Time("BM_BitBlt" + arg), both = t.Time("BM_BitBltAlphaBlend" + arg);
            if (blt <= 0) continue;
            t.PrintRatio(bits_ + "BitBlt + AlphaBlend / BitBlt", "BM_BitBltAlphaBlend" + arg, "BM_BitBlt" + arg, "for scale");
            for (const char* kind : kinds) {
                const double frame = t.Time(std::string("BM_Transition<") + kind + ">" + arg) / kFrames;
                if (frame <= 0) continue;
                if (std::string(kind) == "CWceUiBlendAni" && both > 0)
                    std::printf("ratio %s%s mean frame / (BitBlt + AlphaBlend) = %.3f (target <= 1.1)\n", bits_.c_str(),
                                kind, frame / both);
                else
                    std::printf("ratio %s%s mean frame / BitBlt = %.3f (target <= 2.0)\n", bits_.c_str(), kind,
                                frame / blt);
            }
        }
    });
}
