// The updater run as a program, headless, on devices made here: dumps of the layer tree,
// pixels against the skin's colours and invariants between frames, at both screen sizes.
#include <algorithm>

#include "MinisignFormat.h"
#include "PackageSignature.h"
#include "brantel_run.h"

namespace brantel_test {
namespace {

struct Layout {
    Size size;
    int listX, listTop, itemHeight;
    POINT update, reboot, ok;
    int Row(int i) const { return listTop + itemHeight * i + itemHeight / 2; }
};

const Layout kLayouts[] = {
    {{800, 480, "800x480"}, 200, 80, 52, {680, 113}, {680, 277}, {400, 332}},
    {{480, 272, "480X272"}, 100, 46, 36, {405, 65}, {405, 159}, {240, 195}},
};

void PrintTo(const Layout& l, std::ostream* os) { *os << l.size.w << "x" << l.size.h; }

constexpr std::uint32_t kBody = Shown565(0x081820);  // as the 16-bit screen shows it

std::string Tap(POINT p) { return "tap " + std::to_string(p.x) + " " + std::to_string(p.y) + "\nwait 100\n"; }

class BrantelScreens : public ::testing::TestWithParam<Layout> {
protected:
    const Layout& L() const { return GetParam(); }
    std::string TapRow(int i) const { return Tap(POINT{L().listX, L().Row(i)}); }
};

TEST_P(BrantelScreens, AutomaticUpdateChecksCountsTwentyStepsAndLaunches)
{
    Device dev(L().size);
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    dev.Package("SDMMC/gpsApp.msk", u"sxq_trelo");
    ASSERT_EQ(0, dev.Run("wait 5\ndump d.txt\n"));
    EXPECT_EQ("\\Residentflash2\\app\\NaviMain.exe _K+T#W_B3D5F8_!M\n", dev.Read("launches.txt"));
    EXPECT_EQ("new main", dev.Read("Residentflash2/app/NaviMain.exe"));

    auto d = dev.Dump("d.txt");
    ASSERT_EQ(1u, d.count("progress"));
    EXPECT_EQ(Items(d["listbox"]), (std::vector<std::string>{"Up one level", "gpsApp.msk"}));
    EXPECT_EQ("0", d["progress"].F(8));
    for (const char* name : {"update", "reboot", "calibrate", "back", "listbox"})
        EXPECT_EQ("000000", d[name].F(6)) << name;

    // Between repaints of the running update only the slider and the status change, and
    // the filled track only grows.
    auto frames = dev.Frames();
    ASSERT_GT(frames.size(), 20u);
    RECT progress = d["progress"].Rect(), status = d["status"].Rect();
    RECT allowed = Union(progress, status);
    int steps = 0, lastFill = -1;
    int midY = (progress.top + progress.bottom) / 2;
    for (size_t i = 1; i < frames.size(); ++i) {
        RECT diff = DiffBox(frames[i - 1], frames[i]);
        if (IsEmpty(diff) || !Inside(diff, allowed))
            continue;
        ++steps;
        int fill = 0;
        for (int x = progress.left; x < progress.right; ++x)
            fill += RgbAt(frames[i], x, midY) != RgbAt(frames[0], x, midY);
        EXPECT_GE(fill, lastFill) << "frame " << i;
        lastFill = fill;
    }
    EXPECT_GE(steps, 20);

    // A second run gives the same frames.
    dev.Write("Residentflash2/app/NaviMain.exe", "old");
    ASSERT_EQ(0, dev.Run("wait 5\ndump d.txt\n"));
    auto again = dev.Frames();
    ASSERT_EQ(frames.size(), again.size());
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_TRUE(IsEmpty(DiffBox(frames[i], again[i]))) << "frame " << i;
}

TEST_P(BrantelScreens, MissingDefaultBrowsesPicksAndUpdates)
{
    Device dev(L().size);
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    dev.Package("SDMMC/update/a.msk", u"sxq_trelo");
    dev.Write("SDMMC/update/notes.txt", "x");
    dev.Package("ResidentFlash/b.MSK", u"sxq_trelo");
    std::string script = "wait 50\ndump r.txt\n" + TapRow(0) + "dump s.txt\n" + TapRow(1) + "dump u.txt\n" + TapRow(1) +
                         "dump p.txt\n" + Tap(L().update);
    ASSERT_EQ(0, dev.Run(script));
    using V = std::vector<std::string>;
    EXPECT_EQ(Items(dev.Dump("r.txt")["listbox"]), (V{"SDMMC", "ResidentFlash"}));
    EXPECT_EQ(Items(dev.Dump("s.txt")["listbox"]), (V{"Up one level", "update"}));
    EXPECT_EQ(Items(dev.Dump("u.txt")["listbox"]), (V{"Up one level", "a.msk"}));
    EXPECT_EQ("1", dev.Dump("p.txt")["listbox"].F(10));
    EXPECT_TRUE(dev.Exists("launches.txt"));
}

TEST_P(BrantelScreens, WrongPasswordShowsTheErrorAndLeavesTheScreenAsItWas)
{
    Device dev(L().size);
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    dev.Package("SDMMC/gpsApp.msk", u"sxq_bnf");
    std::string script = "wait 300\ndump box.txt\n" + Tap(L().ok) + "wait 200\ndump after.txt\nscreenshot " +
                         dev.Host("after.png") + "\n" + Tap(L().listX == 200 ? POINT{680, 359} : POINT{405, 206});
    ASSERT_EQ(0, dev.Run(script));
    auto box = dev.Dump("box.txt");
    EXPECT_EQ("MSK file type error or file is modified. Update fail.", box["msg"].F(7));
    EXPECT_TRUE(box["error_icon"].Visible()) << dev.Read("box.txt");
    EXPECT_FALSE(box["info_icon"].Visible());
    EXPECT_TRUE(box["ok"].Visible());
    EXPECT_FALSE(box["yes"].Visible());
    EXPECT_FALSE(box["no"].Visible());
    auto after = dev.Dump("after.txt");
    EXPECT_EQ(0u, after.count("msg"));
    for (const char* name : {"update", "reboot", "calibrate", "back", "listbox"})
        EXPECT_EQ("000000", after[name].F(6)) << name;
    EXPECT_FALSE(dev.Exists("launches.txt"));
    EXPECT_EQ("old", dev.Read("Residentflash2/app/NaviMain.exe"));

    // The frame after the box equals the last one before it.
    wce::host::RgbaImage shot;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("after.png"), shot));
    auto frames = dev.Frames();
    RECT panel = box["CMsgBoxDlg"].Rect();
    // From the end, past the press of "back": frames equal to the shot (after the box), the box's frames, and then
    // the frame before the box, which must equal the shot too.
    size_t i = frames.size();
    while (i > 0 && !IsEmpty(DiffBox(frames[i - 1], shot)))  // pressing "back"
        --i;
    while (i > 0 && IsEmpty(DiffBox(frames[i - 1], shot)))
        --i;
    size_t boxFrames = 0;
    while (i > 0 && !IsEmpty(DiffBox(frames[i - 1], shot)) && Inside(DiffBox(frames[i - 1], shot), panel))
        --i, ++boxFrames;
    EXPECT_GT(boxFrames, 0u);
    ASSERT_GT(i, 0u);
    size_t first = i;
    RECT diff = DiffBox(frames[first - 1], shot);
    EXPECT_TRUE(IsEmpty(diff)) << diff.left << "," << diff.top << "," << diff.right << "," << diff.bottom << " frame "
                               << first << " of " << frames.size();
}

