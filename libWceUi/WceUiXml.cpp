#include "WceUiXml.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "JXCheck.h"
#include "JXGlobalData.h"
#include "JXList.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "QuickString.h"
#include "WceUiCommon.h"
#include "wce/files.h"
#include "wce/wstring.h"

namespace {

const WCHAR kDocClass[] = u"CWceUiXmlDoc";
const WCHAR kElemClass[] = u"CWceUiXmlElem";
const WCHAR kIncludeKeyword[] = u"#include_xml";
const int kIncludeKeywordLength = 12;
const int kMaxIncludeNameLength = 258;
const int kMaxPathNames = 32;
const size_t kMaxTextUnits = 0x7FFFFFFE;

inline bool IsXmlSpace(WCHAR c) { return u' ' == c || u'\r' == c || u'\n' == c || u'\t' == c; }

// The first occurrence of the nNeedle units of pNeedle in [p, pEnd), or null.
LPWSTR FindText(LPWSTR p, LPWSTR pEnd, LPCWSTR pNeedle, int nNeedle)
{
    for (; pEnd - p >= nNeedle; ++p) {
        if (*p != pNeedle[0]) continue;
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

// Names are nearly always ASCII: fold those here, the rest as the platform does.
inline WCHAR FoldNameUnit(WCHAR c)
{
    if (c < 0x80) return u'A' <= c && c <= u'Z' ? static_cast<WCHAR>(c + 32) : c;
    return WCharLower(c);
}

// Names compare case-insensitively; most pairs are equal as written, so test that first.
inline bool SameNameUnit(WCHAR a, WCHAR b) { return a == b || FoldNameUnit(a) == FoldNameUnit(b); }

// The first c in [p, pEnd), or pEnd. Tags run to some hundred units: eight at a time.
inline LPWSTR FindUnit(LPWSTR p, LPWSTR pEnd, WCHAR c)
{
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
    for (; pEnd - p >= 8; p += 8) {
        __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int nMask = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted));
        if (nMask) return p + (__builtin_ctz(static_cast<unsigned>(nMask)) >> 1);
    }
#endif
    while (p < pEnd && c != *p) ++p;
    return p;
}

// pName (terminated) against the nLength units at pOther.
bool NameEquals(LPCWSTR pName, LPCWSTR pOther, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i)
        if (0 == pName[i] || !SameNameUnit(pName[i], pOther[i])) return false;
    return 0 == pName[nLength];
}

bool NameEquals(LPCWSTR pName, LPCWSTR pOther)
{
    for (; *pName; ++pName, ++pOther)
        if (!SameNameUnit(*pName, *pOther)) return false;
    return 0 == *pOther;
}

LPWSTR CopyString(LPCWSTR pText)
{
    size_t nLength = WStrLen(pText);
    WCHAR* pCopy = new (std::nothrow) WCHAR[nLength + 1];
    if (pCopy) memcpy(pCopy, pText, (nLength + 1) * sizeof(WCHAR));
    return pCopy;
}

// Writes the saved text, or only counts it when there is no output.
class CXmlWriter {
public:
    explicit CXmlWriter(LPWSTR pOut) : m_pOut(pOut), m_nLength(0) {}
    void Put(LPCWSTR pText, size_t nLength)
    {
        if (m_pOut) memcpy(m_pOut + m_nLength, pText, nLength * sizeof(WCHAR));
        m_nLength += static_cast<long long>(nLength);
    }
    void Put(LPCWSTR pText) { Put(pText, WStrLen(pText)); }
    void PutTabs(int nCount)
    {
        if (m_pOut)
            for (int i = 0; i < nCount; ++i) m_pOut[m_nLength + i] = u'\t';
        m_nLength += nCount;
    }
    long long GetLength() const { return m_nLength; }

private:
    LPWSTR m_pOut;
    long long m_nLength;
};

void WriteCloseTag(CXmlWriter& writer, const CWceUiXmlElem* pElem)
{
    writer.PutTabs(pElem->m_nLevel);
    writer.Put(u"</", 2);
    writer.Put(pElem->m_pTagName);
    writer.Put(u">\r\n", 3);
}

// The first element after pElem's subtree in document order, or null.
CWceUiXmlElem* FirstElemAfterSubtree(const CWceUiXmlElem* pElem)
{
    for (CWceUiXmlElem* p = pElem->m_pAccessNext; p; p = p->m_pAccessNext)
        if (XML_ELEM_NODE == p->m_type && p->m_nLevel <= pElem->m_nLevel) return p;
    return NULL;
}

