// Framework-wide settings and small helpers shared by every part of the framework.
#pragma once

#include "wce/types.h"

// How a dialog runs, a real one (CRealDlg) or one of layers (CWceUiDlg).
enum { DLG_RUN_IN_MODELESS = 1, DLG_RUN_IN_MODAL = 2, DLG_RUN_NOT_RUNNING = 3 };

// The instance handle stored by WceUiInit; null (a failed check) before.
HINSTANCE WceUiGetInstanceHandle();

// The screen, from the device on first use unless fixed beforehand.
int WceUiGetBitsPixel();
int WceUiGetScreenWidth();
int WceUiGetScreenHeight();

// Fixes the screen instead of asking the device; FALSE (nothing changed) unless all three
// are positive.
BOOL WceUiSetScreenInfo(int nWidth, int nHeight, int nBitsPixel);

LPCWSTR WceUiGetWndDir();
LPCWSTR WceUiGetResDir();
// Sets the resource directory (a relative one from the executable's directory) without
// reloading anything cached: for a host that has loaded nothing from the old one.
BOOL WceUiSetResDir(LPCWSTR pResDir);

// The archive password passed to every archive read; null for none. Setting copies it.
BOOL WceUiSetPackPassword(LPCWSTR pPassword);
LPCWSTR WceUiGetPackPassword();

// Opens the log in pLogDir instead (see CJxWriteLogFile::Open); FALSE without a directory
// or with a maximum of 0.
BOOL WceUiOpenLogFile(LPCWSTR pLogDir, DWORD nMaxLogFileSize);
// Later messages are dropped.
void WceUiCloseLogFile();
// Writes one message to the log as the framework writes its own (one longer than a log line,
// 192 characters, is dropped whole).
void WceUiWriteLog(int nLevel, LPCWSTR pMessage);

// The levels of the framework's messages.
enum { WCEUI_LOG_INFO = 1, WCEUI_LOG_WARNING = 2, WCEUI_LOG_ERROR = 3 };
// Sees every message the log accepts, whether or not the log file is open: tools show the
// framework's messages with it. One observer; null removes it.
typedef void (*PFN_WCEUI_LOG_OBSERVER)(void* pContext, int nLevel, LPCWSTR pMessage, int nLength);
void WceUiSetLogObserver(PFN_WCEUI_LOG_OBSERVER pfnObserver, void* pContext);

// Whether a plain file or an entry of an archive (with the pack password) exists; logs
// nothing when it does not.
BOOL WceUiFileExists(LPCWSTR pPath);

// Loads a key=value document (language, color table, configuration) as the framework does;
// FALSE, with the framework's messages logged, when it does not load.
BOOL WceUiCheckConfFile(LPCWSTR pPath, BOOL bEscape);
// The same, giving each key and value of the loaded document to pfnEntry (in no set order).
typedef void (*PFN_WCEUI_CONF_ENTRY)(void* pContext, LPCWSTR pKey, LPCWSTR pValue);
BOOL WceUiReadConfFile(LPCWSTR pPath, BOOL bEscape, PFN_WCEUI_CONF_ENTRY pfnEntry, void* pContext);

// Loads the bitmap a configuration id names through the bitmap cache, as the holders do, and
// releases it; FALSE, with the framework's messages logged, when it does not load.
BOOL WceUiCheckBitmap(LPCWSTR pBitmapID);

// Reads a number of a skin file as the framework does: an optional '-' and the leading
// decimal digits, saturated to 32 bits, 0 without digits. TRUE when there were digits.
BOOL WceUiParseDecimal(LPCWSTR pText, int* pnValue);

// The framework's rectangle for "the whole area".
BOOL WceUiIsRectLarge(const RECT& rc);
void WceUiGetLargeRect(RECT& rc);

// Writes the framework version "1.3.0.0"; returns its length, or 0 when it does not fit.
int WceUiGetVerString(LPWSTR pBuffer, int nBufferLength);
template <int N>
int WceUiGetVerString(WCHAR (&szBuffer)[N])
{
    return WceUiGetVerString(szBuffer, N);
}

// The ease-in, ease-out travel curve of transitions and list scrolling: how far a moving edge
// has travelled after frame nCurFrame (0-based) of nFrameCount over a total travel nStotal.
// The last frame gives nStotal; bad arguments give 0.
int CalcAnidisplacement(int nCurFrame, int nFrameCount, int nStotal);

