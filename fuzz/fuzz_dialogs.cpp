// Builds a dialog with one of every control (button, slider, scroll layer, list box, both
// edit boxes) and its "in" and "out" transitions from fuzzed attribute values and
// rectangles, runs it modal on the headless display under a short fuzzed script of pen
// input, keys and text, and checks that the screen settles: a run ends within a bounded
// number of frames and of virtual time, and no scroll animation is endless. RETURN runs
// the dialog once more over itself, ESCAPE ends the top one.
//
// Sizes stay near the screen so that no cache grows huge; positions, list attributes and
// frame counts and lengths reach the values a hostile skin can hold.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXLanguage.h"
#include "SkinBuilder.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiRealWnd.h"
#include "wce/display.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/timesync.h"
#include "wce/window.h"

namespace fs = std::filesystem;

namespace {

const int kW = 160, kH = 120;
// Four transitions of at most 1000 frames (two runs), plus what the script's input causes.
const std::uint64_t kMaxFrames = 8000;
// The script's time, four transitions of at most 5 s, and room to spare.
const DWORD kMaxTicks = 120000;

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_dialogs: %s\n", what);
    std::abort();
}

// The input as a stream of choices; 0 once it is used up.
class CChoices {
public:
    CChoices(const std::uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}
    unsigned Byte() { return m_i < m_n ? m_p[m_i++] : 0; }
    // Mostly below nSmall; a byte from 0xE0 up picks a value a hostile skin may hold.
    std::string Number(unsigned nSmall)
    {
        static const char* const kHostile[32] = {
            "-1", "0", "1", "2", "20", "33", "-100", "-2147483647", "-2147483648", "2147483647", "2147483646",
            "4294967295", "4294967296", "1000", "1001", "999", "5000", "5001", "100000", "1073741823", "1073741824",
            "-1073741824", "65535", "-65535", "abc", "", "7x", "0x10", "  5", "-0", "99999999999999999999", "-20"};
        unsigned b = Byte();
        return b >= 0xE0 ? kHostile[b - 0xE0] : std::to_string(b % nSmall);
    }
    // x, y, width, height; 0 gives a 40 x 40 square at (nX, nY). Corners reach far off, sizes
    // are inverted or up to a screen and a half.
    std::string Rect(int nX, int nY)
    {
        static const char* const kFar[8] = {"2147483647", "-2147483647", "-2147483648", "1073741823",
                                            "-1073741824", "65535", "-65535", "100000"};
        static const char* const kOddSizes[8] = {"-1", "0", "1", "-2147483647", "-2147483648", "320", "400", "-65535"};
        const int base[2] = {nX, nY};
        std::string s;
        for (int i = 0; i < 4; ++i) {
            const unsigned b = Byte();
            if (i > 0) s += ',';
            if (b >= 0xF8)
                s += i < 2 ? kFar[b - 0xF8] : kOddSizes[b - 0xF8];
            else if (b >= 0xC8)
                s += std::to_string(0xC7 - int(b));  // -1 .. -48
            else
                s += std::to_string(i < 2 ? base[i] + int(b) : (int(b) + 40) % 200);
        }
        return s;
    }

private:
    const std::uint8_t* m_p;
    std::size_t m_n, m_i = 0;
};

std::string Attr(const char* pName, const std::string& value) { return std::string(" ") + pName + "=\"" + value + "\""; }

std::string Style(const char* pName, CChoices& in, bool bText, int nX, int nY)
{
    std::string s = std::string("<") + pName + "><position rect=\"" + in.Rect(nX, nY) + "\"/>";
    if (in.Byte() & 1) s += "<background color=\"0x" + std::to_string(100000 + in.Byte() * 3000) + "\"/>";
    if (bText) s += "<text res-id=\"t\" color=\"0xFFFFFF\"><drawtext rect=\"" + in.Rect(0, 0) + "\"/></text>";
    return s + "</" + pName + ">";
}

std::string Animate(const char* pName, CChoices& in)
{
    static const char* const kKinds[6] = {"CWceUiBarnAni", "CWceUiBlendAni", "CWceUiSliderAni",
                                          "CWceUiComeAni", "CWceUiGoAni",    "CWceUiFade"};
    static const char* const kDirections[9] = {"left", "right", "up", "down", "lr-mid", "mid-lr", "ud-mid", "mid-ud", "x"};
    const unsigned b = in.Byte();
    if (b & 0x80) return "";
    std::string s = std::string("<") + pName + Attr("type", kKinds[b % 6]) + Attr("frame-count", in.Number(8)) +
                    Attr("frame-length", in.Number(20));
    if (b & 0x08) s += Attr("direction", kDirections[in.Byte() % 9]);
    if (b & 0x10) s += Attr("rect", in.Rect(0, 0));
    return s + "/>";
}

