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
    // As ReadItem, for WceUiReadFile once the archive has an object: that the archive path
    // names an existing file, not a directory, is asked only when it cannot be opened; if
    // not, "%s is not a valid packed file" is logged and the object stays as it is.
    BYTE* ReadItemOfCheckedPath(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword);

    LPCWSTR GetPackPath() const { return m_szPackPath; }
    int GetItemCount() const { return m_nItemCount; }
    // The record at nIndex in directory order (see JXPackFormat.h for its fields).
    const BYTE* GetItem(int nIndex) const;

private:
    // Compressed entries up to this size are read into one buffer kept between reads, so
    // that a read allocates only its result; larger ones get a buffer of their own.
    enum { kMaxKeptReadBuffer = 256 * 1024 };

    void Empty();
    // Opens the archive; a failure is logged (as a check of the loaded directory, or as a
    // load) and empties the object.
    // With bCheckPath, a failure first asks whether the path names a file at all.
    HANDLE impOpen(DWORD dwKey, BOOL bCheckPath = FALSE);
    BYTE* impReadItem(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword, BOOL bCheckPath);
    // With the archive open at its start: keeps the loaded directory while the head's check
    // word and the key are unchanged, else (re)loads it. A failure empties the object.
    BOOL impLoadOpen(HANDLE hFile, DWORD dwKey);
    BOOL impLoad(HANDLE hFile, DWORD dwKey);
    BYTE* impGetReadBuffer(DWORD dwSize);
    void impReleaseReadBuffer(BYTE* pBuffer);

    DWORD m_dwKey;                  // the key the directory was unscrambled with
    WCHAR m_szPackPath[MAX_PATH];   // lower case
    DWORD m_dwCheckWord;            // W as read from the head
    const BYTE** m_ppItems;         // N pointers into m_pDirectory
    int m_nItemCount;               // N
    BOOL m_bLoaded;
    BYTE* m_pDirectory;             // the unscrambled directory block, owned
    BYTE* m_pReadBuffer;            // compressed bytes of the last read, owned
    DWORD m_dwReadBuffer;
};

// Whether pPackPath names an existing file (not a directory); if not, logs
// "%s is not a valid packed file".
BOOL JxIsPackFilePath(LPCWSTR pPackPath);
