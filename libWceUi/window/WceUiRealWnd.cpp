#include "WceUiRealWnd.h"

#include <new>
#include <vector>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXIgnoreMsg.h"
#include "JXList.h"
#include "JXMap.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiTransition.h"
#include "WceUiWndAnimate.h"
#include "wce/gdi.h"
#include "wce/timesync.h"

typedef JXList<CWceUiLayer*> CWceUiMsgLayerList;

struct CWceUiRealWndData {
    CWceUiLayer* m_curCaptureLayer;
    CWceUiGenericBitmap* m_pWndBitmap;
    BOOL m_bCapture;
    BOOL m_bApplied;
    CWceUiGenericBitmap* m_pFromBitmap;
    CWceUiGenericBitmap* m_pMixedBitmap;
    JXMap<UINT, CWceUiMsgLayerList*> m_MsgLayerMap;
    int m_nOffsetHue;
    // Last, so that it goes first: layers deleted with it still unregister from the map.
    CWceUiLayerCtrl m_LayerCtrl;

    CWceUiRealWndData()
        : m_curCaptureLayer(NULL), m_pWndBitmap(NULL), m_bCapture(FALSE), m_bApplied(FALSE),
          m_pFromBitmap(NULL), m_pMixedBitmap(NULL), m_MsgLayerMap(10), m_nOffsetHue(0)
    {
        m_MsgLayerMap.InitHashTable(17);
    }
};

namespace {

const DWORD kSrcCopy = 0x00CC0020;

BOOL SameSize(const CWceUiGenericBitmap* pBmp, int nWidth, int nHeight)
{
    return pBmp->GetWidth() == nWidth && pBmp->GetHeight() == nHeight;
}

// Transition frames go to the screen at once, a frame length apart.
class CRealWndFrames : public CWceUiFrameSink {
public:
    explicit CRealWndFrames(CWceUiRealWnd* pWnd) : m_pWnd(pWnd) {}
    BOOL ShowFrame(CWceUiGenericBitmap* pMixed) override
    {
        if (m_pWnd->PaintWnd(pMixed)) return TRUE;
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Play failed, PaintWnd failed");
        return FALSE;
    }
    void WaitFrame(DWORD dwStart, DWORD dwDelay) override
    {
        // Signed: a frame that overran its delay must not wrap into a wait of days.
        long nWait = static_cast<long>(dwDelay) - static_cast<long>(static_cast<int32_t>(::GetTickCount() - dwStart));
        if (nWait > 0) ::Sleep(static_cast<DWORD>(nWait));
    }

private:
    CWceUiRealWnd* m_pWnd;
};

}  // namespace

CWceUiRealWnd::CWceUiRealWnd() : m_pData(new (std::nothrow) CWceUiRealWndData)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::CWceUiRealWnd", NULL != m_pData)) return;
    m_pData->m_LayerCtrl.SetWindow(this);
    m_pData->m_pWndBitmap = WceUiCreateBitmapObject(WceUiGetBitsPixel());
}

CWceUiRealWnd::~CWceUiRealWnd()
{
    if (NULL == m_pData) return;
    delete m_pData->m_pWndBitmap;
    delete m_pData->m_pFromBitmap;
    delete m_pData->m_pMixedBitmap;
    m_pData->m_pWndBitmap = m_pData->m_pFromBitmap = m_pData->m_pMixedBitmap = NULL;
    WCEUI_CHECK("CWceUiRealWnd::~CWceUiRealWnd", NULL == GetData()->m_curCaptureLayer);
    if (!WCEUI_CHECK("CWceUiRealWnd::~CWceUiRealWnd", GetData()->m_MsgLayerMap.IsEmpty())) {
        // The lists are ours even when layers forgot to unregister.
        JXPOSITION pos = m_pData->m_MsgLayerMap.GetStartPosition();
        while (pos) {
            UINT nMsg = 0;
            CWceUiMsgLayerList* pList = NULL;
            m_pData->m_MsgLayerMap.GetNextAssoc(pos, nMsg, pList);
            delete pList;
        }
        m_pData->m_MsgLayerMap.RemoveAll();
    }
    // The controller deletes the tree, whose layers may still call back into the window.
    CWceUiRealWndData* pData = m_pData;
    delete pData;
    m_pData = NULL;
}

