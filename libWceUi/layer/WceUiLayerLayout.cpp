// CWceUiLayer: layout flags, position and invalidation.
#include "JXCheck.h"
#include "wce/gdi.h"
#include "JXWriteLogFile.h"
#include "QuickGrowStack.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiLayerHost.h"
#include "WceUiLayerPrivate.h"

// ---- Flags ----

BOOL CWceUiLayer::IsLayerShown() const { return m_pData->Rec()->m_bVisible; }
BOOL CWceUiLayer::IsLayerSelfEnabled() const { return m_pData->Rec()->m_bEnabled; }
BOOL CWceUiLayer::IsLayerSelfNoDraw() const { return m_pData->Rec()->m_bNoDraw; }
BOOL CWceUiLayer::IsLayerSelfNoInput() const { return m_pData->Rec()->m_bNoInput; }

BOOL CWceUiLayer::IsLayerVisible() const
{
    for (const CWceUiLayer* p = this; p; p = p->GetParent())
        if (!p->m_pData->Rec()->m_bVisible) return FALSE;
    return TRUE;
}

BOOL CWceUiLayer::IsLayerEnabled() const
{
    for (const CWceUiLayer* p = this; p; p = p->GetParent())
        if (!p->m_pData->Rec()->m_bEnabled) return FALSE;
    return TRUE;
}

BOOL CWceUiLayer::IsLayerContainer() const { return m_pData->Rec()->m_bContainer; }

BOOL CWceUiLayer::IsLayerNoDraw() const
{
    return IsLayerContainer() || !m_pData->m_bReDraw || m_pData->Rec()->m_bNoDraw;
}

BOOL CWceUiLayer::IsLayerNoInput() const { return IsLayerContainer() || m_pData->Rec()->m_bNoInput; }

BOOL CWceUiLayer::ShowLayer(BOOL bShow, BOOL bToCommonStyle)
{
    bShow = WceUiBool(bShow);
    if (bToCommonStyle) impWriteCommonFlag(WCEUI_FLAG_SHOWN, bShow);
    if (WceUiBool(m_pData->Rec()->m_bVisible) == bShow) return TRUE;
    // A hidden layer takes no pen input: a press held below it ends first.
    if (!bShow && m_pData->m_pLayerCtrl) m_pData->m_pLayerCtrl->EndCaptureBelow(this);
    m_pData->Rec()->m_bVisible = bShow;
    impRebuildLists(TRUE, TRUE);
    // Descendants appear or vanish with it, wherever they lie.
    impInvalidateSubtree();
    return TRUE;
}

BOOL CWceUiLayer::EnableLayer(BOOL bEnable, BOOL bToCommonStyle)
{
    bEnable = WceUiBool(bEnable);
    if (bToCommonStyle) impWriteCommonFlag(WCEUI_FLAG_ENABLED, bEnable);
    if (WceUiBool(m_pData->Rec()->m_bEnabled) == bEnable) return TRUE;
    // A disabled layer takes no pen input: a press held below it ends first, told as a lost
    // capture (as DoModal disables the dialog below), or the pressed button would keep its
    // look and click on a later pen-up. Before the flag, so that the look it goes back to
    // cannot undo the disabling.
    if (!bEnable && m_pData->m_pLayerCtrl) m_pData->m_pLayerCtrl->EndCaptureBelow(this);
    m_pData->Rec()->m_bEnabled = bEnable;
    impRebuildLists(TRUE, TRUE);
    InvalidateLayer(NULL);
    return TRUE;
}

BOOL CWceUiLayer::SetLayerContainer(BOOL bContainer)
{
    bContainer = WceUiBool(bContainer);
    if (WceUiBool(m_pData->Rec()->m_bContainer) == bContainer) return TRUE;
    m_pData->Rec()->m_bContainer = bContainer;
    impRebuildLists(TRUE, TRUE);
    impInvalidateOwnRect();
    return TRUE;
}

BOOL CWceUiLayer::SetLayerNoDraw(BOOL bNoDraw)
{
    bNoDraw = WceUiBool(bNoDraw);
    if (WceUiBool(m_pData->Rec()->m_bNoDraw) == bNoDraw) return TRUE;
    m_pData->Rec()->m_bNoDraw = bNoDraw;
    impRebuildLists(TRUE, FALSE);
    return TRUE;
}

BOOL CWceUiLayer::SetLayerNoInput(BOOL bNoInput)
{
    bNoInput = WceUiBool(bNoInput);
    if (WceUiBool(m_pData->Rec()->m_bNoInput) == bNoInput) return TRUE;
    m_pData->Rec()->m_bNoInput = bNoInput;
    impRebuildLists(FALSE, TRUE);
    return TRUE;
}

