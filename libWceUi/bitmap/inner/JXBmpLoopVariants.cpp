#include "JXBmpLoopVariants.h"

#include "JXBmp32.h"
#include "JXBmp565.h"

namespace {

const JxPixelLoopVariant k565Variants[] = {
    {"plain", &g_jxBmp565Loops},
    {"word", &g_jxBmp565LoopsWord},
#if defined(__SSE2__)
    {"sse2", &g_jxBmp565LoopsSse2},
#endif
#if defined(__ARM_NEON)
    {"neon", &g_jxBmp565LoopsNeon},
#endif
};

const JxPixelLoopVariant k32Variants[] = {
    {"plain", &g_jxBmp32Loops},
    {"word", &g_jxBmp32LoopsWord},
#if defined(__SSE2__)
    {"sse2", &g_jxBmp32LoopsSse2},
#endif
#if defined(__ARM_NEON)
    {"neon", &g_jxBmp32LoopsNeon},
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
    {"avx2", &g_jxBmp32LoopsAvx2},
#endif
};

// The tables of k32Variants this processor can run.
int Count32Variants()
{
    int n = sizeof(k32Variants) / sizeof(k32Variants[0]);
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2")) --n;
#endif
    return n;
}

template <int N>
int Variants(const JxPixelLoopVariant (&variants)[N], const JxPixelLoopVariant** ppVariants)
{
    if (ppVariants) *ppVariants = variants;
    return N;
}

}  // namespace

int JxGetBmp565LoopVariants(const JxPixelLoopVariant** ppVariants) { return Variants(k565Variants, ppVariants); }
int JxGetBmp32LoopVariants(const JxPixelLoopVariant** ppVariants)
{
    static const int nCount = Count32Variants();
    if (ppVariants) *ppVariants = k32Variants;
    return nCount;
}

const JxPixelLoops& JxGetBmp565Loops() { return *k565Variants[sizeof(k565Variants) / sizeof(k565Variants[0]) - 1].pLoops; }
const JxPixelLoops& JxGetBmp32Loops()
{
    static const JxPixelLoops* pLoops = k32Variants[JxGetBmp32LoopVariants(NULL) - 1].pLoops;
    return *pLoops;
}
