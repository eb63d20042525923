#include "WceUiXml.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <unordered_set>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "JXCheck.h"
#include "JXGlobalData.h"
#include "JXList.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "JxFile.h"
#include "QuickString.h"
#include "WceUiCommon.h"
#include "WceUiXmlPrivate.h"
#include "wce/wstring.h"

// Loading: reading the file, resolving "#include_xml" lines, parsing.

namespace {

const WCHAR kIncludeKeyword[] = u"#include_xml";
const int kIncludeKeywordLength = 12;
const int kMaxIncludeNameLength = 258;
const size_t kMaxTextUnits = 0x7FFFFFFE;

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

// The length of a terminated text, eight units at a time: a document is a long text. An
// aligned 16-byte load never crosses into another page, so reading past the terminator inside
// the last block is safe, though the address sanitizer cannot see that.
#if defined(__SSE2__)
__attribute__((no_sanitize_address)) size_t TextLength(LPCWSTR p)
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
size_t TextLength(LPCWSTR p) { return WStrLen(p); }
#endif

// The first occurrence of the nNeedle units of pNeedle in [p, pEnd), or null.
LPWSTR FindText(LPWSTR p, LPWSTR pEnd, LPCWSTR pReadEnd, LPCWSTR pNeedle, int nNeedle)
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

// Little-endian UTF-16 units from bytes that need not be aligned. Returns the number of
// units before the first NUL (the length of the text they hold).
size_t CopyUnits(WCHAR* pDest, const BYTE* pBytes, size_t nUnits)
{
    size_t nText = nUnits;
    for (size_t i = 0; i < nUnits; ++i) {
        pDest[i] = static_cast<WCHAR>(pBytes[2 * i] | (pBytes[2 * i + 1] << 8));
        if (0 == pDest[i] && nText == nUnits) nText = i;
    }
    return nText;
}

// The syntax errors, in one table: the code the log names (as it has always been written)
// and what it means.
enum {
    XML_SYNTAX_SHORT_TAG,       // 001
    XML_SYNTAX_SHORT_COMMENT,   // 002
    XML_SYNTAX_BAD_COMMENT,     // 003
    XML_SYNTAX_OPEN_COMMENT,    // 004
    XML_SYNTAX_SHORT_DECLARE,   // 006
    XML_SYNTAX_BAD_DECLARE,     // 007
    XML_SYNTAX_OPEN_DECLARE,    // 008
    XML_SYNTAX_BAD_TAG,         // 009
    XML_SYNTAX_TEXT,            // 010
    XML_SYNTAX_OPEN_ELEMENTS,   // 011
    XML_SYNTAX_NO_GT,           // 012
    XML_SYNTAX_NO_NAME,         // 013
    XML_SYNTAX_EQUAL_IN_NAME,   // 014
    XML_SYNTAX_BAD_ATTRIBUTE,   // 015
    XML_SYNTAX_SECOND_ROOT,     // 016
    XML_SYNTAX_TOO_DEEP,        // 017
    XML_SYNTAX_END_AFTER_TAG,   // 018
    XML_SYNTAX_EMPTY_NO_NAME,   // 019
    XML_SYNTAX_EMPTY_EQUAL,     // 020
    XML_SYNTAX_EMPTY_BAD_ATTR,  // 021
    XML_SYNTAX_EMPTY_SECOND,    // 022
    XML_SYNTAX_CLOSE_NO_NAME,   // 023
    XML_SYNTAX_CLOSE_NOTHING,   // 024
    XML_SYNTAX_CLOSE_MISMATCH,  // 025
    XML_SYNTAX_CLOSE_EMPTY,     // 026
    XML_SYNTAX_NO_VALUE,        // 027
    XML_SYNTAX_OPEN_VALUE,      // 028
    XML_SYNTAX_SAME_ATTRIBUTE,  // 029
    XML_SYNTAX_NOT_LOADED,      // 030
    XML_SYNTAX_COUNT
};

struct CXmlSyntaxCode {
    LPCWSTR pLogged;   // the code as the log writes it
    LPCWSTR pMeaning;
};

const CXmlSyntaxCode kSyntaxCodes[XML_SYNTAX_COUNT] = {
    {u"001", u"a tag is cut off by the end of the text"},
    {u"002", u"a comment is cut off by the end of the text"},
    {u"003", u"\"<!\" does not start a comment \"<!--\""},
    {u"004", u"a comment has no \"-->\""},
    {u"006", u"a declaration is cut off by the end of the text"},
    {u"007", u"\"<?\" does not start \"<?xml\""},
    {u"008", u"a declaration has no \"?>\""},
    {u"009", u"a tag is malformed"},
    {u"010,attention:<a><x></x>err</a> is not supported", u"text outside a tag (elements carry no text)"},
    {u"011", u"the text ends with elements still open"},
    {u"012", u"a tag has no '>'"},
    {u"013", u"a start tag has no name"},
    {u"014", u"a tag name holds '='"},
    {u"015", u"an attribute is malformed"},
    {u"016", u"a second root element"},
    {u"017", u"elements nested deeper than 32 levels"},
    {u"018", u"the text ends after a start tag"},
    {u"019", u"an empty-element tag has no name"},
    {u"020", u"an empty-element tag name holds '='"},
    {u"021", u"an attribute of an empty-element tag is malformed"},
    {u"022", u"a second root element"},
    {u"023", u"an end tag has no name"},
    {u"024", u"an end tag closes no element"},
    {u"025", u"an end tag does not match the open element"},
    {u"026", u"a tag is both an end tag and empty"},
    {u"027", u"an attribute has no value"},
    {u"028", u"an attribute value has no closing quote"},
    {u"029", u"an attribute is given twice"},
    {u"030", u"the document does not load"},
};

// One piece of the text that results from resolving includes.
struct CIncludePiece {
    const WCHAR* pText;  // a part of the loaded text, or null
    const BYTE* pBytes;  // or the units of an included file (owned)
    size_t nUnits;
};

}  // namespace

