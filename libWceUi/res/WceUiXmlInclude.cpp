// Resolving "#include_xml" lines, before parsing: each such line is replaced by the text of
// the file it names, read as the document was.
#include "WceUiXml.h"

#include <cstring>
#include <new>

#include "JXList.h"
#include "JXPath.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "JxFile.h"
#include "QuickString.h"
#include "WceUiCommon.h"
#include "WceUiXmlPrivate.h"
#include "WceUiXmlScan.h"
#include "wce/wstring.h"

namespace {

using wceui::CopyUnits;
using wceui::FindText;

const WCHAR kIncludeKeyword[] = u"#include_xml";
const int kIncludeKeywordLength = 12;
const int kMaxIncludeNameLength = 258;

// One piece of the text that results from resolving includes.
struct CIncludePiece {
    const WCHAR* pText;  // a part of the loaded text, or null
    const BYTE* pBytes;  // or the units of an included file (owned)
    size_t nUnits;
};

}  // namespace

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
