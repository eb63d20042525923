#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "JXPackedFile.h"
#include "JXPackedFileMgr.h"
#include "JxFile.h"
#include "PackBuilder.h"
#include "doc_test_helpers.h"
#include "wce/files.h"
#include "wce/format.h"
#include "wce/process.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace {

std::string Bytes(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Readable text that still compresses: what skins hold.
std::string Text(size_t size, char seed)
{
    std::string s;
    for (size_t i = 0; s.size() < size; ++i) s += std::string(1, static_cast<char>(seed + i % 7)) + std::to_string(i);
    s.resize(size);
    return s;
}

PackImage Image(std::vector<PackBuildEntry> entries, std::uint32_t checkWord = 0)
{
    SortPackEntries(entries);
    return BuildPackImage(entries, u"test.pack", checkWord, 6);
}

std::vector<PackBuildEntry> Sample()
{
    return {{u"a.txt", "alpha"}, {u"dir\\sub\\b.xml", Text(5000, 'b')}, {u"empty.txt", ""}, {u"z.bin", Text(300, 'z')}};
}

// Takes over what a reader returned; a failure must also set the size to 0.
std::optional<std::string> Take(BYTE* data, DWORD size)
{
    if (!data) {
        EXPECT_EQ(0u, size);
        return std::nullopt;
    }
    std::string bytes(reinterpret_cast<char*>(data), size);
    delete[] data;
    return bytes;
}

class PackFileTest : public LogTest {
protected:
    // A read that failed and logged the error.
    ::testing::AssertionResult Fails(const std::optional<std::string>& got, const std::u16string& error) const
    {
        if (got) return ::testing::AssertionFailure() << "read " << got->size() << " bytes";
        if (LoggedError(error)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "not logged: " << WideToUtf8(error);
    }
    void Write(const std::string& relative, const PackImage& image, LPCWSTR password = nullptr) const
    {
        m_device.WriteHostFile(relative, Bytes(image.Assemble(GetPackKey(password))));
    }

    static std::optional<std::string> Read(LPCWSTR path, LPCWSTR password = nullptr)
    {
        DWORD size = 12345;
        BYTE* data = WceUiReadFile(path, &size, password);
        return Take(data, size);
    }
    static std::optional<std::string> ReadItem(CJxPackedFile& pack, LPCWSTR path)
    {
        DWORD size = 12345;
        BYTE* data = pack.ReadItem(path, &size, nullptr);
        return Take(data, size);
    }
};

}  // namespace

// --- reading through WceUiReadFile ----------------------------------------------------------

TEST_F(PackFileTest, ReadsPlainFilesAndEntriesWhateverTheCase)
{
    m_device.WriteHostFile("SDMMC/plain.xml", "<a/>");
    m_device.WriteHostFile("SDMMC/zero.bin", "");
    // "res.pack" is a folder here: the path names a real file and is read as one.
    m_device.WriteHostFile("SDMMC/res.pack/a.txt", "plain");
    Write("SDMMC/whole.pack", Image(Sample()));

    EXPECT_EQ("<a/>", Read(u"\\SDMMC\\plain.xml"));
    EXPECT_EQ("", Read(u"\\SDMMC\\zero.bin"));  // success with size 0, not a failure
    EXPECT_EQ("plain", Read(u"\\SDMMC\\res.pack\\a.txt"));
    EXPECT_EQ("alpha", Read(u"\\SDMMC\\whole.pack\\a.txt"));
    EXPECT_EQ("", Read(u"\\SDMMC\\whole.pack\\empty.txt"));
    EXPECT_EQ(Text(5000, 'b'), Read(u"\\SDMMC\\WHOLE.pack\\Dir/SUB\\B.Xml"));
    EXPECT_EQ(0u, ErrorCount()) << WideToUtf8(LogText());

    EXPECT_EQ(std::nullopt, Read(u"\\SDMMC\\whole.pack\\dir\\Missing.xml"));
    EXPECT_TRUE(LoggedError(u"Can not find the item dir\\missing.xml in \\sdmmc\\whole.pack"));
}

TEST_F(PackFileTest, PathsThatEnterNoArchiveFail)
{
    Write("SDMMC/skin.pack", Image(Sample()));
    // A missing plain file, the end right after ".pack\\", the split is case-sensitive and
    // wants a backslash.
    for (LPCWSTR path : {u"\\SDMMC\\missing.xml", u"\\SDMMC\\skin.pack\\", u"\\SDMMC\\skin.PACK\\a.txt",
                         u"\\SDMMC\\skin.pack/a.txt"}) {
        EXPECT_TRUE(Fails(Read(path), std::u16string(path) + u" is not a valid packed file path")) << WideToUtf8(path);
    }
    m_device.MakeHostDir("SDMMC/dir.pack");
    EXPECT_TRUE(Fails(Read(u"\\SDMMC\\Gone.pack\\a.txt"), u"\\sdmmc\\gone.pack is not a valid packed file"));
    EXPECT_TRUE(Fails(Read(u"\\SDMMC\\dir.pack\\a.txt"), u"\\sdmmc\\dir.pack is not a valid packed file"));
    EXPECT_TRUE(Fails(Read(u"\\SDMMC\\dir.pack"), u"WceUiReadFile failed, \\SDMMC\\dir.pack is a directory"));
}

// The cached directory is trusted only for the same archive and the same key.
TEST_F(PackFileTest, ReplacedArchiveOrAnotherPasswordReloads)
{
    Write("SDMMC/reload.pack", Image({{u"a.txt", "first"}}, 0x1111));
    EXPECT_EQ("first", Read(u"\\SDMMC\\reload.pack\\a.txt"));
    // A longer entry list moves every offset: a stale directory could not read this.
    Write("SDMMC/reload.pack", Image({{u"0.txt", "zero"}, {u"a.txt", "second, longer"}}, 0x2222));
    EXPECT_EQ("second, longer", Read(u"\\SDMMC\\reload.pack\\a.txt"));
    EXPECT_EQ(0u, ErrorCount()) << WideToUtf8(LogText());
    // An archive read before that is gone, or a folder now, fails as a first read would.
    std::remove(m_device.Host("SDMMC/reload.pack").c_str());
    EXPECT_EQ(std::nullopt, Read(u"\\SDMMC\\reload.pack\\a.txt"));
    m_device.MakeHostDir("SDMMC/reload.pack");
    EXPECT_EQ(std::nullopt, Read(u"\\SDMMC\\reload.pack\\a.txt"));
    EXPECT_EQ(2u, ErrorCount());
    EXPECT_TRUE(LoggedError(u"\\sdmmc\\reload.pack is not a valid packed file"));
    std::filesystem::remove(m_device.Host("SDMMC/reload.pack"));
    Write("SDMMC/reload.pack", Image({{u"a.txt", "third"}}, 0x3333));
    EXPECT_EQ("third", Read(u"\\SDMMC\\reload.pack\\a.txt"));
    // Held without sharing: the open's own error is told, not the path check's.
    HANDLE hHeld = CreateFileW(u"\\SDMMC\\reload.pack", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(std::nullopt, Read(u"\\SDMMC\\reload.pack\\a.txt"));
    CloseHandle(hHeld);
    EXPECT_TRUE(LoggedError(u"CreateFile \\sdmmc\\reload.pack failed, GetLastError is 32"));

    Write("SDMMC/secret.pack", Image(Sample()), u"s3cret");
    EXPECT_TRUE(Fails(Read(u"\\SDMMC\\secret.pack\\a.txt"), u"load \\sdmmc\\secret.pack failed, wrong password?"));
    EXPECT_EQ("alpha", Read(u"\\SDMMC\\secret.pack\\a.txt", u"s3cret"));
    EXPECT_EQ(std::nullopt, Read(u"\\SDMMC\\secret.pack\\a.txt", u"other"));
    EXPECT_EQ(5u, ErrorCount());
}

TEST_F(PackFileTest, PathsOfUpTo259Units)
{
    // "\\SDMMC\\" and four folders of 50 units leave 48 for the name: 259 in all.
    std::string relative = "SDMMC";
    for (char c : {'d', 'e', 'f', 'g'}) relative += "/" + std::string(50, c);
    m_device.WriteHostFile(relative += "/" + std::string(48, 'n'), "deep");
    std::u16string path = u"\\" + Utf8ToWide(relative);
    for (auto& c : path) c = u'/' == c ? u'\\' : c;
    ASSERT_EQ(259u, path.size());
    EXPECT_EQ("deep", Read(path.c_str()));

    path += u'n';
    EXPECT_TRUE(Fails(Read(path.c_str()), u"WceUiReadFile failed, a path of 260 characters is too long"));
    EXPECT_EQ(1u, ErrorCount());
}

// Bytes written down once, independently of the builder and the reader: a fault the two
// share cannot pass. No password; "a.txt" = "alpha", "b\\c.txt" empty; check word 0xC0DE.
TEST_F(PackFileTest, KnownAnswerArchive)
{
    static const char kArchive[] =
        "\x00\x00\x00\x00\x80\x00\x00\x00\xDE\xC0\x00\x00\xEA\x90\xA6\x61"
        "\x36\x50\xA6\x61\x34\x50\xA6\x61\x33\x50\xA6\x61\x40\x50\x88\x61"
        "\x44\x50\xC7\x61\x57\x50\xCD\x61\x34\x50\x8E\x61\x34\x50\xA6\x61"
        "\x34\x50\xA3\x61\x34\x50\xAB\x61\x34\x50\x26\x61\x34\x50\xA6\x61"
        "\x34\x50\xA6\x61\x34\x50\xC7\x61\x1A\x50\xD2\x61\x4C\x50\xD2\x61"
        "\x34\x50\x8A\x61\x34\x50\xA6\x61\x34\x50\xA6\x61\x34\x50\xAE\x61"
        "\x34\x50\x2B\x61\x34\x50\xA6\x61\x34\x50\xA6\x61\x34\x50\xC4\x61"
        "\x68\x50\xC5\x61\x1A\x50\xD2\x61\x4C\x50\xD2\x61\x34\x50\xA6\x61"
        "\x78\xDA\x4B\xCC\x29\xC8\x48\x04\x00\x06\x1B\x02\x07\x78\xDA\x03"
        "\x00\x00\x00\x00\x01";
    EXPECT_EQ(0x5A3C96E1u, GetPackKey(nullptr));
    m_device.WriteHostFile("SDMMC/t.pack", std::string(kArchive, sizeof kArchive - 1));
    EXPECT_EQ("alpha", Read(u"\\SDMMC\\t.pack\\a.txt"));
    EXPECT_EQ("", Read(u"\\SDMMC\\t.pack\\B\\C.txt"));
    EXPECT_EQ(0u, ErrorCount()) << WideToUtf8(LogText());
}

// An offset of 2 GiB or more is still a position from the start, never a negative move.
TEST_F(PackFileTest, EntriesBeyondTwoGiB)
{
    PackImage image = Image(Sample());
    const std::uint32_t kFar = 0x80000100u;
    const size_t z = image.recordOffsets.back();  // z.bin, sorted last
    const DWORD packed = JxReadLe32(image.block.data() + z + 12);
    const DWORD near = JxReadLe32(image.block.data() + z + 16);
    std::string data = Bytes(image.Assemble(GetPackKey(nullptr)));
    JxWriteLe32(image.block.data() + z + 16, kFar);
    Write("SDMMC/far.pack", image);
    m_device.WriteHostFileAt("SDMMC/far.pack", kFar, data.substr(near, packed));
    EXPECT_EQ(Text(300, 'z'), Read(u"\\SDMMC\\far.pack\\z.bin"));
    EXPECT_EQ("alpha", Read(u"\\SDMMC\\far.pack\\a.txt"));
}

// --- the directory and its search --------------------------------------------------------------

TEST_F(PackFileTest, FindItemSearchesTheUnitOrder)
{
    // Sorted by 16-bit units: '.' < '\\' < letters < Latin-1 < surrogates < private use.
    const std::vector<std::u16string> order = {u"a",  u"a.b",      u"a\\b",      u"ab",
                                               u"é", u"\U0001F600", u"\uE000", u"\uFFFF"};
    std::vector<PackBuildEntry> entries;
    for (auto it = order.rbegin(); it != order.rend(); ++it) entries.push_back({*it, WideToUtf8(*it)});
    SortPackEntries(entries);
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], entries[i].name) << i;
    Write("SDMMC/order.pack", BuildPackImage(entries, u"order.pack"));

    CJxPackedFile pack(u"\\sdmmc\\order.pack");
    ASSERT_TRUE(pack.Load(nullptr));
    ASSERT_EQ(static_cast<int>(order.size()), pack.GetItemCount());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(pack.GetItem(static_cast<int>(i)), pack.FindItem(order[i].c_str())) << i;
        EXPECT_EQ(WideToUtf8(order[i]), ReadItem(pack, order[i].c_str()));
    }
    const std::u16string loneHighSurrogate(1, u'\xD83D');  // a prefix of the emoji
    for (const std::u16string& absent : {std::u16string(), std::u16string(u"0"), std::u16string(u"a\\"),
                                         std::u16string(u"aa"), std::u16string(u"b"), loneHighSurrogate,
                                         std::u16string(u"\uFFFF\uFFFF")})
        EXPECT_EQ(nullptr, pack.FindItem(absent.c_str())) << WideToUtf8(absent);
}