CWceUiLayerCtrl* CWceUiRealWnd::GetLayerCtrl() const { return m_pData ? &m_pData->m_LayerCtrl : NULL; }

CWceUiLayer* CWceUiRealWnd::impTopDlg() const
{
    if (NULL == m_pData) return NULL;
    CWceUiLayer* pRoot = m_pData->m_LayerCtrl.RootLayer();
    return pRoot ? pRoot->GetLastChild() : NULL;
}

// ---- painting ----

void CWceUiRealWnd::OnPaint(HDC hDC, RECT rcPaint)
{
    if (IsRectEmpty(&rcPaint) || NULL == m_pData || NULL == m_pData->m_pWndBitmap) return;
    RECT rcClient;
    if (!GetClientRect(&rcClient)) return;
    int nWidth = rcClient.right - rcClient.left;
    int nHeight = rcClient.bottom - rcClient.top;
    CWceUiGenericBitmap* pWndBmp = m_pData->m_pWndBitmap;
    if (!pWndBmp->IsLoaded() || !SameSize(pWndBmp, nWidth, nHeight)) {
        if (!pWndBmp->CreateDIB(nWidth, nHeight)) return;
    }
    SetEnableInvalidate(FALSE);
    m_pData->m_LayerCtrl.Draw(pWndBmp, rcPaint);
    SetEnableInvalidate(TRUE);
    OnWndBmpReady(pWndBmp);
    int w = rcPaint.right - rcPaint.left;
    int h = rcPaint.bottom - rcPaint.top;
    CWceUiGenericBitmap* pHue = GetOffsetHueBmp(pWndBmp, &rcPaint);
    if (pHue) {
        pHue->BltToDc(hDC, rcPaint.left, rcPaint.top, w, h, 0, 0, kSrcCopy);
        delete pHue;
    } else {
        pWndBmp->BltToDc(hDC, rcPaint.left, rcPaint.top, w, h, rcPaint.left, rcPaint.top, kSrcCopy);
    }
}

BOOL CWceUiRealWnd::InvalidateRect(const RECT* lpRect, BOOL bErase)
{
    return CRealGenericWnd::InvalidateRect(lpRect, bErase);
}

BOOL CWceUiRealWnd::SetTimer(UINT nIDEvent, UINT nElapse)
{
    return 0 != CRealGenericWnd::SetTimer(nIDEvent, nElapse, NULL);
}

BOOL CWceUiRealWnd::KillTimer(UINT nIDEvent) { return CRealGenericWnd::KillTimer(nIDEvent); }

BOOL CWceUiRealWnd::UpdateWindow() { return CRealGenericWnd::UpdateWindow(); }

BOOL CWceUiRealWnd::PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return CRealGenericWnd::PostMessage(nMsg, wParam, lParam);
}

BOOL CWceUiRealWnd::IsOpen() { return ::IsWindow(m_hWnd); }

BOOL CWceUiRealWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint) { return CRealGenericWnd::MoveWindow(lpRect, bRepaint); }

// ---- caret ----

BOOL CWceUiRealWnd::CreateCaret(int nWidth, int nHeight)
{
    return m_hWnd && ::CreateCaret(m_hWnd, NULL, nWidth, nHeight);
}

BOOL CWceUiRealWnd::SetCaretPos(int x, int y) { return ::SetCaretPos(x, y); }

BOOL CWceUiRealWnd::ShowCaret(BOOL bShow) { return bShow ? ::ShowCaret(m_hWnd) : ::HideCaret(m_hWnd); }

BOOL CWceUiRealWnd::DestroyCaret() { return ::DestroyCaret(); }

// ---- modal loop ----

