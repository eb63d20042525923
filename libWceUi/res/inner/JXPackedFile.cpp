#include "JXPackedFile.h"

#include <new>

#include "JXCheck.h"
#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "JXWriteLogFile.h"
#include "JxHandle.h"
#include "wce/files.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace {

// The decompression library's contract: zlib's uncompress.
typedef int (*PFN_WCEUI_UNCOMPRESS)(BYTE* pDest, DWORD* pdwDestLen, const BYTE* pSource, DWORD dwSourceLen);

// The file's size; a file of 4 GiB or more counts as 0xFFFFFFFF, beyond any 32-bit offset.
BOOL GetSize(HANDLE hFile, DWORD* pdwSize)
{
    DWORD dwHigh = 0;
    SetLastError(ERROR_SUCCESS);
    DWORD dwLow = GetFileSize(hFile, &dwHigh);
    if (INVALID_FILE_SIZE == dwLow && ERROR_SUCCESS != GetLastError()) return FALSE;
    *pdwSize = dwHigh ? 0xFFFFFFFFu : dwLow;
    return TRUE;
}

}  // namespace

CJxPackedFile::CJxPackedFile(LPCWSTR pPackPath)
    : m_dwKey(0), m_dwCheckWord(0), m_ppItems(NULL), m_nItemCount(0), m_bLoaded(FALSE), m_pDirectory(NULL),
      m_pReadBuffer(NULL), m_dwReadBuffer(0)
{
    WStrCopy(m_szPackPath, MAX_PATH, pPackPath);
}

CJxPackedFile::~CJxPackedFile()
{
    Empty();
    delete[] m_pReadBuffer;
}

void CJxPackedFile::Empty()
{
    delete[] m_ppItems;
    m_ppItems = NULL;
    m_nItemCount = 0;
    delete[] m_pDirectory;
    m_pDirectory = NULL;
    m_dwCheckWord = 0;
    m_bLoaded = FALSE;
}

const BYTE* CJxPackedFile::GetItem(int nIndex) const
{
    if (!WCEUI_CHECK("CJxPackedFile::GetItem", nIndex >= 0 && nIndex < m_nItemCount)) return NULL;
    return m_ppItems[nIndex];
}

HANDLE CJxPackedFile::impOpen(DWORD dwKey, BOOL bCheckPath)
{
    HANDLE hFile = JxOpenForReading(m_szPackPath);
    if (INVALID_HANDLE_VALUE == hFile && bCheckPath) {
        const DWORD dwError = GetLastError();
        if (!JxIsPackFilePath(m_szPackPath)) return INVALID_HANDLE_VALUE;
        SetLastError(dwError);
    }
    if (INVALID_HANDLE_VALUE == hFile) {
        // The loaded directory's check and a (re)load name the failure differently.
        if (m_bLoaded && dwKey == m_dwKey)
            JxWriteLogW(JX_LOG_ERROR, u"CreateFile %s failed, GetLastError is %d", m_szPackPath,
                        static_cast<int>(GetLastError()));
        else
            JxWriteLogW(JX_LOG_ERROR, u"CreateFile : %s failed, GetLastError is %d", m_szPackPath,
                        static_cast<int>(GetLastError()));
        Empty();
    }
    return hFile;
}

BOOL CJxPackedFile::impLoadOpen(HANDLE hFile, DWORD dwKey)
{
    if (m_bLoaded && dwKey == m_dwKey) {
        BYTE head[kJxPackHeadSize];
        if (!JxReadExactly(hFile, head, sizeof head)) {
            JxWriteLogW(JX_LOG_ERROR, u"ReadFile %s failed", m_szPackPath);
            Empty();
            return FALSE;
        }
        if (JxReadLe32(head + kJxPackCheckWordOffset) == m_dwCheckWord) return TRUE;
        if (INVALID_SET_FILE_POINTER == SetFilePointer(hFile, 0, NULL, FILE_BEGIN)) {
            JxWriteLogW(JX_LOG_ERROR, u"ReadFile failed %s", m_szPackPath);
            Empty();
            return FALSE;
        }
    }
    Empty();
    m_dwKey = dwKey;
    if (impLoad(hFile, dwKey)) return TRUE;
    Empty();
    return FALSE;
}

BOOL CJxPackedFile::Load(LPCWSTR pPassword)
{
    const DWORD dwKey = GetPackKey(pPassword);
    CJxAutoHandle file(impOpen(dwKey));
    return file.IsValid() && impLoadOpen(file.Get(), dwKey);
}

