#include <filesystem>
#include <string>

#include "MskBuilder.h"
#include "JXPackCommon.h"
#include "gtest/gtest.h"
#include "tool_run.h"

namespace {

class UpdateToolsTest : public ToolTest {
protected:
    ToolResult Msk(const std::string& arguments) const { return Run(MSKTOOL_PATH, arguments); }
    ToolResult Update() const { return Run(BRANTEL_UPDATE_PATH, "--device-root " + Quoted("")); }

    void WritePackage(const std::string& relative, const std::vector<MskBuildEntry>& entries) const
    {
        std::vector<std::uint8_t> bytes = BuildMskImage(entries, u"app").Assemble(GetPackKey(u"sxq_trelo"));
        m_device.WriteHostFile(relative, std::string(bytes.begin(), bytes.end()));
    }

    // A unit with an old application, the generic variant's package and registry.
    void MakeUnit(const std::string& app, const std::string& registryTail = "") const
    {
        m_device.WriteHostFile("Residentflash2/app/old.dll", "old");
        m_device.WriteHostFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"" + app + "\"\n" +
                                                   registryTail);
        WritePackage("SDMMC/gpsApp.msk", {{1, u"NaviMain.exe", "new"}});
    }
};

// Host paths of the tools' own files may hold ':' and exceed the device's 259 units.
TEST_F(UpdateToolsTest, MsktoolTakesAnyHostPath)
{
    const std::string folder = "in:" + std::string(150, 'd') + "/" + std::string(150, 'e');
    m_device.WriteHostFile(folder + "/sub/a.txt", "alpha");
    ASSERT_EQ(Msk("create " + Quoted("p:1.msk") + " " + Quoted(folder)).status, 0);
    EXPECT_EQ(Msk("verify --deep " + Quoted("p:1.msk")).status, 0);
    ToolResult r = Msk("extract " + Quoted("p:1.msk") + " " + Quoted(folder + "/out"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(m_device.ReadHostFile(folder + "/out/app/sub/a.txt"), "alpha");
}

TEST_F(UpdateToolsTest, MsktoolRefusesWhatTheUnitCannotUnpack)
{
    m_device.MakeHostDir("empty/sub");
    m_device.WriteHostFile("bad/a?b.txt", "x");
    const struct {
        std::string folder, reason;
    } cases[] = {{"empty", "holds no file"}, {"bad", "cannot store 'a?b.txt'"}};
    for (const auto& c : cases) {
        ToolResult r = Msk("create " + Quoted("out.msk") + " " + Quoted(c.folder));
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, {c.reason}));
        EXPECT_FALSE(m_device.HostExists("out.msk"));
    }
    // A package built elsewhere: verify and extract name the key and the reason.
    WritePackage("bad.msk", {{1, u"a|b", "x"}});
    for (const char* command : {"verify ", "extract "}) {
        ToolResult r = Msk(command + Quoted("bad.msk") + (command[0] == 'e' ? " " + Quoted("x") : ""));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("file_format_error: entry 0 has a name the device cannot store"), std::string::npos)
            << r.err;
    }
}

