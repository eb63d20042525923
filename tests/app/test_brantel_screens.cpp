// The updater run as a program, headless, on devices made here: dumps of the layer tree,
// pixels against the skin's colours and invariants between frames, at both screen sizes.
#include <algorithm>

#include "MinisignFormat.h"
#include "PackageSignature.h"
#include "brantel_run.h"
#include "wce/wstring.h"

namespace brantel_test {
namespace {

struct Layout {
    Size size;
    int listX, listTop, itemHeight;
    POINT update, reboot, ok;
    int Row(int i) const { return listTop + itemHeight * i + itemHeight / 2; }
};

// Both sizes at both depths: each depth with its own skin.
const Layout kLayouts[] = {
    {{800, 480, "800x480"}, 200, 80, 52, {680, 113}, {680, 277}, {400, 360}},
    {{480, 272, "480X272"}, 100, 46, 36, {405, 65}, {405, 159}, {240, 225}},
    {{800, 480, "800x480", 32}, 200, 80, 52, {680, 113}, {680, 277}, {400, 360}},
    {{480, 272, "480X272", 32}, 100, 46, 36, {405, 65}, {405, 159}, {240, 225}},
};

std::string Name(const Size& s)
{
    return std::to_string(s.w) + "x" + std::to_string(s.h) + "x" + std::to_string(s.bpp);
}
void PrintTo(const Layout& l, std::ostream* os) { *os << Name(l.size); }

constexpr std::uint32_t kBody = 0x081820;
std::uint32_t Shown(std::uint32_t rgb, int bpp) { return 16 == bpp ? Shown565(rgb) : rgb; }

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
        if (IsEmpty(diff) || !Inside(diff, allowed)) continue;
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
    for (size_t i = 0; i < frames.size(); ++i) EXPECT_TRUE(IsEmpty(DiffBox(frames[i], again[i]))) << "frame " << i;
}

TEST_P(BrantelScreens, MissingDefaultBrowsesPicksAndUpdates)
{
    Device dev(L().size);
    dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
    dev.Package("SDMMC/update/a.msk", u"sxq_trelo");
    dev.Write("SDMMC/update/notes.txt", "x");
    dev.Package("ResidentFlash/b.MSK", u"sxq_trelo");
    std::string script = "wait 50\ndump r.txt\nscreenshot " + dev.Host("r.png") + "\n" + TapRow(0) + "dump s.txt\n" +
                         TapRow(1) + "dump u.txt\n" + TapRow(1) + "dump p.txt\n" + Tap(L().update);
    ASSERT_EQ(0, dev.Run(script, "--trace " + dev.Host("trace.txt")));
    // The first frame shown is the finished screen with its list, the whole screen at once.
    wce::host::RgbaImage roots;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("r.png"), roots));
    RECT first = DiffBox(dev.Frames().at(0), roots);
    EXPECT_TRUE(IsEmpty(first)) << first.left << "," << first.top << "," << first.right << "," << first.bottom;
    std::string trace = dev.Read("trace.txt");
    std::string whole = "frame 1 0 0 " + std::to_string(L().size.w) + " " + std::to_string(L().size.h);
    EXPECT_EQ(trace.find("frame "), trace.find(whole)) << trace.substr(0, 2000);
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
    std::string script = "wait 300\ndump box.txt\nscreenshot " + dev.Host("box.png") + "\n" + Tap(L().ok) +
                         "wait 200\ndump after.txt\nscreenshot " + dev.Host("after.png") + "\n" +
                         Tap(L().listX == 200 ? POINT{680, 359} : POINT{405, 206});
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
    wce::host::RgbaImage shot, boxShot;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("after.png"), shot));
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("box.png"), boxShot));
    auto frames = dev.Frames();
    // The box dims the whole screen behind it: the end of "back" beside the panel darkens.
    RECT back = box["back"].Rect();
    ASSERT_GT(back.right - 4, box["panel"].Rect().right);
    int bx = back.right - 4, by = (back.top + back.bottom) / 2;
    std::uint32_t lit = RgbAt(shot, bx, by), dim = RgbAt(boxShot, bx, by);
    for (int shift : {0, 8, 16})
        EXPECT_LT((dim >> shift) & 0xFF, (lit >> shift) & 0xFF) << std::hex << lit << " " << dim;
    RECT panel = box["CMsgBoxDlg"].Rect();
    // From the end, past the press of "back": frames equal to the shot (after the box), the box's frames, and then
    // the frame before the box, which must equal the shot too.
    size_t i = frames.size();
    while (i > 0 && !IsEmpty(DiffBox(frames[i - 1], shot)))  // pressing "back"
        --i;
    while (i > 0 && IsEmpty(DiffBox(frames[i - 1], shot))) --i;
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

