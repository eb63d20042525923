// 32-bit loops four pixels at a time in SSE2. The red-blue group of a pixel holds two bytes in
// separate 16-bit lanes and green sits in the low lane of its pixel's upper pair, so 16-bit
// lane multiplies by weights up to 256 give exactly the plain loops' group results, without
// the 32-bit multiplies that SSE2 lacks.
#include "JXBmpLoopVariants.h"

#if defined(__SSE2__)

#include <emmintrin.h>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstring>

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

inline __m128i Get(const BYTE* p)
{
    int v;
    memcpy(&v, p, sizeof(v));
    return _mm_cvtsi32_si128(v);
}
inline void Put(BYTE* p, int v) { memcpy(p, &v, sizeof(v)); }

// One pixel from each of four rows nStep bytes apart.
inline __m128i Gather4(const BYTE* p, long nStep)
{
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(Get(p), Get(p + nStep)),
                              _mm_unpacklo_epi32(Get(p + 2 * nStep), Get(p + 3 * nStep)));
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
    static const bool kAlphaColumn = true;
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

    // Four rows at a time: the pixels of four rows gathered into one vector and put back.
    static void BlendAlphaColumn(DWORD* pDst, long nDstStep, const DWORD* pSrc, long nSrcStep, long nRows)
    {
        BYTE* d = reinterpret_cast<BYTE*>(pDst);
        const BYTE* s = reinterpret_cast<const BYTE*>(pSrc);
        long y = 0;
        for (; y + 4 <= nRows; y += 4, d += 4 * nDstStep, s += 4 * nSrcStep) {
            __m128i out = BlendAlpha4(Gather4(d, nDstStep), Gather4(s, nSrcStep));
            Put(d, _mm_cvtsi128_si32(out));
            Put(d + nDstStep, _mm_cvtsi128_si32(_mm_shuffle_epi32(out, 1)));
            Put(d + 2 * nDstStep, _mm_cvtsi128_si32(_mm_shuffle_epi32(out, 2)));
            Put(d + 3 * nDstStep, _mm_cvtsi128_si32(_mm_shuffle_epi32(out, 3)));
        }
        for (; y < nRows; ++y, d += nDstStep, s += nSrcStep) {
            DWORD* p = reinterpret_cast<DWORD*>(d);
            *p = Jx32BlendAlphaPixel(*p, *reinterpret_cast<const DWORD*>(s));
        }
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

#if defined(__x86_64__) || defined(__i386__)
// The per-pixel blend eight pixels at a time, for processors with AVX2 (chosen at run time):
// the same lanes as BlendAlpha4, twice as wide, and the alpha spread by one byte shuffle.
// Returns the pixels done (a multiple of eight).
__attribute__((target("avx2"))) inline __m256i BlendAlpha8(__m256i d, __m256i s)
{
    const __m256i kSpread = _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128,
                                             3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128);
    const __m256i kRB8 = _mm256_set1_epi32(static_cast<int>(kRB)), kG8 = _mm256_set1_epi32(static_cast<int>(kG));
    const __m256i kA8 = _mm256_set1_epi32(static_cast<int>(kA)), kFF = _mm256_set1_epi16(0xFF);
    __m256i w = _mm256_xor_si256(_mm256_shuffle_epi8(s, kSpread), kFF);
    __m256i rb = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, kRB8), w), 8);
    __m256i g = _mm256_and_si256(_mm256_mullo_epi16(_mm256_srli_epi16(d, 8), w), kG8);
    __m256i out = _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(d, kA8), rb), g);
    return _mm256_add_epi32(out, _mm256_andnot_si256(kA8, s));
}

__attribute__((target("avx2"))) long BlendAlphaAvx2(DWORD* pDst, const DWORD* pSrc, long n)
{
    long i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pDst + i));
        __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pSrc + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pDst + i), BlendAlpha8(d, s));
    }
    return i;
}

// One pixel from each of eight rows nStep bytes apart, put in lanes by insertion.
__attribute__((target("avx2"))) inline __m128i Gather4Avx2(const BYTE* p, long nStep)
{
    __m128i v = Get(p);
    int x;
    memcpy(&x, p + nStep, sizeof(x));
    v = _mm_insert_epi32(v, x, 1);
    memcpy(&x, p + 2 * nStep, sizeof(x));
    v = _mm_insert_epi32(v, x, 2);
    memcpy(&x, p + 3 * nStep, sizeof(x));
    return _mm_insert_epi32(v, x, 3);
}

__attribute__((target("avx2"))) inline void Scatter4Avx2(BYTE* p, long nStep, __m128i v)
{
    Put(p, _mm_cvtsi128_si32(v));
    Put(p + nStep, _mm_extract_epi32(v, 1));
    Put(p + 2 * nStep, _mm_extract_epi32(v, 2));
    Put(p + 3 * nStep, _mm_extract_epi32(v, 3));
}

// A one-pixel column eight rows at a time; returns the rows done.
__attribute__((target("avx2"))) long BlendAlphaColumnAvx2(BYTE* d, long nDstStep, const BYTE* s, long nSrcStep,
                                                          long nRows)
{
    long y = 0;
    for (; y + 8 <= nRows; y += 8, d += 8 * nDstStep, s += 8 * nSrcStep) {
        __m256i vd = _mm256_inserti128_si256(_mm256_castsi128_si256(Gather4Avx2(d, nDstStep)),
                                             Gather4Avx2(d + 4 * nDstStep, nDstStep), 1);
        __m256i vs = _mm256_inserti128_si256(_mm256_castsi128_si256(Gather4Avx2(s, nSrcStep)),
                                             Gather4Avx2(s + 4 * nSrcStep, nSrcStep), 1);
        __m256i out = BlendAlpha8(vd, vs);
        Scatter4Avx2(d, nDstStep, _mm256_castsi256_si128(out));
        Scatter4Avx2(d + 4 * nDstStep, nDstStep, _mm256_extracti128_si256(out, 1));
    }
    return y;
}

struct SpansAvx2 : Spans {
    static void BlendAlpha(DWORD* pDst, const DWORD* pSrc, const BYTE* pAlpha, long n)
    {
        long i = n >= 16 ? BlendAlphaAvx2(pDst, pSrc, n) : 0;
        Spans::BlendAlpha(pDst + i, pSrc + i, pAlpha, n - i);
    }

    static void BlendAlphaColumn(DWORD* pDst, long nDstStep, const DWORD* pSrc, long nSrcStep, long nRows)
    {
        long y = BlendAlphaColumnAvx2(reinterpret_cast<BYTE*>(pDst), nDstStep, reinterpret_cast<const BYTE*>(pSrc),
                                      nSrcStep, nRows);
        Spans::BlendAlphaColumn(reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(pDst) + y * nDstStep), nDstStep,
                                reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(pSrc) + y * nSrcStep),
                                nSrcStep, nRows - y);
    }
};
#endif

}  // namespace

const JxPixelLoops g_jxBmp32LoopsSse2 = JxMakeSpanLoops<DWORD, Spans>();
#if defined(__x86_64__) || defined(__i386__)
const JxPixelLoops g_jxBmp32LoopsAvx2 = JxMakeSpanLoops<DWORD, SpansAvx2>();
#endif

#endif  // __SSE2__
