// The two drawable edit boxes: their bitmaps and how they paint their lines and scroll bar.
#include <new>

#include "JXCheck.h"
#include "WceUiCtrlPrivate.h"
#include "WceUiEditBox.h"
#include "WceUiLayerData.h"
#include "WceUiLoadBitmap.h"
#include "WceUiStyle.h"
#include "WceUiTextPainter.h"
#include "WceUiXml.h"
#include "wce/gdi.h"

// ---- Data ----

struct CWceUiMEditBoxData {
    CWceUiLoadBitmap m_bmpLineBg, m_bmpBarTop, m_bmpBarMiddle, m_bmpBarBottom;
};

struct CWceUiSEditBoxData {
    CWceUiLoadBitmap m_bmpBarLeft, m_bmpBarCenter, m_bmpBarRight;
};

// ---- Life ----

CWceUiMEditBox::CWceUiMEditBox() : m_pData(new (std::nothrow) CWceUiMEditBoxData())
{
    WCEUI_CHECK("CWceUiMEditBox::CWceUiMEditBox", NULL != m_pData);
    SetVertical(1);
}

CWceUiMEditBox::~CWceUiMEditBox() { delete m_pData; }

CWceUiSEditBox::CWceUiSEditBox() : m_pData(new (std::nothrow) CWceUiSEditBoxData())
{
    WCEUI_CHECK("CWceUiSEditBox::CWceUiSEditBox", NULL != m_pData);
}

CWceUiSEditBox::~CWceUiSEditBox() { delete m_pData; }

// ---- Properties ----

BOOL CWceUiMEditBox::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiMEditBox::SetProperties", NULL != pCreateElem && NULL != m_pData)) return FALSE;
    SetVertical(1);
    struct {
        LPCWSTR pAttr;
        CWceUiLoadBitmap* pHolder;
    } const bmps[] = {{u"line_bg_bmp", &m_pData->m_bmpLineBg},
                      {u"top_bmp", &m_pData->m_bmpBarTop},
                      {u"middle_bmp", &m_pData->m_bmpBarMiddle},
                      {u"bottom_bmp", &m_pData->m_bmpBarBottom}};
    for (const auto& b : bmps)
        if (LPCWSTR p = pCreateElem->GetAttribute(b.pAttr)) b.pHolder->SetBitmapFromRes(p);
    return CWceUiEditBox::SetProperties(pCreateElem);
}

BOOL CWceUiSEditBox::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiSEditBox::SetProperties", NULL != pCreateElem && NULL != m_pData)) return FALSE;
    struct {
        LPCWSTR pAttr;
        CWceUiLoadBitmap* pHolder;
    } const bmps[] = {{u"left-bmp", &m_pData->m_bmpBarLeft},
                      {u"center-bmp", &m_pData->m_bmpBarCenter},
                      {u"right-bmp", &m_pData->m_bmpBarRight}};
    for (const auto& b : bmps)
        if (LPCWSTR p = pCreateElem->GetAttribute(b.pAttr)) b.pHolder->SetBitmapFromRes(p);
    return CWceUiEditBox::SetProperties(pCreateElem);
}

// ---- Painting ----

namespace {

// The text area where the drawing bitmap has it (rcArea in client coordinates); and the
// part of it this paint may touch.
BOOL TextArea(CWceUiLayer* pLayer, BOOL bClient, const RECT& rcArea, RECT* pArea, RECT* pClip)
{
    *pArea = rcArea;
    if (!bClient) pLayer->ClientToWindow(pArea);
    RECT rcLayer;
    if (bClient)
        pLayer->GetClientRect(&rcLayer);
    else
        pLayer->GetWindowRect(&rcLayer);
    RECT rcPaint = WceUiPaintClipOf(pLayer, rcLayer);
    return IntersectRect(pClip, pArea, &rcPaint);
}

// Repeats pSrc over the w x h rectangle (a thumb's stretchable middle), blended, clipped.
void TileBlend(CWceUiGenericBitmap* pDst, const RECT& rcClip, int x, int y, int w, int h, CWceUiGenericBitmap* pSrc)
{
    const int sw = pSrc->GetWidth(), sh = pSrc->GetHeight();
    if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0) return;
    RECT rcTile = {x, y, x + w, y + h}, rc;
    if (!IntersectRect(&rc, &rcTile, &rcClip)) return;
    for (int ty = y; ty < y + h; ty += sh)
        for (int tx = x; tx < x + w; tx += sw)
            WceUiDrawClipped(pDst, rc, tx, ty, sw, sh, pSrc, 0, 0, WCEUI_DRAW_BLEND);
}

}  // namespace

