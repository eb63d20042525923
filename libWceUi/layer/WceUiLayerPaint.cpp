// CWceUiLayer: painting. Every step is limited to the rectangle the controller asked for
// (m_rcPaintClip) wherever the pixels inside it come out exactly as a whole paint makes
// them; a stretched image, whose clipped source mapping could differ, is drawn whole.
#include <vector>

#include "JXCheck.h"
#include "JXCommon.h"
#include "JXGlobal.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiStyle.h"
#include "WceUiTextPainter.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"

BOOL CalcAlignRects(RECT* pOutDst, RECT* pOutSrc, const RECT* pDstRect, const RECT* pSrcRect, UINT nAlign)
{
    if (!WCEUI_CHECK("CalcAlignRects", NULL != pOutDst && NULL != pOutSrc)) return FALSE;
    if (!WCEUI_CHECK("CalcAlignRects", NULL != pDstRect && NULL != pSrcRect)) return FALSE;
    const RECT dst = *pDstRect, src = *pSrcRect;
    RECT outDst = dst, outSrc = src;
    const LONG dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    const LONG sw = src.right - src.left, sh = src.bottom - src.top;

    // Place the narrower of the two inside the wider: cut a window from the source, or
    // put the whole source into the destination.
    auto place = [](LONG outerStart, LONG outer, LONG inner, BOOL bCenter, BOOL bFar) {
        if (bCenter) return outerStart + ((outer - inner) >> 1);
        if (bFar) return outerStart + outer - inner;
        return outerStart;
    };
    const BOOL bHCenter = 0 != (nAlign & 1), bRight = 0 != (nAlign & 2);
    const BOOL bVCenter = 0 != (nAlign & 4), bBottom = 0 != (nAlign & 8);
    if (dw < sw) {
        outSrc.left = place(src.left, sw, dw, bHCenter, bRight);
        outSrc.right = outSrc.left + dw;
    } else {
        outDst.left = place(dst.left, dw, sw, bHCenter, bRight);
        outDst.right = outDst.left + sw;
    }
    if (dh < sh) {
        outSrc.top = place(src.top, sh, dh, bVCenter, bBottom);
        outSrc.bottom = outSrc.top + dh;
    } else {
        outDst.top = place(dst.top, dh, sh, bVCenter, bBottom);
        outDst.bottom = outDst.top + sh;
    }
    if (!IntersectRect(pOutDst, &outDst, &dst)) SetRectEmpty(pOutDst);
    if (!IntersectRect(pOutSrc, &outSrc, &src)) SetRectEmpty(pOutSrc);
    LONG w = pOutDst->right - pOutDst->left, h = pOutDst->bottom - pOutDst->top;
    if (pOutSrc->right - pOutSrc->left < w) w = pOutSrc->right - pOutSrc->left;
    if (pOutSrc->bottom - pOutSrc->top < h) h = pOutSrc->bottom - pOutSrc->top;
    pOutDst->right = pOutDst->left + w;
    pOutDst->bottom = pOutDst->top + h;
    pOutSrc->right = pOutSrc->left + w;
    pOutSrc->bottom = pOutSrc->top + h;
    return TRUE;
}

namespace {

// The paint limit in the drawing bitmap's coordinates.
RECT PaintClip(const CWceUiLayer* pLayer, BOOL bClient)
{
    RECT rc = pLayer->GetData()->m_rcPaintClip;
    if (bClient && !IsRectLarge(&rc)) pLayer->WindowToClient(&rc);
    return rc;
}

// The whole of pRect's target area: the layer (window or client coordinates) on the bitmap.
BOOL LayerArea(const CWceUiLayer* pLayer, BOOL bClient, RECT* pRect)
{
    return bClient ? pLayer->GetClientRect(pRect) : pLayer->GetWindowRect(pRect);
}

}  // namespace