BOOL CJxPackedFile::impLoad(HANDLE hFile, DWORD dwKey)
{
    BYTE head[kJxPackHeadSize];
    if (!JxReadExactly(hFile, head, sizeof head)) {
        JxWriteLogW(JX_LOG_ERROR, u"ReadFile failed %s", m_szPackPath);
        return FALSE;
    }
    m_dwCheckWord = JxReadLe32(head + kJxPackCheckWordOffset);

    DWORD dwFileSize = 0;
    if (!GetSize(hFile, &dwFileSize)) {
        JxWriteLogW(JX_LOG_ERROR, u"GetFileSize %s failed , GetLastError is %d", m_szPackPath,
                    static_cast<int>(GetLastError()));
        return FALSE;
    }
    // H comes from the file: the block it gives must lie inside the file before anything
    // is allocated for it.
    const DWORD dwHeadSize = JxReadLe32(head + kJxPackHeadSizeOffset);
    if (!JxIsPackHeadSizeValid(dwHeadSize, dwFileSize)) {
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed, bad head size %u", m_szPackPath, dwHeadSize);
        return FALSE;
    }
    const DWORD dwLength = dwHeadSize - kJxPackHeadSize;
    m_pDirectory = new (std::nothrow) BYTE[dwLength];
    if (NULL == m_pDirectory) {
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed, out of memory", m_szPackPath);
        return FALSE;
    }
    if (!JxReadExactly(hFile, m_pDirectory, dwLength)) {
        JxWriteLogW(JX_LOG_ERROR, u"ReadFile failed %s", m_szPackPath);
        return FALSE;
    }
    JxScrambleWords(m_pDirectory, dwLength, dwKey);

    int nCount = 0;
    switch (JxCheckPackDirectory(m_pDirectory, dwLength, m_dwCheckWord, &nCount)) {
    case JX_PACK_DIR_OK:
        break;
    case JX_PACK_DIR_WRONG_PASSWORD:
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed, wrong password?", m_szPackPath);
        return FALSE;
    case JX_PACK_DIR_BAD_NAME:
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed2, wrong password?", m_szPackPath);
        return FALSE;
    case JX_PACK_DIR_BAD_COUNT:
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed, bad entry count %d", m_szPackPath,
                    static_cast<int>(JxReadLe32(m_pDirectory + 4)));
        return FALSE;
    case JX_PACK_DIR_BAD_RECORD:
        JxWriteLogW(JX_LOG_ERROR, u"load %s failed, bad entry record %d", m_szPackPath, nCount);
        return FALSE;
    }

    if (nCount > 0) {
        m_ppItems = new (std::nothrow) const BYTE*[nCount];
        if (NULL == m_ppItems) {
            JxWriteLogW(JX_LOG_ERROR, u"load %s failed, out of memory", m_szPackPath);
            return FALSE;
        }
        DWORD dwPos = JxPackFirstRecordOffset(m_pDirectory);
        for (int i = 0; i < nCount; ++i) {
            m_ppItems[i] = m_pDirectory + dwPos;
            dwPos += JxPackRecordSize(m_ppItems[i]);
        }
    }
    m_nItemCount = nCount;
    m_bLoaded = TRUE;
    return TRUE;
}

const BYTE* CJxPackedFile::FindItem(LPCWSTR pRelativePath) const
{
    if (!WCEUI_CHECK("CJxPackedFile::FindItem", NULL != pRelativePath)) return NULL;
    int nLow = 0;
    int nHigh = m_nItemCount - 1;
    while (nLow <= nHigh) {
        const int nMiddle = (nLow + nHigh) / 2;
        const int nOrder = JxComparePackPath(pRelativePath, m_ppItems[nMiddle]);
        if (0 == nOrder) return m_ppItems[nMiddle];
        if (nOrder < 0)
            nHigh = nMiddle - 1;
        else
            nLow = nMiddle + 1;
    }
    return NULL;
}

BYTE* CJxPackedFile::ReadItem(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword)
{
    return impReadItem(pRelativePath, pdwSize, pPassword, FALSE);
}

BYTE* CJxPackedFile::ReadItemOfCheckedPath(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword)
{
    return impReadItem(pRelativePath, pdwSize, pPassword, TRUE);
}