// A unit holding a key refuses an unsigned package with the language file's text.
TEST_P(BrantelScreens, UnsignedPackageOnAUnitWithAKeyIsRefused)
{
    Device dev(L().size);
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    dev.Package("SDMMC/gpsApp.msk", u"sxq_trelo");
    MinisignPublicKey publicKey;
    MinisignSecretKey secretKey;
    ASSERT_TRUE(MinisignMakeKeyPair(publicKey, secretKey));
    dev.Write("Residentflash2/update.pub", MinisignFormatPublicKey(publicKey));
    ASSERT_EQ(0, dev.Run("wait 300\ndump box.txt\n" + Tap(L().ok) +
                         Tap(L().listX == 200 ? POINT{680, 359} : POINT{405, 206})));
    auto box = dev.Dump("box.txt");
    EXPECT_EQ("MSK file signature error. Update fail.", box["msg"].F(7));
    EXPECT_TRUE(box["error_icon"].Visible());
    EXPECT_EQ("old", dev.Read("Residentflash2/app/NaviMain.exe"));
    EXPECT_FALSE(dev.Exists("launches.txt"));
}

TEST_P(BrantelScreens, KptWithoutPackageSaysSoOverTheReducedScreen)
{
    Device dev(L().size);
    dev.SetApp("\\ResidentFlash2\\App\\KptMain.exe");
    ASSERT_EQ(0, dev.Run("wait 300\ndump d.txt\nscreenshot " + dev.Host("k.png") + "\n" + Tap(L().ok)));
    auto d = dev.Dump("d.txt");
    EXPECT_EQ("Cannot find the MSK file.", d["msg"].F(7));
    for (const char* name : {"listbox", "update", "reboot", "calibrate", "back", "background"})
        EXPECT_FALSE(d[name].Visible()) << name;
    EXPECT_EQ("FFFFFF", d["status"].F(6)) << dev.Read("d.txt");
    EXPECT_EQ(L().size.w == 800 ? "630,200,797,270" : "390,135,494,155", d["status"].F(3));
    // Outside the slider, the status and the box the kpt screen is body colour.
    wce::host::RgbaImage shot;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("k.png"), shot));
    RECT keep[] = {d["progress"].Rect(), d["status"].Rect(), d["CMsgBoxDlg"].Rect()};
    int wrong = 0;
    for (int y = 0; y < shot.height; y += 3)
        for (int x = 0; x < shot.width; x += 3) {
            bool inside = false;
            for (const RECT& k : keep)  // the box casts a shadow a few pixels wide
                inside |= x >= k.left - 12 && x < k.right + 12 && y >= k.top - 12 && y < k.bottom + 12;
            if (!inside && RgbAt(shot, x, y) != kBody && wrong++ == 0)
                ADD_FAILURE() << x << "," << y << " " << std::hex << RgbAt(shot, x, y);
        }
    EXPECT_EQ(0, wrong);
}

