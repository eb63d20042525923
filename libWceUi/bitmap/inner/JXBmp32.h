// The pixel loops of 32-bit bitmaps (0xAARRGGBB). Callers clip, as for 565. Blending,
// mixing and darkening keep the destination's alpha byte.
#pragma once

#include "JXCommon.h"

// Constant alpha (0..255) or, with bPerPixel, the source pixels' top byte. Per-pixel sources
// are premultiplied: their low 24 bits are added unscaled.
void JxBmp32AlphaBlendWhole(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha);
void JxBmp32AlphaBlendRect(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                           BOOL bPerPixel, int nAlpha);
// crColor is a COLORREF; it is turned into the pixel's channel order first.
void JxBmp32MixColorWhole(const JxPixelArray& dst, COLORREF crColor, int nAlpha);
void JxBmp32MixColorRect(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha);
// Each color channel becomes (c * a) >> 8 with the pixel's own alpha a.
void JxBmp32PreMulAlpha(const JxPixelArray& dst);
void JxBmp32Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle);
// The five above, for CWceUi32Bitmap.
extern const JxPixelLoops g_jxBmp32Loops;

void Jx32BlendConstSpan(DWORD* pDst, const DWORD* pSrc, long n, int nLevel, int nAlpha);
void Jx32BlendAlphaSpan(DWORD* pDst, const DWORD* pSrc, long n);
// c holds the color in pixel order (0x00RRGGBB).
void Jx32MixSpan(DWORD* pDst, long n, DWORD c, int nLevel, int nAlpha);
void Jx32DarkenSpan(DWORD* pDst, long n, int nLevel, int nAlpha);
