// 32-bit loops four pixels at a time in SSE2. The red-blue group of a pixel holds two bytes in
// separate 16-bit lanes and green sits in the low lane of its pixel's upper pair, so 16-bit
// lane multiplies by weights up to 256 give exactly the plain loops' group results, without
// the 32-bit multiplies that SSE2 lacks.
#include "JXBmpLoopVariants.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include "JXBmp32.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

inline __m128i Load(const DWORD* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(DWORD* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

const DWORD kRB = 0x00FF00FF;
const DWORD kG = 0x0000FF00;
const DWORD kA = 0xFF000000;

inline __m128i Set(DWORD v) { return _mm_set1_epi32(static_cast<int>(v)); }

// (d * wd + s * ws) >> Shift per group, with d's alpha byte; s is given as its red-blue lanes
// and its green lanes (green moved down a byte), already scaled by ws.
template <unsigned Shift>
inline __m128i WeighLanes(__m128i d, __m128i wd, __m128i rbs, __m128i gs)
{
    __m128i rb = _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(d, Set(kRB)), wd), rbs);
    __m128i g = _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(d, 8), Set(kRB)), wd), gs);
    rb = _mm_srli_epi16(rb, Shift);
    g = _mm_and_si128(_mm_slli_epi16(_mm_srli_epi16(g, Shift), 8), Set(kG));
    return _mm_or_si128(_mm_or_si128(_mm_and_si128(d, Set(kA)), rb), g);
}

// d * (255 - a) >> 8 per group, plus the source's colors: a is the source's top byte, spread
// over both 16-bit lanes of its pixel.
inline __m128i BlendAlpha4(__m128i d, __m128i s)
{
    __m128i a = _mm_srli_epi16(s, 8);
    a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    __m128i w = _mm_xor_si128(a, _mm_set1_epi16(0xFF));
    __m128i rb = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(d, Set(kRB)), w), 8);
    __m128i g = _mm_and_si128(_mm_mullo_epi16(_mm_srli_epi16(d, 8), w), Set(kG));
    __m128i out = _mm_or_si128(_mm_or_si128(_mm_and_si128(d, Set(kA)), rb), g);
    return _mm_add_epi32(out, _mm_andnot_si128(Set(kA), s));
}

struct Spans {
    static const bool kAlphaPlane = false;
    static const unsigned kWeightBits = 8;

    template <unsigned Shift>
    static void Weigh(DWORD* pDst, const DWORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        const __m128i vd = _mm_set1_epi16(static_cast<short>(wd)), vs = _mm_set1_epi16(static_cast<short>(ws));
        long i = 0;
        for (; i + 4 <= n; i += 4) {
            __m128i s = Load(pSrc + i);
            __m128i rbs = _mm_mullo_epi16(_mm_and_si128(s, Set(kRB)), vs);
            __m128i gs = _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(s, 8), Set(kRB)), vs);
            Store(pDst + i, WeighLanes<Shift>(Load(pDst + i), vd, rbs, gs));
        }
        for (; i < n; ++i) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(DWORD* pDst, long n, DWORD c, unsigned wd, unsigned ws)
    {
        const __m128i vd = _mm_set1_epi16(static_cast<short>(wd)), vs = _mm_set1_epi16(static_cast<short>(ws));
        const __m128i rbs = _mm_mullo_epi16(Set(c & kRB), vs), gs = _mm_mullo_epi16(Set((c >> 8) & kRB), vs);
        long i = 0;
        for (; i + 4 <= n; i += 4) Store(pDst + i, WeighLanes<Shift>(Load(pDst + i), vd, rbs, gs));
        for (; i < n; ++i) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    static void BlendAlpha(DWORD* pDst, const DWORD* pSrc, const BYTE*, long n)
    {
        long i = 0;
        // Two groups of four per round: the multiplies of one overlap the other's.
        for (; i + 8 <= n; i += 8) {
            __m128i d0 = Load(pDst + i), d1 = Load(pDst + i + 4);
            __m128i s0 = Load(pSrc + i), s1 = Load(pSrc + i + 4);
            Store(pDst + i, BlendAlpha4(d0, s0));
            Store(pDst + i + 4, BlendAlpha4(d1, s1));
        }
        for (; i + 4 <= n; i += 4) Store(pDst + i, BlendAlpha4(Load(pDst + i), Load(pSrc + i)));
        for (; i < n; ++i) pDst[i] = Jx32BlendAlphaPixel(pDst[i], pSrc[i]);
    }

    static void Copy(DWORD* pDst, const DWORD* pSrc, long n)
    {
        for (long i = 0; i < n; ++i) pDst[i] = (pDst[i] & kA) | (pSrc[i] & ~kA);
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

const JxPixelLoops g_jxBmp32LoopsSse2 = JxMakeSpanLoops<DWORD, Spans>();

#endif  // __SSE2__
