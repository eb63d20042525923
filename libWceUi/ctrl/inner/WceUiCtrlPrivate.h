// Drawing steps the controls share.
#pragma once

#include <climits>

#include "WceUiGenericBitmap.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiLayerHost.h"
#include "WceUiLayer.h"
#include "wce/gdi.h"

enum {
    WCEUI_DRAW_COPY = 0,
    WCEUI_DRAW_BLEND = 1,  // per-pixel alpha
    WCEUI_DRAW_AUTO = 2,   // blend a source with an alpha plane, else copy
};

// Geometry from skin values is worked out in 64 bits and brought back with this.
inline int WceUiClampToInt(long long n)
{
    return n < INT_MIN ? INT_MIN : n > INT_MAX ? INT_MAX : int(n);
}

// Coordinates beyond this are far outside every screen; keeping a control's rectangles
// within it leaves room for the sums and differences the text and bitmap calls make.
enum { WCEUI_COORD_LIMIT = 0x3FFFFFFF };
inline BOOL WceUiIsPlaceable(long long n) { return n >= -WCEUI_COORD_LIMIT && n <= WCEUI_COORD_LIMIT; }
inline int WceUiClampCoord(long long n)
{
    return n < -WCEUI_COORD_LIMIT ? -WCEUI_COORD_LIMIT : n > WCEUI_COORD_LIMIT ? WCEUI_COORD_LIMIT : int(n);
}

// Draws the w x h part of pSrc at (sx, sy) to (x, y) of pDst, clipped to rcClip. The corner
// may lie anywhere: a part reaching past the int range is outside every clip anyway.
inline void WceUiDrawClipped(CWceUiGenericBitmap* pDst, const RECT& rcClip, long long x, long long y, int w, int h,
                             CWceUiGenericBitmap* pSrc, int sx, int sy, int nMode)
{
    if (!pDst || !pSrc || w <= 0 || h <= 0) return;
    RECT rcDraw = {WceUiClampToInt(x), WceUiClampToInt(y), WceUiClampToInt(x + w), WceUiClampToInt(y + h)};
    RECT rc;
    if (!IntersectRect(&rc, &rcDraw, &rcClip)) return;
    int nSx = WceUiClampToInt(sx + (rc.left - x)), nSy = WceUiClampToInt(sy + (rc.top - y));
    if (WCEUI_DRAW_BLEND == nMode || (WCEUI_DRAW_AUTO == nMode && pSrc->HasPerPixelAlpha())) {
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

// The limit of the paint in progress, in the coordinates of rcLayer (the layer's client or
// window rectangle as the paint step uses it): a control drawing outside it would blend
// twice over pixels that are not repainted.
inline RECT WceUiPaintClipOf(const CWceUiLayer* pLayer, const RECT& rcLayer)
{
    RECT rc = pLayer->CWceUiLayer::GetData()->m_rcPaintClip;
    if (rc.left <= -65535) return rc;
    RECT rcWnd;
    pLayer->GetWindowRect(&rcWnd);
    OffsetRect(&rc, rcLayer.left - rcWnd.left, rcLayer.top - rcWnd.top);
    return rc;
}

// Posts to the layer's window: queued on a real window, recorded by an off-screen one.
inline BOOL WceUiPostToWnd(const CWceUiLayer* pLayer, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWceUiLayerHost* pHost = WceUiHostOf(pLayer);
    return pHost ? pHost->PostMessage(nMsg, wParam, lParam) : FALSE;
}

// Paints what the layer's window has invalid now.
inline void WceUiUpdateWnd(const CWceUiLayer* pLayer)
{
    if (CWceUiLayerHost* pHost = WceUiHostOf(pLayer)) pHost->UpdateWindow();
}

// The window's modal loops drop pen input queued up to now.
inline void WceUiIgnoreQueuedInput(const CWceUiLayer* pLayer)
{
    if (CWceUiLayerHost* pHost = WceUiHostOf(pLayer)) pHost->IgnoreQueuedInput();
}
