#include <string>
#include <vector>

#include "JxFile.h"
#include "PackBuilder.h"
#include "zlib.h"
#include "gtest/gtest.h"
#include "tool_run.h"
#include "wce/wstring.h"

namespace {

// Files with upper case, nesting, an empty file, and names whose order differs between
// UTF-16 units and UTF-8 bytes (U+1F600 is a surrogate pair, below U+E000 in units).
const std::vector<std::pair<std::string, std::string>> kTree = {
    {"a.txt", "alpha"},
    {"b/Empty.dat", ""},
    {"Dir/Sub/Image.BMP", std::string(200000, '\x7F') + "tail"},
    {"\xC3\x89.txt", "e acute"},              // É
    {"\xF0\x9F\x98\x80.txt", "smile"},        // U+1F600
    {"\xEE\x80\x80.txt", "private use"},      // U+E000
};

// Stored names, in the order the unit's binary search needs.
const std::vector<std::string> kEntries = {"a.txt",          "b\\empty.dat",      "dir\\sub\\image.bmp",
                                           "\xC3\xA9.txt",   "\xF0\x9F\x98\x80.txt", "\xEE\x80\x80.txt"};

class PacktoolTest : public ToolTest {
protected:
    void SetUp() override
    {
        for (const auto& [name, data] : kTree) m_device.WriteHostFile("SDMMC/skin/" + name, data);
    }
    ToolResult Run(const std::string& arguments) const { return ToolTest::Run(PACKTOOL_PATH, arguments); }

    // Names in the order "list" prints them.
    std::vector<std::string> Listed(const std::string& archive, const std::string& password) const
    {
        ToolResult r = Run("list --password " + password + " " + Quoted(archive));
        EXPECT_EQ(0, r.status) << r.err;
        std::vector<std::string> names;
        for (const std::string& line : Lines(r.out))
            if (line.size() > 23 && line.compare(0, 10, std::string(6, ' ') + "size") != 0) names.push_back(line.substr(23));
        return names;
    }

    static std::string ReadEntry(const std::u16string& path, LPCWSTR password)
    {
        DWORD size = 0;
        BYTE* data = WceUiReadFile(path.c_str(), &size, password);
        if (!data) return "<failed>";
        std::string bytes(reinterpret_cast<char*>(data), size);
        delete[] data;
        return bytes;
    }
};

}  // namespace

TEST_F(PacktoolTest, CreatedArchivesReadOnTheUnitAndExtractAgain)
{
    ToolResult r = Run("create --password Skin " + Quoted("SDMMC/skin.pack") + " " + Quoted("SDMMC/skin"));
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, {"6 entries"}));
    EXPECT_TRUE(Has(r.err, {"create [100%]"}));
    EXPECT_EQ(kEntries, Listed("SDMMC/skin.pack", "Skin"));

    // The framework finds every file by the path it had, case and '/' as they were.
    for (const auto& [name, data] : kTree)
        EXPECT_EQ(data, ReadEntry(u"\\SDMMC\\skin.pack\\" + Utf8ToWide(name), u"Skin")) << name;

    r = Run("verify --password Skin " + Quoted("SDMMC/skin.pack"));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, {"OK, 6 entries inflate"}));

    r = Run("extract --password Skin " + Quoted("SDMMC/skin.pack") + " " + Quoted("out"));
    ASSERT_EQ(0, r.status) << r.err;
    for (const auto& [name, data] : kTree) {
        std::u16string lower = Utf8ToWide(name);
        for (auto& c : lower) c = WCharLower(c);
        EXPECT_EQ(data, ReadHostBytes(m_device.Host("out/" + WideToUtf8(lower)))) << name;
    }
}

TEST_F(PacktoolTest, AnArchiveWrittenIntoItsFolderDoesNotPackItself)
{
    const std::string archive = Quoted("SDMMC/skin/self.pack");
    ASSERT_EQ(0, Run("create " + archive + " " + Quoted("SDMMC/skin")).status);
    ASSERT_EQ(0, Run("create " + archive + " " + Quoted("SDMMC/skin")).status);
    EXPECT_EQ(kEntries, Listed("SDMMC/skin/self.pack", "''"));
}

