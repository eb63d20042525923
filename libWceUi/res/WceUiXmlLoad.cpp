#include "WceUiXml.h"

#include <cstring>
#include <new>
#include <string>
#include <unordered_set>

#include "JXCheck.h"
#include "JXGlobalData.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "JxFile.h"
#include "WceUiCommon.h"
#include "WceUiXmlPrivate.h"
#include "WceUiXmlScan.h"
#include "wce/wstring.h"

// Loading: reading the file and parsing it. The "#include_xml" lines are resolved in
// WceUiXmlInclude.cpp, the scanners are in WceUiXmlScan.h.

namespace {

using wceui::CopyUnits;
using wceui::FindNameEnd;
using wceui::FindText;
using wceui::FindUnit;
using wceui::IsXmlSpace;
using wceui::SkipSpaces;
using wceui::TextLength;

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
