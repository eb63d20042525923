// Program launch, reset, COM, cursors and screen metrics.
#include "wce/process.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "handles.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

extern char** environ;

namespace {

struct ProcessObject : wce::detail::KernelObject {
    pid_t pid = 0;
};
struct ThreadObject : wce::detail::KernelObject {};

struct Settings {
    bool exitOnReset = true;
    int screenWidth = 800;
    int screenHeight = 480;
    int bitsPerPixel = 16;
    HCURSOR cursor = nullptr;
    int comInits = 0;
};

Settings& GetSettings()
{
    static Settings settings;
    return settings;
}

void AppendRecord(const char* fileName, const std::string& line)
{
    std::ofstream out(wce::host::GetDeviceRoot() + "/" + fileName, std::ios::app | std::ios::binary);
    out << line << '\n';
}

}  // namespace

namespace wce::host {

void SetExitOnReset(bool exitOnReset) { GetSettings().exitOnReset = exitOnReset; }

void SetScreenMetrics(int width, int height, int bitsPerPixel)
{
    Settings& s = GetSettings();
    s.screenWidth = width;
    s.screenHeight = height;
    s.bitsPerPixel = bitsPerPixel;
}

int GetScreenBitsPerPixel() { return GetSettings().bitsPerPixel; }

}  // namespace wce::host

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION processInformation)
{
    if (!applicationName || !*applicationName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string hostPath;
    DWORD error = 0;
    if (!wce::host::MapDevicePath(applicationName, hostPath, error)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat info;
    if (stat(hostPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string arguments = WideToUtf8(commandLine);
    AppendRecord("launches.txt", WideToUtf8(applicationName) + " " + arguments);

    pid_t pid = 0;
    if (access(hostPath.c_str(), X_OK) == 0) {
        char* argv[] = {hostPath.data(), arguments.data(), nullptr};
        if (posix_spawn(&pid, hostPath.c_str(), nullptr, nullptr, argv, environ) != 0) {
            SetLastError(ERROR_BAD_FORMAT);
            return FALSE;
        }
    }
    auto process = std::make_unique<ProcessObject>();
    process->pid = pid;
    HANDLE hProcess = wce::detail::AddHandle(std::move(process));
    HANDLE hThread = wce::detail::AddHandle(std::make_unique<ThreadObject>());
    if (processInformation) {
        processInformation->hProcess = hProcess;
        processInformation->hThread = hThread;
        processInformation->dwProcessId = static_cast<DWORD>(pid);
        processInformation->dwThreadId = static_cast<DWORD>(pid);
    } else {
        CloseHandle(hProcess);
        CloseHandle(hThread);
    }
    return TRUE;
}

DWORD SetSystemPowerState(LPCWSTR stateName, DWORD stateFlags, DWORD options)
{
    char line[128];
    std::snprintf(line, sizeof line, "state=%s flags=0x%08X options=0x%04X", WideToUtf8(stateName).c_str(),
                  stateFlags, options);
    std::fprintf(stderr, "SetSystemPowerState: %s\n", line);
    if (stateFlags & POWER_STATE_RESET) {
        AppendRecord("reset-requested.txt", line);
        if (GetSettings().exitOnReset) {
            std::fflush(nullptr);
            std::exit(0);
        }
    }
    return ERROR_SUCCESS;
}

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return GetSettings().comInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (GetSettings().comInits > 0) --GetSettings().comInits;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR cursorName)
{
    // The cursor's id stands for the cursor itself.
    return reinterpret_cast<HCURSOR>(const_cast<WCHAR*>(cursorName));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = GetSettings().cursor;
    GetSettings().cursor = cursor;
    return previous;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return GetSettings().screenWidth;
    case SM_CYSCREEN: return GetSettings().screenHeight;
    default: return 0;
    }
}