TEST_F(PacktoolTest, VerifyFindsWrongPasswordsAndDamagedEntries)
{
    ASSERT_EQ(0, Run("create --password pw " + Quoted("SDMMC/skin.pack") + " " + Quoted("SDMMC/skin")).status);
    ToolResult r = Run("verify " + Quoted("SDMMC/skin.pack"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, {"wrong password?"}));

    // The last entry's zlib trailer loses a bit: it no longer inflates.
    std::string bytes = ReadHostBytes(m_device.Host("SDMMC/skin.pack"));
    bytes.back() ^= 1;
    m_device.WriteHostFile("SDMMC/skin.pack", bytes);
    r = Run("verify --password pw " + Quoted("SDMMC/skin.pack"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, {"entry " + kEntries.back() + ": does not inflate", "1 of 6 entries damaged"}));

    // Cut short: that entry's data lies past the end; the unit still reads the others.
    bytes.resize(bytes.size() - 4);
    m_device.WriteHostFile("SDMMC/skin.pack", bytes);
    r = Run("verify --password pw " + Quoted("SDMMC/skin.pack"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, {"data lies past the end"}));
    EXPECT_EQ("<failed>", ReadEntry(u"\\SDMMC\\skin.pack\\" + Utf8ToWide(kEntries.back()), u"pw"));
    EXPECT_EQ("alpha", ReadEntry(u"\\SDMMC\\skin.pack\\a.txt", u"pw"));
    EXPECT_EQ(1, Run("extract --password pw " + Quoted("SDMMC/skin.pack") + " " + Quoted("out")).status);
    EXPECT_EQ("alpha", ReadHostBytes(m_device.Host("out/a.txt")));
}

TEST_F(PacktoolTest, CreateRefusesFilesThatBecomeOneEntryAndMissingFolders)
{
    m_device.WriteHostFile("SDMMC/skin/A.TXT", "upper");
    ToolResult r = Run("create " + Quoted("SDMMC/x.pack") + " " + Quoted("SDMMC/skin"));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, {"become the same entry a.txt"}));
    EXPECT_FALSE(m_device.HostExists("SDMMC/x.pack"));

    EXPECT_EQ(1, Run("create " + Quoted("SDMMC/x.pack") + " " + Quoted("SDMMC/none")).status);
    EXPECT_EQ(1, Run("list " + Quoted("SDMMC/none.pack")).status);
}

TEST_F(PacktoolTest, WrongArgumentsGiveStatusTwoAndOneLine)
{
    for (const char* arguments : {"", "frobnicate", "create only-one", "list a b", "extract a", "list --bogus a",
                                  "verify a --password", "create --password a --password b x y"}) {
        ToolResult r = Run(arguments);
        EXPECT_EQ(2, r.status) << arguments;
        EXPECT_EQ(1u, Lines(r.err).size()) << arguments << ": " << r.err;
        EXPECT_EQ(0u, r.err.rfind("packtool: ", 0)) << r.err;
    }
    ToolResult help = Run("--help");
    EXPECT_EQ(0, help.status);
    EXPECT_EQ(0u, help.out.rfind("usage:", 0));
}

// zlib's crc32 answers 0 for a null buffer: an archive without entries must still get the
// CRC of its directory, so that another empty archive under another name reloads.
TEST(PackBuilder, CheckWordOfAnArchiveWithoutEntries)
{
    PackImage image = BuildPackImage({}, u"empty.pack");
    uLong crc = crc32(crc32(0, nullptr, 0), image.block.data() + 4, static_cast<uInt>(image.block.size() - 4));
    EXPECT_EQ(crc, image.checkWord);
    EXPECT_NE(BuildPackImage({}, u"other.pack").checkWord, image.checkWord);
}
