#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "temp_device.h"
#include "wce/platform.h"
#include "wce/host.h"
#include "wce/process.h"
#include "zlib.h"

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
    EXPECT_TRUE(Has(device.ReadHostFile("reset-requested.txt"), {"flags=0x00800000"}));
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

// The decompression library's ordinal 2 keeps zlib uncompress's contract on every kind of
// stream the archive reader can meet: the same result code, and on success the same bytes
// and length.
namespace {

using Uncompress = int (*)(BYTE*, DWORD*, const BYTE*, DWORD);

std::vector<BYTE> Deflate(const std::string& plain, int level = 6)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::vector<BYTE> out(size);
    compress2(out.data(), &size, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()), level);
    out.resize(size);
    return out;
}

std::string Plain()
{
    std::mt19937 random(5);
    std::string s;
    while (s.size() < 100000) s += "<layer name=\"item" + std::to_string(random() % 500) + "\"/>\r\n";
    return s;
}

struct Case {
    const char* pName;
    std::vector<BYTE> stream;
    DWORD dwDestSize;
};

std::vector<Case> Cases()
{
    const std::string plain = Plain();
    const DWORD n = static_cast<DWORD>(plain.size());
    const std::vector<BYTE> good = Deflate(plain);
    auto changed = [&](auto change) {
        std::vector<BYTE> stream = good;
        change(stream);
        return stream;
    };
    return {
        {"exact size", good, n},
        {"stored blocks", Deflate(plain, 0), n},
        {"room to spare", good, n + 100},
        {"one byte short", good, n - 1},
        {"no room", good, 0},
        {"empty input", {}, n},
        {"truncated", std::vector<BYTE>(good.begin(), good.end() - 10), n},
        {"only the header", std::vector<BYTE>(good.begin(), good.begin() + 2), n},
        {"empty plain text", Deflate(""), 0},
        {"bytes after the stream", changed([](auto& s) { s.insert(s.end(), {1, 2, 3}); }), n},
        {"wrong checksum", changed([](auto& s) { s.back() ^= 0x55; }), n},
        {"bad header check", changed([](auto& s) { s[1] ^= 1; }), n},
        {"preset dictionary flag", changed([](auto& s) {
             s[1] |= 0x20;
             s[1] = static_cast<BYTE>(s[1] + (31 - (s[0] * 256 + s[1]) % 31) % 31);
         }), n},
        {"damaged data", changed([](auto& s) { s[s.size() / 2] ^= 0xFF; }), n},
    };
}

TEST(Decompressor, GivesZlibUncompressResults)
{
    HMODULE dll = LoadLibraryW(u"WceUiDll.dll");
    ASSERT_NE(dll, nullptr);
    auto inflate = reinterpret_cast<Uncompress>(GetProcAddressW(dll, MAKEINTRESOURCEW(2)));
    ASSERT_NE(inflate, nullptr);
    for (const Case& c : Cases()) {
        std::vector<BYTE> expected(c.dwDestSize + 1), actual(c.dwDestSize + 1);
        uLongf zlibLength = c.dwDestSize;
        int zlibResult = uncompress(expected.data(), &zlibLength, c.stream.data(), static_cast<uLong>(c.stream.size()));
        DWORD length = c.dwDestSize;
        int result = inflate(actual.data(), &length, c.stream.data(), static_cast<DWORD>(c.stream.size()));
        EXPECT_EQ(result, zlibResult) << c.pName;
        if (Z_OK == zlibResult && Z_OK == result) {
            EXPECT_EQ(length, zlibLength) << c.pName;
            EXPECT_TRUE(std::equal(actual.begin(), actual.begin() + length, expected.begin())) << c.pName;
        }
    }
    DWORD length = 1;
    BYTE b = 0;
    EXPECT_NE(inflate(&b, nullptr, &b, 1), Z_OK);
    EXPECT_EQ(length, 1u);
    FreeLibrary(dll);
}

}  // namespace