TEST_F(PackFileTest, LoadKeepsTheDirectoryUntilTheHeadChanges)
{
    Write("SDMMC/keep.pack", Image(Sample()));
    CJxPackedFile pack(u"\\sdmmc\\keep.pack");
    ASSERT_TRUE(pack.Load(nullptr));
    const BYTE* pItem = pack.FindItem(u"a.txt");
    ASSERT_TRUE(pack.Load(nullptr));
    EXPECT_EQ(pItem, pack.FindItem(u"a.txt"));  // not read again

    // Gone: the check fails, the object empties, and the next read tries again.
    std::remove(m_device.Host("SDMMC/keep.pack").c_str());
    EXPECT_FALSE(pack.Load(nullptr));
    EXPECT_FALSE(pack.IsLoaded());
    EXPECT_TRUE(LoggedError(u"CreateFile \\sdmmc\\keep.pack failed, GetLastError is 2"));
    Write("SDMMC/keep.pack", Image(Sample()));
    EXPECT_TRUE(pack.Load(nullptr));

    // Cut short after loading: the 12-byte head cannot be read.
    m_device.WriteHostFile("SDMMC/keep.pack", "short");
    EXPECT_FALSE(pack.Load(nullptr));
    EXPECT_TRUE(LoggedError(u"ReadFile \\sdmmc\\keep.pack failed"));
    EXPECT_FALSE(pack.Load(nullptr));
    EXPECT_TRUE(LoggedError(u"ReadFile failed \\sdmmc\\keep.pack"));
}

