// A hash map from UTF-16 keys to values of TYPE. Keys compare exactly. The table never
// grows: size it for the expected number of keys with InitHashTable.
#pragma once

#include <new>

#include "JXCheck.h"
#include "JXPlex.h"
#include "wce/types.h"

template <class TYPE>
class JXMapStringToType {
public:
    struct CAssoc {
        CAssoc* pNext;
        DWORD nHashValue;  // the key's full hash, compared before the key
        LPCWSTR key;
        BOOL bCopyKey;  // key points at our own copy
        TYPE value;
        CAssoc() : pNext(NULL), nHashValue(0), key(NULL), bCopyKey(FALSE), value() {}
    };

    explicit JXMapStringToType(int nBlockSize = 10)
        : m_pHashTable(NULL), m_nHashTableSize(17), m_nCount(0), m_pFreeList(NULL), m_pBlocks(NULL),
          m_nBlockSize(nBlockSize)
    {
        JX_ASSERT(nBlockSize > 0);
        if (m_nBlockSize <= 0) m_nBlockSize = 10;
    }
    ~JXMapStringToType() { RemoveAll(); }
    JXMapStringToType(const JXMapStringToType&) = delete;
    JXMapStringToType& operator=(const JXMapStringToType&) = delete;

    // hash = hash x 33 + unit over the key, four units a step: the products of a step do
    // not wait on each other, so the chain of dependent multiplications is a quarter long.
    static DWORD HashKey(LPCWSTR key)
    {
        DWORD nHash = 0;
        for (;;) {
            DWORD c0 = key[0];
            if (0 == c0) return nHash;
            DWORD c1 = key[1];
            if (0 == c1) return nHash * 33 + c0;
            DWORD c2 = key[2];
            if (0 == c2) return (nHash * 33 + c0) * 33 + c1;
            DWORD c3 = key[3];
            if (0 == c3) return ((nHash * 33 + c0) * 33 + c1) * 33 + c2;
            nHash = nHash * (33u * 33 * 33 * 33) + c0 * (33u * 33 * 33) + c1 * (33u * 33) + c2 * 33u + c3;
            key += 4;
        }
    }

    // Sets the table size; only while the map is empty. With bAllocNow the table is
    // allocated at once, else on the first insertion.
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

    BOOL Lookup(LPCWSTR key, TYPE& rValue) const
    {
        const CAssoc* pAssoc = FindAssoc(key);
        if (NULL == pAssoc) return FALSE;
        rValue = pAssoc->value;
        return TRUE;
    }
    // The stored value, or null when the key is absent.
    TYPE* PLookup(LPCWSTR key)
    {
        CAssoc* pAssoc = FindAssoc(key);
        return pAssoc ? &pAssoc->value : NULL;
    }
    const TYPE* PLookup(LPCWSTR key) const
    {
        const CAssoc* pAssoc = FindAssoc(key);
        return pAssoc ? &pAssoc->value : NULL;
    }

    // Replaces the value of a present key in place; otherwise inserts the key, copied when
    // bCopyKey is set (else the caller's string must outlive the entry). FALSE when memory
    // runs out.
    BOOL SetAt(LPCWSTR key, const TYPE& value, BOOL bCopyKey = FALSE)
    {
        if (!JX_ASSERT(NULL != key)) return FALSE;
        DWORD nHash = HashKey(key);
        CAssoc* pAssoc = FindAssoc(key, nHash);
        if (pAssoc) {
            pAssoc->value = value;
            return TRUE;
        }
        if (NULL == m_pHashTable && !AllocHashTable()) return FALSE;
        LPCWSTR storedKey = key;
        if (bCopyKey) {
            storedKey = CopyKey(key);
            if (NULL == storedKey) return FALSE;
        }
        pAssoc = NewAssoc();
        if (NULL == pAssoc) {
            if (bCopyKey) delete[] storedKey;
            return FALSE;
        }
        pAssoc->nHashValue = nHash;
        pAssoc->key = storedKey;
        pAssoc->bCopyKey = bCopyKey;
        pAssoc->value = value;
        CAssoc*& rHead = m_pHashTable[nHash % m_nHashTableSize];
        pAssoc->pNext = rHead;
        rHead = pAssoc;
        ++m_nCount;
        return TRUE;
    }