// One piece of the text that results from resolving includes.
struct CIncludePiece {
    const WCHAR* pText;  // a part of the loaded text, or null
    const BYTE* pBytes;  // or the units of an included file (owned)
    size_t nUnits;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Record pool

struct CWceUiXmlRecordPool::CBlock {
    CBlock* pNext;
};

namespace {
const size_t kBlockHeaderSize = (sizeof(void*) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
const size_t kFirstBlockRecords = 8;
const size_t kMaxBlockRecords = 512;
}  // namespace

CWceUiXmlRecordPool::CWceUiXmlRecordPool(size_t nRecordSize)
    : m_nRecordSize((nRecordSize + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1)),
      m_pBlocks(NULL), m_pFree(NULL), m_pCursor(NULL), m_pLimit(NULL), m_nNextBlockRecords(kFirstBlockRecords)
{
}

CWceUiXmlRecordPool::~CWceUiXmlRecordPool() { FreeAll(); }

void* CWceUiXmlRecordPool::Alloc()
{
    if (m_pFree) {
        void* pRecord = m_pFree;
        memcpy(&m_pFree, pRecord, sizeof(m_pFree));
        return pRecord;
    }
    if (NULL == m_pCursor || static_cast<size_t>(m_pLimit - m_pCursor) < m_nRecordSize) {
        // Blocks grow, so that small documents stay small and large ones need few blocks.
        size_t nBytes = kBlockHeaderSize + m_nNextBlockRecords * m_nRecordSize;
        BYTE* pMemory = static_cast<BYTE*>(::operator new(nBytes, std::nothrow));
        if (NULL == pMemory) return NULL;
        CBlock* pBlock = reinterpret_cast<CBlock*>(pMemory);
        pBlock->pNext = m_pBlocks;
        m_pBlocks = pBlock;
        m_pCursor = pMemory + kBlockHeaderSize;
        m_pLimit = pMemory + nBytes;
        if (m_nNextBlockRecords < kMaxBlockRecords) m_nNextBlockRecords *= 2;
    }
    void* pRecord = m_pCursor;
    m_pCursor += m_nRecordSize;
    return pRecord;
}

void CWceUiXmlRecordPool::Free(void* pRecord)
{
    if (NULL == pRecord) return;
    memcpy(pRecord, &m_pFree, sizeof(m_pFree));
    m_pFree = pRecord;
}

void CWceUiXmlRecordPool::FreeAll()
{
    while (m_pBlocks) {
        CBlock* pNext = m_pBlocks->pNext;
        ::operator delete(m_pBlocks);
        m_pBlocks = pNext;
    }
    m_pFree = NULL;
    m_pCursor = NULL;
    m_pLimit = NULL;
    m_nNextBlockRecords = kFirstBlockRecords;
}

// ---------------------------------------------------------------------------------------
// Element

CWceUiXmlElem::CWceUiXmlElem()
    : m_nLevel(0), m_pTagName(NULL),
      m_AttrList(static_cast<int>(offsetof(CWceUiXmlAttr, pNext)), static_cast<int>(offsetof(CWceUiXmlAttr, pPre))),
      m_pRawStart(NULL), m_pRawEnd(NULL), m_type(XML_ELEM_NODE), m_pXmlDoc(NULL), m_pParent(NULL),
      m_pAccessNext(NULL), m_pAccessPre(NULL),
      m_ChildList(static_cast<int>(offsetof(CWceUiXmlElem, m_pSiblingNext)),
                  static_cast<int>(offsetof(CWceUiXmlElem, m_pSiblingPre))),
      m_pSiblingPre(NULL), m_pSiblingNext(NULL)
{
}

CWceUiXmlAttr* CWceUiXmlElem::FindAttr(LPCWSTR pName) const
{
    for (CWceUiXmlAttr* pAttr = GetFirstAttribute(); pAttr; pAttr = pAttr->pNext)
        if (NameEquals(pAttr->pName, pName)) return pAttr;
    return NULL;
}

LPCWSTR CWceUiXmlElem::GetAttribute(LPCWSTR pName) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetAttribute", NULL != pName)) return NULL;
    CWceUiXmlAttr* pAttr = FindAttr(pName);
    return pAttr ? pAttr->pValue : NULL;
}

CWceUiXmlElem* CWceUiXmlElem::FindChild(LPCWSTR pName) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::FindChild", NULL != pName)) return NULL;
    for (CWceUiXmlElem* pChild = GetFirstChild(); pChild; pChild = pChild->m_pSiblingNext)
        if (NameEquals(pChild->m_pTagName, pName)) return pChild;
    return NULL;
}

CWceUiXmlElem* CWceUiXmlElem::GetNextChild(const CWceUiXmlElem* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetNextChild", NULL != pCur)) return NULL;
    return pCur->m_pSiblingNext;
}

CWceUiXmlElem* CWceUiXmlElem::GetPrevChild(const CWceUiXmlElem* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetPrevChild", NULL != pCur)) return NULL;
    return pCur->m_pSiblingPre;
}

CWceUiXmlAttr* CWceUiXmlElem::GetNextAttribute(const CWceUiXmlAttr* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetNextAttribute", NULL != pCur)) return NULL;
    return pCur->pNext;
}

