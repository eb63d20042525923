// skinview end to end, on skins written by the skin builder: pixels, the need-draw report,
// hit tests, the tree, .pack against folder, and exit statuses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "SkinBuilder.h"
#include "tool_run.h"
#include "rgb_pixels.h"

namespace {

wce::host::RgbaImage Png(const TempDevice& device, const std::string& name)
{
    wce::host::RgbaImage image;
    EXPECT_TRUE(wce::host::ReadPng(device.Host(name), image)) << name;
    return image;
}

class SkinviewTest : public ToolTest {
protected:
    void SetUp() override
    {
        skinbuild::AddMainLikeSkin(m_skin);
        // A dialog with an unknown layer type and a known error (a missing style).
        m_skin.Dialog("800x480", "odd/COddDlg",
                      "<d><body name=\"odd\" windowrect=\"0,0,300,200\">"
                      "<a type=\"CFancyLayer\" name=\"fancy\" style=\"red\"/>"
                      "<b type=\"CWceUiLayer\" name=\"missing\" style=\"nope\"/></body></d>",
                      "<s><style><red><position rect=\"10,10,50,40\"/><background color=\"0xFF0000\"/></red>"
                      "</style></s>");
        std::string error;
        ASSERT_TRUE(m_skin.WriteFolder(m_device.Host("skin"), error)) << error;
        ASSERT_TRUE(m_skin.WritePack(m_device.Host("skin.pack"), u"", error)) << error;
        ASSERT_TRUE(m_skin.WritePack(m_device.Host("secret.pack"), u"pw", error)) << error;
    }
    ToolResult Run(const std::string& arguments) { return ToolTest::Run(SKINVIEW_PATH, arguments); }
    wce::host::RgbaImage Png(const std::string& name) { return ::Png(m_device, name); }