TEST_F(PackFileTest, EntriesOfEverySizeReadWholeInAnyOrder)
{
    // Around the buffer kept between reads (256 KiB of compressed bytes): stored entries of
    // random bytes keep their size when compressed, so some overflow it.
    std::vector<PackBuildEntry> entries;
    std::mt19937 random(3);
    for (size_t size : {size_t(0), size_t(1), size_t(4095), size_t(4097), size_t(200000), size_t(262145), size_t(300000)}) {
        std::string data(size, 0);
        for (char& c : data) c = static_cast<char>(random());
        entries.push_back({Utf8ToWide("r" + std::to_string(size)), data});
        entries.push_back({Utf8ToWide("t" + std::to_string(size)), Text(size, 't')});
    }
    Write("SDMMC/sizes.pack", Image(entries));
    CJxPackedFile pack(u"\\sdmmc\\sizes.pack");
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < entries.size(); ++i) {
            // Large and small in turn, so that the kept buffer grows, is passed by and reused.
            const PackBuildEntry& entry = entries[round ? entries.size() - 1 - i : i];
            EXPECT_EQ(entry.data, ReadItem(pack, entry.name.c_str())) << WideToUtf8(entry.name);
        }
    EXPECT_EQ(0u, ErrorCount()) << WideToUtf8(LogText());

    // A read after the archive went away fails as the check of the loaded directory.
    std::remove(m_device.Host("SDMMC/sizes.pack").c_str());
    EXPECT_TRUE(Fails(ReadItem(pack, u"t1"), u"CreateFile \\sdmmc\\sizes.pack failed, GetLastError is 2"));
    EXPECT_FALSE(pack.IsLoaded());
    EXPECT_TRUE(Fails(ReadItem(pack, u"t1"), u"CreateFile : \\sdmmc\\sizes.pack failed, GetLastError is 2"));
}

