// An allocation that fails inside a platform call becomes that call's failure with
// ERROR_NOT_ENOUGH_MEMORY; nothing escapes as an exception, and nothing is left half done.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "failing_new.h"
#include "temp_device.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/registry.h"
#include "wce/timesync.h"

namespace {

// Each call is run with its n-th allocation failing, n = 0, 1, ... until it succeeds; every
// failure must say ERROR_NOT_ENOUGH_MEMORY and leave the device as it was (check).
struct Call {
    const char* name;
    std::function<bool()> run;    // true on success
    std::function<void()> check;  // after a failure, without failing allocations
};

bool RegistryValue(const TempDevice&)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"OEM", 0, 0, &key) != ERROR_SUCCESS) return false;
    WCHAR value[32] = {};
    DWORD size = sizeof value;
    LONG status = RegQueryValueExW(key, u"APP", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && std::u16string(value) == u"x";
}

TEST(NoMemory, PlatformCallsFailCleanly)
{
    TempDevice device;
    const std::string registry = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"x\"\n";
    const Call calls[] = {
        {"registry load and read", [&] { return RegistryValue(device); },
         [&] {
             EXPECT_TRUE(RegistryValue(device));  // the same registry, loaded again
             EXPECT_EQ(registry, device.ReadHostFile("registry.reg"));
         }},
        {"create and write a file",
         [] {
             HANDLE h = CreateFileW(u"\\a.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
             DWORD written = 0;
             bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, "abc", 3, &written, nullptr) && written == 3;
             if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
             return ok;
         },
         [] {}},
        {"attributes and search",
         [] {
             WIN32_FIND_DATAW data;
             HANDLE h = FindFirstFileW(u"\\*.txt", &data);
             if (h == INVALID_HANDLE_VALUE) return false;
             FindClose(h);
             return GetFileAttributesW(u"\\a.txt") != INVALID_FILE_ATTRIBUTES;
         },
         [] {}},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.name);
        device.WriteHostFile("registry.reg", registry);
        bool done = false;
        long n = 0;
        for (; n < 10000 && !done; ++n) {
            wce::host::SetDeviceRoot(device.Root());  // drops the cached registry
            SetLastError(ERROR_SUCCESS);
            g_allocationsLeft = n;
            done = call.run();
            g_allocationsLeft = -1;
            if (done) break;
            EXPECT_EQ(DWORD{ERROR_NOT_ENOUGH_MEMORY}, GetLastError()) << "allocation " << n;
            call.check();
        }
        EXPECT_TRUE(done);
        EXPECT_GT(n, 0);  // the call allocates: every one of those allocations was made to fail
    }
}

// A failed check asks for a debugger; a check fails when an allocation has, so the answer
// must come without memory too.
TEST(NoMemory, DebuggerQueryAnswersWithoutMemory)
{
    g_allocationsLeft = 0;
    const BOOL present = IsDebuggerPresent();
    g_allocationsLeft = -1;
    EXPECT_FALSE(present);
}

}  // namespace
