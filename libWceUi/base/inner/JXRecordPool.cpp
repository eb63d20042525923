#include "JXRecordPool.h"

#include <cstdint>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------------------
// Numbered records

CJxRecordPool::CJxRecordPool(size_t nRecordSize)
    : m_nRecordSize(nRecordSize < sizeof(DWORD) ? sizeof(DWORD) : nRecordSize), m_ppBlocks(NULL), m_nBlocks(0),
      m_nBlockSlots(0), m_nUsed(0), m_nCapacity(0), m_nFree(0)
{
}

CJxRecordPool::~CJxRecordPool() { FreeAll(); }

BOOL CJxRecordPool::AddBlock()
{
    if (m_nBlocks == m_nBlockSlots) {
        DWORD nSlots = m_nBlockSlots ? 2 * m_nBlockSlots : 16;
        BYTE** ppBlocks = new (std::nothrow) BYTE*[nSlots];
        if (NULL == ppBlocks) return FALSE;
        if (m_nBlocks) memcpy(ppBlocks, m_ppBlocks, m_nBlocks * sizeof(BYTE*));
        delete[] m_ppBlocks;
        m_ppBlocks = ppBlocks;
        m_nBlockSlots = nSlots;
    }
    DWORD nRecords = m_nBlocks < kGrowingBlocks ? kFirstBlockRecords << m_nBlocks : kLastBlockRecords;
    // Numbers must stay below 2^32.
    if (m_nCapacity > 0xFFFFFFFEu - nRecords) return FALSE;
    BYTE* pBlock = static_cast<BYTE*>(::operator new(nRecords * m_nRecordSize, std::nothrow));
    if (NULL == pBlock) return FALSE;
    m_ppBlocks[m_nBlocks++] = pBlock;
    m_nCapacity += nRecords;
    return TRUE;
}

DWORD CJxRecordPool::AllocSlow(void** ppRecord)
{
    DWORD nRecord = m_nFree;
    if (nRecord) {
        void* pRecord = At(nRecord);
        memcpy(&m_nFree, pRecord, sizeof(m_nFree));
        *ppRecord = pRecord;
        return nRecord;
    }
    if (m_nUsed == m_nCapacity && !AddBlock()) {
        *ppRecord = NULL;
        return 0;
    }
    nRecord = ++m_nUsed;
    *ppRecord = At(nRecord);
    return nRecord;
}

void CJxRecordPool::Free(DWORD nRecord)
{
    if (0 == nRecord) return;
    memcpy(At(nRecord), &m_nFree, sizeof(m_nFree));
    m_nFree = nRecord;
}

void CJxRecordPool::FreeAll()
{
    for (DWORD i = 0; i < m_nBlocks; ++i) ::operator delete(m_ppBlocks[i]);
    delete[] m_ppBlocks;
    m_ppBlocks = NULL;
    m_nBlocks = 0;
    m_nBlockSlots = 0;
    m_nUsed = 0;
    m_nCapacity = 0;
    m_nFree = 0;
}

// ---------------------------------------------------------------------------------------
// Runs

struct CJxRunArena::CBlock {
    CBlock* pNext;
    size_t nBytes;  // keeps the records behind the header 8-byte aligned on 32-bit hosts too
};

namespace {
const size_t kFirstRunBlockBytes = 128;
const size_t kLastRunBlockBytes = 64 * 1024;
}  // namespace

CJxRunArena::CJxRunArena() : m_pBlocks(NULL), m_pCursor(NULL), m_pLimit(NULL), m_nNextBlockBytes(kFirstRunBlockBytes)
{
}

CJxRunArena::~CJxRunArena() { FreeAll(); }

BOOL CJxRunArena::AddBlock(size_t nAtLeast)
{
    size_t nBytes = m_nNextBlockBytes;
    if (nBytes < nAtLeast) nBytes = nAtLeast;
    if (nBytes > static_cast<size_t>(-1) - sizeof(CBlock)) return FALSE;
    BYTE* pMemory = static_cast<BYTE*>(::operator new(sizeof(CBlock) + nBytes, std::nothrow));
    if (NULL == pMemory) return FALSE;
    CBlock* pBlock = reinterpret_cast<CBlock*>(pMemory);
    pBlock->pNext = m_pBlocks;
    pBlock->nBytes = nBytes;
    m_pBlocks = pBlock;
    m_pCursor = pMemory + sizeof(CBlock);
    m_pLimit = m_pCursor + nBytes;
    if (m_nNextBlockBytes < kLastRunBlockBytes) m_nNextBlockBytes *= 2;
    return TRUE;
}

void* CJxRunArena::AllocInNewBlock(size_t nBytes)
{
    if (!AddBlock(nBytes)) return NULL;
    BYTE* pRun = m_pCursor;  // a block's records start aligned
    m_pCursor += nBytes;
    return pRun;
}

void* CJxRunArena::Move(void* pRun, size_t nUsed, size_t nMore)
{
    if (nMore > static_cast<size_t>(-1) / 2 - nUsed) return NULL;
    const size_t nBytes = nUsed + nMore;
    void* pNew;
    if (nBytes <= kLastRunBlockBytes / 2) {
        pNew = Alloc(nBytes);
    } else {
        // A run larger than the blocks gets one of its own with as much room again, so that
        // growing it further copies it only now and then.
        if (!AddBlock(2 * nBytes)) return NULL;
        pNew = m_pCursor;
        m_pCursor += nBytes;
    }
    if (NULL == pNew) return NULL;
    if (nUsed) memcpy(pNew, pRun, nUsed);
    return pNew;
}

void CJxRunArena::FreeAll()
{
    while (m_pBlocks) {
        CBlock* pNext = m_pBlocks->pNext;
        ::operator delete(m_pBlocks);
        m_pBlocks = pNext;
    }
    m_pCursor = NULL;
    m_pLimit = NULL;
    m_nNextBlockBytes = kFirstRunBlockBytes;
}