// The box tells the outcome: a registry the updater cannot read is not taken for the generic
// variant (the box names file and line, nothing is deleted); a unit holding a key refuses an
// unsigned package with the language file's text; a kpt update calibrates, tells and resets.
TEST_P(BrantelScreens, TheBoxTellsTheOutcome)
{
    const struct {
        const char* name;
        const char* app;  // null: a malformed registry
        const char* package;
        LPCWSTR password;
        bool key;
        const char *msg, *detail, *icon;
    } rows[] = {
        {"malformed registry", nullptr, "SDMMC/gpsApp.msk", u"sxq_trelo", false, "Update fail.",
         "(registry.reg:3: malformed registry file", "error_icon"},
        {"unsigned package, a unit with a key", "\\Residentflash2\\app\\NaviMain.exe", "SDMMC/gpsApp.msk", u"sxq_trelo",
         true, "MSK file signature error. Update fail.", "", "error_icon"},
        {"kpt success", "\\residentflash2\\app\\kptmain.exe", "SDMMC/kptApp.msk", u"sxq_bnf", false,
         "Update application OK, please remove SD card.", "", "info_icon"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Device dev(L().size);
        if (r.app) dev.SetApp(r.app);
        else dev.Write("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM\n");
        dev.Package(r.package, r.password);
        MinisignPublicKey publicKey;
        MinisignSecretKey secretKey;
        ASSERT_TRUE(MinisignMakeKeyPair(publicKey, secretKey));
        if (r.key) dev.Write("Residentflash2/update.pub", MinisignFormatPublicKey(publicKey));
        const bool kpt = 'k' == r.package[6];
        ASSERT_EQ(0, dev.Run("wait 300\ndump box.txt\n" + Tap(L().ok) +
                             (r.key ? Tap(L().listX == 200 ? POINT{680, 359} : POINT{405, 206}) : "")));
        auto box = dev.Dump("box.txt");
        EXPECT_EQ(r.msg, box["msg"].F(7));
        EXPECT_EQ(0u, box["detail"].F(7).find(r.detail)) << box["detail"].F(7);
        EXPECT_TRUE(box[r.icon].Visible());
        EXPECT_EQ(kpt ? "new main" : "old", dev.Read("Residentflash2/app/NaviMain.exe"));
        EXPECT_FALSE(dev.Exists("launches.txt"));
        if (!kpt) continue;
        EXPECT_EQ("100", box["progress"].F(8));
        EXPECT_EQ("100%", box["status"].F(7));
        EXPECT_EQ("TouchCalibrate\n", dev.Read("calibration-requested.txt"));
        EXPECT_TRUE(dev.Exists("reset-requested.txt"));
    }
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
    // Outside the slider, the status and the panel the kpt screen is body colour, dimmed.
    wce::host::RgbaImage shot;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("k.png"), shot));
    std::uint32_t dimmed = RgbAt(shot, 0, shot.height - 1);
    EXPECT_LT(dimmed & 0xFF, Shown(kBody, L().size.bpp) & 0xFF);
    RECT keep[] = {d["progress"].Rect(), d["status"].Rect(), d["panel"].Rect()};
    int wrong = 0;
    for (int y = 0; y < shot.height; y += 3)
        for (int x = 0; x < shot.width; x += 3) {
            bool inside = false;
            for (const RECT& k : keep)  // the box casts a shadow a few pixels wide
                inside |= x >= k.left - 12 && x < k.right + 12 && y >= k.top - 12 && y < k.bottom + 12;
            if (!inside && RgbAt(shot, x, y) != dimmed && wrong++ == 0)
                ADD_FAILURE() << x << "," << y << " " << std::hex << RgbAt(shot, x, y);
        }
    EXPECT_EQ(0, wrong);
}

