// A doubly linked list of TYPE values, with nodes allocated in blocks.
#pragma once

#include "JXCheck.h"
#include "JXPlex.h"
#include "wce/types.h"

template <class TYPE>
class JXList {
public:
    struct CNode {
        CNode* pNext;
        CNode* pPrev;
        TYPE data;
        CNode() : pNext(NULL), pPrev(NULL), data() {}
    };

    explicit JXList(int nBlockSize = 10)
        : m_pNodeHead(NULL), m_pNodeTail(NULL), m_nCount(0), m_pNodeFree(NULL), m_pBlocks(NULL),
          m_nBlockSize(nBlockSize), m_invalid()
    {
        JX_ASSERT(nBlockSize > 0);
        if (m_nBlockSize <= 0) m_nBlockSize = 10;
    }
    ~JXList() { RemoveAll(); }
    JXList(const JXList&) = delete;
    JXList& operator=(const JXList&) = delete;

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }

    JXPOSITION GetHeadPosition() const { return ToPosition(m_pNodeHead); }
    JXPOSITION GetTailPosition() const { return ToPosition(m_pNodeTail); }

    // The value at rPosition, which then moves on (null after the last). A null position
    // is a caller error: it yields a scratch value instead of a crash.
    TYPE& GetNext(JXPOSITION& rPosition)
    {
        CNode* pNode = ToNode(rPosition);
        if (!JX_ASSERT(NULL != pNode)) return Invalid();
        rPosition = ToPosition(pNode->pNext);
        return pNode->data;
    }
    TYPE& GetPrev(JXPOSITION& rPosition)
    {
        CNode* pNode = ToNode(rPosition);
        if (!JX_ASSERT(NULL != pNode)) return Invalid();
        rPosition = ToPosition(pNode->pPrev);
        return pNode->data;
    }
    TYPE& GetAt(JXPOSITION position)
    {
        CNode* pNode = ToNode(position);
        if (!JX_ASSERT(NULL != pNode)) return Invalid();
        return pNode->data;
    }
    void SetAt(JXPOSITION position, const TYPE& value)
    {
        CNode* pNode = ToNode(position);
        if (JX_ASSERT(NULL != pNode)) pNode->data = value;
    }

    // Each insertion returns the new value's position, or null when memory runs out.
    JXPOSITION AddHead(const TYPE& value) { return InsertNode(value, NULL, m_pNodeHead); }
    JXPOSITION AddTail(const TYPE& value) { return InsertNode(value, m_pNodeTail, NULL); }
    JXPOSITION InsertBefore(JXPOSITION position, const TYPE& value)
    {
        CNode* pNode = ToNode(position);
        if (NULL == pNode) return AddHead(value);
        return InsertNode(value, pNode->pPrev, pNode);
    }
    JXPOSITION InsertAfter(JXPOSITION position, const TYPE& value)
    {
        CNode* pNode = ToNode(position);
        if (NULL == pNode) return AddTail(value);
        return InsertNode(value, pNode, pNode->pNext);
    }

    BOOL RemoveHead(TYPE* pValue = NULL) { return RemoveNode(m_pNodeHead, pValue); }
    BOOL RemoveTail(TYPE* pValue = NULL) { return RemoveNode(m_pNodeTail, pValue); }
    BOOL RemoveAt(JXPOSITION position) { return RemoveNode(ToNode(position), NULL); }

    void RemoveAll()
    {
        m_pNodeHead = m_pNodeTail = NULL;
        m_pNodeFree = NULL;
        m_nCount = 0;
        JXPlex<CNode>::FreeChain(m_pBlocks);
    }

    // The first position holding value, searching after startAfter (null: from the head).
    JXPOSITION Find(const TYPE& value, JXPOSITION startAfter = NULL) const
    {
        CNode* pNode = startAfter ? ToNode(startAfter)->pNext : m_pNodeHead;
        for (; pNode; pNode = pNode->pNext)
            if (pNode->data == value) return ToPosition(pNode);
        return NULL;
    }
    // The position of the nIndex-th value (from 0), or null.
    JXPOSITION FindIndex(int nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount) return NULL;
        CNode* pNode = m_pNodeHead;
        while (nIndex-- > 0) pNode = pNode->pNext;
        return ToPosition(pNode);
    }

private:
    static JXPOSITION ToPosition(CNode* pNode) { return reinterpret_cast<JXPOSITION>(pNode); }
    static CNode* ToNode(JXPOSITION position) { return reinterpret_cast<CNode*>(position); }
    TYPE& Invalid()
    {
        m_invalid = TYPE();
        return m_invalid;
    }

    JXPOSITION InsertNode(const TYPE& value, CNode* pPrev, CNode* pNext)
    {
        CNode* pNode = JXPlex<CNode>::TakeNode(m_pBlocks, m_pNodeFree, m_nBlockSize);
        if (NULL == pNode) return NULL;
        pNode->data = value;
        pNode->pPrev = pPrev;
        pNode->pNext = pNext;
        if (pPrev) pPrev->pNext = pNode;
        else m_pNodeHead = pNode;
        if (pNext) pNext->pPrev = pNode;
        else m_pNodeTail = pNode;
        ++m_nCount;
        return ToPosition(pNode);
    }

    BOOL RemoveNode(CNode* pNode, TYPE* pValue)
    {
        if (!JX_ASSERT(NULL != pNode)) return FALSE;
        if (pValue) *pValue = pNode->data;
        if (pNode->pPrev) pNode->pPrev->pNext = pNode->pNext;
        else m_pNodeHead = pNode->pNext;
        if (pNode->pNext) pNode->pNext->pPrev = pNode->pPrev;
        else m_pNodeTail = pNode->pPrev;
        pNode->data = TYPE();
        pNode->pPrev = NULL;
        pNode->pNext = m_pNodeFree;
        m_pNodeFree = pNode;
        --m_nCount;
        return TRUE;
    }

    CNode* m_pNodeHead;
    CNode* m_pNodeTail;
    int m_nCount;
    CNode* m_pNodeFree;
    JXPlex<CNode>* m_pBlocks;
    int m_nBlockSize;
    TYPE m_invalid;
};
