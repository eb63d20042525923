// What the document's tree and loading files share: creating items and linking them, inline
// because the parser does so for every item it reads.
#pragma once

#include <new>

#include "WceUiXml.h"

// The longest text a document holds: m_nMemXmlStr counts its units, and the terminator, in
// an int.
const size_t kMaxTextUnits = 0x7FFFFFFE;

inline CWceUiXmlElem* CWceUiXmlDoc::NewItem(int nType, DWORD* pnItem)
{
    void* pMemory = NULL;
    *pnItem = m_ItemPool.Alloc(&pMemory);
    if (NULL == pMemory) return NULL;
    CWceUiXmlElem* pItem = new (pMemory) CWceUiXmlElem();
    pItem->m_pText = NULL;
    pItem->m_pAttrs = NULL;
    pItem->m_pXmlDoc = this;
    pItem->m_nParent = 0;
    pItem->m_nAccessNext = 0;
    pItem->m_nAccessPre = 0;
    pItem->m_nFirstChild = 0;
    pItem->m_nLastChild = 0;
    pItem->m_nSiblingNext = 0;
    pItem->m_nSiblingPre = 0;
    pItem->m_nChildCount = 0;
    pItem->m_nAttrCount = 0;
    pItem->m_type = static_cast<BYTE>(nType);
    pItem->m_nLevel = 0;
    pItem->m_nFlags = 0;
    return pItem;
}

// Every item is in the document order: its number is the one its predecessor links to.
inline DWORD CWceUiXmlDoc::NumberOf(const CWceUiXmlElem* pItem) const
{
    return pItem->m_nAccessPre ? ItemAt(pItem->m_nAccessPre)->m_nAccessNext : m_nAccessHead;
}

inline void CWceUiXmlDoc::LinkItem(DWORD nItem, CWceUiXmlElem* pItem, DWORD nBefore)
{
    DWORD nPre = nBefore ? ItemAt(nBefore)->m_nAccessPre : m_nAccessTail;
    pItem->m_nAccessPre = nPre;
    pItem->m_nAccessNext = nBefore;
    if (nPre) ItemAt(nPre)->m_nAccessNext = nItem;
    else m_nAccessHead = nItem;
    if (nBefore) ItemAt(nBefore)->m_nAccessPre = nItem;
    else m_nAccessTail = nItem;
    ++m_nItemCount;
}

inline void CWceUiXmlDoc::UnlinkItem(DWORD nItem, CWceUiXmlElem* pItem)
{
    (void)nItem;
    if (pItem->m_nAccessPre) ItemAt(pItem->m_nAccessPre)->m_nAccessNext = pItem->m_nAccessNext;
    else m_nAccessHead = pItem->m_nAccessNext;
    if (pItem->m_nAccessNext) ItemAt(pItem->m_nAccessNext)->m_nAccessPre = pItem->m_nAccessPre;
    else m_nAccessTail = pItem->m_nAccessPre;
    pItem->m_nAccessPre = 0;
    pItem->m_nAccessNext = 0;
    --m_nItemCount;
}

inline void CWceUiXmlDoc::LinkChild(CWceUiXmlElem* pParent, DWORD nParent, DWORD nChild, CWceUiXmlElem* pChild,
                             DWORD nBefore)
{
    DWORD nPre = nBefore ? ItemAt(nBefore)->m_nSiblingPre : pParent->m_nLastChild;
    pChild->m_nParent = nParent;
    pChild->m_nSiblingPre = nPre;
    pChild->m_nSiblingNext = nBefore;
    if (nPre) ItemAt(nPre)->m_nSiblingNext = nChild;
    else pParent->m_nFirstChild = nChild;
    if (nBefore) ItemAt(nBefore)->m_nSiblingPre = nChild;
    else pParent->m_nLastChild = nChild;
    ++pParent->m_nChildCount;
}

inline void CWceUiXmlDoc::UnlinkChild(CWceUiXmlElem* pParent, DWORD nChild, CWceUiXmlElem* pChild)
{
    (void)nChild;
    if (pChild->m_nSiblingPre) ItemAt(pChild->m_nSiblingPre)->m_nSiblingNext = pChild->m_nSiblingNext;
    else pParent->m_nFirstChild = pChild->m_nSiblingNext;
    if (pChild->m_nSiblingNext) ItemAt(pChild->m_nSiblingNext)->m_nSiblingPre = pChild->m_nSiblingPre;
    else pParent->m_nLastChild = pChild->m_nSiblingPre;
    pChild->m_nSiblingPre = 0;
    pChild->m_nSiblingNext = 0;
    --pParent->m_nChildCount;
}
