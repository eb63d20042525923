// Composing a window from its layers: a skin shaped like the updater's main screen (about
// 30 layers on 800 x 480 x 16, written by the skin builder), or a given one.
//
//   full compose       the whole window through the controller (occlusion, clipping)
//                      target < 4 ms; printed against one frame's memcpy
//   naive painter      every visible layer whole, in draw order, no mask
//                      target: full compose <= 1.1 x naive
//   message box        a dialog over the main one, its rectangle repainted
//                      target: <= 0.5 x the naive painter of both dialogs
//   status text        the status line's rectangle repainted
//                      target: <= 0.25 x full compose
// Also: live heap bytes per layer after the dialog is built.
//
// bench_compose [--skin FOLDER DIALOG [STATUS_LAYER]] [benchmark options]
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <unistd.h>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "JXLanguage.h"
#include "JXWriteLogFile.h"
#include "SkinBuilder.h"
#include "ToolSupport.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerData.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "benchmark/benchmark.h"
#include "wce/gdi.h"
#include "wce/host.h"
#include "wce/wstring.h"
#include "bench_times.h"

// Live heap bytes, for the bytes per layer.
static std::atomic<long long> g_liveBytes{0};
void* operator new(std::size_t n)
{
    void* p = std::malloc(n + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = n;
    g_liveBytes += static_cast<long long>(n);
    return static_cast<char*>(p) + 16;
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    void* p = std::malloc(n + 16);
    if (!p) return nullptr;
    *static_cast<std::size_t*>(p) = n;
    g_liveBytes += static_cast<long long>(n);
    return static_cast<char*>(p) + 16;
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept
{
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    g_liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(base));
    std::free(base);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

namespace fs = std::filesystem;

struct Scene {
    std::string skinFolder;
    std::string dialog = "CMainDlg";
    std::string status = "status";
    CWceUiOffscreenWnd* pWnd = nullptr;
    CWceUiDlg* pMain = nullptr;
    CWceUiDlg* pBox = nullptr;
    int nLayers = 0;
    long long heapBytes = 0;
};

Scene g_scene;

void RegisterAsDialog(const std::u16string& name)
{
    static std::vector<std::u16string>* names = new std::vector<std::u16string>;
    const CJxClassInfo* pInfo = JxGetHandleDycInfo()->FindClassInfo(name.c_str());
    if (pInfo && pInfo->pFunc) return;
    names->reserve(16);
    names->push_back(name);
    JxGetHandleDycInfo()->RegisterClassInfo(&CWceUiDlg::CreateWceUiObject, names->back().c_str(), u"CWceUiDlg");
}

int CountLayers(CWceUiLayer* pTop)
{
    int n = 1;
    for (CWceUiLayer* p = pTop->GetFirstChild(); p; p = pTop->NextChild(p)) n += CountLayers(p);
    return n;
}

bool SetUpScene()
{
    tool::UseHostFileSystem();
    WceUiCloseLogFile();
    wce::host::SetScreenMetrics(800, 480, 16);
    CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
    pGlobal->SetScreenInfo(800, 480, 16);
    if (g_scene.skinFolder.empty()) {
        g_scene.skinFolder = (fs::temp_directory_path() / ("bench_compose_" + std::to_string(::getpid()))).string();
        skinbuild::SkinBuilder builder;
        skinbuild::AddMainLikeSkin(builder);
        std::string error;
        if (!builder.WriteFolder(g_scene.skinFolder, error)) {
            std::fprintf(stderr, "bench_compose: %s\n", error.c_str());
            return false;
        }
    }
    std::u16string set = tool::HostToDevicePath(fs::absolute(g_scene.skinFolder).string()) + u"\\800x480\\";
    pGlobal->SetWndDir((set + u"wnd\\").c_str());
    pGlobal->SetResDir((set + u"res\\").c_str());
    CJxGVar::GetInstance()->GetCJxLanguage()->SetLanguage((set + u"language\\english.ini").c_str(), FALSE);

    std::u16string dialog = Utf8ToWide(g_scene.dialog);
    RegisterAsDialog(CWceUiLayerCtrl::GetDlgLayerClassName(dialog.c_str()));
    RegisterAsDialog(u"CMsgBoxDlg");
    g_scene.pWnd = new CWceUiOffscreenWnd(800, 480, 16);
    CWceUiLayerCtrl* pCtrl = g_scene.pWnd->GetLayerCtrl();
    long long before = g_liveBytes;
    g_scene.pMain = pCtrl->CreateDlg(dialog.c_str());
    if (!g_scene.pMain) {
        std::fprintf(stderr, "bench_compose: cannot build %s\n", g_scene.dialog.c_str());
        return false;
    }
    pCtrl->RootLayer()->AppendChild(g_scene.pMain);
    g_scene.nLayers = CountLayers(g_scene.pMain);
    g_scene.heapBytes = g_liveBytes - before;
    g_scene.pWnd->InvalidateAll();
    g_scene.pWnd->Paint();  // loads every bitmap and font once
    return true;
}

void ShowBox(bool bShow)
{
    CWceUiLayerCtrl* pCtrl = g_scene.pWnd->GetLayerCtrl();
    if (bShow && !g_scene.pBox) {
        g_scene.pBox = pCtrl->CreateDlg(u"CMsgBoxDlg");
        if (!g_scene.pBox) return;
        g_scene.pMain->EnableLayer(FALSE, FALSE);
        pCtrl->RootLayer()->AppendChild(g_scene.pBox);
        g_scene.pWnd->InvalidateAll();
        g_scene.pWnd->Paint();
    } else if (!bShow && g_scene.pBox) {
        pCtrl->DeleteLayer(g_scene.pBox);
        g_scene.pBox = nullptr;
        g_scene.pMain->EnableLayer(TRUE, FALSE);
    }
}

const RECT kWhole = {0, 0, 800, 480};

void NaivePaint()
{
    // Every visible layer, whole, bottom to top: no occlusion, no clipping to a dirty part.
    CWceUiLayerCtrl* pCtrl = g_scene.pWnd->GetLayerCtrl();
    CWceUiGenericBitmap* pBmp = g_scene.pWnd->GetWndBitmap();
    for (CWceUiLayer* p = pCtrl->GetDrawHead(); p; p = pCtrl->GetDrawNext(p)) {
        if (p->IsLayerNoDraw() || !p->IsLayerVisible()) continue;
        RECT rc, rcDraw;
        if (!p->GetWindowRect(&rc) || !IntersectRect(&rcDraw, &rc, &kWhole)) continue;
        p->OnDraw(pBmp, rcDraw);
    }
}

void BM_FrameMemcpy(benchmark::State& state)
{
    std::vector<char> a(800 * 480 * 2, 1), b(800 * 480 * 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMicrosecond);

void BM_FullCompose(benchmark::State& state)
{
    ShowBox(false);
    for (auto _ : state) g_scene.pWnd->PaintRect(kWhole);
}
BENCHMARK(BM_FullCompose)->Unit(benchmark::kMicrosecond);

void BM_NaivePainter(benchmark::State& state)
{
    ShowBox(false);
    for (auto _ : state) NaivePaint();
}
BENCHMARK(BM_NaivePainter)->Unit(benchmark::kMicrosecond);

void BM_StatusRepaint(benchmark::State& state)
{
    ShowBox(false);
    CWceUiLayer* pStatus = g_scene.pMain->GetLayerByName(Utf8ToWide(g_scene.status).c_str());
    RECT rc = kWhole;
    if (pStatus) pStatus->GetWindowRect(&rc);
    for (auto _ : state) g_scene.pWnd->PaintRect(rc);
}
BENCHMARK(BM_StatusRepaint)->Unit(benchmark::kMicrosecond);

void BM_MsgBoxRepaint(benchmark::State& state)
{
    ShowBox(true);
    RECT rc = kWhole;
    if (g_scene.pBox && g_scene.pBox->GetLayerByName(u"box")) g_scene.pBox->GetWindowRect(&rc);
    for (auto _ : state) g_scene.pWnd->PaintRect(rc);
}
BENCHMARK(BM_MsgBoxRepaint)->Unit(benchmark::kMicrosecond);

void BM_NaivePainterWithBox(benchmark::State& state)
{
    ShowBox(true);
    for (auto _ : state) NaivePaint();
}
BENCHMARK(BM_NaivePainterWithBox)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--skin" && i + 2 < argc) {
            g_scene.skinFolder = argv[++i];
            g_scene.dialog = argv[++i];
            if (i + 1 < argc && argv[i + 1][0] != '-') g_scene.status = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (!SetUpScene()) return 1;
    BenchTimes times;
    return RunBenchmarks(static_cast<int>(rest.size()), rest.data(), times, [](const BenchTimes& t) {
        std::printf("full compose: %.3f ms (target < 4 ms)\n", t.Time("BM_FullCompose") / 1000.0);
        t.PrintRatio("full compose / frame memcpy", "BM_FullCompose", "BM_FrameMemcpy", "for scale");
        t.PrintRatio("full compose / naive painter", "BM_FullCompose", "BM_NaivePainter", 1.1);
        t.PrintRatio("message box repaint / naive painter", "BM_MsgBoxRepaint", "BM_NaivePainterWithBox", 0.5);
        t.PrintRatio("status repaint / full compose", "BM_StatusRepaint", "BM_FullCompose", 0.25);
        std::printf("layers: %d, live heap after building: %lld bytes, %.0f bytes per layer "
                    "(dialog and style documents included); layer record %zu + data %zu bytes\n",
                    g_scene.nLayers, g_scene.heapBytes,
                    g_scene.nLayers ? double(g_scene.heapBytes) / g_scene.nLayers : 0.0, sizeof(CWceUiLayer),
                    sizeof(CWceUiLayerData));
        ShowBox(false);
        g_scene.pWnd->GetLayerCtrl()->DeleteLayer(g_scene.pMain);
        delete g_scene.pWnd;
    });
}