BOOL CWceUiRealWnd::RunModalLoop(const BOOL* pbEnd)
{
    // The loop also ends when the window goes away under it: no message would end it then.
    while (!*pbEnd && ::IsWindow(m_hWnd)) {
        MSG msg;
        BOOL bRet = ::GetMessageW(&msg, NULL, 0, 0);
        if (0 == bRet || -1 == bRet) break;
        if (!WceUiIsIgnoreMsg(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return *pbEnd;
}

// ---- pen, keys, timers ----

CWceUiLayer* CWceUiRealWnd::impHitTest(int x, int y)
{
    if (NULL == m_pData) return NULL;
    CWceUiLayer* pCapture = m_pData->m_curCaptureLayer;
    if (pCapture) {
        if (::GetCapture() != m_hWnd) return NULL;
        if (!WCEUI_CHECK("CWceUiRealWnd::HitTest", GetData()->m_curCaptureLayer->IsLayerEnabled())) return NULL;
        return pCapture;
    }
    POINT pt = {x, y};
    return m_pData->m_LayerCtrl.HitTest(pt);
}

void CWceUiRealWnd::OnLButtonDown(UINT nFlags, int x, int y)
{
    CWceUiLayer* pLayer = impHitTest(x, y);
    if (pLayer) {
        pLayer->OnLButtonDown(nFlags, x, y);
        return;
    }
    CWceUiLayer* pTop = impTopDlg();
    if (pTop && pTop->IsKindOf(WCEUI_CLASS_NAME(CWceUiDlg)))
        static_cast<CWceUiDlg*>(pTop)->OnLButtonDownNoLayer(nFlags, x, y);
}

void CWceUiRealWnd::OnLButtonUp(UINT nFlags, int x, int y)
{
    if (CWceUiLayer* pLayer = impHitTest(x, y)) pLayer->OnLButtonUp(nFlags, x, y);
}

void CWceUiRealWnd::OnMouseMove(UINT nFlags, int x, int y)
{
    if (CWceUiLayer* pLayer = impHitTest(x, y)) pLayer->OnMouseMove(nFlags, x, y);
}

void CWceUiRealWnd::OnLButtonDblClk(UINT nFlags, int x, int y)
{
    if (CWceUiLayer* pLayer = impHitTest(x, y)) pLayer->OnLButtonDblClk(nFlags, x, y);
}

void CWceUiRealWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (CWceUiLayer* pTop = impTopDlg()) pTop->OnKeyDown(nChar, nRepCnt, nFlags);
    // Key-downs never reach DefaultWindowProc, yet edit boxes register for them.
    if (NULL == m_pData || !::IsWindow(m_hWnd)) return;
    CWceUiMsgLayerList* pList = NULL;
    if (m_pData->m_MsgLayerMap.Lookup(WM_KEYDOWN, pList))
        DefaultWindowProc(WM_KEYDOWN, nChar, static_cast<LPARAM>((nRepCnt & 0xFFFF) | ((nFlags & 0xFFFF) << 16)));
}

void CWceUiRealWnd::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (CWceUiLayer* pTop = impTopDlg()) pTop->OnKeyUp(nChar, nRepCnt, nFlags);
}

void CWceUiRealWnd::OnTimer(UINT nIDEvent)
{
    if (0 == (nIDEvent & 0xFFFF) || NULL == m_pData) return;
    CWceUiLayer* pLayer = m_pData->m_LayerCtrl.GetLayerById(nIDEvent & 0xFFFF);
    if (pLayer) pLayer->OnTimer(static_cast<WORD>(nIDEvent >> 16));
}

// ---- capture ----

CWceUiLayer* CWceUiRealWnd::SetCapture(CWceUiLayer* pCaptureLayer)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::SetCapture", ::IsWindow(m_hWnd))) return NULL;
    if (!WCEUI_CHECK("CWceUiRealWnd::SetCapture", NULL != pCaptureLayer)) return NULL;
    CWceUiLayer* pOld = m_pData->m_curCaptureLayer;
    // The old holder is told first: its answer (releasing its capture) must not undo the
    // new one. A layer taking the capture again is not told.
    if (pOld && pOld != pCaptureLayer) {
        pOld->OnLoseCapture();
        if (m_pData->m_curCaptureLayer == pOld) m_pData->m_curCaptureLayer = NULL;
    }
    m_pData->m_bCapture = TRUE;
    if (::GetCapture() != m_hWnd) ::SetCapture(m_hWnd);
    m_pData->m_curCaptureLayer = pCaptureLayer;
    return pOld;
}

