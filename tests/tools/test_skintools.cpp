// skintext and skincheck, run as the people who write skins run them.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "gtest/gtest.h"
#include "temp_device.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// UTF-16LE bytes with the mark, for ASCII text.
std::string Utf16(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string(1, c) + '\0';
    return bytes;
}

class SkinToolsTest : public ::testing::Test {
protected:
    Result Run(const char* program, const std::string& arguments) const
    {
        const std::string out = m_device.Host("stdout.txt");
        const std::string err = m_device.Host("stderr.txt");
        std::string command = std::string("'") + program + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
        Result result;
        int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadBytes(out);
        result.err = ReadBytes(err);
        return result;
    }
    Result SkinText(const std::string& arguments) const { return Run(SKINTEXT_PATH, arguments); }
    Result SkinCheck(const std::string& arguments) const { return Run(SKINCHECK_PATH, arguments); }
    Result PackTool(const std::string& arguments) const { return Run(PACKTOOL_PATH, arguments); }

    std::string Quoted(const std::string& relative) const { return "'" + m_device.Host(relative) + "'"; }
    // The device path the tools give the framework for a host file below the temp folder.
    std::string Device(const std::string& relative) const
    {
        std::string path = m_device.Host(relative);
        for (char& c : path)
            if ('/' == c) c = '\\';
        return path;
    }

    // Skin sources in UTF-8, as they are kept in the repository.
    void WriteSources() const
    {
        m_device.WriteHostFile("src/wnd/Good.dlg.xml", "<?xml version=\"1.0\"?>\n<dlg title=\"Gr\xC3\xBC\xC3\x9F" "e\">\n"
                                                       "  <layer type=\"CWceUiButton\"/>\n</dlg>\n");
        m_device.WriteHostFile("src/wnd/Bad.dlg.xml", "<dlg>\n  <layer></layers>\n</dlg>\n");
        m_device.WriteHostFile("src/language/english.ini", "title=Update\nline=a\\xb\n");
        m_device.WriteHostFile("src/color/wceui.color", "path=bitmap\\a.bmp\n");
        m_device.WriteHostFile("src/notes/readme.txt", std::string("notes\0\x01\xFF", 8));
    }

    TempDevice m_device;
};

}  // namespace

TEST_F(SkinToolsTest, SkinTextWritesUtf16WithTheMarkAndCrLf)
{
    // A UTF-8 mark, each kind of line end, a letter outside the BMP (a surrogate pair).
    m_device.WriteHostFile("in.xml", "\xEF\xBB\xBF<a/>\n<b/>\r\n<c/>\r\xF0\x9F\x98\x80");
    Result r = SkinText(Quoted("in.xml") + " " + Quoted("out.xml"));
    ASSERT_EQ(0, r.status) << r.err;
    std::string expected = Utf16("<a/>\r\n<b/>\r\n<c/>\r\n") + std::string("\x3D\xD8\x00\xDE", 4);
    EXPECT_EQ(expected, ReadBytes(m_device.Host("out.xml")));
}

TEST_F(SkinToolsTest, SkinTextRefusesBrokenUtf8AndNul)
{
    m_device.WriteHostFile("overlong.ini", "a=1\nb=\xC0\xAF\n");
    m_device.WriteHostFile("surrogate.ini", "a=\xED\xA0\x80\n");
    m_device.WriteHostFile("cut.ini", "a=\xE2\x82");
    m_device.WriteHostFile("nul.ini", std::string("a=1\n\nb=\0\n", 9));
    for (const char* name : {"overlong.ini", "surrogate.ini", "cut.ini", "nul.ini"}) {
        Result r = SkinText(Quoted(name) + " " + Quoted("out.ini"));
        EXPECT_EQ(1, r.status) << name;
    }
    EXPECT_NE(std::string::npos, SkinText(Quoted("overlong.ini") + " " + Quoted("o")).err.find("invalid UTF-8 on line 2"));
    EXPECT_NE(std::string::npos, SkinText(Quoted("nul.ini") + " " + Quoted("o")).err.find("a NUL character on line 3"));

    EXPECT_EQ(2, SkinText(Quoted("missing.ini") + " " + Quoted("out.ini")).status);
    EXPECT_EQ(2, SkinText(Quoted("cut.ini")).status);
    EXPECT_EQ(2, SkinText("--bogus " + Quoted("cut.ini") + " " + Quoted("o")).status);
}

TEST_F(SkinToolsTest, SkinTextFolderModeConvertsTextAndCopiesTheRest)
{
    WriteSources();
    Result r = SkinText(Quoted("src") + " " + Quoted("skin"));
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(Utf16("title=Update\r\nline=a\\xb\r\n"), ReadBytes(m_device.Host("skin/language/english.ini")));
    EXPECT_EQ(std::string("notes\0\x01\xFF", 8), ReadBytes(m_device.Host("skin/notes/readme.txt")));
    EXPECT_TRUE(m_device.HostExists("skin/wnd/Good.dlg.xml"));
}

TEST_F(SkinToolsTest, SkinCheckPrintsTheFrameworksLinesForFailingFiles)
{
    WriteSources();
    ASSERT_EQ(0, SkinText(Quoted("src") + " " + Quoted("skin")).status);

    Result r = SkinCheck(Quoted("skin"));
    EXPECT_EQ(1, r.status);
    const std::string bad = m_device.Host("skin/wnd/Bad.dlg.xml");
    const std::string badDevice = Device("skin/wnd/Bad.dlg.xml");
    EXPECT_EQ((std::vector<std::string>{
                  bad + ": error: CWceUiXmlDoc::ParseXmlTag, (" + badDevice + ") syntax error 025",
                  bad + ": error: CWceUiXmlDoc::ParseXml, (" + badDevice + ") syntax error 009",
                  bad + ": error: CWceUiXmlDoc::LoadXmlFile, (" + badDevice + ") syntax error 030",
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
    ASSERT_EQ(0, SkinText(Quoted("src") + " " + Quoted("skin")).status);
    Result r = PackTool("create --password Skin " + Quoted("skin.pack") + " " + Quoted("skin"));
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
    EXPECT_EQ(2, SkinCheck("").status);
    EXPECT_EQ(2, SkinCheck("--bogus " + Quoted("src")).status);
    EXPECT_EQ(2, SkinCheck(Quoted("src/notes/readme.txt")).status);
    EXPECT_EQ(2, SkinCheck(Quoted("src/none.xml")).status);
    EXPECT_EQ(2, SkinCheck(Quoted("src/notes")).status);  // no skin file in it
    EXPECT_EQ(2, SkinCheck("'" + m_device.Host("none.pack") + "\\a.xml'").status);
    EXPECT_EQ(2, SkinCheck("--password").status);
}