// The list's attributes after their choice byte.
std::string ListAttributes(CChoices& in)
{
    const unsigned b = in.Byte();
    return Attr("item_height", in.Number(40)) + Attr("extra_scroll", in.Number(100)) +
           Attr("text_left_offset", in.Number(60)) + Attr("item_image_width", in.Number(60)) +
           Attr("draw_item_image", (b & 1) ? "true" : "false");
}

// The dialog and style files of CFuzzDlg; the styles' rectangles come last in the input, and
// none given lays the controls out side by side.
void WriteDialog(const std::string& wndDir, const std::string& list, const std::string& animate, CChoices& in)
{
    std::string dlg =
        "<d><body name=\"main\" windowrect=\"0,0,160,120\">"
        "<b name=\"b\" type=\"CWceUiButton\" style=\"b\" down.style=\"bd\"/>"
        "<s name=\"s\" type=\"CWceUiSlider\" style=\"s\" bg_bmp=\"bg.565a.conf\" bg_sel_bmp=\"sel.565a.conf\""
        " thumb_bmp=\"thumb.565a.conf\"/>"
        "<c name=\"c\" type=\"CWceUiScrollLayer\" style=\"c\"/>"
        "<l name=\"l\" type=\"CWceUiListBox\" style=\"l\"" + list +
        " default_item_image=\"img.565a.conf\" item_check=\"chk.565a.conf\" linebg_normal=\"line.565a.conf\""
        " linebg_select=\"line.565a.conf\" scrollbar_top=\"bar.565a.conf\" scrollbar_middle=\"bar.565a.conf\""
        " scrollbar_bottom=\"bar.565a.conf\" textcolor_select=\"FF0000\"/>"
        "<m name=\"m\" type=\"CWceUiMEditBox\" style=\"m\" focus.style=\"m\" line_bg_bmp=\"line.565a.conf\""
        " top_bmp=\"bar.565a.conf\" middle_bmp=\"bar.565a.conf\" bottom_bmp=\"bar.565a.conf\"/>"
        "<e name=\"e\" type=\"CWceUiSEditBox\" style=\"e\" left-bmp=\"bar.565a.conf\" center-bmp=\"bar.565a.conf\""
        " right-bmp=\"bar.565a.conf\"/>"
        "</body></d>";
    std::string style = "<k><style>" + Style("b", in, true, 0, 0) + Style("bd", in, true, 0, 0) +
                        Style("s", in, false, 40, 0) + Style("c", in, false, 80, 0) + Style("l", in, true, 0, 40) +
                        Style("m", in, true, 40, 40) + Style("e", in, true, 120, 0) + "</style>" + animate + "</k>";
    std::ofstream(wndDir + "/CFuzzDlg.dlg.xml", std::ios::binary) << skinbuild::Utf16File(dlg);
    std::ofstream(wndDir + "/CFuzzDlg.style.xml", std::ios::binary) << skinbuild::Utf16File(style);
}

// Up to 16 commands on the screen, their count first; times kept short.
std::string Script(CChoices& in)
{
    const int nCommands = int(in.Byte() % 17);
    static const int kKeys[10] = {13, 27, 37, 38, 39, 40, 36, 35, 46, 8};
    static const char* const kTexts[6] = {"a", "ab cd", " ", "wwwwwwwwwwww", "x\ty", "123 45 678"};
    std::string s = "wait 10\n";
    auto point = [&in]() { return std::to_string(in.Byte() % kW) + " " + std::to_string(in.Byte() % kH); };
    for (int i = 0; i < nCommands; ++i) {
        switch (in.Byte() % 9) {
        case 0: s += "down " + point() + "\n"; break;
        case 1: s += "move " + point() + "\n"; break;
        case 2: s += "up " + point() + "\n"; break;
        case 3: s += "tap " + point() + "\n"; break;
        case 4: {
            std::string from = point(), to = point();
            s += "drag " + from + " " + to + " " + std::to_string(in.Byte() * 2) + " " +
                 std::to_string(1 + in.Byte() % 8) + "\n";
            break;
        }
        case 5: s += "key " + std::to_string(kKeys[in.Byte() % 10]) + "\n"; break;
        case 6: s += std::string("text \"") + kTexts[in.Byte() % 6] + "\"\n"; break;
        case 7: s += "wait " + std::to_string(in.Byte() * 4) + "\n"; break;
        default: s += "wait 1\n"; break;
        }
    }
    return s;
}

int g_nItems = 0;
BOOL g_bRanOver = FALSE;  // one run over the dialog per input keeps the frames bounded

// A scroll animation may outlive its dialog's run (the dialog ended during a spring-back), but
// none may be endless: played on after the run, every one settles within a bounded number of
// steps.
void CheckSettled(CWceUiDlg* pDlg)
{
    for (LPCWSTR pName : {u"c", u"l", u"m", u"e"})
        if (auto* p = dynamic_cast<CWceUiScrollLayer*>(pDlg->GetLayerByName(pName))) {
            for (int nStep = 0; nStep < 1000 && p->IsAnimating(); ++nStep) p->OnTimer(WCEUI_SCROLL_TIMER);
            Require(!p->IsAnimating(), "a scroll animation never settles");
        }
}

}  // namespace