TEST_P(BrantelScreens, ListDragsAndFlicks)
{
    Device dev(L().size);
    for (int i = 0; i < 14; ++i) dev.Write("SDMMC/p" + std::to_string(10 + i) + ".msk", "x");
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

// Rows of text drawn in the light text colour within rc: runs of rows with ink.
int InkBands(const wce::host::RgbaImage& image, const RECT& rc)
{
    int bands = 0;
    bool inBand = false;
    for (int y = rc.top; y < rc.bottom; ++y) {
        bool ink = false;
        for (int x = rc.left; x < rc.right && !ink; ++x) {
            std::uint32_t p = RgbAt(image, x, y);
            ink = ((p >> 16) & 0xFF) > 0xA0 && ((p >> 8) & 0xFF) > 0xA0 && (p & 0xFF) > 0xA0;
        }
        bands += ink && !inBand;
        inBand = ink;
    }
    return bands;
}

std::string WithoutBreaks(const std::string& dumped)
{
    std::string out;
    for (size_t i = 0; i < dumped.size(); ++i) {
        if (dumped.compare(i, 2, "\\n") == 0)
            ++i;
        else if (dumped[i] != ' ')
            out += dumped[i];
    }
    return out;
}

// The longest failures: CreateFile refused for a file whose path has 120 characters is shown
// whole (every line of the detail drawn), a longer one ends in "...".
TEST_P(BrantelScreens, FailuresNamingLongPathsAreShownWhole)
{
    for (size_t length : {120u, 259u}) {
        Device dev(L().size);
        dev.SetApp("\\Residentflash2\\app\\NaviMain.exe");
        std::string name = "maps\\";
        while (21 + name.size() + 20 < length) name += "europe-west-tiles\\";
        while (21 + name.size() + 4 < length) name += 'x';
        name += ".dat";
        std::string path = "\\Residentflash2\\data\\" + name;
        ASSERT_EQ(length, path.size());
        WritePackage(dev.Dir(), "SDMMC/gpsApp.msk", BuildMskImage({File(Utf8ToWide(name), "x")}, u"data"),
                     u"sxq_trelo");
        std::string folder = "Residentflash2/data/" + name;  // where the file should go
        std::replace(folder.begin(), folder.end(), '\\', '/');
        fs::create_directories(dev.Host(folder));
        ASSERT_EQ(0, dev.Run("wait 300\ndump d.txt\nscreenshot " + dev.Host("m.png") + "\n" + Tap(L().ok)));
        auto d = dev.Dump("d.txt");
        EXPECT_EQ("Update fail.", d["msg"].F(7)) << length;
        std::string detail = d["detail"].F(7), shown = WithoutBreaks(detail);
        std::string expected = WithoutBreaks("(CreateFile " + path + " failed, GetLastError is");
        wce::host::RgbaImage shot;
        ASSERT_TRUE(wce::host::ReadPng(dev.Host("m.png"), shot));
        int lines = 1;
        for (size_t at = detail.find("\\n"); at != std::string::npos; at = detail.find("\\n", at + 2)) ++lines;
        if (length == 120) {
            EXPECT_EQ(expected, shown.substr(0, expected.size())) << detail;
            EXPECT_EQ(')', shown.back()) << detail;
            EXPECT_EQ(lines, InkBands(shot, d["detail"].Rect())) << detail;
        } else {
            EXPECT_EQ("...", shown.substr(shown.size() - 3)) << detail;
            EXPECT_EQ(expected.substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3)) << detail;
        }
    }
}

