#include "WceUiScrollLayer.h"

#include <cstdlib>
#include <new>

#include "JXCheck.h"
#include "WceUiCommon.h"
#include "WceUiCtrlPrivate.h"
#include "wce/timesync.h"

// ---- Data ----

enum {
    DRAG_START = 20,  // pixels the pen must move before the content follows
    ANI_NOT_RUNNING = 0x7FFFFFFF,
};

struct CWceUiScrollLayerData {
    int m_nMin = 0, m_nMax = 0, m_nPos = 0;
    int m_nExtra = 0;
    int m_nThumbLen = 0, m_nThumbPos = 0;
    int m_nLastX = 0, m_nLastY = 0;
    int m_nDirection = 0;  // 0: the position increases (pen moving left or up)
    BOOL m_bPressed = FALSE, m_bDragging = FALSE;
    int m_nVertical = 0;
    DWORD m_dwStrokeStart = 0;
    int m_nPosAtPress = 0;
    int m_nPressX = 0, m_nPressY = 0;
    BOOL m_bScrolling = FALSE;
    int m_nPosBefore = 0;
    int m_nFlickTimes[3] = {100, 200, 400};
    int m_nAniSteps = 15;
    int m_nAniInterval = 1;
    int m_nAniDistance = 0, m_nAniStart = 0, m_nAniStep = ANI_NOT_RUNNING;
};

// ---- Life ----

CWceUiScrollLayer::CWceUiScrollLayer() : m_pData(new (std::nothrow) CWceUiScrollLayerData())
{
    WCEUI_CHECK("CWceUiScrollLayer::CWceUiScrollLayer", NULL != m_pData);
}

CWceUiScrollLayer::~CWceUiScrollLayer() { delete m_pData; }

// ---- Properties ----

void CWceUiScrollLayer::SetExtraScroll(int nExtra)
{
    // A negative extra would clamp every position to the far end and never settle.
    if (m_pData) m_pData->m_nExtra = nExtra > 0 ? nExtra : 0;
}

int CWceUiScrollLayer::GetExtraScroll() const { return m_pData ? m_pData->m_nExtra : 0; }
BOOL CWceUiScrollLayer::IsVertical() const { return m_pData && m_pData->m_nVertical; }

void CWceUiScrollLayer::SetVertical(int nVertical)
{
    if (m_pData && (0 == nVertical || 1 == nVertical)) m_pData->m_nVertical = nVertical;
}

// ---- Public calls ----

int CWceUiScrollLayer::GetViewLength() const
{
    RECT rc;
    if (!GetClientRect(&rc)) return 0;
    return m_pData && m_pData->m_nVertical ? rc.bottom - rc.top : rc.right - rc.left;
}

void CWceUiScrollLayer::ScrollBy(int nDelta, BOOL bRedraw)
{
    CWceUiScrollLayerData* d = m_pData;
    if (!d || 0 == nDelta) return;
    d->m_nPosBefore = d->m_nPos;
    long long nPos = (long long)d->m_nPos + nDelta;
    long long nLow = (long long)d->m_nMin - d->m_nExtra, nHigh = (long long)d->m_nMax + d->m_nExtra;
    if (nPos < nLow) nPos = nLow;
    if (nPos > nHigh) nPos = nHigh;
    d->m_nPos = WceUiClampToInt(nPos);
    d->m_bScrolling = TRUE;
    if (d->m_nThumbLen > 0) {
        long long nSpan = (long long)d->m_nMax - d->m_nMin;
        d->m_nThumbPos =
            nSpan > 0 ? WceUiClampToInt((long long)d->m_nPos * (GetViewLength() - d->m_nThumbLen) / nSpan) : 0;
    }
    if (bRedraw) {
        InvalidateLayer();
        WceUiUpdateWnd(this);
    }
    d->m_bScrolling = FALSE;
}

void CWceUiScrollLayer::SetScrollRange(int nMin, int nMax, BOOL bRedraw)
{
    if (!m_pData) return;
    m_pData->m_nMin = nMin;
    m_pData->m_nMax = nMax;
    long long nView = GetViewLength();
    // An inverted or empty rectangle has no view to show a thumb in (and would divide by 0).
    long long nWhole = nView - nMin + (long long)nMax;
    if (nMax > nMin && nMax >= 1 && nView > 0 && nWhole > 0) {
        long long nLen = nView * nView / nWhole;
        m_pData->m_nThumbLen = int(nLen < 20 ? 20 : nLen);
    } else {
        m_pData->m_nThumbLen = 0;
    }
    AdjustScrollPos(FALSE, bRedraw);
}

