// skinview: renders one dialog of a skin to a PNG the way the framework paints it, and
// lists a skin's dialogs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <list>
#include <set>
#include <string>
#include <vector>

#include "BitmapPng.h"
#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "Live.h"
#include "ToolSupport.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiInit.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiObject.h"
#include "WceUiOffscreenWnd.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

const char* kProgram = "skinview";

const char* kHelp =
    "usage:\n"
    "  skinview render [--size 800x480|480x272] [--bpp 16|32] [--password T] [--lang FILE]\n"
    "                  [--over BASE] [--backdrop RRGGBB] [--dirty X,Y,W,H] [--report]\n"
    "                  [--hit X,Y]... [--tree] [--strict] [--sample-items N] SKIN DIALOG OUT.png\n"
    "  skinview list [--password T] SKIN\n"
    "  skinview live [--size 800x480|480x272] [--bpp 16|32] [--password T] [--lang FILE]\n"
    "                [--display sdl|headless] [--screen WxH] [--script FILE] [--frames DIR]\n"
    "                [--trace FILE] [--then DIALOG]... [--transition SPEC] [--sample-items N]\n"
    "                SKIN DIALOG\n"
    "\n"
    "SKIN is a skin folder or .pack archive holding the screen sets \"800x480\" and \"480X272\",\n"
    "each with wnd\\, res\\ and language\\. render fixes the screen (default 800x480, 16 bits),\n"
    "starts the framework with the set's folders and the language FILE (a path inside the set,\n"
    "default language\\english.ini), creates DIALOG (a path below wnd\\ without .dlg.xml) and\n"
    "shows it; with --over, BASE is created first and DIALOG runs on top of it, BASE disabled.\n"
    "The window has the lowest dialog's windowrect size (else the screen's). Its bitmap is\n"
    "filled with the backdrop (default FF00FF) and painted whole; --dirty then repaints that\n"
    "one rectangle, as a real window would after an invalidation. OUT.png is the bitmap.\n"
    "\n"
    "  --report    the layers of the last paint: name, class, painted rectangle (L,T,R,B)\n"
    "  --hit X,Y   the layer a pen at X,Y reaches (or none); may be repeated\n"
    "  --tree      every layer: name, class, id, window rectangle and its set flags\n"
    "  --strict    unknown layer types fail as in the framework, and any logged error makes\n"
    "              the exit status 1 (the PNG is written all the same)\n"
    "  --sample-items N  fills each empty list box with N items (\"Item 1\", ...), 0..100000\n"
    "\n"
    "A dialog class the framework does not know is built as CWceUiDlg; an unknown layer type\n"
    "as CWceUiLayer, with a note. Notes and the framework's log lines go to standard error.\n"
    "list prints SET<TAB>DIALOG for every dialog file of the skin.\n"
    "\n"
    "live runs DIALOG modally in a full-screen window on the display (its \"in\" and \"out\"\n"
    "transitions play). RETURN opens the next --then dialog on top, ESCAPE ends the top one,\n"
    "closing the window ends all; ending the first ends the tool. --transition\n"
    "KIND[:DIRECTION[:FRAMES[:MS]]] (barn, blend, slider, come, go, random) replaces every\n"
    "\"in\" and \"out\". Every 500 ms and on F5 the skin's files are compared with the last\n"
    "build; on a change the dialogs end without \"out\" and the same stack is built again (a\n"
    "skin that does not load shows black, with the framework's lines, and is watched on).\n"
    "The screen has the rendering size; --screen may only repeat it.\n"
    "\n"
    "Exit status: 0 done, 1 the dialog or the PNG could not be made (or --strict; live: the\n"
    "first dialog cannot be built), 2 usage, 3 (live) a headless script check failed.\n";