TEST_F(UpdateToolsTest, UpdaterSaysWhatHappened)
{
    const std::string navi = "\\\\Residentflash2\\\\app\\\\NaviMain.exe";
    const struct {
        std::string app, registryTail;
        bool folderOnlyPackage;
        int status;
        const char* out;                // expected in standard output
        std::vector<const char*> errs;  // and in standard error
        bool replaced;
    } cases[] = {
        {navi, "", false, 0, "started \\Residentflash2\\app\\NaviMain.exe", {}, true},
        {"\\\\Residentflash2\\\\app\\\\Missing.exe", "", false, 1, "", {"nothing was started"}, true},
        {"x", "[HKEY_LOCAL_MACHINE\\OEM\n", false, 1, "", {"registry.reg:5: malformed registry file"}, false},
        {navi, "", true, 1, "",
         {"ERROR: MSK file format error. Update fail.", "refused before anything was deleted: the package holds no file"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.app + c.registryTail);
        MakeUnit(c.app, c.registryTail);
        if (c.folderOnlyPackage) WritePackage("SDMMC/gpsApp.msk", {{0, u"only-a-folder", ""}});
        ToolResult r = Update();
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(Has(r.out, {c.out}));
        for (const char* err : c.errs) EXPECT_TRUE(Has(r.err, {err}));
        EXPECT_EQ(m_device.HostExists("Residentflash2/app/old.dll"), !c.replaced);
    }
    EXPECT_NE(RunTool(BRANTEL_UPDATE_PATH, "--help", m_device).out.find("reset-requested.txt"), std::string::npos);
}

TEST_F(UpdateToolsTest, KeygenKeepsExistingKeysAndTheSecretPrivate)
{
    ToolResult r = Msk("keygen " + Quoted("k.pub") + " " + Quoted("k.sec"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::filesystem::status(m_device.Host("k.sec")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string secret = m_device.ReadHostFile("k.sec");
    EXPECT_EQ(Msk("keygen " + Quoted("k2.pub") + " " + Quoted("k.sec")).status, 1);
    EXPECT_EQ(m_device.ReadHostFile("k.sec"), secret);
    EXPECT_FALSE(m_device.HostExists("k2.pub"));
    EXPECT_EQ(Msk("sign " + Quoted("k.pub")).status, 2);
}

// Makers may sign with minisign or msktool: each must accept the other's files.
class MinisignInteropTest : public UpdateToolsTest {
protected:
    void SetUp() override
    {
        if (std::string(MINISIGN_PATH).empty()) GTEST_SKIP() << "minisign is not installed (scripts/install-deps)";
        MakeUnit("\\\\Residentflash2\\\\app\\\\NaviMain.exe");
    }
    ToolResult Minisign(const std::string& arguments) const { return RunTool(MINISIGN_PATH, arguments, m_device, ""); }
};

TEST_F(MinisignInteropTest, EachVerifiesTheOthersSignature)
{
    const std::string package = Quoted("SDMMC/gpsApp.msk");
    // minisign signs (an unencrypted key), msktool and the unit verify.
    ASSERT_EQ(Minisign("-G -W -p " + Quoted("m.pub") + " -s " + Quoted("m.sec")).status, 0);
    ASSERT_EQ(Minisign("-S -s " + Quoted("m.sec") + " -m " + package + " -t 'built by ci'").status, 0);
    ToolResult r = Msk("verify --public-key " + Quoted("m.pub") + " " + package);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, {"trusted comment: built by ci"}));

    // msktool signs (its own key, and minisign's), minisign verifies.
    ASSERT_EQ(Msk("keygen " + Quoted("k.pub") + " " + Quoted("k.sec")).status, 0);
    for (const char* key : {"k", "m"}) {
        SCOPED_TRACE(key);
        r = Msk("sign --secret-key " + Quoted(std::string(key) + ".sec") + " " + package);
        ASSERT_EQ(r.status, 0) << r.err;
        r = Minisign("-V -p " + Quoted(std::string(key) + ".pub") + " -m " + package);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(Has(r.out, {"file:gpsApp.msk"}));
    }
    // minisign signs with msktool's key too.
    ASSERT_EQ(Minisign("-S -s " + Quoted("k.sec") + " -m " + package).status, 0);
    EXPECT_EQ(Msk("verify --public-key " + Quoted("k.pub") + " " + package).status, 0);
    // A key that signed nothing here is refused with its reason.
    r = Msk("verify --public-key " + Quoted("m.pub") + " " + package);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, {"signature_error", "is not trusted"}));
    // minisign's legacy signature (over the whole file, unhashed) is refused with its reason.
    ASSERT_EQ(Minisign("-S -l -s " + Quoted("k.sec") + " -m " + package).status, 0);
    r = Msk("verify --public-key " + Quoted("k.pub") + " " + package);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, {"legacy signature"}));
}

// The console updater on a unit holding minisign's key: a minisign signature installs, an
// unsigned package is refused with its reason and nothing changes.
TEST_F(MinisignInteropTest, UpdaterTakesMinisignSignatures)
{
    ASSERT_EQ(Minisign("-G -W -p " + Quoted("Residentflash2/update.pub") + " -s " + Quoted("m.sec")).status, 0);
    const std::string update = "--device-root " + Quoted("");
    ToolResult r = Run(BRANTEL_UPDATE_PATH, update);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, {"ERROR: MSK file signature error. Update fail.", "has no signature"}));
    EXPECT_TRUE(m_device.HostExists("Residentflash2/app/old.dll"));

    ASSERT_EQ(Minisign("-S -s " + Quoted("m.sec") + " -m " + Quoted("SDMMC/gpsApp.msk")).status, 0);
    r = Run(BRANTEL_UPDATE_PATH, update);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(m_device.HostExists("Residentflash2/app/old.dll"));
    EXPECT_TRUE(m_device.HostExists("Residentflash2/update.pub"));
}

}  // namespace
