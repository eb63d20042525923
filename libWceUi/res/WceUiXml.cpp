#include "WceUiXml.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "WceUiXmlPrivate.h"
#include "wce/wstring.h"

// The document tree and its editing; loading lives in WceUiXmlLoad.cpp, saving in
// WceUiXmlSave.cpp.

namespace {

const WCHAR kElemClass[] = u"CWceUiXmlElem";
const int kMaxPathNames = 32;

static_assert(sizeof(void*) != 8 || sizeof(CWceUiXmlElem) == 64, "an item record grew");

LPWSTR CopyString(LPCWSTR pText)
{
    size_t nLength = WStrLen(pText);
    WCHAR* pCopy = new (std::nothrow) WCHAR[nLength + 1];
    if (pCopy) memcpy(pCopy, pText, (nLength + 1) * sizeof(WCHAR));
    return pCopy;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Element

CWceUiXmlElem* CWceUiXmlElem::FirstElemAfterSubtree() const
{
    for (CWceUiXmlElem* p = m_pXmlDoc->ItemAt(m_nAccessNext); p; p = m_pXmlDoc->ItemAt(p->m_nAccessNext))
        if (XML_ELEM_NODE == p->m_type && p->m_nLevel <= m_nLevel) return p;
    return NULL;
}

CWceUiXmlAttr* CWceUiXmlElem::FindAttr(LPCWSTR pName) const
{
    for (int i = 0; i < m_nAttrCount; ++i)
        if (NameEquals(m_pAttrs[i].pName, pName)) return &m_pAttrs[i];
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
    for (CWceUiXmlElem* pChild = GetFirstChild(); pChild; pChild = pChild->GetNextSibling())
        if (NameEquals(pChild->m_pText, pName)) return pChild;
    return NULL;
}

CWceUiXmlElem* CWceUiXmlElem::GetNextChild(const CWceUiXmlElem* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetNextChild", NULL != pCur)) return NULL;
    return pCur->GetNextSibling();
}

CWceUiXmlElem* CWceUiXmlElem::GetPrevChild(const CWceUiXmlElem* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetPrevChild", NULL != pCur)) return NULL;
    return pCur->GetPrevSibling();
}

CWceUiXmlAttr* CWceUiXmlElem::GetNextAttribute(const CWceUiXmlAttr* pCur) const
{
    if (!WCEUI_CHECK("CWceUiXmlElem::GetNextAttribute", NULL != pCur)) return NULL;
    // Compared as addresses: pCur may belong to another element.
    std::uintptr_t nCur = reinterpret_cast<std::uintptr_t>(pCur);
    std::uintptr_t nFirst = reinterpret_cast<std::uintptr_t>(m_pAttrs);
    if (m_nAttrCount <= 0 || nCur < nFirst) return NULL;
    std::uintptr_t nIndex = (nCur - nFirst) / sizeof(CWceUiXmlAttr);
    return nIndex + 1 < static_cast<std::uintptr_t>(m_nAttrCount) ? m_pAttrs + nIndex + 1 : NULL;
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
            for (CWceUiXmlElem* pChild = pCur->GetFirstChild(); pChild && !pFound; pChild = pChild->GetNextSibling())
                if (NameEquals(pChild->m_pText, pName, nLength)) pFound = pChild;
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
    pAttr = pNewName ? m_pXmlDoc->AddAttrRoom(this) : NULL;
    if (NULL == pAttr) {
        delete[] pNewName;
        delete[] pNewValue;
        return FALSE;
    }
    pAttr->pName = pNewName;
    pAttr->pValue = pNewValue;
    ++m_nAttrCount;
    return TRUE;
}

BOOL CWceUiXmlElem::RemoveAttribute(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveAttribute", NULL != pName)) return FALSE;
    CWceUiXmlAttr* pAttr = FindAttr(pName);
    if (NULL == pAttr) return FALSE;
    m_pXmlDoc->FreeString(pAttr->pName);
    m_pXmlDoc->FreeString(pAttr->pValue);
    CWceUiXmlAttr* pEnd = m_pAttrs + m_nAttrCount;
    memmove(pAttr, pAttr + 1, static_cast<size_t>(pEnd - pAttr - 1) * sizeof(CWceUiXmlAttr));
    --m_nAttrCount;
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
    if (pBefore && !WCEUI_CHECK(pOperation, this == pBefore->GetParent())) return NULL;
    if (pAfter && !WCEUI_CHECK(pOperation, this == pAfter->GetParent())) return NULL;
    // Saving keeps the open elements on a stack of MAX_LEVEL entries: one level more would
    // not fit.
    if (m_nLevel >= MAX_LEVEL) {
        JxWriteLogA(JX_LOG_ERROR, "%s, the parent is at level %d, no level below %d can be added", pOperation,
                    static_cast<int>(m_nLevel), static_cast<int>(MAX_LEVEL));
        return NULL;
    }
    CWceUiXmlDoc* pDoc = m_pXmlDoc;
    pDoc->m_bOwnStrings = TRUE;
    LPWSTR pName = CopyString(pTagName);
    DWORD nNew = 0;
    CWceUiXmlElem* pNew = pName ? pDoc->NewItem(XML_ELEM_NODE, &nNew) : NULL;
    if (NULL == pNew) {
        delete[] pName;
        return NULL;
    }
    pNew->m_pText = pName;
    pNew->m_nLevel = static_cast<BYTE>(m_nLevel + 1);

    // Where the new element goes in document order: the order must stay depth-first.
    CWceUiXmlElem* pAccessBefore;  // null: at the end
    DWORD nChildBefore;            // 0: at the end
    if (!bAfter) {
        CWceUiXmlElem* pAnchor = pBefore ? pBefore : GetFirstChild();
        pAccessBefore = pAnchor ? pAnchor : FirstElemAfterSubtree();
        nChildBefore = pBefore ? pDoc->NumberOf(pBefore) : m_nFirstChild;
    } else {
        const CWceUiXmlElem* pAnchor = pAfter ? pAfter : (GetLastChild() ? GetLastChild() : this);
        pAccessBefore = pAnchor->FirstElemAfterSubtree();
        nChildBefore = pAfter ? pAfter->m_nSiblingNext : 0;
    }
    pDoc->LinkChild(this, pDoc->NumberOf(this), nNew, pNew, nChildBefore);
    pDoc->LinkItem(nNew, pNew, pAccessBefore ? pDoc->NumberOf(pAccessBefore) : 0);
    return pNew;
}

BOOL CWceUiXmlElem::RemoveChild(CWceUiXmlElem* pChild)
{
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveChild", NULL != pChild)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlElem::RemoveChild", this == pChild->GetParent())) return FALSE;
    CWceUiXmlDoc* pDoc = m_pXmlDoc;
    CWceUiXmlElem* pStop = pChild->FirstElemAfterSubtree();
    DWORD nItem = pDoc->NumberOf(pChild);
    pDoc->UnlinkChild(this, nItem, pChild);
    for (CWceUiXmlElem* pItem = pChild; pItem && pItem != pStop;) {
        DWORD nNext = pItem->m_nAccessNext;
        pDoc->UnlinkItem(nItem, pItem);
        pDoc->DeleteItem(nItem, pItem);
        nItem = nNext;
        pItem = pDoc->ItemAt(nNext);
    }
    return TRUE;
}

