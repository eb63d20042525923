// The whole-array and rectangle walks shared by the faster loop tables: they clip nothing
// (callers clip), choose the formula once per call and hand each row to the variant's span
// functions, which the compiler inlines into the row loop (a one-pixel column costs a few
// instructions per row, not two calls).
//
// SPANS provides, for its PIXEL type, spans of any length n >= 0:
//   template <unsigned Shift> Weigh(PIXEL* d, const PIXEL* s, long n, unsigned wd, unsigned ws)
//   template <unsigned Shift> WeighColor(PIXEL* d, long n, PIXEL c, unsigned wd, unsigned ws)
//   BlendAlpha(PIXEL* d, const PIXEL* s, const BYTE* pAlpha, long n)   (pAlpha null for 32-bit)
//   Copy(PIXEL* d, const PIXEL* s, long n)                             (the full level)
//   PlainMix(...), PlainDarken(...): the plain spans, for the forms made of shifts and masks
//   Color(COLORREF) -> PIXEL, Rotate(src, dst, eAngle), kAlphaPlane, kWeightBits (6 or 8)
//   kAlphaColumn: with it, BlendAlphaColumn(pDst, nDstStep, pSrc, nSrcStep, nRows) blends a
//   one-pixel column (steps in bytes) several rows at a time.
#pragma once

#include "JXCommon.h"

template <class PIXEL, class SPANS>
struct JxSpanLoops {
    // Calls f(pDst, pSrc, pAlpha) for each row pair of the rectangles (pAlpha null without
    // a plane), stepping pointers instead of recomputing rows.
    template <class F>
    static void ForRows(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc, F f)
    {
        BYTE* pDst = dst.Row(rcDst.top) + rcDst.left * sizeof(PIXEL);
        const BYTE* pSrc = src.Row(rcSrc.top) + rcSrc.left * sizeof(PIXEL);
        const BYTE* pAlpha = SPANS::kAlphaPlane && src.pAlpha ? src.AlphaRow(rcSrc.top) + rcSrc.left : NULL;
        for (LONG y = rcDst.top; y < rcDst.bottom; ++y) {
            f(reinterpret_cast<PIXEL*>(pDst), reinterpret_cast<const PIXEL*>(pSrc), pAlpha);
            pDst -= dst.nRowBytes;
            pSrc -= src.nRowBytes;
            if (SPANS::kAlphaPlane && pAlpha) pAlpha -= src.nAlphaRowBytes;
        }
    }

    // ForRows with f(pDst, pSrc, pAlpha, n): a one-pixel column gets its own copy of the row
    // loop with n fixed at 1, in which the span's wide steps and tail set-up fold away.
    template <class F>
    static void ForRowsOf(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                          long n, F f)
    {
        if (1 == n)
            ForRows(dst, rcDst, src, rcSrc, [f](PIXEL* d, const PIXEL* s, const BYTE* a) { f(d, s, a, 1L); });
        else
            ForRows(dst, rcDst, src, rcSrc, [f, n](PIXEL* d, const PIXEL* s, const BYTE* a) { f(d, s, a, n); });
    }

    static void BlendConst(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                           long n, int nLevel, int nAlpha)
    {
        const unsigned wd = static_cast<unsigned>(255 - nAlpha) >> (8 - SPANS::kWeightBits);
        const unsigned ws = static_cast<unsigned>(nAlpha) >> (8 - SPANS::kWeightBits);
        switch (nLevel) {
        case JX_ALPHA_LEVEL_NONE:
            return;
        case JX_ALPHA_LEVEL_QUARTER:
            return ForRowsOf(dst, rcDst, src, rcSrc, n, [](PIXEL* d, const PIXEL* s, const BYTE*, long n) {
                SPANS::template Weigh<2>(d, s, n, 3, 1);
            });
        case JX_ALPHA_LEVEL_HALF:
            return ForRowsOf(dst, rcDst, src, rcSrc, n, [](PIXEL* d, const PIXEL* s, const BYTE*, long n) {
                SPANS::template Weigh<1>(d, s, n, 1, 1);
            });
        case JX_ALPHA_LEVEL_THREE_QUARTERS:
            return ForRowsOf(dst, rcDst, src, rcSrc, n, [](PIXEL* d, const PIXEL* s, const BYTE*, long n) {
                SPANS::template Weigh<2>(d, s, n, 1, 3);
            });
        case JX_ALPHA_LEVEL_FULL:
            return ForRowsOf(dst, rcDst, src, rcSrc, n, [](PIXEL* d, const PIXEL* s, const BYTE*, long n) { SPANS::Copy(d, s, n); });
        default:
            return ForRowsOf(dst, rcDst, src, rcSrc, n, [wd, ws](PIXEL* d, const PIXEL* s, const BYTE*, long n) {
                SPANS::template Weigh<SPANS::kWeightBits>(d, s, n, wd, ws);
            });
        }
    }

