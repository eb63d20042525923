// A window with one dialog on its root, for the layer and controller tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "doc_test_helpers.h"
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
    std::string Dirty() const
    {
        RECT rc;
        return m_pWnd->GetDirtyRect(&rc) ? RectText(rc) : "none";
    }
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
