// Every pixel-loop table a build has for each bitmap kind. The plain tables of JXBmp565.h and
// JXBmp32.h are the reference; the others must give the same pixels bit for bit, row padding
// included, and only run faster.
#pragma once

#include "JXCommon.h"

struct JxPixelLoopVariant {
    const char* pName;
    const JxPixelLoops* pLoops;
};

// Two pixels per 64-bit word (one multiply per group for both): for processors without the
// vector loops below.
extern const JxPixelLoops g_jxBmp565LoopsWord;
extern const JxPixelLoops g_jxBmp32LoopsWord;
#if defined(__SSE2__)
extern const JxPixelLoops g_jxBmp565LoopsSse2;
extern const JxPixelLoops g_jxBmp32LoopsSse2;
#endif
#if defined(__ARM_NEON)
// 32-bit ARM built with NEON (-mfpu=neon) and every 64-bit ARM.
extern const JxPixelLoops g_jxBmp565LoopsNeon;
extern const JxPixelLoops g_jxBmp32LoopsNeon;
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
// The 32-bit per-pixel blend in AVX2; listed only when the processor has it.
extern const JxPixelLoops g_jxBmp32LoopsAvx2;
#endif

// The tables of the kind, plain first and the one the bitmaps use last; returns their count.
int JxGetBmp565LoopVariants(const JxPixelLoopVariant** ppVariants);
int JxGetBmp32LoopVariants(const JxPixelLoopVariant** ppVariants);
const JxPixelLoops& JxGetBmp565Loops();
const JxPixelLoops& JxGetBmp32Loops();
