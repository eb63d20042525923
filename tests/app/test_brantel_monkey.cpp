// Random taps, drags and keys on the updater, for many virtual minutes, on a card with
// packages, folders, links, loops, names the unit cannot represent and damaged packages:
// no crash, no hang, and the installed application either untouched or updated whole.
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <set>

#include "brantel_run.h"
#include "wce/wstring.h"

namespace brantel_test {
namespace {

struct Screen {
    Size size;
    int listX, listTop, itemHeight;
    POINT update, ok;
};

const Screen kScreens[] = {
    {{800, 480, "800x480"}, 200, 80, 52, {680, 113}, {400, 332}},
    {{480, 272, "480X272"}, 100, 46, 36, {405, 65}, {240, 195}},
};

const char* const kKeys[] = {"RETURN", "ESCAPE", "UP", "DOWN", "LEFT", "RIGHT", "SPACE", "TAB", "BACK", "NEXT"};

std::vector<MskBuildEntry> Tree(const std::string& tag)
{
    return {Dir(u"config"), File(u"NaviMain.exe", "main " + tag), File(u"config\\a.xml", std::string(3000, 'a'))};
}

using Snapshot = std::map<std::string, std::string>;  // relative path -> content, "<dir>" or "<link>"

Snapshot Take(const std::string& folder)
{
    Snapshot out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = it->path().string().substr(folder.size() + 1);
        if (rel.size() > 9 && rel.compare(rel.size() - 9, 9, ".wceuilog") == 0) continue;  // the updater's log
        if (it->is_symlink())
            out[rel] = "<link>";
        else if (it->is_directory())
            out[rel] = "<dir>";
        else
            out[rel] = ReadHostBytes(it->path().string());
    }
    return out;
}

// What a whole update from the package tagged so leaves in the application folder.
Snapshot Updated(const std::string& tag)
{
    return {{"config", "<dir>"}, {"config/a.xml", std::string(3000, 'a')}, {"NaviMain.exe", "main " + tag}};
}

void MakeCard(const Device& dev, const std::string& outside)
{
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    auto write = [&](const std::string& rel, const std::vector<MskBuildEntry>& entries, LPCWSTR password) {
        dev.Write(rel, Bytes(BuildMskImage(entries, u"app").Assemble(GetPackKey(password))));
    };
    // The default package has one damaged data byte: the whole-package check refuses it before
    // anything is deleted, and the list opens on the card's top folder, among the other packages.
    MskImage cut = BuildMskImage(Tree("t"), u"app");
    cut.data[cut.data.size() / 2] ^= 0x55;
    dev.Write("SDMMC/gpsApp.msk", Bytes(cut.Assemble(GetPackKey(u"sxq_trelo"))));
    write("SDMMC/a.msk", Tree("a"), u"sxq_trelo");
    write("SDMMC/wrong.msk", Tree("w"), u"sxq_bnf");
    dev.Write("SDMMC/text.msk", "not a package");
    write("SDMMC/update/u.msk", Tree("u"), u"sxq_trelo");
    write("SDMMC/other/deep/c.msk", Tree("c"), u"sxq_trelo");
    write("ResidentFlash/b.MSK", Tree("b"), u"sxq_trelo");
    for (int i = 0; i < 24; ++i) write("SDMMC/many/p" + std::to_string(10 + i) + ".msk", Tree("p"), u"sxq_trelo");
    write("SDMMC/loop/z.msk", Tree("z"), u"sxq_trelo");
    write("Residentflash2/app/keep.msk", Tree("k"), u"sxq_trelo");
    write("SDMMC/..\\ResidentFlash\\y.msk", Tree("y"), u"sxq_trelo");
    std::ofstream(outside + "/o.msk") << Bytes(BuildMskImage(Tree("o"), u"app").Assemble(GetPackKey(u"sxq_trelo")));
    dev.Write("Residentflash2/app/..\\..\\SDMMC/f.txt", "f");
    dev.Write("Residentflash2/app/old/legacy.dll", "old");
    for (const auto& [target, link] : std::vector<std::pair<std::string, std::string>>{
             {".", "SDMMC/loop/l1"}, {".", "SDMMC/loop/l2"}, {"..", "SDMMC/up"},
             {"../Residentflash2/app", "SDMMC/app"}, {outside, "SDMMC/out"}, {"gone", "SDMMC/stale"}})
        ASSERT_EQ(0, symlink(target.c_str(), dev.Host(link).c_str())) << link;
}

std::string Script(std::mt19937& rng, const Screen& s, int commands)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto pt = [](int x, int y) { return std::to_string(x) + " " + std::to_string(y); };
    std::string out = "wait 50\n";
    for (int i = 0; i < commands; ++i) {
        const int roll = pick(0, 99);
        const int rows = (s.size.h - s.listTop) / s.itemHeight;
        const int row = s.listTop + s.itemHeight * pick(0, rows - 1) + s.itemHeight / 2;
        if (roll < 50)
            out += "tap " + pt(s.listX + pick(-40, 200), row) + "\n";
        else if (roll < 54)
            out += "tap " + pt(s.update.x, s.update.y) + "\n";
        else if (roll < 64)
            out += "tap " + pt(s.ok.x, s.ok.y) + "\n";
        else if (roll < 80)
            out += "drag " + pt(s.listX, row) + " " + pt(s.listX + pick(-20, 20), pick(0, s.size.h - 1)) + " " +
                   std::to_string(pick(10, 600)) + "\n";
        else if (roll < 94)
            out += "key " + std::string(kKeys[pick(0, 9)]) + "\n";
        else
            out += "tap " + pt(pick(0, s.size.w - 1), pick(0, s.size.h - 1)) + " " + std::to_string(pick(1, 400)) + "\n";
        out += "wait " + std::to_string(pick(2, 4000)) + "\n";
    }
    return out;
}

