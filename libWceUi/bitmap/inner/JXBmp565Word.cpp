// RGB565 loops with two pixels per 64-bit word, for processors without vector loops here.
// Each pixel takes one 32-bit half: its red-blue group (d & 0xF81F) times a 6-bit weight
// stays below 2^22, and blue's product below red's bits; its green group times a weight
// stays below 2^17. So one multiply weighs a group of both pixels, and a per-pixel weight
// needs one multiply per pixel (both groups in one word) instead of one per channel.
#include "JXBmpLoopVariants.h"

#include <cstdint>
#include <cstring>

#include "JXBmp565.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

typedef std::uint64_t U64;

const U64 kRB2 = 0x0000F81F0000F81Full;
const U64 kG2 = 0x000007E0000007E0ull;

inline U64 Load2(const WORD* p)
{
    return static_cast<U64>(p[0]) | static_cast<U64>(p[1]) << 32;
}
inline void Store2(WORD* p, U64 v)
{
    p[0] = static_cast<WORD>(v);
    p[1] = static_cast<WORD>(v >> 32);
}

template <unsigned Shift>
inline U64 Weigh2(U64 d, U64 s, U64 wd, U64 ws)
{
    U64 rb = (((d & kRB2) * wd + (s & kRB2) * ws) >> Shift) & kRB2;
    U64 g = (((d & kG2) * wd + (s & kG2) * ws) >> Shift) & kG2;
    return rb | g;
}

struct Spans {
    static const bool kAlphaColumn = false;
    static const bool kAlphaPlane = true;
    static const unsigned kWeightBits = 6;

    template <unsigned Shift>
    static void Weigh(WORD* pDst, const WORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        long i = 0;
        for (; i + 2 <= n; i += 2) Store2(pDst + i, Weigh2<Shift>(Load2(pDst + i), Load2(pSrc + i), wd, ws));
        if (i < n) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(WORD* pDst, long n, WORD c, unsigned wd, unsigned ws)
    {
        U64 c2 = static_cast<U64>(c) | static_cast<U64>(c) << 32;
        // The color's share is the same for every pixel.
        U64 rbs = (c2 & kRB2) * ws, gs = (c2 & kG2) * ws;
        long i = 0;
        for (; i + 2 <= n; i += 2) {
            U64 d = Load2(pDst + i);
            U64 rb = (((d & kRB2) * wd + rbs) >> Shift) & kRB2;
            U64 g = (((d & kG2) * wd + gs) >> Shift) & kG2;
            Store2(pDst + i, rb | g);
        }
        if (i < n) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    // Red-blue in the low half, green in the high half: one multiply per pixel.
    static void BlendAlpha(WORD* pDst, const WORD* pSrc, const BYTE* pAlpha, long n)
    {
        const U64 kMask = 0xF81F | static_cast<U64>(0x07E0) << 32;
        for (long i = 0; i < n; ++i) {
            unsigned a = pAlpha[i];
            if (0 == a) continue;
            U64 d = pDst[i];
            U64 x = (d & 0xF81F) | (d & 0x07E0) << 32;
            x = ((x * (a < 63 ? 63 - a : 0)) >> 6) & kMask;
            pDst[i] = static_cast<WORD>((x | x >> 32) + pSrc[i]);
        }
    }

    static void Copy(WORD* pDst, const WORD* pSrc, long n) { memmove(pDst, pSrc, static_cast<size_t>(n) * sizeof(WORD)); }
    static void PlainMix(WORD* pDst, long n, WORD c, int nLevel, int nAlpha, BOOL bWholeForm)
    {
        Jx565MixSpan(pDst, n, c, nLevel, nAlpha, bWholeForm);
    }
    static void PlainDarken(WORD* pDst, long n, int nLevel, int nAlpha) { Jx565DarkenSpan(pDst, n, nLevel, nAlpha); }
    static WORD Color(COLORREF cr) { return JxColorTo565(cr); }
    static void Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle) { JxBmp565Rotate(src, dst, eAngle); }
};

}  // namespace

const JxPixelLoops g_jxBmp565LoopsWord = JxMakeSpanLoops<WORD, Spans>();