class CFuzzDlg : public CWceUiDlg {
    WCEUI_DYNCREATE_BEGIN(CFuzzDlg, CWceUiDlg)

public:
    void OnInitDialog() override
    {
        if (auto* p = dynamic_cast<CWceUiListBox*>(GetLayerByName(u"l")))
            for (int i = 0; i < g_nItems; ++i) p->AddString(u"Item", FALSE);
    }
    void OnKeyDown(UINT nChar, UINT, UINT) override
    {
        if (VK_ESCAPE == nChar) EndDialog(0);
        if (VK_RETURN != nChar || g_bRanOver) return;
        g_bRanOver = TRUE;
        CWceUiDlg* pTop = GetLayerCtrl()->CreateDlg(u"CFuzzDlg");
        if (!pTop) return;
        pTop->DoModal();
        CheckSettled(pTop);
        GetLayerCtrl()->DeleteLayer(pTop);
    }
};
WCEUI_DYNCREATE_END(CFuzzDlg, CWceUiDlg)

namespace {

class CFuzzWnd : public CWceUiRealWnd {
public:
    void OnInitDialog() override
    {
        g_bRanOver = FALSE;
        if (CWceUiDlg* pDlg = GetLayerCtrl()->CreateDlg(u"CFuzzDlg")) {
            pDlg->DoModal();
            CheckSettled(pDlg);
            GetLayerCtrl()->DeleteLayer(pDlg);
        }
        if (::IsWindow(m_hWnd)) CRealDlg::EndDialog(0);
    }
};

struct Fixture {
    std::string wndDir;

    Fixture()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-dialogs-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        skinbuild::SkinBuilder skin;
        skinbuild::BitmapOptions alpha;
        alpha.perPixelAlpha = true;
        skin.Bitmap565("s", "bg", 100, 20, [](int x, int) { return 0xFF000000u | x * 2u; }, alpha);
        skin.Bitmap565("s", "sel", 100, 20, [](int x, int) { return 0xFF00FF00u | x; }, alpha);
        skin.Bitmap565("s", "thumb", 10, 30, [](int, int y) { return 0xC0FF0000u | y; }, alpha);
        skin.Bitmap565("s", "img", 16, 16, [](int x, int y) { return ((x + y) & 1) ? 0x600000FFu : 0xFF00FFFFu; },
                       alpha);
        skin.Bitmap565("s", "chk", 10, 10, [](int x, int) { return x < 5 ? 0xFFFF0000u : 0x80FF0000u; }, alpha);
        skin.Bitmap565("s", "line", 150, 20, [](int x, int y) { return 0xFF000000u | (y * 12u) << 8 | (x & 0xFFu); });
        skin.Bitmap565("s", "bar", 6, 8, [](int, int y) { return 0xA0000000u | y * 30u; }, alpha);
        skin.Language("s", "t", "Button text long enough to wrap");
        skin.Dialog("s", "CFuzzDlg", "<d/>", "<k/>");
        std::string error;
        Require(skin.WriteFolder(pattern, error), "cannot write the skin");
        wndDir = pattern + "/s/wnd";
        wce::host::SetDeviceRoot(pattern);
        WceUiCloseLogFile();  // logging would only slow every run down
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetScreenInfo(kW, kH, 16);
        pGlobal->SetInstanceHandle(GetModuleHandleW(nullptr));
        pGlobal->SetWndDir(u"\\s\\wnd\\");
        pGlobal->SetResDir(u"\\s\\res\\");
        CJxGVar::GetInstance()->GetCJxLanguage()->SetLanguage(u"\\s\\language\\english.ini", FALSE);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    // In the order of the input: what short inputs should reach first.
    CChoices in(data, size);
    g_nItems = int(in.Byte() % 48);
    const std::string list = ListAttributes(in);
    const std::string animate = "<animate>" + Animate("in", in) + Animate("out", in) + "</animate>";
    const std::string script = Script(in);
    WriteDialog(fixture.wndDir, list, animate, in);

    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Headless;
    options.width = kW;
    options.height = kH;
    options.scriptText = script;
    std::string error;
    Require(wce::host::OpenDisplay(options, error), error.c_str());
    wce::host::SetPresentHook([](std::uint64_t nFrame, const RECT&) {
        Require(nFrame <= kMaxFrames, "the screen never settles (too many frames)");
    });
    const DWORD dwStart = GetTickCount();
    {
        CFuzzWnd wnd;
        RECT rc = {0, 0, kW, kH};
        wnd.DoModal(WS_POPUP | WS_VISIBLE, &rc, NULL);
    }
    Require(GetTickCount() - dwStart <= kMaxTicks, "the run took too long (virtual time)");
    wce::host::SetPresentHook(nullptr);
    wce::host::CloseDisplay();
    return 0;
}
