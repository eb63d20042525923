#include "WceUiSlider.h"

#include <cstdint>
#include <new>

#include "JXCheck.h"
#include "WceUiCtrlPrivate.h"
#include "WceUiLoadBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/wstring.h"

// ---- Data ----

struct CWceUiSliderData {
    BOOL m_bReadOnly = FALSE;
    CWceUiLoadBitmap m_bmpBg;
    CWceUiLoadBitmap m_bmpBgSel;
    CWceUiLoadBitmap m_bmpThumb;
    int m_nThumbWidth = 0;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nPos = 0;
    BOOL m_bTracking = FALSE;
};

// ---- Life ----

CWceUiSlider::CWceUiSlider() : m_pData(new (std::nothrow) CWceUiSliderData())
{
    WCEUI_CHECK("CWceUiSlider::CWceUiSlider", NULL != m_pData);
}

CWceUiSlider::~CWceUiSlider() { delete m_pData; }

void CWceUiSlider::OnInitLayer()
{
    if (m_pData) {
        CWceUiGenericBitmap* pBg = m_pData->m_bmpBg.GetBitmap();
        CWceUiGenericBitmap* pThumb = m_pData->m_bmpThumb.GetBitmap();
        RECT rc;
        if (pBg && pThumb && GetWindowRect(&rc)) {
            // A layer placed near the end of the coordinate range keeps its right edge there.
            const int64_t nRight = int64_t(rc.left) + pBg->GetWidth() + m_pData->m_nThumbWidth;
            rc.right = nRight > INT32_MAX ? INT32_MAX : int(nRight);
            MoveLayer(&rc, TRUE);
        }
    }
    CWceUiLayer::OnInitLayer();
}

// ---- Properties ----

BOOL CWceUiSlider::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiSlider::SetProperties", NULL != pCreateElem && NULL != m_pData)) return FALSE;
    LPCWSTR p = pCreateElem->GetAttribute(u"bg_bmp");
    if (p) m_pData->m_bmpBg.SetBitmapFromRes(p);
    p = pCreateElem->GetAttribute(u"bg_sel_bmp");
    if (p) m_pData->m_bmpBgSel.SetBitmapFromRes(p);
    p = pCreateElem->GetAttribute(u"thumb_bmp");
    if (p) {
        m_pData->m_bmpThumb.SetBitmapFromRes(p);
        CWceUiGenericBitmap* pThumb = m_pData->m_bmpThumb.GetBitmap();
        if (pThumb) m_pData->m_nThumbWidth = pThumb->GetWidth();
    }
    p = pCreateElem->GetAttribute(u"readonly");
    if (p) m_pData->m_bReadOnly = (0 == WStrCmp(p, u"true"));
    return CWceUiLayer::SetProperties(pCreateElem);
}

void CWceUiSlider::SetReadOnly(BOOL bReadOnly)
{
    if (m_pData) m_pData->m_bReadOnly = bReadOnly ? TRUE : FALSE;
}

BOOL CWceUiSlider::IsReadOnly() const { return m_pData && m_pData->m_bReadOnly; }
int CWceUiSlider::GetThumbWidth() const { return m_pData ? m_pData->m_nThumbWidth : 0; }

// ---- Public calls ----

void CWceUiSlider::SetRange(int nMin, int nMax, BOOL bRedraw)
{
    if (!m_pData || nMin > nMax) return;
    m_pData->m_nMin = nMin;
    m_pData->m_nMax = nMax;
    if (bRedraw) InvalidateLayer();
}

void CWceUiSlider::GetRange(int* pMin, int* pMax) const
{
    if (pMin) *pMin = m_pData ? m_pData->m_nMin : 0;
    if (pMax) *pMax = m_pData ? m_pData->m_nMax : 0;
}

void CWceUiSlider::SetPos(int nPos)
{
    if (!m_pData || nPos < m_pData->m_nMin || nPos > m_pData->m_nMax || nPos == m_pData->m_nPos) return;
    m_pData->m_nPos = nPos;
    InvalidateLayer();
}

int CWceUiSlider::GetPos() const { return m_pData ? m_pData->m_nPos : 0; }
BOOL CWceUiSlider::IsTracking() const { return m_pData && m_pData->m_bTracking; }

// The track length; a thumb wider than the layer leaves no track.
static int TrackLength(const CWceUiSlider* pSlider, const CWceUiSliderData* pData)
{
    RECT rc;
    if (!pSlider->GetClientRect(&rc)) return 0;
    int nLen = (rc.right - rc.left) - pData->m_nThumbWidth;
    return nLen > 0 ? nLen : 0;
}