CWceUiXmlElem* CWceUiXmlElem::FindElemByPath(LPCWSTR pPath) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::FindElemByPath", NULL != pPath)) return NULL;
    int nNames = 1;
    for (LPCWSTR p = pPath; *p; ++p)
        if (u'/' == *p) ++nNames;
    if (nNames > kMaxPathNames) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::FindElemByPath, more than %d names in %.64s", kElemClass, kMaxPathNames,
                    pPath);
        return NULL;
    }
    const CWceUiXmlElem* pCur = this;
    LPCWSTR pName = pPath;
    for (;;) {
        LPCWSTR pNameEnd = pName;
        while (*pNameEnd && u'/' != *pNameEnd) ++pNameEnd;
        size_t nLength = static_cast<size_t>(pNameEnd - pName);
        CWceUiXmlElem* pFound = NULL;
        if (nLength > 0) {
            for (CWceUiXmlElem* pChild = pCur->GetFirstChild(); pChild && !pFound; pChild = pChild->m_pSiblingNext)
                if (NameEquals(pChild->m_pTagName, pName, nLength)) pFound = pChild;
        }
        if (NULL == pFound) return NULL;
        if (0 == *pNameEnd) return pFound;
        pCur = pFound;
        pName = pNameEnd + 1;
    }
}

BOOL CWceUiXmlElem::SetAttribute(LPCWSTR pName, LPCWSTR pValue)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::SetAttribute", XML_ELEM_NODE == m_type)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlElem::SetAttribute", NULL != pName && 0 != pName[0])) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlElem::SetAttribute", NULL != pValue)) return FALSE;
    LPWSTR pNewValue = CopyString(pValue);
    if (NULL == pNewValue) return FALSE;
    m_pXmlDoc->m_bOwnStrings = TRUE;
    CWceUiXmlAttr* pAttr = FindAttr(pName);
    if (pAttr) {
        m_pXmlDoc->FreeString(pAttr->pValue);
        pAttr->pValue = pNewValue;
        return TRUE;
    }
    LPWSTR pNewName = CopyString(pName);
    pAttr = pNewName ? m_pXmlDoc->NewAttr() : NULL;
    if (NULL == pAttr) {
        delete[] pNewName;
        delete[] pNewValue;
        return FALSE;
    }
    pAttr->pName = pNewName;
    pAttr->pValue = pNewValue;
    m_AttrList.AddTail(pAttr);
    return TRUE;
}

BOOL CWceUiXmlElem::RemoveAttribute(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveAttribute", NULL != pName)) return FALSE;
    CWceUiXmlAttr* pAttr = FindAttr(pName);
    if (NULL == pAttr) return FALSE;
    m_AttrList.Remove(pAttr);
    m_pXmlDoc->DeleteAttr(pAttr);
    return TRUE;
}

CWceUiXmlElem* CWceUiXmlElem::InsertChildBefore(CWceUiXmlElem* pBefore, LPCWSTR pTagName)
{
    return impInsertChild(pBefore, NULL, FALSE, pTagName, "CWceUiXmlElem::InsertChildBefore");
}

CWceUiXmlElem* CWceUiXmlElem::InsertChildAfter(CWceUiXmlElem* pAfter, LPCWSTR pTagName)
{
    return impInsertChild(NULL, pAfter, TRUE, pTagName, "CWceUiXmlElem::InsertChildAfter");
}

CWceUiXmlElem* CWceUiXmlElem::impInsertChild(CWceUiXmlElem* pBefore, CWceUiXmlElem* pAfter, BOOL bAfter,
                                             LPCWSTR pTagName, const char* pOperation)
{
    if (!WCEUI_CHECK(pOperation, XML_ELEM_NODE == m_type)) return NULL;
    if (!WCEUI_CHECK(pOperation, NULL != pTagName && 0 != pTagName[0])) return NULL;
    if (pBefore && !WCEUI_CHECK(pOperation, this == pBefore->m_pParent)) return NULL;
    if (pAfter && !WCEUI_CHECK(pOperation, this == pAfter->m_pParent)) return NULL;
    // Saving keeps the open elements on a stack of MAX_LEVEL entries: one level more would
    // not fit.
    if (m_nLevel >= MAX_LEVEL) {
        JxWriteLogA(JX_LOG_ERROR, "%s, the parent is at level %d, no level below %d can be added", pOperation,
                    m_nLevel, static_cast<int>(MAX_LEVEL));
        return NULL;
    }
    CWceUiXmlDoc* pDoc = m_pXmlDoc;
    pDoc->m_bOwnStrings = TRUE;
    LPWSTR pName = CopyString(pTagName);
    CWceUiXmlElem* pNew = pName ? pDoc->NewItem(XML_ELEM_NODE) : NULL;
    if (NULL == pNew) {
        delete[] pName;
        return NULL;
    }
    pNew->m_pTagName = pName;
    pNew->m_nLevel = m_nLevel + 1;
    pNew->m_pParent = this;

    // Where the new element goes in document order: the order must stay depth-first.
    CWceUiXmlElem* pAccessBefore;  // null: at the end
    if (!bAfter) {
        CWceUiXmlElem* pAnchor = pBefore ? pBefore : GetFirstChild();
        pAccessBefore = pAnchor ? pAnchor : FirstElemAfterSubtree(this);
        m_ChildList.InsertBefore(pBefore, pNew);
    } else {
        const CWceUiXmlElem* pAnchor = pAfter ? pAfter : (GetLastChild() ? GetLastChild() : this);
        pAccessBefore = FirstElemAfterSubtree(pAnchor);
        m_ChildList.InsertAfter(pAfter, pNew);
    }
    if (pAccessBefore) pDoc->m_AccessList.InsertBefore(pAccessBefore, pNew);
    else pDoc->m_AccessList.AddTail(pNew);
    return pNew;
}