    BOOL RemoveKey(LPCWSTR key)
    {
        if (NULL == key || NULL == m_pHashTable) return FALSE;
        DWORD nHash = HashKey(key);
        CAssoc** ppLink = &m_pHashTable[nHash % m_nHashTableSize];
        for (CAssoc* pAssoc = *ppLink; pAssoc; ppLink = &pAssoc->pNext, pAssoc = pAssoc->pNext) {
            if (pAssoc->nHashValue == nHash && KeysEqual(pAssoc->key, key)) {
                *ppLink = pAssoc->pNext;
                FreeAssoc(pAssoc);
                return TRUE;
            }
        }
        return FALSE;
    }

    // Frees every entry, the table and the blocks; the table size stays.
    void RemoveAll()
    {
        if (m_pHashTable) {
            for (UINT i = 0; i < m_nHashTableSize; ++i)
                for (CAssoc* pAssoc = m_pHashTable[i]; pAssoc; pAssoc = pAssoc->pNext)
                    if (pAssoc->bCopyKey) delete[] pAssoc->key;
        }
        delete[] m_pHashTable;
        m_pHashTable = NULL;
        m_nCount = 0;
        m_pFreeList = NULL;
        JXPlex<CAssoc>::FreeChain(m_pBlocks);
    }

    // Walks every entry, bucket by bucket. Changing the map ends the walk's validity.
    JXPOSITION GetStartPosition() const
    {
        return reinterpret_cast<JXPOSITION>(const_cast<CAssoc*>(m_nCount > 0 ? NextInTable(0) : NULL));
    }
    void GetNextAssoc(JXPOSITION& rNextPosition, LPCWSTR& rKey, TYPE& rValue) const
    {
        const CAssoc* pAssoc = reinterpret_cast<const CAssoc*>(rNextPosition);
        if (!JX_ASSERT(NULL != pAssoc)) return;
        rKey = pAssoc->key;
        rValue = pAssoc->value;
        const CAssoc* pNext = pAssoc->pNext ? pAssoc->pNext : NextInTable(pAssoc->nHashValue % m_nHashTableSize + 1);
        rNextPosition = reinterpret_cast<JXPOSITION>(const_cast<CAssoc*>(pNext));
    }

private:
    static bool KeysEqual(LPCWSTR a, LPCWSTR b)
    {
        while (*a && *a == *b) ++a, ++b;
        return *a == *b;
    }

    static LPCWSTR CopyKey(LPCWSTR key)
    {
        size_t nLength = 0;
        while (key[nLength]) ++nLength;
        WCHAR* pCopy = new (std::nothrow) WCHAR[nLength + 1];
        if (pCopy) for (size_t i = 0; i <= nLength; ++i) pCopy[i] = key[i];
        return pCopy;
    }

    BOOL AllocHashTable()
    {
        m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize]();
        return NULL != m_pHashTable;
    }

    CAssoc* FindAssoc(LPCWSTR key) const
    {
        if (NULL == key || NULL == m_pHashTable) return NULL;
        return FindAssoc(key, HashKey(key));
    }
    CAssoc* FindAssoc(LPCWSTR key, DWORD nHash) const
    {
        if (NULL == m_pHashTable) return NULL;
        for (CAssoc* pAssoc = m_pHashTable[nHash % m_nHashTableSize]; pAssoc; pAssoc = pAssoc->pNext)
            if (pAssoc->nHashValue == nHash && KeysEqual(pAssoc->key, key)) return pAssoc;
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

    void FreeAssoc(CAssoc* pAssoc)
    {
        if (pAssoc->bCopyKey) delete[] pAssoc->key;
        pAssoc->key = NULL;
        pAssoc->bCopyKey = FALSE;
        pAssoc->value = TYPE();  // lets go of what the value held
        pAssoc->pNext = m_pFreeList;
        m_pFreeList = pAssoc;
        --m_nCount;
    }

    CAssoc** m_pHashTable;
    UINT m_nHashTableSize;
    int m_nCount;
    CAssoc* m_pFreeList;
    JXPlex<CAssoc>* m_pBlocks;
    int m_nBlockSize;
};
