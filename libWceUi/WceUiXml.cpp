#include "WceUiXml.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "wce/wstring.h"

// The document tree and its editing; loading lives in WceUiXmlLoad.cpp, saving in
// WceUiXmlSave.cpp.

namespace {

const WCHAR kElemClass[] = u"CWceUiXmlElem";
const int kMaxPathNames = 32;

LPWSTR CopyString(LPCWSTR pText)
{
    size_t nLength = WStrLen(pText);
    WCHAR* pCopy = new (std::nothrow) WCHAR[nLength + 1];
    if (pCopy) memcpy(pCopy, pText, (nLength + 1) * sizeof(WCHAR));
    return pCopy;
}

// The first element after pElem's subtree in document order, or null.
CWceUiXmlElem* FirstElemAfterSubtree(const CWceUiXmlElem* pElem)
{
    for (CWceUiXmlElem* p = pElem->m_pAccessNext; p; p = p->m_pAccessNext)
        if (XML_ELEM_NODE == p->m_type && p->m_nLevel <= pElem->m_nLevel) return p;
    return NULL;
}

}  // namespace

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
    ForgetSyntaxError();
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
