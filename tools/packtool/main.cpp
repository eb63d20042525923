// packtool: builds, lists, verifies and extracts .pack resource archives.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "PackBuilder.h"
#include "ToolSupport.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace fs = std::filesystem;

namespace {

const char* kProgram = "packtool";

const char* kHelp =
    "usage:\n"
    "  packtool create  [--password TEXT] OUT.pack FOLDER\n"
    "  packtool list    [--password TEXT] ARCHIVE\n"
    "  packtool verify  [--password TEXT] ARCHIVE\n"
    "  packtool extract [--password TEXT] ARCHIVE FOLDER\n"
    "\n"
    "create packs every file below FOLDER as an entry named by its path relative to FOLDER,\n"
    "in lower case with \\ separators, zlib-compressed; the password (none by default, as\n"
    "the framework's) scrambles the directory. verify inflates every entry and checks it;\n"
    "extract writes the entries below FOLDER. Exit status: 0 success, 1 failure, 2 usage.\n";

struct Options {
    std::string command;
    std::u16string password;
    bool passwordGiven = false;
    std::vector<std::string> positional;
};

// Returns an empty string on success, else what is wrong.
std::string ParseArguments(int argc, char** argv, Options& options)
{
    std::string problem = tool::ReadPackageCommand(argc, argv, options.command);
    if (!problem.empty()) return problem;
    const std::string& c = options.command;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--password") {
            if (options.passwordGiven) return "--password given twice";
            if (i + 1 >= argc) return "--password needs a value";
            options.password = Utf8ToWide(argv[++i]);
            options.passwordGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            options.positional.push_back(arg);
        }
    }
    const size_t want = (c == "create" || c == "extract") ? 2 : 1;
    if (options.positional.size() != want) {
        if (c == "create") return "create takes OUT.pack and FOLDER";
        if (c == "extract") return "extract takes ARCHIVE and FOLDER";
        return c + " takes one ARCHIVE";
    }
    return "";
}

void Fail(const std::string& path, const std::string& message)
{
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), message.c_str());
}

std::string Hex(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// An archive read whole, its directory unscrambled and checked by the framework's rules.
struct LoadedArchive {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> block;
    std::vector<const std::uint8_t*> records;
    bool hasCrc = false;
};

bool LoadArchive(const std::string& path, const std::u16string& password, LoadedArchive& archive)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail(path, "cannot open");
        return false;
    }
    archive.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const auto& b = archive.bytes;
    if (in.bad() || !tool::FitsIn32Bits(b.size())) {
        Fail(path, "cannot read, or larger than 4 GiB");
        return false;
    }
    const DWORD fileSize = static_cast<DWORD>(b.size());
    const DWORD headSize = fileSize >= kJxPackHeadSize ? JxReadLe32(b.data() + kJxPackHeadSizeOffset) : 0;
    if (!JxIsPackHeadSizeValid(headSize, fileSize)) {
        Fail(path, "not a pack archive (bad head size " + std::to_string(headSize) + ")");
        return false;
    }
    archive.block.assign(b.begin() + kJxPackHeadSize, b.begin() + headSize);
    JxScrambleWords(archive.block.data(), archive.block.size(), GetPackKey(password.c_str()));
    int count = 0;
    const DWORD checkWord = JxReadLe32(b.data() + kJxPackCheckWordOffset);
    switch (JxCheckPackDirectory(archive.block.data(), static_cast<DWORD>(archive.block.size()), checkWord, &count)) {
    case JX_PACK_DIR_OK:
        break;
    case JX_PACK_DIR_WRONG_PASSWORD:
        Fail(path, "check word mismatch (wrong password?)");
        return false;
    case JX_PACK_DIR_BAD_NAME:
        Fail(path, "the directory's name field is damaged (wrong password?)");
        return false;
    case JX_PACK_DIR_BAD_COUNT:
        Fail(path, "the entry count does not fit the directory");
        return false;
    case JX_PACK_DIR_BAD_RECORD:
        Fail(path, "entry record " + std::to_string(count) + " is damaged");
        return false;
    }
    archive.hasCrc = JxReadLe32(archive.block.data() + 8) == kJxPackToolMark;
    DWORD pos = JxPackFirstRecordOffset(archive.block.data());
    for (int i = 0; i < count; ++i) {
        archive.records.push_back(archive.block.data() + pos);
        pos += JxPackRecordSize(archive.records.back());
    }
    return true;
}

std::u16string RecordName(const std::uint8_t* record)
{
    std::u16string name;
    for (const std::uint8_t* p = JxPackRecordPath(record); JxReadLe16(p); p += 2) name += JxReadLe16(p);
    return name;
}

// Inflates one entry; on failure says why in problem.
bool InflateEntry(const LoadedArchive& archive, const std::uint8_t* record, std::string& plain, std::string& problem)
{
    const DWORD size = JxPackRecordUncompressedSize(record);
    const DWORD packed = JxPackRecordCompressedSize(record);
    const DWORD offset = JxPackRecordDataOffset(record);
    if (static_cast<std::uint64_t>(offset) + packed > archive.bytes.size()) {
        problem = "data lies past the end of the archive";
        return false;
    }
    if (!JxIsPackInflateSizePlausible(size, packed)) {
        problem = "claims an impossible size (" + std::to_string(size) + " bytes from " + std::to_string(packed) + ")";
        return false;
    }
    plain.assign(size, '\0');
    uLongf produced = size;
    // zlib wants a real buffer even for an empty result.
    Bytef empty = 0;
    Bytef* dest = size ? reinterpret_cast<Bytef*>(plain.data()) : &empty;
    int z = uncompress(dest, &produced, archive.bytes.data() + offset, packed);
    if (z != Z_OK || produced != size) {
        problem = "does not inflate to " + std::to_string(size) + " bytes";
        return false;
    }
    if (archive.hasCrc &&
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(plain.data()), size) != JxPackRecordCrc(record)) {
        problem = "CRC-32 mismatch";
        return false;
    }
    return true;
}

