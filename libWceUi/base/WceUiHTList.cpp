#include "WceUiHTList.h"

#include "JXCheck.h"

CWceUiHTList::CWceUiHTList() : m_pHead(NULL), m_pTail(NULL), m_nNextOffset(-1), m_nPreOffset(-1), m_nCount(0) {}

CWceUiHTList::CWceUiHTList(int nNextOffset, int nPreOffset)
    : m_pHead(NULL), m_pTail(NULL), m_nNextOffset(nNextOffset), m_nPreOffset(nPreOffset), m_nCount(0)
{
    JX_ASSERT(m_nPreOffset != m_nNextOffset);
}

BOOL CWceUiHTList::Construct(int nNextOffset, int nPreOffset)
{
    if (!JX_ASSERT(m_pHead == NULL) || !JX_ASSERT(m_pTail == NULL) || !JX_ASSERT(0 == m_nCount)) return FALSE;
    if (!JX_ASSERT(nPreOffset != nNextOffset)) return FALSE;
    m_nNextOffset = nNextOffset;
    m_nPreOffset = nPreOffset;
    return TRUE;
}

BOOL CWceUiHTList::IsConstructed() const
{
    return JX_ASSERT(m_nNextOffset >= 0 && m_nPreOffset >= 0 && m_nPreOffset != m_nNextOffset);
}

BOOL CWceUiHTList::AddHead(void* pElem) { return InsertBefore(NULL, pElem); }

void* CWceUiHTList::RemoveHead()
{
    void* pElem = m_pHead;
    return pElem && Remove(pElem) ? pElem : NULL;
}

void* CWceUiHTList::RemoveTail()
{
    void* pElem = m_pTail;
    return pElem && Remove(pElem) ? pElem : NULL;
}

BOOL CWceUiHTList::Remove(void* pElem)
{
    if (!JX_ASSERT(NULL != pElem) || !IsConstructed() || 0 == m_nCount) return FALSE;
    void* pPre = GetPre(pElem);
    void* pNext = GetNext(pElem);
    if (pPre) WriteLink(pPre, m_nNextOffset, pNext);
    else m_pHead = pNext;
    if (pNext) WriteLink(pNext, m_nPreOffset, pPre);
    else m_pTail = pPre;
    WriteLink(pElem, m_nNextOffset, NULL);
    WriteLink(pElem, m_nPreOffset, NULL);
    --m_nCount;
    return TRUE;
}

BOOL CWceUiHTList::InsertBefore(void* pBeforeThis, void* pInsert)
{
    if (!JX_ASSERT(NULL != pInsert) || !IsConstructed()) return FALSE;
    void* pPre = pBeforeThis ? GetPre(pBeforeThis) : NULL;
    void* pNext = pBeforeThis ? pBeforeThis : m_pHead;
    WriteLink(pInsert, m_nPreOffset, pPre);
    WriteLink(pInsert, m_nNextOffset, pNext);
    if (pPre) WriteLink(pPre, m_nNextOffset, pInsert);
    else m_pHead = pInsert;
    if (pNext) WriteLink(pNext, m_nPreOffset, pInsert);
    else m_pTail = pInsert;
    ++m_nCount;
    return TRUE;
}

BOOL CWceUiHTList::InsertAfter(void* pAfterThis, void* pInsert)
{
    if (!JX_ASSERT(NULL != pInsert) || !IsConstructed()) return FALSE;
    void* pPre = pAfterThis ? pAfterThis : m_pTail;
    void* pNext = pAfterThis ? GetNext(pAfterThis) : NULL;
    WriteLink(pInsert, m_nPreOffset, pPre);
    WriteLink(pInsert, m_nNextOffset, pNext);
    if (pPre) WriteLink(pPre, m_nNextOffset, pInsert);
    else m_pHead = pInsert;
    if (pNext) WriteLink(pNext, m_nPreOffset, pInsert);
    else m_pTail = pInsert;
    ++m_nCount;
    return TRUE;
}

void* CWceUiHTList::Find(const void* pSearch, const void* pStartAfter) const
{
    void* pElem = pStartAfter ? GetNext(pStartAfter) : m_pHead;
    for (; pElem; pElem = GetNext(pElem))
        if (pElem == pSearch) return pElem;
    return NULL;
}

void* CWceUiHTList::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount) return NULL;
    void* pElem = m_pHead;
    while (nIndex-- > 0) pElem = GetNext(pElem);
    return pElem;
}

void CWceUiHTList::RemoveAll()
{
    m_pHead = NULL;
    m_pTail = NULL;
    m_nCount = 0;
}
