#include "WceUiOffscreenWnd.h"

#include <new>
#include <vector>

#include "JXCheck.h"
#include "wce/gdi.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiTransition.h"
#include "WceUiWndAnimate.h"

CWceUiOffscreenWnd::CWceUiOffscreenWnd(int nWidth, int nHeight, int nBitsPixel)
    : m_pLayerCtrl(NULL), m_pWndBitmap(NULL), m_rcDirty{0, 0, 0, 0}, m_bPainting(FALSE), m_pCapture(NULL),
      m_rcCaret{0, 0, 0, 0}, m_bCaret(FALSE), m_bCaretShown(FALSE), m_pFromBitmap(NULL)
{
    m_pLayerCtrl = new (std::nothrow) CWceUiLayerCtrl;
    if (m_pLayerCtrl) m_pLayerCtrl->SetWindow(this);
    m_pWndBitmap = WceUiCreateBitmapObject(nBitsPixel ? nBitsPixel : WceUiGetBitsPixel());
    if (m_pWndBitmap) m_pWndBitmap->CreateDIB(nWidth, nHeight);
}

CWceUiOffscreenWnd::~CWceUiOffscreenWnd()
{
    delete m_pLayerCtrl;
    m_pLayerCtrl = NULL;
    delete m_pWndBitmap;
    delete m_pFromBitmap;
}

BOOL CWceUiOffscreenWnd::IsReady() const
{
    return m_pLayerCtrl && m_pLayerCtrl->GetData() && m_pWndBitmap && m_pWndBitmap->IsLoaded();
}

BOOL CWceUiOffscreenWnd::Resize(int nWidth, int nHeight)
{
    if (NULL == m_pWndBitmap) return FALSE;
    return m_pWndBitmap->CreateDIB(nWidth, nHeight);
}

BOOL CWceUiOffscreenWnd::GetDirtyRect(RECT* lpRect) const
{
    if (lpRect) *lpRect = m_rcDirty;
    return !IsRectEmpty(&m_rcDirty);
}

void CWceUiOffscreenWnd::InvalidateAll() { InvalidateRect(NULL, TRUE); }

BOOL CWceUiOffscreenWnd::PaintRect(const RECT& rc)
{
    if (!IsReady()) return FALSE;
    m_bPainting = TRUE;
    BOOL bOk = m_pLayerCtrl->Draw(m_pWndBitmap, rc);
    m_bPainting = FALSE;
    return bOk;
}

BOOL CWceUiOffscreenWnd::Paint()
{
    if (IsRectEmpty(&m_rcDirty)) return TRUE;
    RECT rc = m_rcDirty;
    SetRectEmpty(&m_rcDirty);
    return PaintRect(rc);
}

BOOL CWceUiOffscreenWnd::InvalidateRect(const RECT* lpRect, BOOL bErase)
{
    (void)bErase;
    if (m_bPainting) return TRUE;  // a paint pass draws what it drew; nothing to repeat
    RECT rc;
    if (lpRect)
        rc = *lpRect;
    else
        SetRect(&rc, 0, 0, m_pWndBitmap ? m_pWndBitmap->GetWidth() : 0, m_pWndBitmap ? m_pWndBitmap->GetHeight() : 0);
    if (IsRectEmpty(&rc)) return TRUE;
    if (IsRectEmpty(&m_rcDirty))
        m_rcDirty = rc;
    else
        UnionRect(&m_rcDirty, &m_rcDirty, &rc);
    return TRUE;
}

BOOL CWceUiOffscreenWnd::SetTimer(UINT nIDEvent, UINT nElapse)
{
    m_timers[nIDEvent] = nElapse;
    return TRUE;
}

BOOL CWceUiOffscreenWnd::KillTimer(UINT nIDEvent) { return m_timers.erase(nIDEvent) > 0; }