BOOL CWceUiXmlDoc::SyntaxError(LPCWSTR pFunction, int nCode, LPCWSTR pAt)
{
    JxWriteLogW(JX_LOG_ERROR, u"%s::%s, (%s) syntax error %s", kXmlDocClass, pFunction, m_strPath,
                kSyntaxCodes[nCode].pLogged);
    if (0 == m_nSyntaxLine && NULL != pAt && NULL != m_pMemXmlStr) {
        // Names ended by the parser may have overwritten line feeds: those were counted as
        // they went (NoteEndWritten).
        // The name just ended may lie behind pAt; any earlier one lies before it.
        int nLost = m_nLostLineFeeds;
        LPCWSTR pLost = m_pLastLostLineFeed;
        if (pLost && pLost >= pAt) {
            --nLost;
            pLost = m_pPrevLostLineFeed;
        }
        int nLine = 1 + nLost;
        LPCWSTR pLineStart = pLost ? pLost + 1 : m_pMemXmlStr;
        for (LPCWSTR p = m_pMemXmlStr; p < pAt; ++p) {
            if (u'\n' != *p) continue;
            ++nLine;
            if (p + 1 > pLineStart) pLineStart = p + 1;
        }
        m_nSyntaxLine = nLine;
        m_nSyntaxColumn = static_cast<int>(pAt - pLineStart) + 1;
        m_nSyntaxCode = nCode;
    }
    return FALSE;
}

void CWceUiXmlDoc::NoteLostLineFeed(LPCWSTR p)
{
    ++m_nLostLineFeeds;
    m_pPrevLostLineFeed = m_pLastLostLineFeed;
    m_pLastLostLineFeed = p;
}

