#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "UpdateProcedure.h"
#include "UpdateSystem.h"
#include "msk_fixture.h"
#include "wce/host.h"
#include "wce/platform.h"

namespace {

// Records what the procedure does to the screen.
class FakeScreen : public IUpdateScreen {
public:
    std::vector<int> progressSet;
    std::vector<std::u16string> statuses;
    std::vector<std::u16string> messages;
    std::vector<UINT> messageFlags;
    std::vector<int> windowEnabled;
    std::vector<int> controlsEnabled;
    int repaints = 0;
    int ended = -1;
    std::string events;

    void SetStatusText(LPCWSTR text) override { statuses.push_back(text); }
    void SetProgressPos(int pos) override { progressSet.push_back(pos); }
    void UpdateWindow() override { ++repaints; }
    void EnableWindow(BOOL enable) override { windowEnabled.push_back(enable); }
    HWND GetWindowHandle() override { return nullptr; }
    void EnableControls(BOOL enable) override { controlsEnabled.push_back(enable); }
    void ShowMessage(LPCWSTR text, UINT flags) override
    {
        messages.push_back(text);
        messageFlags.push_back(flags);
        events += "message;";
    }
    void EndDialog(int result) override
    {
        ended = result;
        events += "end;";
    }
    void HoldMessageBoxImage(BOOL hold) override { events += hold ? "hold;" : "release;"; }
};

constexpr LPCWSTR kGps = u"\\SDMMC\\gpsApp.msk";

int g_calibrations = 0;
void Calibrate() { ++g_calibrations; }

class UpdateProcedureTest : public ::testing::Test {
protected:
    TempDevice device;
    FakeScreen screen;

    void SetUp() override
    {
        wce::host::SetExitOnReset(false);
        device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old main");
        device.WriteHostFile("Residentflash2/app/old/legacy.dll", "old");
        device.WriteHostFile("SDMMC/FactoryConfig.xml", "<factory/>");
        device.WriteHostFile("registry.reg",
                             "REGEDIT4\n\n[HKEY_CURRENT_USER\\OEM\\ShellEx]\n\"Startup\"=\"x\"\n");
    }

    void SetApp(const std::string& value)
    {
        device.WriteHostFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"" + value +
                                                 "\"\n\n[HKEY_CURRENT_USER\\OEM\\ShellEx]\n\"Startup\"=\"x\"\n");
        wce::host::SetDeviceRoot(device.Root());  // drops the cached registry
    }

    void WriteGps(const std::vector<MskBuildEntry>& entries, LPCWSTR password = u"sxq_trelo")
    {
        WritePackage(device, "SDMMC/gpsApp.msk", BuildMskImage(entries, u"app"), password);
    }

    bool ShellExKeyExists()
    {
        HKEY key = nullptr;
        bool exists = RegOpenKeyExW(HKEY_CURRENT_USER, u"OEM\\ShellEx", 0, 0, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        return exists;
    }
};

std::vector<MskBuildEntry> ManyFiles(int count)
{
    std::vector<MskBuildEntry> entries;
    for (int i = 0; i < count; ++i) entries.push_back(File(u"f" + Utf8ToWide(std::to_string(i)), "x"));
    return entries;
}

TEST_F(UpdateProcedureTest, GenericSuccessReplacesAppAndLaunches)
{
    SetApp("\\\\Residentflash2\\\\app\\\\NaviMain.exe");
    WriteGps(SampleEntries());
    CUpdateProcedure procedure(screen, ReadInstalledAppPath());
    EXPECT_FALSE(procedure.IsKpt());
    procedure.OnUpdate(kGps);
    EXPECT_EQ(screen.ended, 0);
    EXPECT_TRUE(screen.messages.empty());
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "new main");
    EXPECT_FALSE(device.HostExists("Residentflash2/app/old"));
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/FactoryConfig.xml"), "<factory/>");
    EXPECT_FALSE(ShellExKeyExists());
    EXPECT_EQ(device.ReadHostFile("launches.txt"), "\\Residentflash2\\app\\NaviMain.exe _K+T#W_B3D5F8_!M\n");
    EXPECT_TRUE(procedure.HasLaunched());
    // The window is disabled for the whole update and the controls grayed.
    EXPECT_EQ(screen.windowEnabled, (std::vector<int>{0, 1}));
    EXPECT_EQ(screen.controlsEnabled, (std::vector<int>{0, 1}));
    EXPECT_EQ(screen.statuses.front(), u"");
    EXPECT_EQ(screen.statuses[1], u"Delete...");
}

// No selection, or a line that is no entry (the list saying it holds no package).
TEST_F(UpdateProcedureTest, NoPackagePathDoesNothing)
{
    WriteGps(SampleEntries());
    for (LPCWSTR path : {static_cast<LPCWSTR>(nullptr), u""}) {
        FakeScreen fresh;
        CUpdateProcedure(fresh, u"").OnUpdate(path);
        EXPECT_EQ(fresh.repaints, 0) << !path;
        EXPECT_TRUE(fresh.messages.empty()) << !path;
        EXPECT_TRUE(device.HostExists("Residentflash2/app/old/legacy.dll")) << !path;
    }
}

