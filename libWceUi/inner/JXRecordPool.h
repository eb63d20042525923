// Fixed-size records, a block at a time, beside the containers' node blocks (JXPlex).
#pragma once

#include <cstddef>

#include "wce/types.h"

// Fixed-size records of one kind, a block at a time; freed records are reused. Documents
// keep their items here, so that loading a large file does not call the allocator per item.
class CJxRecordPool {
public:
    explicit CJxRecordPool(size_t nRecordSize);
    ~CJxRecordPool();
    CJxRecordPool(const CJxRecordPool&) = delete;
    CJxRecordPool& operator=(const CJxRecordPool&) = delete;

    void* Alloc();
    void Free(void* pRecord);
    // Frees every block at once (the records need no destruction).
    void FreeAll();

private:
    struct CBlock;
    size_t m_nRecordSize;
    CBlock* m_pBlocks;
    void* m_pFree;
    BYTE* m_pCursor;
    BYTE* m_pLimit;
    size_t m_nNextBlockRecords;
};
