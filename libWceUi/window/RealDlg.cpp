#include "RealDlg.h"

#include "JXCheck.h"
#include "JXIgnoreMsg.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "wce/files.h"

CRealDlg::CRealDlg() : m_nModalResult(-1), m_bEnd(FALSE), m_DlgRunWay(DLG_RUN_NOT_RUNNING) {}

CRealDlg::~CRealDlg() {}

void CRealDlg::OnInitDialog() {}

int CRealDlg::DoModal(DWORD dwStyle, const RECT* lpRect, HWND hWndParent)
{
    if (NULL == WceUiGetInstanceHandle())
        JxWriteLogA(JX_LOG_ERROR, "%s::DoModal, WceUiGetInstanceHandle() return NULL, call WceUiInit first", "CRealDlg");
    // Running already (DoModal again from OnInitDialog or a handler): refused before the
    // running loop's state is touched.
    if (!WCEUI_CHECK("CRealDlg::DoModal", !::IsWindow(m_hWnd))) return -1;
    // A dialog run again starts without the last run's result.
    m_nModalResult = -1;
    m_bEnd = FALSE;
    BOOL bParentDisabled = FALSE;
    if (NULL != hWndParent && ::IsWindowEnabled(hWndParent)) {
        ::EnableWindow(hWndParent, FALSE);
        bParentDisabled = TRUE;
    }
    if (!Create(dwStyle, lpRect, hWndParent)) {
        JxWriteLogA(JX_LOG_ERROR, "call CRealWnd::Create failed, GetLastError is %d", static_cast<int>(GetLastError()));
        if (bParentDisabled) ::EnableWindow(hWndParent, TRUE);
        return m_nModalResult;
    }
    m_DlgRunWay = DLG_RUN_IN_MODAL;
    OnInitDialog();

    // The window may go away under the loop (the default WM_CLOSE destroys it): the loop ends
    // then, instead of waiting for a message that no longer comes.
    while (!m_bEnd && ::IsWindow(m_hWnd)) {
        MSG msg;
        BOOL bRet = ::GetMessageW(&msg, NULL, 0, 0);
        if (0 == bRet || -1 == bRet) break;
        if (!WceUiIsIgnoreMsg(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (::IsWindow(m_hWnd))
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (bParentDisabled) ::EnableWindow(hWndParent, TRUE);
    // When the window was destroyed under the loop (default WM_CLOSE) while the parent was
    // disabled, nothing took over: the parent would stay inactive and keys would be lost.
    HWND hActive = ::GetActiveWindow();
    if (NULL != hWndParent && ((NULL != m_hWnd && hActive == m_hWnd) || NULL == hActive)) ::SetActiveWindow(hWndParent);
    if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    if (DLG_RUN_IN_MODAL == m_DlgRunWay) m_DlgRunWay = DLG_RUN_NOT_RUNNING;
    return m_nModalResult;
}

BOOL CRealDlg::EndDialog(int nResult)
{
    if (!WCEUI_CHECK("CRealDlg::EndDialog", DLG_RUN_IN_MODAL == m_DlgRunWay)) return FALSE;
    if (!WCEUI_CHECK("CRealDlg::EndDialog", ::IsWindow(m_hWnd))) return FALSE;
    m_nModalResult = nResult;
    m_bEnd = TRUE;
    ::PostMessageW(m_hWnd, 0, 0, 0);  // wakes a waiting loop
    m_DlgRunWay = DLG_RUN_NOT_RUNNING;
    return TRUE;
}

BOOL CRealDlg::CreateModeless(DWORD dwStyle, const RECT* lpRect, HWND hWndParent)
{
    if (!WCEUI_CHECK("CRealDlg::CreateModeless", NULL != WceUiGetInstanceHandle())) return FALSE;
    if (!Create(dwStyle, lpRect, hWndParent)) {
        JxWriteLogA(JX_LOG_ERROR, "call CRealWnd::Create failed, GetLastError is %d", static_cast<int>(GetLastError()));
        return FALSE;
    }
    m_DlgRunWay = DLG_RUN_IN_MODELESS;
    OnInitDialog();
    return TRUE;
}

BOOL CRealDlg::EndModeless()
{
    if (!WCEUI_CHECK("CRealDlg::EndModeless", DLG_RUN_IN_MODELESS == m_DlgRunWay)) return FALSE;
    if (!WCEUI_CHECK("CRealDlg::EndModeless", ::IsWindow(m_hWnd))) return FALSE;
    ::DestroyWindow(m_hWnd);
    m_DlgRunWay = DLG_RUN_NOT_RUNNING;
    return TRUE;
}
