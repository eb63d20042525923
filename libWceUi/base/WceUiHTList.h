// An intrusive, doubly linked list with head and tail. The elements carry their own next
// and previous pointers; the list knows only the byte offsets of those two fields, so one
// element type can sit in several lists at once (an XML item in its document's access list
// and in its parent's child list, a layer in its parent's child list and in the draw list).
//
// The link fields must be plain pointers of the element's standard-layout type, declared
// for example as `CItem* m_pNext;`, with offsets taken by offsetof. The list reads and
// writes them through memcpy, so any pointer type will do.
#pragma once

#include <cstring>

#include "wce/types.h"

class CWceUiHTList {
public:
    CWceUiHTList();
    CWceUiHTList(int nNextOffset, int nPreOffset);

    // Sets the link offsets of a list that was built without them. Only on an empty list;
    // the two offsets must differ.
    BOOL Construct(int nNextOffset, int nPreOffset);

    BOOL AddHead(void* pElem);
    // Inline: documents and trees append on every item they read.
    BOOL AddTail(void* pElem)
    {
        if (NULL == pElem || m_nNextOffset < 0 || m_nPreOffset < 0 || m_nNextOffset == m_nPreOffset)
            return InsertAfter(NULL, pElem);  // which reports the fault
        WriteLink(pElem, m_nPreOffset, m_pTail);
        WriteLink(pElem, m_nNextOffset, NULL);
        if (m_pTail) WriteLink(m_pTail, m_nNextOffset, pElem);
        else m_pHead = pElem;
        m_pTail = pElem;
        ++m_nCount;
        return TRUE;
    }
    // The removed element, or null for an empty list.
    void* RemoveHead();
    void* RemoveTail();
    // FALSE for an empty list. pElem must be in this list.
    BOOL Remove(void* pElem);
    // A null pBeforeThis adds at the head; a null pAfterThis adds at the tail.
    BOOL InsertBefore(void* pBeforeThis, void* pInsert);
    BOOL InsertAfter(void* pAfterThis, void* pInsert);

    // pSearch when it is in the list after pStartAfter (null: from the head), else null.
    void* Find(const void* pSearch, const void* pStartAfter = NULL) const;
    // The element at a 0-based index, walking from the head; null outside 0..count-1.
    void* GetAt(int nIndex) const;

    void* GetHead() const { return m_pHead; }
    void* GetTail() const { return m_pTail; }
    void* GetNext(const void* pElem) const { return ReadLink(pElem, m_nNextOffset); }
    void* GetPre(const void* pElem) const { return ReadLink(pElem, m_nPreOffset); }
    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }

    // Forgets every element without touching it (their links keep their values).
    void RemoveAll();

private:
    static void* ReadLink(const void* pElem, int nOffset)
    {
        void* p;
        memcpy(&p, static_cast<const BYTE*>(pElem) + nOffset, sizeof(p));
        return p;
    }
    static void WriteLink(void* pElem, int nOffset, void* pValue)
    {
        memcpy(static_cast<BYTE*>(pElem) + nOffset, &pValue, sizeof(pValue));
    }
    BOOL IsConstructed() const;

    void* m_pHead;
    void* m_pTail;
    int m_nNextOffset;
    int m_nPreOffset;
    int m_nCount;
};
