// skincheck: loads skin files the way the framework does and prints the framework's own
// messages for each file that does not load.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BitmapCheck.h"
#include "SkinCheck.h"
#include "ToolSupport.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

const char* kProgram = "skincheck";

const char* kHelp =
    "usage:\n"
    "  skincheck [--escape] [--password TEXT] [--res DIR] FILE|FOLDER...\n"
    "  skincheck [--password TEXT] --png OUT.png BITMAP\n"
    "  skincheck [--password TEXT] --style NAME FILE\n"
    "\n"
    "Loads each .xml file (dialogs, styles, the screen configuration) as an XML document and\n"
    "each .ini, .color and .conf file as a key=value document, as the framework does, and\n"
    "prints the framework's messages for every file that fails. A FOLDER is searched for\n"
    "such files (.inc fragments are skipped: they load through the files that include\n"
    "them); a file inside an archive is named through the archive, for example\n"
    "skin.pack\\800x480\\wnd\\CBrantelDlg.dlg.xml (or with / after .pack). --escape loads\n"
    ".ini files (languages) with escapes, as WceUiInit's flag would; --password opens\n"
    "archives scrambled with that password. For XML that does not parse, a last line\n"
    "FILE:LINE:COLUMN: first syntax error CODE (meaning) shows where the first error lies\n"
    "(in the text after #include_xml lines are replaced). Exit status: 0 all load, 1 some\n"
    "fail, 2 usage.\n"
    "\n"
    "Bitmaps: each .bmp file is loaded with the .alpha plane beside it when there is one (a\n"
    "32-bit file has per-pixel alpha when any pixel's top byte is set), each .565a.conf file\n"
    "with the files it names. --png writes the one BITMAP given as an RGBA PNG (8-bit\n"
    "channels, straight alpha) for a person to look at.\n"
    "\n"
    "Skins: a .style.xml file loads as a style file and every style in it is built in file\n"
    "order, then every transition of its animate element is created and initialised (a\n"
    "transition longer than 2 s, frame count times frame length, is a warning); the file\n"
    "fails on any error line. wceui.xml is read as the screen configuration.\n"
    "--res DIR checks a resource folder: every bitmap configuration below bitmap\\ through\n"
    "the bitmap cache, color\\wceui.color (values 0x and six hexadecimal digits) and every\n"
    "file below font\\ as a font configuration (warnings for unknown keys, values without\n"
    "digits and face names over 31 characters); style files given with it have every color,\n"
    "font and bitmap id they name resolved in DIR. --style NAME FILE prints the built style\n"
    "as key=value lines (exit status 1 when it does not build).\n";

enum class Kind { Xml, Style, Screen, Language, Conf, Bitmap };

struct Target {
    std::string shown;        // as named on the command line, or found in a folder
    std::u16string device;    // the device path the framework reads
    Kind kind;
};

struct Message {
    int level;
    std::string text;
};

void Observe(void* pContext, int nLevel, LPCWSTR pMessage, int nLength)
{
    skincheck::CountLevel(nLevel);
    static_cast<std::vector<Message>*>(pContext)->push_back({nLevel, WideToUtf8(std::u16string(pMessage, nLength))});
}

bool KindOf(const std::string& name, Kind& kind)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto endsWith = [&](const char* ext) {
        std::string e = ext;
        return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    };
    std::string base = lower.substr(lower.find_last_of("/\\") == std::string::npos ? 0 : lower.find_last_of("/\\") + 1);
    if (skincheck::IsBitmapName(lower)) kind = Kind::Bitmap;
    else if (endsWith(".style.xml")) kind = Kind::Style;
    else if (base == "wceui.xml") kind = Kind::Screen;
    else if (endsWith(".xml")) kind = Kind::Xml;
    else if (endsWith(".ini")) kind = Kind::Language;
    else if (endsWith(".color") || endsWith(".conf")) kind = Kind::Conf;
    else return false;
    return true;
}