BOOL CWceUiXmlElem::RemoveChild(CWceUiXmlElem* pChild)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveChild", NULL != pChild)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveChild", this == pChild->m_pParent)) return FALSE;
    CWceUiXmlDoc* pDoc = m_pXmlDoc;
    CWceUiXmlElem* pStop = FirstElemAfterSubtree(pChild);
    m_ChildList.Remove(pChild);
    for (CWceUiXmlElem* pItem = pChild; pItem && pItem != pStop;) {
        CWceUiXmlElem* pNext = pItem->m_pAccessNext;
        pDoc->m_AccessList.Remove(pItem);
        pDoc->DeleteItem(pItem);
        pItem = pNext;
    }
    return TRUE;
}

CWceUiXmlElem* CWceUiXmlElem::GetComment() const
{
    CWceUiXmlElem* pPre = m_pAccessPre;
    return pPre && XML_ELEM_COMMENT == pPre->m_type ? pPre : NULL;
}

BOOL CWceUiXmlElem::SetComment(LPCWSTR pText)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::SetComment", XML_ELEM_NODE == m_type)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlElem::SetComment", NULL != pText)) return FALSE;
    size_t nText = WStrLen(pText);
    size_t nRaw = 4 + nText + 3;
    WCHAR* pRaw = new (std::nothrow) WCHAR[nRaw + 1];
    if (NULL == pRaw) return FALSE;
    m_pXmlDoc->m_bOwnStrings = TRUE;
    memcpy(pRaw, u"<!--", 4 * sizeof(WCHAR));
    memcpy(pRaw + 4, pText, nText * sizeof(WCHAR));
    memcpy(pRaw + 4 + nText, u"-->", 4 * sizeof(WCHAR));

    CWceUiXmlElem* pComment = GetComment();
    if (NULL == pComment) {
        pComment = m_pXmlDoc->NewItem(XML_ELEM_COMMENT);
        if (NULL == pComment) {
            delete[] pRaw;
            return FALSE;
        }
        m_pXmlDoc->m_AccessList.InsertBefore(this, pComment);
    } else {
        m_pXmlDoc->FreeString(pComment->m_pRawStart);
    }
    pComment->m_pRawStart = pRaw;
    pComment->m_pRawEnd = pRaw + nRaw - 1;
    return TRUE;
}

BOOL CWceUiXmlElem::RemoveComment()
{
    CWceUiXmlElem* pComment = GetComment();
    if (NULL == pComment) return FALSE;
    m_pXmlDoc->m_AccessList.Remove(pComment);
    m_pXmlDoc->DeleteItem(pComment);
    return TRUE;
}

// ---------------------------------------------------------------------------------------
// Document: items

CWceUiXmlDoc::CWceUiXmlDoc()
    : m_pRootElem(NULL), m_pMemXmlStr(NULL), m_nMemXmlStr(0), m_bLoaded(FALSE), m_bKeepComment(FALSE), m_nStack(0),
      m_AccessList(static_cast<int>(offsetof(CWceUiXmlElem, m_pAccessNext)),
                   static_cast<int>(offsetof(CWceUiXmlElem, m_pAccessPre))),
      m_ItemPool(sizeof(CWceUiXmlElem)), m_AttrPool(sizeof(CWceUiXmlAttr)), m_bOwnStrings(FALSE)
{
    m_strPath[0] = 0;
}

CWceUiXmlDoc::~CWceUiXmlDoc() { Clean(); }

CWceUiXmlElem* CWceUiXmlDoc::NewItem(int nType)
{
    void* pMemory = m_ItemPool.Alloc();
    if (NULL == pMemory) return NULL;
    CWceUiXmlElem* pItem = new (pMemory) CWceUiXmlElem();
    pItem->m_type = nType;
    pItem->m_pXmlDoc = this;
    return pItem;
}

CWceUiXmlAttr* CWceUiXmlDoc::NewAttr()
{
    void* pMemory = m_AttrPool.Alloc();
    return pMemory ? new (pMemory) CWceUiXmlAttr() : NULL;
}

BOOL CWceUiXmlDoc::IsInBuffer(LPCWSTR p) const
{
    std::uintptr_t nAddress = reinterpret_cast<std::uintptr_t>(p);
    std::uintptr_t nStart = reinterpret_cast<std::uintptr_t>(m_pMemXmlStr);
    return NULL != m_pMemXmlStr && nAddress >= nStart &&
           nAddress < nStart + static_cast<std::uintptr_t>(m_nMemXmlStr) * sizeof(WCHAR);
}

void CWceUiXmlDoc::FreeString(LPWSTR pString)
{
    if (pString && !IsInBuffer(pString)) delete[] pString;
}

void CWceUiXmlDoc::DeleteAttr(CWceUiXmlAttr* pAttr)
{
    FreeString(pAttr->pName);
    FreeString(pAttr->pValue);
    pAttr->~CWceUiXmlAttr();
    m_AttrPool.Free(pAttr);
}

