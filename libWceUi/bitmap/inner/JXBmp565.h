// The pixel loops of RGB565 bitmaps. Callers clip: rectangles lie inside their arrays, and
// a destination and source rectangle have the same size. Whole-array forms run over every
// pixel at once, the row padding included.
#pragma once

#include "JXCommon.h"

// Constant alpha (0..255) or, with bPerPixel, the source's alpha plane (0..63; larger
// values count as 63). Per-pixel sources are premultiplied: they are added unscaled.
void JxBmp565AlphaBlendWhole(const JxPixelArray& dst, const JxPixelArray& src, BOOL bPerPixel, int nAlpha);
void JxBmp565AlphaBlendRect(const JxPixelArray& dst, const RECT& rcDst, const JxPixelArray& src, const RECT& rcSrc,
                            BOOL bPerPixel, int nAlpha);
// Mixes crColor in with weight nAlpha (0..255); black darkens. The whole-array form rounds
// differently at alpha levels 2 and 3 (two pixels per word on the device).
void JxBmp565MixColorWhole(const JxPixelArray& dst, COLORREF crColor, int nAlpha);
void JxBmp565MixColorRect(const JxPixelArray& dst, const RECT& rc, COLORREF crColor, int nAlpha);
// dst is already created at the turned size; eAngle is 1 (clockwise), 2 or 3.
void JxBmp565Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle);
// The five above, for CWceUi565Bitmap.
extern const JxPixelLoops g_jxBmp565Loops;

// One run of pixels each; the loops above are made of these.
void Jx565BlendConstSpan(WORD* pDst, const WORD* pSrc, long n, int nLevel, int nAlpha);
void Jx565BlendAlphaSpan(WORD* pDst, const WORD* pSrc, const BYTE* pAlpha, long n);
void Jx565MixSpan(WORD* pDst, long n, WORD c, int nLevel, int nAlpha, BOOL bWholeForm);
void Jx565DarkenSpan(WORD* pDst, long n, int nLevel, int nAlpha);
