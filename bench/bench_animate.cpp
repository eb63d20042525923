// Transition frames at 800 x 480, 16 and 32 bits, default direction: the mean of the 12 frames
// of one transition, against one full-frame BitBlt in the same run.
//
//   barn, slider, come, go   target <= 2.0 x BitBlt
//   blend                    target <= 1.1 x (BitBlt + one constant-alpha AlphaBlend)
//
// Prints every ratio to BitBlt at the end.
#include <cstdio>
#include <map>
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

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    double Time(const std::string& name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* const kinds[] = {"CWceUiBarnAni", "CWceUiSliderAni", "CWceUiComeAni", "CWceUiGoAni", "CWceUiBlendAni"};
    for (int bits : {16, 32}) {
        const std::string arg = "/" + std::to_string(bits);
        const double blt = reporter.Time("BM_BitBlt" + arg), both = reporter.Time("BM_BitBltAlphaBlend" + arg);
        if (blt <= 0) continue;
        std::printf("%d bits: BitBlt + AlphaBlend / BitBlt = %.3f\n", bits, both / blt);
        for (const char* kind : kinds) {
            const double frame = reporter.Time(std::string("BM_Transition<") + kind + ">" + arg) / kFrames;
            if (frame <= 0) continue;
            const bool blend = std::string(kind) == "CWceUiBlendAni";
            std::printf("%d bits: %s mean frame / BitBlt = %.3f", bits, kind, frame / blt);
            if (blend && both > 0)
                std::printf(", / (BitBlt + AlphaBlend) = %.3f (target <= 1.1)\n", frame / both);
            else
                std::printf(" (target <= 2.0)\n");
        }
    }
    benchmark::Shutdown();
    return 0;
}
