// Each formula works on red and blue together (0x00FF00FF) and on green (0x0000FF00): no
// group's sum reaches the next channel, and the alpha byte is put back afterwards.
#include "JXBmp32.h"

#include <cstring>

namespace {

const DWORD kRB = 0x00FF00FF;
const DWORD kG = 0x0000FF00;
const DWORD kA = 0xFF000000;

// (d * wd + s * ws) >> Shift per group, with d's alpha byte.
template <unsigned Shift>
inline DWORD Weigh(DWORD d, DWORD s, DWORD wd, DWORD ws)
{
    DWORD rb = (((d & kRB) * wd + (s & kRB) * ws) >> Shift) & kRB;
    DWORD g = (((d & kG) * wd + (s & kG) * ws) >> Shift) & kG;
    return (d & kA) | rb | g;
}

template <unsigned Shift>
void WeighSpan(DWORD* pDst, const DWORD* pSrc, long n, DWORD wd, DWORD ws)
{
    for (long i = 0; i < n; ++i) pDst[i] = Weigh<Shift>(pDst[i], pSrc[i], wd, ws);
}

template <unsigned Shift>
void WeighColorSpan(DWORD* pDst, long n, DWORD c, DWORD wd, DWORD ws)
{
    for (long i = 0; i < n; ++i) pDst[i] = Weigh<Shift>(pDst[i], c, wd, ws);
}

// d * w >> 8 per group, alpha kept.
inline DWORD Scale(DWORD d, DWORD w)
{
    return (d & kA) | ((((d & kRB) * w) >> 8) & kRB) | ((((d & kG) * w) >> 8) & kG);
}

}  // namespace

void Jx32BlendConstSpan(DWORD* pDst, const DWORD* pSrc, long n, int nLevel, int nAlpha)
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
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & kA) | (pSrc[i] & ~kA);
        return;
    default:
        return WeighSpan<8>(pDst, pSrc, n, static_cast<DWORD>(255 - nAlpha), static_cast<DWORD>(nAlpha));
    }
}

namespace {

#if defined(__GNUC__)
// Four pixels at a time in the compiler's generic vectors (SSE2 on the host, NEON on ARM).
// The red-blue group holds two bytes in separate 16-bit halves whose products with an 8-bit
// weight stay below 2^16, so 16-bit lane multiplies give exactly the group formula, without
// the 32-bit multiplies that plain SSE2 lacks.
typedef DWORD JxU32x4 __attribute__((vector_size(16)));
typedef WORD JxU16x8 __attribute__((vector_size(16)));

long Blend4AlphaSpan(DWORD* pDst, const DWORD* pSrc, long n)
{
    long i = 0;
    for (; i + 4 <= n; i += 4) {
        JxU32x4 d, s;
        memcpy(&d, pDst + i, sizeof(d));
        memcpy(&s, pSrc + i, sizeof(s));
        JxU32x4 w = 255u - (s >> 24);
        JxU16x8 w16 = reinterpret_cast<JxU16x8>(w | (w << 16));
        JxU32x4 rb = reinterpret_cast<JxU32x4>((reinterpret_cast<JxU16x8>(d & kRB) * w16) >> 8);
        JxU32x4 g = reinterpret_cast<JxU32x4>(reinterpret_cast<JxU16x8>((d >> 8) & kRB) * w16) & kG;
        JxU32x4 out = ((d & kA) | rb | g) + (s & ~kA);
        memcpy(pDst + i, &out, sizeof(out));
    }
    return i;
}
#else
long Blend4AlphaSpan(DWORD*, const DWORD*, long) { return 0; }
#endif

}  // namespace

void Jx32BlendAlphaSpan(DWORD* pDst, const DWORD* pSrc, long n)
{
    // No shortcut for alpha 0 or 255: the formula is exact there too, and a branch per pixel
    // costs more than it saves.
    for (long i = Blend4AlphaSpan(pDst, pSrc, n); i < n; ++i) {
        DWORD s = pSrc[i];
        pDst[i] = Scale(pDst[i], 255 - (s >> 24)) + (s & ~kA);
    }
}

void Jx32MixSpan(DWORD* pDst, long n, DWORD c, int nLevel, int nAlpha)
{
    switch (nLevel) {
    case JX_ALPHA_LEVEL_NONE:
        return;
    case JX_ALPHA_LEVEL_QUARTER:
        return WeighColorSpan<2>(pDst, n, c, 3, 1);
    case JX_ALPHA_LEVEL_HALF:
        return WeighColorSpan<1>(pDst, n, c, 1, 1);
    case JX_ALPHA_LEVEL_THREE_QUARTERS:
        return WeighColorSpan<2>(pDst, n, c, 1, 3);
    case JX_ALPHA_LEVEL_FULL:
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & kA) | (c & ~kA);
        return;
    default:
        return WeighColorSpan<8>(pDst, n, c, static_cast<DWORD>(255 - nAlpha), static_cast<DWORD>(nAlpha));
    }
}

