// Scanning the document's text: the loops the parser and the include resolver run over
// every unit, written for blocks of units where the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "wce/types.h"

namespace wceui {

inline bool IsXmlSpace(WCHAR c) { return u' ' == c || u'\r' == c || u'\n' == c || u'\t' == c; }

// Scans over the document's buffer. Tags, names and values run to some units each, and a
// loop that stops after an unpredictable number of units costs a mispredicted branch at
// its end: blocks of eight units are tested at once instead. A block may be read past the
// end of the scan (not past pReadEnd, the end of the buffer); what lies behind pEnd is
// dropped from its mask.
#if defined(__SSE2__)
inline __m128i LoadUnits(LPCWSTR p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

inline __m128i SpaceUnits(__m128i units)
{
    __m128i spaces = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u' ')),
                                  _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\n')));
    __m128i controls = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'\r')),
                                    _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\t')));
    return _mm_or_si128(spaces, controls);
}

// Two mask bits per unit (from the 16-bit compares), sixteen units a step: most names and
// values end within the first.
template <typename BlockTest>
inline LPWSTR ScanBlocks(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd, BlockTest test, bool& bDone)
{
    bDone = true;
    while (pReadEnd - p >= 16) {
        std::ptrdiff_t nLeft = pEnd - p;
        if (nLeft <= 0) return pEnd;
        std::uint32_t nMask = static_cast<std::uint32_t>(_mm_movemask_epi8(test(LoadUnits(p)))) |
                              static_cast<std::uint32_t>(_mm_movemask_epi8(test(LoadUnits(p + 8)))) << 16;
        if (nLeft < 16) nMask &= (1u << (2 * nLeft)) - 1;
        if (nMask) return p + (__builtin_ctz(nMask) >> 1);
        if (nLeft <= 16) return pEnd;
        p += 16;
    }
    bDone = false;  // too near the end of the buffer: the caller goes on unit by unit
    return p;
}
#endif

// The first c in [p, pEnd), or pEnd.
inline LPWSTR FindUnit(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd, WCHAR c)
{
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
    bool bDone;
    p = ScanBlocks(p, pEnd, pReadEnd, [wanted](__m128i units) { return _mm_cmpeq_epi16(units, wanted); }, bDone);
    if (bDone) return p;
#else
    (void)pReadEnd;
#endif
    while (p < pEnd && c != *p) ++p;
    return p;
}

// The first '=' or space in [p, pEnd), or pEnd: where a tag or attribute name ends.
inline LPWSTR FindNameEnd(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd)
{
#if defined(__SSE2__)
    bool bDone;
    p = ScanBlocks(
        p, pEnd, pReadEnd,
        [](__m128i units) { return _mm_or_si128(SpaceUnits(units), _mm_cmpeq_epi16(units, _mm_set1_epi16(u'='))); },
        bDone);
    if (bDone) return p;
#else
    (void)pReadEnd;
#endif
    while (p < pEnd && u'=' != *p && !IsXmlSpace(*p)) ++p;
    return p;
}

// The first unit in [p, pEnd) that is no space, or pEnd.
inline LPWSTR SkipSpaces(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd)
{
#if defined(__SSE2__)
    bool bDone;
    p = ScanBlocks(
        p, pEnd, pReadEnd, [](__m128i units) { return _mm_xor_si128(SpaceUnits(units), _mm_set1_epi16(-1)); },
        bDone);
    if (bDone) return p;
#else
    (void)pReadEnd;
#endif
    while (p < pEnd && IsXmlSpace(*p)) ++p;
    return p;
}

// The length of a terminated text (WceUiXmlScan.cpp).
size_t TextLength(LPCWSTR p);
// The first occurrence of the nNeedle units of pNeedle in [p, pEnd), or null.
LPWSTR FindText(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd, LPCWSTR pNeedle, int nNeedle);
// Little-endian UTF-16 units from bytes that need not be aligned. Returns the number of
// units before the first NUL (the length of the text they hold).
size_t CopyUnits(WCHAR* pDest, const BYTE* pBytes, size_t nUnits);

}  // namespace wceui