// Runs go on with new seeds until the updater has run for ten virtual minutes in all; a run
// ends early when an update succeeds or a tap ends the program.
TEST(BrantelMonkey, RandomInputOnAHostileCardNeverCrashesHangsOrHalfUpdates)
{
    long long virtualMs = 0;
    std::set<std::string> outcomes;
    for (unsigned seed = 1; seed <= 40 && virtualMs < 600000; ++seed) {
        const Screen& s = kScreens[seed % 2];
        SCOPED_TRACE("seed " + std::to_string(seed) + " at " + s.size.set);
        Device dev(s.size);
        const std::string outside = dev.Host("") + "-outside";  // beside the device root
        fs::create_directories(outside);
        MakeCard(dev, outside);
        const Snapshot before = Take(dev.Host("Residentflash2/app"));
        const Snapshot card = Take(dev.Host("SDMMC"));
        std::mt19937 rng(seed);
        std::ofstream(dev.Host("monkey.txt")) << Script(rng, s, 200);
        // A hang shows as the time limit's status; the sanitizers' reports as text.
        const std::string cmd = "cd " + dev.Host("") + " && timeout 60 " + std::string(BRANTEL_EXE) + " --device-root " +
                                dev.Host("") + " --display headless --screen " + std::to_string(s.size.w) + "x" +
                                std::to_string(s.size.h) + " --script " + dev.Host("monkey.txt") + " --trace " +
                                dev.Host("trace.txt") + " 2>" + dev.Host("stderr.txt");
        const int status = std::system(cmd.c_str());
        const std::string errors = dev.Read("stderr.txt");
        ASSERT_TRUE(WIFEXITED(status)) << errors;
        const int code = WEXITSTATUS(status);
        EXPECT_TRUE(code == 0 || code == 3) << "status " << code << "\n" << errors;
        EXPECT_EQ(std::string::npos, errors.find("Sanitizer")) << errors;
        EXPECT_EQ(std::string::npos, errors.find("runtime error")) << errors;
        const std::string trace = dev.Read("trace.txt");
        const size_t last = trace.rfind('\n', trace.size() < 2 ? 0 : trace.size() - 2);
        virtualMs += std::atoll(trace.c_str() + (last == std::string::npos ? 0 : last + 1)) - 1000;

        const Snapshot after = Take(dev.Host("Residentflash2/app"));
        std::string outcome = after == before ? "untouched" : "";
        for (const char* tag : {"a", "b", "c", "p", "u", "z"})
            if (after == Updated(tag)) outcome = std::string("updated ") + tag;
        EXPECT_FALSE(outcome.empty()) << "half an application: " << after.size() << " entries";
        outcomes.insert(outcome);
        EXPECT_EQ(outcome != "untouched", dev.Exists("launches.txt")) << outcome;
        EXPECT_TRUE(Take(dev.Host("SDMMC")) == card);
        EXPECT_EQ(0u, dev.Read("registry.reg").find("REGEDIT4")) << dev.Read("registry.reg");
        EXPECT_TRUE(fs::exists(outside + "/o.msk"));
        fs::remove_all(outside);
    }
    EXPECT_GE(virtualMs, 600000);
    EXPECT_GT(outcomes.size(), 1u);  // some runs did update
}

}  // namespace
}  // namespace brantel_test