struct Options {
    std::string command;
    std::string set = "800x480";
    int width = 800, height = 480, bpp = 16;
    std::u16string password;
    bool passwordGiven = false;
    std::string lang = "language\\english.ini";
    std::string over;
    COLORREF backdrop = RGB(0xFF, 0x00, 0xFF);
    bool dirtyGiven = false;
    RECT dirty = {0, 0, 0, 0};
    bool report = false, tree = false, strict = false;
    std::vector<std::string> then;
    std::string transition;
    long sampleItems = 0;
    std::vector<POINT> hits;
    std::vector<std::string> positional;
};

int g_errors = 0;

void Observe(void*, int nLevel, LPCWSTR pMessage, int nLength)
{
    const char* level = WCEUI_LOG_ERROR == nLevel ? "error" : (WCEUI_LOG_WARNING == nLevel ? "warning" : "info");
    if (WCEUI_LOG_ERROR == nLevel) ++g_errors;
    std::fprintf(stderr, "%s: %s\n", level, WideToUtf8(std::u16string(pMessage, nLength)).c_str());
}

void Note(const std::string& text) { std::fprintf(stderr, "%s: note: %s\n", kProgram, text.c_str()); }

bool ParseInts(const std::string& text, std::vector<long>& out, size_t count)
{
    out.clear();
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        std::string part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        if (part.empty() || part.size() > 6) return false;
        size_t start = part[0] == '-' ? 1 : 0;
        if (start == part.size() || part.find_first_not_of("0123456789", start) != std::string::npos) return false;
        out.push_back(std::stol(part));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return out.size() == count;
}

std::string ParseArguments(int argc, char** argv, Options& o)
{
    if (argc < 2) return "a command is needed: render or list";
    o.command = argv[1];
    if (o.command != "render" && o.command != "list" && o.command != "live")
        return "unknown command '" + o.command + "'";
    static const std::set<std::string> kLiveOptions = {"--size", "--bpp", "--password", "--lang", "--then",
                                                       "--transition", "--sample-items"};
    std::set<std::string> seen;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool renderOnly = arg != "--password";
        if (arg.size() > 1 && arg[0] == '-') {
            if (arg != "--hit" && arg != "--then" && !seen.insert(arg).second) return arg + " given twice";
            if (renderOnly && o.command == "list") return arg + " is not an option of list";
            if (o.command == "live" && !kLiveOptions.count(arg)) return arg + " is not an option of live";
            if (o.command == "render" && (arg == "--then" || arg == "--transition"))
                return arg + " is not an option of render";
        }
        std::string v;
        if (arg == "--size") {
            if (!value(v)) return "--size needs 800x480 or 480x272";
            if (v == "800x480") o.set = "800x480", o.width = 800, o.height = 480;
            else if (v == "480x272" || v == "480X272") o.set = "480X272", o.width = 480, o.height = 272;
            else return "--size takes 800x480 or 480x272, not '" + v + "'";
        } else if (arg == "--bpp") {
            if (!value(v) || (v != "16" && v != "32")) return "--bpp takes 16 or 32";
            o.bpp = std::stoi(v);
        } else if (arg == "--password") {
            if (!value(v)) return "--password needs a value";
            o.password = Utf8ToWide(v);
            o.passwordGiven = true;
        } else if (arg == "--lang") {
            if (!value(o.lang) || o.lang.empty()) return "--lang needs a file";
        } else if (arg == "--over") {
            if (!value(o.over) || o.over.empty()) return "--over needs a dialog";
        } else if (arg == "--backdrop") {
            if (!value(v) || v.size() != 6 || v.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return "--backdrop takes six hexadecimal digits RRGGBB";
            unsigned long rgb = std::stoul(v, nullptr, 16);
            o.backdrop = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        } else if (arg == "--dirty") {
            std::vector<long> n;
            if (!value(v) || !ParseInts(v, n, 4) || n[2] < 0 || n[3] < 0) return "--dirty takes X,Y,W,H";
            o.dirty = RECT{static_cast<LONG>(n[0]), static_cast<LONG>(n[1]), static_cast<LONG>(n[0] + n[2]),
                           static_cast<LONG>(n[1] + n[3])};
            o.dirtyGiven = true;
        } else if (arg == "--hit") {
            std::vector<long> n;
            if (!value(v) || !ParseInts(v, n, 2)) return "--hit takes X,Y";
            o.hits.push_back(POINT{static_cast<LONG>(n[0]), static_cast<LONG>(n[1])});
        } else if (arg == "--then") {
            if (!value(v) || v.empty()) return "--then needs a dialog";
            o.then.push_back(v);
        } else if (arg == "--transition") {
            if (!value(o.transition)) return "--transition needs KIND[:DIRECTION[:FRAMES[:MS]]]";
        } else if (arg == "--report") {
            o.report = true;
        } else if (arg == "--tree") {
            o.tree = true;
        } else if (arg == "--strict") {
            o.strict = true;
        } else if (arg == "--sample-items") {
            std::vector<long> n;
            if (!value(v) || !ParseInts(v, n, 1) || n[0] < 0 || n[0] > 100000)
                return "--sample-items takes a count from 0 to 100000";
            o.sampleItems = n[0];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            o.positional.push_back(arg);
        }
    }
    size_t need = o.command == "render" ? 3 : (o.command == "live" ? 2 : 1);
    if (o.positional.size() != need)
        return o.command == "render" ? "render takes SKIN DIALOG OUT.png"
                                     : (o.command == "live" ? "live takes SKIN DIALOG" : "list takes one SKIN");
    return "";
}