// Returns an empty string on success, else what is wrong with the argument.
std::string Collect(const std::string& arg, std::vector<Target>& targets)
{
    std::error_code ec;
    Kind kind;
    if (fs::is_directory(arg, ec)) {
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(arg, ec), end; !ec && it != end; it.increment(ec))
            if (std::error_code entry; it->is_regular_file(entry) && KindOf(it->path().filename().string(), kind)) files.push_back(it->path());
        if (ec) return "cannot read the folder " + arg;
        if (files.empty()) return "no .xml, .ini, .color or .conf file in " + arg;
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            KindOf(file.filename().string(), kind);
            targets.push_back({file.string(), tool::HostToDevicePath(file.string()), kind});
        }
        return "";
    }
    if (fs::is_regular_file(arg, ec)) {
        if (!KindOf(arg, kind)) return arg + " is not an .xml, .ini, .color or .conf file";
        targets.push_back({arg, tool::HostToDevicePath(arg), kind});
        return "";
    }
    // An entry of an archive: the archive is a host file, the rest a path inside it.
    for (size_t at = arg.find(".pack"); at != std::string::npos; at = arg.find(".pack", at + 1)) {
        size_t split = at + 5;
        if (split >= arg.size() || (arg[split] != '\\' && arg[split] != '/')) continue;
        std::string archive = arg.substr(0, split);
        if (!fs::is_regular_file(archive, ec)) return "cannot find the archive " + archive;
        std::string inner = arg.substr(split + 1);
        if (inner.empty() || !KindOf(inner, kind)) return arg + " is not an .xml, .ini, .color or .conf file";
        std::u16string device = tool::HostToDevicePath(archive) + u"\\" + Utf8ToWide(inner);
        for (auto& c : device)
            if (c == u'/') c = u'\\';
        targets.push_back({arg, device, kind});
        return "";
    }
    return "cannot find " + arg;
}

// --png: where the loaded bitmap goes; empty for none.
std::string g_pngPath;

bool LoadBitmap(const Target& target)
{
    std::unique_ptr<CWceUiGenericBitmap> bitmap(skincheck::LoadBitmapFile(target.device));
    if (!bitmap || g_pngPath.empty()) return nullptr != bitmap;
    std::string error;
    if (skincheck::WriteBitmapPng(*bitmap, g_pngPath, error)) return true;
    std::fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, g_pngPath.c_str(), error.c_str());
    return false;
}

// --res: the resource folder in use; empty for none.
std::string g_resFolder;

// syntaxPlace receives "LINE:COLUMN: first syntax error CODE (meaning)" for XML that does not parse.
// notes receives findings of the checks themselves (warnings), printed whether or not the file loads.
bool Load(const Target& target, bool escapeLanguage, std::string& syntaxPlace, skincheck::Notes& notes)
{
    if (Kind::Bitmap == target.kind) return LoadBitmap(target);
    if (Kind::Style == target.kind) return skincheck::CheckStyleFile(target.device, !g_resFolder.empty(), notes);
    if (Kind::Screen == target.kind) return skincheck::CheckScreenConf(target.device);
    if (Kind::Xml == target.kind) {
        CWceUiXmlDoc doc;
        if (doc.LoadXmlFile(target.device.c_str(), FALSE)) return true;
        int line = 0, column = 0;
        LPCWSTR code = nullptr, meaning = nullptr;
        if (doc.GetFirstSyntaxError(&line, &column, &code, &meaning))
            syntaxPlace = std::to_string(line) + ":" + std::to_string(column) + ": first syntax error " +
                          WideToUtf8(std::u16string(code, 3)) + " (" + WideToUtf8(meaning) + ")";
        return false;
    }
    // Bitmap, color and font configurations hold paths with backslashes: never escaped.
    return WceUiCheckConfFile(target.device.c_str(), Kind::Language == target.kind && escapeLanguage);
}

const char* LevelName(int level)
{
    switch (level) {
    case WCEUI_LOG_INFO: return "info";
    case WCEUI_LOG_WARNING: return "warning";
    default: return "error";
    }
}