    skinbuild::SkinBuilder m_skin;
};

TEST_F(SkinviewTest, RendersTheMainDialogWithItsReportHitsAndTree)
{
    ToolResult r = Run("render --report --hit 100,150 --hit 5,5 --hit 900,5 --tree " + Quoted("skin") + " CMainDlg " +
                       Quoted("a.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    wce::host::RgbaImage image = Png("a.png");
    ASSERT_EQ(std::make_pair(image.width, image.height), std::make_pair(800, 480));
    EXPECT_EQ(RgbAt(image, 400, 2), Shown565(0x203040));  // title bar
    EXPECT_EQ(RgbAt(image, 785, 452), 0x000000u);       // status bar, right of its text
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 30u);
    EXPECT_EQ(lines[0], "bg\tCWceUiLayer\t0,0,800,480");
    EXPECT_EQ(lines[1], "title\tCWceUiLayer\t0,0,800,60");
    EXPECT_TRUE(Has(r.out, {"100,150\ttext1\tCWceUiLayer\n", "5,5\ttitle\tCWceUiLayer\n", "900,5\tnone\n",
                            "__root_of_body__\tCWceUiLayer\t1\t0,0,0,0\tcontainer\n",
                            "\n    list\tCWceUiLayer\t5\t10,64,610,352\tcontainer\n",
                            "\n        icon0\tCWceUiLayer\t7\t14,67,54,107\ttransparent\n"}));
    EXPECT_TRUE(Has(r.err, {"CMainDlg is not part of the framework"}));
}

TEST_F(SkinviewTest, PackAndFolderGiveTheSamePicture)
{
    ASSERT_EQ(Run("render --size 480x272 " + Quoted("skin") + " CMainDlg " + Quoted("f.png")).status, 0);
    ToolResult r = Run("render --size 480x272 --password pw " + Quoted("secret.pack") + " CMainDlg " + Quoted("p.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadHostBytes(m_device.Host("f.png")), ReadHostBytes(m_device.Host("p.png")));
    EXPECT_EQ(Png("p.png").width, 480);
}

TEST_F(SkinviewTest, DirtyRepaintOverABaseDialogReportsOnlyThatRectangle)
{
    ToolResult r = Run("render --over CMainDlg --dirty 202,300,6,20 --report --hit 10,10 " + Quoted("skin") +
                       " CMsgBoxDlg " + Quoted("b.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"box\tCWceUiDlg\t202,300,208,320", "10,10\tnone"}));
    wce::host::RgbaImage image = Png("b.png");
    EXPECT_EQ(RgbAt(image, 205, 310), Shown565(0x405060));  // the box's colour inside
    EXPECT_EQ(RgbAt(image, 400, 2), Shown565(0x203040));    // the title of the dialog below
}

TEST_F(SkinviewTest, ListsTheDialogsOfFoldersAndPacks)
{
    ToolResult folder = Run("list " + Quoted("skin"));
    EXPECT_EQ(folder.status, 0);
    EXPECT_EQ(Lines(folder.out), (std::vector<std::string>{"480X272\tCMainDlg", "480X272\tCMsgBoxDlg", "800x480\tCMainDlg",
                                                           "800x480\tCMsgBoxDlg", "800x480\todd\\COddDlg"}));
    ToolResult pack = Run("list " + Quoted("skin.pack"));
    EXPECT_EQ(pack.status, 0);
    EXPECT_EQ(Lines(pack.out).size(), 5u);
    EXPECT_EQ(Run("list --password wrong " + Quoted("secret.pack")).status, 1);
}

TEST_F(SkinviewTest, UnknownTypesStrictnessAndExitStatuses)
{
    const std::string skin = Quoted("skin"), out = Quoted("o.png");
    ToolResult lenient = Run("render --tree " + skin + " odd/COddDlg " + out);
    EXPECT_EQ(lenient.status, 0) << lenient.err;
    EXPECT_TRUE(Has(lenient.err, {"note: layer type CFancyLayer", "error: Can not load style nope"}));
    EXPECT_TRUE(Has(lenient.out, {"fancy\tCWceUiLayer"}));
    EXPECT_EQ(Png("o.png").width, 300);  // the dialog's windowrect

    EXPECT_EQ(Run("render --strict " + skin + " odd/COddDlg " + out).status, 1);  // CFancyLayer is unknown
    ToolResult strictOk = Run("render --strict --backdrop 00FF00 " + skin + " CMsgBoxDlg " + out);
    EXPECT_EQ(strictOk.status, 0) << strictOk.err;
    EXPECT_EQ(RgbAt(Png("o.png"), 0, 0), 0x00FF00u);  // no layer there: the backdrop
    const std::string main = " CMainDlg " + out;
    const std::pair<std::string, int> cases[] = {
        {"", 2},
        {"draw", 2},
        {"render --size 640x480 " + skin + main, 2},
        {"render --bpp 24 " + skin + main, 2},
        {"render --dirty 1,2,3 " + skin + main, 2},
        {"render --backdrop red " + skin + main, 2},
        {"render " + skin + " CMainDlg", 2},
        {"list --tree " + skin, 2},
        {"render " + skin + " NoSuchDlg " + out, 1},
        {"render /no/such/skin" + main, 1},
        {"render " + skin + " CMainDlg /no/such/dir/x.png", 1},
        {"--help", 0},
    };
    for (const auto& [args, status] : cases) EXPECT_EQ(Run(args).status, status) << args;
}

// A skin of one 800x480 dialog: a red or given-colour square on black, its "in" a 4-frame
// barn to the right of 40 ms a frame, and a second dialog for --then.
class SkinviewLiveTest : public ToolTest {
protected:
    void Write(const std::string& square)
    {
        skinbuild::SkinBuilder skin;
        skin.Color("800x480", "square", square);
        skin.Language("800x480", "hello", "Hello");
        skin.Dialog("800x480", "CLiveDlg",
                    "<d><body name=\"live\" style=\"all\"><a type=\"CWceUiLayer\" name=\"sq\" style=\"sq\"/></body></d>",
                    "<s><style><all><position rect=\"0,0,800,480\"/><background color=\"0x000000\"/></all>"
                    "<sq><position rect=\"100,100,200,200\"/><background color=\"square\"/></sq></style>"
                    "<animate><in type=\"CWceUiBarnAni\" direction=\"right\" frame-count=\"4\" "
                    "frame-length=\"40\"/></animate></s>");
        skin.Dialog("800x480", "CTopDlg",
                    "<d><body name=\"top\" style=\"box\"/></d>",
                    "<s><style><box><position rect=\"400,0,400,480\"/><background color=\"0x00FF00\"/></box>"
                    "</style></s>");
        std::string error;
        ASSERT_TRUE(skin.WriteFolder(m_device.Host("skin"), error)) << error;
    }
    ToolResult Live(const std::string& script, const std::string& extra = "")
    {
        std::ofstream(m_device.Host("script.txt")) << script;
        return Run(SKINVIEW_PATH, "live --display headless --script " + Quoted("script.txt") + " --frames " +
                                      Quoted("frames") + " --trace " + Quoted("trace.txt") + " " + extra + " " +
                                      Quoted("skin") + " CLiveDlg");
    }
    std::vector<std::string> FrameLines()
    {
        std::vector<std::string> frames;
        for (const std::string& line : Lines(ReadHostBytes(m_device.Host("trace.txt"))))
            if (line.find(" frame ") != std::string::npos) frames.push_back(line.substr(0, line.find(" frame")));
        return frames;
    }
    wce::host::RgbaImage Frame(int n)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frames/frame-%06d.png", n);
        return Png(m_device, name);
    }
};

TEST_F(SkinviewLiveTest, TheInTransitionWritesOneFramePerStepAFrameLengthApart)
{
    Write("FF0000");
    ToolResult r = Live("wait 300\nkey ESCAPE\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.err;
    // four barn frames from tick 1000, then the paint that follows the transition
    ASSERT_EQ(FrameLines(), (std::vector<std::string>{"1000", "1040", "1080", "1120", "1160"})) << r.err;
    // frame 1 has uncovered less of the square than frame 3; the last shows it all
    auto shown = [&](int n) {
        wce::host::RgbaImage image = Frame(n);
        int x = 100;
        while (x < 300 && RgbAt(image, x, 150) == 0xFF0000u) ++x;
        return x - 100;
    };
    EXPECT_LT(shown(1), shown(3));
    EXPECT_EQ(shown(4), 200);
    EXPECT_EQ(shown(5), 200);
    EXPECT_EQ(RgbAt(Frame(4), 50, 50), 0x000000u);
}

TEST_F(SkinviewLiveTest, AColourChangedOnDiskShowsAfterTheReload)
{
    Write("FF0000");
    // The colour file changes once the dialog has been shown (the paint after its "in"),
    // while the script holds in real time; the watch timer then finds the change.
    std::thread writer([&] {
        for (int i = 0; i < 1000 && !std::ifstream(m_device.Host("frames/frame-000005.png")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        skinbuild::SkinBuilder skin;
        skin.Color("800x480", "square", "0000FF");
        std::ofstream(m_device.Host("skin/800x480/res/color/wceui.color"), std::ios::binary)
            << skin.Files().at("800x480/res/color/wceui.color");
    });
    ToolResult r = Live("wait 200\nhold 2000\nwait 600\nexpect 150 150 0000FF\nkey ESCAPE\nwait 100\n");
    writer.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RgbAt(Frame(5), 150, 150), 0xFF0000u);
}

TEST_F(SkinviewLiveTest, ThenStacksDialogsAndArgumentsAreChecked)
{
    Write("FF0000");
    ToolResult r = Live("wait 300\nkey RETURN\nwait 100\nexpect 500 10 00FF00\nexpect 150 150 FF0000\nkey ESCAPE\n"
                        "wait 100\nexpect 500 10 000000\nkey ESCAPE\nwait 100\n",
                        "--then CTopDlg --transition blend::2:10");
    EXPECT_EQ(r.status, 0) << r.err;
    struct {
        const char* args;
        int status;
    } cases[] = {{"--transition wipe", 2},          {"--transition barn:sideways", 2}, {"--screen 480x272", 2},
                 {"--over CTopDlg", 2},             {"--then", 2},                     {"--transition random:left", 2}};
    for (const auto& c : cases) EXPECT_EQ(Live("", c.args).status, c.status) << c.args;
    // closing the window ends the whole stack
    EXPECT_EQ(Live("wait 300\nkey RETURN\nwait 100\nclose\n", "--then CTopDlg").status, 0);
    // a failed expect is status 3; a dialog that does not build, 1
    EXPECT_EQ(Live("wait 100\nexpect 150 150 00FF00\nkey ESCAPE\nwait 100\n").status, 3);
    EXPECT_EQ(Run(SKINVIEW_PATH, "live --display headless " + Quoted("skin") + " CNoDlg").status, 1);
}

TEST_F(SkinviewTest, SampleItemsFillEmptyListBoxes)
{
    m_skin.Bitmap565("800x480", "row", 100, 20, [](int, int) { return 0xFFFF0000u; });
    m_skin.Dialog("800x480", "lst/CListDlg",
                  "<d><body name=\"b\" windowrect=\"0,0,100,100\"><l type=\"CWceUiListBox\" name=\"l\" style=\"ls\""
                  " linebg_normal=\"row.565a.conf\"/></body></d>",
                  "<s><style><ls><position rect=\"0,0,100,100\"/><background color=\"0x0000FF\"/></ls></style></s>");
    std::string error;
    ASSERT_TRUE(m_skin.WriteFolder(m_device.Host("skin"), error)) << error;
    const std::string list = Quoted("skin") + " lst/CListDlg " + Quoted("l.png");
    struct {
        const char* option;
        unsigned top, bottom;
    } cases[] = {{"", 0x0000FF, 0x0000FF}, {"--sample-items 3", 0xFF0000, 0x0000FF}, {"--sample-items 5", 0xFF0000, 0xFF0000}};
    for (const auto& c : cases) {
        ToolResult r = Run(std::string("render ") + c.option + " " + list);
        ASSERT_EQ(r.status, 0) << r.err;
        wce::host::RgbaImage image = Png("l.png");
        EXPECT_EQ(std::make_pair(RgbAt(image, 50, 10), RgbAt(image, 50, 90)),
                  std::make_pair(Shown565(c.top), Shown565(c.bottom))) << c.option;
    }
    for (const char* bad : {"--sample-items -1", "--sample-items 100001", "--sample-items x"})
        EXPECT_EQ(Run(std::string("render ") + bad + " " + list).status, 2) << bad;
}

}  // namespace
