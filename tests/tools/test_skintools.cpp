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


// skincheck on small skins: style files, resource folders, the screen configuration and one
// style printed as key=value lines.
class SkinCheckSkinTest : public ToolTest {
protected:
    ToolResult SkinCheck(const std::string& arguments) const { return Run(SKINCHECK_PATH, arguments); }
    void Write(const std::string& relative, const std::string& ascii) const
    {
        m_device.WriteHostFile(relative, Utf16(ascii));
    }

    void WriteSkin() const
    {
        Write("wnd/Main.style.xml",
              "<root><style>"
              "<base><position way=\"relative\" rect=\"10,20,100,50\"/><text color=\"0x0000FF\" res-id=\"T1\">"
              "<font id=\"big\"/><drawtext valign=\"center\" rect=\"1 2 3 4\"/></text>"
              "<background color=\"transparent\"><img name=\"n\" id=\"btn/a.conf\" src-rect=\"0,0,5,5\" "
              "align=\"left\" zoom=\"true\" common-index=\"-1\"/></background>"
              "<filters><alpha enabled=\"true\" opacity=\"128\"/><mixcolor enabled=\"true\" opacity=\"10\" "
              "color=\"tint\"/></filters></base>"
              "<child overwrite=\"base\"><layout container=\"true\"/><adv-properties no-draw=\"true\"/></child>"
              "<plain/>"
              "</style></root>");
        Write("res/color/wceui.color", "tint=0x112233\n");
        Write("res/font/big", "height=-20\nfacename=DejaVu Sans\n");
        // A 1 x 1 32-bit bitmap.
        m_device.WriteHostFile("res/bitmap/btn/a.bmp",
                               std::string("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x20\0"
                                           "\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x11\x22\x33\0",
                                           58));
        Write("res/bitmap/btn/a.conf", "src=a.bmp\n");
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
        EXPECT_TRUE(Has(r.err, {error}));
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
    EXPECT_TRUE(Has(r.err, {"1 of 4 files failed"}));

    // Language files take the escape flag; the color table never does.
    r = SkinCheck("--escape " + Quoted("skin/language") + " " + Quoted("skin/color/wceui.color"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.out, {"english.ini: error: CJxConfDoc::ParseLineWithSlash, Parse ", "fail, \\x is not valid"}));
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
    EXPECT_TRUE(Has(r.out, {"bad.dlg.xml) syntax error 025"}));
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
    EXPECT_TRUE(Has(r.err, {"0 of 1 files failed"}));

    // A fragment left in UTF-8 fails the file that includes it.
    m_device.WriteHostFile("skin/wnd/common.inc", "<a/>\n");
    r = SkinCheck(Quoted("skin"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.out, {"X.style.xml: error: CWceUiXmlDoc::ReadIncludeFile"}));
}

TEST_F(SkinCheckSkinTest, PrintsABuiltStyleInRecordOrder)
{
    WriteSkin();
    ToolResult r = SkinCheck("--style child " + Quoted("wnd/Main.style.xml"));
    ASSERT_EQ(0, r.status) << r.out << r.err;
    EXPECT_EQ((std::vector<std::string>{
                  "position=10,20,110,70", "relative=1", "visible=1", "enabled=1", "container=1", "nodraw=1",
                  "noinput=0", "text.color=0x0000FF", "text.res-id=T1", "font=id:big", "drawtext.rect=1,2,4,6",
                  "drawtext.format=0x24", "background=transparent", "bgitem=n|btn/a.conf|0,0,5,5|large|0x04|1|-1",
                  "alpha=128", "mixcolor=id:tint|10",
                  "specified=position,container,text.color,text.res-id,nodraw,font,drawtext,background,bgitems,"
                  "alpha,mixcolor",
              }),
              Lines(r.out));

    r = SkinCheck("--style plain " + Quoted("wnd/Main.style.xml"));
    ASSERT_EQ(0, r.status);
    EXPECT_EQ((std::vector<std::string>{"position=0,0,0,0", "relative=0", "visible=1", "enabled=1", "container=0",
                                        "nodraw=0", "noinput=0", "text.color=0x000000", "text.res-id=none",
                                        "font=none", "drawtext.rect=large", "drawtext.format=0x25", "background=none",
                                        "alpha=off", "mixcolor=off", "specified=none"}),
              Lines(r.out));

    r = SkinCheck("--style missing " + Quoted("wnd/Main.style.xml"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.out, {"error: Load style missing failed, can not find"}));
    EXPECT_EQ(2, SkinCheck("--style child").status);
}

TEST_F(SkinCheckSkinTest, ChecksStyleFilesAgainstAResourceFolder)
{
    WriteSkin();
    EXPECT_EQ(0, SkinCheck(Quoted("wnd/Main.style.xml")).status);
    ToolResult r = SkinCheck("--res " + Quoted("res") + " " + Quoted("wnd"));
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_EQ("", r.out);

    // A missing color, a bad table value, a doubtful font and a style that does not build.
    Write("res/color/wceui.color", "other=112233\n");
    Write("res/font/big", "height=big\nsize=3\nfacename=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\n");
    Write("wnd/Bad.style.xml", "<root><style><s><position rect=\"1,2\"/></s></style></root>");
    r = SkinCheck("--res " + Quoted("res") + " " + Quoted("wnd"));
    EXPECT_EQ(1, r.status);
    const std::string res = m_device.Host("res");
    for (const std::string& line :
         {res + ": error: color\\wceui.color: the color other is not 0x and six hexadecimal digits: 112233",
          res + ": warning: font\\big: the face name is longer than 31 characters and is cut",
          res + ": warning: font\\big: the value of height has no digits and counts as 0",
          res + ": warning: font\\big: unknown key size",
          m_device.Host("wnd/Main.style.xml") + ": error: load color id tint failed, use black",
          m_device.Host("wnd/Bad.style.xml") + ": error: can not load style s, 1,2 is not a valid rect"})
        EXPECT_NE(std::string::npos, r.out.find(line + "\n")) << line << "\n" << r.out;
    EXPECT_TRUE(Has(r.err, {"3 of 3 files failed"}));
}

// Every transition of a style file is created and initialised; its failures print the
// framework's lines (one beyond the framework's bound among them), and one longer than 2 s
// is a warning.
TEST_F(SkinCheckSkinTest, ChecksTheTransitionsOfAStyleFile)
{
    const struct {
        const char* pAnimate;
        int nStatus;
        std::vector<std::string> lines;  // after "FILE: "
    } cases[] = {
        {"<in type=\"CWceUiBarnAni\" direction=\"mid-ud\"/><out type=\"CWceUiBlendAni\" frame-count=\"60\"/>"
         "<side type=\"CWceUiGoAni\" frame-count=\"40\" frame-length=\"50\"/>",
         0, {}},  // exactly 2 s is not longer
        {"<slow type=\"CWceUiSliderAni\" frame-count=\"41\" frame-length=\"50\"/>", 0,
         {"warning: animate slow takes 2050 ms (41 frames of 50 ms), more than 2 s"}},
        {"<in type=\"CWceUiComeAni\" direction=\"mid-lr\"/><x type=\"CWceUiFade\"/>"
         "<long type=\"CWceUiBlendAni\" frame-count=\"100\"/>",
         1,
         {"error: CWceUiComeAni::Init, the direction mid-lr is not valid",
          "error: Load animate in failed, call pNewAnimate->Init failed",
          "error: can not create class:CWceUiFade, check WCEUI_DYNCREATE_BEGIN/ WCEUI_DYNCREATE_END",
          "error: Load animate x failed, can not create object from type: CWceUiFade",
          "warning: animate long takes 3300 ms (100 frames of 33 ms), more than 2 s"}},
        {"<in type=\"CWceUiBlendAni\" frame-count=\"2147483647\"/><out type=\"CWceUiBarnAni\" frame-length=\"500\"/>",
         1,
         {"error: Load animate in failed, 2147483647 frames of 33 ms are more than 1000 frames or 5000 ms",
          "error: Load animate out failed, 12 frames of 500 ms are more than 1000 frames or 5000 ms"}},
    };
    for (const auto& c : cases) {
        Write("wnd/A.style.xml", std::string("<root><style><s/></style><animate>") + c.pAnimate + "</animate></root>");
        ToolResult r = SkinCheck(Quoted("wnd/A.style.xml"));
        EXPECT_EQ(c.nStatus, r.status) << r.out << r.err;
        std::vector<std::string> expected;
        for (const std::string& line : c.lines) expected.push_back(m_device.Host("wnd/A.style.xml") + ": " + line);
        EXPECT_EQ(expected, Lines(r.out)) << c.pAnimate;
    }
}
