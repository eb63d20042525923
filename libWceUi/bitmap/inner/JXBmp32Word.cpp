// 32-bit loops with two pixels per 64-bit word, for processors without vector loops here.
// Every channel of a group lies 16 bits from the next, and a channel times a weight up to 256
// stays below 2^16, so one multiply weighs a group of both pixels; a per-pixel weight takes
// one multiply per pixel with its three channels spread over one word.
#include "JXBmpLoopVariants.h"

#include <cstdint>
#include <cstring>

#include "JXBmp32.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

typedef std::uint64_t U64;

const U64 kRB2 = 0x00FF00FF00FF00FFull;
const U64 kG2 = 0x0000FF000000FF00ull;
const U64 kA2 = 0xFF000000FF000000ull;

inline U64 Load2(const DWORD* p)
{
    U64 v;
    memcpy(&v, p, sizeof(v));
    return v;
}
inline void Store2(DWORD* p, U64 v) { memcpy(p, &v, sizeof(v)); }

struct Spans {
    static const bool kAlphaColumn = false;
    static const bool kAlphaPlane = false;
    static const unsigned kWeightBits = 8;

    template <unsigned Shift>
    static void Weigh(DWORD* pDst, const DWORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        long i = 0;
        for (; i + 2 <= n; i += 2) {
            U64 d = Load2(pDst + i), s = Load2(pSrc + i);
            U64 rb = (((d & kRB2) * wd + (s & kRB2) * ws) >> Shift) & kRB2;
            U64 g = (((d & kG2) * wd + (s & kG2) * ws) >> Shift) & kG2;
            Store2(pDst + i, (d & kA2) | rb | g);
        }
        if (i < n) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(DWORD* pDst, long n, DWORD c, unsigned wd, unsigned ws)
    {
        U64 c2 = static_cast<U64>(c) | static_cast<U64>(c) << 32;
        U64 rbs = (c2 & kRB2) * ws, gs = (c2 & kG2) * ws;
        long i = 0;
        for (; i + 2 <= n; i += 2) {
            U64 d = Load2(pDst + i);
            U64 rb = (((d & kRB2) * wd + rbs) >> Shift) & kRB2;
            U64 g = (((d & kG2) * wd + gs) >> Shift) & kG2;
            Store2(pDst + i, (d & kA2) | rb | g);
        }
        if (i < n) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    // Blue at bit 0, red at bit 16, green at bit 32 of one word: one multiply per pixel.
    static void BlendAlpha(DWORD* pDst, const DWORD* pSrc, const BYTE*, long n)
    {
        const U64 kSpread = 0x000000FF00FF00FFull;
        for (long i = 0; i < n; ++i) {
            DWORD d = pDst[i], s = pSrc[i];
            U64 x = (d & 0x00FF00FFu) | static_cast<U64>(d & 0x0000FF00u) << 24;
            x = ((x * (255 - (s >> 24))) >> 8) & kSpread;
            DWORD scaled = static_cast<DWORD>(x & 0x00FF00FFu) | static_cast<DWORD>(x >> 24);
            pDst[i] = ((d & 0xFF000000u) | scaled) + (s & 0x00FFFFFFu);
        }
    }

    static void Copy(DWORD* pDst, const DWORD* pSrc, long n)
    {
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & 0xFF000000u) | (pSrc[i] & 0x00FFFFFFu);
    }
    static void PlainMix(DWORD* pDst, long n, DWORD c, int nLevel, int nAlpha, BOOL)
    {
        Jx32MixSpan(pDst, n, c, nLevel, nAlpha);
    }
    static void PlainDarken(DWORD* pDst, long n, int nLevel, int nAlpha) { Jx32DarkenSpan(pDst, n, nLevel, nAlpha); }
    static DWORD Color(COLORREF cr) { return JxColorTo32(cr); }
    static void Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle) { JxBmp32Rotate(src, dst, eAngle); }
};

}  // namespace

const JxPixelLoops g_jxBmp32LoopsWord = JxMakeSpanLoops<DWORD, Spans>();