void CWceUiLayer::SetReDraw(BOOL bReDraw)
{
    m_pData->m_bReDraw = bReDraw;
    if (bReDraw) InvalidateLayer(NULL);
}

BOOL CWceUiLayer::IsReDraw() const { return m_pData->m_bReDraw; }

// ---- Position ----

int CWceUiLayer::GetLayerPosition(RECT* lpRect) const
{
    if (lpRect) *lpRect = m_pData->Rec()->m_rcPosition;
    return m_pData->Rec()->m_bRelative ? WCEUI_POS_RELATIVE : WCEUI_POS_WINDOW;
}

BOOL CWceUiLayer::impGetWindowRectFor(const RECT& rcPos, int nWay, RECT* lpOut) const
{
    // Walks up instead of recursing: a chain of relative layers is as long as the tree is deep.
    RECT rc = rcPos;
    const CWceUiLayer* pLayer = this;
    for (;;) {
        if (WCEUI_POS_WINDOW == nWay) break;
        if (WCEUI_POS_RELATIVE != nWay) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::GetWindowRect, posWay is invalid", u"CWceUiLayer");
            return FALSE;
        }
        const CWceUiLayer* pParent = pLayer->GetParent();
        if (NULL == pParent) break;
        RECT rcParent;
        nWay = pParent->GetLayerPosition(&rcParent);
        OffsetRect(&rc, rcParent.left, rcParent.top);
        pLayer = pParent;
    }
    *lpOut = rc;
    return TRUE;
}

BOOL CWceUiLayer::GetWindowRect(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiLayer::GetWindowRect", NULL != lpRect)) return FALSE;
    RECT rcPos;
    int nWay = GetLayerPosition(&rcPos);
    return impGetWindowRectFor(rcPos, nWay, lpRect);
}

BOOL CWceUiLayer::GetClientRect(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiLayer::GetClientRect", NULL != lpRect)) return FALSE;
    const RECT& rc = m_pData->Rec()->m_rcPosition;
    SetRect(lpRect, 0, 0, rc.right - rc.left, rc.bottom - rc.top);
    return TRUE;
}

BOOL CWceUiLayer::ClientToWindow(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiLayer::ClientToWindow", NULL != lpRect)) return FALSE;
    RECT rcWnd;
    if (!GetWindowRect(&rcWnd)) return FALSE;
    OffsetRect(lpRect, rcWnd.left, rcWnd.top);
    return TRUE;
}

BOOL CWceUiLayer::WindowToClient(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiLayer::WindowToClient", NULL != lpRect)) return FALSE;
    RECT rcWnd;
    if (!GetWindowRect(&rcWnd)) return FALSE;
    OffsetRect(lpRect, -rcWnd.left, -rcWnd.top);
    return TRUE;
}

BOOL CWceUiLayer::ClientToWindow(POINT* lpPoint) const
{
    if (!WCEUI_CHECK("CWceUiLayer::ClientToWindow", NULL != lpPoint)) return FALSE;
    RECT rcWnd;
    if (!GetWindowRect(&rcWnd)) return FALSE;
    lpPoint->x += rcWnd.left;
    lpPoint->y += rcWnd.top;
    return TRUE;
}

BOOL CWceUiLayer::WindowToClient(POINT* lpPoint) const
{
    if (!WCEUI_CHECK("CWceUiLayer::WindowToClient", NULL != lpPoint)) return FALSE;
    RECT rcWnd;
    if (!GetWindowRect(&rcWnd)) return FALSE;
    lpPoint->x -= rcWnd.left;
    lpPoint->y -= rcWnd.top;
    return TRUE;
}

BOOL CWceUiLayer::SetLayerPosition(const RECT* lpRect, int posWay, BOOL bRedraw)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetLayerPosition", NULL != lpRect)) return FALSE;
    if (WCEUI_POS_WINDOW != posWay && WCEUI_POS_RELATIVE != posWay) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetLayerPosition, posWay is invalid", u"CWceUiLayer");
        return FALSE;
    }
    RECT rcOld;
    if (!GetWindowRect(&rcOld)) SetRectEmpty(&rcOld);
    RECT rcNew = *lpRect;
    if (WCEUI_POS_RELATIVE == posWay && GetParent()) {
        RECT rcParent;
        if (GetParent()->GetWindowRect(&rcParent)) OffsetRect(&rcNew, rcParent.left, rcParent.top);
    }
    BOOL bMoved = !EqualRect(&rcOld, &rcNew);
    if (bRedraw && bMoved) {
        InvalidateLayer(&rcOld);
        InvalidateLayer(&rcNew);
    }
    // A new way or relative rectangle is kept even when the window rectangle stays: it
    // decides whether the layer follows its parent later.
    CWceUiStyleData& layout = *m_pData->Rec();
    BOOL bRelative = WCEUI_POS_RELATIVE == posWay;
    if (bMoved || !EqualRect(&layout.m_rcPosition, lpRect) || WceUiBool(layout.m_bRelative) != bRelative) {
        layout.m_rcPosition = *lpRect;
        layout.m_bRelative = bRelative;
    }
    if (bMoved && m_pData->m_pLayerCtrl) m_pData->m_pLayerCtrl->ReBuildInputList();
    return TRUE;
}

