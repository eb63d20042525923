// msktool: builds, lists, verifies and extracts MSK update packages.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "MskBuilder.h"
#include "MskFormat.h"
#include "MskUnpacker.h"
#include "ToolSupport.h"
#include "UpdateSystem.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace {

const char* kProgram = "msktool";

const char* kHelp =
    "usage:\n"
    "  msktool create [--password TEXT | --variant generic|kpt] [--root NAME] [--check HEX] OUT.msk FOLDER\n"
    "  msktool list    [--password TEXT | --variant generic|kpt] PACKAGE\n"
    "  msktool verify  [--deep] [--password TEXT | --variant generic|kpt] PACKAGE\n"
    "  msktool extract [--password TEXT | --variant generic|kpt] PACKAGE FOLDER\n"
    "\n"
    "The password scrambles the package directory; --variant picks the password of a unit\n"
    "variant (generic by default). create packs FOLDER's tree below the root name (\"app\" by\n"
    "default); extract writes FOLDER/<root name>/...; verify --deep inflates every file.\n";

struct Options {
    std::string command;
    std::u16string password = brantel::kGenericPassword;
    bool passwordGiven = false;
    std::u16string root = u"app";
    std::uint32_t check = 0;
    bool deep = false;
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
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--password" || arg == "--variant") {
            if (options.passwordGiven) return "give one of --password and --variant, once";
            if (!value(text)) return arg + " needs a value";
            options.passwordGiven = true;
            if (arg == "--password")
                options.password = Utf8ToWide(text);
            else if (text == "generic")
                options.password = brantel::kGenericPassword;
            else if (text == "kpt")
                options.password = brantel::kKptPassword;
            else
                return "unknown variant '" + text + "' (generic or kpt)";
        } else if (arg == "--root" && c == "create") {
            if (!value(text) || text.empty()) return "--root needs a name";
            options.root = Utf8ToWide(text);
            if (!MskIsSafeRelativePath(options.root.c_str()) || options.root.size() > kMskMaxPath - 1)
                return "the root name must be a relative name without '..'";
        } else if (arg == "--check" && c == "create") {
            char* end = nullptr;
            if (!value(text)) return "--check needs a hexadecimal value";
            unsigned long v = std::strtoul(text.c_str(), &end, 16);
            if (text.empty() || *end || v > 0xFFFFFFFFul) return "--check needs a hexadecimal value";
            options.check = static_cast<std::uint32_t>(v);
        } else if (arg == "--deep" && c == "verify") {
            options.deep = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            options.positional.push_back(arg);
        }
    }
    size_t want = (c == "create" || c == "extract") ? 2 : 1;
    if (options.positional.size() != want)
        return c + " takes " + std::to_string(want) + (want == 1 ? " path" : " paths");
    return "";
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A package read whole into memory, its directory unscrambled and checked.
struct LoadedPackage {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> block;
    std::u16string root;
};

bool LoadPackage(const std::string& path, const std::u16string& password, LoadedPackage& package)
{
    if (!ReadWholeFile(path, package.bytes)) {
        std::fprintf(stderr, "%s: cannot read %s\n", kProgram, path.c_str());
        return false;
    }
    const auto& b = package.bytes;
    if (b.size() < kMskHeaderSize || JxReadLe16(b.data()) != kMskMagic) {
        std::fprintf(stderr, "%s: %s is not an MSK package\n", kProgram, path.c_str());
        return false;
    }
    std::uint32_t dirEnd = JxReadLe32(b.data() + kMskDirEndOffset);
    if (dirEnd < kMskHeaderSize + kMskBlockFixedSize || dirEnd > b.size()) {
        std::fprintf(stderr, "%s: %s: the directory does not fit the file\n", kProgram, path.c_str());
        return false;
    }
    package.block.assign(b.begin() + kMskHeaderSize, b.begin() + dirEnd);
    JxScrambleWords(package.block.data(), package.block.size(), GetPackKey(password.c_str()));
    if (JxReadLe32(package.block.data()) != JxReadLe32(b.data() + kMskDirEndOffset + 8)) {
        std::fprintf(stderr, "%s: %s: check word mismatch (wrong password?)\n", kProgram, path.c_str());
        return false;
    }
    CString problem;
    if (!MskCheckDirectory(package.block.data(), static_cast<DWORD>(package.block.size()),
                           static_cast<DWORD>(b.size()), problem)) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), WideToUtf8(problem.c_str()).c_str());
        return false;
    }
    CString root;
    MskReadRootName(package.block.data(), static_cast<DWORD>(package.block.size()), root);
    package.root = root.c_str();
    return true;
}

