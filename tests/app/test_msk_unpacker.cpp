#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "MskFormat.h"
#include "MskPackageRead.h"
#include "MskUnpacker.h"
#include "msk_fixture.h"
#include "wce/host.h"
#include "wce/platform.h"

namespace {

const char16_t* kPassword = u"sxq_trelo";
const char16_t* kPackage = u"\\SDMMC\\p.msk";

struct Progress {
    std::vector<DWORD> indexes;
    std::vector<std::u16string> names;
    DWORD count = 0;
    size_t cancelAfter = 1000;
};

int Record(void* context, DWORD index, LPCWSTR name, DWORD count)
{
    auto* p = static_cast<Progress*>(context);
    p->indexes.push_back(index);
    p->names.push_back(name);
    p->count = count;
    return p->indexes.size() < p->cancelAfter;
}

class MskUnpackerTest : public ::testing::Test {
protected:
    TempDevice device;

    void SetUp() override { device.MakeHostDir("Residentflash2"); }

    void Write(const MskImage& image, LPCWSTR password = kPassword) { WritePackage(device, "SDMMC/p.msk", image, password); }

    int Verify(CString& error, LPCWSTR password = kPassword)
    {
        CMskUnpacker unpacker;
        return unpacker.VerifyPackage(kPackage, GetPackKey(password), error);
    }

    int Unpack(CString& error, LPCWSTR target = u"\\Residentflash2", Progress* progress = nullptr,
               LPCWSTR password = kPassword)
    {
        CMskUnpacker unpacker;
        if (progress) unpacker.SetProgressCallback(&Record, progress);
        return unpacker.Unpack(kPackage, target, GetPackKey(password), error);
    }