void Jx32DarkenSpan(DWORD* pDst, long n, int nLevel, int nAlpha)
{
    switch (nLevel) {
    case JX_ALPHA_LEVEL_NONE:
        return;
    case JX_ALPHA_LEVEL_QUARTER:
        for (long i = 0; i < n; ++i) {
            DWORD d = pDst[i];
            pDst[i] = (d & kA) | ((((d & kRB) * 3) >> 2) & kRB) | ((((d & kG) * 3) >> 2) & kG);
        }
        return;
    case JX_ALPHA_LEVEL_HALF:
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & kA) | ((pDst[i] >> 1) & 0x7F7F7F);
        return;
    case JX_ALPHA_LEVEL_THREE_QUARTERS:
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & kA) | ((pDst[i] >> 2) & 0x3F3F3F);
        return;
    case JX_ALPHA_LEVEL_FULL:
        for (long i = 0; i < n; ++i) pDst[i] &= kA;
        return;
    default: {
        DWORD w = static_cast<DWORD>(255 - nAlpha);
        for (long i = 0; i < n; ++i) pDst[i] = Scale(pDst[i], w);
        return;
    }
    }
}

void JxBmp32AlphaBlendWhole(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha)
{
    DWORD* pDst = reinterpret_cast<DWORD*>(dst.pBits);
    const DWORD* pSrc = reinterpret_cast<const DWORD*>(src.pBits);
    long n = dst.GetPixelCount(4);
    if (bPerPixel) Jx32BlendAlphaSpan(pDst, pSrc, n);
    else Jx32BlendConstSpan(pDst, pSrc, n, JxGetAlphaLevel(nAlpha), nAlpha);
}

void JxBmp32AlphaBlendRect(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                           BOOL bPerPixel, int nAlpha)
{
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (!bPerPixel && JX_ALPHA_LEVEL_NONE == nLevel) return;
    long n = JxRectWidth(rcDst);
    for (LONG y = 0; y < JxRectHeight(rcDst); ++y) {
        DWORD* pDst = reinterpret_cast<DWORD*>(dst.Row(rcDst.top + y)) + rcDst.left;
        const DWORD* pSrc = reinterpret_cast<const DWORD*>(src.Row(rcSrc.top + y)) + rcSrc.left;
        if (bPerPixel) Jx32BlendAlphaSpan(pDst, pSrc, n);
        else Jx32BlendConstSpan(pDst, pSrc, n, nLevel, nAlpha);
    }
}

void JxBmp32MixColorWhole(const JxPixelArray& dst, COLORREF crColor, int nAlpha)
{
    DWORD* pDst = reinterpret_cast<DWORD*>(dst.pBits);
    long n = dst.GetPixelCount(4);
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (0 == (crColor & 0x00FFFFFF)) Jx32DarkenSpan(pDst, n, nLevel, nAlpha);
    else Jx32MixSpan(pDst, n, JxColorTo32(crColor), nLevel, nAlpha);
}

void JxBmp32MixColorRect(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha)
{
    int nLevel = JxGetAlphaLevel(nAlpha);
    if (JX_ALPHA_LEVEL_NONE == nLevel) return;
    BOOL bDarken = 0 == (crColor & 0x00FFFFFF);
    DWORD c = JxColorTo32(crColor);
    long n = JxRectWidth(rc);
    for (LONG y = rc.top; y < rc.bottom; ++y) {
        DWORD* pDst = reinterpret_cast<DWORD*>(dst.Row(y)) + rc.left;
        if (bDarken) Jx32DarkenSpan(pDst, n, nLevel, nAlpha);
        else Jx32MixSpan(pDst, n, c, nLevel, nAlpha);
    }
}

void JxBmp32PreMulAlpha(const JxPixelArray& dst)
{
    DWORD* pDst = reinterpret_cast<DWORD*>(dst.pBits);
    long n = dst.GetPixelCount(4);
    for (long i = 0; i < n; ++i) pDst[i] = Scale(pDst[i], pDst[i] >> 24);
}

void JxBmp32Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle)
{
    JxRotatePixels<DWORD>(src, dst, eAngle);
}

const JxPixelLoops g_jxBmp32Loops = {JxBmp32AlphaBlendWhole, JxBmp32AlphaBlendRect, JxBmp32MixColorWhole,
                                     JxBmp32MixColorRect, JxBmp32Rotate};
