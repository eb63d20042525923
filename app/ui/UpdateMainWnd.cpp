#include "UpdateMainWnd.h"

#include "BrantelDlg.h"
#include "UpdateSystem.h"
#include "WceUiLayerCtrl.h"
#include "wce/window.h"

namespace {
const WCHAR kMainTitle[] = u"BRANTEL_RQN";
// Posted before the main dialog's loop starts, so it is handled once the dialog is set up.
constexpr UINT kMsgShowFirstPicture = 33771;
}

CUpdateMainWnd::CUpdateMainWnd() : m_bDialogFailed(FALSE), m_pTopAtClose(NULL) {}

CUpdateMainWnd::~CUpdateMainWnd() {}

void CUpdateMainWnd::OnClose()
{
    // The dialog ends itself on this; the window then ends below.
    m_pTopAtClose = GetTopDialogName();
    PostMessageW(m_hWnd, kMsgCloseRequest, 0, 0);
}

void CUpdateMainWnd::OnInitDialog()
{
    SetWindowText(kMainTitle);
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    CWceUiDlg* pDlg = pCtrl ? pCtrl->CreateDlg(u"CBrantelDlg") : NULL;
    if (pDlg && !pDlg->IsKindOf(u"CBrantelDlg")) {
        pCtrl->DeleteLayer(pDlg);
        pDlg = NULL;
    }
    if (!pDlg) {
        m_bDialogFailed = TRUE;
        EndDialog(0);
        return;
    }
    CBrantelDlg* pMain = static_cast<CBrantelDlg*>(pDlg);
    pMain->SetFilter({u"msk"}, {u"listbox\\file.565a.conf"});
    GetDefaultPackagePath(pMain->m_strInitPath);
    pMain->SetMainWindow(m_hWnd);
    pMain->SetRegistryProblem(m_strRegistryProblem);
    PostMessageW(m_hWnd, kMsgShowFirstPicture, 0, 0);
    pMain->DoModal();
    if (pMain->HasInitFailed())
        m_bDialogFailed = TRUE;
    pCtrl->DeleteLayer(pMain);
    EndDialog(0);
}

LRESULT CUpdateMainWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kMsgShowFirstPicture) {
        ShowFirstPicture();
        return 0;
    }
    return CWceUiRealWnd::WindowProc(msg, wParam, lParam);
}

void CUpdateMainWnd::ShowFirstPicture()
{
    // The screen shows only finished pictures: paint the hidden window whole, then show it.
    if (::IsWindowVisible(m_hWnd))
        return;
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    ::SendMessageW(m_hWnd, WM_PAINT, 0, 0);
    ::ShowWindow(m_hWnd, SW_SHOW);
}

LPCWSTR CUpdateMainWnd::GetTopDialogName() const
{
    if (m_pTopAtClose)
        return m_pTopAtClose;
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    CWceUiLayer* pTop = pCtrl ? pCtrl->GetTopDlg() : NULL;
    return pTop ? pTop->GetClassName() : NULL;
}
