// A file handle closed on every way out of a scope, and the exact read that every reader of
// packages and archives needs.
#pragma once

#include "wce/files.h"
#include "wce/types.h"

class CJxAutoHandle {
public:
    explicit CJxAutoHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CJxAutoHandle()
    {
        if (IsValid()) CloseHandle(m_hFile);
    }
    CJxAutoHandle(const CJxAutoHandle&) = delete;
    CJxAutoHandle& operator=(const CJxAutoHandle&) = delete;
    BOOL IsValid() const { return INVALID_HANDLE_VALUE != m_hFile; }
    HANDLE Get() const { return m_hFile; }

private:
    HANDLE m_hFile;
};

// Exactly dwBytes, or FALSE.
inline BOOL JxReadExactly(HANDLE hFile, void* pBuffer, DWORD dwBytes)
{
    DWORD dwRead = 0;
    return ReadFile(hFile, pBuffer, dwBytes, &dwRead, NULL) && dwRead == dwBytes;
}

// An existing file, opened for reading with read sharing.
inline HANDLE JxOpenForReading(LPCWSTR pPath)
{
    return CreateFileW(pPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// A package read from its start by one step of an update: the caller's open handle, rewound,
// or, when the caller has none (INVALID_HANDLE_VALUE), the file at pPath opened here and
// closed on the way out. Not valid when that open fails (GetLastError tells why).
class CJxPackageHandle {
public:
    CJxPackageHandle(HANDLE hGiven, LPCWSTR pPath)
        : m_opened(INVALID_HANDLE_VALUE == hGiven ? JxOpenForReading(pPath) : INVALID_HANDLE_VALUE),
          m_hFile(INVALID_HANDLE_VALUE == hGiven ? m_opened.Get() : hGiven)
    {
        if (INVALID_HANDLE_VALUE != hGiven) SetFilePointer(hGiven, 0, NULL, FILE_BEGIN);
    }
    BOOL IsValid() const { return INVALID_HANDLE_VALUE != m_hFile; }
    HANDLE Get() const { return m_hFile; }

private:
    CJxAutoHandle m_opened;  // declared first: m_hFile is taken from it
    HANDLE m_hFile;
};
