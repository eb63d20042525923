// The updater dialogs' shared parts on an off-screen window: required layers, the layer
// dump's format, the message box's flags and its modal run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DialogLayers.h"
#include "LayerDump.h"
#include "MsgBoxDlg.h"
#include "TextWrap.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "temp_device.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"
#include "wce/wstring.h"

namespace {

void Collect(void* pContext, int, LPCWSTR pMessage, int nLength)
{
    static_cast<std::vector<std::string>*>(pContext)->push_back(WideToUtf8(std::u16string(pMessage, nLength)));
}

// Taps tap once when a modal loop has nothing to do, then ends the input.
class CTapWnd : public CWceUiOffscreenWnd {
public:
    CTapWnd() : CWceUiOffscreenWnd(200, 100, 16) {}
    POINT tap = {-1, -1};
    int nTurns = 0;
    BOOL OnModalIdle() override
    {
        if (nTurns++ > 0) return FALSE;
        if (CWceUiLayer* p = HitTest(tap)) p->OnLButtonDown(1, tap.x, tap.y);
        if (CWceUiLayer* p = HitTest(tap)) p->OnLButtonUp(0, tap.x, tap.y);
        return TRUE;
    }
};

class DialogParts : public ::testing::Test {
protected:
    void SetUp() override
    {
        WceUiSetLogObserver(Collect, &m_log);
        m_pWnd = new CTapWnd;
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
        if (p) p->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        return p;
    }

    TempDevice m_device;
    std::vector<std::string> m_log;
    CTapWnd* m_pWnd = nullptr;
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

TEST_F(DialogParts, MessageBoxRunsOverTheDialogUntilATapOnItsButton)
{
    CMsgBoxDlg* pBox = new CMsgBoxDlg;
    pBox->SetLayerCtrl(m_pCtrl);
    m_pCtrl->InitLayerInfo(pBox, u"CMsgBoxDlg");
    RECT rc = {0, 0, 200, 100};
    pBox->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
    Add(pBox, u"CWceUiButton", u"yes", RECT{0, 60, 60, 100});
    Add(pBox, u"CWceUiButton", u"no", RECT{70, 60, 130, 100});
    Add(pBox, u"CWceUiButton", u"ok", RECT{140, 60, 200, 100});
    Add(pBox, u"CWceUiLayer", u"msg", RECT{0, 0, 200, 50});
    for (LPCWSTR pIcon : {u"info_icon", u"question_icon", u"warning_icon", u"error_icon"})
        Add(pBox, u"CWceUiLayer", pIcon, RECT{0, 0, 10, 10});
    struct Case {
        const char* name;
        UINT flags;
        POINT tap;
        int result;
    } cases[] = {
        {"yes", kMsgBoxYesNo, {30, 80}, kMsgBoxResultYes},
        {"no", kMsgBoxYesNo, {100, 80}, kMsgBoxResultNo},
        {"ok", 0, {170, 80}, kMsgBoxResultYes},
        {"hidden yes: the input ends, without the last run's result", 0, {30, 80}, -1},
    };
    for (const Case& c : cases) {
        m_pWnd->tap = c.tap;
        m_pWnd->nTurns = 0;
        EXPECT_EQ(c.result, pBox->ShowMessage(u"text", FALSE, c.flags)) << c.name;
        EXPECT_EQ(m_pDlg, m_pCtrl->RootLayer()->GetLastChild()) << c.name;
        EXPECT_TRUE(m_pDlg->IsLayerEnabled()) << c.name;
    }
    m_pCtrl->DeleteLayer(pBox);
}

// Every line fits; blanks at breaks go, nothing else; paths break after a separator.
TEST(TextWrap, LinesFitTheWidthAndKeepEveryCharacter)
{
    HFONT hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC hdc = CreateCompatibleDC(NULL);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    auto width = [hdc](const std::u16string& s) {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(hdc, s.c_str(), (int)s.size(), &size);
        return (int)size.cx;
    };
    const std::u16string path = u"\\Residentflash2\\data\\maps\\europe-west-tiles\\europe-west-tiles\\tile.dat";
    struct Case {
        const char* name;
        std::u16string text;
        int width;
        const char* firstLine;  // null: not checked
    } cases[] = {
        {"fits", u"Update fail.", 400, "Update fail."},
        {"blanks", u"one two three four five six seven", 90, nullptr},
        {"feed kept", u"a\nb", 400, "a"},
        {"path after words", u"(CreateFile " + path + u" failed, GetLastError is 5)", 200, nullptr},
        {"path alone", path, 250, nullptr},
        {"one unit wide", u"ab\xD83D\xDE00" u"c", 1, "a"},
        {"no width", u"a b", 0, "a b"},
    };
    for (const Case& c : cases) {
        std::u16string wrapped = WrapToWidth(hFont, c.text.c_str(), c.width).c_str();
        std::u16string joined, line;
        std::vector<std::u16string> lines;
        for (size_t i = 0; i <= wrapped.size(); ++i) {
            if (i == wrapped.size() || wrapped[i] == u'\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += wrapped[i];
            }
        }
        for (const std::u16string& l : lines) {
            if (c.width > 0 && l.size() > 1 && !(l.size() == 2 && l[0] >= 0xD800 && l[0] <= 0xDBFF)) {
                EXPECT_LE(width(l), c.width) << c.name << ": " << WideToUtf8(l);
            }
            joined += l;
        }
        std::u16string expected = c.text;
        if (c.width > 0) expected.erase(std::remove(expected.begin(), expected.end(), u' '), expected.end());
        expected.erase(std::remove(expected.begin(), expected.end(), u'\n'), expected.end());
        joined.erase(std::remove(joined.begin(), joined.end(), c.width > 0 ? u' ' : u'\n'), joined.end());
        EXPECT_EQ(WideToUtf8(expected), WideToUtf8(joined)) << c.name;
        if (c.firstLine) {
            EXPECT_EQ(c.firstLine, WideToUtf8(lines[0])) << c.name;
        }
        for (size_t i = 0; c.text == path && i + 1 < lines.size(); ++i)  // pieces end at a near separator
            EXPECT_EQ(u'\\', lines[i].back()) << c.name << ": " << WideToUtf8(lines[i]);
    }
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
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
