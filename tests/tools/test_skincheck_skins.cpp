// skincheck on small skins: style files, resource folders, the screen configuration and
// one style printed as key=value lines.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tool_run.h"

namespace {

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
    EXPECT_NE(std::string::npos, r.out.find("error: Load style missing failed, can not find")) << r.out;
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
    EXPECT_NE(std::string::npos, r.err.find("3 of 3 files failed")) << r.err;
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
