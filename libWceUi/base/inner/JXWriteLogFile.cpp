#include "JXWriteLogFile.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXPath.h"
#include "wce/files.h"
#include "wce/format.h"
#include "wce/process.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

namespace {

const WCHAR kLogExtension[] = u".wceuilog";

// The device path of the running program, or FALSE when it does not fit.
BOOL GetModulePath(WCHAR (&szPath)[MAX_PATH])
{
    DWORD nLength = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    return nLength > 0 && nLength < MAX_PATH;
}

// Creates pDir and each of its missing parents. The caller checks the outcome.
void CreateDirectoryTree(LPCWSTR pDir)
{
    WCHAR szPart[MAX_PATH];
    size_t nLength = WStrLen(pDir);
    if (nLength >= MAX_PATH) return;
    for (size_t i = 1; i <= nLength; ++i) {
        if (i < nLength && !JxIsPathSeparator(pDir[i])) continue;
        if (JxIsPathSeparator(pDir[i - 1]) || u':' == pDir[i - 1]) continue;  // "\\", "a\\\\", "c:"
        memcpy(szPart, pDir, i * sizeof(WCHAR));
        szPart[i] = 0;
        if (INVALID_FILE_ATTRIBUTES == GetFileAttributesW(szPart)) CreateDirectoryW(szPart, NULL);
    }
}

BOOL IsDirectory(LPCWSTR pDir)
{
    WCHAR szDir[MAX_PATH];
    size_t nLength = WStrCopy(szDir, MAX_PATH, pDir);
    while (nLength > 1 && JxIsPathSeparator(szDir[nLength - 1])) szDir[--nLength] = 0;
    DWORD nAttributes = GetFileAttributesW(szDir);
    return INVALID_FILE_ATTRIBUTES != nAttributes && 0 != (nAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE OpenLogFile(LPCWSTR pPath, DWORD nDisposition)
{
    // Read access as well: trimming reads the newest part back.
    return CreateFileW(pPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, nDisposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

// The log writes and trims only a regular file of its own. A card formatted elsewhere may
// hold a link (or a second name of another file) where the log goes: appended to and
// trimmed, the file behind it would be damaged, so such an entry is replaced by a new file.
HANDLE OpenOwnLogFile(LPCWSTR pPath)
{
    HANDLE hFile = OpenLogFile(pPath, OPEN_ALWAYS);
    if (INVALID_HANDLE_VALUE != hFile) {
        BY_HANDLE_FILE_INFORMATION info;
        BOOL bKnown = GetFileInformationByHandle(hFile, &info);
        if (bKnown && 1 == info.nNumberOfLinks) return hFile;
        CloseHandle(hFile);
        if (!bKnown) return INVALID_HANDLE_VALUE;
    } else if (ERROR_CANT_RESOLVE_FILENAME != GetLastError() && ERROR_ACCESS_DENIED != GetLastError()) {
        return INVALID_HANDLE_VALUE;
    }
    // A read-only log or a folder refuses the delete and keeps the log closed.
    if (!DeleteFileW(pPath)) return INVALID_HANDLE_VALUE;
    return OpenLogFile(pPath, CREATE_NEW);
}

CJxWriteLogFile* GetLog()
{
    CJxGVar* pGVar = CJxGVar::GetInstance();
    return pGVar ? pGVar->GetCJxWriteLogFile() : NULL;
}

PFN_JX_LOG_OBSERVER s_pfnLogObserver = NULL;
void* s_pLogObserverContext = NULL;

void WriteToLog(int nLevel, LPCWSTR pMessage, int nLength)
{
    if (s_pfnLogObserver) s_pfnLogObserver(s_pLogObserverContext, nLevel, pMessage, nLength);
    CJxWriteLogFile* pLog = GetLog();
    if (pLog) pLog->WriteMessage(nLevel, pMessage, nLength);
}

}  // namespace

CJxWriteLogFile::CJxWriteLogFile()
    : m_hFile(INVALID_HANDLE_VALUE), m_nMaxLogFileSize(DEFAULT_LOG_FILE_SIZE), m_bDefaultPending(TRUE)
{
    m_szLogFilePath[0] = 0;
}

CJxWriteLogFile::~CJxWriteLogFile() { Close(); }

void CJxWriteLogFile::Close()
{
    m_bDefaultPending = FALSE;
    if (INVALID_HANDLE_VALUE == m_hFile) return;
    FlushFileBuffers(m_hFile);
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

BOOL CJxWriteLogFile::Open(LPCWSTR pLogDir, DWORD nMaxLogFileSize)
{
    Close();
    if (NULL == pLogDir || 0 == *pLogDir) return FALSE;

    if (nMaxLogFileSize < MIN_LOG_FILE_SIZE) nMaxLogFileSize = MIN_LOG_FILE_SIZE;
    if (nMaxLogFileSize > MAX_LOG_FILE_SIZE) nMaxLogFileSize = MAX_LOG_FILE_SIZE;
    m_nMaxLogFileSize = nMaxLogFileSize;

    WCHAR szModule[MAX_PATH];
    if (!GetModulePath(szModule)) return FALSE;
    LPCWSTR pExeName = szModule;
    for (LPCWSTR p = szModule; *p; ++p)
        if (JxIsPathSeparator(*p)) pExeName = p + 1;

    size_t nDirLength = WStrLen(pLogDir);
    LPCWSTR pFormat = JxIsPathSeparator(pLogDir[nDirLength - 1]) ? u"%s%s%s" : u"%s\\%s%s";
    WCHAR szPath[MAX_PATH];
    int nPathLength = WFormat(szPath, MAX_PATH, pFormat, pLogDir, pExeName, kLogExtension);
    if (nPathLength <= 0 || nPathLength >= MAX_PATH) return FALSE;
    WStrCopy(m_szLogFilePath, MAX_PATH, szPath);

    CreateDirectoryTree(pLogDir);
    if (!IsDirectory(pLogDir)) return FALSE;

    HANDLE hFile = OpenOwnLogFile(m_szLogFilePath);
    if (INVALID_HANDLE_VALUE == hFile) return FALSE;
    DWORD nSize = GetFileSize(hFile, NULL);
    BOOL bReady = FALSE;
    if (0 == nSize) {
        static const BYTE kByteOrderMark[2] = {0xFF, 0xFE};
        DWORD nWritten = 0;
        bReady = WriteFile(hFile, kByteOrderMark, sizeof(kByteOrderMark), &nWritten, NULL) &&
                 sizeof(kByteOrderMark) == nWritten;
    } else if (INVALID_FILE_SIZE != nSize) {
        bReady = INVALID_SET_FILE_POINTER != SetFilePointer(hFile, 0, NULL, FILE_END);
    }
    if (!bReady) {
        CloseHandle(hFile);
        return FALSE;
    }
    m_hFile = hFile;
    return TRUE;
}

BOOL CJxWriteLogFile::OpenDefault()
{
    if (IsOpen() || !m_bDefaultPending) return IsOpen();
    // The default log: next to the executable. Tried once.
    m_bDefaultPending = FALSE;
    WCHAR szModule[MAX_PATH];
    if (!GetModulePath(szModule)) return FALSE;
    WCHAR* pLastSeparator = NULL;
    for (WCHAR* p = szModule; *p; ++p)
        if (JxIsPathSeparator(*p)) pLastSeparator = p;
    if (!pLastSeparator) return FALSE;
    pLastSeparator[1] = 0;
    return Open(szModule, DEFAULT_LOG_FILE_SIZE);
}

BOOL CJxWriteLogFile::WriteBytes(const void* pBytes, DWORD nBytes)
{
    DWORD nStart = SetFilePointer(m_hFile, 0, NULL, FILE_CURRENT);
    DWORD nWritten = 0;
    if (WriteFile(m_hFile, pBytes, nBytes, &nWritten, NULL) && nWritten == nBytes) return TRUE;
    // Drop a partial line: an odd number of bytes would shift every later character.
    if (nWritten > 0 && INVALID_SET_FILE_POINTER != nStart &&
        INVALID_SET_FILE_POINTER != SetFilePointer(m_hFile, static_cast<LONG>(nStart), NULL, FILE_BEGIN))
        SetEndOfFile(m_hFile);
    return FALSE;
}

void CJxWriteLogFile::WriteMessage(int nLevel, LPCWSTR pMessage, int nLength)
{
    static const LPCWSTR kLevelPrefixes[] = {u"info: ", u"warning: ", u"error: "};
    if (nLevel < JX_LOG_INFO || nLevel > JX_LOG_ERROR || NULL == pMessage || nLength <= 0 ||
        nLength > MAX_MESSAGE_LENGTH)
        return;

    OpenDefault();
    if (!IsOpen()) return;

    SYSTEMTIME time;
    GetLocalTime(&time);
    WCHAR szLine[64 + MAX_MESSAGE_LENGTH + 2];
    int nLineLength = WFormat(szLine, 64, u"%02d:%02d:%02d %04d-%02d-%02d  %s", time.wHour, time.wMinute,
                              time.wSecond, time.wYear, time.wMonth, time.wDay, kLevelPrefixes[nLevel - 1]);
    if (nLineLength <= 0 || nLineLength >= 64) return;
    memcpy(szLine + nLineLength, pMessage, static_cast<size_t>(nLength) * sizeof(WCHAR));
    nLineLength += nLength;
    szLine[nLineLength++] = u'\r';
    szLine[nLineLength++] = u'\n';
    DWORD nBytes = static_cast<DWORD>(nLineLength) * sizeof(WCHAR);

    if (!WriteBytes(szLine, nBytes)) {
        // Perhaps the medium went away and came back: reopen where the log was and retry once.
        WCHAR szDir[MAX_PATH];
        WStrCopy(szDir, MAX_PATH, m_szLogFilePath);
        WCHAR* pLastSeparator = NULL;
        for (WCHAR* p = szDir; *p; ++p)
            if (JxIsPathSeparator(*p)) pLastSeparator = p;
        Close();
        if (NULL == pLastSeparator) return;
        pLastSeparator[1] = 0;
        if (!Open(szDir, m_nMaxLogFileSize) || !WriteBytes(szLine, nBytes)) return;
    }
    FlushFileBuffers(m_hFile);
    TrimIfFull();
}

void CJxWriteLogFile::TrimIfFull()
{
    DWORD nSize = GetFileSize(m_hFile, NULL);
    if (INVALID_FILE_SIZE == nSize) {
        Close();
        return;
    }
    if (nSize < m_nMaxLogFileSize) return;

    // Keep the newest three quarters, an even number of bytes so that characters stay whole.
    DWORD nKeep = (nSize - nSize / 4) & ~static_cast<DWORD>(1);
    BYTE* pBuffer = new (std::nothrow) BYTE[nKeep + 2];
    BOOL bDone = FALSE;
    if (pBuffer) {
        pBuffer[0] = 0xFF;
        pBuffer[1] = 0xFE;
        DWORD nRead = 0;
        DWORD nWritten = 0;
        bDone = INVALID_SET_FILE_POINTER != SetFilePointer(m_hFile, static_cast<LONG>(nSize - nKeep), NULL, FILE_BEGIN) &&
                ReadFile(m_hFile, pBuffer + 2, nKeep, &nRead, NULL) && nRead == nKeep &&
                INVALID_SET_FILE_POINTER != SetFilePointer(m_hFile, 0, NULL, FILE_BEGIN) &&
                WriteFile(m_hFile, pBuffer, nKeep + 2, &nWritten, NULL) && nWritten == nKeep + 2 &&
                SetEndOfFile(m_hFile) && FlushFileBuffers(m_hFile);
        delete[] pBuffer;
    }
    if (!bDone) Close();
}

void JxWriteLogW(int nLevel, LPCWSTR pFormat, ...)
{
    if (!WCEUI_CHECK("JxWriteLogW", nLevel >= JX_LOG_INFO && nLevel <= JX_LOG_ERROR)) return;
    if (!WCEUI_CHECK("JxWriteLogW", NULL != pFormat)) return;
    WCHAR szMessage[CJxWriteLogFile::MAX_MESSAGE_LENGTH + 1];
    va_list args;
    va_start(args, pFormat);
    int nLength = WFormatV(szMessage, CJxWriteLogFile::MAX_MESSAGE_LENGTH + 1, pFormat, args);
    va_end(args);
    if (nLength <= 0 || nLength > CJxWriteLogFile::MAX_MESSAGE_LENGTH) return;
    WriteToLog(nLevel, szMessage, nLength);
}

void JxWriteLogA(int nLevel, LPCSTR pFormat, ...)
{
    if (!WCEUI_CHECK("JxWriteLogA", nLevel >= JX_LOG_INFO && nLevel <= JX_LOG_ERROR)) return;
    if (!WCEUI_CHECK("JxWriteLogA", NULL != pFormat)) return;
    char szMessage[CJxWriteLogFile::MAX_MESSAGE_LENGTH + 1];
    va_list args;
    va_start(args, pFormat);
    int nLength = AFormatV(szMessage, CJxWriteLogFile::MAX_MESSAGE_LENGTH + 1, pFormat, args);
    va_end(args);
    if (nLength <= 0 || nLength > CJxWriteLogFile::MAX_MESSAGE_LENGTH) return;
    WCHAR szWide[CJxWriteLogFile::MAX_MESSAGE_LENGTH];
    for (int i = 0; i < nLength; ++i) szWide[i] = static_cast<WCHAR>(static_cast<unsigned char>(szMessage[i]));
    WriteToLog(nLevel, szWide, nLength);
}

void JxSetLogObserver(PFN_JX_LOG_OBSERVER pfnObserver, void* pContext)
{
    s_pfnLogObserver = pfnObserver;
    s_pLogObserverContext = pContext;
}