int CWceUiSlider::GetThumbOffset() const
{
    if (!m_pData) return 0;
    int nLen = TrackLength(this, m_pData);
    int64_t nSpan = int64_t(m_pData->m_nMax) - m_pData->m_nMin;
    if (nSpan <= 0 || nLen <= 0) return 0;
    int64_t nOff = int64_t(nLen) * (int64_t(m_pData->m_nPos) - m_pData->m_nMin) / nSpan;
    // A position left outside the range by SetRange stays on the track.
    if (nOff < 0) nOff = 0;
    if (nOff > nLen) nOff = nLen;
    return int(nOff);
}

// ---- Input ----

void CWceUiSlider::impTrack(int x, LPARAM nPhase)
{
    RECT rcWnd;
    GetWindowRect(&rcWnd);
    int nLen = TrackLength(this, m_pData);
    int64_t nOff = int64_t(x) - m_pData->m_nThumbWidth / 2 - rcWnd.left;
    if (nOff < 0) nOff = 0;
    if (nOff > nLen) nOff = nLen;
    int64_t nNew = m_pData->m_nMin;
    if (nLen > 0) nNew += (int64_t(m_pData->m_nMax) - m_pData->m_nMin) * nOff / nLen;
    if (nNew == m_pData->m_nPos) return;
    if (nNew >= m_pData->m_nMin && nNew <= m_pData->m_nMax) {
        m_pData->m_nPos = int(nNew);
        InvalidateLayer();
    }
    WceUiPostToWnd(this, WCEUI_MSG_SLIDER, reinterpret_cast<WPARAM>(this), nPhase);
}

void CWceUiSlider::OnLButtonDown(UINT nFlags, int x, int y)
{
    if (m_pData && !m_pData->m_bReadOnly) {
        // A press whose pen-up was lost ends where it is first.
        if (m_pData->m_bTracking) OnLoseCapture();
        m_pData->m_bTracking = TRUE;
        SetCapture();
        impTrack(x, 0);
    }
    CWceUiLayer::OnLButtonDown(nFlags, x, y);
}

void CWceUiSlider::OnMouseMove(UINT nFlags, int x, int y)
{
    if (m_pData && !m_pData->m_bReadOnly && m_pData->m_bTracking) impTrack(x, 1);
    CWceUiLayer::OnMouseMove(nFlags, x, y);
}

void CWceUiSlider::OnLButtonUp(UINT nFlags, int x, int y)
{
    if (m_pData && !m_pData->m_bReadOnly && m_pData->m_bTracking) {
        m_pData->m_bTracking = FALSE;
        ReleaseCapture();
        impTrack(x, 2);
    }
    CWceUiLayer::OnLButtonUp(nFlags, x, y);
}

// A capture taken away (a message box, another window) ends the drag where it is.
void CWceUiSlider::OnLoseCapture()
{
    if (m_pData && m_pData->m_bTracking) {
        m_pData->m_bTracking = FALSE;
        ReleaseCapture();
    }
    CWceUiLayer::OnLoseCapture();
}

// ---- Painting ----

void CWceUiSlider::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    if (!m_pData || !pDrawBitmap) return;
    RECT rc;
    GetClientRect(&rc);
    if (!bClient) ClientToWindow(&rc);
    RECT rcLimit;
    RECT rcClip = WceUiPaintClipOf(this, rc);
    if (!IntersectRect(&rcLimit, &rc, &rcClip)) return;
    int nT = m_pData->m_nThumbWidth;
    int nOff = GetThumbOffset();
    // Every image stays inside the slider: a repaint of its rectangle must cover all it drew.
    if (CWceUiGenericBitmap* p = m_pData->m_bmpBgSel.GetBitmap())
        WceUiDrawClipped(pDrawBitmap, rcLimit, rc.left + nT / 2, rc.top, p->GetWidth(), p->GetHeight(), p, 0, 0, WCEUI_DRAW_BLEND);
    if (CWceUiGenericBitmap* p = m_pData->m_bmpBg.GetBitmap())
        WceUiDrawClipped(pDrawBitmap, rcLimit, rc.left + nT / 2 + nOff, rc.top, p->GetWidth() - nOff, p->GetHeight(), p,
                         nOff, 0, WCEUI_DRAW_BLEND);
    if (CWceUiGenericBitmap* p = m_pData->m_bmpThumb.GetBitmap()) {
        int x = rc.left + nOff - (p->GetWidth() - nT) / 2;
        int y = rc.top - (p->GetHeight() - (rc.bottom - rc.top)) / 2;
        WceUiDrawClipped(pDrawBitmap, rcLimit, x, y, p->GetWidth(), p->GetHeight(), p, 0, 0, WCEUI_DRAW_BLEND);
    }
}