void CWceUiLayer::OnDraw(CWceUiGenericBitmap* pWndBitmap, RECT rcDraw)
{
    if (!WCEUI_CHECK("CWceUiLayer::OnDraw", IsReDraw())) return;
    if (!WCEUI_CHECK("CWceUiLayer::OnDraw", NULL != pWndBitmap)) return;
    CWceUiGenericBitmap* pDrawBitmap = pWndBitmap;
    BOOL bClient = FALSE;
    if (HasAlphaFilter()) {
        RECT rcClient;
        GetClientRect(&rcClient);
        if (NULL == m_pData->m_pLayerBitmap)
            m_pData->m_pLayerBitmap = WceUiCreateBitmapObject(pWndBitmap->GetBitsPixel());
        CWceUiGenericBitmap* pLayerBmp = m_pData->m_pLayerBitmap;
        if (!WCEUI_CHECK("CWceUiLayer::OnDraw", NULL != GetData()->m_pLayerBitmap)) return;
        if (!pLayerBmp->IsLoaded() || pLayerBmp->GetWidth() != rcClient.right ||
            pLayerBmp->GetHeight() != rcClient.bottom) {
            if (!pLayerBmp->CreateDIB(rcClient.right, rcClient.bottom)) return;
        } else {
            // Kept from the last paint: start from black as a new one does, or images with
            // alpha would build up over the old picture.
            pLayerBmp->FillColor(0, NULL);
        }
        pDrawBitmap = pLayerBmp;
        bClient = TRUE;
    }
    m_pData->m_rcPaintClip = rcDraw;
    OnDrawBackGround(pDrawBitmap, bClient);
    OnDrawBgImgs(pDrawBitmap, bClient);
    OnDrawText(pDrawBitmap, bClient);
    OnDrawExtra(pDrawBitmap, bClient);
    OnDrawMixColorFilter(pDrawBitmap, bClient);
    SetRectLarge(&m_pData->m_rcPaintClip);

    if (bClient) {
        if (!WCEUI_CHECK("CWceUiLayer::OnDraw", pDrawBitmap != pWndBitmap)) return;
        int nAlpha = 0;
        BOOL bTemp = m_pData->Rec()->m_AlphaFilterCtrl.GetFilter(&nAlpha);
        if (!WCEUI_CHECK("CWceUiLayer::OnDraw", bTemp)) return;
        RECT rcClient = rcDraw;
        WindowToClient(&rcClient);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(nAlpha), 0};
        if (!pWndBitmap->AlphaBlend(rcDraw.left, rcDraw.top, rcDraw.right - rcDraw.left, rcDraw.bottom - rcDraw.top,
                                    pDrawBitmap, rcClient.left, rcClient.top, blend))
            JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayer::OnDraw, draw alpha filter failed");
    }
}

void CWceUiLayer::OnDrawBackGround(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    CWceUiBgColorCtrl& bg = m_pData->Rec()->m_BgColorCtrl;
    if (!bg.IsHasBgColor() || bg.IsTransparent()) return;
    RECT rc;
    if (bClient)
        SetRect(&rc, 0, 0, pDrawBitmap->GetWidth(), pDrawBitmap->GetHeight());
    else if (!GetWindowRect(&rc))
        return;
    RECT rcClip = PaintClip(this, bClient);
    if (!IntersectRect(&rc, &rc, &rcClip)) return;
    pDrawBitmap->FillColor(bg.GetColor(), &rc);
}

void CWceUiLayer::OnDrawBgImgs(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    CWceUiBgItemCtrl& own = m_pData->Rec()->m_BgItemCtrl;
    CWceUiBgItemCtrl& common = m_pData->m_CommonStyle.GetData()->m_BgItemCtrl;
    if (common.GetCount() <= 0) {
        for (CWceUiBgItem* p = own.GetHead(); p; p = own.GetNext(p)) DrawOneBgImg(p, pDrawBitmap, bClient);
        return;
    }
    // The common items go in by their index, counted in the list as it grows.
    std::vector<CWceUiBgItem*> items;
    for (CWceUiBgItem* p = own.GetHead(); p; p = own.GetNext(p)) items.push_back(p);
    for (CWceUiBgItem* p = common.GetHead(); p; p = common.GetNext(p)) {
        int n = p->GetCommonIndex();
        int nCount = static_cast<int>(items.size());
        size_t nAt = 0;
        if (n > 0)
            nAt = static_cast<size_t>(n < nCount ? n : nCount);
        else if (n < 0 && nCount + n > 0)
            nAt = static_cast<size_t>(nCount + n);
        items.insert(items.begin() + static_cast<long>(nAt), p);
    }
    for (CWceUiBgItem* p : items) DrawOneBgImg(p, pDrawBitmap, bClient);
}

