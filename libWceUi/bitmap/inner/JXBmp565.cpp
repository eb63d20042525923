// Each 565 formula is written per channel. With no carry between channels (every sum stays
// below the next channel), this is the same as the red-blue / green groups of the device
// code, and it lets the compiler use 16-bit vector lanes.
#include "JXBmp565.h"

#include <cstring>

namespace {

inline unsigned R5(unsigned p) { return p >> 11; }
inline unsigned G6(unsigned p) { return (p >> 5) & 63; }
inline unsigned B5(unsigned p) { return p & 31; }
inline WORD Pack(unsigned r, unsigned g, unsigned b) { return static_cast<WORD>((r << 11) | (g << 5) | b); }

// (d * wd + s * ws) >> Shift in each channel.
template <unsigned Shift>
inline WORD Weigh(unsigned d, unsigned s, unsigned wd, unsigned ws)
{
    return Pack((R5(d) * wd + R5(s) * ws) >> Shift, (G6(d) * wd + G6(s) * ws) >> Shift,
                (B5(d) * wd + B5(s) * ws) >> Shift);
}

template <unsigned Shift>
void WeighSpan(WORD* pDst, const WORD* pSrc, long n, unsigned wd, unsigned ws)
{
    for (long i = 0; i < n; ++i) pDst[i] = Weigh<Shift>(pDst[i], pSrc[i], wd, ws);
}

template <unsigned Shift>
void WeighColorSpan(WORD* pDst, long n, WORD c, unsigned wd, unsigned ws)
{
    for (long i = 0; i < n; ++i) pDst[i] = Weigh<Shift>(pDst[i], c, wd, ws);
}

}  // namespace

void Jx565BlendConstSpan(WORD* pDst, const WORD* pSrc, long n, int nLevel, int nAlpha)
{
    switch (nLevel) {
    case JX_ALPHA_LEVEL_NONE:
        return;
    case JX_ALPHA_LEVEL_QUARTER:
        return WeighSpan<2>(pDst, pSrc, n, 3, 1);
    case JX_ALPHA_LEVEL_HALF:
        return WeighSpan<1>(pDst, pSrc, n, 1, 1);
    case JX_ALPHA_LEVEL_THREE_QUARTERS:
        return WeighSpan<2>(pDst, pSrc, n, 1, 3);
    case JX_ALPHA_LEVEL_FULL:
        memmove(pDst, pSrc, static_cast<size_t>(n) * sizeof(WORD));
        return;
    default:
        return WeighSpan<6>(pDst, pSrc, n, (255 - nAlpha) >> 2, nAlpha >> 2);
    }
}

void Jx565BlendAlphaSpan(WORD* pDst, const WORD* pSrc, const BYTE* pAlpha, long n)
{
    for (long i = 0; i < n; ++i) {
        unsigned a = pAlpha[i];
        unsigned d = pDst[i];
        // Opaque (63, or a damaged plane's larger values) scales d to 0, leaving s.
        unsigned w = a < 63 ? 63 - a : 0;
        WORD blended = static_cast<WORD>(Pack((R5(d) * w) >> 6, (G6(d) * w) >> 6, (B5(d) * w) >> 6) + pSrc[i]);
        pDst[i] = 0 == a ? static_cast<WORD>(d) : blended;
    }
}

void Jx565MixSpan(WORD* pDst, long n, WORD c, int nLevel, int nAlpha, BOOL bWholeForm)
{
    switch (nLevel) {
    case JX_ALPHA_LEVEL_NONE:
        return;
    case JX_ALPHA_LEVEL_QUARTER:
        return WeighColorSpan<2>(pDst, n, c, 3, 1);
    case JX_ALPHA_LEVEL_HALF:
        if (bWholeForm) {
            WORD cHalf = static_cast<WORD>((c >> 1) & 0x7BEF);
            for (long i = 0; i < n; ++i) pDst[i] = static_cast<WORD>(((pDst[i] >> 1) & 0x7BEF) + cHalf);
            return;
        }
        return WeighColorSpan<1>(pDst, n, c, 1, 1);
    case JX_ALPHA_LEVEL_THREE_QUARTERS:
        if (bWholeForm) {
            WORD cThreeQuarters = Pack((R5(c) * 3) >> 2, (G6(c) * 3) >> 2, (B5(c) * 3) >> 2);
            for (long i = 0; i < n; ++i) pDst[i] = static_cast<WORD>(((pDst[i] >> 2) & 0x39E7) + cThreeQuarters);
            return;
        }
        return WeighColorSpan<2>(pDst, n, c, 1, 3);
    case JX_ALPHA_LEVEL_FULL:
        for (long i = 0; i < n; ++i) pDst[i] = c;
        return;
    default:
        return WeighColorSpan<6>(pDst, n, c, (255 - nAlpha) >> 2, nAlpha >> 2);
    }
}