BOOL CWceUiXmlDoc::GetFirstSyntaxError(int* pnLine, int* pnColumn, LPCWSTR* ppCode, LPCWSTR* ppMeaning) const
{
    if (0 == m_nSyntaxLine) return FALSE;
    if (pnLine) *pnLine = m_nSyntaxLine;
    if (pnColumn) *pnColumn = m_nSyntaxColumn;
    if (ppCode) *ppCode = kSyntaxCodes[m_nSyntaxCode].pLogged;
    if (ppMeaning) *ppMeaning = kSyntaxCodes[m_nSyntaxCode].pMeaning;
    return TRUE;
}

void CWceUiXmlDoc::ForgetSyntaxError()
{
    m_nSyntaxLine = 0;
    m_nSyntaxColumn = 0;
    m_nSyntaxCode = 0;
    m_nLostLineFeeds = 0;
    m_pLastLostLineFeed = NULL;
    m_pPrevLostLineFeed = NULL;
}

// A loaded document is left as it is; m_strPath holds MAX_PATH characters.
BOOL CWceUiXmlDoc::CanLoadFile(LPCWSTR pPath) const
{
    if (m_bLoaded) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, can not load %s, call clean first", kXmlDocClass, pPath);
        return FALSE;
    }
    if (WStrLen(pPath) >= MAX_PATH) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the path is longer than %d characters: %.64s", kXmlDocClass,
                    MAX_PATH - 1, pPath);
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiXmlDoc::LoadXmlFile(LPCWSTR pPath, BOOL bKeepComment)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::LoadXmlFile", NULL != pPath)) return FALSE;
    if (!CanLoadFile(pPath)) return FALSE;
    DWORD nSize = 0;
    BYTE* pData = WceUiReadFile(pPath, &nSize, WceUiGetPackPassword());
    if (NULL == pData) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, WceUiReadFile %s fail", kXmlDocClass, pPath);
        return FALSE;
    }
    BOOL bLoaded = LoadXmlData(pData, nSize, pPath, bKeepComment);
    delete[] pData;
    return bLoaded;
}