void CWceUiLayer::DrawOneBgImg(CWceUiBgItem* pBgItem, CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    if (!WCEUI_CHECK("CWceUiLayer::DrawOneBgImg", NULL != pBgItem)) return;
    if (!WCEUI_CHECK("CWceUiLayer::DrawOneBgImg", NULL != pDrawBitmap)) return;
    CWceUiGenericBitmap* pBmp = pBgItem->GetBitmap();
    if (NULL == pBmp || !pBmp->IsLoaded()) return;
    DWORD nConstAlpha = 0;
    COLORREF crTrans = 0;
    const BOOL bPerPixel = pBmp->HasPerPixelAlpha();
    const BOOL bConstAlpha = pBmp->GetConstantAlpha(&nConstAlpha);
    const BOOL bTrans = pBmp->GetTransColor(&crTrans);
    const BOOL bZoom = pBgItem->IsZoom() && !bPerPixel && !bConstAlpha;

    RECT rcClient, rcBmp = {0, 0, pBmp->GetWidth(), pBmp->GetHeight()}, rcDst, rcSrc;
    GetClientRect(&rcClient);
    pBgItem->GetDstRect(&rcDst);
    if (IsRectLarge(&rcDst)) rcDst = rcClient;
    pBgItem->GetSrcRect(&rcSrc);
    if (IsRectLarge(&rcSrc)) rcSrc = rcBmp;

    RECT rcOutDst, rcOutSrc;
    BOOL bOk;
    if (!bZoom) {
        RECT rcAlignDst, rcAlignSrc;
        CalcAlignRects(&rcAlignDst, &rcAlignSrc, &rcDst, &rcSrc, pBgItem->GetAlign());
        bOk = CalcBitBltRects(&rcOutDst, &rcOutSrc, &rcClient, &rcBmp, &rcAlignDst, &rcAlignSrc);
    } else {
        bOk = CalcBitBltRects(&rcOutDst, &rcOutSrc, &rcClient, &rcBmp, &rcDst, &rcSrc);
    }
    if (!bOk || IsRectEmpty(&rcOutDst) || IsRectEmpty(&rcOutSrc)) return;
    if (!bClient) ClientToWindow(&rcOutDst);

    // One to one, a pixel's source does not depend on the rest of the rectangle: cut both
    // to the paint limit. Stretched, draw whole.
    const BOOL bSameSize = JxRectWidth(rcOutDst) == JxRectWidth(rcOutSrc) && JxRectHeight(rcOutDst) == JxRectHeight(rcOutSrc);
    if (bSameSize) {
        RECT rcClip = PaintClip(this, bClient), rcCut;
        if (!IntersectRect(&rcCut, &rcOutDst, &rcClip)) return;
        OffsetRect(&rcOutSrc, rcCut.left - rcOutDst.left, rcCut.top - rcOutDst.top);
        rcOutSrc.right = rcOutSrc.left + JxRectWidth(rcCut);
        rcOutSrc.bottom = rcOutSrc.top + JxRectHeight(rcCut);
        rcOutDst = rcCut;
    }

    const int x = rcOutDst.left, y = rcOutDst.top, w = JxRectWidth(rcOutDst), h = JxRectHeight(rcOutDst);
    const int sx = rcOutSrc.left, sy = rcOutSrc.top, sw = JxRectWidth(rcOutSrc), sh = JxRectHeight(rcOutSrc);
    LPCWSTR pFailure = NULL;
    if (bPerPixel) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (!pDrawBitmap->AlphaBlend(x, y, w, h, pBmp, sx, sy, blend))
            pFailure = u"draw BgImgs,PerPixelAlpha AlphaBlend failed, source rect is (%d, %d, %d, %d), Dst rect is (%d, %d, %d, %d)";
    } else if (bTrans) {
        if (!pDrawBitmap->TransBlt(x, y, w, h, pBmp, sx, sy, sw, sh, crTrans))
            pFailure = u"draw BgImgs,TransBlt failed, source rect is (%d, %d, %d, %d), Dst rect is (%d, %d, %d, %d)";
    } else if (bConstAlpha) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(nConstAlpha), 0};
        if (!pDrawBitmap->AlphaBlend(x, y, w, h, pBmp, sx, sy, blend))
            pFailure = u"draw BgImgs,ConstantAlpha AlphaBlend failed, source rect is (%d, %d, %d, %d), Dst rect is (%d, %d, %d, %d)";
    } else {
        if (!pDrawBitmap->StretchBlt(x, y, w, h, pBmp, sx, sy, sw, sh, 0x00CC0020))
            pFailure = u"draw BgImgs,StretchBlt failed, source rect is (%d, %d, %d, %d), Dst rect is (%d, %d, %d, %d)";
    }
    if (pFailure) JxWriteLogW(JX_LOG_ERROR, pFailure, sx, sy, sw, sh, x, y, w, h);
}

