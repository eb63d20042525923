#include <gtest/gtest.h>

#include <filesystem>
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
        std::filesystem::remove_all(device.Host("Residentflash2/update.pub"));
        std::filesystem::remove_all(device.Host("SDMMC/gpsApp.msk.minisig"));
        std::filesystem::remove_all(device.Host("launches.txt"));
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
        EXPECT_NE(refusal.find(c.reason), std::string::npos) << refusal;
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
    EXPECT_NE(pub.find("minisign public key " + MinisignKeyIdText(key.pub.keyId)), std::string::npos);
    MinisignSecretKey back;
    CString problem;
    const std::string sec = MinisignFormatSecretKey(key.sec);
    ASSERT_TRUE(MinisignParseSecretKey(Data(sec), Size(sec), back, problem)) << WideToUtf8(problem.c_str());
    EXPECT_EQ(std::string(back.key, back.key + 64), std::string(key.sec.key, key.sec.key + 64));
}

}  // namespace
