// Feeds dialog XML (UTF-16LE units) to CWceUiLayerCtrl::CreateLayerByXmlStr under a fixed
// dialog built from a small skin, then paints the window whole and in part, hit-tests and
// deletes what was built. The skin's styles give the layers colours, images with alpha,
// text, filters and layout flags to combine.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "JXLanguage.h"
#include "SkinBuilder.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "wce/gdi.h"
#include "wce/host.h"

namespace fs = std::filesystem;

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_layers: %s\n", what);
    std::abort();
}

const char* kStyles =
    "<k><style>"
    "<red><position rect=\"10,10,60,40\"/><background color=\"0xFF0000\"/></red>"
    "<rel><position way=\"relative\" rect=\"5,5,20,20\"/><background color=\"0x00FF00\"/></rel>"
    "<glass><position rect=\"0,0,160,120\"/><background color=\"transparent\">"
    "<i id=\"glass.565a.conf\" align=\"right\" valign=\"bottom\"/><i id=\"solid.565a.conf\" zoom=\"true\" "
    "dst-rect=\"-10,5,200,30\" common-index=\"-1\"/></background></glass>"
    "<text><position rect=\"0,60,160,40\"/><text res-id=\"hello\" color=\"0x0000FF\"><drawtext multiline=\"true\"/>"
    "</text></text>"
    "<faded><position rect=\"20,20,100,80\"/><background color=\"0x123456\"/>"
    "<filters><alpha enabled=\"true\" opacity=\"100\"/><mixcolor enabled=\"true\" opacity=\"60\" color=\"0x00FFFF\"/>"
    "</filters></faded>"
    "<box><position rect=\"0,0,160,120\"/><layout container=\"true\"/></box>"
    "<hidden><layout visibility=\"false\"/></hidden>"
    "<off><layout disability=\"true\"/><adv-properties no-input=\"true\" no-draw=\"true\"/></off>"
    "</style></k>";

struct Fixture {
    CWceUiOffscreenWnd* pWnd = nullptr;
    CWceUiLayer* pHost = nullptr;

    Fixture()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-layers-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        skinbuild::SkinBuilder skin;
        skin.Bitmap565("s", "glass", 30, 20, [](int x, int y) { return (x * 8u << 24) | (y * 12u); },
                       skinbuild::BitmapOptions{true, "", -1});
        skin.Bitmap565("s", "solid", 4, 3, [](int x, int y) { return 0xFF000000u | (x * 60u << 8) | (y * 80u); });
        skin.Language("s", "hello", "Hello, layers: a text long enough to wrap and end in an ellipsis");
        skin.Dialog("s", "CWceUiDlg", "<d><body name=\"fixed\" windowrect=\"0,0,160,120\">"
                                      "<h type=\"CWceUiLayer\" name=\"host\" style=\"box\"/></body></d>",
                    kStyles);
        std::string error;
        Require(skin.WriteFolder(pattern, error), "cannot write the skin");
        wce::host::SetDeviceRoot(pattern);
        WceUiCloseLogFile();  // logging would only slow every run down
        wce::host::SetScreenMetrics(160, 120, 16);
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetScreenInfo(160, 120, 16);
        pGlobal->SetWndDir(u"\\s\\wnd\\");
        pGlobal->SetResDir(u"\\s\\res\\");
        CJxGVar::GetInstance()->GetCJxLanguage()->SetLanguage(u"\\s\\language\\english.ini", FALSE);
        pWnd = new CWceUiOffscreenWnd(160, 120, 16);
        CWceUiDlg* pDlg = pWnd->GetLayerCtrl()->CreateDlg(u"CWceUiDlg");
        Require(pDlg != nullptr, "the fixed dialog does not build");
        pWnd->GetLayerCtrl()->RootLayer()->AppendChild(pDlg);
        pHost = pDlg->GetLayerByName(u"host");
        Require(pHost != nullptr, "no host layer");
    }
};

int CountLayers(CWceUiLayerCtrl* pCtrl)
{
    int n = 0;
    for (CWceUiLayer* p = pCtrl->GetDrawHead(); p; p = pCtrl->GetDrawNext(p)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    CWceUiLayerCtrl* pCtrl = fixture.pWnd->GetLayerCtrl();
    const int nBefore = CountLayers(pCtrl);

    pCtrl->CreateLayerByXmlStr(fixture.pHost, text.c_str());
    fixture.pWnd->InvalidateAll();
    fixture.pWnd->Paint();
    const int nSeed = size ? data[0] : 0;
    RECT rcPart = {nSeed % 160, nSeed % 120, nSeed % 160 + 37, nSeed % 120 + 23};
    fixture.pWnd->PaintRect(rcPart);
    for (int y = 0; y < 120; y += 13)
        for (int x = 0; x < 160; x += 17) {
            POINT pt = {x, y};
            CWceUiLayer* pHit = pCtrl->HitTest(pt);
            if (pHit) {
                RECT rc;
                Require(pHit->GetWindowRect(&rc) && PtInRect(&rc, pt), "a hit layer does not hold the point");
                Require(pHit->IsLayerVisible() && pHit->IsLayerEnabled(), "a hidden or disabled layer was hit");
            }
        }
    while (CWceUiLayer* p = fixture.pHost->GetLastChild()) pCtrl->DeleteLayer(p);
    Require(CountLayers(pCtrl) == nBefore, "deleting left layers behind");
    return 0;
}
