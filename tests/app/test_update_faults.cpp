// The update against a failing flash and against a crash: every file call of one update
// fails in turn (disk full, I/O error), and the console updater is ended at every call and
// then run again. Small package, runs in-process (the crashes in forked children).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>

#include "ConsoleUpdate.h"
#include "UpdateProcedure.h"
#include "UpdateSystem.h"
#include "msk_fixture.h"
#include "recording_screen.h"
#include "wce/file_faults.h"
#include "wce/host.h"
#include "wce/platform.h"

namespace {

namespace fs = std::filesystem;
using wce::test::FileFault;

const std::string kOldMain = "old main";
const std::string kRegistry =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"\\\\Residentflash2\\\\app\\\\NaviMain.exe\"\n\n"
    "[HKEY_CURRENT_USER\\OEM\\ShellEx]\n\"Startup\"=\"x\"\n";

// A unit with an old application, a package, a factory configuration and the start-up key.
void MakeUnit(const TempDevice& device)
{
    device.WriteHostFile("Residentflash2/app/NaviMain.exe", kOldMain);
    device.WriteHostFile("Residentflash2/app/old/legacy.dll", "old");
    device.WriteHostFile("SDMMC/FactoryConfig.xml", "<factory/>");
    device.WriteHostFile("registry.reg", kRegistry);
    WritePackage(device, "SDMMC/gpsApp.msk", BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
    wce::host::SetDeviceRoot(device.Root());
}

// What an update leaves on the unit: every file and folder outside the card, with its
// bytes.
std::map<std::string, std::string> Installed(const TempDevice& device)
{
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(device.Root()); it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = fs::relative(it->path(), device.Root()).string();
        if (path == "SDMMC") {
            it.disable_recursion_pending();
        } else if (path.rfind("registry.reg.", 0) == 0) {
            continue;  // a temporary file a crash left: never read
        } else if (it->is_directory()) {
            tree[path + "/"];
        } else {
            tree[path] = ReadHostBytes(it->path().string());
        }
    }
    return tree;
}

bool RegistryReadable(const TempDevice& device)
{
    wce::host::SetDeviceRoot(device.Root());  // reads the file again
    std::string problem;
    return wce::host::CheckRegistryFile(problem);
}

// The console updater in a forked child with the fault set; its exit status.
struct ChildRun {
    int status = -1;
};

ChildRun RunConsoleChild(const TempDevice& device, const FileFault& fault)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) _exit(99);
        wce::test::SetFileFault(fault);
        _exit(RunConsoleUpdate(device.Root(), ""));
    }
    ChildRun run;
    int raw = 0;
    if (pid > 0 && waitpid(pid, &raw, 0) == pid && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    return run;
}

// Ended at any file call, the update run again installs what an uninterrupted run does,
// and the registry is never half written.
TEST(UpdateCrash, EndedAtAnyFileCallTheRerunInstallsWhatAWholeRunDoes)
{
    TempDevice whole;
    MakeUnit(whole);
    ASSERT_EQ(RunConsoleChild(whole, FileFault{}).status, 0);
    const std::map<std::string, std::string> expected = Installed(whole);
    ASSERT_EQ(expected.at("Residentflash2/app/NaviMain.exe"), "new main");
    ASSERT_EQ(expected.count("launches.txt"), 1u);
    // Until the run gets to its end before the call that would end it.
    for (std::uint64_t at = 1;; ++at) {
        SCOPED_TRACE("ended at file call " + std::to_string(at));
        TempDevice device;
        MakeUnit(device);
        const FileFault end{wce::test::kFileAnyCall, at};
        if (RunConsoleChild(device, end).status != end.exitStatus) {
            EXPECT_GT(at, 10u);
            EXPECT_EQ(Installed(device), expected);
            break;
        }
        EXPECT_TRUE(RegistryReadable(device));
        EXPECT_EQ(RunConsoleChild(device, FileFault{}).status, 0);
        EXPECT_EQ(Installed(device), expected);
    }
}

// What the procedure shows, and when the delete began (in counted file calls).
class SweepScreen : public RecordingScreen {
public:
    bool deleted = false;
    std::uint64_t callsAtDelete = 0;

    void SetStatusText(LPCWSTR text) override
    {
        if (std::u16string(text) != u"Delete...") return;
        deleted = true;
        callsAtDelete = wce::test::CountedFileCalls();
    }
};

// The k-th call of a kind fails, for every k of one update: a failure says so with the
// error box (disk full as such), nothing crashes, the registry is whole, and a fault
// before the delete keeps the old application. Faults the procedure does not report (the
// delete, the start-up key, the factory configuration) still end in a whole new application.
TEST(UpdateFaultSweep, EveryFileCallFailsOnceWithDiskFullAndIoError)
{
    const struct {
        const char* name;
        unsigned kind;
        int error;
        const char16_t* failure;  // what a shown failure holds; null: nothing is shown
    } cases[] = {
        {"create, disk full", wce::test::kFileCreate, ENOSPC, u""},
        {"create, I/O error", wce::test::kFileCreate, EIO, u""},
        {"write, disk full", wce::test::kFileWrite, ENOSPC, u"There is not enough space on the disk. Update fail."},
        {"write, I/O error", wce::test::kFileWrite, EIO, u"GetLastError is 29"},
        {"flush, I/O error", wce::test::kFileFlush, EIO, nullptr},
        {"delete, I/O error", wce::test::kFileDelete, EIO, nullptr},
        {"rename, disk full", wce::test::kFileRename, ENOSPC, nullptr},
    };
    std::string newRegistry;
    for (const auto& c : cases) {
        TempDevice whole;
        MakeUnit(whole);
        SweepScreen clean;
        wce::test::SetFileFault(FileFault{c.kind});
        CUpdateProcedure(clean, ReadInstalledAppPath()).OnUpdate(brantel::kGenericPackage);
        const std::uint64_t calls = wce::test::CountedFileCalls();
        wce::test::ClearFileFault();
        ASSERT_GE(clean.ended, 0) << c.name;
        newRegistry = whole.ReadHostFile("registry.reg");
        for (std::uint64_t at = 1; at <= calls; ++at) {
            SCOPED_TRACE(std::string(c.name) + ", call " + std::to_string(at) + " of " + std::to_string(calls));
            TempDevice device;
            MakeUnit(device);
            SweepScreen screen;
            wce::test::SetFileFault(FileFault{c.kind, at, c.error});
            CUpdateProcedure(screen, ReadInstalledAppPath()).OnUpdate(brantel::kGenericPackage);
            wce::test::ClearFileFault();
            const std::string registry = device.ReadHostFile("registry.reg");
            EXPECT_TRUE(registry == kRegistry || registry == newRegistry) << registry;
            EXPECT_TRUE(RegistryReadable(device));
            const bool beforeDelete = !screen.deleted || at <= screen.callsAtDelete;
            if (beforeDelete) {
                EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), kOldMain);
                EXPECT_TRUE(device.HostExists("Residentflash2/app/old/legacy.dll"));
            }
            if (screen.ended >= 0) {
                EXPECT_TRUE(screen.messages.empty());
                EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "new main");
                EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/a.xml"), std::string(5000, 'a'));
                continue;
            }
            ASSERT_NE(c.failure, nullptr) << "failed without need";
            ASSERT_EQ(screen.messages.size(), 1u);
            EXPECT_EQ(screen.flags[0], kMsgBoxError);
            EXPECT_NE(screen.messages[0].find(c.failure), std::u16string::npos) << WideToUtf8(screen.messages[0]);
        }
    }
}

}  // namespace
