// The scans that run once per text (its length, a keyword, the units of a file); the ones
// the parser runs per name and value are inline in WceUiXmlScan.h.
#include "WceUiXmlScan.h"

#include "wce/wstring.h"

// The length of a terminated text, eight units at a time: a document is a long text. An
// aligned 16-byte load never crosses into another page, so reading past the terminator inside
// the last block is safe, though the address sanitizer cannot see that.
#if defined(__SSE2__)
__attribute__((no_sanitize_address)) size_t wceui::TextLength(LPCWSTR p)
{
    const std::uintptr_t nAddress = reinterpret_cast<std::uintptr_t>(p);
    if (nAddress & 1) return WStrLen(p);
    const __m128i zero = _mm_setzero_si128();
    const BYTE* pBlock = reinterpret_cast<const BYTE*>(nAddress & ~static_cast<std::uintptr_t>(15));
    unsigned nMask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(pBlock)), zero)));
    nMask &= ~0u << (nAddress & 15);  // units before p do not count
    while (0 == nMask) {
        pBlock += 16;
        nMask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(pBlock)), zero)));
    }
    return static_cast<size_t>(pBlock + __builtin_ctz(nMask) - reinterpret_cast<const BYTE*>(p)) / sizeof(WCHAR);
}
#else
size_t wceui::TextLength(LPCWSTR p) { return WStrLen(p); }
#endif

LPWSTR wceui::FindText(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd, LPCWSTR pNeedle, int nNeedle)
{
    for (; pEnd - p >= nNeedle; ++p) {
        p = FindUnit(p, pEnd - nNeedle + 1, pReadEnd, pNeedle[0]);
        if (pEnd - p < nNeedle) break;
        int i = 1;
        while (i < nNeedle && p[i] == pNeedle[i]) ++i;
        if (i == nNeedle) return p;
    }
    return NULL;
}

size_t wceui::CopyUnits(WCHAR* pDest, const BYTE* pBytes, size_t nUnits)
{
    size_t nText = nUnits;
    for (size_t i = 0; i < nUnits; ++i) {
        pDest[i] = static_cast<WCHAR>(pBytes[2 * i] | (pBytes[2 * i + 1] << 8));
        if (0 == pDest[i] && nText == nUnits) nText = i;
    }
    return nText;
}
