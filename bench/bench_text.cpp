// Text drawing with the glyph cache warm against FreeType rendering the same glyphs from
// scratch in the same run, and the time of a screen of list text.
//
// - Ours: DrawTextW of one 32-character line in a 20-pixel DejaVu Sans into an 800 x 480 565
//   DC (layout, cached glyphs, coverage blending).
// - Baseline: FT_Load_Char with FT_LOAD_RENDER for the same 32 characters at the same size
//   (what every call would cost without a cache; no blending at all).
// Target: ratio (ours / baseline) <= 0.25.
// - List screen: twelve 40-character lines, one DrawTextW each, as a list box draws them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "benchmark/benchmark.h"
#include "wce/platform.h"
#include "bench_times.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;
const std::u16string kLine = u"Update package gpsApp.msk: 42% ";  // 32 characters
const std::u16string kListLine = u"\\SDMMC\\Packages\\kptApp-2026-12-07.msk  ";  // 40 characters

std::string FontPath()
{
    const char* folder = std::getenv("WCE_FONT_DIR");
    return std::string(folder && *folder ? folder : "/usr/share/fonts/truetype/dejavu") + "/DejaVuSans.ttf";
}

// An 800 x 480 565 DIB section in a memory DC with a 20-pixel DejaVu Sans selected.
struct Screen {
    Screen()
    {
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[4];
        } info = {{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0},
                  {0xF800, 0x07E0, 0x001F, 0}};
        bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, nullptr, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        oldBitmap = SelectObject(dc, bitmap);
        LOGFONTW lf{};
        lf.lfHeight = -20;
        lf.lfWeight = FW_NORMAL;
        std::char_traits<char16_t>::copy(lf.lfFaceName, u"DejaVu Sans", 12);
        font = CreateFontIndirectW(&lf);
        oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
    }
    ~Screen()
    {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteDC(dc);
        DeleteObject(font);
        DeleteObject(bitmap);
    }
    HBITMAP bitmap;
    HDC dc;
    HFONT font;
    HGDIOBJ oldBitmap, oldFont;
};

void BM_DrawText_Cached(benchmark::State& state)
{
    Screen screen;
    RECT rc{10, 200, 790, 240};
    DrawTextW(screen.dc, kLine.c_str(), static_cast<int>(kLine.size()), &rc, DT_SINGLELINE);  // warms the cache
    for (auto _ : state) {
        RECT r = rc;
        benchmark::DoNotOptimize(DrawTextW(screen.dc, kLine.c_str(), static_cast<int>(kLine.size()), &r, DT_SINGLELINE));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kLine.size()));
}

void BM_FreeType_Uncached(benchmark::State& state)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, FontPath().c_str(), 0, &face) != 0) {
        state.SkipWithError("cannot open DejaVuSans.ttf");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 20);
    for (auto _ : state) {
        for (char16_t c : kLine) {
            FT_Load_Char(face, c, FT_LOAD_RENDER);
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kLine.size()));
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

void BM_DrawText_ListScreen(benchmark::State& state)
{
    Screen screen;
    for (auto _ : state) {
        for (int i = 0; i < 12; ++i) {
            RECT r{8, i * 40, 792, i * 40 + 40};
            DrawTextW(screen.dc, kListLine.c_str(), static_cast<int>(kListLine.size()), &r,
                      DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        }
    }
    state.SetItemsProcessed(state.iterations() * 12);
}

BENCHMARK(BM_DrawText_Cached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeType_Uncached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawText_ListScreen)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        t.PrintRatio("32-character line: DrawTextW cached / FreeType uncached", "BM_DrawText_Cached",
                     "BM_FreeType_Uncached", 0.25);
        if (double list = t.Time("BM_DrawText_ListScreen"); list > 0)
            std::printf("list screen (twelve 40-character lines): %.1f us\n", list);
    });
}
