// A card formatted on a Linux host: links, loops and names the unit cannot represent must
// neither hang the list nor cost the unit its application or anything outside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "FileListModel.h"
#include "FolderSearch.h"
#include "UpdateProcedure.h"
#include "msk_fixture.h"
#include "recording_screen.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace {

namespace fs = std::filesystem;

class NamesView : public IFileListView {
public:
    std::vector<std::string> names;
    int AddItem(LPCWSTR pText, int) override
    {
        names.push_back(WideToUtf8(pText));
        return (int)names.size() - 1;
    }
    void SetItemRecord(int, FILE_LIST_ITEM*) override {}
    FILE_LIST_ITEM* GetItemRecord(int) override { return nullptr; }
    int GetCount() override { return (int)names.size(); }
    int GetCurSel() override { return -1; }
    void ResetContent() override { names.clear(); }
    void Refresh() override {}
    LPCWSTR GetUplevelText() override { return u".."; }
    LPCWSTR GetNoMatchText() override { return u"none"; }
};

void Link(const TempDevice& device, const std::string& target, const std::string& relative)
{
    fs::create_directories(fs::path(device.Host(relative)).parent_path());
    ASSERT_EQ(symlink(target.c_str(), device.Host(relative).c_str()), 0) << relative;
}

void Package(const TempDevice& device, const std::string& relative)
{
    WritePackage(device, relative, BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
}

}  // namespace

TEST(HostileCard, LoopsAreWalkedOnceAndTheListStillFills)
{
    struct Case {
        const char* name;
        std::function<void(const TempDevice&)> make;
        std::vector<std::string> shown;  // SDMMC's list after the up-level item
        DWORD maxEntries;                // read by one search of SDMMC
    } cases[] = {
        {"two links to . beside a package folder",
         [](const TempDevice& d) {
             Link(d, ".", "SDMMC/empty/l1");
             Link(d, ".", "SDMMC/empty/l2");
             Package(d, "SDMMC/pkg/a.msk");
         },
         {"pkg"}, 10},
        {"a link up reaches the package beside it",
         [](const TempDevice& d) {
             Link(d, "..", "SDMMC/a/up");
             Package(d, "SDMMC/pkg/a.msk");
         },
         {"a", "pkg"}, 10},
        {"folders doubling at 20 levels",
         [](const TempDevice& d) {
             for (int i = 0; i < 20; ++i) {
                 const std::string level = "SDMMC/chain/" + std::to_string(i);
                 Link(d, "../" + std::to_string(i + 1), level + "/l1");
                 Link(d, "../" + std::to_string(i + 1), level + "/l2");
             }
             d.MakeHostDir("SDMMC/chain/20");
         },
         {}, 100},
        {"a folder answered inside a cycle keeps its answer",
         [](const TempDevice& d) {
             Link(d, "..", "SDMMC/a/c1/up");
             Package(d, "SDMMC/a/m/p.msk");
             Link(d, "../a/c1", "SDMMC/w/to");
         },
         {"a", "w"}, 10},
        {"names that are paths on the device",
         [](const TempDevice& d) {
             d.MakeHostDir("SDMMC/x/\\");
             d.MakeHostDir("SDMMC/x/\\\\");
             Package(d, "SDMMC/..\\ResidentFlash\\y.msk");
             Package(d, "ResidentFlash/y.msk");
         },
         {}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        c.make(device);
        NamesView view;
        CFileListModel model(view);
        ASSERT_TRUE(model.SetFilter({u"msk"}, {u"i"}));
        model.ShowFolder(u"SDMMC");
        std::vector<std::string> expected = {".."};
        expected.insert(expected.end(), c.shown.begin(), c.shown.end());
        EXPECT_EQ(view.names, expected);
        CFolderSearch search(model);
        EXPECT_EQ(search.HasMatch(u"SDMMC"), !c.shown.empty());
        EXPECT_LE(CFolderSearch::MAX_ENTRIES_PER_LISTING - search.GetEntriesLeft(), c.maxEntries);
    }
}

TEST(HostileCard, WorkPerListingIsBounded)
{
    TempDevice device;
    for (int i = 0; i < 30; ++i) device.WriteHostFile("SDMMC/big/f" + std::to_string(i) + ".txt", "x");
    Package(device, "SDMMC/big/z/p.msk");
    NamesView view;
    CFileListModel model(view);
    ASSERT_TRUE(model.SetFilter({u"msk"}, {u"i"}));
    CFolderSearch small(model, 20);
    EXPECT_FALSE(small.HasMatch(u"SDMMC"));
    EXPECT_EQ(small.GetEntriesLeft(), 0u);
    CFolderSearch enough(model, 40);
    EXPECT_TRUE(enough.HasMatch(u"SDMMC"));
}

TEST(HostileCard, PackageReachingTheInstalledFolderThroughLinksIsRefused)
{
    struct Case {
        const char* name;
        std::function<void(const TempDevice&)> make;
        LPCWSTR package;
        bool refused;
    } cases[] = {
        {"package linked to an installed file",
         [](const TempDevice& d) { Link(d, "../Residentflash2/app/keep.msk", "SDMMC/gpsApp.msk"); },
         u"\\SDMMC\\gpsApp.msk", true},
        {"card folder linked to the installed folder",
         [](const TempDevice& d) { Link(d, "../Residentflash2/app", "SDMMC/upd"); }, u"\\SDMMC\\upd\\keep.msk", true},
        {"installed folder reached through a sibling link",
         [](const TempDevice& d) { Link(d, "app", "Residentflash2/app2"); }, u"\\Residentflash2\\app2\\keep.msk", true},
        {"a copy on the card",
         [](const TempDevice& d) { Package(d, "SDMMC/gpsApp.msk"); }, u"\\SDMMC\\gpsApp.msk", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        wce::host::SetExitOnReset(false);
        device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old main");
        Package(device, "Residentflash2/app/keep.msk");
        c.make(device);
        RecordingScreen screen;
        CUpdateProcedure procedure(screen, u"");
        EXPECT_EQ(procedure.DoUpdate(c.package), c.refused ? 0 : 1);
        EXPECT_EQ(procedure.GetRefusal().Find(u"which the update deletes first") >= 0, c.refused);
        EXPECT_EQ(device.HostExists("Residentflash2/app/keep.msk"), c.refused);
        EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), c.refused ? "old main" : "new main");
    }
}

