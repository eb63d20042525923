// Processes, modules, power, the shell's file operation, COM and cursors.
#pragma once

#include "types.h"

struct STARTUPINFOW;
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts the program at a device path. The command line is handed to it as one argument,
// exactly as given. Every launch is also recorded in "launches.txt" in the device root, so
// that programs which exist only as placeholder files can be "started" too; a host file
// without execute permission is recorded and not run. A missing program fails with 2.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);

// Modules are a table of in-process libraries (see wce/host.h). Names compare
// case-insensitively; a procedure is named by text or by ordinal (MAKEINTRESOURCEW).
HMODULE LoadLibraryW(LPCWSTR name);
FARPROC GetProcAddressW(HMODULE module, LPCWSTR procName);
BOOL FreeLibrary(HMODULE module);
// Null or the program's own instance: the running program's path.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
// Null gives the program's instance (never null); a name gives a loaded module of that name,
// else null with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<std::uintptr_t>(p) >> 16) == 0)

enum : DWORD {
    POWER_STATE_ON = 0x00010000,
    POWER_STATE_OFF = 0x00020000,
    POWER_STATE_SUSPEND = 0x00200000,
    POWER_STATE_RESET = 0x00800000,
    POWER_FORCE = 0x00001000,
};
// A reset is recorded in "reset-requested.txt" in the device root and on standard error,
// then the process ends with status 0, as the unit would restart.
DWORD SetSystemPowerState(LPCWSTR stateName, DWORD stateFlags, DWORD options);

// The shell's file operation, without dialogs. Delete takes a pattern ("dir\\*.*" removes
// everything inside dir, subfolders included) or a path; copy takes one file and overwrites
// the destination, creating its missing parent folders. Lists are double-zero-terminated.
enum : UINT { FO_MOVE = 1, FO_COPY = 2, FO_DELETE = 3, FO_RENAME = 4 };
enum : WORD {
    FOF_SILENT = 0x0004,
    FOF_NOCONFIRMATION = 0x0010,
    FOF_ALLOWUNDO = 0x0040,
    FOF_NOCONFIRMMKDIR = 0x0200,
    FOF_NOERRORUI = 0x0400,
};
struct SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    LPCWSTR pFrom;
    LPCWSTR pTo;
    WORD fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCWSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTW = SHFILEOPSTRUCTW*;
using PFN_SHFileOperationW = int (*)(LPSHFILEOPSTRUCTW);
// Returns 0 on success. Also exported by "ceshell.dll" as ordinal 14.
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);

enum : DWORD { COINIT_MULTITHREADED = 0, COINIT_APARTMENTTHREADED = 2 };
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();

// Cursors exist only as a current-cursor value here: there is no pointer on screen.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName);
HCURSOR SetCursor(HCURSOR cursor);

enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1 };
int GetSystemMetrics(int index);
