// Singly linked intrusive lists: CWceUiHList adds at the head only, CWceUiTList keeps a
// tail and adds there. As with CWceUiHTList the elements carry the next-pointer and the
// list knows only its byte offset, so one element can sit in several lists at once.
// Rebuilding such a list allocates nothing, which is why the controller's draw, input and
// need-draw lists use them.
#pragma once

#include <cstring>

#include "wce/types.h"

class CWceUiHList {
public:
    explicit CWceUiHList(int nNextOffset = 0) : m_pHead(NULL), m_nNextOffset(nNextOffset), m_nCount(0) {}

    void Construct(int nNextOffset) { m_nNextOffset = nNextOffset; }

    BOOL AddHead(void* pElem);
    // Unlinks pElem (its next-pointer is cleared); FALSE when it is not in the list.
    BOOL Remove(void* pElem);

    void* GetHead() const { return m_pHead; }
    void* GetNext(const void* pElem) const { return ReadNext(pElem, m_nNextOffset); }
    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }
    // Forgets every element without touching it.
    void RemoveAll()
    {
        m_pHead = NULL;
        m_nCount = 0;
    }

    static void* ReadNext(const void* pElem, int nOffset)
    {
        void* p;
        memcpy(&p, static_cast<const BYTE*>(pElem) + nOffset, sizeof(p));
        return p;
    }
    static void WriteNext(void* pElem, int nOffset, void* pValue)
    {
        memcpy(static_cast<BYTE*>(pElem) + nOffset, &pValue, sizeof(pValue));
    }

private:
    void* m_pHead;
    int m_nNextOffset;
    int m_nCount;
};

class CWceUiTList {
public:
    explicit CWceUiTList(int nNextOffset = 0) : m_pHead(NULL), m_pTail(NULL), m_nNextOffset(nNextOffset), m_nCount(0) {}

    void Construct(int nNextOffset) { m_nNextOffset = nNextOffset; }

    BOOL AddTail(void* pElem);
    // Unlinks pElem (its next-pointer is cleared); FALSE when it is not in the list.
    BOOL Remove(void* pElem);

    void* GetHead() const { return m_pHead; }
    void* GetTail() const { return m_pTail; }
    void* GetNext(const void* pElem) const { return CWceUiHList::ReadNext(pElem, m_nNextOffset); }
    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }
    void RemoveAll()
    {
        m_pHead = m_pTail = NULL;
        m_nCount = 0;
    }

private:
    void* m_pHead;
    void* m_pTail;
    int m_nNextOffset;
    int m_nCount;
};
