#include "WceUiHList.h"

#include "JXCheck.h"

BOOL CWceUiHList::AddHead(void* pElem)
{
    if (!JX_ASSERT(NULL != pElem)) return FALSE;
    WriteNext(pElem, m_nNextOffset, m_pHead);
    m_pHead = pElem;
    ++m_nCount;
    return TRUE;
}

BOOL CWceUiHList::Remove(void* pElem)
{
    if (!JX_ASSERT(NULL != pElem)) return FALSE;
    void* pPre = NULL;
    for (void* p = m_pHead; p; pPre = p, p = ReadNext(p, m_nNextOffset)) {
        if (p != pElem) continue;
        void* pNext = ReadNext(p, m_nNextOffset);
        if (pPre)
            WriteNext(pPre, m_nNextOffset, pNext);
        else
            m_pHead = pNext;
        WriteNext(p, m_nNextOffset, NULL);
        --m_nCount;
        return TRUE;
    }
    return FALSE;
}

BOOL CWceUiTList::AddTail(void* pElem)
{
    if (!JX_ASSERT(NULL != pElem)) return FALSE;
    CWceUiHList::WriteNext(pElem, m_nNextOffset, NULL);
    if (m_pTail)
        CWceUiHList::WriteNext(m_pTail, m_nNextOffset, pElem);
    else
        m_pHead = pElem;
    m_pTail = pElem;
    ++m_nCount;
    return TRUE;
}

BOOL CWceUiTList::Remove(void* pElem)
{
    if (!JX_ASSERT(NULL != pElem)) return FALSE;
    void* pPre = NULL;
    for (void* p = m_pHead; p; pPre = p, p = GetNext(p)) {
        if (p != pElem) continue;
        void* pNext = GetNext(p);
        if (pPre)
            CWceUiHList::WriteNext(pPre, m_nNextOffset, pNext);
        else
            m_pHead = pNext;
        if (m_pTail == p) m_pTail = pPre;
        CWceUiHList::WriteNext(p, m_nNextOffset, NULL);
        --m_nCount;
        return TRUE;
    }
    return FALSE;
}
