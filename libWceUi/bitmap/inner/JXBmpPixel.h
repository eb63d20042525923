// Single-pixel forms of the blend formulas for the faster loop tables: the ends of runs that
// are too short for their wide steps. Same results as the plain loops of JXBmp565.cpp and
// JXBmp32.cpp.
#pragma once

#include "wce/types.h"

// (d * wd + s * ws) >> Shift per 565 channel (wd + ws <= 2^Shift).
template <unsigned Shift>
inline WORD Jx565WeighPixel(unsigned d, unsigned s, unsigned wd, unsigned ws)
{
    unsigned r = ((d >> 11) * wd + (s >> 11) * ws) >> Shift;
    unsigned g = (((d >> 5) & 63) * wd + ((s >> 5) & 63) * ws) >> Shift;
    unsigned b = ((d & 31) * wd + (s & 31) * ws) >> Shift;
    return static_cast<WORD>((r << 11) | (g << 5) | b);
}

// The premultiplied source over d with the plane's alpha a (0 keeps d, 63 and above take s).
inline WORD Jx565BlendAlphaPixel(unsigned d, unsigned s, unsigned a)
{
    if (0 == a) return static_cast<WORD>(d);
    unsigned w = a < 63 ? 63 - a : 0;
    unsigned rb = ((d & 0xF81F) * w >> 6) & 0xF81F, g = ((d & 0x07E0) * w >> 6) & 0x07E0;
    return static_cast<WORD>((rb | g) + s);
}

// (d * wd + s * ws) >> Shift per 32-bit group, d's alpha byte kept (wd + ws <= 256).
template <unsigned Shift>
inline DWORD Jx32WeighPixel(DWORD d, DWORD s, DWORD wd, DWORD ws)
{
    DWORD rb = (((d & 0x00FF00FF) * wd + (s & 0x00FF00FF) * ws) >> Shift) & 0x00FF00FF;
    DWORD g = (((d & 0x0000FF00) * wd + (s & 0x0000FF00) * ws) >> Shift) & 0x0000FF00;
    return (d & 0xFF000000) | rb | g;
}

// The premultiplied source over d with the source's own alpha.
inline DWORD Jx32BlendAlphaPixel(DWORD d, DWORD s)
{
    DWORD w = 255 - (s >> 24);
    DWORD scaled = (d & 0xFF000000) | ((((d & 0x00FF00FF) * w) >> 8) & 0x00FF00FF) | ((((d & 0x0000FF00) * w) >> 8) & 0x0000FF00);
    return scaled + (s & 0x00FFFFFF);
}
