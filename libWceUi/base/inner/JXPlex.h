// Blocks of container nodes: the containers allocate their nodes a block at a time and keep
// unused nodes on a free list, so that adding and removing rarely reaches the allocator.
#pragma once

#include <cstddef>
#include <new>

#include "wce/types.h"

// A position in a container, for walking it (null when the walk is over).
typedef struct __JXPOSITION {
}* JXPOSITION;

template <class NODE>
struct alignas(alignof(std::max_align_t)) JXPlex {
    static_assert(alignof(NODE) <= alignof(std::max_align_t), "over-aligned container node");

    JXPlex* pNext;
    int nCount;

    NODE* GetNodes() { return reinterpret_cast<NODE*>(this + 1); }

    // Adds a block of nCount default-constructed nodes at the front of the chain; null when
    // memory runs out.
    static JXPlex* Create(JXPlex*& pHead, int nCount)
    {
        if (nCount <= 0 || static_cast<size_t>(nCount) > (static_cast<size_t>(-1) - sizeof(JXPlex)) / sizeof(NODE))
            return NULL;
        void* pMemory = ::operator new(sizeof(JXPlex) + sizeof(NODE) * static_cast<size_t>(nCount), std::nothrow);
        if (NULL == pMemory) return NULL;
        JXPlex* pPlex = new (pMemory) JXPlex;
        pPlex->pNext = pHead;
        pPlex->nCount = nCount;
        NODE* pNodes = pPlex->GetNodes();
        for (int i = 0; i < nCount; ++i) new (pNodes + i) NODE();
        pHead = pPlex;
        return pPlex;
    }

    // Takes a node from the free list, refilling the list with a new block when it is empty.
    // A block's nodes are linked backwards so that its first node is taken first. Null when
    // memory runs out.
    static NODE* TakeNode(JXPlex*& pHead, NODE*& pFreeList, int nBlockSize)
    {
        if (NULL == pFreeList) {
            JXPlex* pPlex = Create(pHead, nBlockSize);
            if (NULL == pPlex) return NULL;
            NODE* pNodes = pPlex->GetNodes();
            for (int i = nBlockSize - 1; i >= 0; --i) {
                pNodes[i].pNext = pFreeList;
                pFreeList = &pNodes[i];
            }
        }
        NODE* pNode = pFreeList;
        pFreeList = pNode->pNext;
        return pNode;
    }

    static void FreeChain(JXPlex*& pHead)
    {
        while (pHead) {
            JXPlex* pNextPlex = pHead->pNext;
            NODE* pNodes = pHead->GetNodes();
            for (int i = 0; i < pHead->nCount; ++i) pNodes[i].~NODE();
            pHead->~JXPlex();
            ::operator delete(pHead);
            pHead = pNextPlex;
        }
    }
};