// Names that differ only at their end look different; a card without packages says so.
TEST_P(BrantelScreens, LongNamesKeepTheirEndsAndAnEmptyListSaysWhy)
{
    Device dev(L().size);
    std::string stem = "SDMMC/navigation-update-package-for-the-europe-west-region-";
    dev.Write(stem + "2024.msk", "x");
    dev.Write(stem + "2025.msk", "x");
    ASSERT_EQ(0, dev.Run("wait 50\n" + TapRow(0) + "dump d.txt\nscreenshot " + dev.Host("l.png") + "\n"));
    auto items = Items(dev.Dump("d.txt")["listbox"]);
    ASSERT_EQ(3u, items.size());
    wce::host::RgbaImage shot;
    ASSERT_TRUE(wce::host::ReadPng(dev.Host("l.png"), shot));
    RECT list = dev.Dump("d.txt")["listbox"].Rect();
    int differing = 0;
    for (int y = 0; y < L().itemHeight; ++y)
        for (int x = list.left; x < list.right; ++x)
            differing += RgbAt(shot, x, L().Row(1) - L().itemHeight / 2 + y) !=
                         RgbAt(shot, x, L().Row(2) - L().itemHeight / 2 + y);
    EXPECT_GT(differing, 10) << items[1] << " and " << items[2] << " look the same";

    Device empty(L().size);
    ASSERT_EQ(0, empty.Run("wait 50\ndump e.txt\n" + TapRow(0)));
    EXPECT_EQ(Items(empty.Dump("e.txt")["listbox"]), (std::vector<std::string>{"No update package found"}));
}

TEST_P(BrantelScreens, ScriptEndClosesRebootResetsAndAnOpenBoxStopsWithStatusThree)
{
    Device dev(L().size);
    ASSERT_EQ(0, dev.Run(""));
    // The log exists from the framework's start, before any message.
    EXPECT_EQ(std::string("\xFF\xFE"), dev.Read("SDMMC/brantel.exe.wceuilog"));
    ASSERT_EQ(0, dev.Run("wait 50\n" + Tap(L().reboot)));
    EXPECT_TRUE(dev.Exists("reset-requested.txt"));
    EXPECT_FALSE(dev.Exists("launches.txt"));
    dev.SetApp("\\residentflash2\\app\\kptmain.exe");
    std::string errors;
    EXPECT_EQ(3, dev.Run("wait 300\n", "", &errors));
    EXPECT_TRUE(Has(errors, {"CMsgBoxDlg"}));
}

INSTANTIATE_TEST_SUITE_P(BothSizesBothDepths, BrantelScreens, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return Name(info.param.size); });

// A 32-bit screen shows what a 16-bit one shows, only without the 565 rounding: every image
// is there, nothing is drawn in other colours.
TEST(BrantelDepths, ThirtyTwoBitsShowsTheSixteenBitPicture)
{
    for (const Layout& l : {kLayouts[0], kLayouts[1]}) {
        wce::host::RgbaImage shots[2];
        for (int bpp : {16, 32}) {
            Size size = l.size;
            size.bpp = bpp;
            Device dev(size);
            dev.Write("SDMMC/p1.msk", "x");
            std::string script = "wait 50\n" + Tap(POINT{l.listX, l.Row(0)}) + "screenshot " + dev.Host("s.png") + "\n";
            ASSERT_EQ(0, dev.Run(script)) << Name(size);
            ASSERT_TRUE(wce::host::ReadPng(dev.Host("s.png"), shots[bpp / 32])) << Name(size);
        }
        ASSERT_EQ(shots[0].width, shots[1].width) << Name(l.size);
        int far = 0;
        for (int y = 0; y < shots[0].height; ++y)
            for (int x = 0; x < shots[0].width; ++x) {
                std::uint32_t a = RgbAt(shots[0], x, y), b = RgbAt(shots[1], x, y);
                for (int shift : {0, 8, 16})
                    if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 24) {
                        ++far;
                        break;
                    }
            }
        // Anti-aliased glyph edges may round apart; images and fills may not.
        EXPECT_LT(far, shots[0].width * shots[0].height / 200) << Name(l.size);
    }
}

