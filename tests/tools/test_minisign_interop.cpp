// Makers may sign with minisign or msktool: each must accept the other's files.
#include <filesystem>
#include <string>

#include "JXPackCommon.h"
#include "MskBuilder.h"
#include "gtest/gtest.h"
#include "tool_run.h"

namespace {

class MinisignInteropTest : public ToolTest {
protected:
    void SetUp() override
    {
        if (std::string(MINISIGN_PATH).empty()) GTEST_SKIP() << "minisign is not installed (scripts/install-deps)";
        const std::vector<std::uint8_t> bytes =
            BuildMskImage({{1, u"NaviMain.exe", "new"}}, u"app").Assemble(GetPackKey(u"sxq_trelo"));
        m_device.WriteHostFile("SDMMC/gpsApp.msk", std::string(bytes.begin(), bytes.end()));
        m_device.WriteHostFile("Residentflash2/app/old.dll", "old");
        m_device.WriteHostFile("registry.reg",
                               "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"\\\\Residentflash2\\\\app\\\\NaviMain.exe\"\n");
    }
    ToolResult Minisign(const std::string& arguments) const { return RunTool(MINISIGN_PATH, arguments, m_device, ""); }
    ToolResult Msk(const std::string& arguments) const { return Run(MSKTOOL_PATH, arguments); }
};

TEST_F(MinisignInteropTest, EachVerifiesTheOthersSignature)
{
    const std::string package = Quoted("SDMMC/gpsApp.msk");
    // minisign signs (an unencrypted key), msktool and the unit verify.
    ASSERT_EQ(Minisign("-G -W -p " + Quoted("m.pub") + " -s " + Quoted("m.sec")).status, 0);
    ASSERT_EQ(Minisign("-S -s " + Quoted("m.sec") + " -m " + package + " -t 'built by ci'").status, 0);
    ToolResult r = Msk("verify --public-key " + Quoted("m.pub") + " " + package);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("trusted comment: built by ci"), std::string::npos) << r.out;

    // msktool signs (its own key, and minisign's), minisign verifies.
    ASSERT_EQ(Msk("keygen " + Quoted("k.pub") + " " + Quoted("k.sec")).status, 0);
    for (const char* key : {"k", "m"}) {
        SCOPED_TRACE(key);
        r = Msk("sign --secret-key " + Quoted(std::string(key) + ".sec") + " " + package);
        ASSERT_EQ(r.status, 0) << r.err;
        r = Minisign("-V -p " + Quoted(std::string(key) + ".pub") + " -m " + package);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("file:gpsApp.msk"), std::string::npos) << r.out;
    }
    // minisign signs with msktool's key too.
    ASSERT_EQ(Minisign("-S -s " + Quoted("k.sec") + " -m " + package).status, 0);
    EXPECT_EQ(Msk("verify --public-key " + Quoted("k.pub") + " " + package).status, 0);
    // A key that signed nothing here is refused with its reason.
    r = Msk("verify --public-key " + Quoted("m.pub") + " " + package);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("signature_error"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("is not trusted"), std::string::npos) << r.err;
    // minisign's legacy signature (over the whole file, unhashed) is refused with its reason.
    ASSERT_EQ(Minisign("-S -l -s " + Quoted("k.sec") + " -m " + package).status, 0);
    r = Msk("verify --public-key " + Quoted("k.pub") + " " + package);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("legacy signature"), std::string::npos) << r.err;
}

// The console updater on a unit holding minisign's key: a minisign signature installs, an
// unsigned package is refused with its reason and nothing changes.
TEST_F(MinisignInteropTest, UpdaterTakesMinisignSignatures)
{
    ASSERT_EQ(Minisign("-G -W -p " + Quoted("Residentflash2/update.pub") + " -s " + Quoted("m.sec")).status, 0);
    const std::string update = "--device-root " + Quoted("");
    ToolResult r = Run(BRANTEL_UPDATE_PATH, update);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR: MSK file signature error. Update fail."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("has no signature"), std::string::npos) << r.err;
    EXPECT_TRUE(m_device.HostExists("Residentflash2/app/old.dll"));

    ASSERT_EQ(Minisign("-S -s " + Quoted("m.sec") + " -m " + Quoted("SDMMC/gpsApp.msk")).status, 0);
    r = Run(BRANTEL_UPDATE_PATH, update);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(m_device.HostExists("Residentflash2/app/old.dll"));
    EXPECT_TRUE(m_device.HostExists("Residentflash2/update.pub"));
}

TEST(MsktoolSigning, KeygenKeepsExistingKeysAndTheSecretPrivate)
{
    TempDevice device;
    ToolResult r = RunTool(MSKTOOL_PATH, "keygen '" + device.Host("k.pub") + "' '" + device.Host("k.sec") + "'", device);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::filesystem::status(device.Host("k.sec")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string secret = device.ReadHostFile("k.sec");
    r = RunTool(MSKTOOL_PATH, "keygen '" + device.Host("k2.pub") + "' '" + device.Host("k.sec") + "'", device);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(device.ReadHostFile("k.sec"), secret);
    EXPECT_FALSE(device.HostExists("k2.pub"));
    EXPECT_EQ(RunTool(MSKTOOL_PATH, "sign '" + device.Host("k.pub") + "'", device).status, 2);
}

}  // namespace