void CWceUiLayer::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    LPCWSTR pText = GetText();
    if (NULL == pText || 0 == *pText) return;
    CWceUiStyleData& rec = *m_pData->Rec();
    RECT rcText, rcClient, rc;
    rec.m_DrawTextCtrl.GetRect(&rcText);
    GetClientRect(&rcClient);
    if (!IntersectRect(&rc, &rcText, &rcClient)) return;
    if (!bClient) ClientToWindow(&rc);

    HFONT hFont = rec.m_FontCtrl.GetFont();
    if (NULL == hFont) {
        JxWriteLogW(JX_LOG_ERROR,
                    u"In CWceUiLayer::OnDrawText, GetStyle()->GetFontCtrl()->GetFont return NULL, use default FONT");
        hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    RECT rcClip = PaintClip(this, bClient);
    CWceUiTextPainter painter(pDrawBitmap, hFont, rec.m_TextColor.GetColor(), IsRectLarge(&rcClip) ? NULL : &rcClip);
    if (!painter.IsReady()) return;

    UINT nFormat = rec.m_DrawTextCtrl.GetFormat();
    if (0 == (nFormat & DT_SINGLELINE)) nFormat |= DT_WORDBREAK;
    nFormat |= DT_END_ELLIPSIS;
    int nLength = 0;
    while (pText[nLength]) ++nLength;
    painter.DrawText(pText, nLength, &rc, nFormat);
}

void CWceUiLayer::OnDrawMixColorFilter(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    COLORREF crColor = 0;
    int nAlpha = 0;
    if (!m_pData->Rec()->m_MixColorFilterCtrl.GetFilter(&crColor, &nAlpha)) return;
    RECT rc;
    if (!LayerArea(this, bClient, &rc)) return;
    // The mix takes another loop for the whole bitmap than for a part of it: a layer that
    // covers the bitmap is mixed whole, so that a repaint gives the same pixels.
    RECT rcBmp = {0, 0, pDrawBitmap->GetWidth(), pDrawBitmap->GetHeight()}, rcOnBmp;
    BOOL bWhole = IntersectRect(&rcOnBmp, &rc, &rcBmp) && EqualRect(&rcOnBmp, &rcBmp);
    if (!bWhole) {
        RECT rcClip = PaintClip(this, bClient);
        if (!IntersectRect(&rc, &rc, &rcClip)) return;
    }
    if (!pDrawBitmap->MixColor(rc.left, rc.top, JxRectWidth(rc), JxRectHeight(rc), crColor, nAlpha))
        JxWriteLogW(JX_LOG_ERROR, u"MixColor failed, the the rect is (%d, %d, %d, %d)", rc.left, rc.top,
                    JxRectWidth(rc), JxRectHeight(rc));
}

BOOL CWceUiLayer::IsLayerTransparent()
{
    CWceUiStyleData& rec = *m_pData->Rec();
    if (rec.m_BgColorCtrl.IsTransparent()) return TRUE;
    if (rec.m_AlphaFilterCtrl.IsEnabled()) return TRUE;
    // Holders load on first use: ask each for its bitmap, or an image not drawn yet (or
    // freed) would count as opaque and hide the layers below it.
    CWceUiBgItemCtrl* ctrls[2] = {&m_pData->m_CommonStyle.GetData()->m_BgItemCtrl, &rec.m_BgItemCtrl};
    for (CWceUiBgItemCtrl* pCtrl : ctrls) {
        for (CWceUiBgItem* p = pCtrl->GetHead(); p; p = pCtrl->GetNext(p)) {
            CWceUiGenericBitmap* pBmp = p->GetBitmap();
            DWORD nAlpha;
            if (pBmp && pBmp->IsLoaded() && (pBmp->HasPerPixelAlpha() || pBmp->GetConstantAlpha(&nAlpha))) return TRUE;
        }
    }
    return FALSE;
}

BOOL CWceUiLayer::HasAlphaFilter() const { return m_pData->m_Style.HasAlphaFilter(); }

void CWceUiLayer::FreeBmpRes()
{
    m_pData->m_Style.FreeBmpRes();
    m_pData->m_CommonStyle.FreeBmpRes();
}