void CWceUiScrollLayer::GetScrollRange(int* pMin, int* pMax) const
{
    if (pMin) *pMin = m_pData ? m_pData->m_nMin : 0;
    if (pMax) *pMax = m_pData ? m_pData->m_nMax : 0;
}

void CWceUiScrollLayer::SetScrollPos(int nPos, BOOL bRedraw)
{
    if (!m_pData) return;
    StopAnimation();
    if (nPos >= m_pData->m_nMin && nPos <= m_pData->m_nMax) ScrollBy(nPos - m_pData->m_nPos, bRedraw);
}

int CWceUiScrollLayer::GetScrollPos() const { return m_pData ? m_pData->m_nPos : 0; }
int CWceUiScrollLayer::GetThumbLength() const { return m_pData ? m_pData->m_nThumbLen : 0; }
int CWceUiScrollLayer::GetThumbPos() const { return m_pData ? m_pData->m_nThumbPos : 0; }
BOOL CWceUiScrollLayer::IsPressed() const { return m_pData && m_pData->m_bPressed; }
BOOL CWceUiScrollLayer::IsDragging() const { return m_pData && m_pData->m_bDragging; }
BOOL CWceUiScrollLayer::IsAnimating() const { return m_pData && m_pData->m_nAniStep != ANI_NOT_RUNNING; }
int CWceUiScrollLayer::GetPosBeforeScroll() const { return m_pData ? m_pData->m_nPosBefore : 0; }
BOOL CWceUiScrollLayer::IsScrolling() const { return m_pData && m_pData->m_bScrolling; }

void CWceUiScrollLayer::StopAnimation()
{
    if (!m_pData) return;
    KillTimer(WCEUI_SCROLL_TIMER);
    m_pData->m_nAniStep = ANI_NOT_RUNNING;
}

void CWceUiScrollLayer::AnimateScroll(int nDistance)
{
    if (!m_pData || 0 == nDistance) return;
    m_pData->m_nAniDistance = nDistance;
    m_pData->m_nAniStart = m_pData->m_nPos;
    m_pData->m_nAniStep = 0;
    SetTimer(WCEUI_SCROLL_TIMER, m_pData->m_nAniInterval);
}

void CWceUiScrollLayer::AdjustScrollPos(BOOL bAnimate, BOOL bRedraw)
{
    CWceUiScrollLayerData* d = m_pData;
    if (!d) return;
    int nCorrection = 0;
    if (d->m_nPos < d->m_nMin)
        nCorrection = d->m_nMin - d->m_nPos;
    else if (d->m_nPos > d->m_nMax)
        nCorrection = d->m_nMax - d->m_nPos;
    if (!bAnimate) {
        ScrollBy(nCorrection, bRedraw);
        OnScrollEnd();
    } else if (nCorrection) {
        AnimateScroll(nCorrection);
    } else {
        OnScrollEnd();
    }
}

void CWceUiScrollLayer::CancelPress()
{
    CWceUiScrollLayerData* d = m_pData;
    if (!d || !d->m_bPressed) return;
    ReleaseCapture();
    d->m_bPressed = FALSE;
    d->m_bDragging = FALSE;
    // A layer that has left the screen (its dialog ended, it was hidden) would start a
    // spring-back that no loop ever plays: it settles at once instead.
    AdjustScrollPos(IsInLayerTree() && IsLayerVisible(), TRUE);
}

// ---- Input ----

void CWceUiScrollLayer::OnLButtonDown(UINT nFlags, int x, int y)
{
    CWceUiScrollLayerData* d = m_pData;
    if (d) {
        // A press whose pen-up was lost ends as a loss of capture first.
        if (d->m_bPressed) CancelPress();
        StopAnimation();
        SetCapture();
        d->m_nPosAtPress = d->m_nPos;
        d->m_nPressX = d->m_nLastX = x;
        d->m_nPressY = d->m_nLastY = y;
        d->m_bPressed = TRUE;
        d->m_bDragging = FALSE;
        d->m_dwStrokeStart = GetTickCount();
    }
    CWceUiLayer::OnLButtonDown(nFlags, x, y);
}

