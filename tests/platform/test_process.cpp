#include <gtest/gtest.h>

#include "temp_device.h"
#include "wce/platform.h"
#include "wce/host.h"

namespace {
int g_calibrations = 0;
void Calibrate() { ++g_calibrations; }
}  // namespace

TEST(Modules, CalibrationOnlyWhenTheHostProvidesIt)
{
    HMODULE core = LoadLibraryW(u"COREDLL.DLL");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(GetProcAddressW(core, u"TouchCalibrate"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    wce::host::SetTouchCalibrateRoutine(&Calibrate);
    auto routine = reinterpret_cast<void (*)()>(GetProcAddressW(core, u"TouchCalibrate"));
    ASSERT_NE(routine, nullptr);
    routine();
    EXPECT_EQ(g_calibrations, 1);
    EXPECT_TRUE(FreeLibrary(core));
    EXPECT_FALSE(FreeLibrary(core));  // no longer loaded
    EXPECT_EQ(LoadLibraryW(u"nosuch.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(GetProcAddressW(reinterpret_cast<HMODULE>(0x7777), u"x"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Process, LaunchIsRecordedAndMissingProgramFails)
{
    TempDevice device;
    device.WriteHostFile("Residentflash2/app/KptMain.exe", "placeholder");
    WCHAR args[] = u"_K+T#W_B3D5F8_!M";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(u"\\residentflash2\\app\\kptmain.exe", args, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, nullptr, &info));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_EQ(device.ReadHostFile("launches.txt"), "\\residentflash2\\app\\kptmain.exe _K+T#W_B3D5F8_!M\n");
    EXPECT_FALSE(CreateProcessW(u"\\Residentflash2\\app\\none.exe", args, nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(CreateProcessW(nullptr, args, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST(Process, ResetIsRecordedAndEndsTheProcessWithStatusZero)
{
    TempDevice device;
    wce::host::SetExitOnReset(false);
    SetSystemPowerState(nullptr, POWER_STATE_RESET, POWER_FORCE);
    wce::host::SetExitOnReset(true);
    EXPECT_NE(device.ReadHostFile("reset-requested.txt").find("flags=0x00800000"), std::string::npos);
    EXPECT_EXIT(SetSystemPowerState(nullptr, POWER_STATE_RESET, POWER_FORCE), ::testing::ExitedWithCode(0), "");
}

TEST(Misc, ModulePathScreenAndBadHandles)
{
    WCHAR path[MAX_PATH];
    wce::host::SetModulePath(u"\\SDMMC\\brantel.exe");
    EXPECT_EQ(GetModuleFileNameW(nullptr, path, MAX_PATH), 18u);
    EXPECT_EQ(std::u16string(path), u"\\SDMMC\\brantel.exe");
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x1234567)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(ReleaseMutex(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 10), 0u);
    GetLocalTime(nullptr);  // must not crash
    OutputDebugStringW(nullptr);
}