BOOL CWceUiXmlDoc::LoadXmlData(const BYTE* pData, DWORD nSize, LPCWSTR pPath, BOOL bKeepComment)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::LoadXmlData", NULL != pPath)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlDoc::LoadXmlData", NULL != pData || 0 == nSize)) return FALSE;
    if (!CanLoadFile(pPath)) return FALSE;
    if (nSize < 4) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the length of %s is less than 4", kXmlDocClass, pPath);
        return FALSE;
    }
    if (nSize & 1) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the length of %s is odd number, not a UNICODE file", kXmlDocClass,
                    pPath);
        return FALSE;
    }
    if (0xFF != pData[0] || 0xFE != pData[1]) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, %s is not a UNICODE file", kXmlDocClass, pPath);
        return FALSE;
    }

    Clean();
    ForgetSyntaxError();
    size_t nUnits = (nSize - 2) / 2;
    // m_nMemXmlStr counts the units in an int.
    m_pMemXmlStr = nUnits < kMaxTextUnits ? new (std::nothrow) WCHAR[nUnits + 1] : NULL;
    if (NULL == m_pMemXmlStr) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, out of memory for %s", kXmlDocClass, pPath);
        return FALSE;
    }
    size_t nLength = CopyUnits(m_pMemXmlStr, pData + 2, nUnits);
    m_pMemXmlStr[nUnits] = 0;
    m_nMemXmlStr = static_cast<int>(nUnits + 1);
    WStrCopy(m_strPath, MAX_PATH, pPath);

    if (!ResolveIncludes(nLength)) {
        Clean();
        return FALSE;
    }
    m_bKeepComment = bKeepComment;
    nLength = TrimTrailingSpace(nLength);
    if (!ParseXml(nLength)) {
        SyntaxError(u"LoadXmlFile", XML_SYNTAX_NOT_LOADED, NULL);
        Clean();
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

BOOL CWceUiXmlDoc::LoadXmlStr(LPCWSTR pXmlStr, BOOL bKeepComment)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::LoadXmlStr", NULL != pXmlStr)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlDoc::LoadXmlStr", 0 != pXmlStr[0])) return FALSE;
    if (m_bLoaded) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlStr fail, please call Clean first", kXmlDocClass);
        return FALSE;
    }
    Clean();
    ForgetSyntaxError();
    size_t nLength = TextLength(pXmlStr);
    m_pMemXmlStr = nLength < kMaxTextUnits ? new (std::nothrow) WCHAR[nLength + 1] : NULL;
    if (NULL == m_pMemXmlStr) return FALSE;
    memcpy(m_pMemXmlStr, pXmlStr, (nLength + 1) * sizeof(WCHAR));
    m_nMemXmlStr = static_cast<int>(nLength + 1);
    m_bKeepComment = bKeepComment;
    if (!ParseXml(nLength)) {
        Clean();
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

size_t CWceUiXmlDoc::TrimTrailingSpace(size_t nLength)
{
    while (nLength > 0 && IsXmlSpace(m_pMemXmlStr[nLength - 1])) m_pMemXmlStr[--nLength] = 0;
    return nLength;
}

BYTE* CWceUiXmlDoc::ReadIncludeFile(LPCWSTR pPath, DWORD* pdwSize)
{
    *pdwSize = 0;
    DWORD nSize = 0;
    BYTE* pData = WceUiReadFile(pPath, &nSize, WceUiGetPackPassword());
    if (NULL == pData) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, WceUiReadFile %s fail", kXmlDocClass, pPath);
        return NULL;
    }
    if (0 != nSize) {
        if (nSize & 1) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, %s is not a UNICODE file 1", kXmlDocClass, pPath);
            delete[] pData;
            return NULL;
        }
        if (0xFF != pData[0] || 0xFE != pData[1]) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile,%s is not a UNICODE file 2", kXmlDocClass, pPath);
            delete[] pData;
            return NULL;
        }
    }
    *pdwSize = nSize;
    return pData;
}