// Device path of the skin: a folder, or a .pack entered like one.
std::u16string SkinDevicePath(const std::string& skin)
{
    std::error_code ec;
    fs::path abs = fs::absolute(skin, ec);
    std::string text = abs.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return tool::HostToDevicePath(text);
}

bool IsPack(const std::string& skin)
{
    std::string lower = skin;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".pack") == 0;
}

// The names of a .pack's entries ('\\'-separated), or false with a reason.
bool PackEntries(const std::string& path, const std::u16string& password, std::vector<std::string>& names,
                 std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const DWORD fileSize = static_cast<DWORD>(b.size());
    const DWORD headSize = fileSize >= kJxPackHeadSize ? JxReadLe32(b.data() + kJxPackHeadSizeOffset) : 0;
    if (!tool::FitsIn32Bits(b.size()) || !JxIsPackHeadSizeValid(headSize, fileSize)) {
        error = path + " is not a pack archive";
        return false;
    }
    std::vector<std::uint8_t> block(b.begin() + kJxPackHeadSize, b.begin() + headSize);
    JxScrambleWords(block.data(), block.size(), GetPackKey(password.c_str()));
    int count = 0;
    if (JX_PACK_DIR_OK != JxCheckPackDirectory(block.data(), static_cast<DWORD>(block.size()),
                                               JxReadLe32(b.data() + kJxPackCheckWordOffset), &count)) {
        error = path + ": the directory does not read (wrong password?)";
        return false;
    }
    DWORD pos = JxPackFirstRecordOffset(block.data());
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* record = block.data() + pos;
        std::u16string name;
        for (const std::uint8_t* p = JxPackRecordPath(record); JxReadLe16(p); p += 2) name += JxReadLe16(p);
        names.push_back(WideToUtf8(name));
        pos += JxPackRecordSize(record);
    }
    return true;
}

