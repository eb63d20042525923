// A list box flick on the SDL display, as a user sees it: an 800 x 480 x 16 window with a
// 520 x 336 list of 200 items, flicked by a quick 30-pixel stroke of the pen pushed as SDL
// events. One iteration is one flick, timed from the pen going up to the last frame it
// presents. Prints the flick's length in presented frames and the time per frame against
// the display's 16.7 ms (at 60 Hz a 15-step flick takes about 250 ms).
//
// Needs a display: run it under a virtual X server,
//   xvfb-run -a build/bench/bench_sdl_flick
// (without one it says so and measures nothing).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "SkinBuilder.h"
#include "ToolSupport.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiRealWnd.h"
#include "benchmark/benchmark.h"
#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"
#include "wce/wstring.h"
#include "bench_list_scene.h"
#include "bench_times.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kFrameBudgetMs = 1000.0 / 60;

struct Scene {
    std::string folder;
    CWceUiRealWnd* pWnd = nullptr;
    CWceUiListBox* pList = nullptr;
    std::uint64_t frames = 0;
    Clock::time_point lastFrame;
    double flickFrames = 0, flickMs = 0;  // over every measured flick
    int flicks = 0;
} g_scene;

bool SetUp(std::string& error)
{
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Sdl;
    if (!wce::host::OpenDisplay(options, error)) return false;
    tool::UseHostFileSystem();
    CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
    pGlobal->SetInstanceHandle(GetModuleHandleW(nullptr));
    pGlobal->SetScreenInfo(800, 480, 16);
    g_scene.folder = (fs::temp_directory_path() / ("bench_sdl_flick_" + std::to_string(::getpid()))).string();
    if (!benchlist::UseSkin(g_scene.folder, u"CFlickBenchDlg", false, error)) return false;
    g_scene.pWnd = new CWceUiRealWnd;
    RECT rc = {0, 0, 800, 480};
    g_scene.pWnd->CreateModeless(WS_POPUP | WS_VISIBLE, &rc, NULL);
    CWceUiDlg* pDlg = nullptr;
    g_scene.pList = benchlist::BuildDialog(g_scene.pWnd->GetLayerCtrl(), u"CFlickBenchDlg", pDlg, error);
    if (!g_scene.pList) return false;
    g_scene.pWnd->UpdateWindow();
    wce::host::SetPresentHook([](std::uint64_t, const RECT&) {
        ++g_scene.frames;
        g_scene.lastFrame = Clock::now();
    });
    return true;
}

// Dispatches until nothing was presented for a while (the flick has ended).
void RunUntilQuiet()
{
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
            continue;
        }
        if (Clock::now() - g_scene.lastFrame > std::chrono::milliseconds(150)) return;
        Sleep(1);
    }
}

void BM_SdlFlick(benchmark::State& state)
{
    double frames = 0, ms = 0;
    for (auto _ : state) {
        g_scene.pList->SetScrollPos(0, TRUE);
        g_scene.lastFrame = Clock::now();
        RunUntilQuiet();
        wce::host::PushSdlTestEvent("down", 400, 300);
        wce::host::PushSdlTestEvent("move", 400, 285);
        wce::host::PushSdlTestEvent("move", 400, 270);
        wce::host::PushSdlTestEvent("up", 400, 270);
        // The stroke itself: until the list has moved.
        Clock::time_point giveUp = Clock::now() + std::chrono::seconds(2);
        while (g_scene.pList->GetScrollPos() == 0 && Clock::now() < giveUp) {
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            else Sleep(1);
        }
        if (g_scene.pList->GetScrollPos() == 0) {
            state.SkipWithError("the stroke did not move the list");
            return;
        }
        std::uint64_t first = g_scene.frames;
        Clock::time_point start = Clock::now();
        RunUntilQuiet();
        double took = std::chrono::duration<double, std::milli>(g_scene.lastFrame - start).count();
        state.SetIterationTime(took / 1000.0);
        frames += static_cast<double>(g_scene.frames - first);
        ms += took;
    }
    g_scene.flickFrames += frames;
    g_scene.flickMs += ms;
    g_scene.flicks += static_cast<int>(state.iterations());
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kAvgIterations);
    state.counters["ms_per_frame"] = frames > 0 ? ms / frames : 0;
}
BENCHMARK(BM_SdlFlick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    if (!SetUp(error)) {
        std::printf("bench_sdl_flick: no SDL display (%s): nothing measured\n", error.c_str());
        return 0;
    }
    BenchTimes times(true);
    return RunBenchmarks(argc, argv, times, [](const BenchTimes&) {
        if (!g_scene.flicks || g_scene.flickFrames <= 0) return;
        double perFrame = g_scene.flickMs / g_scene.flickFrames;
        std::printf("flick on the SDL display (%s): %.1f presented frames in %.1f ms\n", wce::host::GetDisplayBackendName(),
                    g_scene.flickFrames / g_scene.flicks, g_scene.flickMs / g_scene.flicks);
        std::printf("ratio time per frame / 16.7 ms frame budget = %.3f (%.2f ms; about 1 is in step with 60 Hz)\n",
                    perFrame / kFrameBudgetMs, perFrame);
    });
}
