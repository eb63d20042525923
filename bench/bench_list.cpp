// A list box flick on an 800 x 480 x 16 window: a 520 x 336 list of 200 items 56 high, each
// with an image and a check mark, flicked in 15 animation steps. A step is timed from the
// timer message through the paint to the copy of the list onto the screen bitmap.
//
//   flick step          copy-on-scroll on; target < 2 ms
//   flick step, no copy every step redraws every visible item
//   list blit (floor)   BitBlt of the list's rectangle between two 565 bitmaps
//   open folder         the file list's model fills the list box from a folder of 20 000
//                       packages; target well under 1 s
//   read folder (floor) readdir and lstat of the same folder
//
// bench_list [benchmark options]
#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "JXWriteLogFile.h"
#include "SkinBuilder.h"
#include "ToolSupport.h"
#include "WceUi565Bitmap.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiOffscreenWnd.h"
#include "FileListModel.h"
#include "benchmark/benchmark.h"
#include "wce/gdi.h"
#include "wce/host.h"
#include "wce/wstring.h"
#include "bench_list_scene.h"
#include "bench_times.h"

namespace {

namespace fs = std::filesystem;

const RECT kList = {140, 72, 660, 408};  // 520 x 336

constexpr int kFolderEntries = 20000;

struct Scene {
    std::string folder;
    std::string packages;  // kFolderEntries packages
    CWceUiOffscreenWnd* pWnd = nullptr;
    CWceUiDlg* pDlg = nullptr;
    CWceUiListBox* pList = nullptr;
    CWceUi565Bitmap screen;
} g_scene;

bool SetUp()
{
    tool::UseHostFileSystem();
    WceUiCloseLogFile();
    wce::host::SetScreenMetrics(800, 480, 16);
    CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
    pGlobal->SetScreenInfo(800, 480, 16);
    g_scene.folder = (fs::temp_directory_path() / ("bench_list_" + std::to_string(::getpid()))).string();
    std::string error;
    if (!benchlist::UseSkin(g_scene.folder, u"CListBenchDlg", true, error)) {
        std::fprintf(stderr, "bench_list: %s\n", error.c_str());
        return false;
    }
    g_scene.pWnd = new CWceUiOffscreenWnd(800, 480, 16);
    g_scene.pList = benchlist::BuildDialog(g_scene.pWnd->GetLayerCtrl(), u"CListBenchDlg", g_scene.pDlg, error);
    if (!g_scene.pList) {
        std::fprintf(stderr, "bench_list: %s\n", error.c_str());
        return false;
    }
    for (int i = 0; i < benchlist::kItems; ++i) g_scene.pList->SetItemState(i, WCEUI_ITEM_SELECTED, FALSE);
    g_scene.packages = g_scene.folder + "/packages";
    fs::create_directories(g_scene.packages);
    for (int i = 0; i < kFolderEntries; ++i)
        std::ofstream(g_scene.packages + "/update" + std::to_string(100000 + i) + ".msk") << "x";
    g_scene.screen.CreateDIB(800, 480);
    g_scene.pWnd->InvalidateAll();
    g_scene.pWnd->Paint();
    return true;
}

void Present()
{
    g_scene.screen.BitBlt(kList.left, kList.top, kList.right - kList.left, kList.bottom - kList.top,
                          g_scene.pWnd->GetWndBitmap(), kList.left, kList.top, SRCCOPY);
}

// One flick down the list from position 0, started by a quick 30-pixel drag.
void StartFlick()
{
    CWceUiListBox* p = g_scene.pList;
    p->SetScrollPos(0, TRUE);
    p->OnLButtonDown(1, 400, 300);
    p->OnMouseMove(1, 400, 270);
    p->OnLButtonUp(0, 400, 270);
    g_scene.pWnd->Paint();
}

void RunFlick(benchmark::State& state, BOOL bCopy)
{
    g_scene.pList->SetCopyOnScroll(bCopy);
    UINT nTimer = g_scene.pList->GetLayerId() | (WCEUI_SCROLL_TIMER << 16);
    long long nSteps = 0;
    for (auto _ : state) {
        StartFlick();
        auto start = std::chrono::steady_clock::now();
        int n = 0;
        for (; n < 15 && g_scene.pWnd->GetTimers().count(nTimer); ++n) {
            g_scene.pWnd->FireTimer(nTimer);
            g_scene.pWnd->Paint();
            Present();
        }
        auto end = std::chrono::steady_clock::now();
        nSteps += n;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count() / (n ? n : 1));
    }
    g_scene.pList->SetCopyOnScroll(TRUE);
    state.counters["steps"] = benchmark::Counter(double(nSteps), benchmark::Counter::kAvgIterations);
}

