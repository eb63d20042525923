// An edit box in a layer window on a headless display: the script's taps, typed text and
// keys arrive as window messages, and the platform caret is inverted on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "WceUiDlg.h"
#include "WceUiEditBox.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayerCtrl.h"
#include "WceUiRealWnd.h"
#include "doc_test_helpers.h"
#include "wce/display.h"
#include "wce/gdi.h"
#include "wce/platform.h"

namespace {

const int kW = 200, kH = 100;

// White under its text, so that text and caret show.
class CWhiteEditBox : public CWceUiMEditBox {
public:
    void OnDrawBackGround(CWceUiGenericBitmap* pDrawBitmap, BOOL) override
    {
        RECT rc;
        GetWindowRect(&rc);
        pDrawBitmap->FillColor(RGB(255, 255, 255), &rc);
    }
};

class CRunWnd : public CWceUiRealWnd {
public:
    CWceUiEditBox* pBox = nullptr;
    std::string text;
    void OnInitDialog() override
    {
        CWceUiDlg* pDlg = new CWceUiDlg;
        pDlg->SetLayerCtrl(GetLayerCtrl());
        GetLayerCtrl()->InitLayerInfo(pDlg, u"dlg");
        RECT rc = {0, 0, kW, kH};
        pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        pBox = new CWhiteEditBox;
        pBox->SetLayerCtrl(GetLayerCtrl());
        GetLayerCtrl()->InitLayerInfo(pBox, u"edit");
        pDlg->AppendChild(pBox);
        RECT rcBox = {10, 10, 190, 90};
        pBox->SetLayerPosition(&rcBox, WCEUI_POS_WINDOW, FALSE);
        pDlg->DoModal();  // until the script has run
        text = Utf8(pBox->GetEditText());
        GetLayerCtrl()->DeleteLayer(pDlg);
        pBox = nullptr;
        CRealDlg::EndDialog(0);
    }
};

class EditBoxWndTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CJxGVar::GetInstance()->GetCJxGlobalData()->SetInstanceHandle(GetModuleHandleW(nullptr));
    }
    void TearDown() override
    {
        wce::host::CloseDisplay();
        DocTest::TearDown();
    }
};

TEST_F(EditBoxWndTest, ScriptedTapTextAndKeysEditTheFocusedBox)
{
    // A tap gives the focus; BACK and RETURN become characters 8 and 13; the arrow keys reach
    // the box through the window's key-downs.
    std::string png = std::getenv("WCE_EDIT_PNG") ? std::string(std::getenv("WCE_EDIT_PNG")) + ".window.png" : "";
    std::string script = "wait 100\ntap 50 20\nwait 10\ntext \"ab cd\"\nkey LEFT\nkey BACK\nkey RETURN\n"
                         "text \"x\"\nwait 10\n" +
                         (png.empty() ? std::string() : "screenshot " + png + "\n") + "expect 15 12 FFFFFF\n";
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Headless;
    options.width = kW;
    options.height = kH;
    options.scriptText = script;
    std::string error;
    ASSERT_TRUE(wce::host::OpenDisplay(options, error)) << error;

    CRunWnd wnd;
    RECT rc = {0, 0, kW, kH};
    COLORREF caretPixel = 0, besidePixel = 0;
    POINT caret{};
    // Read the screen while the box still shows: at the end of the script the loop ends.
    wce::host::SetPresentHook([&](std::uint64_t, const RECT&) {
        if (!wnd.pBox || !wnd.pBox->IsCaretShown()) return;
        caret = wnd.pBox->GetCaretPoint();
        wce::host::RgbaImage image;
        if (!wce::host::GetScreenImage(image)) return;
        auto at = [&](int x, int y) {
            const std::uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
            return RGB(p[0], p[1], p[2]);
        };
        caretPixel = at(caret.x, caret.y + 8);
        besidePixel = at(caret.x + 4, caret.y + 8);
    });
    wnd.DoModal(WS_POPUP | WS_VISIBLE, &rc, NULL);
    wce::host::SetPresentHook(nullptr);
    EXPECT_EQ("ab \nxd", wnd.text);
    EXPECT_EQ(10 + WCEUI_EDIT_LINE_HEIGHT, caret.y);  // after "x" on the second line
    EXPECT_EQ(RGB(0, 0, 0), caretPixel);               // inverted white
    EXPECT_EQ(RGB(255, 255, 255), besidePixel);
}

}  // namespace