// --style: prints the style, or the framework's messages when it does not build.
int PrintStyle(const std::string& name, const std::string& file, const std::u16string* password)
{
    std::vector<Target> targets;
    std::string problem = Collect(file, targets);
    if (!problem.empty()) return tool::UsageError(kProgram, problem);
    if (1 != targets.size() || Kind::Style != targets[0].kind)
        return tool::UsageError(kProgram, "--style needs one .style.xml file");
    tool::UseHostFileSystem();
    WceUiCloseLogFile();
    if (password) WceUiSetPackPassword(password->c_str());
    std::vector<Message> messages;
    WceUiSetLogObserver(&Observe, &messages);
    std::string out;
    bool built = skincheck::PrintStyle(targets[0].device, Utf8ToWide(name), out);
    WceUiSetLogObserver(nullptr, nullptr);
    if (built) {
        std::fputs(out.c_str(), stdout);
        return 0;
    }
    for (const Message& m : messages) std::printf("%s: %s: %s\n", file.c_str(), LevelName(m.level), m.text.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    bool escapeLanguage = false;
    bool passwordGiven = false;
    std::u16string password;
    std::vector<std::string> paths;
    std::string styleName, styleFile;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--escape") {
            escapeLanguage = true;
        } else if (arg == "--password") {
            if (passwordGiven) return tool::UsageError(kProgram, "--password given twice");
            if (i + 1 >= argc) return tool::UsageError(kProgram, "--password needs a value");
            password = Utf8ToWide(argv[++i]);
            passwordGiven = true;
        } else if (arg == "--res") {
            if (i + 1 >= argc) return tool::UsageError(kProgram, "--res needs a folder");
            g_resFolder = argv[++i];
        } else if (arg == "--style") {
            if (i + 2 >= argc) return tool::UsageError(kProgram, "--style needs a style name and a file");
            styleName = argv[++i];
            styleFile = argv[++i];
        } else if (arg == "--png") {
            if (i + 1 >= argc) return tool::UsageError(kProgram, "--png needs a file name");
            g_pngPath = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return tool::UsageError(kProgram, "unknown option '" + arg + "'");
        } else {
            paths.push_back(arg);
        }
    }
    if (!styleFile.empty()) {
        if (!paths.empty() || !g_pngPath.empty() || !g_resFolder.empty())
            return tool::UsageError(kProgram, "--style takes one style name and one file, and nothing else");
        return PrintStyle(styleName, styleFile, passwordGiven ? &password : nullptr);
    }
    std::error_code resError;
    if (!g_resFolder.empty() && !fs::is_directory(g_resFolder, resError))
        return tool::UsageError(kProgram, "--res: cannot find the folder " + g_resFolder);
    if (paths.empty() && g_resFolder.empty()) return tool::UsageError(kProgram, "name at least one file or folder");

    std::vector<Target> targets;
    for (const std::string& path : paths) {
        std::string problem = Collect(path, targets);
        if (!problem.empty()) return tool::UsageError(kProgram, problem);
    }
    if (!g_pngPath.empty() && (1 != targets.size() || Kind::Bitmap != targets[0].kind))
        return tool::UsageError(kProgram, "--png takes exactly one .bmp or .565a.conf file");

    tool::UseHostFileSystem();
    // The messages come through the observer; no log file is written anywhere.
    WceUiCloseLogFile();
    if (passwordGiven) WceUiSetPackPassword(password.c_str());

    std::vector<Message> messages;
    WceUiSetLogObserver(&Observe, &messages);
    int failed = 0;
    size_t checked = targets.size();
    if (!g_resFolder.empty()) {
        ++checked;
        skincheck::UseResFolder(fs::absolute(g_resFolder).string());
        skincheck::Notes notes;
        if (!skincheck::CheckResFolder(fs::absolute(g_resFolder).string(), notes)) ++failed;
        for (const Message& m : messages)
            std::printf("%s: %s: %s\n", g_resFolder.c_str(), LevelName(m.level), m.text.c_str());
        for (const skincheck::Note& n : notes)
            std::printf("%s: %s: %s\n", g_resFolder.c_str(), LevelName(n.level), n.text.c_str());
    }
    for (const Target& target : targets) {
        messages.clear();
        std::string syntaxPlace;
        skincheck::Notes notes;
        const bool loaded = Load(target, escapeLanguage, syntaxPlace, notes);
        auto printNotes = [&] {
            for (const skincheck::Note& n : notes)
                std::printf("%s: %s: %s\n", target.shown.c_str(), LevelName(n.level), n.text.c_str());
        };
        if (loaded) {
            printNotes();
            continue;
        }
        ++failed;
        if (messages.empty())
            std::printf("%s: error: does not load (the framework's message was too long for its log)\n",
                        target.shown.c_str());
        for (const Message& m : messages)
            std::printf("%s: %s: %s\n", target.shown.c_str(), LevelName(m.level), m.text.c_str());
        if (!syntaxPlace.empty()) std::printf("%s:%s\n", target.shown.c_str(), syntaxPlace.c_str());
        printNotes();
    }
    WceUiSetLogObserver(nullptr, nullptr);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %d of %zu files failed\n", kProgram, failed, checked);
    return failed > 0 ? 1 : 0;
}