    static void BlendAlpha(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                           long n)
    {
        if constexpr (SPANS::kAlphaColumn) {
            if (1 == n) {
                SPANS::BlendAlphaColumn(reinterpret_cast<PIXEL*>(dst.Row(rcDst.top)) + rcDst.left, -static_cast<long>(dst.nRowBytes),
                                        reinterpret_cast<const PIXEL*>(src.Row(rcSrc.top)) + rcSrc.left,
                                        -static_cast<long>(src.nRowBytes), JxRectHeight(rcDst));
                return;
            }
        }
        ForRowsOf(dst, rcDst, src, rcSrc, n, [](PIXEL* d, const PIXEL* s, const BYTE* a, long n) { SPANS::BlendAlpha(d, s, a, n); });
    }

    // The whole array is one rectangle of one row.
    static RECT WholeRun(const JxPixelArray& a, long* pn)
    {
        *pn = a.GetPixelCount(sizeof(PIXEL));
        RECT rc = {0, a.nHeight - 1, 0, a.nHeight};
        return rc;
    }

    static void AlphaBlendWhole(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha)
    {
        long n = 0;
        RECT rc = WholeRun(dst, &n);
        if (bPerPixel) BlendAlpha(dst, rc, src, rc, n);
        else BlendConst(dst, rc, src, rc, n, JxGetAlphaLevel(nAlpha), nAlpha);
    }

    static void AlphaBlendRect(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                               BOOL bPerPixel, int nAlpha)
    {
        long n = JxRectWidth(rcDst);
        if (bPerPixel) BlendAlpha(dst, rcDst, src, rcSrc, n);
        else BlendConst(dst, rcDst, src, rcSrc, n, JxGetAlphaLevel(nAlpha), nAlpha);
    }

    static void Mix(const JxPixelArray& dst, const RECT& rc, long n, COLORREF crColor, int nAlpha, BOOL bWholeForm)
    {
        int nLevel = JxGetAlphaLevel(nAlpha);
        const unsigned wd = static_cast<unsigned>(255 - nAlpha) >> (8 - SPANS::kWeightBits);
        const unsigned ws = static_cast<unsigned>(nAlpha) >> (8 - SPANS::kWeightBits);
        if (JX_ALPHA_LEVEL_NONE == nLevel) return;
        if (0 == (crColor & 0x00FFFFFF)) {
            if (JX_ALPHA_LEVEL_GENERAL == nLevel)
                return ForRowsOf(dst, rc, dst, rc, n, [wd](PIXEL* d, const PIXEL*, const BYTE*, long n) {
                    SPANS::template WeighColor<SPANS::kWeightBits>(d, n, 0, wd, 0);
                });
            return ForRowsOf(dst, rc, dst, rc, n, [nLevel, nAlpha](PIXEL* d, const PIXEL*, const BYTE*, long n) {
                SPANS::PlainDarken(d, n, nLevel, nAlpha);
            });
        }
        const PIXEL c = SPANS::Color(crColor);
        switch (nLevel) {
        case JX_ALPHA_LEVEL_QUARTER:
            return ForRowsOf(dst, rc, dst, rc, n, [c](PIXEL* d, const PIXEL*, const BYTE*, long n) {
                SPANS::template WeighColor<2>(d, n, c, 3, 1);
            });
        case JX_ALPHA_LEVEL_GENERAL:
            return ForRowsOf(dst, rc, dst, rc, n, [c, wd, ws](PIXEL* d, const PIXEL*, const BYTE*, long n) {
                SPANS::template WeighColor<SPANS::kWeightBits>(d, n, c, wd, ws);
            });
        default:
            return ForRowsOf(dst, rc, dst, rc, n, [=](PIXEL* d, const PIXEL*, const BYTE*, long n) {
                SPANS::PlainMix(d, n, c, nLevel, nAlpha, bWholeForm);
            });
        }
    }

    static void MixColorWhole(const JxPixelArray& dst, COLORREF crColor, int nAlpha)
    {
        long n = 0;
        RECT rc = WholeRun(dst, &n);
        Mix(dst, rc, n, crColor, nAlpha, TRUE);
    }

    static void MixColorRect(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha)
    {
        Mix(dst, rc, JxRectWidth(rc), crColor, nAlpha, FALSE);
    }
};

// Constant, so that a table made from it is ready before any static constructor runs.
template <class PIXEL, class SPANS>
constexpr JxPixelLoops JxMakeSpanLoops()
{
    typedef JxSpanLoops<PIXEL, SPANS> L;
    return JxPixelLoops{L::AlphaBlendWhole, L::AlphaBlendRect, L::MixColorWhole, L::MixColorRect, SPANS::Rotate};
}
