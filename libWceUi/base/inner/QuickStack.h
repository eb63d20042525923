// The fixed stack that tree walks use instead of recursion. Deeper trees than its 64
// entries are outside the supported range: a push onto a full stack is refused, and the
// walk that owns the stack reports it.
#pragma once

#include "JXCheck.h"
#include "wce/types.h"

template <class TYPE>
class CQuickStack {
public:
    enum { QUICK_STACK_SIZE = 64 };

    CQuickStack() : m_nCount(0) {}

    // FALSE (and nothing stored) when the stack is full.
    BOOL Push(const TYPE& item)
    {
        if (!JX_ASSERT(m_nCount < QUICK_STACK_SIZE)) return FALSE;
        m_items[m_nCount++] = item;
        return TRUE;
    }
    // FALSE when the stack is empty.
    BOOL Pop(TYPE& item)
    {
        if (!JX_ASSERT(m_nCount > 0)) return FALSE;
        item = m_items[--m_nCount];
        return TRUE;
    }
    // The top entry; FALSE when the stack is empty.
    BOOL GetTop(TYPE& item) const
    {
        if (!JX_ASSERT(m_nCount > 0)) return FALSE;
        item = m_items[m_nCount - 1];
        return TRUE;
    }

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }
    BOOL IsFull() const { return QUICK_STACK_SIZE == m_nCount; }
    void RemoveAll() { m_nCount = 0; }

private:
    TYPE m_items[QUICK_STACK_SIZE];
    int m_nCount;
};