// --- damaged archives ----------------------------------------------------------------------

namespace {

// A fresh archive object over a crafted file: the shared cache is left out of it.
class DamagedPackTest : public PackFileTest {
protected:
    void SetUp() override { PackFileTest::SetUp(); m_image = Image(Sample(), 0xC0DE); }
    // Writes the image, then lets bytes be patched in the assembled file.
    void WriteAndPatch(const std::function<void(std::vector<std::uint8_t>&)>& patch = {})
    {
        std::vector<std::uint8_t> bytes = m_image.Assemble(GetPackKey(nullptr));
        if (patch) patch(bytes);
        m_device.WriteHostFile("SDMMC/bad.pack", Bytes(bytes));
    }
    // The offset of record i's field in the plain block.
    std::uint8_t* Record(size_t i, size_t field) { return m_image.block.data() + m_image.recordOffsets[i] + field; }

    bool Refused(const std::u16string& message)
    {
        CJxPackedFile pack(u"\\sdmmc\\bad.pack");
        bool refused = !pack.Load(nullptr) && !pack.IsLoaded() && 0 == pack.GetItemCount() &&
                       nullptr == pack.FindItem(u"a.txt");
        return refused && LoggedError(u"load \\sdmmc\\bad.pack " + message);
    }

    PackImage m_image;
};

}  // namespace

