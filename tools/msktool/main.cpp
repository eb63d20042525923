// msktool: builds, lists, verifies and extracts MSK update packages.
#include <algorithm>
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
#include "MskSigner.h"
#include "BuildSupport.h"
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
    "  msktool verify  [--deep] [--public-key FILE] [--password TEXT | --variant generic|kpt] PACKAGE\n"
    "  msktool extract [--password TEXT | --variant generic|kpt] PACKAGE FOLDER\n"
    "  msktool keygen  PUBLIC SECRET\n"
    "  msktool sign    --secret-key FILE PACKAGE\n"
    "\n"
    "The password scrambles the package directory; --variant picks the password of a unit\n"
    "variant (generic by default). create packs FOLDER's tree below the root name (\"app\" by\n"
    "default) and refuses a tree without files or with names the unit cannot write (< > : \" | ? *,\n"
    "control characters, paths over 259 units below \\Residentflash2); extract writes\n"
    "FOLDER/<root name>/...; verify --deep inflates every file. A refused package is\n"
    "reported as \"msktool: PACKAGE: KEY: reason\", KEY being the unit's error key.\n"
    "\n"
    "Signatures are minisign's: keygen writes a key pair (the secret key without a password,\n"
    "for a build machine that signs unattended: keep it there, readable by its owner only);\n"
    "sign writes PACKAGE.minisig with a trusted comment naming the package and the time;\n"
    "verify --public-key checks PACKAGE.minisig against the keys in FILE (a unit's update.pub)\n"
    "before the package itself. minisign -S / -V read and write the same files.\n"
    "Exit status: 0 success, 1 failure, 2 wrong command line.\n";

struct Options {
    std::string command;
    std::u16string password = brantel::kGenericPassword;
    bool passwordGiven = false;
    std::u16string root = u"app";
    std::uint32_t check = 0;
    bool deep = false;
    std::string publicKey;
    std::string secretKey;
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
        } else if (arg == "--public-key" && c == "verify") {
            if (!value(options.publicKey) || options.publicKey.empty()) return "--public-key needs a file";
        } else if (arg == "--secret-key" && c == "sign") {
            if (!value(options.secretKey) || options.secretKey.empty()) return "--secret-key needs a file";
        } else if (arg == "--deep" && c == "verify") {
            options.deep = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            options.positional.push_back(arg);
        }
    }
    if ((c == "keygen" || c == "sign") && options.passwordGiven) return c + " takes no password";
    if (c == "sign" && options.secretKey.empty()) return "sign needs --secret-key FILE";
    size_t want = (c == "create" || c == "extract" || c == "keygen") ? 2 : 1;
    if (options.positional.size() != want)
        return c + " takes " + std::to_string(want) + (want == 1 ? " path" : " paths");
    return "";
}

// A package read whole through its host path, its directory unscrambled and judged as the
// unit's VerifyPackage judges it.
struct LoadedPackage {
    std::string bytes;
    std::vector<std::uint8_t> block;
    std::u16string root;
};

bool LoadPackage(const std::string& path, const std::u16string& password, LoadedPackage& package)
{
    if (!tool::ReadHostFile(path, package.bytes)) {
        std::fprintf(stderr, "%s: cannot read %s\n", kProgram, path.c_str());
        return false;
    }
    const auto* b = reinterpret_cast<const std::uint8_t*>(package.bytes.data());
    const std::size_t size = package.bytes.size();
    auto refuse = [&](const char* key, const std::string& reason) {
        std::fprintf(stderr, "%s: %s: %s: %s\n", kProgram, path.c_str(), key, reason.c_str());
        return false;
    };
    if (size < 2 || JxReadLe16(b) != kMskMagic) return refuse("invalid_msk_file", "not an MSK package");
    if (!tool::FitsIn32Bits(size)) return refuse("file_format_error", "the file is larger than 4 GiB");
    std::uint32_t dirEnd = size >= kMskHeaderSize ? JxReadLe32(b + kMskDirEndOffset) : 0;
    if (dirEnd < kMskHeaderSize + kMskBlockFixedSize || dirEnd > size)
        return refuse("file_format_error", "the directory does not fit the file");
    package.block.assign(b + kMskHeaderSize, b + dirEnd);
    JxScrambleWords(package.block.data(), package.block.size(), GetPackKey(password.c_str()));
    CString problem;
    CString key = MskJudgeDirectory(package.block.data(), static_cast<DWORD>(package.block.size()),
                                    JxReadLe32(b + kMskDirEndOffset + 8), static_cast<DWORD>(size), problem);
    if (!key.IsEmpty()) return refuse(WideToUtf8(key.c_str()).c_str(), WideToUtf8(problem.c_str()));
    CString root;
    MskReadRootName(package.block.data(), static_cast<DWORD>(package.block.size()), root);
    package.root = root.c_str();
    return true;
}

