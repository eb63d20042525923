#include "wce/timesync.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "device_path.h"
#include "display_clock.h"
#include "handles.h"
#include "nothrow.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace {

std::atomic<int> g_debugOutput{-1};  // -1: not decided yet, read from the environment

// A named mutex is a lock file; the kernel's flock tells whether another process holds it.
struct MutexObject : wce::detail::KernelObject {
    std::string name;
    int fd = -1;
    ~MutexObject() override
    {
        if (fd >= 0) close(fd);  // closing drops the lock
    }
};

std::string MutexFilePath(LPCWSTR name)
{
    // Keyed by device root so that two demo devices never block each other.
    size_t rootHash = std::hash<std::string>{}(wce::detail::CanonicalDeviceRoot());
    size_t nameHash = std::hash<std::string>{}(WideToUtf8(name));
    char path[128];
    std::snprintf(path, sizeof path, "/tmp/wce-mutex-%zx-%zx.lock", rootHash, nameHash);
    return path;
}

}  // namespace

namespace wce::host {
void SetDebugOutputEnabled(bool enabled) { g_debugOutput = enabled ? 1 : 0; }
}  // namespace wce::host

namespace wce::detail {

DWORD RealTick()
{
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(ms);
}

void RealSleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace wce::detail

DWORD GetTickCount()
{
    DWORD tick = 0;
    return wce::detail::DisplayTick(tick) ? tick : wce::detail::RealTick();
}

void Sleep(DWORD milliseconds)
{
    if (!wce::detail::DisplaySleep(milliseconds)) wce::detail::RealSleep(milliseconds);
}

void GetLocalTime(SYSTEMTIME* time)
{
    if (!time) return;
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
}

LONG InterlockedIncrement(LONG volatile* value)
{
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(LONG volatile* value)
{
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR name)
{
    auto mutex = std::make_unique<MutexObject>();
    bool exists = false;
    if (name && *name) {
        mutex->name = WideToUtf8(name);
        // The same name held in this process already counts as existing, as on the device.
        wce::detail::ForEachHandle<MutexObject>([&](MutexObject& other) {
            if (other.name == mutex->name) exists = true;
        });
        mutex->fd = open(MutexFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (mutex->fd < 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        if (!exists && flock(mutex->fd, LOCK_EX | LOCK_NB) != 0) exists = true;
    }
    HANDLE handle = wce::detail::AddHandle(std::move(mutex));
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE mutex)
{
    if (!wce::detail::FindHandle<MutexObject>(mutex)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

void OutputDebugStringW(LPCWSTR text)
{
    if (g_debugOutput < 0) {
        const char* env = std::getenv("WCE_DEBUG_OUTPUT");
        g_debugOutput = (env && *env == '1') ? 1 : 0;
    }
    if (g_debugOutput == 1 && text) std::fputs(WideToUtf8(text).c_str(), stderr);
}

// Asked by every failed check, also when memory has run out.
BOOL IsDebuggerPresent()
{
    return wce::detail::NoThrow<BOOL>(FALSE, []() -> BOOL {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("TracerPid:", 0) == 0) return std::atoi(line.c_str() + 10) != 0;
        return FALSE;
    });
}

void DebugBreak()
{
    if (IsDebuggerPresent()) std::raise(SIGTRAP);
}