BOOL CWceUiOffscreenWnd::RegisterMsg(UINT nMsg, CWceUiLayer* pLayer)
{
    if (!WCEUI_CHECK("CWceUiOffscreenWnd::RegisterMsg", NULL != pLayer)) return FALSE;
    try {
        m_msgs.emplace(nMsg, pLayer);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiOffscreenWnd::UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer)
{
    auto range = m_msgs.equal_range(nMsg);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == pLayer) {
            m_msgs.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CWceUiOffscreenWnd::SendRegisteredMsg(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    // A handler may unregister layers: walk a copy and call only those still registered.
    std::vector<CWceUiLayer*> layers;
    auto range = m_msgs.equal_range(nMsg);
    for (auto it = range.first; it != range.second; ++it) layers.push_back(it->second);
    LRESULT lResult = 0;
    for (CWceUiLayer* pLayer : layers) {
        BOOL bStill = FALSE;
        auto now = m_msgs.equal_range(nMsg);
        for (auto it = now.first; it != now.second && !bStill; ++it) bStill = it->second == pLayer;
        if (bStill) lResult = pLayer->OnRegisteredMsg(nMsg, wParam, lParam);
    }
    return lResult;
}

BOOL CWceUiOffscreenWnd::FireTimer(UINT nIDEvent)
{
    if (0 == m_timers.count(nIDEvent) || NULL == m_pLayerCtrl) return FALSE;
    CWceUiLayer* pLayer = m_pLayerCtrl->GetLayerById(nIDEvent & 0xFFFF);
    if (NULL == pLayer) return FALSE;
    pLayer->OnTimer(static_cast<WORD>(nIDEvent >> 16));
    return TRUE;
}

CWceUiLayer* CWceUiOffscreenWnd::SetCapture(CWceUiLayer* pCaptureLayer)
{
    if (!WCEUI_CHECK("CWceUiOffscreenWnd::SetCapture", NULL != pCaptureLayer)) return NULL;
    CWceUiLayer* pOld = m_pCapture;
    // The old holder hears of it first, so that its release cannot undo the new capture;
    // a layer taking the capture again is not told.
    if (pOld && pOld != pCaptureLayer) {
        pOld->OnLoseCapture();
        if (m_pCapture == pOld) m_pCapture = NULL;
    }
    m_pCapture = pCaptureLayer;
    return pOld;
}

void CWceUiOffscreenWnd::ReleaseCapture(CWceUiLayer* pLayer)
{
    if (pLayer && pLayer == m_pCapture) m_pCapture = NULL;
}

CWceUiLayer* CWceUiOffscreenWnd::GetCapture() { return m_pCapture; }

BOOL CWceUiOffscreenWnd::PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    try {
        m_posted.push_back(CPosted{nMsg, wParam, lParam});
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiOffscreenWnd::UpdateWindow() { return Paint(); }

BOOL CWceUiOffscreenWnd::IgnoreQueuedInput() { return TRUE; }

BOOL CWceUiOffscreenWnd::IsOpen() { return TRUE; }

BOOL CWceUiOffscreenWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint)
{
    (void)lpRect, (void)bRepaint;
    return FALSE;
}

// ---- caret ----

BOOL CWceUiOffscreenWnd::CreateCaret(int nWidth, int nHeight)
{
    SetRect(&m_rcCaret, 0, 0, nWidth, nHeight);
    m_bCaret = TRUE;
    m_bCaretShown = FALSE;
    return TRUE;
}

BOOL CWceUiOffscreenWnd::SetCaretPos(int x, int y)
{
    if (!m_bCaret) return FALSE;
    OffsetRect(&m_rcCaret, x - m_rcCaret.left, y - m_rcCaret.top);
    return TRUE;
}

BOOL CWceUiOffscreenWnd::ShowCaret(BOOL bShow)
{
    if (!m_bCaret) return FALSE;
    m_bCaretShown = bShow;
    return TRUE;
}

BOOL CWceUiOffscreenWnd::DestroyCaret()
{
    m_bCaret = m_bCaretShown = FALSE;
    return TRUE;
}

BOOL CWceUiOffscreenWnd::GetCaretRect(RECT* lpRect) const
{
    if (!m_bCaret || !m_bCaretShown) return FALSE;
    if (lpRect) *lpRect = m_rcCaret;
    return TRUE;
}

// ---- modal loop ----

BOOL CWceUiOffscreenWnd::RunModalLoop(const BOOL* pbEnd)
{
    while (!*pbEnd) {
        Paint();
        if (!OnModalIdle()) break;
    }
    return *pbEnd;
}

// ---- transitions ----

namespace {

// Frames go to the window bitmap; nothing waits for the frame length.
class COffscreenFrames : public CWceUiFrameSink {
public:
    explicit COffscreenFrames(CWceUiOffscreenWnd* pWnd) : m_pWnd(pWnd) {}
    BOOL ShowFrame(CWceUiGenericBitmap* pMixed) override
    {
        CWceUiGenericBitmap* pWndBmp = m_pWnd->GetWndBitmap();
        if (!pWndBmp->BitBlt(0, 0, pMixed->GetWidth(), pMixed->GetHeight(), pMixed, 0, 0, SRCCOPY)) return FALSE;
        m_pWnd->OnWndBmpReady(pWndBmp);
        return TRUE;
    }
    void WaitFrame(DWORD, DWORD) override {}

private:
    CWceUiOffscreenWnd* m_pWnd;
};

}  // namespace

BOOL CWceUiOffscreenWnd::Apply(CWceUiGenericBitmap* pFromBitmap)
{
    delete m_pFromBitmap;
    m_pFromBitmap = NULL;
    if (!IsReady()) return FALSE;
    const int nWidth = m_pWndBitmap->GetWidth(), nHeight = m_pWndBitmap->GetHeight();
    CWceUiGenericBitmap* pStart = NULL;
    if (pFromBitmap) {
        if (!WCEUI_CHECK("CWceUiOffscreenWnd::Apply", pFromBitmap->IsLoaded())) return FALSE;
        if (pFromBitmap->GetBitsPixel() != m_pWndBitmap->GetBitsPixel() || pFromBitmap->GetWidth() != nWidth ||
            pFromBitmap->GetHeight() != nHeight)
            return FALSE;
        if (!pFromBitmap->MakeACopy(&pStart)) return FALSE;
    } else {
        pStart = impDrawAll();
    }
    m_pFromBitmap = pStart;
    return NULL != pStart;
}

CWceUiGenericBitmap* CWceUiOffscreenWnd::impDrawAll() const
{
    CWceUiGenericBitmap* pBmp = WceUiCreateBitmapObject(m_pWndBitmap->GetBitsPixel());
    RECT rc = {0, 0, m_pWndBitmap->GetWidth(), m_pWndBitmap->GetHeight()};
    if (pBmp && pBmp->CreateDIB(rc.right, rc.bottom) && m_pLayerCtrl->Draw(pBmp, rc)) return pBmp;
    delete pBmp;
    return NULL;
}

BOOL CWceUiOffscreenWnd::Play(CWceUiWndAnimate** ppWndAnimate, int nWndAnimate, BOOL bIgnoreMsg)
{
    if (!WCEUI_CHECK("CWceUiOffscreenWnd::Play", NULL != ppWndAnimate)) return FALSE;
    if (!WCEUI_CHECK("CWceUiOffscreenWnd::Play", nWndAnimate > 0)) return FALSE;
    if (NULL == m_pFromBitmap) return FALSE;  // nothing applied
    std::vector<CWceUiWndAnimate*> kept;
    BOOL bRet = TRUE;
    try {
        for (int i = 0; i < nWndAnimate && ppWndAnimate[i]; ++i)
            if (ppWndAnimate[i]->IsEnable()) kept.push_back(ppWndAnimate[i]);
    } catch (const std::bad_alloc&) {
        bRet = FALSE;  // as a failed play: the applied picture goes
    }
    if (bRet && !kept.empty()) {
        CWceUiGenericBitmap* pMixed = NULL;
        CWceUiGenericBitmap* pTo = impDrawAll();
        bRet = pTo && m_pFromBitmap->MakeACopy(&pMixed) && pMixed;
        COffscreenFrames frames(this);
        if (bRet)
            bRet = WceUiPlayFrames(u"CWceUiOffscreenWnd", kept.data(), static_cast<int>(kept.size()), pMixed,
                                   m_pFromBitmap, pTo, &frames);
        delete pMixed;
        delete pTo;
    }
    if (bRet && bIgnoreMsg) IgnoreQueuedInput();
    delete m_pFromBitmap;
    m_pFromBitmap = NULL;
    return bRet;
}

CWceUiLayer* CWceUiOffscreenWnd::HitTest(POINT pt) const
{
    if (m_pCapture) {
        if (!WCEUI_CHECK("CWceUiOffscreenWnd::HitTest", m_pCapture->IsLayerEnabled())) return NULL;
        return m_pCapture;
    }
    return m_pLayerCtrl ? m_pLayerCtrl->HitTest(pt) : NULL;
}