// The names of entries in a package built of nothing but them, so that the unit's own rules
// judge them before anything is compressed.
bool CheckDeviceNames(const std::vector<MskBuildEntry>& entries, const std::u16string& root, std::string& problem)
{
    std::vector<MskBuildEntry> names;
    names.reserve(entries.size());
    for (const MskBuildEntry& entry : entries) names.push_back({entry.type, entry.name, {}});
    MskImage image = BuildMskImage(names, root, 1, 0);
    CString why;
    DWORD length = static_cast<DWORD>(image.block.size());
    if (MskCheckDirectory(image.block.data(), length, 0xFFFFFFFFu, why) &&
        MskCheckTargets(image.block.data(), length, kMskDeviceTarget, why))
        return true;
    problem = WideToUtf8(why.c_str());
    return false;
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
    if (!CheckDeviceNames(entries, options.root, error)) {
        std::fprintf(stderr, "%s: %s cannot be unpacked on the unit: %s\n", kProgram,
                     options.positional[1].c_str(), error.c_str());
        return 1;
    }
    tool::Progress progress("create");
    MskImage image = BuildMskImage(entries, options.root, options.check, 9,
                                   [&](size_t i, size_t n, const std::u16string& name) {
                                       progress.Update(i + 1, n, WideToUtf8(name));
                                   });
    std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(options.password.c_str()));
    if (!tool::FitsIn32Bits(bytes.size())) {
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

// A file entry's data inflated; false unless it is exactly the stated size.
bool Inflate(const LoadedPackage& package, const CMskEntryView& e, std::string& plain)
{
    plain.resize(e.GetUncompressedSize() ? e.GetUncompressedSize() : 1);
    uLongf produced = e.GetUncompressedSize();
    const auto* data = reinterpret_cast<const Bytef*>(package.bytes.data()) + e.GetDataOffset();
    int z = uncompress(reinterpret_cast<Bytef*>(plain.data()), &produced, data, e.GetCompressedSize());
    plain.resize(produced);
    return z == Z_OK && produced == e.GetUncompressedSize();
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

int Keygen(const Options& options)
{
    std::string problem;
    if (!MakeSigningKeys(options.positional[0], options.positional[1], problem)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
        return 1;
    }
    std::printf("public key %s, secret key %s (no password: keep it on the build machine)\n",
                options.positional[0].c_str(), options.positional[1].c_str());
    return 0;
}

int Sign(const Options& options)
{
    std::string problem;
    if (!SignPackage(options.secretKey, options.positional[0], problem)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, problem.c_str());
        return 1;
    }
    std::printf("%s.minisig written\n", options.positional[0].c_str());
    return 0;
}

int Verify(const Options& options)
{
    const std::string& path = options.positional[0];
    if (!options.publicKey.empty()) {
        std::string comment, problem;
        if (!VerifyPackageSignature(options.publicKey, path, comment, problem)) {
            std::fprintf(stderr, "%s: %s: signature_error: %s\n", kProgram, path.c_str(), problem.c_str());
            return 1;
        }
        std::printf("%s: signature OK, trusted comment: %s\n", path.c_str(), comment.c_str());
    }
    LoadedPackage package;
    if (!LoadPackage(path, options.password, package)) return 1;
    if (!options.deep) {
        std::printf("%s: OK\n", path.c_str());
        return 0;
    }
    std::vector<const std::uint8_t*> files;
    MskForEachEntry(package.block.data(), static_cast<DWORD>(package.block.size()), [&](const CMskEntryView& e) {
        if (e.GetType() == kMskTypeFile) files.push_back(e.GetRecord());
    });
    tool::Progress progress("verify");
    std::string plain;
    int bad = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        CMskEntryView e(files[i]);
        std::string name = WideToUtf8(e.GetName().c_str());
        if (!Inflate(package, e, plain)) {
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

// Writes the tree below FOLDER/<root> on the host: directories first, then files, in
// directory order, as the unit unpacks. Parents of files must come from directory entries.
int Extract(const Options& options)
{
    const std::string& path = options.positional[0];
    LoadedPackage package;
    if (!LoadPackage(path, options.password, package)) return 1;
    namespace fs = std::filesystem;
    const fs::path top = fs::path(options.positional[1]) / fs::path(WideToUtf8(package.root));
    auto hostPath = [&](const CMskEntryView& e) {
        std::string name = WideToUtf8(e.GetName().c_str());
        std::replace(name.begin(), name.end(), '\\', '/');
        return top / name;
    };
    std::error_code ec;
    fs::create_directories(top, ec);
    if (!fs::is_directory(top, ec)) {
        std::fprintf(stderr, "%s: cannot create %s\n", kProgram, top.string().c_str());
        return 1;
    }
    std::vector<const std::uint8_t*> dirs, files;
    DWORD count = MskForEachEntry(package.block.data(), static_cast<DWORD>(package.block.size()),
                                  [&](const CMskEntryView& e) {
                                      if (e.GetType() == kMskTypeDirectory) dirs.push_back(e.GetRecord());
                                      if (e.GetType() == kMskTypeFile) files.push_back(e.GetRecord());
                                  });
    tool::Progress progress("extract");
    size_t done = 0;
    for (const std::uint8_t* record : dirs) {
        CMskEntryView e(record);
        fs::path target = hostPath(e);
        fs::create_directories(target, ec);
        if (!fs::is_directory(target, ec)) {
            std::fprintf(stderr, "%s: cannot create %s\n", kProgram, target.string().c_str());
            return 1;
        }
        progress.Update(++done, count, WideToUtf8(e.GetName().c_str()));
    }
    std::string plain;
    for (const std::uint8_t* record : files) {
        CMskEntryView e(record);
        fs::path target = hostPath(e);
        if (!Inflate(package, e, plain)) {
            std::fprintf(stderr, "%s: %s: entry %s does not inflate to %u bytes\n", kProgram, path.c_str(),
                         WideToUtf8(e.GetName().c_str()).c_str(), e.GetUncompressedSize());
            return 1;
        }
        if (!tool::WriteHostFile(target, plain.data(), plain.size())) {
            std::fprintf(stderr, "%s: cannot write %s\n", kProgram, target.string().c_str());
            return 1;
        }
        progress.Update(++done, count, WideToUtf8(e.GetName().c_str()));
    }
    std::printf("extracted %u entries below %s\n", static_cast<unsigned>(count), top.string().c_str());
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
    if (options.command == "keygen") return Keygen(options);
    if (options.command == "sign") return Sign(options);
    return Extract(options);
}