CWceUiXmlElem* CWceUiXmlElem::GetComment() const
{
    CWceUiXmlElem* pPre = m_pXmlDoc->ItemAt(m_nAccessPre);
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
        DWORD nComment = 0;
        pComment = m_pXmlDoc->NewItem(XML_ELEM_COMMENT, &nComment);
        if (NULL == pComment) {
            delete[] pRaw;
            return FALSE;
        }
        m_pXmlDoc->LinkItem(nComment, pComment, m_pXmlDoc->NumberOf(this));
    } else {
        m_pXmlDoc->FreeString(pComment->m_pText);
    }
    pComment->m_pText = pRaw;
    pComment->m_pRawEnd = pRaw + nRaw - 1;
    return TRUE;
}

BOOL CWceUiXmlElem::RemoveComment()
{
    CWceUiXmlElem* pComment = GetComment();
    if (NULL == pComment) return FALSE;
    DWORD nComment = m_nAccessPre;
    m_pXmlDoc->UnlinkItem(nComment, pComment);
    m_pXmlDoc->DeleteItem(nComment, pComment);
    return TRUE;
}

// ---------------------------------------------------------------------------------------
// Document: items and their links

CWceUiXmlDoc::CWceUiXmlDoc()
    : m_pRootElem(NULL), m_pMemXmlStr(NULL), m_nMemXmlStr(0), m_bLoaded(FALSE), m_bKeepComment(FALSE), m_nStack(0),
      m_nAccessHead(0), m_nAccessTail(0), m_nItemCount(0), m_ItemPool(sizeof(CWceUiXmlElem)), m_bOwnStrings(FALSE)
{
    m_strPath[0] = 0;
    ForgetSyntaxError();
}

