// RGB565 loops eight pixels at a time in SSE2 lanes of 16 bits. Each channel's weighted sum
// stays below 2^16 in its lane, so the lane results are the plain loops' results; what the
// vectors do not cover (the ends of runs, mixing levels made of shifts) is done one pixel at
// a time.
#include "JXBmpLoopVariants.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

#include "JXBmp565.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

inline __m128i Load(const WORD* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(WORD* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The channels of eight pixels, each in its own lanes.
struct Channels {
    __m128i r, g, b;
};

inline Channels Split(__m128i p)
{
    const __m128i k5 = _mm_set1_epi16(31), k6 = _mm_set1_epi16(63);
    return Channels{_mm_srli_epi16(p, 11), _mm_and_si128(_mm_srli_epi16(p, 5), k6), _mm_and_si128(p, k5)};
}

// Sums of the channels scaled by w (weights never make a sum reach 2^16).
inline Channels Scale(const Channels& c, __m128i w)
{
    return Channels{_mm_mullo_epi16(c.r, w), _mm_mullo_epi16(c.g, w), _mm_mullo_epi16(c.b, w)};
}

template <unsigned Shift>
inline __m128i Pack(const Channels& a, const Channels& b)
{
    __m128i r = _mm_slli_epi16(_mm_srli_epi16(_mm_add_epi16(a.r, b.r), Shift), 11);
    __m128i g = _mm_slli_epi16(_mm_srli_epi16(_mm_add_epi16(a.g, b.g), Shift), 5);
    __m128i bl = _mm_srli_epi16(_mm_add_epi16(a.b, b.b), Shift);
    return _mm_or_si128(_mm_or_si128(r, g), bl);
}

struct Spans {
    static const bool kAlphaColumn = false;
    static const bool kAlphaPlane = true;
    static const unsigned kWeightBits = 6;

    template <unsigned Shift>
    static void Weigh(WORD* pDst, const WORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        const __m128i vd = _mm_set1_epi16(static_cast<short>(wd)), vs = _mm_set1_epi16(static_cast<short>(ws));
        long i = 0;
        for (; i + 8 <= n; i += 8)
            Store(pDst + i, Pack<Shift>(Scale(Split(Load(pDst + i)), vd), Scale(Split(Load(pSrc + i)), vs)));
        for (; i < n; ++i) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(WORD* pDst, long n, WORD c, unsigned wd, unsigned ws)
    {
        const __m128i vd = _mm_set1_epi16(static_cast<short>(wd));
        const Channels cs = Scale(Split(_mm_set1_epi16(static_cast<short>(c))), _mm_set1_epi16(static_cast<short>(ws)));
        long i = 0;
        for (; i + 8 <= n; i += 8) Store(pDst + i, Pack<Shift>(Scale(Split(Load(pDst + i)), vd), cs));
        for (; i < n; ++i) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    // d * (63 - a) >> 6 per group as one unsigned high-half multiply by (63 - a) << 10: red
    // and blue share a lane (blue's product stays below red's bits), green has its own.
    static void BlendAlpha(WORD* pDst, const WORD* pSrc, const BYTE* pAlpha, long n)
    {
        const __m128i kRB = _mm_set1_epi16(static_cast<short>(0xF81F)), kG = _mm_set1_epi16(0x07E0);
        const __m128i k63 = _mm_set1_epi16(63), kZero = _mm_setzero_si128();
        long i = 0;
        for (; i + 8 <= n; i += 8) {
            __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pAlpha + i)), kZero);
            __m128i w = _mm_slli_epi16(_mm_subs_epu16(k63, a), 10);  // larger values count as 63
            __m128i d = Load(pDst + i);
            __m128i rb = _mm_and_si128(_mm_mulhi_epu16(_mm_and_si128(d, kRB), w), kRB);
            __m128i g = _mm_and_si128(_mm_mulhi_epu16(_mm_and_si128(d, kG), w), kG);
            __m128i out = _mm_add_epi16(_mm_or_si128(rb, g), Load(pSrc + i));
            __m128i keep = _mm_cmpeq_epi16(a, kZero);
            Store(pDst + i, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out)));
        }
        for (; i < n; ++i) pDst[i] = Jx565BlendAlphaPixel(pDst[i], pSrc[i], pAlpha[i]);
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

const JxPixelLoops g_jxBmp565LoopsSse2 = JxMakeSpanLoops<WORD, Spans>();

#endif  // __SSE2__
