#include "JxFile.h"

#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXPackedFile.h"
#include "JXPackedFileMgr.h"
#include "JXWriteLogFile.h"
#include "wce/files.h"
#include "wce/wstring.h"

namespace {

// Enters an archive; case-sensitive, and only with a backslash after it.
const WCHAR kPackSeparator[] = u".pack\\";
const int kPackExtensionLength = 5;  // ".pack", the end of the archive path

BYTE* ReadPlainFile(LPCWSTR pFilePath, DWORD* pdwSize)
{
    HANDLE hFile =
        CreateFileW(pFilePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"CreateFile : %s failed, GetLastError is %d", pFilePath,
                    static_cast<int>(GetLastError()));
        return NULL;
    }
    BYTE* pBuffer = NULL;
    DWORD dwHigh = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD dwSize = GetFileSize(hFile, &dwHigh);
    if (INVALID_FILE_SIZE == dwSize && ERROR_SUCCESS != GetLastError()) {
        JxWriteLogW(JX_LOG_ERROR, u"GetFileSize %s failed , GetLastError is %d", pFilePath,
                    static_cast<int>(GetLastError()));
    } else {
        // A file of 4 GiB or more has no size in a DWORD: it cannot be read whole.
        pBuffer = 0 == dwHigh ? new (std::nothrow) BYTE[dwSize] : NULL;
        DWORD dwRead = 0;
        if (NULL == pBuffer || !ReadFile(hFile, pBuffer, dwSize, &dwRead, NULL) || dwRead != dwSize) {
            JxWriteLogW(JX_LOG_ERROR, u"ReadFile %s failed", pFilePath);
            delete[] pBuffer;
            pBuffer = NULL;
        } else {
            *pdwSize = dwSize;
        }
    }
    CloseHandle(hFile);
    return pBuffer;
}

}  // namespace

BYTE* WceUiReadFile(LPCWSTR pFilePath, DWORD* pdwSize, LPCWSTR pPassword)
{
    if (!WCEUI_CHECK("WceUiReadFile", NULL != pdwSize)) return NULL;
    *pdwSize = 0;
    if (!WCEUI_CHECK("WceUiReadFile", NULL != pFilePath)) return NULL;
    // Paths live in buffers of MAX_PATH units. The path itself would make the message too
    // long for the log, so only its length is told.
    const size_t nLength = WStrLen(pFilePath);
    if (nLength >= MAX_PATH) {
        JxWriteLogW(JX_LOG_ERROR, u"WceUiReadFile failed, a path of %d characters is too long",
                    static_cast<int>(nLength));
        return NULL;
    }

    // A real file always wins over an archive entry of the same path. A path that ends in
    // a separator never names a file, though the host's file system may find one for it.
    DWORD dwAttributes = GetFileAttributesW(pFilePath);
    const WCHAR cLast = nLength ? pFilePath[nLength - 1] : 0;
    if (!(dwAttributes & FILE_ATTRIBUTE_DIRECTORY) && (u'\\' == cLast || u'/' == cLast))
        dwAttributes = INVALID_FILE_ATTRIBUTES;
    if (INVALID_FILE_ATTRIBUTES != dwAttributes) {
        if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            JxWriteLogW(JX_LOG_ERROR, u"WceUiReadFile failed, %s is a directory", pFilePath);
            return NULL;
        }
        return ReadPlainFile(pFilePath, pdwSize);
    }

    LPCWSTR pSeparator = WStrStr(pFilePath, kPackSeparator);
    const size_t nPackLength = pSeparator ? static_cast<size_t>(pSeparator - pFilePath) + kPackExtensionLength : 0;
    LPCWSTR pRelative = pSeparator ? pSeparator + kPackExtensionLength + 1 : NULL;
    if (NULL == pSeparator || 0 == *pRelative) {
        JxWriteLogW(JX_LOG_ERROR, u"%s is not a valid packed file path", pFilePath);
        return NULL;
    }
    WCHAR szPackPath[MAX_PATH];
    WCHAR szRelativePath[MAX_PATH];
    WStrCopy(szPackPath, nPackLength + 1, pFilePath);
    WStrCopy(szRelativePath, MAX_PATH, pRelative);
    WStrLowerInPlace(szPackPath);
    WStrLowerInPlace(szRelativePath);
    for (WCHAR* p = szRelativePath; *p; ++p)
        if (u'/' == *p) *p = u'\\';

    CJxPackedFileMgr* pPackedFileMgr = CJxGVar::GetInstance()->GetCJxPackedFileMgr();
    // An archive read before is asked whether it is a file only when it cannot be opened.
    CJxPackedFile* pKnown = pPackedFileMgr ? pPackedFileMgr->FindPackedFile(szPackPath) : NULL;
    if (pKnown) return pKnown->ReadItemOfCheckedPath(szRelativePath, pdwSize, pPassword);
    if (!JxIsPackFilePath(szPackPath)) return NULL;
    CJxPackedFile* pPackedFile = pPackedFileMgr ? pPackedFileMgr->GetPackedFile(szPackPath) : NULL;
    if (NULL == pPackedFile) return NULL;
    return pPackedFile->ReadItem(szRelativePath, pdwSize, pPassword);
}
