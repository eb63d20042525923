// Every platform call refuses made-up handles and null pointers with an error code.
#include <gtest/gtest.h>

#include "temp_device.h"
#include "wce/platform.h"

namespace {
const HANDLE kBogus = reinterpret_cast<HANDLE>(0x7777);
}

TEST(BadArguments, FilesRefuseNullsAndBogusHandles)
{
    TempDevice device;
    DWORD n = 0;
    char buffer[4];
    EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(kBogus, buffer, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 4, &n, nullptr));
    EXPECT_FALSE(WriteFile(nullptr, buffer, 4, &n, nullptr));
    EXPECT_EQ(SetFilePointer(kBogus, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetFileSize(kBogus, nullptr), INVALID_FILE_SIZE);
    EXPECT_FALSE(FlushFileBuffers(kBogus));
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(CreateDirectoryW(nullptr, nullptr));
    EXPECT_FALSE(DeleteFileW(nullptr));
    EXPECT_EQ(FindFirstFileW(nullptr, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileW(kBogus, nullptr));
    EXPECT_FALSE(FindClose(kBogus));

    // A file handle is not a search handle, and the reverse.
    device.WriteHostFile("a.txt", "abc");
    HANDLE file = CreateFileW(u"\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(FindNextFileW(file, &data));
    EXPECT_FALSE(ReadFile(file, nullptr, 4, &n, nullptr));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
}

TEST(BadArguments, RegistryModulesAndProcesses)
{
    TempDevice device;
    HKEY key = nullptr;
    DWORD size = 0;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"OEM", 0, 0, nullptr), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExW(reinterpret_cast<HKEY>(kBogus), u"OEM", 0, 0, &key), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExW(reinterpret_cast<HKEY>(kBogus), u"APP", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueExW(HKEY_LOCAL_MACHINE, u"x", 0, REG_SZ, nullptr, 10), ERROR_SUCCESS);
    EXPECT_NE(RegCloseKey(reinterpret_cast<HKEY>(kBogus)), ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetProcAddressW(reinterpret_cast<HMODULE>(kBogus), u"x"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 10), 0u);
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_NE(SHFileOperationW(nullptr), 0);
    GetLocalTime(nullptr);
    OutputDebugStringW(nullptr);
}
