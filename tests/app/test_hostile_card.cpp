// A card formatted on a Linux host: links and names the unit cannot represent must not cost
// the unit its application or anything outside it (the list's side is in test_file_list_model).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "UpdateProcedure.h"
#include "msk_fixture.h"
#include "recording_screen.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace {

namespace fs = std::filesystem;

void Package(const TempDevice& device, const std::string& relative)
{
    WritePackage(device, relative, BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
}

}  // namespace

TEST(HostileCard, PackageReachingTheInstalledFolderThroughLinksIsRefused)
{
    struct Case {
        const char* name;
        std::function<void(const TempDevice&)> make;
        LPCWSTR package;
        bool refused;
    } cases[] = {
        {"package linked to an installed file",
         [](const TempDevice& d) { d.Link("../Residentflash2/app/keep.msk", "SDMMC/gpsApp.msk"); },
         u"\\SDMMC\\gpsApp.msk", true},
        {"card folder linked to the installed folder",
         [](const TempDevice& d) { d.Link("../Residentflash2/app", "SDMMC/upd"); }, u"\\SDMMC\\upd\\keep.msk", true},
        {"installed folder reached through a sibling link",
         [](const TempDevice& d) { d.Link("app", "Residentflash2/app2"); }, u"\\Residentflash2\\app2\\keep.msk", true},
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
    const fs::path outside = device.Outside();
    std::ofstream(outside / "o.txt") << "o";
    device.WriteHostFile("registry.reg", "REGEDIT4\n");
    Package(device, "SDMMC/gpsApp.msk");
    const std::string app = "Residentflash2/app/";
    device.WriteHostFile(app + "..\\..\\SDMMC/keep.txt", "f");
    device.WriteHostFile(app + "..\\..", "f");
    device.WriteHostFile(app + "bad\xFF.dll", "f");
    device.Link(outside, app + "out");
    device.Link("gone", app + "stale");
    device.Link("../../SDMMC", app + "card");
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
}
