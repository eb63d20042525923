// Dialogs of controls built from a written skin in a 200 x 100 window, with pen input
// routed as the layer window routes it, virtual time from a headless display, and clicks
// and posts recorded.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "WceUiButton.h"
#include "WceUiListBox.h"
#include "WceUiObject.h"
#include "WceUiSlider.h"
#include "layer_fixture.h"
#include "wce/display.h"
#include "wce/timesync.h"

class CCtrlTestDlg : public CWceUiDlg {
    WCEUI_DYNCREATE_BEGIN(CCtrlTestDlg, CWceUiDlg)

public:
    void OnChildClick(CWceUiLayer* pChild) override { m_clicks.push_back(Utf8(pChild->GetName())); }
    std::vector<std::string> m_clicks;
};

class ControlsTest : public LayerSkinTest {
protected:
    void SetUp() override
    {
        LayerSkinTest::SetUp();
        ASSERT_TRUE(OpenHeadless(200, 100));
        // The framework keeps the screen depth it first sees: make it the window's.
        CJxGVar::GetInstance()->GetCJxGlobalData()->SetScreenInfo(200, 100, 16);
    }
    void TearDown() override { LayerSkinTest::TearDown(); wce::host::CloseDisplay(); }

    CCtrlTestDlg* BuildDlg(const std::string& body, const std::string& styles)
    {
        CWceUiDlg* pDlg = Build(body, styles, "CCtrlTestDlg");
        if (!pDlg) return nullptr;
        pDlg->SendOnInitLayer();
        PaintAll();
        return static_cast<CCtrlTestDlg*>(pDlg);
    }

    template <class T>
    T* Layer(LPCWSTR pName) { return static_cast<T*>(m_pBuilt->GetLayerByName(pName)); }

    // One pen message: 'd' down, 'm' move, 'u' up, to the capture or the hit layer.
    void Pen(char kind, int x, int y)
    {
        CWceUiLayer* p = m_pWnd->HitTest(POINT{x, y});
        if (!p) return;
        if ('d' == kind) p->OnLButtonDown(1, x, y);
        if ('m' == kind) p->OnMouseMove(1, x, y);
        if ('u' == kind) p->OnLButtonUp(0, x, y);
        m_pWnd->Paint();
    }
    void Tap(int x, int y) { Pen('d', x, y); Pen('u', x, y); }


    // Fires the layer's timer 1 once; false when it is not set.
    bool Tick(CWceUiLayer* pLayer)
    {
        UINT id = pLayer->GetLayerId() | (1u << 16);
        if (!m_pWnd->GetTimers().count(id)) return false;
        m_pWnd->FireTimer(id);
        m_pWnd->Paint();
        return true;
    }

    std::vector<CWceUiOffscreenWnd::CPosted> Posts(UINT nMsg) const
    {
        std::vector<CWceUiOffscreenWnd::CPosted> out;
        for (const auto& p : m_pWnd->GetPosted())
            if (p.nMsg == nMsg) out.push_back(p);
        return out;
    }

    // The window as it is now against a full repaint of it at the same position.
    ::testing::AssertionResult SameAsFullRepaint(CWceUiListBox* pList)
    {
        std::vector<unsigned> now = PixelsOf(*m_pWnd->GetWndBitmap());
        pList->InvalidateCache();
        PaintAll();
        std::vector<unsigned> full = PixelsOf(*m_pWnd->GetWndBitmap());
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i] != full[i])
                return ::testing::AssertionFailure() << "pixel " << i % 200 << "," << i / 200 << ": " << now[i]
                                                     << " vs " << full[i];
        return ::testing::AssertionSuccess();
    }
};
