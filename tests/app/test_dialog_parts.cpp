// The updater dialogs' shared parts on an off-screen window: required layers, the layer
// dump's format and the message box's flags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogLayers.h"
#include "LayerDump.h"
#include "MsgBoxDlg.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "temp_device.h"
#include "wce/wstring.h"

namespace {

void Collect(void* pContext, int, LPCWSTR pMessage, int nLength)
{
    static_cast<std::vector<std::string>*>(pContext)->push_back(WideToUtf8(std::u16string(pMessage, nLength)));
}

class DialogParts : public ::testing::Test {
protected:
    void SetUp() override
    {
        WceUiSetLogObserver(Collect, &m_log);
        m_pWnd = new CWceUiOffscreenWnd(200, 100, 16);
        m_pCtrl = m_pWnd->GetLayerCtrl();
        m_pDlg = new CWceUiDlg;
        m_pDlg->SetLayerCtrl(m_pCtrl);
        m_pCtrl->InitLayerInfo(m_pDlg, u"dlg");
        RECT rc = {0, 0, 200, 100};
        m_pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        m_pCtrl->RootLayer()->AppendChild(m_pDlg);
    }
    void TearDown() override
    {
        m_pCtrl->DeleteLayer(m_pDlg);
        delete m_pWnd;
        WceUiSetLogObserver(NULL, NULL);
    }
    CWceUiLayer* Add(CWceUiLayer* pParent, LPCWSTR pType, LPCWSTR pName, RECT rc)
    {
        CWceUiLayer* p = m_pCtrl->CreateLayer(pParent, pType, pName);
        if (p)
            p->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        return p;
    }

    TempDevice m_device;
    std::vector<std::string> m_log;
    CWceUiOffscreenWnd* m_pWnd = nullptr;
    CWceUiLayerCtrl* m_pCtrl = nullptr;
    CWceUiDlg* m_pDlg = nullptr;
};

TEST_F(DialogParts, RequiredLayersAreFoundOrTheFirstFaultIsLogged)
{
    Add(m_pDlg, u"CWceUiButton", u"ok", RECT{0, 0, 10, 10});
    Add(m_pDlg, u"CWceUiLayer", u"msg", RECT{0, 0, 10, 10});
    struct Case {
        DIALOG_LAYER_SPEC spec;
        BOOL found;
        const char* log;
    } cases[] = {
        {{u"ok", u"CWceUiButton", FALSE}, TRUE, nullptr},
        {{u"msg", u"CWceUiLayer", FALSE}, TRUE, nullptr},
        {{u"ok", u"CWceUiLayer", FALSE}, TRUE, nullptr},  // a button is a layer
        {{u"none", u"CWceUiLayer", TRUE}, TRUE, nullptr},
        {{u"none", u"CWceUiLayer", FALSE}, FALSE, "dlg: the dialog file has no layer \"none\""},
        {{u"msg", u"CWceUiButton", FALSE}, FALSE, "dlg: layer \"msg\" is a CWceUiLayer, not a CWceUiButton"},
    };
    for (const Case& c : cases) {
        m_log.clear();
        CWceUiLayer* pFound = reinterpret_cast<CWceUiLayer*>(1);
        EXPECT_EQ(c.found, FindDialogLayers(m_pDlg, &c.spec, 1, &pFound)) << WideToUtf8(c.spec.pName);
        if (c.log) {
            ASSERT_EQ(1u, m_log.size());
            EXPECT_EQ(c.log, m_log[0]);
        } else {
            EXPECT_TRUE(m_log.empty());
            EXPECT_EQ(c.spec.bOptional && !m_pDlg->GetChildByName(c.spec.pName), pFound == nullptr);
        }
    }
}

TEST_F(DialogParts, DumpIsOneTabSeparatedLinePerLayerInPreOrder)
{
    CWceUiLayer* pBack = Add(m_pDlg, u"CWceUiLayer", u"background", RECT{0, 0, 200, 100});
    CWceUiLayer* pTitle = Add(pBack, u"CWceUiLayer", u"title", RECT{10, 0, 110, 20});
    pTitle->SetText(u"Two\nlines\tand a tab");
    CWceUiLayer* pHidden = Add(m_pDlg, u"CWceUiLayer", u"hidden", RECT{5, 6, 7, 8});
    pHidden->ShowLayer(FALSE);
    EXPECT_EQ("0\tCWceUiDlg\tdlg\t0,0,200,100\t1\t1\t000000\t\n"
              "1\tCWceUiLayer\tbackground\t0,0,200,100\t1\t1\t000000\t\n"
              "2\tCWceUiLayer\ttitle\t10,0,110,20\t1\t1\t000000\tTwo\\nlines\\tand a tab\n"
              "1\tCWceUiLayer\thidden\t5,6,7,8\t0\t1\t000000\t\n",
              DumpLayerChildren(m_pCtrl->RootLayer()));
}

TEST(MsgBoxFlags, IconByTheIconBits)
{
    struct Case {
        UINT flags;
        const char* icon;
    } cases[] = {{0x10, "error_icon"}, {0x14, "error_icon"}, {0x24, "question_icon"}, {0x30, "warning_icon"},
                 {0x40, "info_icon"},  {0x50, nullptr},      {0x00, nullptr},       {0x04, nullptr}};
    for (const Case& c : cases) {
        LPCWSTR p = MsgBoxIconName(c.flags);
        EXPECT_EQ(c.icon ? std::string(c.icon) : std::string("-"), p ? WideToUtf8(p) : std::string("-")) << c.flags;
    }
}

}  // namespace
