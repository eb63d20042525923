// Drawing steps the controls share.
#pragma once

#include "WceUiGenericBitmap.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerHost.h"
#include "WceUiLayer.h"
#include "wce/gdi.h"

// Draws the w x h part of pSrc at (sx, sy) to (x, y) of pDst, clipped to rcClip: per-pixel
// alpha blended when the source has an alpha plane or bBlendAlways, else copied.
inline void WceUiDrawClipped(CWceUiGenericBitmap* pDst, const RECT& rcClip, int x, int y, int w, int h,
                             CWceUiGenericBitmap* pSrc, int sx, int sy, BOOL bBlendAlways)
{
    if (!pDst || !pSrc || w <= 0 || h <= 0) return;
    RECT rcDraw = {x, y, x + w, y + h};
    RECT rc;
    if (!IntersectRect(&rc, &rcDraw, &rcClip)) return;
    int nSx = sx + (rc.left - x), nSy = sy + (rc.top - y);
    if (bBlendAlways || pSrc->HasPerPixelAlpha()) {
        BLENDFUNCTION bf = {0, 0, 0, 1};
        pDst->AlphaBlend(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pSrc, nSx, nSy, bf);
    } else {
        pDst->BitBlt(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pSrc, nSx, nSy, SRCCOPY);
    }
}

inline CWceUiLayerHost* WceUiHostOf(const CWceUiLayer* pLayer)
{
    CWceUiLayerCtrl* pCtrl = pLayer->GetLayerCtrl();
    return pCtrl ? pCtrl->PeekWindow() : NULL;
}