void CWceUiXmlDoc::DeleteItem(CWceUiXmlElem* pItem)
{
    FreeString(pItem->m_pTagName);
    FreeString(pItem->m_pRawStart);
    for (CWceUiXmlAttr* pAttr = pItem->GetFirstAttribute(); pAttr;) {
        CWceUiXmlAttr* pNext = pAttr->pNext;
        DeleteAttr(pAttr);
        pAttr = pNext;
    }
    if (m_pRootElem == pItem) m_pRootElem = NULL;
    pItem->~CWceUiXmlElem();
    m_ItemPool.Free(pItem);
}

void CWceUiXmlDoc::DeleteAllItems()
{
    // Only strings set by editing need freeing one by one; the records go with their blocks.
    for (CWceUiXmlElem* pItem = m_bOwnStrings ? GetFirstItem() : NULL; pItem; pItem = pItem->m_pAccessNext) {
        FreeString(pItem->m_pTagName);
        FreeString(pItem->m_pRawStart);
        for (CWceUiXmlAttr* pAttr = pItem->GetFirstAttribute(); pAttr; pAttr = pAttr->pNext) {
            FreeString(pAttr->pName);
            FreeString(pAttr->pValue);
        }
    }
    m_AccessList.RemoveAll();
    m_ItemPool.FreeAll();
    m_AttrPool.FreeAll();
    m_pRootElem = NULL;
    m_nStack = 0;
    m_bOwnStrings = FALSE;
}

void CWceUiXmlDoc::Clean()
{
    DeleteAllItems();
    delete[] m_pMemXmlStr;
    m_pMemXmlStr = NULL;
    m_nMemXmlStr = 0;
    m_strPath[0] = 0;
    m_bKeepComment = FALSE;
    m_bLoaded = FALSE;
}

CWceUiXmlElem* CWceUiXmlDoc::GetRootElem() const
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::GetRootElem", m_bLoaded)) return NULL;
    return m_pRootElem;
}

CWceUiXmlElem* CWceUiXmlDoc::GetNextItem(const CWceUiXmlElem* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::GetNextItem", NULL != pCur)) return NULL;
    return pCur->m_pAccessNext;
}

CWceUiXmlElem* CWceUiXmlDoc::CreateRootElem(LPCWSTR pTagName)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::CreateRootElem", NULL != pTagName && 0 != pTagName[0])) return NULL;
    if (m_bLoaded || !m_AccessList.IsEmpty()) return NULL;
    m_bOwnStrings = TRUE;
    LPWSTR pName = CopyString(pTagName);
    CWceUiXmlElem* pRoot = pName ? NewItem(XML_ELEM_NODE) : NULL;
    if (NULL == pRoot) {
        delete[] pName;
        return NULL;
    }
    pRoot->m_pTagName = pName;
    m_AccessList.AddTail(pRoot);
    m_pRootElem = pRoot;
    m_bLoaded = TRUE;
    return pRoot;
}

BOOL CWceUiXmlDoc::AddXmlDeclaration()
{
    if (!m_bLoaded) return FALSE;
    m_bOwnStrings = TRUE;
    LPWSTR pRaw = CopyString(u"<?xml version=\"1.0\" encoding=\"unicode\" standalone=\"yes\" ?>");
    CWceUiXmlElem* pDeclare = pRaw ? NewItem(XML_ELEM_DECLARE) : NULL;
    if (NULL == pDeclare) {
        delete[] pRaw;
        return FALSE;
    }
    pDeclare->m_pRawStart = pRaw;
    pDeclare->m_pRawEnd = pRaw + WStrLen(pRaw) - 1;
    m_AccessList.AddHead(pDeclare);
    return TRUE;
}

// ---------------------------------------------------------------------------------------
// Document: loading

BOOL CWceUiXmlDoc::SyntaxError(LPCWSTR pFunction, LPCWSTR pCode) const
{
    JxWriteLogW(JX_LOG_ERROR, u"%s::%s, (%s) syntax error %s", kDocClass, pFunction, m_strPath, pCode);
    return FALSE;
}