// Line-based, before parsing: a line "#include_xml "name"" (only spaces, TABs or CRs before
// it) is replaced by the text of that file. Included text is not searched again.
BOOL CWceUiXmlDoc::ResolveIncludes(size_t& nLength)
{
    LPWSTR pText = m_pMemXmlStr;
    LPWSTR pEnd = pText + nLength;
    JXList<CIncludePiece> pieces;
    size_t nTotal = 0;
    size_t nAllocated = 0;
    BOOL bIncluded = FALSE;
    BOOL bFailed = FALSE;

    // The directory of the document, against which included names resolve.
    CQuickString strDir;
    JxGetDirPathFromFilePath(strDir, m_strPath);

    LPWSTR pSegmentStart = pText;
    LPWSTR pSearch = pText;
    while (!bFailed) {
        LPWSTR pHit = FindText(pSearch, pEnd, m_pMemXmlStr + m_nMemXmlStr, kIncludeKeyword, kIncludeKeywordLength);
        if (NULL == pHit) break;

        // Only spaces, TABs and CRs may stand before it on its line. The walk back stops at
        // the first other character, so a long line of keywords costs no more than its length.
        LPWSTR pLineStart = pHit;
        while (pLineStart > pText && (u' ' == pLineStart[-1] || u'\t' == pLineStart[-1] || u'\r' == pLineStart[-1]))
            --pLineStart;
        BOOL bDirective = pLineStart == pText || u'\n' == pLineStart[-1];

        LPWSTR p = pHit + kIncludeKeywordLength;
        LPWSTR pName = NULL;
        LPWSTR pNameEnd = NULL;
        LPWSTR pLineNext = NULL;
        if (bDirective) {
            while (p < pEnd && (u' ' == *p || u'\t' == *p)) ++p;
            bDirective = p < pEnd && u'"' == *p;
        }
        if (bDirective) {
            pName = ++p;
            while (p < pEnd && u'"' != *p && u'\r' != *p && u'\n' != *p) ++p;
            pNameEnd = p;
            bDirective = p < pEnd && u'"' == *p && pNameEnd > pName && pNameEnd - pName <= kMaxIncludeNameLength;
        }
        if (bDirective) {
            ++p;
            while (p < pEnd && (u' ' == *p || u'\t' == *p)) ++p;
            if (p == pEnd) pLineNext = pEnd;
            else if (u'\n' == *p) pLineNext = p + 1;
            else if (u'\r' == *p && p + 1 < pEnd && u'\n' == p[1]) pLineNext = p + 2;
            else bDirective = FALSE;
        }
        if (!bDirective) {
            pSearch = pHit + 1;
            continue;
        }

        CQuickString strName(pName, static_cast<int>(pNameEnd - pName));
        CQuickString strIncludePath;
        DWORD nSize = 0;
        BYTE* pData = NULL;
        if (JxGetRealPath(strIncludePath, strName, strDir)) pData = ReadIncludeFile(strIncludePath, &nSize);
        else JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, WceUiReadFile %s fail", kXmlDocClass, strName.GetString());
        if (NULL == pData) {
            bFailed = TRUE;
            break;
        }
        pSearch = pLineNext;
        if (0 == nSize) {
            // An empty file contributes nothing, and its directive line stays.
            delete[] pData;
            continue;
        }
        CIncludePiece before = {pSegmentStart, NULL, static_cast<size_t>(pLineStart - pSegmentStart)};
        CIncludePiece included = {NULL, pData, (nSize - 2) / 2};
        if (NULL == pieces.AddTail(before) || NULL == pieces.AddTail(included)) {
            delete[] pData;
            bFailed = TRUE;
            break;
        }
        nTotal += before.nUnits + included.nUnits;
        pSegmentStart = pLineNext;
        bIncluded = TRUE;
    }

    LPWSTR pJoined = NULL;
    if (!bFailed && bIncluded) {
        CIncludePiece after = {pSegmentStart, NULL, static_cast<size_t>(pEnd - pSegmentStart)};
        nTotal += after.nUnits;
        nAllocated = nTotal + 1;
        pJoined = nTotal < kMaxTextUnits && pieces.AddTail(after) ? new (std::nothrow) WCHAR[nAllocated] : NULL;
        if (NULL == pJoined) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, out of memory for %s", kXmlDocClass, m_strPath);
            bFailed = TRUE;
        } else {
            size_t nAt = 0;
            for (JXPOSITION pos = pieces.GetHeadPosition(); pos;) {
                const CIncludePiece& piece = pieces.GetNext(pos);
                if (piece.pText) memcpy(pJoined + nAt, piece.pText, piece.nUnits * sizeof(WCHAR));
                else CopyUnits(pJoined + nAt, piece.pBytes + 2, piece.nUnits);
                nAt += piece.nUnits;
            }
            pJoined[nAt] = 0;
            // An included file may hold a NUL: the text ends there, as it would anywhere.
            nTotal = WStrLen(pJoined);
        }
    }
    for (JXPOSITION pos = pieces.GetHeadPosition(); pos;) delete[] pieces.GetNext(pos).pBytes;
    if (bFailed) return FALSE;
    if (pJoined) {
        delete[] m_pMemXmlStr;
        m_pMemXmlStr = pJoined;
        m_nMemXmlStr = static_cast<int>(nAllocated);
        nLength = nTotal;
    }
    return TRUE;
}