// What makes a name unusable for the unit's lookups, or empty when it is fine.
std::string NameProblem(const std::u16string& name, const std::u16string* previous)
{
    if (name.empty()) return "empty name";
    if (name != PackEntryName(name)) return "not in lower case with \\ separators: the unit cannot find it";
    if (name[0] == u'\\') return "starts with \\";
    if (previous && !PackNameLess(*previous, name))
        return "out of order after " + WideToUtf8(*previous) + ": the unit's binary search can miss it";
    return "";
}

// A name that cannot leave the folder it is extracted into.
bool IsSafeRelativeName(const std::u16string& name)
{
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != u'\\') continue;
        std::u16string part = name.substr(start, i - start);
        if (part.empty() || part == u"." || part == u"..") return false;
        start = i + 1;
    }
    return name.find(u'/') == std::u16string::npos;
}

int Create(const Options& options)
{
    const std::string& out = options.positional[0];
    const std::string& folder = options.positional[1];
    std::vector<PackBuildEntry> entries;
    std::string error;
    std::error_code ec;
    const std::string skip = fs::exists(out, ec) ? out : std::string();
    if (!CollectPackEntries(folder, entries, error, skip)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }
    if (entries.size() > 0x7FFFFFFF) {
        std::fprintf(stderr, "%s: too many files\n", kProgram);
        return 1;
    }
    tool::Progress progress("create");
    PackImage image = BuildPackImage(entries, Utf8ToWide(fs::path(out).filename().string()), 0, 9,
                                     [&](size_t i, size_t n, const std::u16string& name) {
                                         progress.Update(i + 1, n, WideToUtf8(name));
                                     });
    progress.Finish();
    std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(options.password.c_str()));
    if (!tool::FitsIn32Bits(bytes.size())) {
        std::fprintf(stderr, "%s: the archive would exceed 4 GiB\n", kProgram);
        return 1;
    }
    if (!tool::WriteHostFile(out, bytes.data(), bytes.size())) {
        Fail(out, "cannot write");
        return 1;
    }
    std::printf("%s: %zu entries, %zu bytes, check word %s\n", out.c_str(), entries.size(), bytes.size(),
                Hex(image.checkWord).c_str());
    return 0;
}

int List(const Options& options)
{
    LoadedArchive archive;
    if (!LoadArchive(options.positional[0], options.password, archive)) return 1;
    std::printf("%10s %10s  %s\n", "size", "packed", "entry");
    for (const std::uint8_t* record : archive.records)
        std::printf("%10u %10u  %s\n", JxPackRecordUncompressedSize(record), JxPackRecordCompressedSize(record),
                    WideToUtf8(RecordName(record)).c_str());
    return 0;
}

int Verify(const Options& options)
{
    const std::string& path = options.positional[0];
    LoadedArchive archive;
    if (!LoadArchive(path, options.password, archive)) return 1;
    tool::Progress progress("verify");
    size_t bad = 0;
    std::u16string previous;
    for (size_t i = 0; i < archive.records.size(); ++i) {
        const std::u16string name = RecordName(archive.records[i]);
        std::string problem = NameProblem(name, i ? &previous : nullptr);
        std::string plain;
        if (problem.empty()) InflateEntry(archive, archive.records[i], plain, problem);
        if (!problem.empty()) {
            Fail(path, "entry " + WideToUtf8(name) + ": " + problem);
            ++bad;
        }
        previous = name;
        progress.Update(i + 1, archive.records.size(), WideToUtf8(name));
    }
    progress.Finish();
    if (bad) {
        Fail(path, std::to_string(bad) + " of " + std::to_string(archive.records.size()) + " entries damaged");
        return 1;
    }
    std::printf("%s: OK, %zu entries inflate\n", path.c_str(), archive.records.size());
    return 0;
}

int Extract(const Options& options)
{
    const std::string& path = options.positional[0];
    const fs::path folder = options.positional[1];
    LoadedArchive archive;
    if (!LoadArchive(path, options.password, archive)) return 1;
    tool::Progress progress("extract");
    size_t bad = 0;
    for (size_t i = 0; i < archive.records.size(); ++i) {
        const std::u16string name = RecordName(archive.records[i]);
        std::string plain, problem;
        if (!IsSafeRelativeName(name))
            problem = "not a plain relative path, not extracted";
        else if (InflateEntry(archive, archive.records[i], plain, problem)) {
            std::u16string relative = name;
            for (char16_t& c : relative)
                if (c == u'\\') c = u'/';
            const fs::path target = folder / WideToUtf8(relative);
            std::error_code ec;
            fs::create_directories(target.parent_path(), ec);
            if (!tool::WriteHostFile(target, plain.data(), plain.size())) problem = "cannot write " + target.string();
        }
        if (!problem.empty()) {
            Fail(path, "entry " + WideToUtf8(name) + ": " + problem);
            ++bad;
        }
        progress.Update(i + 1, archive.records.size(), WideToUtf8(name));
    }
    progress.Finish();
    if (bad) return 1;
    std::printf("extracted %zu entries below %s\n", archive.records.size(), folder.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (tool::HelpAsked(argc, argv)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    Options options;
    std::string problem = ParseArguments(argc, argv, options);
    if (!problem.empty()) return tool::UsageError(kProgram, problem);
    if (options.command == "create") return Create(options);
    if (options.command == "list") return List(options);
    if (options.command == "verify") return Verify(options);
    return Extract(options);
}