int List(const Options& o)
{
    const std::string& skin = o.positional[0];
    std::vector<std::string> names;
    std::error_code ec;
    if (IsPack(skin) && fs::is_regular_file(skin, ec)) {
        std::string error;
        if (!PackEntries(skin, o.password, names, error)) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return 1;
        }
    } else if (fs::is_directory(skin, ec)) {
        for (auto it = fs::recursive_directory_iterator(skin, ec); it != fs::recursive_directory_iterator(); ++it) {
            if (!it->is_regular_file()) continue;
            std::string rel = it->path().lexically_relative(skin).string();
            std::replace(rel.begin(), rel.end(), '/', '\\');
            names.push_back(rel);
        }
    } else {
        std::fprintf(stderr, "%s: cannot find the skin %s\n", kProgram, skin.c_str());
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> rows;
    const std::string tail = ".dlg.xml";
    for (const std::string& name : names) {
        size_t slash = name.find('\\');
        if (slash == std::string::npos || name.size() <= tail.size()) continue;
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.compare(lower.size() - tail.size(), tail.size(), tail) != 0) continue;
        if (lower.compare(slash, 5, "\\wnd\\") != 0) continue;
        rows.emplace_back(name.substr(0, slash), name.substr(slash + 5, name.size() - slash - 5 - tail.size()));
    }
    std::sort(rows.begin(), rows.end());
    for (const auto& r : rows) std::printf("%s\t%s\n", r.first.c_str(), r.second.c_str());
    return 0;
}

// Registration keys are kept by pointer: they live until the process ends.
LPCWSTR KeepName(const std::u16string& name)
{
    static std::list<std::u16string>* names = new std::list<std::u16string>;
    names->push_back(name);
    return names->back().c_str();
}

bool IsRegistered(const std::u16string& name)
{
    return WceUiIsClassCreatable(name.c_str());
}

// Registers stand-ins for the dialog's class and, unless strict, its unknown layer types.
void RegisterStandIns(const std::u16string& wndDir, const std::string& dialog, bool strict)
{
    std::u16string dlgPath = Utf8ToWide(dialog);
    std::u16string className = CWceUiLayerCtrl::GetDlgLayerClassName(dlgPath.c_str());
    if (!className.empty() && !IsRegistered(className)) {
        Note("dialog class " + WideToUtf8(className) + " is not part of the framework; built as CWceUiDlg");
        WceUiRegisterClass(&CWceUiDlg::CreateWceUiObject, KeepName(className), u"CWceUiDlg");
    }
    if (strict) return;
    CWceUiXmlDoc doc;
    WceUiSetLogObserver(nullptr, nullptr);  // CreateDlg reports a file that does not load
    BOOL bLoaded = doc.LoadXmlFile((wndDir + dlgPath + u".dlg.xml").c_str());
    WceUiSetLogObserver(&Observe, nullptr);
    if (!bLoaded) return;
    for (CWceUiXmlElem* p = doc.GetFirstItem(); p; p = doc.GetNextItem(p)) {
        if (XML_ELEM_NODE != p->GetType()) continue;
        LPCWSTR pType = p->GetAttribute(u"type");
        if (NULL == pType || 0 == *pType || IsRegistered(pType)) continue;
        Note("layer type " + WideToUtf8(pType) + " is not known here; drawn as CWceUiLayer");
        WceUiRegisterClass(&CWceUiLayer::CreateWceUiObject, KeepName(pType), u"CWceUiLayer");
    }
}

