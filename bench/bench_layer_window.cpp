// A whole transition frame on the headless display at 800 x 480: the animation's frame,
// PaintWnd (GetDC, copy to the window, ReleaseDC presents it) and the window's pacing, as
// CWceUiRealWnd::Play runs it, against one full-frame BitBlt in the same run. One iteration
// is Apply plus a 12-frame Play; the mean frame is a twelfth of it.
//
//   barn, slider, come, go   target <= 5 x BitBlt
//
// Prints every ratio at the end.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "WceUiBarnAni.h"
#include "WceUiBlendAni.h"
#include "WceUiComeAni.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiGoAni.h"
#include "WceUiLayerCtrl.h"
#include "WceUiRealWnd.h"
#include "WceUiSliderAni.h"
#include "benchmark/benchmark.h"
#include "wce/display.h"
#include "wce/gdi.h"
#include "wce/platform.h"
#include "bench_times.h"

namespace {

const int kWidth = 800, kHeight = 480, kFrames = 12;

// Fills its rectangle; a colour change is a new picture.
class CFillLayer : public CWceUiLayer {
public:
    COLORREF color = RGB(20, 40, 60);
    void OnDraw(CWceUiGenericBitmap* pWndBitmap, RECT rcDraw) override
    {
        RECT rc, rcWnd;
        GetWindowRect(&rcWnd);
        if (IntersectRect(&rc, &rcWnd, &rcDraw)) pWndBitmap->FillColor(color, &rc);
    }
};

struct Screen {
    CWceUiRealWnd wnd;
    CWceUiDlg* pDlg = nullptr;
    CFillLayer* pLeft = nullptr;
    CFillLayer* pRight = nullptr;

    Screen()
    {
        wce::host::DisplayOptions options;
        options.backend = wce::host::DisplayOptions::Backend::Headless;
        options.width = kWidth;
        options.height = kHeight;
        std::string error;
        wce::host::OpenDisplay(options, error);
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetInstanceHandle(GetModuleHandleW(nullptr));
        pGlobal->SetScreenInfo(kWidth, kHeight, 16);
        RECT rc = {0, 0, kWidth, kHeight};
        wnd.CreateModeless(WS_POPUP | WS_VISIBLE, &rc, NULL);
        CWceUiLayerCtrl* pCtrl = wnd.GetLayerCtrl();
        pDlg = new CWceUiDlg;
        pDlg->SetLayerCtrl(pCtrl);
        pCtrl->InitLayerInfo(pDlg, u"dlg");
        pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        pDlg->RunModeless();
        pLeft = Add(RECT{0, 0, 400, 480});
        pRight = Add(RECT{400, 0, 800, 480});
        wnd.UpdateWindow();
    }
    CFillLayer* Add(RECT rc)
    {
        CFillLayer* p = new CFillLayer;
        p->SetLayerCtrl(wnd.GetLayerCtrl());
        wnd.GetLayerCtrl()->InitLayerInfo(p, u"fill");
        pDlg->AppendChild(p);
        p->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        return p;
    }
};

Screen& TheScreen()
{
    static Screen* s = new Screen;  // lives for the run
    return *s;
}

void BM_BitBlt(benchmark::State& state)
{
    std::unique_ptr<CWceUiGenericBitmap> a(WceUiCreateBitmapObject(16)), b(WceUiCreateBitmapObject(16));
    a->CreateDIB(kWidth, kHeight);
    b->CreateDIB(kWidth, kHeight);
    for (auto _ : state) {
        b->BitBlt(0, 0, kWidth, kHeight, a.get(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}

template <class T>
void BM_PlayFrames(benchmark::State& state)
{
    Screen& s = TheScreen();
    T animate;
    animate.SetFrameCount(kFrames);
    CWceUiWndAnimate* p = &animate;
    int n = 0;
    for (auto _ : state) {
        s.wnd.Apply(NULL);
        s.pLeft->color = (++n & 1) ? RGB(200, 30, 30) : RGB(30, 30, 200);
        if (!s.wnd.Play(&p, 1, FALSE)) {
            state.SkipWithError("Play failed");
            return;
        }
    }
}

BENCHMARK(BM_BitBlt);
BENCHMARK_TEMPLATE(BM_PlayFrames, CWceUiBarnAni);
BENCHMARK_TEMPLATE(BM_PlayFrames, CWceUiSliderAni);
BENCHMARK_TEMPLATE(BM_PlayFrames, CWceUiComeAni);
BENCHMARK_TEMPLATE(BM_PlayFrames, CWceUiGoAni);
BENCHMARK_TEMPLATE(BM_PlayFrames, CWceUiBlendAni);


}  // namespace

int main(int argc, char** argv)
{
    BenchTimes times;
    return RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        const double blt = t.Time("BM_BitBlt");
        const char* const kinds[] = {"CWceUiBarnAni", "CWceUiSliderAni", "CWceUiComeAni", "CWceUiGoAni", "CWceUiBlendAni"};
        for (const char* kind : kinds) {
            const double frame = t.Time(std::string("BM_PlayFrames<") + kind + ">") / kFrames;
            if (blt <= 0 || frame <= 0) continue;
            const bool moving = std::string(kind) != "CWceUiBlendAni";
            std::printf("ratio 16 bits: %s frame through Play and PaintWnd / BitBlt = %.3f%s\n", kind, frame / blt,
                        moving ? " (target <= 5)" : "");
        }
    });
}