CWceUiXmlDoc::~CWceUiXmlDoc() { Clean(); }

// Parsed attributes fill their run exactly; edited ones grow it to powers of two, so that
// adding many to one element copies each only a few times.
CWceUiXmlAttr* CWceUiXmlDoc::AddAttrRoom(CWceUiXmlElem* pElem)
{
    size_t nCount = static_cast<size_t>(pElem->m_nAttrCount);
    size_t nRoom = nCount;
    if (pElem->m_nFlags & CWceUiXmlElem::FLAG_ATTR_ROOM)
        for (nRoom = 4; nRoom < nCount; nRoom *= 2) {
        }
    if (nCount < nRoom) return pElem->m_pAttrs + nCount;
    size_t nNewRoom = 4;
    while (nNewRoom <= nCount) nNewRoom *= 2;
    void* pRun = m_AttrArena.Grow(nCount ? pElem->m_pAttrs : NULL, nCount * sizeof(CWceUiXmlAttr),
                                  (nNewRoom - nCount) * sizeof(CWceUiXmlAttr));
    if (NULL == pRun) return NULL;
    pElem->m_pAttrs = static_cast<CWceUiXmlAttr*>(pRun);
    pElem->m_nFlags |= CWceUiXmlElem::FLAG_ATTR_ROOM;
    return pElem->m_pAttrs + nCount;
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

void CWceUiXmlDoc::DeleteItem(DWORD nItem, CWceUiXmlElem* pItem)
{
    FreeString(pItem->m_pText);
    if (XML_ELEM_NODE == pItem->m_type) {
        for (int i = 0; i < pItem->m_nAttrCount; ++i) {
            FreeString(pItem->m_pAttrs[i].pName);
            FreeString(pItem->m_pAttrs[i].pValue);
        }
    }
    if (m_pRootElem == pItem) m_pRootElem = NULL;
    pItem->~CWceUiXmlElem();
    m_ItemPool.Free(nItem);
}

void CWceUiXmlDoc::DeleteAllItems()
{
    // Only strings set by editing need freeing one by one; the records go with their blocks.
    for (CWceUiXmlElem* pItem = m_bOwnStrings ? GetFirstItem() : NULL; pItem; pItem = ItemAt(pItem->m_nAccessNext)) {
        FreeString(pItem->m_pText);
        if (XML_ELEM_NODE != pItem->m_type) continue;
        for (int i = 0; i < pItem->m_nAttrCount; ++i) {
            FreeString(pItem->m_pAttrs[i].pName);
            FreeString(pItem->m_pAttrs[i].pValue);
        }
    }
    m_nAccessHead = 0;
    m_nAccessTail = 0;
    m_nItemCount = 0;
    m_ItemPool.FreeAll();
    m_AttrArena.FreeAll();
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
    return ItemAt(pCur->m_nAccessNext);
}

CWceUiXmlElem* CWceUiXmlDoc::CreateRootElem(LPCWSTR pTagName)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::CreateRootElem", NULL != pTagName && 0 != pTagName[0])) return NULL;
    if (m_bLoaded || 0 != m_nItemCount) return NULL;
    m_bOwnStrings = TRUE;
    LPWSTR pName = CopyString(pTagName);
    DWORD nRoot = 0;
    CWceUiXmlElem* pRoot = pName ? NewItem(XML_ELEM_NODE, &nRoot) : NULL;
    if (NULL == pRoot) {
        delete[] pName;
        return NULL;
    }
    pRoot->m_pText = pName;
    LinkItem(nRoot, pRoot, 0);
    m_pRootElem = pRoot;
    m_bLoaded = TRUE;
    return pRoot;
}

BOOL CWceUiXmlDoc::AddXmlDeclaration()
{
    if (!m_bLoaded) return FALSE;
    m_bOwnStrings = TRUE;
    LPWSTR pRaw = CopyString(u"<?xml version=\"1.0\" encoding=\"unicode\" standalone=\"yes\" ?>");
    DWORD nDeclare = 0;
    CWceUiXmlElem* pDeclare = pRaw ? NewItem(XML_ELEM_DECLARE, &nDeclare) : NULL;
    if (NULL == pDeclare) {
        delete[] pRaw;
        return FALSE;
    }
    pDeclare->m_pText = pRaw;
    pDeclare->m_pRawEnd = pRaw + WStrLen(pRaw) - 1;
    LinkItem(nDeclare, pDeclare, m_nAccessHead);
    return TRUE;
}