TEST(HostileCard, UpdateDeletesHiddenNamesInTheAppFolderAndNothingElse)
{
    TempDevice device;
    const fs::path outside = fs::path(device.Root()).parent_path() / (fs::path(device.Root()).filename().string() + "-o");
    fs::create_directories(outside);
    std::ofstream(outside / "o.txt") << "o";
    device.WriteHostFile("registry.reg", "REGEDIT4\n");
    Package(device, "SDMMC/gpsApp.msk");
    const std::string app = "Residentflash2/app/";
    device.WriteHostFile(app + "..\\..\\SDMMC/keep.txt", "f");
    device.WriteHostFile(app + "..\\..", "f");
    device.WriteHostFile(app + "bad\xFF.dll", "f");
    Link(device, outside.string(), app + "out");
    Link(device, "gone", app + "stale");
    Link(device, "../../SDMMC", app + "card");
    RecordingScreen screen;
    CUpdateProcedure procedure(screen, u"");
    EXPECT_EQ(procedure.DoUpdate(u"\\SDMMC\\gpsApp.msk"), 1);
    EXPECT_TRUE(screen.messages.empty());
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(device.Host(app))) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"NaviMain.exe", "config"}));
    EXPECT_EQ(device.ReadHostFile("registry.reg"), "REGEDIT4\n");
    EXPECT_TRUE(device.HostExists("SDMMC/gpsApp.msk"));
    EXPECT_TRUE(fs::exists(outside / "o.txt"));
    fs::remove_all(outside);
}
