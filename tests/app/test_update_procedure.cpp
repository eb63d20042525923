#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "MinisignFormat.h"
#include "PackageSignature.h"
#include "UpdateProcedure.h"
#include "UpdateSystem.h"
#include "msk_fixture.h"
#include "recording_screen.h"
#include "wce/host.h"
#include "wce/platform.h"

namespace {

constexpr LPCWSTR kGps = u"\\SDMMC\\gpsApp.msk";

int g_calibrations = 0;
void Calibrate() { ++g_calibrations; }

class UpdateProcedureTest : public ::testing::Test {
protected:
    TempDevice device;
    RecordingScreen screen;

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
        RecordingScreen fresh;
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
        RecordingScreen fresh;
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
        {[&] { WriteGps(SampleEntries(), u"sxq_bnf"); }, kGps, u"MSK file type error or file is modified. Update fail.",
         true},
        {[&] { device.WriteHostFile("SDMMC/gpsApp.msk", "plain text"); }, kGps, u"Invalid MSK file. Update fail.",
         true},
        {[&] { WritePackage(device, "SDMMC/gpsApp.msk", damaged, u"sxq_trelo"); }, kGps,
         u"MSK file format error. Update fail.", true},
        {[&] { WritePackage(device, "SDMMC/gpsApp.msk", flipped, u"sxq_trelo"); }, kGps,
         u"MSK file format error. Update fail.", true},
        {[] {}, u"\\SDMMC\\missing.msk",  // other failures show the unpacker's message
         u"Update fail. \n(open file \\SDMMC\\missing.msk failed, error code is 2)", true},
        {[&] {
             WriteGps({File(u"big.bin", std::string(200000, 'z'))});
             wce::host::SetWriteQuota(u"\\Residentflash2", 1000);
         },
         kGps, u"There is not enough space on the disk. Update fail.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.message));
        c.prepare();
        RecordingScreen fresh;
        CUpdateProcedure(fresh, u"").OnUpdate(c.path);
        EXPECT_EQ(fresh.messages, (std::vector<std::u16string>{c.message}));
        EXPECT_EQ(fresh.flags, (std::vector<UINT>{0x10}));
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
        RecordingScreen fresh;
        CUpdateProcedure(fresh, u"").OnUpdate(kGps);
        EXPECT_EQ(fresh.ended, 0);
        EXPECT_EQ(device.HostExists("Residentflash2/app/config/FactoryConfig.xml"), c.copied);
    }
}

TEST_F(UpdateProcedureTest, KptVariantIgnoresCaseCalibratesIfItCanAndResets)
{
    for (bool calibration : {true, false}) {
        SCOPED_TRACE(calibration);
        RecordingScreen fresh;
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
        EXPECT_EQ(fresh.flags, (std::vector<UINT>{0x40}));
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

// A card formatted on a Linux host: links and names the unit cannot represent must not cost
// the unit its application or anything outside it.
namespace fs = std::filesystem;

void GpsPackage(const TempDevice& device, const std::string& relative)
{
    WritePackage(device, relative, BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
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
         [](const TempDevice& d) { d.Link("../Residentflash2/app/keep.msk", "SDMMC/gpsApp.msk"); },
         u"\\SDMMC\\gpsApp.msk", true},
        {"card folder linked to the installed folder",
         [](const TempDevice& d) { d.Link("../Residentflash2/app", "SDMMC/upd"); }, u"\\SDMMC\\upd\\keep.msk", true},
        {"installed folder reached through a sibling link",
         [](const TempDevice& d) { d.Link("app", "Residentflash2/app2"); }, u"\\Residentflash2\\app2\\keep.msk", true},
        {"a copy on the card",
         [](const TempDevice& d) { GpsPackage(d, "SDMMC/gpsApp.msk"); }, u"\\SDMMC\\gpsApp.msk", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        wce::host::SetExitOnReset(false);
        device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old main");
        GpsPackage(device, "Residentflash2/app/keep.msk");
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
    GpsPackage(device, "SDMMC/gpsApp.msk");
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

// Signed packages: what the unit's keys refuse changes nothing; good signatures and units
// without keys install.
const BYTE* Data(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }
DWORD Size(const std::string& s) { return static_cast<DWORD>(s.size()); }

struct KeyPair {
    MinisignPublicKey pub;
    MinisignSecretKey sec;
    KeyPair() { EXPECT_TRUE(MinisignMakeKeyPair(pub, sec)); }
};

MinisignSignature Sign(const KeyPair& key, const std::string& bytes, const std::string& comment = "file:gpsApp.msk")
{
    CMinisignHasher hasher;
    hasher.Update(Data(bytes), bytes.size());
    BYTE hash[kMinisignHashSize];
    hasher.Final(hash);
    MinisignSignature signature;
    EXPECT_TRUE(MinisignSignHash(key.sec, hash, comment, signature));
    return signature;
}

// A generic unit with an installed application, a package on the card and trusted keys.
class PackageSignatureTest : public ::testing::Test {
protected:
    TempDevice device;
    KeyPair maker, other;
    std::string package;

    void SetUp() override
    {
        device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old main");
        device.WriteHostFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"\\\\Residentflash2\\\\app\\\\"
                                             "NaviMain.exe\"\n");
        wce::host::SetDeviceRoot(device.Root());
        package = Bytes(BuildMskImage(SampleEntries(), u"app").Assemble(GetPackKey(brantel::kGenericPassword)));
    }

    void Reset() const
    {
        device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old main");
        for (const char* file : {"Residentflash2/update.pub", "SDMMC/gpsApp.msk.minisig", "launches.txt"})
            std::filesystem::remove_all(device.Host(file));
    }

    // Writes the unit's keys (absent when empty), the package and its signature (absent when
    // empty), runs the update and returns the refusal (empty on success).
    std::string Update(const std::string* keys, const std::string& bytes, const std::string& signature,
                       RecordingScreen& screen)
    {
        if (keys) device.WriteHostFile("Residentflash2/update.pub", *keys);
        device.WriteHostFile("SDMMC/gpsApp.msk", bytes);
        if (!signature.empty()) device.WriteHostFile("SDMMC/gpsApp.msk.minisig", signature);
        CUpdateProcedure procedure(screen, ReadInstalledAppPath());
        procedure.OnUpdate(brantel::kGenericPackage);
        return WideToUtf8(procedure.GetRefusal().c_str());
    }
};

std::string Signed(const MinisignSignature& signature) { return MinisignFormatSignature(signature, "sig"); }

TEST_F(PackageSignatureTest, RefusedPackagesChangeNothing)
{
    const std::string keys = MinisignFormatPublicKey(maker.pub);
    const MinisignSignature good = Sign(maker, package);
    auto flipped = [](std::string s, size_t at) { s[at] ^= 0x01; return s; };
    auto with = [&](const std::function<void(MinisignSignature&)>& change) {
        MinisignSignature s = good;
        change(s);
        return Signed(s);
    };
    MinisignPublicKey damagedKey = maker.pub;
    damagedKey.key[7] ^= 0x40;
    MinisignPublicKey sameIdOtherKey = other.pub;
    std::copy(std::begin(maker.pub.keyId), std::end(maker.pub.keyId), sameIdOtherKey.keyId);
    const std::string dir = "a directory";
    const struct {
        const char* name;
        std::string keys, bytes, signature;
        const char* reason;
    } cases[] = {
        {"byte flipped", keys, flipped(package, package.size() / 2), Signed(good), "does not match the package"},
        {"byte appended", keys, package + "x", Signed(good), "does not match the package"},
        {"signature flipped", keys, package, with([](MinisignSignature& s) { s.signature[10] ^= 1; }),
         "does not match the package"},
        {"trusted comment changed", keys, package, with([](MinisignSignature& s) { s.trustedComment[2] ^= 1; }),
         "trusted comment does not match"},
        {"global signature flipped", keys, package, with([](MinisignSignature& s) { s.globalSignature[63] ^= 1; }),
         "trusted comment does not match"},
        {"key flipped", MinisignFormatPublicKey(damagedKey), package, Signed(good), "does not match the package"},
        {"wrong key", MinisignFormatPublicKey(other.pub), package, Signed(good), "which is not trusted"},
        {"other key with the same id", MinisignFormatPublicKey(sameIdOtherKey), package, Signed(good),
         "does not match the package"},
        {"legacy signature", keys, package, with([](MinisignSignature& s) { s.bPrehashed = FALSE; }),
         "legacy signature"},
        {"missing signature", keys, package, "", "has no signature \\SDMMC\\gpsApp.msk.minisig"},
        {"malformed signature", keys, package, Signed(good).substr(0, 60), "minisig is malformed (line 2"},
        {"empty update.pub", "", package, Signed(good), "update.pub is malformed (no public key"},
        {"malformed update.pub", keys + "untrusted comment: x\nRWQ\n", package, Signed(good),
         "update.pub is malformed (line 4"},
        {"update.pub is a folder", dir, package, Signed(good), "cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        if (c.keys == dir) device.MakeHostDir("Residentflash2/update.pub");
        RecordingScreen screen;
        const std::string refusal = Update(c.keys == dir ? nullptr : &c.keys, c.bytes, c.signature, screen);
        EXPECT_TRUE(Has(refusal, {c.reason}));
        EXPECT_EQ(screen.messages, (std::vector<std::u16string>{kSignatureErrorMessage}));
        EXPECT_EQ(screen.ended, -1);
        EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "old main");
        EXPECT_FALSE(device.HostExists("launches.txt"));
    }
    // Any byte of the package, flipped, fails the check itself.
    Reset();
    device.WriteHostFile("Residentflash2/update.pub", keys);
    device.WriteHostFile("SDMMC/gpsApp.msk.minisig", Signed(good));
    for (size_t at = 0; at < package.size(); ++at) {
        device.WriteHostFile("SDMMC/gpsApp.msk", flipped(package, at));
        CString problem;
        EXPECT_FALSE(CheckPackageSignature(u"\\SDMMC\\gpsApp.msk", problem)) << "byte " << at;
    }
    device.WriteHostFile("SDMMC/gpsApp.msk", package);
    CString problem;
    EXPECT_TRUE(CheckPackageSignature(u"\\SDMMC\\gpsApp.msk", problem)) << WideToUtf8(problem.c_str());
}

TEST_F(PackageSignatureTest, GoodSignaturesAndUnitsWithoutKeysInstall)
{
    const std::string signature = Signed(Sign(maker, package, "timestamp:1\tfile:gpsApp.msk\thashed"));
    std::string crlf;
    for (char c : signature) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string makerKey = MinisignFormatPublicKey(maker.pub);
    const std::string twoKeys = MinisignFormatPublicKey(other.pub) + "\n" + makerKey;
    const struct {
        const char* name;
        bool hasKeys;
        std::string keys, signature;
    } cases[] = {
        {"the maker's key", true, makerKey, signature},
        {"the second of two keys", true, twoKeys, signature},
        {"line ends of another system", true, twoKeys, crlf},
        {"no update.pub, no signature", false, "", ""},
        {"no update.pub, a broken signature", false, "", "garbage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        RecordingScreen screen;
        EXPECT_EQ(Update(c.hasKeys ? &c.keys : nullptr, package, c.signature, screen), "");
        EXPECT_TRUE(screen.messages.empty());
        EXPECT_EQ(screen.ended, 0);
        EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "new main");
        // The keys survive the update that replaced the application.
        EXPECT_EQ(device.HostExists("Residentflash2/update.pub"), c.hasKeys);
    }
}

// The parsers accept exactly minisign's layout.
TEST(MinisignFormat, ParsersAreStrict)
{
    KeyPair key;
    const std::string pub = MinisignFormatPublicKey(key.pub);
    const std::string keyLine = pub.substr(pub.find('\n') + 1);
    MinisignSignature signature = Sign(key, "data");
    const std::string sig = Signed(signature);
    auto line = [&](const std::string& text, int n) {
        size_t at = 0;
        for (int i = 0; i < n; ++i) at = text.find('\n', at) + 1;
        return text.substr(at, text.find('\n', at) - at);
    };
    const std::string sigLine = line(sig, 1), globalLine = line(sig, 3);
    const struct {
        const char* name;
        bool isKeys;
        std::string text;
        int count;  // keys accepted, 0 when refused
    } cases[] = {
        {"one key", true, pub, 1},
        {"two keys, blank line between", true, pub + "\n" + pub, 2},
        {"no final line end", true, pub.substr(0, pub.size() - 1), 1},
        {"empty", true, "", 0},
        {"blank lines only", true, "\n\n", 0},
        {"comment only", true, "untrusted comment: x\n", 0},
        {"key without comment", true, keyLine, 0},
        {"other comment prefix", true, "Untrusted comment: x\n" + keyLine, 0},
        {"key line one short", true, "untrusted comment: x\n" + keyLine.substr(1), 0},
        {"key line one long", true, "untrusted comment: x\nA" + keyLine, 0},
        {"key line with a space", true, "untrusted comment: x\n " + keyLine.substr(1), 0},
        {"key of another algorithm", true, "untrusted comment: x\nRUQ" + keyLine.substr(3), 0},
        {"control character in the comment", true, "untrusted comment: a\x01z\n" + keyLine, 0},
        {"comment too long", true, "untrusted comment: " + std::string(1025, 'c') + "\n" + keyLine, 0},
        {"signature", false, sig, 1},
        {"signature without its last line end", false, sig.substr(0, sig.size() - 1), 1},
        {"legacy signature", false, "untrusted comment: s\nRWQ" + sigLine.substr(3) + "\ntrusted comment: t\n" +
                                        globalLine + "\n", 1},
        {"unknown algorithm", false, "untrusted comment: s\nRXQ" + sigLine.substr(3) + "\ntrusted comment: t\n" +
                                         globalLine + "\n", 0},
        {"three lines", false, sig.substr(0, sig.rfind('\n', sig.size() - 2) + 1), 0},
        {"a fifth line", false, sig + "\n", 0},
        {"trusted comment missing its prefix", false,
         "untrusted comment: s\n" + sigLine + "\ntrusted: t\n" + globalLine + "\n", 0},
        {"global signature short", false,
         "untrusted comment: s\n" + sigLine + "\ntrusted comment: t\n" + globalLine.substr(4) + "\n", 0},
        {"signature and global swapped", false,
         "untrusted comment: s\n" + globalLine + "\ntrusted comment: t\n" + sigLine + "\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CString problem;
        if (c.isKeys) {
            std::vector<MinisignPublicKey> keys;
            EXPECT_EQ(MinisignParsePublicKeys(Data(c.text), Size(c.text), keys, problem), c.count > 0);
            EXPECT_EQ(static_cast<int>(keys.size()), c.count);
        } else {
            MinisignSignature parsed;
            EXPECT_EQ(MinisignParseSignature(Data(c.text), Size(c.text), parsed, problem), c.count > 0);
        }
        EXPECT_EQ(problem.IsEmpty(), c.count > 0) << WideToUtf8(problem.c_str());
    }
    // The key id reads as minisign prints it.
    EXPECT_TRUE(Has(pub, {"minisign public key " + MinisignKeyIdText(key.pub.keyId)}));
    MinisignSecretKey back;
    CString problem;
    const std::string sec = MinisignFormatSecretKey(key.sec);
    ASSERT_TRUE(MinisignParseSecretKey(Data(sec), Size(sec), back, problem)) << WideToUtf8(problem.c_str());
    EXPECT_EQ(std::string(back.key, back.key + 64), std::string(key.sec.key, key.sec.key + 64));
}

}  // namespace