// The text is the nLength units at m_pMemXmlStr (up to its first NUL). Every scan is
// bounded by that end, not by the NULs the parser writes behind itself.
BOOL CWceUiXmlDoc::ParseXml(size_t nLength)
{
    static const WCHAR kFunction[] = u"ParseXml";
    m_nStack = 0;
    m_pRootElem = NULL;
    LPWSTR p = m_pMemXmlStr;
    LPWSTR pEnd = p + nLength;
    LPCWSTR pReadEnd = m_pMemXmlStr + m_nMemXmlStr;
    BOOL bParsed = FALSE;
    for (;;) {
        p = SkipSpaces(p, pEnd, pReadEnd);
        if (p >= pEnd) {
            bParsed = 0 == m_nStack || SyntaxError(kFunction, XML_SYNTAX_OPEN_ELEMENTS, p);
            break;
        }
        if (u'<' != *p) {
            SyntaxError(kFunction, XML_SYNTAX_TEXT, p);
            break;
        }
        if (pEnd - p < 4) {
            SyntaxError(kFunction, XML_SYNTAX_SHORT_TAG, p);
            break;
        }
        if (u'!' == p[1]) {
            if (pEnd - p < 7) {
                SyntaxError(kFunction, XML_SYNTAX_SHORT_COMMENT, p);
                break;
            }
            if (u'-' != p[2] || u'-' != p[3]) {
                SyntaxError(kFunction, XML_SYNTAX_BAD_COMMENT, p);
                break;
            }
            LPWSTR pClose = FindText(p + 4, pEnd, pReadEnd, u"-->", 3);
            if (NULL == pClose) {
                SyntaxError(kFunction, XML_SYNTAX_OPEN_COMMENT, p);
                break;
            }
            if (m_bKeepComment && !AppendRawItem(XML_ELEM_COMMENT, p, pClose + 2)) break;
            p = pClose + 3;
        } else if (u'?' == p[1]) {
            if (pEnd - p < 7) {
                SyntaxError(kFunction, XML_SYNTAX_SHORT_DECLARE, p);
                break;
            }
            if (u'x' != p[2] || u'm' != p[3] || u'l' != p[4]) {
                SyntaxError(kFunction, XML_SYNTAX_BAD_DECLARE, p);
                break;
            }
            LPWSTR pClose = FindText(p + 5, pEnd, pReadEnd, u"?>", 2);
            if (NULL == pClose) {
                SyntaxError(kFunction, XML_SYNTAX_OPEN_DECLARE, p);
                break;
            }
            if (!AppendRawItem(XML_ELEM_DECLARE, p, pClose + 1)) break;
            p = pClose + 2;
        } else if (!ParseXmlTag(p, pEnd, p)) {
            SyntaxError(kFunction, XML_SYNTAX_BAD_TAG, p);
            break;
        }
    }
    if (!bParsed) DeleteAllItems();
    m_nStack = 0;
    return bParsed;
}

BOOL CWceUiXmlDoc::AppendRawItem(int nType, LPWSTR pStart, LPWSTR pEnd)
{
    DWORD nItem = 0;
    CWceUiXmlElem* pItem = NewItem(nType, &nItem);
    if (NULL == pItem) return FALSE;
    pItem->m_pText = pStart;
    pItem->m_pRawEnd = pEnd;
    LinkItem(nItem, pItem, 0);
    return TRUE;
}

