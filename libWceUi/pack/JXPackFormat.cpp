#include "JXPackFormat.h"

BOOL JxIsPackHeadSizeValid(DWORD dwHeadSize, DWORD dwFileSize)
{
    if (dwHeadSize < kJxPackHeadSize + kJxPackBlockFixedSize) return FALSE;
    if (dwHeadSize > dwFileSize) return FALSE;
    return 0 == (dwHeadSize - kJxPackHeadSize) % 4;
}

namespace {

// TRUE when a NUL unit ends the text within the nBytes at p.
bool IsTerminatedWithin(const BYTE* p, DWORD nBytes)
{
    for (DWORD i = 0; i + 2 <= nBytes; i += 2)
        if (0 == p[i] && 0 == p[i + 1]) return true;
    return false;
}

}  // namespace

JxPackDirStatus JxCheckPackDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwCheckWord, int* pnCount)
{
    if (pnCount) *pnCount = 0;
    if (NULL == pBlock || dwLength < kJxPackBlockFixedSize) return JX_PACK_DIR_BAD_NAME;
    if (JxReadLe32(pBlock) != dwCheckWord) return JX_PACK_DIR_WRONG_PASSWORD;

    const auto nNameUnits = static_cast<std::int32_t>(JxReadLe32(pBlock + 12));
    if (nNameUnits <= 0 || nNameUnits >= kJxPackMaxNameUnits) return JX_PACK_DIR_BAD_NAME;
    const DWORD dwFirst = JxPackFirstRecordOffset(pBlock);
    if (dwFirst > dwLength) return JX_PACK_DIR_BAD_NAME;
    if (0 != JxReadLe16(pBlock + dwFirst - 2)) return JX_PACK_DIR_BAD_NAME;

    // N is signed: a negative count is an empty archive, never a huge unsigned one.
    const auto nCount = static_cast<std::int32_t>(JxReadLe32(pBlock + 4));
    if (nCount <= 0) return JX_PACK_DIR_OK;
    // Every record takes at least its fixed part: this bounds the index the reader allocates.
    if (static_cast<DWORD>(nCount) > (dwLength - dwFirst) / kJxPackRecordFixedSize) return JX_PACK_DIR_BAD_COUNT;

    DWORD dwPos = dwFirst;
    for (int i = 0; i < nCount; ++i) {
        const DWORD dwLeft = dwLength - dwPos;
        const DWORD dwSize = dwLeft >= kJxPackRecordFixedSize ? JxPackRecordSize(pBlock + dwPos) : 0;
        // The path must end inside its own record, so that comparing it never reads past
        // the block, whatever the next record holds.
        if (dwSize < kJxPackRecordFixedSize || dwSize > dwLeft ||
            !IsTerminatedWithin(pBlock + dwPos + kJxPackRecordFixedSize, dwSize - kJxPackRecordFixedSize)) {
            if (pnCount) *pnCount = i;
            return JX_PACK_DIR_BAD_RECORD;
        }
        dwPos += dwSize;
    }
    if (pnCount) *pnCount = nCount;
    return JX_PACK_DIR_OK;
}

int JxComparePackPath(LPCWSTR pPath, const BYTE* pRecord)
{
    const BYTE* pName = JxPackRecordPath(pRecord);
    for (;; ++pPath, pName += 2) {
        const unsigned a = static_cast<WORD>(*pPath);
        const unsigned b = JxReadLe16(pName);
        if (a != b) return a < b ? -1 : 1;
        if (0 == a) return 0;
    }
}

int JxCopyPackPath(const BYTE* pRecord, LPWSTR szPath, int nCap)
{
    if (NULL == szPath || nCap <= 0) return 0;
    const BYTE* pName = JxPackRecordPath(pRecord);
    int n = 0;
    for (; n < nCap - 1; ++n) {
        const WCHAR c = JxReadLe16(pName + 2 * n);
        if (0 == c) break;
        szPath[n] = c;
    }
    szPath[n] = 0;
    return n;
}
