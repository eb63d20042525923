// Pieces shared by the pixel loops of both bitmap kinds: the alpha levels, the clipping of a
// destination and source rectangle pair, and the conversion of a COLORREF to pixels.
#pragma once

#include "wce/gdi.h"
#include "wce/pixel.h"
#include "wce/types.h"

// The treatment of an 8-bit alpha. Levels 1 to 3 use fixed weights (shifts and adds only).
enum {
    JX_ALPHA_LEVEL_NONE = 0,            // 0..8: nothing is drawn
    JX_ALPHA_LEVEL_QUARTER = 1,         // 56..72: 1/4 source, 3/4 destination
    JX_ALPHA_LEVEL_HALF = 2,            // 120..136
    JX_ALPHA_LEVEL_THREE_QUARTERS = 3,  // 184..200
    JX_ALPHA_LEVEL_FULL = 4,            // 247..255: the source replaces the destination
    JX_ALPHA_LEVEL_GENERAL = 5,         // every other value: the weighted formula
};

// nAlpha must lie in 0..255 (callers check).
int JxGetAlphaLevel(int nAlpha);

// Clips pDstRect to pDstBound and pSrcRect to pSrcBound and keeps the two in step, also when
// they differ in size (scaled). FALSE, with both outputs empty, when nothing is left. The
// loops below the public operations take its results as they are.
BOOL CalcBitBltRects(RECT* pOutDst, RECT* pOutSrc, const RECT* pDstBound, const RECT* pSrcBound, const RECT* pDstRect,
                     const RECT* pSrcRect);

// COLORREF to pixels, as the platform converts (wce/pixel.h).
inline WORD JxColorTo565(COLORREF cr) { return wce::ColorTo565(cr); }
inline DWORD JxColorTo32(COLORREF cr) { return wce::ColorTo32(cr); }

// (x, y, x + w, y + h) without overflow: coordinates stick to the ends of LONG.
inline RECT JxMakeRect(int x, int y, int w, int h)
{
    long long r = static_cast<long long>(x) + w, b = static_cast<long long>(y) + h;
    RECT rc = {x, y, r > 2147483647 ? 2147483647 : (r < -2147483647 - 1 ? -2147483647 - 1 : static_cast<LONG>(r)),
               b > 2147483647 ? 2147483647 : (b < -2147483647 - 1 ? -2147483647 - 1 : static_cast<LONG>(b))};
    return rc;
}

inline LONG JxRectWidth(const RECT& rc) { return rc.right - rc.left; }
inline LONG JxRectHeight(const RECT& rc) { return rc.bottom - rc.top; }

// A bitmap's pixel array as the loops see it: rows bottom-up, so image row y (0 = top) lies
// at Row(y). The loops below the public operations trust their rectangles to lie inside.
struct JxPixelArray {
    BYTE* pBits;
    BYTE* pAlpha;  // 565 alpha plane (rows of the even-rounded width), or null
    int nWidth;
    int nHeight;
    int nRowBytes;
    int nAlphaRowBytes;

    BYTE* Row(int y) const { return pBits + static_cast<long>(nHeight - 1 - y) * nRowBytes; }
    BYTE* AlphaRow(int y) const { return pAlpha + static_cast<long>(nHeight - 1 - y) * nAlphaRowBytes; }
    // Pixels of the whole array, 565 row padding included.
    long GetPixelCount(int nBytesPerPixel) const { return static_cast<long>(nRowBytes) / nBytesPerPixel * nHeight; }
};

// Turns src by a quarter (eAngle 1), a half (2) or three quarters (3) into dst, which the
// caller made with the turned size. Only the pixel type differs between the kinds.
template <class PIXEL>
void JxRotatePixels(const JxPixelArray& src, const JxPixelArray& dst, int eAngle)
{
    const int W = src.nWidth, H = src.nHeight;
    for (int y = 0; y < dst.nHeight; ++y) {
        PIXEL* pDst = reinterpret_cast<PIXEL*>(dst.Row(y));
        if (2 == eAngle) {
            const PIXEL* pSrc = reinterpret_cast<const PIXEL*>(src.Row(H - 1 - y));
            for (int x = 0; x < dst.nWidth; ++x) pDst[x] = pSrc[W - 1 - x];
        } else if (1 == eAngle) {
            // Destination (x, y) comes from source column y, row H - 1 - x.
            const BYTE* pBase = src.pBits + sizeof(PIXEL) * y;
            for (int x = 0; x < dst.nWidth; ++x)
                pDst[x] = *reinterpret_cast<const PIXEL*>(pBase + static_cast<long>(x) * src.nRowBytes);
        } else {
            // Destination (x, y) comes from source column W - 1 - y, row x.
            const BYTE* pBase = src.pBits + sizeof(PIXEL) * (W - 1 - y);
            for (int x = 0; x < dst.nWidth; ++x)
                pDst[x] = *reinterpret_cast<const PIXEL*>(pBase + static_cast<long>(H - 1 - x) * src.nRowBytes);
        }
    }
}

// One bitmap kind's pixel loops, for the operations that clip and dispatch alike for both
// kinds (JXBmp565.h and JXBmp32.h describe them).
struct JxPixelLoops {
    void (*pfnAlphaBlendWhole)(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha);
    void (*pfnAlphaBlendRect)(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                              BOOL bPerPixel, int nAlpha);
    void (*pfnMixColorWhole)(const JxPixelArray& dst, COLORREF crColor, int nAlpha);
    void (*pfnMixColorRect)(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha);
    void (*pfnRotate)(const JxPixelArray& src, const JxPixelArray& dst, int eAngle);
};