TEST_F(DamagedPackTest, HeadSizesOutsideTheFileOrNotWholeWords)
{
    const DWORD realHead = static_cast<DWORD>(kJxPackHeadSize + m_image.block.size());
    const DWORD fileSize = static_cast<DWORD>(m_image.Assemble(0).size());
    const DWORD pastTheEnd = fileSize + 4 - (fileSize - kJxPackHeadSize) % 4;  // whole words, too long
    // No room for the block's fixed part; beyond the file; a block of 2 bytes past a word.
    for (DWORD h : {0u, 12u, 24u, pastTheEnd, realHead - 2}) {
        WriteAndPatch([&](std::vector<std::uint8_t>& b) { JxWriteLe32(b.data() + 4, h); });
        EXPECT_TRUE(Refused(u"failed, bad head size " + WFormatString(u"%u", h))) << h;
    }
    EXPECT_EQ(5u, ErrorCount());
}

TEST_F(DamagedPackTest, WrongCheckWordOrNameIsAWrongPassword)
{
    JxWriteLe32(m_image.block.data(), 0xBAD);
    WriteAndPatch();
    EXPECT_TRUE(Refused(u"failed, wrong password?"));

    m_image = Image(Sample(), 0xC0DE);
    // 259 runs past the block; "test.pack" has 10 units, so with 4 the last is not NUL.
    for (DWORD units : {0u, 260u, 0x80000000u, 259u, 4u}) {
        JxWriteLe32(m_image.block.data() + 12, units);
        WriteAndPatch();
        EXPECT_TRUE(Refused(u"failed2, wrong password?")) << units;
    }
}

