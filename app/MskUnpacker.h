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
    // VerifyPackage, then every file entry's data inflated once into nothing (zlib checks
    // each stream's Adler-32): one damaged byte anywhere refuses the package with
    // "file_format_error" before the caller deletes anything. Writes nothing.
    int VerifyPackageData(LPCWSTR pPath, DWORD dwKey, CString& strError);
    // 1 on success; strError always receives the last error (empty on success).
    int Unpack(LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError);
    // The same on the package at pPath that the caller opened for reading: read from its start,
    // with pPath in the messages, and not opened again.
    int VerifyPackageData(HANDLE hPackage, LPCWSTR pPath, DWORD dwKey, CString& strError);
    int Unpack(HANDLE hPackage, LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError);

    static int CreateDirectoryTree(LPCWSTR pPath);
    static CString AddTrailingBackslash(const CString& strPath);

    // Set before Unpack; the context is passed back to the callback.
    void SetProgressCallback(MskProgressCallback pfnProgress, void* pContext)
    {
        m_pfnProgress = pfnProgress;
        m_pProgressContext = pContext;
    }
    // After a successful Unpack: the records of the directory, all types, and the root name.
    DWORD GetEntryCount() const { return static_cast<DWORD>(m_entries.size()); }
    const CString& GetRootName() const { return m_strRootName; }
    // Why the last VerifyPackage refused the package, in English (empty after success).
    const CString& GetProblem() const { return m_strProblem; }

private:
    DWORD m_dwKey;
    CString m_strFile;
    CString m_strDir;
    CString m_strError;
    CString m_strRootName;
    CString m_strProblem;
    std::vector<const BYTE*> m_entries;  // records inside m_pDirectory, in directory order
    BYTE* m_pDirectory;
    DWORD m_dwDirectoryLength;
    MskProgressCallback m_pfnProgress;
    void* m_pProgressContext;

    void Reset();
    // hPackage: the caller's open package, or INVALID_HANDLE_VALUE to open pPath here.
    int impVerify(HANDLE hPackage, LPCWSTR pPath, DWORD dwKey, CString& strError, BOOL bData);
    int impUnpack(HANDLE hPackage, LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError);
    void impCheckData(HANDLE hPackage, CString& strError);
    void FreeDirectory();
    // Reads and unscrambles the directory block of the package; sets m_strError with the
    // messages of the calling operation on failure. Both open m_strFile themselves when
    // hPackage is INVALID_HANDLE_VALUE.
    int LoadDirectory(HANDLE hPackage);
    int UnpackEntries(HANDLE hPackage);
    int ExtractFile(const BYTE* pRecord, HANDLE hPackage);
    int ReportProgress(DWORD dwIndex, LPCWSTR pName, DWORD dwCount);
};