// A loaded document is left as it is; m_strPath holds MAX_PATH characters.
BOOL CWceUiXmlDoc::CanLoadFile(LPCWSTR pPath) const
{
    if (m_bLoaded) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, can not load %s, call clean first", kDocClass, pPath);
        return FALSE;
    }
    if (WStrLen(pPath) >= MAX_PATH) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the path is longer than %d characters: %.64s", kDocClass,
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
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, WceUiReadFile %s fail", kDocClass, pPath);
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
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the length of %s is less than 4", kDocClass, pPath);
        return FALSE;
    }
    if (nSize & 1) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, the length of %s is odd number, not a UNICODE file", kDocClass,
                    pPath);
        return FALSE;
    }
    if (0xFF != pData[0] || 0xFE != pData[1]) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, %s is not a UNICODE file", kDocClass, pPath);
        return FALSE;
    }

    Clean();
    size_t nUnits = (nSize - 2) / 2;
    // m_nMemXmlStr counts the units in an int.
    m_pMemXmlStr = nUnits < kMaxTextUnits ? new (std::nothrow) WCHAR[nUnits + 1] : NULL;
    if (NULL == m_pMemXmlStr) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, out of memory for %s", kDocClass, pPath);
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
        SyntaxError(u"LoadXmlFile", u"030");
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
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlStr fail, please call Clean first", kDocClass);
        return FALSE;
    }
    Clean();
    size_t nLength = WStrLen(pXmlStr);
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
        JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, WceUiReadFile %s fail", kDocClass, pPath);
        return NULL;
    }
    if (0 != nSize) {
        if (nSize & 1) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, %s is not a UNICODE file 1", kDocClass, pPath);
            delete[] pData;
            return NULL;
        }
        if (0xFF != pData[0] || 0xFE != pData[1]) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile,%s is not a UNICODE file 2", kDocClass, pPath);
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
    int nDirLength = 0;
    for (int i = 0; m_strPath[i]; ++i)
        if (u'\\' == m_strPath[i] || u'/' == m_strPath[i]) nDirLength = i + 1;
    CQuickString strDir(m_strPath, nDirLength);

    LPWSTR pSegmentStart = pText;
    LPWSTR pSearch = pText;
    while (!bFailed) {
        LPWSTR pHit = FindText(pSearch, pEnd, kIncludeKeyword, kIncludeKeywordLength);
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
        else JxWriteLogW(JX_LOG_ERROR, u"%s::ReadIncludeFile, WceUiReadFile %s fail", kDocClass, strName.GetString());
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
            JxWriteLogW(JX_LOG_ERROR, u"%s::LoadXmlFile, out of memory for %s", kDocClass, m_strPath);
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
    BOOL bParsed = FALSE;
    for (;;) {
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd) {
            bParsed = 0 == m_nStack || SyntaxError(kFunction, u"011");
            break;
        }
        if (u'<' != *p) {
            SyntaxError(kFunction, u"010,attention:<a><x></x>err</a> is not supported");
            break;
        }
        if (pEnd - p < 4) {
            SyntaxError(kFunction, u"001");
            break;
        }
        if (u'!' == p[1]) {
            if (pEnd - p < 7) {
                SyntaxError(kFunction, u"002");
                break;
            }
            if (u'-' != p[2] || u'-' != p[3]) {
                SyntaxError(kFunction, u"003");
                break;
            }
            LPWSTR pClose = FindText(p + 4, pEnd, u"-->", 3);
            if (NULL == pClose) {
                SyntaxError(kFunction, u"004");
                break;
            }
            if (m_bKeepComment) {
                CWceUiXmlElem* pComment = NewItem(XML_ELEM_COMMENT);
                if (NULL == pComment) break;
                pComment->m_pRawStart = p;
                pComment->m_pRawEnd = pClose + 2;
                m_AccessList.AddTail(pComment);
            }
            p = pClose + 3;
        } else if (u'?' == p[1]) {
            if (pEnd - p < 7) {
                SyntaxError(kFunction, u"006");
                break;
            }
            if (u'x' != p[2] || u'm' != p[3] || u'l' != p[4]) {
                SyntaxError(kFunction, u"007");
                break;
            }
            LPWSTR pClose = FindText(p + 5, pEnd, u"?>", 2);
            if (NULL == pClose) {
                SyntaxError(kFunction, u"008");
                break;
            }
            CWceUiXmlElem* pDeclare = NewItem(XML_ELEM_DECLARE);
            if (NULL == pDeclare) break;
            pDeclare->m_pRawStart = p;
            pDeclare->m_pRawEnd = pClose + 1;
            m_AccessList.AddTail(pDeclare);
            p = pClose + 2;
        } else if (!ParseXmlTag(p, pEnd, p)) {
            SyntaxError(kFunction, u"009");
            break;
        }
    }
    if (!bParsed) DeleteAllItems();
    m_nStack = 0;
    return bParsed;
}