int Create(const Options& options)
{
    const std::string& out = options.positional[0];
    std::vector<MskBuildEntry> entries;
    std::string error;
    if (!CollectMskEntries(options.positional[1], entries, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }
    tool::Progress progress("create");
    MskImage image = BuildMskImage(entries, options.root, options.check, 9,
                                   [&](size_t i, size_t n, const std::u16string& name) {
                                       progress.Update(i + 1, n, WideToUtf8(name));
                                   });
    std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(options.password.c_str()));
    if (bytes.size() > 0xFFFFFFFFull) {
        std::fprintf(stderr, "%s: the package would exceed 4 GiB\n", kProgram);
        return 1;
    }
    if (!tool::WriteHostFile(out, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram, out.c_str());
        return 1;
    }
    std::printf("%s: %zu entries, %zu bytes, check word %08X\n", out.c_str(), entries.size(), bytes.size(),
                image.checkWord);
    return 0;
}

int List(const Options& options)
{
    LoadedPackage package;
    if (!LoadPackage(options.positional[0], options.password, package)) return 1;
    std::printf("root %s\n", WideToUtf8(package.root).c_str());
    MskForEachEntry(package.block.data(), static_cast<DWORD>(package.block.size()), [](const CMskEntryView& e) {
        std::string name = WideToUtf8(e.GetName().c_str());
        if (e.GetType() == kMskTypeDirectory)
            std::printf("dir  %10s %10s  %s\n", "", "", name.c_str());
        else if (e.GetType() == kMskTypeFile)
            std::printf("file %10u %10u  %s\n", e.GetUncompressedSize(), e.GetCompressedSize(), name.c_str());
        else
            std::printf("type%-2u %19s  %s (skipped)\n", e.GetType(), "", name.c_str());
    });
    return 0;
}

int Verify(const Options& options)
{
    // The shallow check is the unit's own, so it answers exactly as an update would.
    const std::string& path = options.positional[0];
    CMskUnpacker unpacker;
    CString error;
    if (!unpacker.VerifyPackage(tool::HostToDevicePath(path).c_str(), GetPackKey(options.password.c_str()), error)) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, path.c_str(), WideToUtf8(error.c_str()).c_str());
        return 1;
    }
    if (!options.deep) {
        std::printf("%s: OK\n", path.c_str());
        return 0;
    }
    LoadedPackage package;
    if (!LoadPackage(path, options.password, package)) return 1;
    std::vector<const std::uint8_t*> files;
    MskForEachEntry(package.block.data(), static_cast<DWORD>(package.block.size()), [&](const CMskEntryView& e) {
        if (e.GetType() == kMskTypeFile) files.push_back(e.GetRecord());
    });
    tool::Progress progress("verify");
    int bad = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        CMskEntryView e(files[i]);
        std::string name = WideToUtf8(e.GetName().c_str());
        std::vector<std::uint8_t> plain(e.GetUncompressedSize() ? e.GetUncompressedSize() : 1);
        uLongf produced = e.GetUncompressedSize();
        int z = uncompress(plain.data(), &produced, package.bytes.data() + e.GetDataOffset(), e.GetCompressedSize());
        if (z != Z_OK || produced != e.GetUncompressedSize()) {
            std::fprintf(stderr, "%s: %s: entry %s does not inflate to %u bytes\n", kProgram, path.c_str(),
                         name.c_str(), e.GetUncompressedSize());
            ++bad;
        }
        progress.Update(i + 1, files.size(), name);
    }
    if (bad) return 1;
    std::printf("%s: OK, %zu files inflate\n", path.c_str(), files.size());
    return 0;
}

int ReportUnpack(void* context, DWORD index, LPCWSTR name, DWORD count)
{
    static_cast<tool::Progress*>(context)->Update(index + 1, count, WideToUtf8(name));
    return 1;
}

int Extract(const Options& options)
{
    const std::string& folder = options.positional[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    tool::Progress progress("extract");
    CMskUnpacker unpacker;
    unpacker.m_pfnProgress = &ReportUnpack;
    unpacker.m_pProgressContext = &progress;
    CString error;
    if (!unpacker.Unpack(tool::HostToDevicePath(options.positional[0]).c_str(),
                         tool::HostToDevicePath(folder).c_str(), GetPackKey(options.password.c_str()), error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, WideToUtf8(error.c_str()).c_str());
        return 1;
    }
    std::printf("extracted %zu entries below %s/%s\n", unpacker.m_entries.size(), folder.c_str(),
                WideToUtf8(unpacker.m_strRootName.c_str()).c_str());
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
    tool::UseHostFileSystem();
    if (options.command == "create") return Create(options);
    if (options.command == "list") return List(options);
    if (options.command == "verify") return Verify(options);
    return Extract(options);
}
