// Layout of .pack resource archives, and the structure checks that every reader of an
// archive directory runs before it trusts a single size or offset in it. Shared by the
// framework's reader and by packtool.
//
//   head (12 bytes)       tag (not read), H = size of head + directory block, W = check word
//   directory block       scrambled; H - 12 bytes, a multiple of 4
//     0   W again         equal to the head's W under the right password
//     4   N               entry records (signed; 0 or less: none)
//     8   -               not read by the framework (packtool: kJxPackToolMark)
//     12  L               units of the archive's name, its NUL included; 1..259
//     16  name            UTF-16, NUL-terminated, not used when reading
//     ... N entry records, each starting where the previous one's size says
//   entry data            zlib streams at the offsets the records give
//
// Entry record: size, (packtool: CRC-32 of the plain bytes), uncompressed size, compressed
// size, data offset, 8 bytes not read, then the relative path: UTF-16, NUL-terminated,
// lower case, "\\"-separated. Records are sorted by their paths as unsigned 16-bit units,
// a text before every longer text it begins.
#pragma once

#include "JXPackCommon.h"
#include "wce/types.h"

constexpr DWORD kJxPackHeadSize = 12;
constexpr DWORD kJxPackHeadSizeOffset = 4;   // H
constexpr DWORD kJxPackCheckWordOffset = 8;  // W
constexpr DWORD kJxPackBlockFixedSize = 16;  // W copy, N, (not read), L
constexpr DWORD kJxPackRecordFixedSize = 28;  // the path follows
constexpr int kJxPackMaxNameUnits = 260;      // L and paths stay below this, NUL included
// zlib cannot expand data by more than about 1032:1; a larger claim is a damaged entry and
// must not make the reader allocate gigabytes.
constexpr DWORD kJxPackMaxInflateRatio = 1032;

// What packtool writes into the fields the framework does not read: the head's first word,
// the block's third word (it says that each record's second word holds the CRC-32 of the
// entry's plain bytes).
constexpr DWORD kJxPackToolTag = 0x4B434150u;   // "PACK"
constexpr DWORD kJxPackToolMark = 0x31435243u;  // "CRC1"

enum JxPackDirStatus {
    JX_PACK_DIR_OK,
    JX_PACK_DIR_WRONG_PASSWORD,  // the block's first word is not W
    JX_PACK_DIR_BAD_NAME,        // L out of 1..259, or the name runs past the block or is not terminated
    JX_PACK_DIR_BAD_COUNT,       // N records cannot fit the rest of the block
    JX_PACK_DIR_BAD_RECORD,      // a record, or its path, runs past the block or its size is too small
};

// H must leave room for the head and the block's fixed part, stay within the file, and
// give a block of whole words (the scrambling works on words).
BOOL JxIsPackHeadSizeValid(DWORD dwHeadSize, DWORD dwFileSize);

// Checks the unscrambled directory block of dwLength bytes against the head's check word,
// in the order a wrong password is best told apart: W, the name, N, then every record. On
// JX_PACK_DIR_OK *pnCount is the number of records (0 when N <= 0); on
// JX_PACK_DIR_BAD_RECORD it is the index of the damaged record.
JxPackDirStatus JxCheckPackDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwCheckWord, int* pnCount);

// Offset of the first record in a block that passed the name check.
inline DWORD JxPackFirstRecordOffset(const BYTE* pBlock)
{
    return kJxPackBlockFixedSize + 2 * JxReadLe32(pBlock + 12);
}

// Fields of a record that passed JxCheckPackDirectory. Records need not be aligned.
inline DWORD JxPackRecordSize(const BYTE* pRecord) { return JxReadLe32(pRecord); }
inline DWORD JxPackRecordCrc(const BYTE* pRecord) { return JxReadLe32(pRecord + 4); }
inline DWORD JxPackRecordUncompressedSize(const BYTE* pRecord) { return JxReadLe32(pRecord + 8); }
inline DWORD JxPackRecordCompressedSize(const BYTE* pRecord) { return JxReadLe32(pRecord + 12); }
inline DWORD JxPackRecordDataOffset(const BYTE* pRecord) { return JxReadLe32(pRecord + 16); }
inline const BYTE* JxPackRecordPath(const BYTE* pRecord) { return pRecord + kJxPackRecordFixedSize; }

// Compares pPath with a record's path by unsigned 16-bit units: <0, 0 or >0.
int JxComparePackPath(LPCWSTR pPath, const BYTE* pRecord);

// Copies a record's path into szPath (cap units, always terminated); returns its length.
int JxCopyPackPath(const BYTE* pRecord, LPWSTR szPath, int nCap);

// The uncompressed size an entry of dwCompressed bytes can honestly claim.
inline bool JxIsPackInflateSizePlausible(DWORD dwUncompressed, DWORD dwCompressed)
{
    return static_cast<std::uint64_t>(dwUncompressed) <=
           static_cast<std::uint64_t>(dwCompressed) * kJxPackMaxInflateRatio + 64;
}