// The name field holds up to 259 units with its NUL: 260 is refused even when it fits.
TEST_F(DamagedPackTest, ArchiveNamesOfUpTo259Units)
{
    for (size_t units : {259u, 260u}) {
        m_image = BuildPackImage({{u"a.txt", "alpha"}}, std::u16string(units - 1, u'n'), 0xC0DE);
        WriteAndPatch();
        CJxPackedFile pack(u"\\sdmmc\\bad.pack");
        EXPECT_EQ(units < 260, !!pack.Load(nullptr)) << units;
    }
    EXPECT_TRUE(LoggedError(u"load \\sdmmc\\bad.pack failed2, wrong password?"));
    EXPECT_EQ(1u, ErrorCount());
}

TEST_F(DamagedPackTest, EntryCountsThatCannotFitAndNoEntries)
{
    JxWriteLe32(m_image.block.data() + 4, 1000);
    WriteAndPatch();
    EXPECT_TRUE(Refused(u"failed, bad entry count 1000"));

    JxWriteLe32(m_image.block.data() + 4, 0xFFFFFFFFu);  // -1: no entries, never 4 billion
    WriteAndPatch();
    CJxPackedFile pack(u"\\sdmmc\\bad.pack");
    EXPECT_TRUE(pack.Load(nullptr));
    EXPECT_EQ(0, pack.GetItemCount());
    EXPECT_TRUE(Fails(ReadItem(pack, u"a.txt"), u"Can not find the item a.txt in \\sdmmc\\bad.pack"));
    // An archive built without entries loads too.
    Write("SDMMC/none.pack", Image({}));
    EXPECT_TRUE(CJxPackedFile(u"\\sdmmc\\none.pack").Load(nullptr));
}

TEST_F(DamagedPackTest, RecordsThatRunPastTheBlockOrAreTooSmall)
{
    const DWORD sizes[] = {0, 27, 0x7FFFFFF0};
    for (DWORD size : sizes) {
        m_image = Image(Sample(), 0xC0DE);
        JxWriteLe32(Record(1, 0), size);
        WriteAndPatch();
        EXPECT_TRUE(Refused(u"failed, bad entry record 1")) << size;
    }
    // The last path loses its terminator and padding: it would run on past the block.
    m_image = Image(Sample(), 0xC0DE);
    const size_t last = m_image.recordOffsets.back();
    for (size_t i = last + kJxPackRecordFixedSize; i < m_image.block.size(); ++i) m_image.block[i] = 'x';
    WriteAndPatch();
    EXPECT_TRUE(Refused(u"failed, bad entry record 3"));
    // So does a path that runs on into the next record.
    m_image = Image(Sample(), 0xC0DE);
    JxWriteLe32(Record(0, 0), kJxPackRecordFixedSize + 4);  // "a.txt" needs 12 bytes
    WriteAndPatch();
    EXPECT_TRUE(Refused(u"failed, bad entry record 0"));
}

TEST_F(DamagedPackTest, DataPastTheEndFailsThatEntryOnly)
{
    JxWriteLe32(Record(0, 16), 0xFFFFFFF0u);  // a.txt
    JxWriteLe32(Record(3, 12), 0x7FFFFFFFu);  // z.bin's compressed size
    WriteAndPatch();
    CJxPackedFile pack(u"\\sdmmc\\bad.pack");
    EXPECT_TRUE(Fails(ReadItem(pack, u"a.txt"), u"ReadFile a.txt in \\sdmmc\\bad.pack failed"));
    EXPECT_TRUE(Fails(ReadItem(pack, u"z.bin"), u"ReadFile z.bin in \\sdmmc\\bad.pack failed"));
    EXPECT_EQ(Text(5000, 'b'), ReadItem(pack, u"dir\\sub\\b.xml"));
    EXPECT_EQ(2u, ErrorCount());
}

