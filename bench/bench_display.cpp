// Presenting on the headless display: composing and presenting a full 800 x 480 frame against
// one full-frame BitBlt between two memory DCs (the plain frame copy), in the same run. Prints
// the ratio (target: at most 1.5) and the time to present a 100 x 40 dirty rectangle.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;

LRESULT PaintNothing(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (WM_PAINT == msg) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (WM_ERASEBKGND == msg) return 1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A headless screen with one full-screen window, opened once for the whole run.
HWND ScreenWindow()
{
    static HWND hwnd = [] {
        wce::host::DisplayOptions options;
        options.backend = wce::host::DisplayOptions::Backend::Headless;
        options.width = kWidth;
        options.height = kHeight;
        std::string error;
        wce::host::OpenDisplay(options, error);
        WNDCLASSW wc{};
        wc.lpfnWndProc = PaintNothing;
        wc.lpszClassName = u"Bench";
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, u"Bench", u"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                 nullptr, nullptr);
        UpdateWindow(w);
        return w;
    }();
    return hwnd;
}

HBITMAP Section()
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, {0xF800, 0x07E0, 0x001F}};
    void* bits = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
}

void BM_ComposeAndPresentFullFrame(benchmark::State& state)
{
    HWND hwnd = ScreenWindow();
    for (auto _ : state) {
        HDC dc = GetDC(hwnd);
        ReleaseDC(hwnd, dc);  // composes the window's area and presents it as one frame
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_BitBltFullFrame(benchmark::State& state)
{
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HBITMAP a = Section(), b = Section();
    SelectObject(src, a);
    SelectObject(dst, b);
    for (auto _ : state) BitBlt(dst, 0, 0, kWidth, kHeight, src, 0, 0, SRCCOPY);
    state.SetItemsProcessed(state.iterations());
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(a);
    DeleteObject(b);
}

void BM_PresentDirtyRect100x40(benchmark::State& state)
{
    HWND hwnd = ScreenWindow();
    RECT dirty{350, 220, 450, 260};
    for (auto _ : state) {
        InvalidateRect(hwnd, &dirty, FALSE);
        UpdateWindow(hwnd);  // WM_PAINT, BeginPaint, EndPaint presents the rectangle
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_ComposeAndPresentFullFrame);
BENCHMARK(BM_BitBltFullFrame);
BENCHMARK(BM_PresentDirtyRect100x40);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Print() const
    {
        auto ours = m_times.find("BM_ComposeAndPresentFullFrame");
        auto base = m_times.find("BM_BitBltFullFrame");
        auto dirty = m_times.find("BM_PresentDirtyRect100x40");
        if (ours != m_times.end() && base != m_times.end() && base->second > 0)
            std::printf("ratio full frame: compose + present / BitBlt = %.3f (target <= 1.5)\n",
                        ours->second / base->second);
        if (dirty != m_times.end()) std::printf("present 100x40 dirty rectangle: %.0f ns\n", dirty->second);
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
    reporter.Print();
    benchmark::Shutdown();
    wce::host::CloseDisplay();
    return 0;
}
