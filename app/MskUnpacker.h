// Checks and unpacks MSK update packages below a target directory.
#pragma once

#include <vector>

#include "JXPackCommon.h"
#include "wce/cstring.h"
#include "wce/types.h"

// Called after each finished entry; return non-zero to go on, zero to cancel.
using MskProgressCallback = int (*)(void* pContext, DWORD dwIndex, LPCWSTR pName, DWORD dwCount);

class CMskUnpacker {
public:
    CMskUnpacker();
    ~CMskUnpacker();
    CMskUnpacker(const CMskUnpacker&) = delete;
    CMskUnpacker& operator=(const CMskUnpacker&) = delete;

    // 1 when the magic is right and the check word matches under the key (and the
    // directory is sound); else 0 with an error key or message in strError.
    int VerifyPackage(LPCWSTR pPath, DWORD dwKey, CString& strError);
    // 1 on success; strError always receives the last error (empty on success).
    int Unpack(LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError);

    static int CreateDirectoryTree(LPCWSTR pPath);
    static CString AddTrailingBackslash(const CString& strPath);

    DWORD m_dwKey;
    CString m_strFile;
    CString m_strDir;
    CString m_strError;
    CString m_strRootName;
    std::vector<const BYTE*> m_entries;  // records inside m_pDirectory, in directory order
    BYTE* m_pDirectory;
    DWORD m_dwDirectoryLength;
    MskProgressCallback m_pfnProgress;
    void* m_pProgressContext;

private:
    void Reset();
    void FreeDirectory();
    // Reads and unscrambles the directory block of an open package; sets m_strError with
    // the messages of the calling operation on failure.
    int LoadDirectory();
    int UnpackEntries();
    int ExtractFile(const BYTE* pRecord, HANDLE hPackage);
    int ReportProgress(DWORD dwIndex, LPCWSTR pName, DWORD dwCount);
    int CheckTargetPaths();
};
