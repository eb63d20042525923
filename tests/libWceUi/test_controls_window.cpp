// Controls in a headless layer window: pen input as window messages, clicks and posts as
// the dialog receives them, pixels from the window.
#include <functional>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "SkinBuilder.h"
#include "WceUiButton.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiRealWnd.h"
#include "WceUiSlider.h"
#include "doc_test_helpers.h"
#include "wce/display.h"
#include "wce/platform.h"
#include "wce/timesync.h"

using Strings = std::vector<std::string>;

// Created by name from its dialog file; records into the running test's list.
class CRecordDlg : public CWceUiDlg {
    WCEUI_DYNCREATE_BEGIN(CRecordDlg, CWceUiDlg)

public:
    static Strings* pEvents;
    void OnChildClick(CWceUiLayer* pChild) override { pEvents->push_back("click " + Utf8(pChild->GetName())); }
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        pEvents->push_back(std::to_string(msg) + " " + std::to_string(WCEUI_MSG_SLIDER == msg ? lParam : wParam));
        return 0;
    }
};
WCEUI_DYNCREATE_END(CRecordDlg, CWceUiDlg)
Strings* CRecordDlg::pEvents = nullptr;

namespace {

class CBodyWnd : public CWceUiRealWnd {
public:
    std::function<void(CBodyWnd&)> body;
    void OnInitDialog() override
    {
        body(*this);
        CRealDlg::EndDialog(0);
    }
};

class ControlsWndTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetInstanceHandle(GetModuleHandleW(nullptr));
        pGlobal->SetScreenInfo(200, 100, 16);
        wce::host::DisplayOptions options;
        options.backend = wce::host::DisplayOptions::Backend::Headless;
        options.width = 200;
        options.height = 100;
        std::string error;
        ASSERT_TRUE(wce::host::OpenDisplay(options, error)) << error;
        skinbuild::BitmapOptions alpha;
        alpha.perPixelAlpha = true;
        m_skin.Bitmap565("s", "thumb", 10, 20, [](int, int) { return 0xFFFF0000u; }, alpha);
        m_skin.Dialog("s", "CRecordDlg",
                      "<d><body name=\"main\">"
                      "<b name=\"b\" type=\"CWceUiButton\" common.style=\"bpos\" style=\"n\"/>"
                      "<s name=\"s\" type=\"CWceUiSlider\" style=\"sl\" thumb_bmp=\"thumb.565a.conf\"/>"
                      "<l name=\"l\" type=\"CWceUiListBox\" style=\"lst\"/></body></d>",
                      "<k><style><bpos><position rect=\"0,0,50,30\"/></bpos><n><background color=\"0xFF0000\"/></n>"
                      "<sl><position rect=\"0,40,110,20\"/><background color=\"0x000000\"/></sl>"
                      "<lst><position rect=\"120,0,80,100\"/><background color=\"0x202020\"/></lst></style></k>");
        std::string err;
        ASSERT_TRUE(m_skin.WriteFolder(m_device.Host("SDMMC/skin"), err)) << err;
        pGlobal->SetWndDir(u"\\SDMMC\\skin\\s\\wnd\\");
        pGlobal->SetResDir(u"\\SDMMC\\skin\\s\\res\\");
    }
    void TearDown() override
    {
        wce::host::CloseDisplay();
        DocTest::TearDown();
    }
    void Pen(CBodyWnd& wnd, UINT msg, int x, int y)
    {
        ::SendMessageW(wnd.m_hWnd, msg, WM_LBUTTONUP == msg ? 0 : 1, MAKELPARAM(x, y));
        Sleep(1);  // a later pen message must be stamped after a list's pen-up
    }
    void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }

    skinbuild::SkinBuilder m_skin;
    Strings m_events;
};

TEST_F(ControlsWndTest, PenMessagesClickPostAndTap)
{
    CBodyWnd wnd;
    wnd.body = [&](CBodyWnd& w) {
        CWceUiLayerCtrl* pCtrl = w.GetLayerCtrl();
        CRecordDlg::pEvents = &m_events;
        CWceUiDlg* pBase = pCtrl->CreateDlg(u"CRecordDlg");
        ASSERT_NE(pBase, nullptr);
        CWceUiDlg* pDlg = pBase;
        pCtrl->RootLayer()->AppendChild(pBase);
        pBase->SendOnInitLayer();
        pDlg->RegisterMsg(WCEUI_MSG_SLIDER);
        pDlg->RegisterMsg(WCEUI_MSG_LIST_TAP);
        CWceUiListBox* pList = static_cast<CWceUiListBox*>(pBase->GetLayerByName(u"l"));
        for (int i = 0; i < 10; ++i) pList->AddString(u"x", FALSE);
        w.UpdateWindow();

        Pen(w, WM_LBUTTONDOWN, 10, 10);
        Pen(w, WM_LBUTTONUP, 10, 10);
        Pen(w, WM_LBUTTONDOWN, 5 + 30, 50);
        Pen(w, WM_LBUTTONUP, 5 + 30, 50);
        Pen(w, WM_LBUTTONDOWN, 150, 30);
        Pen(w, WM_LBUTTONUP, 150, 30);
        Pump();
        EXPECT_EQ(static_cast<CWceUiSlider*>(pBase->GetLayerByName(u"s"))->GetPos(), 30);
        EXPECT_EQ(pList->GetCurSel(), 1);
        pCtrl->DeleteLayer(pBase);
    };
    RECT rc = {0, 0, 200, 100};
    wnd.DoModal(WS_POPUP | WS_VISIBLE, &rc, NULL);
    EXPECT_EQ(m_events, (Strings{"click b", "33770 0", "33768 1"}));
}

}  // namespace