    // Expects VerifyPackage to call the package damaged and Unpack to refuse it before
    // writing anything.
    void ExpectRefused(const MskImage& image)
    {
        Write(image);
        CString error;
        EXPECT_EQ(Verify(error), 0);
        EXPECT_EQ(error, u"file_format_error");
        EXPECT_EQ(Unpack(error), 0);
        EXPECT_NE(error.Find(u"MSK file format error"), -1) << WideToUtf8(error.c_str());
        EXPECT_FALSE(device.HostExists("Residentflash2/app"));
    }
};

TEST_F(MskUnpackerTest, UnpacksTreeWithProgressInDirectoryThenFileOrder)
{
    Write(BuildMskImage(SampleEntries(), u"app"));
    CString error = u"stale";
    EXPECT_EQ(Verify(error), 1);
    EXPECT_EQ(error, u"stale");  // untouched on success
    Progress progress;
    EXPECT_EQ(Unpack(error, u"\\Residentflash2\\", &progress), 1);  // a trailing backslash changes nothing
    EXPECT_TRUE(error.IsEmpty());
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/NaviMain.exe"), "new main");
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/a.xml"), std::string(5000, 'a'));
    EXPECT_EQ(progress.indexes, (std::vector<DWORD>{0, 1, 2}));
    EXPECT_EQ(progress.names, (std::vector<std::u16string>{u"config", u"NaviMain.exe", u"config\\a.xml"}));
    EXPECT_EQ(progress.count, 3u);
}

// Bytes written down once, independently of the builder and the unpacker: a fault the two
// share cannot pass. Password "sxq_trelo", check word 0x1234ABCD, root "app", directory "d",
// file "d\\f.txt" = "hi\n".
TEST_F(MskUnpackerTest, KnownAnswerPackage)
{
    static const char kPackage[] =
        "\x45\xFA\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x90\x00\x00\x00\x00\x00\x00\x00\xCD\xAB\x34\x12\x0F\xDF\x79\x6E"
        "\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C\xC6\x74\x4D\x7C\xA3\x74\x3D\x7C"
        "\xB2\x74\x4D\x7C\xE2\x74\x4D\x7C\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C"
        "\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C"
        "\xA6\x74\x4D\x7C\xEE\x74\x4D\x7C\xC3\x74\x4D\x7C\xC1\x74\x4D\x7C"
        "\xC9\x74\x4D\x7C\x52\x74\x4D\x7C\xC2\x74\x4D\x7C\xC2\x74\x4D\x7C"
        "\xA6\x74\x11\x7C\xA4\x74\x63\x7C\xB6\x74\x35\x7C\xB6\x74\x4D\x7C"
        "\x78\xDA\xCB\xC8\xE4\x02\x00\x02\x17\x00\xDC";
    EXPECT_EQ(0x47D7B217u, GetPackKey(kPassword));
    EXPECT_EQ(0x38EB7704u, GetPackKey(u"sxq_bnf"));
    device.WriteHostFile("SDMMC/p.msk", std::string(kPackage, sizeof kPackage - 1));
    CString error;
    EXPECT_EQ(Verify(error), 1);
    Progress progress;
    EXPECT_EQ(Unpack(error, u"\\Residentflash2", &progress), 1) << WideToUtf8(error.c_str());
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/d/f.txt"), "hi\n");
    EXPECT_EQ(progress.names, (std::vector<std::u16string>{u"d", u"d\\f.txt"}));
}

// An offset of 2 GiB or more is still a position from the start, never a negative move.
TEST_F(MskUnpackerTest, DataBeyondTwoGiB)
{
    MskImage image = BuildMskImage({File(u"far.bin", std::string(3000, 'f'))}, u"app");
    const std::uint32_t kFar = 0x80000010u;
    JxWriteLe32(image.block.data() + image.recordOffsets[0] + 16, kFar);
    Write(image);
    device.WriteHostFileAt("SDMMC/p.msk", kFar, Bytes(image.data));
    CString error;
    EXPECT_EQ(Verify(error), 1);
    EXPECT_EQ(Unpack(error), 1) << WideToUtf8(error.c_str());
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/far.bin"), std::string(3000, 'f'));
}

TEST_F(MskUnpackerTest, NoPasswordIsTheSeed)
{
    EXPECT_EQ(GetPackKey(nullptr), kPackKeySeed);
    EXPECT_EQ(GetPackKey(u""), kPackKeySeed);
    Write(BuildMskImage(SampleEntries(), u"app"), u"");
    CString error;
    EXPECT_EQ(Verify(error, nullptr), 1);
}

TEST_F(MskUnpackerTest, TailBytesOfTheBlockStayUnscrambled)
{
    std::vector<BYTE> block = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, copy = block;
    JxScrambleWords(copy.data(), copy.size(), 0x12345678);
    EXPECT_NE(std::vector<BYTE>(copy.begin(), copy.begin() + 8), std::vector<BYTE>(block.begin(), block.begin() + 8));
    EXPECT_EQ(std::vector<BYTE>(copy.begin() + 8, copy.end()), std::vector<BYTE>(block.begin() + 8, block.end()));
    // A block ending in 2 unaligned bytes that the last record's name reaches into.
    MskImage image = BuildMskImage({File(u"a.bin", "data")}, u"app");
    image.block.push_back(0);
    image.block.push_back(0);
    JxWriteLe32(image.block.data() + image.recordOffsets[0], static_cast<DWORD>(image.block.size() - image.recordOffsets[0]));
    // Keep the data where the record points: move it 2 bytes further.
    JxWriteLe32(image.block.data() + image.recordOffsets[0] + 16, static_cast<DWORD>(44 + image.block.size()));
    Write(image);
    CString error;
    EXPECT_EQ(Unpack(error), 1) << WideToUtf8(error.c_str());
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/a.bin"), "data");
}

// A root name of 260 units (with its terminator) does not fit the format's field.
TEST_F(MskUnpackerTest, RootNameTooLongForTheFormat)
{
    Write(BuildMskImage({}, std::u16string(259, u'r')));
    CString error;
    EXPECT_EQ(Unpack(error), 0);
    EXPECT_EQ(error, u"check CRC failed, Wrong password?");
    EXPECT_EQ(Verify(error), 0);
    EXPECT_EQ(error, u"file_format_error");
}

// What the device cannot store is refused by VerifyPackage, before the update deletes
// anything, and by Unpack before it writes anything. "\\Residentflash2\\app\\" is 20 units.
TEST_F(MskUnpackerTest, DeviceRulesForNames)
{
    struct Case {
        std::vector<MskBuildEntry> entries;
        std::u16string root;
        const char16_t* problem;  // empty: accepted
    };
    const std::u16string fits(239, u'n');
    std::vector<Case> cases = {
        {{Dir(u"d|"), File(u"f", "x")}, u"app", u"cannot store"},
        {{File(u"f", "x")}, u"ap*p", u"cannot store"},
        {{File(fits, "x")}, u"app", u""},                 // exactly 259 units
        {{File(fits + u"n", "x")}, u"app", u"too long"},  // 260
        {{Dir(fits + u"n"), File(u"f", "x")}, u"app", u"too long"},
        {{File(u"f", "x")}, std::u16string(258, u'r'), u"too long"},  // a sound root, too long below the target
        {{}, u"app", u"no file"},
        {{Dir(u"d"), {2, u"odd", "x"}}, u"app", u"no file"},
        {{File(u"empty", "")}, u"app", u""},  // empty files are files
    };
    for (char16_t bad : std::u16string(u"<>:\"|?*\x1F"))
        cases.push_back({{File(u"ab" + std::u16string(1, bad) + u"c", "x")}, u"app", u"cannot store"});
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.root + u"\\" + (c.entries.empty() ? u"" : c.entries.back().name)));
        Write(BuildMskImage(c.entries, c.root));
        CMskUnpacker unpacker;
        CString error;
        const bool refused = *c.problem != 0;
        EXPECT_EQ(unpacker.VerifyPackage(kPackage, GetPackKey(kPassword), error), refused ? 0 : 1);
        if (refused) {
            EXPECT_EQ(error, u"file_format_error");
            EXPECT_NE(unpacker.GetProblem().Find(c.problem), -1) << WideToUtf8(unpacker.GetProblem().c_str());
            EXPECT_EQ(Unpack(error), 0);
            EXPECT_FALSE(device.HostExists("Residentflash2/app"));
        }
    }
}

