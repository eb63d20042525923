// Framework-wide settings and small helpers shared by every part of the framework.
#pragma once

#include "wce/types.h"

// The instance handle stored by WceUiInit; null (a failed check) before.
HINSTANCE WceUiGetInstanceHandle();

// The screen, from the device on first use unless fixed beforehand.
int WceUiGetBitsPixel();
int WceUiGetScreenWidth();
int WceUiGetScreenHeight();

LPCWSTR WceUiGetWndDir();
LPCWSTR WceUiGetResDir();

// The archive password passed to every archive read; null for none. Setting copies it.
BOOL WceUiSetPackPassword(LPCWSTR pPassword);
LPCWSTR WceUiGetPackPassword();

// Opens the log in pLogDir instead (see CJxWriteLogFile::Open); FALSE without a directory
// or with a maximum of 0.
BOOL WceUiOpenLogFile(LPCWSTR pLogDir, DWORD nMaxLogFileSize);
// Later messages are dropped.
void WceUiCloseLogFile();

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