BYTE* CJxPackedFile::impReadItem(LPCWSTR pRelativePath, DWORD* pdwSize, LPCWSTR pPassword, BOOL bCheckPath)
{
    if (!WCEUI_CHECK("CJxPackedFile::ReadItem", NULL != pdwSize)) return NULL;
    *pdwSize = 0;
    if (!WCEUI_CHECK("CJxPackedFile::ReadItem", NULL != pRelativePath)) return NULL;
    // One open serves the check of the directory and the read of the entry.
    const DWORD dwKey = GetPackKey(pPassword);
    CJxAutoHandle file(impOpen(dwKey, bCheckPath));
    if (!file.IsValid() || !impLoadOpen(file.Get(), dwKey)) return NULL;
    const BYTE* pItem = FindItem(pRelativePath);
    if (NULL == pItem) {
        JxWriteLogW(JX_LOG_ERROR, u"Can not find the item %s in %s", pRelativePath, m_szPackPath);
        return NULL;
    }
    const DWORD dwUncompressed = JxPackRecordUncompressedSize(pItem);
    const DWORD dwCompressed = JxPackRecordCompressedSize(pItem);
    const DWORD dwOffset = JxPackRecordDataOffset(pItem);

    // One damaged entry fails alone, before anything is allocated for it; the rest of the
    // archive stays readable. An entry that fits the kept buffer needs no check of the file's
    // size: reading past the end is the same failure.
    if (dwCompressed > kMaxKeptReadBuffer) {
        DWORD dwFileSize = 0;
        if (!GetSize(file.Get(), &dwFileSize)) {
            JxWriteLogW(JX_LOG_ERROR, u"GetFileSize %s failed , GetLastError is %d", m_szPackPath,
                        static_cast<int>(GetLastError()));
            return NULL;
        }
        if (static_cast<std::uint64_t>(dwOffset) + dwCompressed > dwFileSize) {
            JxWriteLogW(JX_LOG_ERROR, u"ReadFile %s in %s failed", pRelativePath, m_szPackPath);
            return NULL;
        }
    }

    LONG nOffsetHigh = 0;  // offsets of 2 GiB and more stay positive
    SetLastError(ERROR_SUCCESS);
    if (INVALID_SET_FILE_POINTER == SetFilePointer(file.Get(), static_cast<LONG>(dwOffset), &nOffsetHigh, FILE_BEGIN) &&
        ERROR_SUCCESS != GetLastError()) {
        JxWriteLogW(JX_LOG_ERROR, u"SetFilePointer for %s in %s failed, GetLastError is %d", pRelativePath,
                    m_szPackPath, static_cast<int>(GetLastError()));
        return NULL;
    }
    // The size check comes after the read, as a read past the end is reported first.
    BYTE* pCompressed = impGetReadBuffer(dwCompressed);
    if (NULL == pCompressed || !JxReadExactly(file.Get(), pCompressed, dwCompressed)) {
        JxWriteLogW(JX_LOG_ERROR, u"ReadFile %s in %s failed", pRelativePath, m_szPackPath);
        impReleaseReadBuffer(pCompressed);
        return NULL;
    }
    if (!JxIsPackInflateSizePlausible(dwUncompressed, dwCompressed)) {
        JxWriteLogW(JX_LOG_ERROR, u"uncompress failed for %s in %s", pRelativePath, m_szPackPath);
        impReleaseReadBuffer(pCompressed);
        return NULL;
    }

    // Looked up on each read: the library is the platform's, and a read costs far more.
    BYTE* pResult = NULL;
    HMODULE hLibrary = LoadLibraryW(u"WceUiDll.dll");
    PFN_WCEUI_UNCOMPRESS pfnUncompress =
        hLibrary ? reinterpret_cast<PFN_WCEUI_UNCOMPRESS>(GetProcAddressW(hLibrary, MAKEINTRESOURCEW(2))) : NULL;
    if (NULL == pfnUncompress) {
        JxWriteLogW(JX_LOG_ERROR, u"can not get uncompress from WceUiDll.dll, GetLastError is %d",
                    static_cast<int>(GetLastError()));
    } else {
        BYTE* pUncompressed = new (std::nothrow) BYTE[dwUncompressed];
        DWORD dwLength = dwUncompressed;
        if (NULL == pUncompressed ||
            0 != pfnUncompress(pUncompressed, &dwLength, pCompressed, dwCompressed) || dwLength != dwUncompressed) {
            JxWriteLogW(JX_LOG_ERROR, u"uncompress failed for %s in %s", pRelativePath, m_szPackPath);
            delete[] pUncompressed;
        } else {
            pResult = pUncompressed;
            *pdwSize = dwUncompressed;
        }
    }
    if (hLibrary) FreeLibrary(hLibrary);
    impReleaseReadBuffer(pCompressed);
    return pResult;
}

BYTE* CJxPackedFile::impGetReadBuffer(DWORD dwSize)
{
    if (dwSize > kMaxKeptReadBuffer) return new (std::nothrow) BYTE[dwSize ? dwSize : 1];
    if (dwSize > m_dwReadBuffer || NULL == m_pReadBuffer) {
        delete[] m_pReadBuffer;
        m_dwReadBuffer = 0;
        // Grown in steps, so that entries of rising size do not reallocate each time.
        DWORD dwCapacity = dwSize < 4096 ? 4096 : dwSize + dwSize / 2;
        if (dwCapacity > kMaxKeptReadBuffer) dwCapacity = kMaxKeptReadBuffer;
        m_pReadBuffer = new (std::nothrow) BYTE[dwCapacity];
        if (NULL == m_pReadBuffer) return NULL;
        m_dwReadBuffer = dwCapacity;
    }
    return m_pReadBuffer;
}

void CJxPackedFile::impReleaseReadBuffer(BYTE* pBuffer)
{
    if (pBuffer != m_pReadBuffer) delete[] pBuffer;
}

BOOL JxIsPackFilePath(LPCWSTR pPackPath)
{
    const DWORD dwAttributes = GetFileAttributesW(pPackPath);
    if (INVALID_FILE_ATTRIBUTES != dwAttributes && 0 == (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) return TRUE;
    JxWriteLogW(JX_LOG_ERROR, u"%s is not a valid packed file", pPackPath);
    return FALSE;
}
