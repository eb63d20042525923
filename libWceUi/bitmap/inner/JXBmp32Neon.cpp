// 32-bit loops four pixels at a time in NEON, for 32-bit (with NEON) and 64-bit ARM. The
// lanes are those of the SSE2 loops: a pixel's red-blue group holds two bytes in separate
// 16-bit lanes and its green sits in the low lane of the upper pair, so 16-bit multiplies by
// weights up to 256 give exactly the plain loops' group results. Shifts truncate as the plain
// loops do; no rounding NEON form is used.
#include "JXBmpLoopVariants.h"

#if defined(__ARM_NEON)

#include <arm_neon.h>

#include <cstring>

#include "JXBmp32.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

const DWORD kRB = 0x00FF00FF;
const DWORD kG = 0x0000FF00;
const DWORD kA = 0xFF000000;

inline uint32x4_t Load(const DWORD* p) { return vld1q_u32(p); }
inline void Store(DWORD* p, uint32x4_t v) { vst1q_u32(p, v); }
inline uint32x4_t Set(DWORD v) { return vdupq_n_u32(v); }
inline uint16x8_t U16(uint32x4_t v) { return vreinterpretq_u16_u32(v); }
inline uint32x4_t U32(uint16x8_t v) { return vreinterpretq_u32_u16(v); }

// The red-blue lanes and the green lanes (green moved down a byte) of four pixels.
inline uint16x8_t RedBlue(uint32x4_t p) { return U16(vandq_u32(p, Set(kRB))); }
inline uint16x8_t Green(uint32x4_t p) { return U16(vandq_u32(vshrq_n_u32(p, 8), Set(kRB))); }

// (d * wd + s * ws) >> Shift per group, with d's alpha byte; s is given as its red-blue and
// green lanes, already scaled by ws.
template <unsigned Shift>
inline uint32x4_t WeighLanes(uint32x4_t d, uint16x8_t wd, uint16x8_t rbs, uint16x8_t gs)
{
    uint32x4_t rb = U32(vshrq_n_u16(vmlaq_u16(rbs, RedBlue(d), wd), Shift));
    uint32x4_t g = vandq_u32(U32(vshlq_n_u16(vshrq_n_u16(vmlaq_u16(gs, Green(d), wd), Shift), 8)), Set(kG));
    return vorrq_u32(vorrq_u32(vandq_u32(d, Set(kA)), rb), g);
}

// d * (255 - a) >> 8 per group, plus the source's colors: a is the source's top byte, spread
// over both 16-bit lanes of its pixel.
inline uint32x4_t BlendAlpha4(uint32x4_t d, uint32x4_t s)
{
    const uint32x4_t w32 = vsubq_u32(Set(255), vshrq_n_u32(s, 24));
    const uint16x8_t w = U16(vsliq_n_u32(w32, w32, 16));
    uint32x4_t rb = U32(vshrq_n_u16(vmulq_u16(RedBlue(d), w), 8));
    uint32x4_t g = vandq_u32(U32(vmulq_u16(vshrq_n_u16(U16(d), 8), w)), Set(kG));
    uint32x4_t out = vorrq_u32(vorrq_u32(vandq_u32(d, Set(kA)), rb), g);
    return vaddq_u32(out, vbicq_u32(s, Set(kA)));
}

// One pixel from each of four rows nStep bytes apart, and back; rows may sit at any address.
inline uint32x4_t Gather4(const BYTE* p, long nStep)
{
    DWORD v[4];
    for (int k = 0; k < 4; ++k) memcpy(&v[k], p + k * nStep, sizeof(DWORD));
    return vld1q_u32(v);
}
inline void Scatter4(BYTE* p, long nStep, uint32x4_t x)
{
    DWORD v[4];
    vst1q_u32(v, x);
    for (int k = 0; k < 4; ++k) memcpy(p + k * nStep, &v[k], sizeof(DWORD));
}

struct Spans {
    static const bool kAlphaColumn = true;
    static const bool kAlphaPlane = false;
    static const unsigned kWeightBits = 8;