namespace {

int g_nUncompressCalls = 0;

int CountingUncompress(BYTE* pDest, DWORD* pdwDestLen, const BYTE* pSource, DWORD dwSourceLen)
{
    ++g_nUncompressCalls;
    uLongf length = *pdwDestLen;
    int result = uncompress(pDest, &length, pSource, dwSourceLen);
    *pdwDestLen = static_cast<DWORD>(length);
    return result;
}

// Binds "WceUiDll.dll" ordinal 2 to the counting routine, or removes it, for one test.
class UncompressBinding {
public:
    UncompressBinding()
    {
        HMODULE hLibrary = LoadLibraryW(u"WceUiDll.dll");
        m_pfnOriginal = GetProcAddressW(hLibrary, MAKEINTRESOURCEW(2));
        FreeLibrary(hLibrary);
        g_nUncompressCalls = 0;
    }
    ~UncompressBinding() { wce::host::RegisterModule(u"WceUiDll.dll", {{u"#2", m_pfnOriginal}}); }
    void Count() { wce::host::RegisterModule(u"WceUiDll.dll", {{u"#2", reinterpret_cast<FARPROC>(&CountingUncompress)}}); }
    void Remove() { wce::host::UnregisterModule(u"WceUiDll.dll"); }

private:
    FARPROC m_pfnOriginal;
};

}  // namespace

TEST_F(DamagedPackTest, WrongUncompressedSizesFailTheEntry)
{
    UncompressBinding binding;
    binding.Count();
    JxWriteLe32(Record(0, 8), 6);                // a.txt is 5 bytes
    JxWriteLe32(Record(1, 8), 4999);             // b.xml is 5000
    JxWriteLe32(Record(3, 8), 0xFFFFFFF0u);      // no 300-byte stream inflates to 4 GiB
    WriteAndPatch();
    CJxPackedFile pack(u"\\sdmmc\\bad.pack");
    EXPECT_TRUE(Fails(ReadItem(pack, u"a.txt"), u"uncompress failed for a.txt in \\sdmmc\\bad.pack"));
    EXPECT_EQ(std::nullopt, ReadItem(pack, u"dir\\sub\\b.xml"));
    EXPECT_TRUE(LoggedError(u"uncompress failed for dir\\sub\\b.xml in \\sdmmc\\bad.pack"));
    EXPECT_EQ(2, g_nUncompressCalls);
    EXPECT_TRUE(Fails(ReadItem(pack, u"z.bin"), u"uncompress failed for z.bin in \\sdmmc\\bad.pack"));
    EXPECT_EQ(2, g_nUncompressCalls);  // refused before anything was allocated or inflated
    EXPECT_EQ("", ReadItem(pack, u"empty.txt"));
    EXPECT_EQ(3, g_nUncompressCalls);
}

TEST_F(PackFileTest, EntriesInflateThroughTheDecompressionLibrary)
{
    UncompressBinding binding;
    Write("SDMMC/lib.pack", Image(Sample()));
    CJxPackedFile pack(u"\\sdmmc\\lib.pack");
    binding.Remove();
    EXPECT_EQ(std::nullopt, ReadItem(pack, u"a.txt"));
    EXPECT_NE(std::u16string::npos, LogText().find(u"error: can not get uncompress from WceUiDll.dll"));
    binding.Count();
    EXPECT_EQ("alpha", ReadItem(pack, u"a.txt"));
    EXPECT_EQ(1, g_nUncompressCalls);
}