BOOL CWceUiXmlDoc::ParseXmlTag(LPWSTR pTag, LPWSTR pEnd, LPWSTR& pNext)
{
    static const WCHAR kFunction[] = u"ParseXmlTag";
    LPCWSTR pReadEnd = m_pMemXmlStr + m_nMemXmlStr;
    // The tag ends at the first '>': a value can never hold one.
    LPWSTR pGt = FindUnit(pTag + 1, pEnd, pReadEnd, u'>');
    if (pGt >= pEnd) return SyntaxError(kFunction, XML_SYNTAX_NO_GT, pTag);
    const BOOL bClosing = u'/' == pTag[1];
    const BOOL bSelfClosing = u'/' == pGt[-1];
    if (bClosing && bSelfClosing) return SyntaxError(kFunction, XML_SYNTAX_CLOSE_EMPTY, pTag);

    if (bClosing) {
        LPWSTR pName = pTag + 2;
        LPWSTR pNameEnd = pName;
        while (pNameEnd < pGt && !IsXmlSpace(*pNameEnd)) ++pNameEnd;
        if (pNameEnd == pName) return SyntaxError(kFunction, XML_SYNTAX_CLOSE_NO_NAME, pTag);
        if (0 == m_nStack) return SyntaxError(kFunction, XML_SYNTAX_CLOSE_NOTHING, pTag);
        LPCWSTR pOpenName = m_Stack[--m_nStack].pTagName;
        size_t nLength = static_cast<size_t>(pNameEnd - pName);
        if (!NameEquals(pOpenName, pName, nLength)) return SyntaxError(kFunction, XML_SYNTAX_CLOSE_MISMATCH, pName);
        pNext = pGt + 1;
        return TRUE;
    }

    LPWSTR pContentEnd = bSelfClosing ? pGt - 1 : pGt;
    LPWSTR pName = pTag + 1;
    // The name runs to the first space; an '=' before that lies inside it.
    LPWSTR pNameEnd = FindNameEnd(pName, pContentEnd, pReadEnd);
    if (pNameEnd < pContentEnd && u'=' == *pNameEnd)
        return SyntaxError(kFunction, bSelfClosing ? XML_SYNTAX_EMPTY_EQUAL : XML_SYNTAX_EQUAL_IN_NAME, pNameEnd);
    if (pNameEnd == pName)
        return SyntaxError(kFunction, bSelfClosing ? XML_SYNTAX_EMPTY_NO_NAME : XML_SYNTAX_NO_NAME, pTag);

    DWORD nElem = 0;
    CWceUiXmlElem* pElem = NewItem(XML_ELEM_NODE, &nElem);
    if (NULL == pElem) return FALSE;
    LinkItem(nElem, pElem, 0);
    pElem->m_pText = pName;
    if (pNameEnd < pContentEnd && !HandleXmlTagContent(pElem, pNameEnd + 1, pContentEnd))
        return SyntaxError(kFunction, bSelfClosing ? XML_SYNTAX_EMPTY_BAD_ATTR : XML_SYNTAX_BAD_ATTRIBUTE,
                           pNameEnd + 1);
    EndNameAt(pNameEnd);  // a space, the '/' or the '>': all read already

    if (0 == m_nStack) {
        if (m_pRootElem)
            return SyntaxError(kFunction, bSelfClosing ? XML_SYNTAX_EMPTY_SECOND : XML_SYNTAX_SECOND_ROOT, pTag);
        m_pRootElem = pElem;
    } else {
        const CStackEntry& parent = m_Stack[m_nStack - 1];
        pElem->m_nLevel = static_cast<BYTE>(parent.pElem->m_nLevel + 1);
        LinkChild(parent.pElem, parent.nElem, nElem, pElem, 0);
    }
    if (bSelfClosing) {
        pNext = pGt + 1;
        return TRUE;
    }

    if (m_nStack >= MAX_STACK) return SyntaxError(kFunction, XML_SYNTAX_TOO_DEEP, pTag);
    m_Stack[m_nStack].pElem = pElem;
    m_Stack[m_nStack].pTagName = pName;
    m_Stack[m_nStack].nElem = nElem;
    ++m_nStack;
    // Elements carry no text: whatever stands before the next tag is skipped.
    LPWSTR p = FindUnit(pGt + 1, pEnd, pReadEnd, u'<');
    if (p >= pEnd) return SyntaxError(kFunction, XML_SYNTAX_END_AFTER_TAG, pTag);
    pNext = p;
    return TRUE;
}

