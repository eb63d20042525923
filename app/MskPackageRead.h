// Reading a package without writing anything: its directory block, and each file entry's
// data inflated into nothing to prove it whole.
#pragma once

#include <memory>
#include <vector>

#include "MskFormat.h"
#include "wce/types.h"

// What went wrong while reading the header and directory block.
enum class MskLoadFailure { None, Magic, Read, Format, Check };

// Reads magic, header and directory block of an open package into a new buffer (new[]) and
// unscrambles it. The check word is compared as soon as the first word is in, and the block
// is read in growing pieces, each record's size checked as it arrives: a header claiming
// gigabytes over a sparse file costs one piece. A block cut short at a bad record is handed
// back cut (dwLength shrinks), still holding that record, so that the directory checks
// refuse it.
MskLoadFailure MskReadDirectoryBlock(HANDLE hPackage, DWORD dwKey, BYTE*& pBlock, DWORD& dwLength,
                                     DWORD& dwFileSize, DWORD& dwCheckWord);

// Inflates file entries into nothing. Entries whose both sizes fit kWholeLimit are inflated
// in one call by the platform's decompression library (libdeflate, about twice zlib's
// speed); larger ones stream through zlib in small pieces, so the check never holds more
// than the unpack itself holds for the same entry.
class CMskDataCheck {
public:
    static constexpr DWORD kWholeLimit = 4u << 20;

    CMskDataCheck();
    ~CMskDataCheck();
    CMskDataCheck(const CMskDataCheck&) = delete;
    CMskDataCheck& operator=(const CMskDataCheck&) = delete;

    enum class Result { Whole, Damaged, ReadFailed };
    // Damaged: not one zlib stream of exactly the stated size, or the file ends early.
    // ReadFailed: the platform's error is in GetLastError.
    Result CheckEntry(HANDLE hPackage, const CMskEntryView& entry);

private:
    using Uncompress = int (*)(BYTE*, DWORD*, const BYTE*, DWORD);
    HMODULE m_hLibrary;
    Uncompress m_pfnUncompress;
    std::vector<BYTE> m_packed;
    std::vector<BYTE> m_plain;

    Result impWhole(HANDLE hPackage, const CMskEntryView& entry);
    Result impStreamed(HANDLE hPackage, const CMskEntryView& entry);
};