std::string RectText(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

std::string NameOf(CWceUiLayer* p)
{
    std::string name = WideToUtf8(p->GetName());
    return name.empty() ? "-" : name;
}

void PrintTree(CWceUiLayer* pRoot)
{
    // Pre-order with depths, by the layers' own links.
    CWceUiLayer* p = pRoot;
    int depth = 0;
    while (p) {
        RECT rc = {0, 0, 0, 0};
        p->GetWindowRect(&rc);
        std::string flags;
        auto flag = [&](bool on, const char* text) {
            if (!on) return;
            if (!flags.empty()) flags += ",";
            flags += text;
        };
        flag(!p->IsLayerShown(), "hidden");
        flag(!p->IsLayerSelfEnabled(), "disabled");
        flag(p->IsLayerContainer(), "container");
        flag(p->IsLayerSelfNoDraw(), "nodraw");
        flag(p->IsLayerSelfNoInput(), "noinput");
        flag(p->IsLayerTransparent(), "transparent");
        std::printf("%s%s\t%s\t%u\t%s\t%s\n", std::string(2 * depth, ' ').c_str(), NameOf(p).c_str(),
                    WideToUtf8(p->GetClassName()).c_str(), p->GetLayerId(), RectText(rc).c_str(),
                    flags.empty() ? "-" : flags.c_str());
        if (p->GetFirstChild()) {
            p = p->GetFirstChild();
            ++depth;
            continue;
        }
        while (p && p != pRoot && NULL == p->GetParent()->NextChild(p)) {
            p = p->GetParent();
            --depth;
        }
        p = (p && p != pRoot) ? p->GetParent()->NextChild(p) : NULL;
    }
}

CWceUiDlg* BuildDialog(CWceUiLayerCtrl* pCtrl, const std::string& dialog)
{
    std::u16string path = Utf8ToWide(dialog);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return pCtrl->CreateDlg(path.c_str());
}

// Starts the framework on the skin's screen set; false (reported) when it does not start.
bool StartFramework(const Options& o, std::u16string& setDir, std::u16string& lang)
{
    const std::string& skin = o.positional[0];
    std::error_code ec;
    if (!fs::exists(skin, ec)) {
        std::fprintf(stderr, "%s: cannot find the skin %s\n", kProgram, skin.c_str());
        return false;
    }
    tool::UseHostFileSystem();
    WceUiCloseLogFile();
    WceUiSetLogObserver(&Observe, nullptr);
    wce::host::SetScreenMetrics(o.width, o.height, o.bpp);
    WceUiSetScreenInfo(o.width, o.height, o.bpp);
    if (o.passwordGiven) WceUiSetPackPassword(o.password.c_str());

    setDir = SkinDevicePath(skin) + u"\\" + Utf8ToWide(o.set) + u"\\";
    lang = Utf8ToWide(o.lang);
    std::replace(lang.begin(), lang.end(), u'/', u'\\');
    std::u16string wndDir = setDir + u"wnd\\";
    if (!WceUiInit(GetModuleHandleW(NULL), wndDir.c_str(), (setDir + u"res\\").c_str(), (setDir + lang).c_str(), FALSE)) {
        std::fprintf(stderr, "%s: the framework does not start\n", kProgram);
        return false;
    }
    return true;
}

int Render(const Options& o)
{
    const std::string& dialog = o.positional[1];
    const std::string& out = o.positional[2];
    std::u16string setDir, lang;
    if (!StartFramework(o, setDir, lang)) return 1;
    std::u16string wndDir = setDir + u"wnd\\";

    if (!o.over.empty()) RegisterStandIns(wndDir, o.over, o.strict);
    RegisterStandIns(wndDir, dialog, o.strict);

    // The window is made at the screen's size first and resized to the lowest dialog's.
    CWceUiOffscreenWnd wnd(o.width, o.height, o.bpp);
    CWceUiLayerCtrl* pCtrl = wnd.GetLayerCtrl();
    CWceUiLayer* pRoot = pCtrl->RootLayer();
    std::vector<CWceUiDlg*> dialogs;
    int status = 0;
    for (const std::string* name : {&o.over, &dialog}) {
        if (name->empty()) continue;
        CWceUiDlg* pDlg = BuildDialog(pCtrl, *name);
        if (NULL == pDlg) {
            std::fprintf(stderr, "%s: cannot build the dialog %s\n", kProgram, name->c_str());
            status = 1;
            break;
        }
        if (!dialogs.empty()) dialogs.back()->EnableLayer(FALSE, FALSE);  // as a modal run does
        pRoot->AppendChild(pDlg);
        pDlg->SendOnInitLayer();
        pDlg->OnInitDialog();
        if (o.sampleItems > 0) FillSampleItems(pDlg, o.sampleItems);
        dialogs.push_back(pDlg);
    }
    if (0 == status) {
        RECT rcWnd = {0, 0, 0, 0};
        dialogs.front()->GetWndRect(&rcWnd);
        int w = rcWnd.right - rcWnd.left, h = rcWnd.bottom - rcWnd.top;
        if (w <= 0 || h <= 0) w = o.width, h = o.height;
        if (w != wnd.GetWndBitmap()->GetWidth() || h != wnd.GetWndBitmap()->GetHeight()) wnd.Resize(w, h);
        CWceUiGenericBitmap* pBmp = wnd.GetWndBitmap();
        pBmp->FillColor(o.backdrop, NULL);
        RECT rcAll = {0, 0, w, h};
        wnd.PaintRect(rcAll);
        if (o.dirtyGiven) wnd.PaintRect(o.dirty);

        if (o.report) {
            for (CWceUiLayer* p = pCtrl->GetNeedDrawHead(); p; p = pCtrl->GetNeedDrawNext(p)) {
                RECT rc;
                p->GetNeedDrawRect(&rc);
                std::printf("%s\t%s\t%s\n", NameOf(p).c_str(), WideToUtf8(p->GetClassName()).c_str(), RectText(rc).c_str());
            }
        }
        for (const POINT& pt : o.hits) {
            CWceUiLayer* p = wnd.HitTest(pt);
            if (p)
                std::printf("%ld,%ld\t%s\t%s\n", static_cast<long>(pt.x), static_cast<long>(pt.y), NameOf(p).c_str(),
                            WideToUtf8(p->GetClassName()).c_str());
            else
                std::printf("%ld,%ld\tnone\n", static_cast<long>(pt.x), static_cast<long>(pt.y));
        }
        if (o.tree) PrintTree(pRoot);

        std::string error;
        if (!tool::SaveBitmapPng(*pBmp, out, &error)) {
            std::fprintf(stderr, "%s: cannot write %s: %s\n", kProgram, out.c_str(), error.c_str());
            status = 1;
        }
    }
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) pCtrl->DeleteLayer(*it);
    std::fflush(stdout);
    if (0 == status && o.strict && g_errors > 0) status = 1;
    WceUiSetLogObserver(nullptr, nullptr);
    return status;
}