void CWceUiRealWnd::ReleaseCapture(CWceUiLayer* pLayer)
{
    if (NULL == m_pData || NULL == pLayer || pLayer != m_pData->m_curCaptureLayer) return;
    m_pData->m_bCapture = FALSE;
    if (::IsWindow(m_hWnd) && ::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_pData->m_curCaptureLayer = NULL;
}

CWceUiLayer* CWceUiRealWnd::GetCapture() { return m_pData ? m_pData->m_curCaptureLayer : NULL; }

void CWceUiRealWnd::OnCaptureChanged(LPARAM)
{
    if (NULL == m_pData || !m_pData->m_bCapture) return;
    if (!WCEUI_CHECK("CWceUiRealWnd::OnCaptureChanged", 0 != GetCapture())) return;
    m_pData->m_curCaptureLayer->OnLoseCapture();
    if (m_pData->m_bCapture && m_pData->m_curCaptureLayer)
        m_pData->m_curCaptureLayer->ReleaseCapture();
}

// ---- registered messages ----

BOOL CWceUiRealWnd::RegisterMsg(UINT nMsg, CWceUiLayer* pLayer)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::RegisterMsg", NULL != pLayer)) return FALSE;
    CWceUiMsgLayerList* pList = NULL;
    if (!m_pData->m_MsgLayerMap.Lookup(nMsg, pList)) {
        pList = new (std::nothrow) CWceUiMsgLayerList(10);
        if (!WCEUI_CHECK("CWceUiRealWnd::RegisterMsg", NULL != pList)) return FALSE;
        m_pData->m_MsgLayerMap.SetAt(nMsg, pList);
    }
    pList->AddTail(pLayer);
    return TRUE;
}

BOOL CWceUiRealWnd::UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::UnRegisterMsg", NULL != pLayer)) return FALSE;
    CWceUiMsgLayerList* pList = NULL;
    if (NULL == m_pData || !m_pData->m_MsgLayerMap.Lookup(nMsg, pList)) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::UnRegisterMsg failed, nMsg %d is not registered", static_cast<int>(nMsg));
        return FALSE;
    }
    JXPOSITION pos = pList->Find(pLayer);
    if (NULL == pos) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::UnRegisterMsg failed, can not find the layer");
        return FALSE;
    }
    pList->RemoveAt(pos);
    if (pList->IsEmpty()) {
        m_pData->m_MsgLayerMap.RemoveKey(nMsg);
        delete pList;
    }
    return TRUE;
}

LRESULT CWceUiRealWnd::DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWceUiMsgLayerList* pList = NULL;
    if (NULL == m_pData || !m_pData->m_MsgLayerMap.Lookup(msg, pList)) return CRealDlg::DefaultWindowProc(msg, wParam, lParam);
    // Handlers may unregister layers or delete dialogs: walk a copy and call only the
    // layers still registered when their turn comes.
    std::vector<CWceUiLayer*> layers;
    layers.reserve(static_cast<size_t>(pList->GetCount()));
    for (JXPOSITION pos = pList->GetHeadPosition(); pos;) layers.push_back(pList->GetNext(pos));
    // Keys belong to the dialog the user sees on top: an edit box under a message box (or
    // hidden, or disabled) must not move its caret. Decided per call, as a handler may open
    // or end a dialog.
    const BOOL bKey = WM_KEYDOWN <= msg && msg <= WM_CHAR;
    LRESULT lResult = 0;
    for (CWceUiLayer* pLayer : layers) {
        CWceUiMsgLayerList* pNow = NULL;
        if (NULL == m_pData || !m_pData->m_MsgLayerMap.Lookup(msg, pNow) || NULL == pNow->Find(pLayer)) continue;
        if (bKey && !m_pData->m_LayerCtrl.CanTakeFocus(pLayer)) continue;
        lResult = pLayer->OnRegisteredMsg(msg, wParam, lParam);
    }
    return lResult;
}

// ---- pictures ----

