// skintext: turns skin sources written as UTF-8 text into the UTF-16 files the framework
// reads (byte-order mark FF FE, UTF-16LE, CR LF line ends).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ToolSupport.h"

namespace fs = std::filesystem;

namespace {

const char* kProgram = "skintext";

const char* kHelp =
    "usage:\n"
    "  skintext IN OUT            convert one UTF-8 text file\n"
    "  skintext IN-FOLDER OUT-FOLDER\n"
    "\n"
    "Writes UTF-16LE with the byte-order mark FF FE and CR LF line ends (LF, CR LF and a\n"
    "lone CR all become CR LF); a UTF-8 byte-order mark on input is dropped. In folder mode\n"
    "every .xml, .inc (fragments pulled in by #include_xml), .ini, .color and .conf file\n"
    "below IN-FOLDER is converted and every other file (bitmaps, alpha planes) copied as it\n"
    "is, into the same place below OUT-FOLDER.\n"
    "Invalid UTF-8 or a NUL character fails the file. Exit status: 0 success, 1 failure,\n"
    "2 usage.\n";

bool ReadBytes(const fs::path& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

void PutUnit(std::string& out, char32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) to UTF-16LE with
// the mark and CR LF line ends. On failure, problem says what and on which line.
bool ConvertText(const std::string& in, std::string& out, std::string& problem)
{
    out.assign("\xFF\xFE");
    size_t i = 0;
    if (in.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    int line = 1;
    while (i < in.size()) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        if (c == '\r' || c == '\n') {
            i += (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ? 2 : 1;
            PutUnit(out, u'\r');
            PutUnit(out, u'\n');
            ++line;
            continue;
        }
        char32_t cp;
        size_t length;
        char32_t min;
        if (c < 0x80) {
            cp = c, length = 1, min = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F, length = 2, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F, length = 3, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07, length = 4, min = 0x10000;
        } else {
            problem = "invalid UTF-8 on line " + std::to_string(line);
            return false;
        }
        if (i + length > in.size()) {
            problem = "invalid UTF-8 on line " + std::to_string(line);
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80) {
                problem = "invalid UTF-8 on line " + std::to_string(line);
                return false;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            problem = "invalid UTF-8 on line " + std::to_string(line);
            return false;
        }
        if (cp == 0) {
            // The readers stop at the first NUL: the rest of the file would vanish.
            problem = "a NUL character on line " + std::to_string(line);
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            PutUnit(out, 0xD800 + (cp >> 10));
            PutUnit(out, 0xDC00 + (cp & 0x3FF));
        } else {
            PutUnit(out, cp);
        }
        i += length;
    }
    return true;
}

bool IsTextFile(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Included fragments are read as UTF-16 with the mark like the files that include them.
    return ext == ".xml" || ext == ".inc" || ext == ".ini" || ext == ".color" || ext == ".conf";
}

bool ConvertFile(const fs::path& in, const fs::path& out)
{
    std::string text;
    std::string converted;
    std::string problem;
    if (!ReadBytes(in, text)) {
        std::fprintf(stderr, "%s: cannot read %s\n", kProgram, in.string().c_str());
        return false;
    }
    if (!ConvertText(text, converted, problem)) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, in.string().c_str(), problem.c_str());
        return false;
    }
    if (!WriteBytes(out, converted)) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram, out.string().c_str());
        return false;
    }
    return true;
}

bool ConvertFolder(const fs::path& in, const fs::path& out)
{
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(in, ec), end; !ec && it != end; it.increment(ec))
        if (std::error_code kind; it->is_regular_file(kind)) files.push_back(it->path());  // a broken link is passed over
    if (ec) {
        std::fprintf(stderr, "%s: cannot read the folder %s\n", kProgram, in.string().c_str());
        return false;
    }
    std::sort(files.begin(), files.end());
    bool ok = true;
    for (const fs::path& file : files) {
        fs::path target = out / fs::relative(file, in, ec);
        fs::create_directories(target.parent_path(), ec);
        if (IsTextFile(file)) {
            ok = ConvertFile(file, target) && ok;
        } else if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec)) {
            std::fprintf(stderr, "%s: cannot copy %s\n", kProgram, file.string().c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    for (const std::string& arg : args)
        if (arg.size() > 1 && arg[0] == '-') return tool::UsageError(kProgram, "unknown option '" + arg + "'");
    if (args.size() != 2) return tool::UsageError(kProgram, "give an input and an output");

    const fs::path in = args[0];
    const fs::path out = args[1];
    std::error_code ec;
    if (fs::is_directory(in, ec)) {
        if (fs::exists(out, ec) && !fs::is_directory(out, ec))
            return tool::UsageError(kProgram, out.string() + " is not a folder");
        fs::create_directories(out, ec);
        return ConvertFolder(in, out) ? 0 : 1;
    }
    if (!fs::is_regular_file(in, ec)) return tool::UsageError(kProgram, "cannot find " + in.string());
    if (fs::is_directory(out, ec)) return tool::UsageError(kProgram, out.string() + " is a folder");
    return ConvertFile(in, out) ? 0 : 1;
}