int Live(const Options& o, const wce::host::DisplayOptions& display)
{
    LiveOptions live;
    live.skin = o.positional[0];
    live.dialog = o.positional[1];
    live.then = o.then;
    live.sampleItems = o.sampleItems;
    live.transition = o.transition;
    live.display = display;
    std::u16string lang;
    if (!StartFramework(o, live.setDir, lang)) return 1;
    live.langPath = live.setDir + lang;
    if (!o.transition.empty()) {
        std::string bad = CheckLiveTransition(o.transition);  // after the start: its log lines show
        if (!bad.empty()) return tool::UsageError(kProgram, bad);
    }
    RegisterStandIns(live.setDir + u"wnd\\", live.dialog, false);
    for (const std::string& d : o.then) RegisterStandIns(live.setDir + u"wnd\\", d, false);
    int status = RunLive(live);
    WceUiSetLogObserver(nullptr, nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (tool::HelpAsked(argc, argv)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    Options options;
    wce::host::DisplayOptions display;
    bool screenGiven = false;
    if (argc >= 2 && std::string(argv[1]) == "live") {
        for (int i = 2; i < argc; ++i) screenGiven = screenGiven || std::string(argv[i]) == "--screen";
        std::string error;
        if (!wce::host::ParseDisplayOptions(argc, argv, display, error)) return tool::UsageError(kProgram, error);
    }
    std::string problem = ParseArguments(argc, argv, options);
    if (!problem.empty()) return tool::UsageError(kProgram, problem);
    if (options.command == "live") {
        // The screen is the size skinview renders for.
        if (screenGiven && (display.width != options.width || display.height != options.height))
            return tool::UsageError(kProgram, "--screen must be the rendering size " + std::to_string(options.width) +
                                                  "x" + std::to_string(options.height));
        display.width = options.width;
        display.height = options.height;
        display.bitsPerPixel = options.bpp;
        return Live(options, display);
    }
    return options.command == "list" ? List(options) : Render(options);
}