BOOL CWceUiXmlDoc::ParseXmlTag(LPWSTR pTag, LPWSTR pEnd, LPWSTR& pNext)
{
    static const WCHAR kFunction[] = u"ParseXmlTag";
    // The tag ends at the first '>': a value can never hold one.
    LPWSTR pGt = FindUnit(pTag + 1, pEnd, u'>');
    if (pGt >= pEnd) return SyntaxError(kFunction, u"012");
    const BOOL bClosing = u'/' == pTag[1];
    const BOOL bSelfClosing = u'/' == pGt[-1];
    if (bClosing && bSelfClosing) return SyntaxError(kFunction, u"026");

    if (bClosing) {
        LPWSTR pName = pTag + 2;
        LPWSTR pNameEnd = pName;
        while (pNameEnd < pGt && !IsXmlSpace(*pNameEnd)) ++pNameEnd;
        if (pNameEnd == pName) return SyntaxError(kFunction, u"023");
        if (0 == m_nStack) return SyntaxError(kFunction, u"024");
        LPCWSTR pOpenName = m_Stack[--m_nStack].pTagName;
        size_t nLength = static_cast<size_t>(pNameEnd - pName);
        if (!NameEquals(pOpenName, pName, nLength)) return SyntaxError(kFunction, u"025");
        pNext = pGt + 1;
        return TRUE;
    }

    LPCWSTR kEmptyName = bSelfClosing ? u"019" : u"013";
    LPCWSTR kEqualInName = bSelfClosing ? u"020" : u"014";
    LPCWSTR kBadAttribute = bSelfClosing ? u"021" : u"015";
    LPCWSTR kSecondRoot = bSelfClosing ? u"022" : u"016";
    LPWSTR pContentEnd = bSelfClosing ? pGt - 1 : pGt;
    LPWSTR pName = pTag + 1;
    LPWSTR pNameEnd = pName;
    while (pNameEnd < pContentEnd && !IsXmlSpace(*pNameEnd)) ++pNameEnd;
    if (pNameEnd == pName) return SyntaxError(kFunction, kEmptyName);
    for (LPWSTR p = pName; p < pNameEnd; ++p)
        if (u'=' == *p) return SyntaxError(kFunction, kEqualInName);

    CWceUiXmlElem* pElem = NewItem(XML_ELEM_NODE);
    if (NULL == pElem) return FALSE;
    m_AccessList.AddTail(pElem);
    pElem->m_pTagName = pName;
    if (pNameEnd < pContentEnd && !HandleXmlTagContent(pElem, pNameEnd + 1, pContentEnd))
        return SyntaxError(kFunction, kBadAttribute);
    *pNameEnd = 0;  // a space, the '/' or the '>': all read already

    CWceUiXmlElem* pParent = m_nStack > 0 ? m_Stack[m_nStack - 1].pElem : NULL;
    if (NULL == pParent) {
        if (m_pRootElem) return SyntaxError(kFunction, kSecondRoot);
        m_pRootElem = pElem;
    } else {
        pElem->m_pParent = pParent;
        pElem->m_nLevel = pParent->m_nLevel + 1;
        pParent->m_ChildList.AddTail(pElem);
    }
    if (bSelfClosing) {
        pNext = pGt + 1;
        return TRUE;
    }

    if (m_nStack >= MAX_STACK) return SyntaxError(kFunction, u"017");
    m_Stack[m_nStack].pElem = pElem;
    m_Stack[m_nStack].pTagName = pName;
    ++m_nStack;
    // Elements carry no text: whatever stands before the next tag is skipped.
    LPWSTR p = pGt + 1;
    while (p < pEnd && u'<' != *p) ++p;
    if (p >= pEnd) return SyntaxError(kFunction, u"018");
    pNext = p;
    return TRUE;
}

BOOL CWceUiXmlDoc::HandleXmlTagContent(CWceUiXmlElem* pElem, LPWSTR p, LPWSTR pEnd)
{
    static const WCHAR kFunction[] = u"HandleXmlTagContent";
    for (;;) {
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd) return TRUE;

        LPWSTR pName = p;
        while (p < pEnd && u'=' != *p && !IsXmlSpace(*p)) ++p;
        LPWSTR pNameEnd = p;
        if (pNameEnd == pName) return FALSE;
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd || u'=' != *p) return FALSE;
        ++p;
        while (p < pEnd && IsXmlSpace(*p)) ++p;
        if (p >= pEnd) return SyntaxError(kFunction, u"027");
        const WCHAR quote = *p;
        if (u'"' != quote && u'\'' != quote) return FALSE;
        LPWSTR pValue = ++p;
        p = FindUnit(p, pEnd, quote);
        if (p >= pEnd) return SyntaxError(kFunction, u"028");
        *pNameEnd = 0;
        *p++ = 0;

        for (CWceUiXmlAttr* pOther = pElem->GetFirstAttribute(); pOther; pOther = pOther->pNext)
            if (NameEquals(pOther->pName, pName)) return SyntaxError(kFunction, u"029");
        CWceUiXmlAttr* pAttr = NewAttr();
        if (NULL == pAttr) return FALSE;
        pAttr->pName = pName;
        pAttr->pValue = pValue;
        pElem->m_AttrList.AddTail(pAttr);
    }
}

// ---------------------------------------------------------------------------------------
// Document: saving