CWceUiGenericBitmap* CWceUiRealWnd::GetCurWndBmp()
{
    if (!WCEUI_CHECK("CWceUiRealWnd::GetCurWndBmp", ::IsWindow(m_hWnd))) return NULL;
    CWceUiGenericBitmap* pBmp = WceUiCreateBitmapObject(WceUiGetBitsPixel());
    if (NULL == pBmp) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::GetCurWndBmp, Create Bitmap failed");
        return NULL;
    }
    RECT rc;
    GetClientRect(&rc);
    if (!pBmp->CreateDIB(rc.right - rc.left, rc.bottom - rc.top)) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::GetCurWndBmp, CreateDIB failed");
        delete pBmp;
        return NULL;
    }
    m_pData->m_LayerCtrl.Draw(pBmp, rc);
    return pBmp;
}

CWceUiGenericBitmap* CWceUiRealWnd::GetLastWndBmp()
{
    if (NULL == m_pData || NULL == m_pData->m_pWndBitmap || !m_pData->m_pWndBitmap->IsLoaded()) return GetCurWndBmp();
    CWceUiGenericBitmap* pCopy = NULL;
    if (!m_pData->m_pWndBitmap->MakeACopy(&pCopy)) return NULL;
    return pCopy;
}

CWceUiGenericBitmap* CWceUiRealWnd::CreateMixedBitmap()
{
    if (!WCEUI_CHECK("CWceUiRealWnd::CreateMixedBitmap", ::IsWindow(m_hWnd))) return NULL;
    int nBitsPixel = WceUiGetBitsPixel();
    if (NULL == m_pData->m_pMixedBitmap) {
        m_pData->m_pMixedBitmap = WceUiCreateBitmapObject(nBitsPixel);
        if (NULL == m_pData->m_pMixedBitmap) {
            JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::CreateMixedBitmap, Can not create bitmap object, nBitsPixel = %d", nBitsPixel);
            return NULL;
        }
    }
    RECT rc;
    GetClientRect(&rc);
    int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    CWceUiGenericBitmap* pMixed = m_pData->m_pMixedBitmap;
    if (!pMixed->IsLoaded() || !SameSize(pMixed, nWidth, nHeight)) {
        if (!pMixed->CreateDIB(nWidth, nHeight)) {
            JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::CreateMixedBitmap, Can not create bitmap object, width = %d, height = %d",
                        nWidth, nHeight);
            delete pMixed;
            m_pData->m_pMixedBitmap = NULL;
            return NULL;
        }
    }
    return pMixed;
}

BOOL CWceUiRealWnd::PaintWnd(CWceUiGenericBitmap* pWndBmp)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::PaintWnd", NULL != pWndBmp)) return FALSE;
    if (!WCEUI_CHECK("CWceUiRealWnd::PaintWnd", ::IsWindow(m_hWnd))) return FALSE;
    if (!WCEUI_CHECK("CWceUiRealWnd::PaintWnd", pWndBmp->IsLoaded())) return FALSE;
    RECT rc;
    GetClientRect(&rc);
    int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    if (!SameSize(pWndBmp, nWidth, nHeight)) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::PaintWnd failed, the size of pWndBmp is not match the window size");
        return FALSE;
    }
    HDC hDC = GetDC();
    OnWndBmpReady(pWndBmp);
    BOOL bRet;
    CWceUiGenericBitmap* pHue = GetOffsetHueBmp(pWndBmp, NULL);
    if (pHue) {
        bRet = pHue->BltToDc(hDC, 0, 0, nWidth, nHeight, 0, 0, kSrcCopy);
        delete pHue;
    } else {
        bRet = pWndBmp->BltToDc(hDC, 0, 0, nWidth, nHeight, 0, 0, kSrcCopy);
    }
    ReleaseDC(hDC);
    return bRet;
}

// ---- transitions ----

