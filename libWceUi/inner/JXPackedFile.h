// One .pack archive: its directory, read and unscrambled once, then searched by binary
// search; each entry is read and inflated on demand. The directory is reloaded when the
// archive's check word on disk or the password changes.
#pragma once

#include "wce/types.h"

class CJxPackedFile {
public:
    // pPackPath: the lower-case device path of the archive file. Nothing is read here.
    explicit CJxPackedFile(LPCWSTR pPackPath);
    ~CJxPackedFile();
    CJxPackedFile(const CJxPackedFile&) = delete;
    CJxPackedFile& operator=(const CJxPackedFile&) = delete;

    // Loads the directory, or keeps the cached one while the archive is unchanged. A
    // failure (logged) leaves the object empty, so the next call tries again.
    BOOL Load(LPCWSTR pPassword);
    BOOL IsLoaded() const { return m_bLoaded; }

    // The record of the entry with exactly this path (lower case, "\\"-separated), or null.
    const BYTE* FindItem(LPCWSTR pRelativePath) const;

    // The entry's plain bytes (*pdwSize of them, caller deletes with delete[]), or null with
    // *pdwSize = 0 (logged).
    BYTE* ReadItem(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword);

    LPCWSTR GetPackPath() const { return m_szPackPath; }
    int GetItemCount() const { return m_nItemCount; }
    // The record at nIndex in directory order (see JXPackFormat.h for its fields).
    const BYTE* GetItem(int nIndex) const;

private:
    enum ChangeState { PACK_UNCHANGED, PACK_CHANGED, PACK_CHECK_FAILED };

    void Empty();
    ChangeState CheckForChange(DWORD dwKey) const;
    BOOL impLoad(DWORD dwKey);

    DWORD m_dwKey;                  // the key the directory was unscrambled with
    WCHAR m_szPackPath[MAX_PATH];   // lower case
    DWORD m_dwCheckWord;            // W as read from the head
    const BYTE** m_ppItems;         // N pointers into m_pDirectory
    int m_nItemCount;               // N
    BOOL m_bLoaded;
    BYTE* m_pDirectory;             // the unscrambled directory block, owned
};
