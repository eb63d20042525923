// Time, interlocked counters, named mutexes and debug output.
#pragma once

#include "types.h"

DWORD GetTickCount();  // milliseconds since an arbitrary start, wrapping at 2^32
void Sleep(DWORD milliseconds);
void GetLocalTime(SYSTEMTIME* time);

LONG InterlockedIncrement(LONG volatile* value);
LONG InterlockedDecrement(LONG volatile* value);

// Named mutexes are shared by every process on the same device root. When the name exists
// already (in this or another process) the handle is still returned and GetLastError
// answers ERROR_ALREADY_EXISTS (183).
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);

// Writes to standard error when debug output is enabled (WCE_DEBUG_OUTPUT=1 or
// wce::host::SetDebugOutputEnabled).
void OutputDebugStringW(LPCWSTR text);
BOOL IsDebuggerPresent();
// Stops in an attached debugger; does nothing when none is attached.
void DebugBreak();
