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

namespace {
LPCWSTR s_pTopDialog = NULL;
LPCWSTR s_pTopAtClose = NULL;  // the dialog a close request found on top
}


CUpdateMainWnd::CUpdateMainWnd() : m_bDialogFailed(FALSE) {}

CUpdateMainWnd::~CUpdateMainWnd() {}

void CUpdateMainWnd::OnClose()
{
    // The dialog ends itself on this; the window then ends below.
    s_pTopAtClose = s_pTopDialog;
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
    SetTopDialogName(u"CBrantelDlg");
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

LPCWSTR CUpdateMainWnd::GetTopDialogName() { return s_pTopAtClose ? s_pTopAtClose : s_pTopDialog; }
void CUpdateMainWnd::SetTopDialogName(LPCWSTR pName) { s_pTopDialog = pName; }
