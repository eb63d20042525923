// skintext and skincheck, run as the people who write skins run them.
#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tool_run.h"

namespace {

class SkinToolsTest : public ToolTest {
protected:
    ToolResult SkinText(const std::string& arguments) const { return Run(SKINTEXT_PATH, arguments); }
    ToolResult SkinCheck(const std::string& arguments) const { return Run(SKINCHECK_PATH, arguments); }

    // The device path the tools give the framework for a host file below the temp folder.
    std::string Device(const std::string& relative) const
    {
        std::string path = m_device.Host(relative);
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }

    // Skin sources in UTF-8, as they are kept in the repository, converted into "skin".
    void WriteSources() const
    {
        m_device.WriteHostFile("src/wnd/Good.dlg.xml", "<?xml version=\"1.0\"?>\n<dlg title=\"Gr\xC3\xBC\xC3\x9F" "e\">\n"
                                                       "  <layer type=\"CWceUiButton\"/>\n</dlg>\n");
        m_device.WriteHostFile("src/wnd/Bad.dlg.xml", "<dlg>\n  <layer></layers>\n</dlg>\n");
        m_device.WriteHostFile("src/language/english.ini", "title=Update\nline=a\\xb\n");
        m_device.WriteHostFile("src/color/wceui.color", "path=bitmap\\a.bmp\n");
        m_device.WriteHostFile("src/notes/readme.txt", std::string("notes\0\x01\xFF", 8));
        ASSERT_EQ(0, SkinText(Quoted("src") + " " + Quoted("skin")).status);
    }
};

}  // namespace

TEST_F(SkinToolsTest, SkinTextWritesUtf16WithTheMarkAndCrLf)
{
    // A UTF-8 mark, each kind of line end, a letter outside the BMP (a surrogate pair).
    m_device.WriteHostFile("in.xml", "\xEF\xBB\xBF<a/>\n<b/>\r\n<c/>\r\xF0\x9F\x98\x80");
    ToolResult r = SkinText(Quoted("in.xml") + " " + Quoted("out.xml"));
    ASSERT_EQ(0, r.status) << r.err;
    std::string expected = Utf16("<a/>\r\n<b/>\r\n<c/>\r\n") + std::string("\x3D\xD8\x00\xDE", 4);
    EXPECT_EQ(expected, ReadHostBytes(m_device.Host("out.xml")));
}

TEST_F(SkinToolsTest, SkinTextRefusesBrokenUtf8AndNul)
{
    const std::pair<std::string, const char*> cases[] = {
        {"a=1\nb=\xC0\xAF\n", "invalid UTF-8 on line 2"},  // overlong
        {"a=\xED\xA0\x80\n", "invalid UTF-8 on line 1"},     // a surrogate
        {"a=\xE2\x82", "invalid UTF-8 on line 1"},             // cut short
        {std::string("a=1\n\nb=\0\n", 9), "a NUL character on line 3"},
    };
    for (const auto& [bytes, error] : cases) {
        m_device.WriteHostFile("bad.ini", bytes);
        ToolResult r = SkinText(Quoted("bad.ini") + " " + Quoted("out.ini"));
        EXPECT_EQ(1, r.status) << error;
        EXPECT_NE(std::string::npos, r.err.find(error)) << r.err;
    }

    EXPECT_EQ(2, SkinText(Quoted("missing.ini") + " " + Quoted("out.ini")).status);
    EXPECT_EQ(2, SkinText(Quoted("bad.ini")).status);
    EXPECT_EQ(2, SkinText("--bogus " + Quoted("bad.ini") + " " + Quoted("o")).status);
}

