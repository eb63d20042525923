// RGB565 loops eight pixels at a time in NEON lanes of 16 bits, for 32-bit (with NEON) and
// 64-bit ARM. The lanes compute the plain loops' per-channel formulas as they are written:
// every weighted sum stays below 2^16 and every shift truncates, so no rounding NEON form
// (vrshr, vqdmulh) is used. What the vectors do not cover is done one pixel at a time.
#include "JXBmpLoopVariants.h"

#if defined(__ARM_NEON)

#include <arm_neon.h>

#include <cstring>

#include "JXBmp565.h"
#include "JXBmpPixel.h"
#include "JXBmpSpanLoops.h"

namespace {

inline uint16x8_t Load(const WORD* p) { return vld1q_u16(p); }
inline void Store(WORD* p, uint16x8_t v) { vst1q_u16(p, v); }

// The channels of eight pixels, each in its own lanes.
struct Channels {
    uint16x8_t r, g, b;
};

inline Channels Split(uint16x8_t p)
{
    return Channels{vshrq_n_u16(p, 11), vandq_u16(vshrq_n_u16(p, 5), vdupq_n_u16(63)), vandq_u16(p, vdupq_n_u16(31))};
}

inline Channels Scale(const Channels& c, uint16x8_t w)
{
    return Channels{vmulq_u16(c.r, w), vmulq_u16(c.g, w), vmulq_u16(c.b, w)};
}

// The three channels back into pixels, by the plain loops' (r << 11) | (g << 5) | b.
inline uint16x8_t Join(uint16x8_t r, uint16x8_t g, uint16x8_t b)
{
    return vorrq_u16(vorrq_u16(vshlq_n_u16(r, 11), vshlq_n_u16(g, 5)), b);
}

// (d * wd + s * ws) >> Shift per channel; s is given scaled.
template <unsigned Shift>
inline uint16x8_t Weigh8(uint16x8_t d, uint16x8_t wd, const Channels& s)
{
    const Channels c = Split(d);
    return Join(vshrq_n_u16(vmlaq_u16(s.r, c.r, wd), Shift), vshrq_n_u16(vmlaq_u16(s.g, c.g, wd), Shift),
                vshrq_n_u16(vmlaq_u16(s.b, c.b, wd), Shift));
}

struct Spans {
    static const bool kAlphaColumn = false;
    static const bool kAlphaPlane = true;
    static const unsigned kWeightBits = 6;

    template <unsigned Shift>
    static void Weigh(WORD* pDst, const WORD* pSrc, long n, unsigned wd, unsigned ws)
    {
        const uint16x8_t vd = vdupq_n_u16(static_cast<WORD>(wd)), vs = vdupq_n_u16(static_cast<WORD>(ws));
        long i = 0;
        for (; i + 8 <= n; i += 8) Store(pDst + i, Weigh8<Shift>(Load(pDst + i), vd, Scale(Split(Load(pSrc + i)), vs)));
        for (; i < n; ++i) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], pSrc[i], wd, ws);
    }

    template <unsigned Shift>
    static void WeighColor(WORD* pDst, long n, WORD c, unsigned wd, unsigned ws)
    {
        const uint16x8_t vd = vdupq_n_u16(static_cast<WORD>(wd));
        const Channels cs = Scale(Split(vdupq_n_u16(c)), vdupq_n_u16(static_cast<WORD>(ws)));
        long i = 0;
        for (; i + 8 <= n; i += 8) Store(pDst + i, Weigh8<Shift>(Load(pDst + i), vd, cs));
        for (; i < n; ++i) pDst[i] = Jx565WeighPixel<Shift>(pDst[i], c, wd, ws);
    }

    // d * (63 - a) >> 6 per channel plus the source; alpha 0 keeps d, 63 and above take s.
    static void BlendAlpha(WORD* pDst, const WORD* pSrc, const BYTE* pAlpha, long n)
    {
        long i = 0;
        for (; i + 8 <= n; i += 8) {
            const uint8x8_t a = vld1_u8(pAlpha + i);
            const uint16x8_t w = vmovl_u8(vqsub_u8(vdup_n_u8(63), a));  // larger values count as 63
            const uint16x8_t d = Load(pDst + i);
            const Channels c = Scale(Split(d), w);
            uint16x8_t out = vaddq_u16(Join(vshrq_n_u16(c.r, 6), vshrq_n_u16(c.g, 6), vshrq_n_u16(c.b, 6)), Load(pSrc + i));
            const uint16x8_t keep = vceqq_u16(vmovl_u8(a), vdupq_n_u16(0));
            Store(pDst + i, vbslq_u16(keep, d, out));
        }
        for (; i < n; ++i) pDst[i] = Jx565BlendAlphaPixel(pDst[i], pSrc[i], pAlpha[i]);
    }

    static void Copy(WORD* pDst, const WORD* pSrc, long n) { memmove(pDst, pSrc, static_cast<size_t>(n) * sizeof(WORD)); }
    // A fill is a store of the color; the other forms of shifts and masks are the plain ones.
    static void PlainMix(WORD* pDst, long n, WORD c, int nLevel, int nAlpha, BOOL bWholeForm)
    {
        if (JX_ALPHA_LEVEL_FULL != nLevel) return Jx565MixSpan(pDst, n, c, nLevel, nAlpha, bWholeForm);
        const uint16x8_t v = vdupq_n_u16(c);
        long i = 0;
        for (; i + 8 <= n; i += 8) Store(pDst + i, v);
        for (; i < n; ++i) pDst[i] = c;
    }
    static void PlainDarken(WORD* pDst, long n, int nLevel, int nAlpha) { Jx565DarkenSpan(pDst, n, nLevel, nAlpha); }
    static WORD Color(COLORREF cr) { return JxColorTo565(cr); }
    static void Rotate(const JxPixelArray& src, const JxPixelArray& dst, int eAngle) { JxBmp565Rotate(src, dst, eAngle); }
};

}  // namespace

const JxPixelLoops g_jxBmp565LoopsNeon = JxMakeSpanLoops<WORD, Spans>();

#endif  // __ARM_NEON
