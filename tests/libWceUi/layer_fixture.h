// A window with one dialog on its root, for the layer and controller tests; and a window over a
// skin written by the skin builder into the test's device (the set "s" below "\\SDMMC\\skin\\").
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "SkinBuilder.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "bitmap_helpers.h"
#include "wce/gdi.h"

inline RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
inline std::string RectText(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}
inline std::string WndRect(const CWceUiLayer* p)
{
    RECT rc = {};
    p->GetWindowRect(&rc);
    return RectText(rc);
}

class LayerTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        m_pWnd = new CWceUiOffscreenWnd(200, 100, 16);
        m_pCtrl = m_pWnd->GetLayerCtrl();
        m_pDlg = AttachDialog(u"dlg");
        m_pWnd->Paint();
    }
    void TearDown() override
    {
        for (CWceUiLayer* p = m_pCtrl->RootLayer()->GetLastChild(); p; p = m_pCtrl->RootLayer()->GetLastChild())
            m_pCtrl->DeleteLayer(p);
        delete m_pWnd;
        DocTest::TearDown();
    }

    // A plain dialog made in code and put on top of the root, covering the window.
    CWceUiDlg* AttachDialog(LPCWSTR pName)
    {
        CWceUiDlg* pDlg = new CWceUiDlg;
        pDlg->SetLayerCtrl(m_pCtrl);
        m_pCtrl->InitLayerInfo(pDlg, pName);
        RECT rc = Rc(0, 0, 200, 100);
        pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        m_pCtrl->RootLayer()->AppendChild(pDlg);
        return pDlg;
    }

    CWceUiLayer* Add(CWceUiLayer* pParent, LPCWSTR pName, RECT rc, LPCWSTR pType = u"CWceUiLayer",
                     int nWay = WCEUI_POS_WINDOW)
    {
        CWceUiLayer* p = m_pCtrl->CreateLayer(pParent, pType, pName);
        if (p) p->SetLayerPosition(&rc, nWay, FALSE);
        return p;
    }

    std::vector<std::string> Names(CWceUiLayer* (CWceUiLayerCtrl::*head)() const,
                                   CWceUiLayer* (CWceUiLayerCtrl::*next)(CWceUiLayer*) const) const
    {
        std::vector<std::string> names;
        for (CWceUiLayer* p = (m_pCtrl->*head)(); p; p = (m_pCtrl->*next)(p)) names.push_back(Utf8(p->GetName()));
        return names;
    }
    std::vector<std::string> InputNames() const
    {
        return Names(&CWceUiLayerCtrl::GetInputHead, &CWceUiLayerCtrl::GetInputNext);
    }
    std::vector<std::string> DrawNames() const
    {
        return Names(&CWceUiLayerCtrl::GetDrawHead, &CWceUiLayerCtrl::GetDrawNext);
    }
    std::vector<std::string> NeedDrawNames() const
    {
        return Names(&CWceUiLayerCtrl::GetNeedDrawHead, &CWceUiLayerCtrl::GetNeedDrawNext);
    }
    std::string Dirty() const { RECT rc; return m_pWnd->GetDirtyRect(&rc) ? RectText(rc) : "none"; }
    void ClearDirty() { m_pWnd->Paint(); }
    // Whether every text is in some logged message.
    ::testing::AssertionResult Logged(std::initializer_list<const char*> texts) const
    {
        for (const char* t : texts)
            if (!m_log.Contains(t)) return ::testing::AssertionFailure() << "not logged: " << t;
        return ::testing::AssertionSuccess();
    }

    CWceUiOffscreenWnd* m_pWnd = nullptr;
    CWceUiLayerCtrl* m_pCtrl = nullptr;
    CWceUiDlg* m_pDlg = nullptr;
};

using Strings = std::vector<std::string>;

// Every pixel, row by row from the top.
inline std::vector<unsigned> PixelsOf(const CWceUiGenericBitmap& bitmap)
{
    std::vector<unsigned> px;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x) px.push_back(PixelAt(bitmap, x, y));
    return px;
}

class LayerSkinTest : public LayerTest {
protected:
    // Writes the skin and builds the dialog of that class from it, attached to the root.
    CWceUiDlg* Build(const std::string& body, const std::string& styles, const char* pClass = "CWceUiDlg")
    {
        if (m_pBuilt) m_pCtrl->DeleteLayer(m_pBuilt);  // one built dialog at a time
        m_skin.Dialog("s", pClass, "<d><body name=\"main\">" + body + "</body></d>",
                      "<k><style>" + styles + "</style></k>");
        std::string error;
        EXPECT_TRUE(m_skin.WriteFolder(m_device.Host("SDMMC/skin"), error)) << error;
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetWndDir(u"\\SDMMC\\skin\\s\\wnd\\");
        pGlobal->SetResDir(u"\\SDMMC\\skin\\s\\res\\");
        CWceUiDlg* pDlg = m_pCtrl->CreateDlg(Utf8ToWide(pClass).c_str());
        if (pDlg) {
            RECT rc = Rc(0, 0, 200, 100);
            pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
            m_pCtrl->RootLayer()->AppendChild(pDlg);
        }
        m_pBuilt = pDlg;
        return pDlg;
    }
    void TearDown() override { if (m_pBuilt) m_pCtrl->DeleteLayer(m_pBuilt); LayerTest::TearDown(); }
    unsigned Px(int x, int y) const { return PixelAt(*m_pWnd->GetWndBitmap(), x, y); }
    void PaintAll() { m_pWnd->InvalidateAll(); m_pWnd->Paint(); }

    skinbuild::SkinBuilder m_skin;
    CWceUiDlg* m_pBuilt = nullptr;
};

// 565 values of a few exact colours.
enum : unsigned { k565Red = 0xF800, k565Green = 0x07E0, k565Blue = 0x001F, k565White = 0xFFFF, k565Black = 0 };