void BM_FlickStep(benchmark::State& state) { RunFlick(state, TRUE); }
BENCHMARK(BM_FlickStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_FlickStepNoCopy(benchmark::State& state) { RunFlick(state, FALSE); }
BENCHMARK(BM_FlickStepNoCopy)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_ListBlit(benchmark::State& state)
{
    CWceUi565Bitmap src;
    src.CreateDIB(800, 480);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        g_scene.screen.BitBlt(kList.left, kList.top, kList.right - kList.left, kList.bottom - kList.top, &src,
                              kList.left, kList.top, SRCCOPY);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_ListBlit)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The file list dialog's side of the model, on the benchmark's list box.
class ListView : public IFileListView {
public:
    explicit ListView(CWceUiListBox* pList) : m_pList(pList) {}
    int AddItem(LPCWSTR pText, int) override { return m_pList->AddString(pText, FALSE); }
    void SetItemRecord(int nIndex, FILE_LIST_ITEM* pRecord) override { m_pList->SetItemData(nIndex, (LPARAM)pRecord); }
    FILE_LIST_ITEM* GetItemRecord(int) override { return nullptr; }
    int GetCount() override { return m_pList->GetCount(); }
    int GetCurSel() override { return -1; }
    void ResetContent() override { m_pList->ResetContent(); }
    void Refresh() override {}
    LPCWSTR GetUplevelText() override { return u".."; }
    LPCWSTR GetNoMatchText() override { return u"none"; }

private:
    CWceUiListBox* m_pList;
};

void BM_OpenFolder(benchmark::State& state)
{
    ListView view(g_scene.pList);
    CFileListModel model(view);
    model.SetFilter({u"msk"}, {u"icon.565a.conf"});
    const CString strFolder(tool::HostToDevicePath(fs::absolute(g_scene.packages).string()).c_str());
    for (auto _ : state) {
        model.ClearList();
        model.ShowFolder(strFolder);
        benchmark::DoNotOptimize(view.GetCount());
    }
    state.counters["items"] = double(view.GetCount());
    model.ClearList();
}
BENCHMARK(BM_OpenFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadFolder(benchmark::State& state)
{
    size_t n = 0;
    for (auto _ : state) {
        DIR* dir = opendir(g_scene.packages.c_str());
        n = 0;
        while (dirent* e = readdir(dir)) {
            struct stat st;
            n += lstat((g_scene.packages + "/" + e->d_name).c_str(), &st) == 0;
        }
        closedir(dir);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ReadFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

// The flick again with the folder's 20 000 items in the list: a step must not grow with it.
void BM_FlickStepLongList(benchmark::State& state)
{
    ListView view(g_scene.pList);
    CFileListModel model(view);
    model.SetFilter({u"msk"}, {u"icon.565a.conf"});
    model.ShowFolder(CString(tool::HostToDevicePath(fs::absolute(g_scene.packages).string()).c_str()));
    RunFlick(state, TRUE);
    model.ClearList();
}
BENCHMARK(BM_FlickStepLongList)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!SetUp()) return 1;
    BenchTimes times(true);
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        std::printf("flick step: %.3f ms (target < 2 ms)\n", t.Time("BM_FlickStep/manual_time") / 1000.0);
        t.PrintRatio("flick step / list blit", "BM_FlickStep/manual_time", "BM_ListBlit/manual_time", "the floor");
        t.PrintRatio("flick step / flick step without copy-on-scroll", "BM_FlickStep/manual_time",
                     "BM_FlickStepNoCopy/manual_time", "below 1 is the cache's gain");
        std::printf("open folder of %d packages: %.1f ms (target well under 1000 ms)\n", kFolderEntries,
                    t.Time("BM_OpenFolder/real_time"));
        t.PrintRatio("flick step, 20 000 items / 200 items", "BM_FlickStepLongList/manual_time",
                     "BM_FlickStep/manual_time", "flat: about 1");
        t.PrintRatio("open folder / read folder", "BM_OpenFolder/real_time", "BM_ReadFolder/real_time", "the floor");
        g_scene.pWnd->GetLayerCtrl()->DeleteLayer(g_scene.pDlg);
        delete g_scene.pWnd;
        std::error_code ec;
        fs::remove_all(g_scene.folder, ec);
    });
}