// A skin whose bitmaps are not of the screen's depth is refused before a window is made.
TEST(BrantelStartUp, RefusesASkinOfAnotherDepth)
{
    const struct {
        const char* name;
        int screenBits;
        const char* pack;
        const char* message;
    } rows[] = {
        {"16-bit skin, 32-bit screen", 32, BRANTEL_PACK,
         "bitmaps have 16 bits per pixel, the screen 32: copy build/skin-32/brantel.pack"},
        {"32-bit skin, 16-bit screen", 16, BRANTEL_PACK32,
         "bitmaps have 32 bits per pixel, the screen 16: copy build/skin/brantel.pack"},
    };
    for (const auto& r : rows) {
        Device dev(Size{800, 480, "800x480", r.screenBits});
        fs::copy_file(r.pack, dev.Host("SDMMC/brantel.pack"), fs::copy_options::overwrite_existing);
        std::string errors;
        EXPECT_EQ(1, dev.Run("wait 50\n", "--trace " + dev.Host("trace.txt"), &errors)) << r.name;
        EXPECT_TRUE(Has(errors, {r.message})) << r.name;
        EXPECT_EQ(std::string::npos, dev.Read("trace.txt").find("dispatch")) << r.name;  // no window made
    }
}

// Start-up outcomes that need no screen size of their own.
TEST(BrantelStartUp, StatusesForUsageMissingSkinAndSecondInstance)
{
    Device dev(kLayouts[0].size);
    std::string root = dev.Host("");
    for (const auto& [args, status] : {std::pair<const char*, int>{" --bogus 2>/dev/null", 2}, {" 2>/dev/null", 2},
                                       {" --help >/dev/null", 0}})
        EXPECT_EQ(status, std::system((std::string(BRANTEL_EXE) + args).c_str()) >> 8) << args;
    std::string errors;
    EXPECT_EQ(2, dev.Run("fly 1 2\n", "", &errors));  // a script that does not parse
    EXPECT_TRUE(Has(errors, {"script:1:"}));

    // The first instance holds its window for a while; the second raises it and leaves.
    std::string first = std::string(BRANTEL_EXE) + " --device-root " + root + " --display headless --script " +
                        dev.Host("hold.txt") + " --trace " + dev.Host("trace.txt") + " >/dev/null 2>&1 &";
    std::ofstream(dev.Host("hold.txt")) << "wait 50\nhold 1500\n";
    ASSERT_EQ(0, std::system(first.c_str()));
    for (int i = 0; i < 100 && dev.Read("trace.txt").find("hold") == std::string::npos; ++i) std::system("sleep 0.02");
    EXPECT_EQ(0, dev.Run("wait 10\n", "--trace " + dev.Host("second.txt"), &errors)) << errors;
    EXPECT_EQ(std::string::npos, dev.Read("second.txt").find("open")) << dev.Read("second.txt");
    std::system("sleep 1.8");
    EXPECT_TRUE(Has(dev.Read("trace.txt"), {"raise"}));

    fs::remove(dev.Host("SDMMC/brantel.pack"));
    EXPECT_EQ(1, dev.Run("", "", &errors));
    EXPECT_TRUE(Has(errors, {"build/skin/brantel.pack"}));
    Device dev32(Size{480, 272, "480X272", 32});
    fs::remove(dev32.Host("SDMMC/brantel.pack"));
    EXPECT_EQ(1, dev32.Run("", "", &errors));
    EXPECT_TRUE(Has(errors, {"build/skin-32/brantel.pack"}));
}

}  // namespace
}  // namespace brantel_test
