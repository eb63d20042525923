// Record storage for documents that hold many small records: numbered fixed-size records,
// and runs of records bump-allocated side by side. Both take memory a block at a time and
// give it back all at once, so that loading a large file does not call the allocator per
// record and touches no more memory than the records fill.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wce/types.h"

// Fixed-size records named by numbers from 1 (0 names none), which take half the room of a
// pointer on a 64-bit host. A record stays where it is until it is freed; freed records are
// reused. Blocks double from 8 to 1024 records, then stay at 1024.
class CJxRecordPool {
public:
    explicit CJxRecordPool(size_t nRecordSize);
    ~CJxRecordPool();
    CJxRecordPool(const CJxRecordPool&) = delete;
    CJxRecordPool& operator=(const CJxRecordPool&) = delete;

    // The number of a new record, or 0 when memory runs out. *ppRecord receives its place.
    DWORD Alloc(void** ppRecord)
    {
        if (0 == m_nFree && m_nUsed < m_nCapacity) {
            *ppRecord = At(++m_nUsed);
            return m_nUsed;
        }
        return AllocSlow(ppRecord);
    }
    void Free(DWORD nRecord);
    // Frees every block at once (the records need no destruction).
    void FreeAll();

    // The record of a number that Alloc returned; null for 0.
    void* At(DWORD nRecord) const
    {
        if (0 == nRecord) return NULL;
        DWORD nSlot = nRecord - 1;
        DWORD nBlock, nIndex;
        if (nSlot < kGrowingSlots) {
            // Block b holds slots [8 * (2^b - 1), 8 * (2^(b+1) - 1)).
            DWORD n = nSlot + kFirstBlockRecords;
            nBlock = static_cast<DWORD>(31 - __builtin_clz(n)) - kFirstBlockShift;
            nIndex = n - (kFirstBlockRecords << nBlock);
        } else {
            nSlot -= kGrowingSlots;
            nBlock = kGrowingBlocks + (nSlot >> kLastBlockShift);
            nIndex = nSlot & (kLastBlockRecords - 1);
        }
        return m_ppBlocks[nBlock] + static_cast<size_t>(nIndex) * m_nRecordSize;
    }

private:
    enum : DWORD {
        kFirstBlockShift = 3,
        kFirstBlockRecords = 1u << kFirstBlockShift,
        kLastBlockShift = 10,
        kLastBlockRecords = 1u << kLastBlockShift,
        kGrowingBlocks = kLastBlockShift - kFirstBlockShift,  // 8, 16, ... 512 records
        kGrowingSlots = kLastBlockRecords - kFirstBlockRecords,
    };
    BOOL AddBlock();
    DWORD AllocSlow(void** ppRecord);

    size_t m_nRecordSize;
    BYTE** m_ppBlocks;
    DWORD m_nBlocks;
    DWORD m_nBlockSlots;  // entries of m_ppBlocks
    DWORD m_nUsed;        // numbers handed out so far (freed ones included)
    DWORD m_nCapacity;    // records the blocks hold
    DWORD m_nFree;        // first freed record, 0 for none
};

// Runs of bytes bump-allocated side by side, 8-byte aligned; a run can grow while it is the
// last one. Blocks double from 128 bytes to 64 KiB, and a run that outgrows half of that
// moves into a block of its own with as much room again; everything is freed at once.
class CJxRunArena {
public:
    CJxRunArena();
    ~CJxRunArena();
    CJxRunArena(const CJxRunArena&) = delete;
    CJxRunArena& operator=(const CJxRunArena&) = delete;

    void* Alloc(size_t nBytes)
    {
        const std::uintptr_t nCursor = reinterpret_cast<std::uintptr_t>(m_pCursor);
        const std::uintptr_t nRun = (nCursor + (kAlign - 1)) & ~static_cast<std::uintptr_t>(kAlign - 1);
        if (m_pCursor && nRun <= reinterpret_cast<std::uintptr_t>(m_pLimit) &&
            reinterpret_cast<std::uintptr_t>(m_pLimit) - nRun >= nBytes) {
            m_pCursor = reinterpret_cast<BYTE*>(nRun) + nBytes;
            return reinterpret_cast<BYTE*>(nRun);
        }
        return AllocInNewBlock(nBytes);
    }
    // Makes the run pRun of nUsed bytes nMore bytes longer: in place while it ends where the
    // next run would start and its block has room, else as a copy in a new place. Returns
    // where the run now is, or null when memory runs out (the run is then left as it was).
    void* Grow(void* pRun, size_t nUsed, size_t nMore)
    {
        if (static_cast<BYTE*>(pRun) + nUsed == m_pCursor && static_cast<size_t>(m_pLimit - m_pCursor) >= nMore) {
            m_pCursor += nMore;
            return pRun;
        }
        return Move(pRun, nUsed, nMore);
    }
    void FreeAll();

private:
    enum { kAlign = 8 };
    struct CBlock;
    void* AllocInNewBlock(size_t nBytes);
    void* Move(void* pRun, size_t nUsed, size_t nMore);
    BOOL AddBlock(size_t nAtLeast);

    CBlock* m_pBlocks;
    BYTE* m_pCursor;
    BYTE* m_pLimit;
    size_t m_nNextBlockBytes;
};