void Jx565DarkenSpan(WORD* pDst, long n, int nLevel, int nAlpha)
{
    switch (nLevel) {
    case JX_ALPHA_LEVEL_NONE:
        return;
    case JX_ALPHA_LEVEL_QUARTER:
        for (long i = 0; i < n; ++i) pDst[i] = static_cast<WORD>(pDst[i] - ((pDst[i] >> 2) & 0x39E7));
        return;
    case JX_ALPHA_LEVEL_HALF:
        for (long i = 0; i < n; ++i) pDst[i] = static_cast<WORD>((pDst[i] >> 1) & 0x7BEF);
        return;
    case JX_ALPHA_LEVEL_THREE_QUARTERS:
        for (long i = 0; i < n; ++i) pDst[i] = static_cast<WORD>((pDst[i] >> 2) & 0x39E7);
        return;
    case JX_ALPHA_LEVEL_FULL:
        memset(pDst, 0, static_cast<size_t>(n) * sizeof(WORD));
        return;
    default: {
        unsigned w = static_cast<unsigned>(255 - nAlpha) >> 2;
        for (long i = 0; i < n; ++i) {
            unsigned d = pDst[i];
            pDst[i] = Pack((R5(d) * w) >> 6, (G6(d) * w) >> 6, (B5(d) * w) >> 6);
        }
        return;
    }
    }
}

void JxBmp565AlphaBlendWhole(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha)
{
    WORD* pDst = reinterpret_cast<WORD*>(dst.pBits);
    const WORD* pSrc = reinterpret_cast<const WORD*>(src.pBits);
    long n = dst.GetPixelCount(2);
    if (bPerPixel) Jx565BlendAlphaSpan(pDst, pSrc, src.pAlpha, n);
    else Jx565BlendConstSpan(pDst, pSrc, n, JxGetAlphaLevel(nAlpha), nAlpha);
}

void JxBmp565AlphaBlendRect(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                            BOOL bPerPixel, int nAlpha)
{
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (!bPerPixel && JX_ALPHA_LEVEL_NONE == nLevel) return;
    long n = JxRectWidth(rcDst);
    for (LONG y = 0; y < JxRectHeight(rcDst); ++y) {
        WORD* pDst = reinterpret_cast<WORD*>(dst.Row(rcDst.top + y)) + rcDst.left;
        const WORD* pSrc = reinterpret_cast<const WORD*>(src.Row(rcSrc.top + y)) + rcSrc.left;
        if (bPerPixel) Jx565BlendAlphaSpan(pDst, pSrc, src.AlphaRow(rcSrc.top + y) + rcSrc.left, n);
        else Jx565BlendConstSpan(pDst, pSrc, n, nLevel, nAlpha);
    }
}

void JxBmp565MixColorWhole(const JxPixelArray& dst, COLORREF crColor, int nAlpha)
{
    WORD* pDst = reinterpret_cast<WORD*>(dst.pBits);
    long n = dst.GetPixelCount(2);
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (0 == (crColor & 0x00FFFFFF)) Jx565DarkenSpan(pDst, n, nLevel, nAlpha);
    else Jx565MixSpan(pDst, n, JxColorTo565(crColor), nLevel, nAlpha, TRUE);
}

void JxBmp565MixColorRect(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha)
{
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (JX_ALPHA_LEVEL_NONE == nLevel) return;
    BOOL bDarken = 0 == (crColor & 0x00FFFFFF);
    WORD c = JxColorTo565(crColor);
    long n = JxRectWidth(rc);
    for (LONG y = rc.top; y < rc.bottom; ++y) {
        WORD* pDst = reinterpret_cast<WORD*>(dst.Row(y)) + rc.left;
        if (bDarken) Jx565DarkenSpan(pDst, n, nLevel, nAlpha);
        else Jx565MixSpan(pDst, n, c, nLevel, nAlpha, FALSE);
    }
}

void JxBmp565Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle)
{
    JxRotatePixels<WORD>(src, dst, eAngle);
}

const JxPixelLoops g_jxBmp565Loops = {JxBmp565AlphaBlendWhole, JxBmp565AlphaBlendRect, JxBmp565MixColorWhole,
                                      JxBmp565MixColorRect, JxBmp565Rotate};