BOOL CWceUiRealWnd::Apply(CWceUiGenericBitmap* pFromBitmap)
{
    if (NULL == m_pData) return FALSE;
    delete m_pData->m_pFromBitmap;
    m_pData->m_pFromBitmap = NULL;
    m_pData->m_bApplied = FALSE;
    if (!WCEUI_CHECK("CWceUiRealWnd::Apply", ::IsWindow(m_hWnd))) return FALSE;
    CWceUiGenericBitmap* pStart = NULL;
    if (pFromBitmap) {
        if (!WCEUI_CHECK("CWceUiRealWnd::Apply", pFromBitmap->IsLoaded())) return FALSE;
        if (pFromBitmap->GetBitsPixel() != WceUiGetBitsPixel()) {
            JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Apply, the pFromBitmap's BitsPixel is not match screen's BitsPixel");
            return FALSE;
        }
        RECT rc;
        GetClientRect(&rc);
        if (!SameSize(pFromBitmap, rc.right - rc.left, rc.bottom - rc.top)) {
            JxWriteLogA(JX_LOG_ERROR, "the size of pFromBitmap does not match the window rect size");
            return FALSE;
        }
        if (!pFromBitmap->MakeACopy(&pStart) || NULL == pStart) {
            JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Apply, pFromBitmap->MakeACopy failed");
            return FALSE;
        }
    } else {
        pStart = GetCurWndBmp();
        if (NULL == pStart) {
            JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Apply, GetCurWndBmp failed");
            return FALSE;
        }
    }
    m_pData->m_pFromBitmap = pStart;
    m_pData->m_bApplied = TRUE;
    return TRUE;
}

BOOL CWceUiRealWnd::Play(CWceUiWndAnimate** ppWndAnimate, int nWndAnimate, BOOL bIgnoreMsg)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::Play", NULL != ppWndAnimate)) return FALSE;
    if (!WCEUI_CHECK("CWceUiRealWnd::Play", nWndAnimate > 0)) return FALSE;
    if (!WCEUI_CHECK("CWceUiRealWnd::Play", ::IsWindow(m_hWnd))) return FALSE;
    if (!m_pData->m_bApplied) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Play failed, please make sure the previous Apply return TRUE");
        return FALSE;
    }
    WCEUI_CHECK("CWceUiRealWnd::Play", NULL != GetData()->m_pFromBitmap);
    std::vector<CWceUiWndAnimate*> kept;
    BOOL bKept = TRUE;
    try {
        for (int i = 0; i < nWndAnimate; ++i) {
            if (!WCEUI_CHECK("CWceUiRealWnd::Play", NULL != ppWndAnimate[i])) break;
            if (ppWndAnimate[i]->IsEnable()) kept.push_back(ppWndAnimate[i]);
        }
    } catch (const std::bad_alloc&) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Play failed, no memory");
        bKept = FALSE;
    }
    BOOL bRet = !bKept ? FALSE : kept.empty() ? TRUE : impPlay(kept.data(), static_cast<int>(kept.size()));
    if (bRet && bIgnoreMsg) IgnoreMsgBeforeTime(0);
    delete m_pData->m_pFromBitmap;
    m_pData->m_pFromBitmap = NULL;
    m_pData->m_bApplied = FALSE;
    return bRet;
}

BOOL CWceUiRealWnd::impPlay(CWceUiWndAnimate** ppKept, int nKept)
{
    CWceUiGenericBitmap* pFrom = m_pData->m_pFromBitmap;
    CWceUiGenericBitmap* pMixed = CreateMixedBitmap();
    if (NULL == pMixed) {
        JxWriteLogA(JX_LOG_ERROR, "In CWceUiRealWnd::Play, CreateMixedBitmap return NULL");
        return FALSE;
    }
    if (!SameSize(pMixed, pFrom->GetWidth(), pFrom->GetHeight())) {
        JxWriteLogA(JX_LOG_ERROR, "In CWceUiRealWnd::Play, the size of pFromBitmap is not equal pWndBitmap");
        return FALSE;
    }
    pMixed->BitBlt(0, 0, pFrom->GetWidth(), pFrom->GetHeight(), pFrom, 0, 0, kSrcCopy);
    CWceUiGenericBitmap* pTo = GetCurWndBmp();
    if (NULL == pTo) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiRealWnd::Play failed, GetCurWndBmp failed");
        return FALSE;
    }
    CRealWndFrames frames(this);
    BOOL bRet = WceUiPlayFrames(u"CWceUiRealWnd", ppKept, nKept, pMixed, pFrom, pTo, &frames);
    delete pTo;
    return bRet;
}

