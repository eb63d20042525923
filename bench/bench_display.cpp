// Presenting on the headless display: composing and presenting a full 800 x 480 frame against
// one full-frame BitBlt between two memory DCs (the plain frame copy), in the same run. Prints
// the ratio (target: at most 1.5) and the time to present a 100 x 40 dirty rectangle.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"
#include "bench_times.h"

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


}  // namespace

int main(int argc, char** argv)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        t.PrintRatio("full frame: compose + present / BitBlt", "BM_ComposeAndPresentFullFrame", "BM_BitBltFullFrame", 1.5);
        if (double dirty = t.Time("BM_PresentDirtyRect100x40"); dirty > 0)
            std::printf("present 100x40 dirty rectangle: %.0f ns\n", dirty);
        wce::host::CloseDisplay();
    });
}