// Each new multiple of five shows once, from the 0 % an update starts with: of three
// entries 33 and 66 are not shown.
TEST_F(UpdateProcedureTest, ProgressShowsEachNewMultipleOfFiveOnce)
{
    std::vector<int> everyFive;
    for (int p = 0; p <= 100; p += 5) everyFive.push_back(p);
    const std::pair<int, std::vector<int>> cases[] = {{3, {0, 100}}, {200, everyFive}};
    for (const auto& [count, shown] : cases) {
        FakeScreen fresh;
        WriteGps(ManyFiles(count));
        CUpdateProcedure(fresh, u"").OnUpdate(kGps);
        EXPECT_EQ(fresh.progressSet, shown) << count;
        EXPECT_EQ(fresh.statuses.back(), u"100%");
    }
}

// A failed update says why with the error icon, enables the window again, keeps the dialog
// and the start-up key; what it refuses before the delete also keeps the application.
TEST_F(UpdateProcedureTest, FailuresShowTheirMessageAndKeepWhatWasNotYetDeleted)
{
    MskImage damaged = BuildMskImage(SampleEntries(), u"app");
    damaged.data.resize(damaged.data.size() / 2);
    MskImage flipped = BuildMskImage(SampleEntries(), u"app");
    flipped.data.back() ^= 0x01;  // the last stream's Adler-32
    const struct {
        std::function<void()> prepare;
        LPCWSTR path;
        const char16_t* message;
        bool appKept;
    } cases[] = {
        {[&] { WriteGps(SampleEntries(), u"sxq_bnf"); }, u"\\SDMMC\\gpsApp.msk",
         u"MSK file type error or file is modified. Update fail.", true},
        {[&] { device.WriteHostFile("SDMMC/gpsApp.msk", "plain text"); }, u"\\SDMMC\\gpsApp.msk",
         u"Invalid MSK file. Update fail.", true},
        {[&] { WritePackage(device, "SDMMC/gpsApp.msk", damaged, u"sxq_trelo"); }, u"\\SDMMC\\gpsApp.msk",
         u"MSK file format error. Update fail.", true},
        {[&] { WritePackage(device, "SDMMC/gpsApp.msk", flipped, u"sxq_trelo"); }, u"\\SDMMC\\gpsApp.msk",
         u"MSK file format error. Update fail.", true},
        {[] {}, u"\\SDMMC\\missing.msk",  // other failures show the unpacker's message
         u"Update fail. \n(open file \\SDMMC\\missing.msk failed, error code is 2)", true},
        {[&] {
             WriteGps({File(u"big.bin", std::string(200000, 'z'))});
             wce::host::SetWriteQuota(u"\\Residentflash2", 1000);
         },
         u"\\SDMMC\\gpsApp.msk", u"There is not enough space on the disk. Update fail.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.message));
        c.prepare();
        FakeScreen fresh;
        CUpdateProcedure(fresh, u"").OnUpdate(c.path);
        EXPECT_EQ(fresh.messages, (std::vector<std::u16string>{c.message}));
        EXPECT_EQ(fresh.messageFlags, (std::vector<UINT>{0x10}));
        EXPECT_EQ(fresh.ended, -1);
        EXPECT_EQ(fresh.windowEnabled.back(), 1);
        EXPECT_TRUE(ShellExKeyExists());
        EXPECT_EQ(device.HostExists("Residentflash2/app/old/legacy.dll"), c.appKept);
        EXPECT_EQ(device.HostExists("Residentflash2/app/NaviMain.exe"), c.appKept);
    }
    EXPECT_EQ(CUpdateProcedure::MessageForError(u""), u"Update fail. \n()");
    EXPECT_TRUE(CUpdateProcedure::MessageForError(u"user_cancel").IsEmpty());
}

// The delete would remove the package before it is unpacked.
TEST_F(UpdateProcedureTest, PackageInsideTheInstalledFolderIsRefused)
{
    WritePackage(device, "Residentflash2/app/sub/p.msk", BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
    for (LPCWSTR path : {u"\\Residentflash2\\app\\sub\\p.msk", u"\\residentflash2//APP/sub/p.msk",
                         u"\\Residentflash2\\x\\..\\.\\app\\sub\\p.msk"}) {
        SCOPED_TRACE(WideToUtf8(path));
        CUpdateProcedure procedure(screen, u"");
        EXPECT_FALSE(procedure.DoUpdate(path));
        EXPECT_NE(screen.messages.back().find(u"which the update deletes first"), std::u16string::npos);
        EXPECT_FALSE(procedure.GetRefusal().IsEmpty());
        EXPECT_TRUE(device.HostExists("Residentflash2/app/old/legacy.dll"));
    }
    EXPECT_TRUE(IsInsideFolder(u"\\Residentflash2\\app", u"\\Residentflash2\\app"));
    EXPECT_FALSE(IsInsideFolder(u"\\Residentflash2\\application\\p.msk", u"\\Residentflash2\\app"));
    EXPECT_FALSE(IsInsideFolder(u"\\Residentflash2\\app\\..\\p.msk", u"\\Residentflash2\\app"));
}

// A registry that cannot be read refuses the update before anything is deleted, naming the
// file and line; a factory configuration of gigabytes (a sparse file) is not copied.
TEST_F(UpdateProcedureTest, UnreadableRegistryRefusesAndAHugeFactoryConfigIsNotCopied)
{
    WriteGps(SampleEntries());
    CUpdateProcedure refused(screen, u"");
    refused.SetRegistryProblem(u"registry.reg:5: malformed registry file: a key line must end with ']'");
    refused.OnUpdate(kGps);
    EXPECT_EQ(screen.messages, (std::vector<std::u16string>{
                                   u"Update fail. \n(registry.reg:5: malformed registry file: a key line must end with ']')"}));
    EXPECT_EQ(refused.GetRefusal(), u"registry.reg:5: malformed registry file: a key line must end with ']'");
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "old main");
    EXPECT_TRUE(ShellExKeyExists());

    const struct {
        const char* what;
        std::uint64_t size;
        bool copied;
    } configs[] = {{"1 MiB", brantel::kMaxFactoryConfigSize, true},
                   {"one byte more", brantel::kMaxFactoryConfigSize + 1, false},
                   {"2 GiB, sparse", 2ull << 30, false}};
    for (const auto& c : configs) {
        SCOPED_TRACE(c.what);
        device.WriteHostFile("SDMMC/FactoryConfig.xml", "");
        device.WriteHostFileAt("SDMMC/FactoryConfig.xml", c.size - 1, ">");
        FakeScreen fresh;
        CUpdateProcedure(fresh, u"").OnUpdate(kGps);
        EXPECT_EQ(fresh.ended, 0);
        EXPECT_EQ(device.HostExists("Residentflash2/app/config/FactoryConfig.xml"), c.copied);
    }
}

TEST_F(UpdateProcedureTest, KptVariantIgnoresCaseCalibratesIfItCanAndResets)
{
    for (bool calibration : {true, false}) {
        SCOPED_TRACE(calibration);
        FakeScreen fresh;
        SetApp(calibration ? "\\\\ResidentFlash2\\\\APP\\\\KptMain.EXE" : "\\\\residentflash2\\\\app\\\\kptmain.exe");
        CString package;
        GetDefaultPackagePath(package);
        EXPECT_EQ(package, u"\\SDMMC\\kptApp.msk");
        WritePackage(device, "SDMMC/kptApp.msk", BuildMskImage(SampleEntries(), u"app"), u"sxq_bnf");
        std::filesystem::remove(device.Host("reset-requested.txt"));
        g_calibrations = 0;
        wce::host::SetTouchCalibrateRoutine(calibration ? &Calibrate : nullptr);
        CUpdateProcedure procedure(fresh, ReadInstalledAppPath());
        EXPECT_TRUE(procedure.IsKpt());
        procedure.OnUpdate(package);
        EXPECT_EQ(g_calibrations, calibration ? 1 : 0);
        EXPECT_EQ(fresh.messages, (std::vector<std::u16string>{u"Update application OK, please remove SD card."}));
        EXPECT_EQ(fresh.messageFlags, (std::vector<UINT>{0x40}));
        EXPECT_EQ(fresh.events, "hold;message;end;release;");
        EXPECT_TRUE(device.HostExists("reset-requested.txt"));
        EXPECT_FALSE(device.HostExists("launches.txt"));
    }
}

TEST_F(UpdateProcedureTest, NoAppValueOrOneOfAnotherTypeIsGenericAndStillEnds)
{
    EXPECT_TRUE(ReadInstalledAppPath().IsEmpty());
    CString package;
    GetDefaultPackagePath(package);
    EXPECT_EQ(package, u"\\SDMMC\\gpsApp.msk");
    WriteGps(SampleEntries());
    CUpdateProcedure procedure(screen, ReadInstalledAppPath());
    procedure.OnUpdate(package);
    EXPECT_EQ(screen.ended, 0);
    EXPECT_FALSE(device.HostExists("launches.txt"));  // the launch of an empty path failed silently
    EXPECT_FALSE(procedure.HasLaunched());
    EXPECT_NE(procedure.GetLaunchError(), 0u);

    device.WriteHostFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=dword:00000001\n");
    wce::host::SetDeviceRoot(device.Root());
    EXPECT_TRUE(ReadInstalledAppPath().IsEmpty());
}

}  // namespace