BOOL CWceUiRealWnd::IgnoreQueuedInput() { return IgnoreMsgBeforeTime(0); }

BOOL CWceUiRealWnd::IgnoreMsgBeforeTime(DWORD dwTime)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::IgnoreMsgBeforeTime", ::IsWindow(m_hWnd))) return FALSE;
    ::PostMessageW(m_hWnd, WCEUI_WM_IGNORE_CAPTURE, 0, 0);
    return CJxGVar::GetInstance()->GetCJxIgnoreMsg()->AddHwndTime(m_hWnd, dwTime ? dwTime : ::GetTickCount());
}

// ---- hue ----

void CWceUiRealWnd::SetOffsetHue(int nOffsetHue)
{
    if (NULL == m_pData || nOffsetHue == m_pData->m_nOffsetHue) return;
    m_pData->m_nOffsetHue = nOffsetHue;
    if (::IsWindow(m_hWnd)) InvalidateRect(NULL, TRUE);
}

int CWceUiRealWnd::GetOffsetHue() const { return m_pData ? m_pData->m_nOffsetHue : 0; }

CWceUiGenericBitmap* CWceUiRealWnd::GetOffsetHueBmp(CWceUiGenericBitmap* pBitmap, const RECT* lpRect)
{
    if (!WCEUI_CHECK("CWceUiRealWnd::GetOffsetHueBmp", NULL != pBitmap)) return NULL;
    int nHue = GetOffsetHue();
    if (0 == nHue || nHue < -180 || nHue > 180 || !pBitmap->IsLoaded()) return NULL;
    RECT rc = {0, 0, pBitmap->GetWidth(), pBitmap->GetHeight()};
    if (lpRect) rc = *lpRect;
    CWceUiGenericBitmap* pRet = WceUiCreateBitmapObject(pBitmap->GetBitsPixel());
    if (NULL == pRet) {
        JxWriteLogA(JX_LOG_ERROR, "%s::GetOffsetHueBmp, call WceUiCreateBitmapObject fail", "CWceUiRealWnd");
        return NULL;
    }
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (!pRet->CreateDIB(w, h)) {
        JxWriteLogA(JX_LOG_ERROR, "%s::GetOffsetHueBmp, call pRetBmp->CreateDIB fail", "CWceUiRealWnd");
        delete pRet;
        return NULL;
    }
    pRet->BitBlt(0, 0, w, h, pBitmap, rc.left, rc.top, kSrcCopy);
    pRet->SetHSLOffsetHue(nHue);
    return pRet;
}

void CWceUiRealWnd::FreeBmpRes()
{
    if (m_pData) m_pData->m_LayerCtrl.FreeBmpRes();
}

// ---- closing ----

void CWceUiRealWnd::OnDestroy()
{
    if (NULL == m_pData) return;
    CWceUiLayer* pRoot = m_pData->m_LayerCtrl.RootLayer();
    if (NULL == pRoot) return;
    int nDlgs = pRoot->GetChildCount();
    if (nDlgs >= 2) {
        JxWriteLogA(JX_LOG_ERROR, "error in CWceUiRealWnd::OnDestroy, the WceUiDlgLayer was not closed normally");
    } else if (1 == nDlgs) {
        CWceUiLayer* pChild = pRoot->GetLastChild();
        CWceUiDlg* pDlg = pChild->IsKindOf(WCEUI_CLASS_NAME(CWceUiDlg)) ? static_cast<CWceUiDlg*>(pChild) : NULL;
        if (pDlg && DLG_RUN_IN_MODELESS == pDlg->GetRunWay()) {
            pDlg->EndModeless();
            m_pData->m_LayerCtrl.DeleteLayer(pDlg);
        } else {
            JxWriteLogA(JX_LOG_ERROR, "error in CWceUiRealWnd::OnDestroy, the WceUiDlgLayer was not closed normally 2");
        }
    }
}
