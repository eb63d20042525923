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
};

const JxPixelLoopVariant k32Variants[] = {
    {"plain", &g_jxBmp32Loops},
    {"word", &g_jxBmp32LoopsWord},
#if defined(__SSE2__)
    {"sse2", &g_jxBmp32LoopsSse2},
#endif
};

template <int N>
int Variants(const JxPixelLoopVariant (&variants)[N], const JxPixelLoopVariant** ppVariants)
{
    if (ppVariants) *ppVariants = variants;
    return N;
}

}  // namespace

int JxGetBmp565LoopVariants(const JxPixelLoopVariant** ppVariants) { return Variants(k565Variants, ppVariants); }
int JxGetBmp32LoopVariants(const JxPixelLoopVariant** ppVariants) { return Variants(k32Variants, ppVariants); }

const JxPixelLoops& JxGetBmp565Loops() { return *k565Variants[sizeof(k565Variants) / sizeof(k565Variants[0]) - 1].pLoops; }
const JxPixelLoops& JxGetBmp32Loops() { return *k32Variants[sizeof(k32Variants) / sizeof(k32Variants[0]) - 1].pLoops; }