    template <unsigned Shift>
    static void Weigh(DWORD* pDst, const DWORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        const uint16x8_t vd = vdupq_n_u16(static_cast<WORD>(wd)), vs = vdupq_n_u16(static_cast<WORD>(ws));
        long i = 0;
        for (; i + 4 <= n; i += 4) {
            const uint32x4_t s = Load(pSrc + i);
            Store(pDst + i, WeighLanes<Shift>(Load(pDst + i), vd, vmulq_u16(RedBlue(s), vs), vmulq_u16(Green(s), vs)));
        }
        for (; i < n; ++i) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(DWORD* pDst, long n, DWORD c, unsigned wd, unsigned ws)
    {
        const uint16x8_t vd = vdupq_n_u16(static_cast<WORD>(wd)), vs = vdupq_n_u16(static_cast<WORD>(ws));
        const uint16x8_t rbs = vmulq_u16(RedBlue(Set(c)), vs), gs = vmulq_u16(Green(Set(c)), vs);
        long i = 0;
        for (; i + 4 <= n; i += 4) Store(pDst + i, WeighLanes<Shift>(Load(pDst + i), vd, rbs, gs));
        for (; i < n; ++i) pDst[i] = Jx32WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    static void BlendAlpha(DWORD* pDst, const DWORD* pSrc, const BYTE*, long n)
    {
        long i = 0;
        // Two groups of four per round: the multiplies of one overlap the other's.
        for (; i + 8 <= n; i += 8) {
            const uint32x4_t d0 = Load(pDst + i), d1 = Load(pDst + i + 4);
            const uint32x4_t s0 = Load(pSrc + i), s1 = Load(pSrc + i + 4);
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
        for (; y + 4 <= nRows; y += 4, d += 4 * nDstStep, s += 4 * nSrcStep)
            Scatter4(d, nDstStep, BlendAlpha4(Gather4(d, nDstStep), Gather4(s, nSrcStep)));
        for (; y < nRows; ++y, d += nDstStep, s += nSrcStep) {
            DWORD dv, sv;
            memcpy(&dv, d, sizeof(dv));
            memcpy(&sv, s, sizeof(sv));
            dv = Jx32BlendAlphaPixel(dv, sv);
            memcpy(d, &dv, sizeof(dv));
        }
    }

    // The transitions' full level: the source's colors under the destination's alpha byte.
    static void Copy(DWORD* pDst, const DWORD* pSrc, long n)
    {
        const uint32x4_t kAlpha = Set(kA);
        long i = 0;
        for (; i + 4 <= n; i += 4) Store(pDst + i, vbslq_u32(kAlpha, Load(pDst + i), Load(pSrc + i)));
        for (; i < n; ++i) pDst[i] = (pDst[i] & kA) | (pSrc[i] & ~kA);
    }
    // A fill puts the color under each pixel's alpha byte; the other forms are the plain ones.
    static void PlainMix(DWORD* pDst, long n, DWORD c, int nLevel, int nAlpha, BOOL)
    {
        if (JX_ALPHA_LEVEL_FULL != nLevel) return Jx32MixSpan(pDst, n, c, nLevel, nAlpha);
        const uint32x4_t kAlpha = Set(kA), vc = Set(c);
        long i = 0;
        for (; i + 4 <= n; i += 4) Store(pDst + i, vbslq_u32(kAlpha, Load(pDst + i), vc));
        for (; i < n; ++i) pDst[i] = (pDst[i] & kA) | (c & ~kA);
    }
    static void PlainDarken(DWORD* pDst, long n, int nLevel, int nAlpha) { Jx32DarkenSpan(pDst, n, nLevel, nAlpha); }
    static DWORD Color(COLORREF cr) { return JxColorTo32(cr); }
    static void Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle) { JxBmp32Rotate(src, dst, eAngle); }
};

}  // namespace

const JxPixelLoops g_jxBmp32LoopsNeon = JxMakeSpanLoops<DWORD, Spans>();

#endif  // __ARM_NEON