void CWceUiMEditBox::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    if (NULL == m_pData || NULL == pDrawBitmap) return;
    impSyncLayout(FALSE);
    RECT rcArea, A, rcClip;
    if (!impGetTextArea(&rcArea) || !TextArea(this, bClient, rcArea, &A, &rcClip)) return;
    const int nLineHeight = GetLineHeight(), nPos = GetScrollPos();
    CWceUiGenericBitmap* pLineBg = m_pData->m_bmpLineBg.GetBitmap();
    {
        CWceUiTextPainter painter(pDrawBitmap, impGetFont(), CWceUiLayer::GetData()->Rec()->m_TextColor.GetColor(),
                                  &rcClip);
        if (!painter.IsReady()) return;
        LPCWSTR pText = GetEditText();
        const int nCount = GetLineCount();
        // Only the lines that meet the paint area.
        int nFirst = (rcClip.top - (A.top - nPos)) / nLineHeight;
        if (nFirst < 0) nFirst = 0;
        for (int i = nFirst; i < nCount; ++i) {
            RECT rc = {A.left, A.top - nPos + i * nLineHeight, A.right, A.top - nPos + (i + 1) * nLineHeight};
            if (rc.top >= rcClip.bottom) break;
            if (pLineBg && pLineBg->GetHeight() > 0) {
                // The leftmost column stretched along the line, rows one to one.
                RECT rcBg;
                if (IntersectRect(&rcBg, &rc, &rcClip)) {
                    int sy = rcBg.top - rc.top, h = rcBg.bottom - rcBg.top;
                    if (sy + h > pLineBg->GetHeight()) h = pLineBg->GetHeight() - sy;
                    if (h > 0)
                        pDrawBitmap->StretchBlt(rcBg.left, rcBg.top, rcBg.right - rcBg.left, h, pLineBg, 0, sy, 1, h,
                                                SRCCOPY);
                }
            }
            int nStart = 0, nLength = 0;
            GetLine(i, &nStart, &nLength);
            if (nLength > 0 && u'\n' == pText[nStart + nLength - 1]) --nLength;
            if (nLength > 0) painter.DrawText(pText + nStart, nLength, &rc, 0);
        }
    }
    CWceUiGenericBitmap* pTop = m_pData->m_bmpBarTop.GetBitmap();
    CWceUiGenericBitmap* pMid = m_pData->m_bmpBarMiddle.GetBitmap();
    CWceUiGenericBitmap* pBot = m_pData->m_bmpBarBottom.GetBitmap();
    const int nThumb = GetThumbLength(), nThumbPos = GetThumbPos();
    if (nThumb <= 0 || !pTop || !pMid || !pBot) return;
    WceUiDrawClipped(pDrawBitmap, rcClip, A.right - 5, A.top + nThumbPos, 5, 4, pTop, 0, 0, WCEUI_DRAW_BLEND);
    TileBlend(pDrawBitmap, rcClip, A.right - 5, A.top + nThumbPos + 4, 5, nThumb - 8, pMid);
    WceUiDrawClipped(pDrawBitmap, rcClip, A.right - 5, A.top + nThumbPos + nThumb - 4, 5, 4, pBot, 0, 0,
                     WCEUI_DRAW_BLEND);
}

void CWceUiSEditBox::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    if (NULL == m_pData || NULL == pDrawBitmap) return;
    impSyncLayout(FALSE);
    RECT rcArea, A, rcClip;
    if (!impGetTextArea(&rcArea) || !TextArea(this, bClient, rcArea, &A, &rcClip)) return;
    {
        CWceUiTextPainter painter(pDrawBitmap, impGetFont(), CWceUiLayer::GetData()->Rec()->m_TextColor.GetColor(),
                                  &rcClip);
        if (!painter.IsReady()) return;
        RECT rc = A;
        OffsetRect(&rc, -GetScrollPos(), 0);
        rc.right = rc.left + 0x3FFFFFFF;  // the text runs past the box; the clip cuts it
        LPCWSTR pText = GetEditText();
        int nLength = 0;
        while (pText[nLength]) ++nLength;
        if (nLength > 0) painter.DrawText(pText, nLength, &rc, 0);
    }
    CWceUiGenericBitmap* pLeft = m_pData->m_bmpBarLeft.GetBitmap();
    CWceUiGenericBitmap* pCenter = m_pData->m_bmpBarCenter.GetBitmap();
    CWceUiGenericBitmap* pRight = m_pData->m_bmpBarRight.GetBitmap();
    const int nThumb = GetThumbLength(), nThumbPos = GetThumbPos();
    if (nThumb <= 0 || !pLeft || !pCenter || !pRight) return;
    WceUiDrawClipped(pDrawBitmap, rcClip, A.left + nThumbPos, A.bottom - 5, 4, 5, pLeft, 0, 0, WCEUI_DRAW_BLEND);
    TileBlend(pDrawBitmap, rcClip, A.left + nThumbPos + 4, A.bottom - 5, nThumb - 8, 5, pCenter);
    WceUiDrawClipped(pDrawBitmap, rcClip, A.left + nThumbPos + nThumb - 4, A.bottom - 5, 4, 5, pRight, 0, 0,
                     WCEUI_DRAW_BLEND);
}
