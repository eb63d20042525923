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
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
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
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        for (const char* err : c.errs) EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(m_device.HostExists("Residentflash2/app/old.dll"), !c.replaced);
    }
    EXPECT_NE(RunTool(BRANTEL_UPDATE_PATH, "--help", m_device).out.find("reset-requested.txt"), std::string::npos);
}

}  // namespace
