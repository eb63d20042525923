#include "JXCommon.h"

#include <cmath>

#include "JXCheck.h"

int JxGetAlphaLevel(int nAlpha)
{
    if (nAlpha <= 8) return JX_ALPHA_LEVEL_NONE;
    if (nAlpha >= 56 && nAlpha <= 72) return JX_ALPHA_LEVEL_QUARTER;
    if (nAlpha >= 120 && nAlpha <= 136) return JX_ALPHA_LEVEL_HALF;
    if (nAlpha >= 184 && nAlpha <= 200) return JX_ALPHA_LEVEL_THREE_QUARTERS;
    if (nAlpha >= 247) return JX_ALPHA_LEVEL_FULL;
    return JX_ALPHA_LEVEL_GENERAL;
}

namespace {

// Rounds toward zero; values beyond the range of LONG stick to its ends instead of being
// undefined, so that absurd scale factors give empty results, not garbage.
LONG TruncToLong(double v)
{
    if (!(v > -2147483648.0)) return -2147483647 - 1;
    if (!(v < 2147483647.0)) return 2147483647;
    return static_cast<LONG>(std::trunc(v));
}

// Widths of caller rectangles may exceed LONG (a rectangle from -2^31 to 2^31 - 1).
long long W(const RECT& rc) { return static_cast<long long>(rc.right) - rc.left; }
long long H(const RECT& rc) { return static_cast<long long>(rc.bottom) - rc.top; }

LONG Clamp(long long v)
{
    return v > 2147483647 ? 2147483647 : (v < -2147483647 - 1 ? -2147483647 - 1 : static_cast<LONG>(v));
}
LONG Sum(LONG a, long long b) { return Clamp(a + b); }

BOOL impCalcSameSizeRects(RECT* pOutDst, RECT* pOutSrc, const RECT& rcDstBound, const RECT& rcSrcBound,
                          const RECT& rcDst, const RECT& rcSrc, const RECT& rcSrcClip)
{
    if (!WCEUI_CHECK("CalcBitBltRects", W(rcDst) == W(rcSrc))) return FALSE;
    if (!WCEUI_CHECK("CalcBitBltRects", H(rcDst) == H(rcSrc))) return FALSE;
    RECT rcTemp;
    rcTemp.left = Sum(rcDst.left, static_cast<long long>(rcSrcClip.left) - rcSrc.left);
    rcTemp.top = Sum(rcDst.top, static_cast<long long>(rcSrcClip.top) - rcSrc.top);
    rcTemp.right = Sum(rcTemp.left, W(rcSrcClip));
    rcTemp.bottom = Sum(rcTemp.top, H(rcSrcClip));
    if (!IntersectRect(pOutDst, &rcTemp, &rcDstBound)) return FALSE;

    RECT rcFinalSrc;
    rcFinalSrc.left = Sum(rcSrc.left, static_cast<long long>(pOutDst->left) - rcDst.left);
    rcFinalSrc.top = Sum(rcSrc.top, static_cast<long long>(pOutDst->top) - rcDst.top);
    rcFinalSrc.right = Sum(rcFinalSrc.left, W(*pOutDst));
    rcFinalSrc.bottom = Sum(rcFinalSrc.top, H(*pOutDst));
    IntersectRect(&rcTemp, &rcFinalSrc, &rcSrcBound);
    if (!WCEUI_CHECK("CalcBitBltRects", EqualRect(&rcTemp, &rcFinalSrc))) {
        SetRectEmpty(pOutDst);
        return FALSE;
    }
    *pOutSrc = rcFinalSrc;
    return TRUE;
}

BOOL impCalcScaledRects(RECT* pOutDst, RECT* pOutSrc, const RECT& rcDstBound, const RECT& rcSrcBound,
                        const RECT& rcDst, const RECT& rcSrc, const RECT& rcSrcClip)
{
    double fx = static_cast<double>(W(rcDst)) / static_cast<double>(W(rcSrc));
    double fy = static_cast<double>(H(rcDst)) / static_cast<double>(H(rcSrc));
    RECT rcTemp;
    rcTemp.left = Sum(rcDst.left, TruncToLong(fx * (static_cast<double>(rcSrcClip.left) - rcSrc.left)));
    rcTemp.top = Sum(rcDst.top, TruncToLong(fy * (static_cast<double>(rcSrcClip.top) - rcSrc.top)));
    rcTemp.right = Sum(rcTemp.left, TruncToLong(static_cast<double>(W(rcSrcClip)) * fx));
    rcTemp.bottom = Sum(rcTemp.top, TruncToLong(static_cast<double>(H(rcSrcClip)) * fy));
    if (!IntersectRect(pOutDst, &rcTemp, &rcDstBound)) return FALSE;

    RECT rcFinalSrc;
    rcFinalSrc.left = Sum(rcSrc.left, TruncToLong((static_cast<double>(pOutDst->left) - rcDst.left) / fx));
    rcFinalSrc.top = Sum(rcSrc.top, TruncToLong((static_cast<double>(pOutDst->top) - rcDst.top) / fy));
    rcFinalSrc.right = Sum(rcFinalSrc.left, TruncToLong(static_cast<double>(W(*pOutDst)) / fx));
    rcFinalSrc.bottom = Sum(rcFinalSrc.top, TruncToLong(static_cast<double>(H(*pOutDst)) / fy));
    if (!IntersectRect(pOutSrc, &rcFinalSrc, &rcSrcBound)) {
        SetRectEmpty(pOutDst);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

BOOL CalcBitBltRects(RECT* pOutDst, RECT* pOutSrc, const RECT* pDstBound, const RECT* pSrcBound, const RECT* pDstRect,
                     const RECT* pSrcRect)
{
    if (!WCEUI_CHECK("CalcBitBltRects", NULL != pOutDst && NULL != pOutSrc)) return FALSE;
    if (!WCEUI_CHECK("CalcBitBltRects", NULL != pDstBound && NULL != pSrcBound)) return FALSE;
    if (!WCEUI_CHECK("CalcBitBltRects", NULL != pDstRect && NULL != pSrcRect)) return FALSE;
    SetRectEmpty(pOutDst);
    SetRectEmpty(pOutSrc);

    RECT rcDstClip, rcSrcClip;
    if (!IntersectRect(&rcDstClip, pDstRect, pDstBound)) return FALSE;
    if (!IntersectRect(&rcSrcClip, pSrcRect, pSrcBound)) return FALSE;
    if (EqualRect(&rcSrcClip, pSrcRect) && EqualRect(&rcDstClip, pDstRect)) {
        *pOutDst = *pDstRect;
        *pOutSrc = *pSrcRect;
        return TRUE;
    }
    // Both rectangles are non-empty here, so neither factor below divides by zero.
    if (W(*pDstRect) == W(*pSrcRect) && H(*pDstRect) == H(*pSrcRect))
        return impCalcSameSizeRects(pOutDst, pOutSrc, *pDstBound, *pSrcBound, *pDstRect, *pSrcRect, rcSrcClip);
    return impCalcScaledRects(pOutDst, pOutSrc, *pDstBound, *pSrcBound, *pDstRect, *pSrcRect, rcSrcClip);
}
