// The framework's log file: "<executable name>.wceuilog", UTF-16 with a byte-order mark,
// one line per message, trimmed to its newest three quarters whenever it reaches its
// maximum size. The log never reports its own failures: when it cannot be opened or
// written it stays closed and messages are lost.
#pragma once

#include "wce/types.h"

enum { JX_LOG_INFO = 1, JX_LOG_WARNING = 2, JX_LOG_ERROR = 3 };

class CJxWriteLogFile {
public:
    enum : DWORD {
        MIN_LOG_FILE_SIZE = 4096,
        MAX_LOG_FILE_SIZE = 10240000,
        DEFAULT_LOG_FILE_SIZE = 512000,
    };
    enum { MAX_MESSAGE_LENGTH = 192 };

    // Nothing is opened here: classes register before the host has chosen the device root,
    // so the default log (next to the executable) opens when the framework starts
    // (OpenDefault) or on the first message, unless Open or Close came first.
    CJxWriteLogFile();
    ~CJxWriteLogFile();
    CJxWriteLogFile(const CJxWriteLogFile&) = delete;
    CJxWriteLogFile& operator=(const CJxWriteLogFile&) = delete;

    // Closes any open file and opens the log in pLogDir (created with its parents when
    // missing). The maximum is clamped to MIN..MAX_LOG_FILE_SIZE. FALSE leaves the log closed.
    BOOL Open(LPCWSTR pLogDir, DWORD nMaxLogFileSize);
    // Later messages are dropped until the next Open.
    void Close();
    // Opens the default log, with its byte-order mark, unless it was tried already or Open
    // or Close came first. TRUE when the log is open afterwards.
    BOOL OpenDefault();

    BOOL IsOpen() const { return INVALID_HANDLE_VALUE != m_hFile; }
    LPCWSTR GetLogFilePath() const { return m_szLogFilePath; }
    DWORD GetMaxLogFileSize() const { return m_nMaxLogFileSize; }
    // The open file (INVALID_HANDLE_VALUE when closed), for callers that watch over it.
    HANDLE GetFileHandle() const { return m_hFile; }

    // Writes one formatted message (nLength units, at most MAX_MESSAGE_LENGTH) as a line.
    void WriteMessage(int nLevel, LPCWSTR pMessage, int nLength);

private:
    BOOL WriteBytes(const void* pBytes, DWORD nBytes);
    void TrimIfFull();

    HANDLE m_hFile;
    WCHAR m_szLogFilePath[MAX_PATH];
    DWORD m_nMaxLogFileSize;
    BOOL m_bDefaultPending;  // the default log has not been tried yet
};

// Levels: JX_LOG_INFO, JX_LOG_WARNING, JX_LOG_ERROR. A message that formats to nothing or
// needs more than 192 characters is dropped whole.
void JxWriteLogW(int nLevel, LPCWSTR pFormat, ...);
// The same with an 8-bit format; each byte of the result becomes one UTF-16 unit.
void JxWriteLogA(int nLevel, LPCSTR pFormat, ...);

// Sees every message that JxWriteLogW and JxWriteLogA accept, whether or not the log is
// open: tools show the framework's messages with it. One observer; null removes it.
typedef void (*PFN_JX_LOG_OBSERVER)(void* pContext, int nLevel, LPCWSTR pMessage, int nLength);
void JxSetLogObserver(PFN_JX_LOG_OBSERVER pfnObserver, void* pContext);