BOOL CWceUiLayer::MoveLayer(int x, int y, int cx, int cy, BOOL bRedraw)
{
    RECT rc = {x, y, x + cx, y + cy};
    int nWay = GetLayerPosition(NULL);
    if (WCEUI_POS_RELATIVE == nWay) {
        RECT rcParent;
        if (GetParent() && GetParent()->GetWindowRect(&rcParent)) OffsetRect(&rc, -rcParent.left, -rcParent.top);
    } else if (WCEUI_POS_WINDOW != nWay) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveLayer, posWay is invalid", u"CWceUiLayer");
        return FALSE;
    }
    return SetLayerPosition(&rc, nWay, bRedraw);
}

BOOL CWceUiLayer::MoveLayer(const RECT* lpRect, BOOL bRedraw)
{
    if (!WCEUI_CHECK("CWceUiLayer::MoveLayer", NULL != lpRect)) return FALSE;
    return MoveLayer(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRedraw);
}

BOOL CWceUiLayer::SetWindowPos(int x, int y, int cx, int cy, UINT nFlags)
{
    RECT rcWnd;
    if (!GetWindowRect(&rcWnd)) return FALSE;
    if (nFlags & 2) {
        x = rcWnd.left;
        y = rcWnd.top;
    }
    if (nFlags & 1) {
        cx = rcWnd.right - rcWnd.left;
        cy = rcWnd.bottom - rcWnd.top;
    }
    return MoveLayer(x, y, cx, cy, TRUE);
}

// ---- Invalidation and the paint pass's rectangle ----

void CWceUiLayer::impInvalidateWindowRect(const RECT* pRect) const
{
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    CWceUiLayerHost* pWnd = pCtrl ? pCtrl->PeekWindow() : NULL;
    if (NULL == pWnd) return;  // nothing shows the tree yet
    RECT rc;
    if (pRect)
        rc = *pRect;
    else if (!GetWindowRect(&rc))
        return;
    pWnd->InvalidateRect(&rc, TRUE);
}

void CWceUiLayer::impInvalidateOwnRect() const { impInvalidateWindowRect(NULL); }

void CWceUiLayer::impInvalidateSubtree()
{
    for (CWceUiLayer* p = this; p; p = WceUiNextInPreOrder(p, this))
        if (!p->IsLayerContainer()) p->impInvalidateWindowRect(NULL);
}

BOOL CWceUiLayer::InvalidateLayer(const RECT* pRect)
{
    if (!IsLayerContainer()) {
        impInvalidateWindowRect(pRect);
        return TRUE;
    }
    // Containers pass the call to their children, and so on down through nested containers.
    CQuickGrowStack<CWceUiLayer*> stack;
    for (CWceUiLayer* p = GetFirstChild(); p; p = NextChild(p)) {
        if (p->IsLayerContainer()) {
            if (!stack.Push(p)) return FALSE;
        } else {
            p->impInvalidateWindowRect(pRect);
        }
    }
    CWceUiLayer* pContainer;
    while (!stack.IsStackEmpty() && stack.Pop(pContainer)) {
        for (CWceUiLayer* p = pContainer->GetFirstChild(); p; p = pContainer->NextChild(p)) {
            if (p->IsLayerContainer()) {
                if (!stack.Push(p)) return FALSE;
            } else {
                p->impInvalidateWindowRect(pRect);
            }
        }
    }
    return TRUE;
}

BOOL CWceUiLayer::SetNeedDrawRect(const RECT* lpRect)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetNeedDrawRect", NULL != lpRect)) return FALSE;
    m_pData->m_rcNeedDraw = *lpRect;
    return TRUE;
}

BOOL CWceUiLayer::GetNeedDrawRect(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiLayer::GetNeedDrawRect", NULL != lpRect)) return FALSE;
    *lpRect = m_pData->m_rcNeedDraw;
    return TRUE;
}