// A name must end inside its own record: one that runs on into the next record is
// damaged, and searching only the record keeps the check linear in the block.
TEST_F(MskUnpackerTest, NameRunningIntoTheNextRecordIsRefused)
{
    MskImage image = BuildMskImage({File(u"abcdef", "x"), File(u"b", "y")}, u"app");
    JxWriteLe32(image.block.data() + image.recordOffsets[0], kMskEntryFixedSize + 4);  // cuts "abcdef"
    std::vector<BYTE> block = image.block;
    CString problem;
    EXPECT_FALSE(MskCheckDirectory(block.data(), static_cast<DWORD>(block.size()), 1u << 20, problem));
    EXPECT_NE(problem.Find(u"has no end"), -1) << WideToUtf8(problem.c_str());
}

TEST_F(MskUnpackerTest, OtherEntryTypesAreSkippedButCountedAndCancelKeepsWhatIsDone)
{
    Write(BuildMskImage({Dir(u"d"), {2, u"odd", "x"}, File(u"d\\f", "f")}, u"app"));
    Progress counted;
    CString error;
    EXPECT_EQ(Unpack(error, u"\\Residentflash2", &counted), 1);
    EXPECT_EQ(counted.indexes, (std::vector<DWORD>{0, 1}));  // the last index is n - 2
    EXPECT_EQ(counted.count, 3u);
    EXPECT_FALSE(device.HostExists("Residentflash2/app/odd"));

    Write(BuildMskImage(SampleEntries(), u"app"));
    Progress progress;
    progress.cancelAfter = 1;
    EXPECT_EQ(Unpack(error, u"\\Residentflash2", &progress), 0);
    EXPECT_EQ(error, u"user_cancel");
    EXPECT_TRUE(device.HostExists("Residentflash2/app/config"));
    EXPECT_FALSE(device.HostExists("Residentflash2/app/NaviMain.exe"));
}