namespace {

// A name as NameEquals compares it: every unit folded.
std::u16string FoldedName(LPCWSTR pName)
{
    std::u16string folded;
    for (; *pName; ++pName) folded.push_back(FoldNameUnit(*pName));
    return folded;
}

// Adds pName to the set of an element's folded names (filled from its nCount attributes on
// first use): 1 when it is new, 0 when the element has it already, -1 without memory.
int AddFoldedName(std::unordered_set<std::u16string>& names, const CWceUiXmlAttr* pAttrs, int nCount, LPCWSTR pName)
{
    try {
        if (names.empty())
            for (int i = 0; i < nCount; ++i) names.insert(FoldedName(pAttrs[i].GetName()));
        return names.insert(FoldedName(pName)).second ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

}  // namespace

BOOL CWceUiXmlDoc::HandleXmlTagContent(CWceUiXmlElem* pElem, LPWSTR p, LPWSTR pEnd)
{
    static const WCHAR kFunction[] = u"HandleXmlTagContent";
    LPCWSTR pReadEnd = m_pMemXmlStr + m_nMemXmlStr;
    // A bit per (first unit, length) of the names so far: names that differ there cannot be
    // the same, so most attributes need no comparison with the others.
    unsigned long long nNameBits = 0;
    // Past kFewAttrs the bits say little; the folded names of a bigger tag go into a set, so
    // that a crafted tag of very many look-alike names still parses in linear time.
    const int kFewAttrs = 64;
    std::unordered_set<std::u16string> names;
    for (;;) {
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd) return TRUE;

        LPWSTR pName = p;
        p = FindNameEnd(p, pEnd, pReadEnd);
        LPWSTR pNameEnd = p;
        if (pNameEnd == pName) return FALSE;
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd || u'=' != *p) return FALSE;
        ++p;
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd) return SyntaxError(kFunction, XML_SYNTAX_NO_VALUE, p);
        const WCHAR quote = *p;
        // '"' or '\'', tested as one bit: documents mix them at random.
        const unsigned nQuote = static_cast<unsigned>(quote) - u'"';
        if (nQuote > 5 || 0 == ((0x21u >> nQuote) & 1)) return FALSE;
        LPWSTR pValue = ++p;
        p = FindUnit(p, pEnd, pReadEnd, quote);
        if (p >= pEnd) return SyntaxError(kFunction, XML_SYNTAX_OPEN_VALUE, pValue - 1);
        EndNameAt(pNameEnd);
        *p++ = 0;

        const int nCount = pElem->m_nAttrCount;
        const unsigned long long nBit =
            1ull << ((FoldNameUnit(*pName) * 7u + static_cast<unsigned>(pNameEnd - pName)) & 63);
        if (nCount >= kFewAttrs) {
            const int nNew = AddFoldedName(names, pElem->m_pAttrs, nCount, pName);
            if (nNew < 0) return FALSE;
            if (0 == nNew) return SyntaxError(kFunction, XML_SYNTAX_SAME_ATTRIBUTE, pName);
        } else if (nNameBits & nBit) {
            for (int i = 0; i < nCount; ++i)
                if (NameEquals(pElem->m_pAttrs[i].pName, pName))
                    return SyntaxError(kFunction, XML_SYNTAX_SAME_ATTRIBUTE, pName);
        }
        nNameBits |= nBit;
        // An element's attributes lie side by side, as many as it has.
        void* pRun = nCount ? m_AttrArena.Grow(pElem->m_pAttrs, nCount * sizeof(CWceUiXmlAttr), sizeof(CWceUiXmlAttr))
                            : m_AttrArena.Alloc(sizeof(CWceUiXmlAttr));
        if (NULL == pRun) return FALSE;
        CWceUiXmlAttr* pAttrs = static_cast<CWceUiXmlAttr*>(pRun);
        pAttrs[nCount].pName = pName;
        pAttrs[nCount].pValue = pValue;
        pElem->m_pAttrs = pAttrs;
        pElem->m_nAttrCount = nCount + 1;
    }
}
