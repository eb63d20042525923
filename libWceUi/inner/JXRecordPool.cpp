#include "JXRecordPool.h"

#include <cstddef>
#include <cstring>
#include <new>

struct CJxRecordPool::CBlock {
    CBlock* pNext;
};

namespace {
const size_t kBlockHeaderSize = (sizeof(void*) + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
const size_t kFirstBlockRecords = 8;
const size_t kMaxBlockRecords = 512;
}  // namespace

CJxRecordPool::CJxRecordPool(size_t nRecordSize)
    : m_nRecordSize((nRecordSize + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1)),
      m_pBlocks(NULL), m_pFree(NULL), m_pCursor(NULL), m_pLimit(NULL), m_nNextBlockRecords(kFirstBlockRecords)
{
}

CJxRecordPool::~CJxRecordPool() { FreeAll(); }

void* CJxRecordPool::Alloc()
{
    if (m_pFree) {
        void* pRecord = m_pFree;
        memcpy(&m_pFree, pRecord, sizeof(m_pFree));
        return pRecord;
    }
    if (NULL == m_pCursor || static_cast<size_t>(m_pLimit - m_pCursor) < m_nRecordSize) {
        // Blocks grow, so that small documents stay small and large ones need few blocks.
        size_t nBytes = kBlockHeaderSize + m_nNextBlockRecords * m_nRecordSize;
        BYTE* pMemory = static_cast<BYTE*>(::operator new(nBytes, std::nothrow));
        if (NULL == pMemory) return NULL;
        CBlock* pBlock = reinterpret_cast<CBlock*>(pMemory);
        pBlock->pNext = m_pBlocks;
        m_pBlocks = pBlock;
        m_pCursor = pMemory + kBlockHeaderSize;
        m_pLimit = pMemory + nBytes;
        if (m_nNextBlockRecords < kMaxBlockRecords) m_nNextBlockRecords *= 2;
    }
    void* pRecord = m_pCursor;
    m_pCursor += m_nRecordSize;
    return pRecord;
}

void CJxRecordPool::Free(void* pRecord)
{
    if (NULL == pRecord) return;
    memcpy(pRecord, &m_pFree, sizeof(m_pFree));
    m_pFree = pRecord;
}

void CJxRecordPool::FreeAll()
{
    while (m_pBlocks) {
        CBlock* pNext = m_pBlocks->pNext;
        ::operator delete(m_pBlocks);
        m_pBlocks = pNext;
    }
    m_pFree = NULL;
    m_pCursor = NULL;
    m_pLimit = NULL;
    m_nNextBlockRecords = kFirstBlockRecords;
}