// Each failure leaves its own key or message, and writes nothing it should not.
TEST_F(MskUnpackerTest, FailuresNameTheirCause)
{
    HANDLE busy = INVALID_HANDLE_VALUE;
    const struct {
        const char* what;
        std::function<void()> prepare;
        LPCWSTR target;
        const char16_t* verifyError;  // null: verifies
        const char16_t* unpackError;
    } cases[] = {
        {"not a package", [&] { device.WriteHostFile("SDMMC/p.msk", std::string(100, 'x')); }, u"\\Residentflash2",
         u"invalid_msk_file", u"invalid_msk_file"},
        {"wrong password", [&] { Write(BuildMskImage(SampleEntries(), u"app"), u"sxq_bnf"); }, u"\\Residentflash2",
         u"crc_check_fail", u"check CRC failed, Wrong password?"},
        {"a folder for the package", [&] { device.MakeHostDir("SDMMC/p.msk"); }, u"\\Residentflash2", nullptr,
         u"the file for unpack '\\SDMMC\\p.msk' is not valid"},
        {"missing target", [&] { Write(BuildMskImage(SampleEntries(), u"app")); }, u"\\Nowhere", nullptr,
         u"the unpack directory '\\Nowhere' is not valid"},
        {"a file for the root folder",
         [&] {
             Write(BuildMskImage(SampleEntries(), u"app"));
             device.WriteHostFile("Residentflash2/app", "a file");
         },
         u"\\Residentflash2", nullptr, u"can't not unpack to directory: \\Residentflash2\\app\\\n"},
        {"target open elsewhere",
         [&] {
             std::filesystem::remove(device.Host("Residentflash2/app"));
             Write(BuildMskImage(SampleEntries(), u"app"));
             device.WriteHostFile("Residentflash2/app/NaviMain.exe", "old");
             busy = CreateFileW(u"\\Residentflash2\\app\\NaviMain.exe", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         u"\\Residentflash2", nullptr, u"CreateFile \\Residentflash2\\app\\NaviMain.exe failed, GetLastError is 32"},
        {"full disk",
         [&] {
             CloseHandle(busy);
             Write(BuildMskImage({File(u"big.bin", std::string(100000, 'b'))}, u"app"));
             wce::host::SetWriteQuota(u"\\Residentflash2", 4096);
         },
         u"\\Residentflash2", nullptr, u"error_disk_full"},
        {"data that does not inflate to its size",
         [&] {
             wce::host::ClearWriteQuotas();
             MskImage image = BuildMskImage({File(u"a", "abcdef")}, u"app");
             JxWriteLe32(image.block.data() + image.recordOffsets[0] + 8, 5);  // claims one byte less
             Write(image);
         },
         u"\\Residentflash2", nullptr, u"uncompress failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(device.Host("SDMMC/p.msk"));
        c.prepare();
        CString error;
        if (c.verifyError) {
            EXPECT_EQ(Verify(error), 0);
            EXPECT_EQ(error, c.verifyError);
        }
        EXPECT_EQ(Unpack(error, c.target), 0);
        EXPECT_EQ(error, c.unpackError);
        if (c.verifyError) {
            EXPECT_FALSE(device.HostExists("Residentflash2/app"));
        }
    }
}

TEST_F(MskUnpackerTest, DirectoryTreeAndTrailingBackslash)
{
    EXPECT_EQ(CMskUnpacker::AddTrailingBackslash(u"\\a"), u"\\a\\");
    EXPECT_EQ(CMskUnpacker::AddTrailingBackslash(u"\\a/"), u"\\a\\");
    EXPECT_EQ(CMskUnpacker::AddTrailingBackslash(u""), u"\\");
    EXPECT_EQ(CMskUnpacker::CreateDirectoryTree(u"\\Residentflash2\\x/y\\z"), 1);
    EXPECT_TRUE(device.HostExists("Residentflash2/x/y/z"));
    std::u16string tooLong = u"\\Residentflash2\\" + std::u16string(250, u'n');
    EXPECT_EQ(CMskUnpacker::CreateDirectoryTree(tooLong.c_str()), 0);
}

TEST_F(MskUnpackerTest, RefusesBadRecordsAndDataOutsideTheFile)
{
    auto field = [](MskImage& m, size_t at, DWORD value) { JxWriteLe32(m.block.data() + m.recordOffsets[1] + at, value); };
    const std::pair<const char*, std::function<void(MskImage&)>> cases[] = {
        {"record size 0", [&](MskImage& m) { field(m, 0, 0); }},
        {"record size below the fixed part", [&](MskImage& m) { field(m, 0, 27); }},
        {"record past the block", [&](MskImage& m) { field(m, 0, 100000); }},
        {"data offset past the file", [&](MskImage& m) { field(m, 16, 0xFFFFFF00u); }},
        {"data cut short", [](MskImage& m) { m.data.resize(m.data.size() - 1); }},
        {"8 bytes cannot inflate to 4 GB", [&](MskImage& m) { field(m, 8, 0xFFFFFFF0u); }},
        {"the block cut inside the last name", [](MskImage& m) {
             m.block.resize(m.recordOffsets[1] + 28 + 4);
             JxWriteLe32(m.block.data() + m.recordOffsets[1], 32);
         }},
        {"a block shorter than one record", [](MskImage& m) { m.block.resize(12); }},
    };
    for (const auto& [what, patch] : cases) {
        SCOPED_TRACE(what);
        MskImage image = BuildMskImage(SampleEntries(), u"app");
        patch(image);
        ExpectRefused(image);
    }
}

TEST_F(MskUnpackerTest, RefusesNamesThatLeaveTheTarget)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {  // root, name
        {u"app", u"..\\evil"}, {u"app", u"a\\..\\..\\evil"}, {u"app", u"a/../../evil"}, {u"app", u"/evil"},
        {u"app", u"\\Windows\\evil"}, {u"app", u"C:\\evil"}, {u"app", u""}, {u"..", u"a"}, {u"\\Windows", u"a"},
        {u"C:", u"a"},
    };
    for (const auto& [root, name] : cases) {
        SCOPED_TRACE(WideToUtf8(std::u16string(root) + u" " + name));
        ExpectRefused(BuildMskImage({File(name, "x")}, root));
        EXPECT_FALSE(device.HostExists("Windows") || device.HostExists("a") || device.HostExists("evil"));
    }
}

TEST(MskFormat, NoNameIsStorableOrSafe)
{
    EXPECT_TRUE(MskIsStorableName(u"a b.c-d_e\\f"));
    EXPECT_TRUE(MskIsSafeRelativePath(u"a\\b..c\\.d"));
    EXPECT_FALSE(MskIsStorableName(nullptr));
    EXPECT_FALSE(MskIsSafeRelativePath(nullptr));
}

}  // namespace

namespace {

// Text that deflate packs well but not to nothing: about 3:1.
std::string Filler(size_t size, unsigned seed)
{
    std::string text;
    text.reserve(size);
    for (unsigned x = seed; text.size() < size;) {
        x = x * 1103515245u + 12345u;
        text += "word" + std::to_string((x >> 16) % 500) + ((x >> 8) % 7 ? " " : ".\n");
    }
    text.resize(size);
    return text;
}

}  // namespace

// One damaged byte anywhere in the data refuses the package before anything is deleted:
// entries small enough are inflated whole, larger ones streamed, and both catch it.
TEST_F(MskUnpackerTest, DataCheckInflatesEveryEntryBeforeAnythingIsDeleted)
{
    const std::string big = Filler(CMskDataCheck::kWholeLimit + 300000, 7);  // streamed
    auto entryData = [](MskImage& m, size_t entry) -> BYTE* {
        return m.data.data() + (JxReadLe32(m.block.data() + m.recordOffsets[entry] + 16) - 44 - m.block.size());
    };
    auto field = [](MskImage& m, size_t entry, size_t at, DWORD value) {
        JxWriteLe32(m.block.data() + m.recordOffsets[entry] + at, value);
    };
    const struct {
        const char* what;
        std::function<void(MskImage&)> damage;  // entry 1 is small, entry 2 streamed
        const char16_t* problem;                // null: whole
    } cases[] = {
        {"sound", [](MskImage&) {}, nullptr},
        {"a flipped byte in a small entry", [&](MskImage& m) { entryData(m, 1)[20] ^= 0x10; }, u"entry 1 (a.txt)"},
        {"a flipped Adler-32 in a small entry",
         [&](MskImage& m) { entryData(m, 1)[JxReadLe32(m.block.data() + m.recordOffsets[1] + 12) - 1] ^= 1; },
         u"entry 1 (a.txt)"},
        {"a flipped byte in a streamed entry", [&](MskImage& m) { entryData(m, 2)[100000] ^= 0x04; }, u"entry 2"},
        {"a streamed entry claims one byte more", [&](MskImage& m) { field(m, 2, 8, DWORD(big.size() + 1)); },
         u"entry 2"},
        {"a streamed entry claims one byte less", [&](MskImage& m) { field(m, 2, 8, DWORD(big.size() - 1)); },
         u"entry 2"},
        {"a streamed stream cut by its size", [&](MskImage& m) { field(m, 2, 12, 70000); }, u"entry 2"},
    };
    const MskImage sound =
        BuildMskImage({Dir(u"d"), File(u"a.txt", Filler(30000, 3)), File(u"d\\big.bin", big)}, u"app", 0, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MskImage image = sound;
        c.damage(image);
        Write(image);
        CMskUnpacker unpacker;
        CString error = u"untouched";
        EXPECT_EQ(unpacker.VerifyPackage(kPackage, GetPackKey(kPassword), error), 1);  // the directory is sound
        EXPECT_EQ(unpacker.VerifyPackageData(kPackage, GetPackKey(kPassword), error), c.problem ? 0 : 1);
        if (!c.problem) {
            EXPECT_EQ(error, u"untouched");
            EXPECT_EQ(Unpack(error), 1) << WideToUtf8(error.c_str());
            EXPECT_EQ(device.ReadHostFile("Residentflash2/app/d/big.bin"), big);
            continue;
        }
        EXPECT_EQ(error, u"file_format_error");
        EXPECT_NE(unpacker.GetProblem().Find(c.problem), -1) << WideToUtf8(unpacker.GetProblem().c_str());
        EXPECT_EQ(Unpack(error), 0);  // what the check spares the unit
    }
    Write(BuildMskImage({File(u"empty", "")}, u"app"));  // an empty file is whole too
    CMskUnpacker unpacker;
    CString error;
    EXPECT_EQ(unpacker.VerifyPackageData(kPackage, GetPackKey(kPassword), error), 1) << WideToUtf8(error.c_str());
}

// A header claiming a 4 GB directory over a sparse file: the check word is compared after
// the first piece, and a sound check word over zeros stops at the first bad record; neither
// reads more than the first piece.
TEST_F(MskUnpackerTest, SparsePackageClaimingAHugeDirectoryIsRefusedAfterOnePiece)
{
    const struct {
        const char* what;
        LPCWSTR password;
        const char16_t* verifyError;
        MskLoadFailure failure;
    } cases[] = {
        {"wrong check word", u"sxq_bnf", u"crc_check_fail", MskLoadFailure::Check},
        {"right check word, zeros after the records", kPassword, u"file_format_error", MskLoadFailure::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MskImage image = BuildMskImage(SampleEntries(), u"app");
        std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(c.password));
        JxWriteLe32(bytes.data() + kMskDirEndOffset, 0xFFFFFF00u);
        device.WriteHostFile("SDMMC/p.msk", Bytes(bytes));
        device.WriteHostFileAt("SDMMC/p.msk", 0xFFFFFF00u - 1, std::string(1, '\0'));
        CString error;
        EXPECT_EQ(Verify(error), 0);
        EXPECT_EQ(error, c.verifyError);

        HANDLE h = CreateFileW(kPackage, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        BYTE* block = nullptr;
        DWORD length = 0, fileSize = 0, checkWord = 0;
        EXPECT_EQ(MskReadDirectoryBlock(h, GetPackKey(kPassword), block, length, fileSize, checkWord), c.failure);
        EXPECT_LE(length, 64u << 10);
        CString problem;
        EXPECT_FALSE(MskCheckDirectory(block, length, fileSize, problem));
        delete[] block;
        CloseHandle(h);
    }
}

// A package cut while it unpacks says where it ended, not "GetLastError is 0".
TEST_F(MskUnpackerTest, PackageCutDuringTheUnpackNamesTheEndOfFile)
{
    Write(BuildMskImage(SampleEntries(), u"app"));
    struct Cut {
        std::string path;
    } cut{device.Host("SDMMC/p.msk")};
    CMskUnpacker unpacker;
    unpacker.SetProgressCallback(
        [](void* context, DWORD, LPCWSTR, DWORD) {
            std::filesystem::resize_file(static_cast<Cut*>(context)->path, 100);
            return 1;
        },
        &cut);
    CString error;
    EXPECT_EQ(unpacker.Unpack(kPackage, u"\\Residentflash2", GetPackKey(kPassword), error), 0);
    EXPECT_EQ(error, u"ReadFile failed for \\Residentflash2\\app\\NaviMain.exe, GetLastError is 38");
}
