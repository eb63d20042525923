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