void CWceUiScrollLayer::OnMouseMove(UINT nFlags, int x, int y)
{
    CWceUiScrollLayerData* d = m_pData;
    if (d && d->m_bPressed) {
        int nCur = d->m_nVertical ? y : x;
        int nLast = d->m_nVertical ? d->m_nLastY : d->m_nLastX;
        int nMoved = std::abs(nCur - nLast);
        if (!d->m_bDragging && nMoved >= DRAG_START) d->m_bDragging = TRUE;
        if (d->m_bDragging) {
            ScrollBy(nLast - nCur, TRUE);
            int nDirection = nCur <= nLast ? 0 : 1;
            if (nDirection != d->m_nDirection && nMoved >= DRAG_START) {
                d->m_nDirection = nDirection;
                d->m_dwStrokeStart = GetTickCount();
            }
            d->m_nLastX = x;
            d->m_nLastY = y;
            OnScrollPosChanged();
        }
    }
    CWceUiLayer::OnMouseMove(nFlags, x, y);
}

void CWceUiScrollLayer::OnLButtonUp(UINT nFlags, int x, int y)
{
    CWceUiScrollLayerData* d = m_pData;
    if (d) {
        int nElapsed = int(GetTickCount() - d->m_dwStrokeStart);
        if (d->m_bDragging && nElapsed < d->m_nFlickTimes[2] && d->m_nPos > d->m_nMin && d->m_nPos < d->m_nMax)
            AnimateScroll(CalcFlickDistance(nElapsed, x, y));
        else
            AdjustScrollPos(TRUE, TRUE);
        if (d->m_bPressed) {
            if (d->m_bDragging)
                OnDragEnd();
            else
                OnTapEnd();
            ReleaseCapture();
            d->m_bPressed = FALSE;
            d->m_bDragging = FALSE;
        }
        WceUiIgnoreQueuedInput(this);
    }
    CWceUiLayer::OnLButtonUp(nFlags, x, y);
}

void CWceUiScrollLayer::OnLoseCapture()
{
    CancelPress();
    CWceUiLayer::OnLoseCapture();
}

int CWceUiScrollLayer::CalcFlickDistance(int nElapsed, int x, int y)
{
    (void)x, (void)y;
    CWceUiScrollLayerData* d = m_pData;
    if (!d) return 0;
    RECT rc;
    GetClientRect(&rc);
    long long nBase = d->m_nVertical ? 2LL * (rc.bottom - rc.top) : (rc.right - rc.left) / 2;
    if (nElapsed < d->m_nFlickTimes[0])
        nBase *= 2;
    else if (nElapsed < d->m_nFlickTimes[1])
        ;
    else if (nElapsed < d->m_nFlickTimes[2])
        nBase /= 2;
    else
        nBase = 0;
    if (0 == d->m_nDirection) {
        long long nRoom = (long long)d->m_nMax + d->m_nExtra - d->m_nPos;
        return int(nBase < nRoom ? nBase : nRoom);
    }
    long long nRoom = (long long)d->m_nPos - d->m_nMin + d->m_nExtra;
    return -int(nBase < nRoom ? nBase : nRoom);
}

void CWceUiScrollLayer::OnTimer(WORD nTimerId)
{
    CWceUiScrollLayerData* d = m_pData;
    if (!d || WCEUI_SCROLL_TIMER != nTimerId) {
        CWceUiLayer::OnTimer(nTimerId);
        return;
    }
    // A tick already queued when the animation stopped.
    if (d->m_nAniStep == ANI_NOT_RUNNING || d->m_nAniStep >= d->m_nAniSteps) return;
    int nStep = d->m_nAniStep++;
    int nDist = std::abs(d->m_nAniDistance);
    int nMoved = CalcAnidisplacement(nStep, d->m_nAniSteps, nDist);
    if (0 == nMoved) return;
    int nTarget = d->m_nAniDistance > 0 ? d->m_nAniStart + nMoved : d->m_nAniStart - nMoved;
    ScrollBy(nTarget - d->m_nPos, TRUE);
    OnScrollPosChanged();
    if (d->m_nAniStep >= d->m_nAniSteps) {
        StopAnimation();
        AdjustScrollPos(TRUE, TRUE);
    }
}