TEST_F(SkinToolsTest, FolderModeConvertsTextCopiesTheRestAndSkinCheckPrintsTheFrameworksLines)
{
    WriteSources();
    EXPECT_EQ(Utf16("title=Update\r\nline=a\\xb\r\n"), ReadHostBytes(m_device.Host("skin/language/english.ini")));
    EXPECT_EQ(std::string("notes\0\x01\xFF", 8), ReadHostBytes(m_device.Host("skin/notes/readme.txt")));

    ToolResult r = SkinCheck(Quoted("skin"));
    EXPECT_EQ(1, r.status);
    const std::string bad = m_device.Host("skin/wnd/Bad.dlg.xml");
    const std::string badDevice = Device("skin/wnd/Bad.dlg.xml");
    EXPECT_EQ((std::vector<std::string>{
                  bad + ": error: CWceUiXmlDoc::ParseXmlTag, (" + badDevice + ") syntax error 025",
                  bad + ": error: CWceUiXmlDoc::ParseXml, (" + badDevice + ") syntax error 009",
                  bad + ": error: CWceUiXmlDoc::LoadXmlFile, (" + badDevice + ") syntax error 030",
                  bad + ":2:12: first syntax error 025 (an end tag does not match the open element)",
              }),
              Lines(r.out));
    EXPECT_NE(std::string::npos, r.err.find("1 of 4 files failed")) << r.err;

    // Language files take the escape flag; the color table never does.
    r = SkinCheck("--escape " + Quoted("skin/language") + " " + Quoted("skin/color/wceui.color"));
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("english.ini: error: CJxConfDoc::ParseLineWithSlash, Parse ")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("fail, \\x is not valid")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("wceui.color")) << r.out;

    EXPECT_EQ(0, SkinCheck(Quoted("skin/wnd/Good.dlg.xml") + " " + Quoted("skin/language")).status);
}

TEST_F(SkinToolsTest, SkinCheckReadsFilesInsideAnArchive)
{
    WriteSources();
    ToolResult r = Run(PACKTOOL_PATH, "create --password Skin " + Quoted("skin.pack") + " " + Quoted("skin"));
    ASSERT_EQ(0, r.status) << r.err;

    const std::string archive = m_device.Host("skin.pack");
    r = SkinCheck("--password Skin '" + archive + "\\wnd\\good.dlg.xml' '" + archive + "/language/english.ini'");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    r = SkinCheck("--password Skin '" + archive + "\\wnd\\bad.dlg.xml'");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("bad.dlg.xml) syntax error 025")) << r.out;
    // Without the password the archive does not open: a failure, not a usage error.
    EXPECT_EQ(1, SkinCheck("'" + archive + "\\wnd\\good.dlg.xml'").status);
}

TEST_F(SkinToolsTest, SkinCheckRefusesWrongArguments)
{
    WriteSources();
    const std::string arguments[] = {"", "--bogus " + Quoted("src"), Quoted("src/notes/readme.txt"),
                                     Quoted("src/none.xml"), Quoted("src/notes"),  // no skin file in it
                                     "'" + m_device.Host("none.pack") + "\\a.xml'", "--password",
                                     "--res " + Quoted("nowhere")};
    for (const std::string& a : arguments) EXPECT_EQ(2, SkinCheck(a).status) << a;
}

// Style fragments shared by #include_xml: converted like XML, checked through the files that
// include them, never on their own (a fragment of several styles is not a document).
TEST_F(SkinToolsTest, IncludedFragmentsAreConvertedAndCheckedThroughTheirIncluders)
{
    m_device.WriteHostFile("src/wnd/common.inc", "<a/>\n<b/>\n");
    m_device.WriteHostFile("src/wnd/X.style.xml", "<x>\n<style>\n#include_xml \"common.inc\"\n</style>\n</x>\n");
    ToolResult r = SkinText(Quoted("src") + " " + Quoted("skin"));
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(Utf16("<a/>\r\n<b/>\r\n"), ReadHostBytes(m_device.Host("skin/wnd/common.inc")));

    r = SkinCheck(Quoted("skin"));
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.err.find("0 of 1 files failed")) << r.err;

    // A fragment left in UTF-8 fails the file that includes it.
    m_device.WriteHostFile("skin/wnd/common.inc", "<a/>\n");
    r = SkinCheck(Quoted("skin"));
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("X.style.xml: error: CWceUiXmlDoc::ReadIncludeFile")) << r.out;
}