// Walks the items from pStart as the text would read, writing to pOut or, without it, only
// counting. Returns the length, or -1.
long long CWceUiXmlDoc::impSave(CWceUiXmlElem* pStart, LPWSTR pOut)
{
    if (XML_ELEM_COMMENT == pStart->m_type) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveElemToString, pXmlElem->m_type is XML_ELEM_COMMENT, can not save",
                    kDocClass);
        return -1;
    }
    CXmlWriter writer(pOut);
    m_nStack = 0;
    int nLastIndent = 0;
    const CWceUiXmlElem* pPrevElem = NULL;
    const CWceUiXmlElem* pNextElem = NULL;  // the next element after a run of comments
    BOOL bNextElemKnown = FALSE;
    const BOOL bStartIsElem = XML_ELEM_NODE == pStart->m_type;

    for (CWceUiXmlElem* pItem = pStart; pItem; pItem = pItem->m_pAccessNext) {
        if (XML_ELEM_NODE != pItem->m_type) {
            if (!bNextElemKnown) {
                pNextElem = pItem->m_pAccessNext;
                while (pNextElem && XML_ELEM_NODE != pNextElem->m_type) pNextElem = pNextElem->m_pAccessNext;
                bNextElemKnown = TRUE;
            }
            int nIndent = pNextElem ? pNextElem->m_nLevel : nLastIndent;
            writer.PutTabs(nIndent);
            writer.Put(pItem->m_pRawStart, static_cast<size_t>(pItem->m_pRawEnd - pItem->m_pRawStart) + 1);
            writer.Put(u"\r\n", 2);
            nLastIndent = nIndent;
            continue;
        }
        bNextElemKnown = FALSE;
        if (pItem != pStart && bStartIsElem && pItem->m_nLevel <= pStart->m_nLevel) break;
        if (pPrevElem && pItem != pStart) {
            if (pPrevElem->m_nLevel < pItem->m_nLevel) {
                if (m_nStack >= MAX_STACK) {
                    JxWriteLogW(JX_LOG_ERROR, u"%s::SaveElemToString, more than %d levels, can not save", kDocClass,
                                static_cast<int>(MAX_STACK));
                    m_nStack = 0;
                    return -1;
                }
                m_Stack[m_nStack].pElem = const_cast<CWceUiXmlElem*>(pPrevElem);
                m_Stack[m_nStack].pTagName = pPrevElem->m_pTagName;
                ++m_nStack;
            } else {
                for (int d = pPrevElem->m_nLevel - pItem->m_nLevel; d > 0 && m_nStack > 0; --d)
                    WriteCloseTag(writer, m_Stack[--m_nStack].pElem);
            }
        }
        writer.PutTabs(pItem->m_nLevel);
        writer.Put(u"<", 1);
        writer.Put(pItem->m_pTagName);
        for (CWceUiXmlAttr* pAttr = pItem->GetFirstAttribute(); pAttr; pAttr = pAttr->pNext) {
            writer.Put(u" ", 1);
            writer.Put(pAttr->pName);
            writer.Put(u"=\"", 2);
            writer.Put(pAttr->pValue);
            writer.Put(u"\"", 1);
        }
        if (0 == pItem->GetChildCount()) writer.Put(u"/>\r\n", 4);
        else writer.Put(u">\r\n", 3);
        nLastIndent = pItem->m_nLevel;
        pPrevElem = pItem;
    }
    while (m_nStack > 0) WriteCloseTag(writer, m_Stack[--m_nStack].pElem);
    return writer.GetLength();
}

int CWceUiXmlDoc::GetXmlStringLen(CWceUiXmlElem* pElem)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::GetXmlStringLen", NULL != pElem && this == pElem->m_pXmlDoc)) return -1;
    long long nLength = impSave(pElem, NULL);
    return nLength < 0 || nLength >= 0x7FFFFFFF ? -1 : static_cast<int>(nLength);
}

BOOL CWceUiXmlDoc::SaveElemToString(LPWSTR* ppXmlStr, CWceUiXmlElem* pElem)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveElemToString", NULL != ppXmlStr)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveElemToString", NULL != pElem && this == pElem->m_pXmlDoc)) return FALSE;
    *ppXmlStr = NULL;
    int nLength = GetXmlStringLen(pElem);
    if (nLength < 0) return FALSE;
    LPWSTR pText = new (std::nothrow) WCHAR[static_cast<size_t>(nLength) + 1];
    if (NULL == pText) return FALSE;
    impSave(pElem, pText);
    pText[nLength] = 0;
    *ppXmlStr = pText;
    return TRUE;
}

BOOL CWceUiXmlDoc::SaveXmlFile()
{
    if (!m_bLoaded || 0 == m_strPath[0]) return FALSE;
    WCHAR szPath[MAX_PATH];
    WStrCopy(szPath, MAX_PATH, m_strPath);
    return SaveXmlFile(szPath);
}

BOOL CWceUiXmlDoc::SaveXmlFile(LPCWSTR pPath)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveXmlFile", NULL != pPath)) return FALSE;
    if (!m_bLoaded) return FALSE;
    LPWSTR pText = NULL;
    int nLength = 0;
    if (GetFirstItem()) {
        if (!SaveElemToString(&pText, GetFirstItem())) return FALSE;
        nLength = static_cast<int>(WStrLen(pText));
    }
    HANDLE hFile = CreateFileW(pPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveXmlFile, CreateFile %s fail", kDocClass, pPath);
        delete[] pText;
        return FALSE;
    }
    static const BYTE kByteOrderMark[2] = {0xFF, 0xFE};
    DWORD nWritten = 0;
    BOOL bSaved = WriteFile(hFile, kByteOrderMark, 2, &nWritten, NULL) && 2 == nWritten;
    if (bSaved && nLength > 0) {
        DWORD nBytes = static_cast<DWORD>(nLength) * sizeof(WCHAR);
        bSaved = WriteFile(hFile, pText, nBytes, &nWritten, NULL) && nBytes == nWritten;
    }
    CloseHandle(hFile);
    delete[] pText;
    if (!bSaved) JxWriteLogW(JX_LOG_ERROR, u"%s::SaveXmlFile, WriteFile %s fail", kDocClass, pPath);
    return bSaved;
}