TEST_P(BrantelScreens, KptSuccessCalibratesTellsAndResets)
{
    Device dev(L().size);
    dev.SetApp("\\residentflash2\\app\\kptmain.exe");
    dev.Package("SDMMC/kptApp.msk", u"sxq_bnf");
    ASSERT_EQ(0, dev.Run("wait 300\ndump d.txt\n" + Tap(L().ok)));
    auto d = dev.Dump("d.txt");
    EXPECT_EQ("Update application OK, please remove SD card.", d["msg"].F(7));
    EXPECT_TRUE(d["info_icon"].Visible());
    EXPECT_EQ("100", d["progress"].F(8));
    EXPECT_EQ("100%", d["status"].F(7));
    EXPECT_EQ("TouchCalibrate\n", dev.Read("calibration-requested.txt"));
    EXPECT_TRUE(dev.Exists("reset-requested.txt"));
}

TEST_P(BrantelScreens, ListDragsAndFlicks)
{
    Device dev(L().size);
    for (int i = 0; i < 14; ++i)
        dev.Write("SDMMC/p" + std::to_string(10 + i) + ".msk", "x");
    int x = L().listX, low = L().Row(4), high = L().Row(0);
    std::string script = "wait 50\n" + TapRow(0) + "drag " + std::to_string(x) + " " + std::to_string(low) + " " +
                         std::to_string(x) + " " + std::to_string(high) + " 400\nwait 1000\ndump drag.txt\n" +
                         "drag " + std::to_string(x) + " " + std::to_string(low) + " " + std::to_string(x) + " " +
                         std::to_string(high) + " 40\nwait 3000\ndump flick.txt\n";
    ASSERT_EQ(0, dev.Run(script));
    int dragged = std::stoi(dev.Dump("drag.txt")["listbox"].F(11));
    int flicked = std::stoi(dev.Dump("flick.txt")["listbox"].F(11));
    EXPECT_GT(dragged, 0);
    EXPECT_GT(flicked, dragged + (low - high));
    EXPECT_EQ(15u, Items(dev.Dump("flick.txt")["listbox"]).size());
}

TEST_P(BrantelScreens, ScriptEndClosesRebootResetsAndAnOpenBoxStopsWithStatusThree)
{
    Device dev(L().size);
    ASSERT_EQ(0, dev.Run(""));
    ASSERT_EQ(0, dev.Run("wait 50\n" + Tap(L().reboot)));
    EXPECT_TRUE(dev.Exists("reset-requested.txt"));
    EXPECT_FALSE(dev.Exists("launches.txt"));
    dev.SetApp("\\residentflash2\\app\\kptmain.exe");
    std::string errors;
    EXPECT_EQ(3, dev.Run("wait 300\n", "", &errors));
    EXPECT_NE(std::string::npos, errors.find("CMsgBoxDlg")) << errors;
}

INSTANTIATE_TEST_SUITE_P(BothSizes, BrantelScreens, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::to_string(info.param.size.w); });

// Start-up outcomes that need no screen size of their own.
TEST(BrantelStartUp, StatusesForUsageMissingSkinAndSecondInstance)
{
    Device dev(kLayouts[0].size);
    std::string root = dev.Host("");
    EXPECT_EQ(2, std::system((std::string(BRANTEL_EXE) + " --bogus 2>/dev/null").c_str()) >> 8);
    EXPECT_EQ(2, std::system((std::string(BRANTEL_EXE) + " 2>/dev/null").c_str()) >> 8);
    EXPECT_EQ(0, std::system((std::string(BRANTEL_EXE) + " --help >/dev/null").c_str()) >> 8);

    // The first instance holds its window for a while; the second raises it and leaves.
    std::string first = std::string(BRANTEL_EXE) + " --device-root " + root + " --display headless --script " +
                        dev.Host("hold.txt") + " --trace " + dev.Host("trace.txt") + " >/dev/null 2>&1 &";
    std::ofstream(dev.Host("hold.txt")) << "wait 50\nhold 1500\n";
    ASSERT_EQ(0, std::system(first.c_str()));
    for (int i = 0; i < 100 && dev.Read("trace.txt").find("hold") == std::string::npos; ++i)
        std::system("sleep 0.02");
    std::string errors;
    EXPECT_EQ(0, dev.Run("wait 10\n", "", &errors)) << errors;
    std::system("sleep 1.8");
    EXPECT_NE(std::string::npos, dev.Read("trace.txt").find("raise")) << dev.Read("trace.txt");

    fs::remove(dev.Host("SDMMC/brantel.pack"));
    EXPECT_EQ(1, dev.Run("", "", &errors));
    EXPECT_NE(std::string::npos, errors.find("build/skin/brantel.pack")) << errors;
}

}  // namespace
}  // namespace brantel_test
