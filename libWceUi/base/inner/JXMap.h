// A hash map with integer or pointer keys (a window handle fits). The low four bits of a
// key say little (handles and pointers are aligned), so the hash drops them. The table
// never grows: size it for the expected number of keys with InitHashTable.
#pragma once

#include <cstdint>
#include <type_traits>

#include "JXCheck.h"
#include "JXPlex.h"
#include "wce/types.h"

template <class KEY, class VALUE>
class JXMap {
    static_assert(std::is_integral<KEY>::value || std::is_pointer<KEY>::value || std::is_enum<KEY>::value,
                  "JXMap keys are integers or pointers");

public:
    struct CAssoc {
        CAssoc* pNext;
        KEY key;
        VALUE value;
        CAssoc() : pNext(NULL), key(), value() {}
    };

    explicit JXMap(int nBlockSize = 10)
        : m_pHashTable(NULL), m_nHashTableSize(17), m_nCount(0), m_pFreeList(NULL), m_pBlocks(NULL),
          m_nBlockSize(nBlockSize)
    {
        JX_ASSERT(nBlockSize > 0);
        if (m_nBlockSize <= 0) m_nBlockSize = 10;
    }
    ~JXMap() { RemoveAll(); }
    JXMap(const JXMap&) = delete;
    JXMap& operator=(const JXMap&) = delete;

    static std::uintptr_t HashKey(KEY key) { return KeyBits(key) >> 4; }

    BOOL InitHashTable(UINT nHashSize, BOOL bAllocNow = TRUE)
    {
        if (!JX_ASSERT(0 == m_nCount) || !JX_ASSERT(nHashSize > 0)) return FALSE;
        delete[] m_pHashTable;
        m_pHashTable = NULL;
        m_nHashTableSize = nHashSize;
        return bAllocNow ? AllocHashTable() : TRUE;
    }
    UINT GetHashTableSize() const { return m_nHashTableSize; }
    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return 0 == m_nCount; }

    BOOL Lookup(KEY key, VALUE& rValue) const
    {
        const CAssoc* pAssoc = FindAssoc(key);
        if (NULL == pAssoc) return FALSE;
        rValue = pAssoc->value;
        return TRUE;
    }
    VALUE* PLookup(KEY key)
    {
        CAssoc* pAssoc = FindAssoc(key);
        return pAssoc ? &pAssoc->value : NULL;
    }

    // Replaces the value of a present key, else inserts it. FALSE when memory runs out.
    BOOL SetAt(KEY key, const VALUE& value)
    {
        CAssoc* pAssoc = FindAssoc(key);
        if (pAssoc) {
            pAssoc->value = value;
            return TRUE;
        }
        if (NULL == m_pHashTable && !AllocHashTable()) return FALSE;
        pAssoc = NewAssoc();
        if (NULL == pAssoc) return FALSE;
        pAssoc->key = key;
        pAssoc->value = value;
        CAssoc*& rHead = m_pHashTable[Bucket(key)];
        pAssoc->pNext = rHead;
        rHead = pAssoc;
        ++m_nCount;
        return TRUE;
    }

    BOOL RemoveKey(KEY key)
    {
        if (NULL == m_pHashTable) return FALSE;
        CAssoc** ppLink = &m_pHashTable[Bucket(key)];
        for (CAssoc* pAssoc = *ppLink; pAssoc; ppLink = &pAssoc->pNext, pAssoc = pAssoc->pNext) {
            if (pAssoc->key == key) {
                *ppLink = pAssoc->pNext;
                pAssoc->key = KEY();
                pAssoc->value = VALUE();
                pAssoc->pNext = m_pFreeList;
                m_pFreeList = pAssoc;
                --m_nCount;
                return TRUE;
            }
        }
        return FALSE;
    }

    void RemoveAll()
    {
        delete[] m_pHashTable;
        m_pHashTable = NULL;
        m_nCount = 0;
        m_pFreeList = NULL;
        JXPlex<CAssoc>::FreeChain(m_pBlocks);
    }

    // Walks every entry, bucket by bucket. Changing the map ends the walk's validity.
    JXPOSITION GetStartPosition() const { return reinterpret_cast<JXPOSITION>(const_cast<CAssoc*>(m_nCount > 0 ? NextInTable(0) : NULL)); }
    void GetNextAssoc(JXPOSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        const CAssoc* pAssoc = reinterpret_cast<const CAssoc*>(rNextPosition);
        if (!JX_ASSERT(NULL != pAssoc)) return;
        rKey = pAssoc->key;
        rValue = pAssoc->value;
        const CAssoc* pNext = pAssoc->pNext ? pAssoc->pNext : NextInTable(Bucket(pAssoc->key) + 1);
        rNextPosition = reinterpret_cast<JXPOSITION>(const_cast<CAssoc*>(pNext));
    }

private:
    static std::uintptr_t KeyBits(KEY key)
    {
        if constexpr (std::is_pointer<KEY>::value)
            return reinterpret_cast<std::uintptr_t>(key);
        else
            return static_cast<std::uintptr_t>(key);
    }
    UINT Bucket(KEY key) const { return static_cast<UINT>(HashKey(key) % m_nHashTableSize); }

    BOOL AllocHashTable()
    {
        m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize]();
        return NULL != m_pHashTable;
    }

    CAssoc* FindAssoc(KEY key) const
    {
        if (NULL == m_pHashTable) return NULL;
        for (CAssoc* pAssoc = m_pHashTable[Bucket(key)]; pAssoc; pAssoc = pAssoc->pNext)
            if (pAssoc->key == key) return pAssoc;
        return NULL;
    }

    const CAssoc* NextInTable(UINT nBucket) const
    {
        if (NULL == m_pHashTable) return NULL;
        for (; nBucket < m_nHashTableSize; ++nBucket)
            if (m_pHashTable[nBucket]) return m_pHashTable[nBucket];
        return NULL;
    }

    CAssoc* NewAssoc() { return JXPlex<CAssoc>::TakeNode(m_pBlocks, m_pFreeList, m_nBlockSize); }

    CAssoc** m_pHashTable;
    UINT m_nHashTableSize;
    int m_nCount;
    CAssoc* m_pFreeList;
    JXPlex<CAssoc>* m_pBlocks;
    int m_nBlockSize;
};
