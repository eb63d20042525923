// The stack of the layer walks. It keeps CQuickStack's 64 entries inline, so ordinary trees
// never allocate, and moves to the heap beyond that: a walk that pushes every sibling with
// children needs as many entries as the tree is wide, so no fixed size would be safe.
#pragma once

#include <cstring>
#include <new>
#include <type_traits>

#include "JXCheck.h"
#include "wce/types.h"

template <class TYPE>
class CQuickGrowStack {
    static_assert(std::is_trivially_copyable<TYPE>::value, "entries are copied as bytes");

public:
    enum { QUICK_STACK_SIZE = 64 };

    CQuickGrowStack() : m_pItems(m_inline), m_nCount(0), m_nCapacity(QUICK_STACK_SIZE) {}
    ~CQuickGrowStack()
    {
        if (m_pItems != m_inline) delete[] m_pItems;
    }
    CQuickGrowStack(const CQuickGrowStack&) = delete;
    CQuickGrowStack& operator=(const CQuickGrowStack&) = delete;

    // FALSE (nothing stored) only when memory runs out.
    BOOL Push(const TYPE& item)
    {
        if (m_nCount == m_nCapacity && !Grow()) return FALSE;
        m_pItems[m_nCount++] = item;
        return TRUE;
    }
    BOOL Pop(TYPE& item)
    {
        if (!JX_ASSERT(m_nCount > 0)) return FALSE;
        item = m_pItems[--m_nCount];
        return TRUE;
    }
    BOOL GetTop(TYPE& item) const
    {
        if (!JX_ASSERT(m_nCount > 0)) return FALSE;
        item = m_pItems[m_nCount - 1];
        return TRUE;
    }
    int GetCount() const { return m_nCount; }
    BOOL IsStackEmpty() const { return 0 == m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }
    void RemoveAll() { m_nCount = 0; }

private:
    BOOL Grow()
    {
        if (m_nCapacity > (1 << 28)) return FALSE;
        TYPE* pNew = new (std::nothrow) TYPE[m_nCapacity * 2];
        if (NULL == pNew) return FALSE;
        memcpy(static_cast<void*>(pNew), m_pItems, sizeof(TYPE) * m_nCount);
        if (m_pItems != m_inline) delete[] m_pItems;
        m_pItems = pNew;
        m_nCapacity *= 2;
        return TRUE;
    }

    TYPE m_inline[QUICK_STACK_SIZE];
    TYPE* m_pItems;
    int m_nCount;
    int m_nCapacity;
};
