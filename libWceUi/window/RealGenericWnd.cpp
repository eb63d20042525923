#include "RealGenericWnd.h"

#include "JXCheck.h"
#include "wce/process.h"

#define CHECK_WND(op) WCEUI_CHECK("CRealGenericWnd::" op, ::IsWindow(m_hWnd))

CRealGenericWnd::CRealGenericWnd() : m_hWnd(NULL), m_bEnableInvalidate(TRUE) {}

CRealGenericWnd::~CRealGenericWnd() {}

BOOL CRealGenericWnd::UpdateWindow()
{
    if (!CHECK_WND("UpdateWindow")) return FALSE;
    return ::UpdateWindow(m_hWnd);
}

DWORD CRealGenericWnd::GetStyle() const
{
    if (!CHECK_WND("GetStyle")) return 0;
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}

DWORD CRealGenericWnd::GetExStyle() const
{
    if (!CHECK_WND("GetExStyle")) return 0;
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
}

BOOL CRealGenericWnd::SetForegroundWindow()
{
    if (!CHECK_WND("SetForegroundWindow")) return FALSE;
    return ::SetForegroundWindow(m_hWnd);
}

LRESULT CRealGenericWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!CHECK_WND("SendMessage")) return 0;
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

BOOL CRealGenericWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!CHECK_WND("PostMessage")) return FALSE;
    return ::PostMessageW(m_hWnd, msg, wParam, lParam);
}

BOOL CRealGenericWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    if (!CHECK_WND("MoveWindow")) return FALSE;
    return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CRealGenericWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint)
{
    if (!CHECK_WND("MoveWindow")) return FALSE;
    if (!WCEUI_CHECK("CRealGenericWnd::MoveWindow", NULL != lpRect)) return FALSE;
    return ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
                        bRepaint);
}

BOOL CRealGenericWnd::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    if (!CHECK_WND("SetWindowPos")) return FALSE;
    return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
}

BOOL CRealGenericWnd::InvalidateRect(const RECT* lpRect, BOOL bErase)
{
    if (!CHECK_WND("InvalidateRect")) return FALSE;
    if (!m_bEnableInvalidate) return TRUE;
    return ::InvalidateRect(m_hWnd, lpRect, bErase);
}

UINT_PTR CRealGenericWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    if (!CHECK_WND("SetTimer")) return 0;
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CRealGenericWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!CHECK_WND("KillTimer")) return FALSE;
    return ::KillTimer(m_hWnd, nIDEvent);
}

BOOL CRealGenericWnd::GetWindowRect(LPRECT lpRect) const
{
    if (!CHECK_WND("GetWindowRect")) return FALSE;
    if (!WCEUI_CHECK("CRealGenericWnd::GetWindowRect", NULL != lpRect)) return FALSE;
    return ::GetWindowRect(m_hWnd, lpRect);
}

BOOL CRealGenericWnd::GetClientRect(LPRECT lpRect) const
{
    if (!CHECK_WND("GetClientRect")) return FALSE;
    if (!WCEUI_CHECK("CRealGenericWnd::GetClientRect", NULL != lpRect)) return FALSE;
    return ::GetClientRect(m_hWnd, lpRect);
}

BOOL CRealGenericWnd::ScreenToClient(POINT* lpPoint) const
{
    if (!CHECK_WND("ScreenToClient")) return FALSE;
    if (!WCEUI_CHECK("CRealGenericWnd::ScreenToClient", NULL != lpPoint)) return FALSE;
    return ::ScreenToClient(m_hWnd, lpPoint);
}

BOOL CRealGenericWnd::ScreenToClient(RECT* lpRect) const
{
    if (!CHECK_WND("ScreenToClient")) return FALSE;
    if (!WCEUI_CHECK("CRealGenericWnd::ScreenToClient", NULL != lpRect)) return FALSE;
    POINT topLeft = {lpRect->left, lpRect->top};
    POINT bottomRight = {lpRect->right, lpRect->bottom};
    if (!::ScreenToClient(m_hWnd, &topLeft) || !::ScreenToClient(m_hWnd, &bottomRight)) return FALSE;
    SetRect(lpRect, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    return TRUE;
}

BOOL CRealGenericWnd::ShowWindow(int nCmdShow)
{
    if (!CHECK_WND("ShowWindow")) return FALSE;
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CRealGenericWnd::EnableWindow(BOOL bEnable)
{
    if (!CHECK_WND("EnableWindow")) return FALSE;
    return ::EnableWindow(m_hWnd, bEnable);
}

HWND CRealGenericWnd::GetParent() const
{
    if (!CHECK_WND("GetParent")) return NULL;
    return ::GetParent(m_hWnd);
}

void CRealGenericWnd::SetRedraw(BOOL bRedraw)
{
    if (!CHECK_WND("SetRedraw")) return;
    ::SendMessageW(m_hWnd, WM_SETREDRAW, static_cast<WPARAM>(bRedraw), 0);
}

HDC CRealGenericWnd::GetDC()
{
    if (!CHECK_WND("GetDC")) return NULL;
    return ::GetDC(m_hWnd);
}

HDC CRealGenericWnd::GetWindowDC()
{
    if (!CHECK_WND("GetWindowDC")) return NULL;
    return ::GetWindowDC(m_hWnd);
}

int CRealGenericWnd::ReleaseDC(HDC hDC)
{
    if (!CHECK_WND("ReleaseDC")) return 0;
    return ::ReleaseDC(m_hWnd, hDC);
}

BOOL CRealGenericWnd::CenterWindow(HWND hWndCenter)
{
    if (!CHECK_WND("CenterWindow")) return FALSE;
    DWORD dwStyle = GetStyle();
    if (NULL == hWndCenter) {
        hWndCenter = (dwStyle & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
        if (NULL != hWndCenter) {
            // The window found may name another one to centre over.
            HWND hWndTemp = reinterpret_cast<HWND>(::SendMessageW(hWndCenter, WM_QUERYCENTERWND, 0, 0));
            if (NULL != hWndTemp) hWndCenter = hWndTemp;
        }
    }
    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    RECT rcArea;
    RECT rcCenter;
    if (dwStyle & WS_CHILD) {
        HWND hWndParent = ::GetParent(m_hWnd);
        if (!WCEUI_CHECK("CRealGenericWnd::CenterWindow", ::IsWindow(hWndParent))) return FALSE;
        if (!WCEUI_CHECK("CRealGenericWnd::CenterWindow", ::IsWindow(hWndCenter))) return FALSE;
        ::GetClientRect(hWndParent, &rcArea);
        ::GetWindowRect(hWndCenter, &rcCenter);
        RECT rcParent;
        ::GetWindowRect(hWndParent, &rcParent);
        OffsetRect(&rcCenter, -rcParent.left, -rcParent.top);
    } else {
        if (!WCEUI_CHECK("CRealGenericWnd::CenterWindow", ::IsWindow(hWndCenter))) return FALSE;
        SetRect(&rcArea, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        ::GetWindowRect(hWndCenter, &rcCenter);
    }
    int nWidth = rcDlg.right - rcDlg.left;
    int nHeight = rcDlg.bottom - rcDlg.top;
    int xLeft = (rcCenter.left + rcCenter.right) / 2 - nWidth / 2;
    int yTop = (rcCenter.top + rcCenter.bottom) / 2 - nHeight / 2;
    // Keep the window inside the area.
    if (xLeft + nWidth > rcArea.right) xLeft = rcArea.right - nWidth;
    if (xLeft < rcArea.left) xLeft = rcArea.left;
    if (yTop + nHeight > rcArea.bottom) yTop = rcArea.bottom - nHeight;
    if (yTop < rcArea.top) yTop = rcArea.top;
    return ::SetWindowPos(m_hWnd, NULL, xLeft, yTop, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CRealGenericWnd::SetWindowText(LPCWSTR lpszString)
{
    if (!CHECK_WND("SetWindowText")) return FALSE;
    return WceUiSetWindowText(m_hWnd, lpszString);
}

BOOL WceUiSetWindowText(HWND hWndCtrl, LPCWSTR lpszNew)
{
    if (!WCEUI_CHECK("WceUiSetWindowText", NULL != hWndCtrl)) return FALSE;
    if (!WCEUI_CHECK("WceUiSetWindowText", NULL != lpszNew)) return FALSE;
    int nNewLen = 0;
    while (lpszNew[nNewLen]) ++nNewLen;
    WCHAR szOld[256];
    // Fast check: a short text may already be there.
    if (nNewLen <= 256 && ::GetWindowTextW(hWndCtrl, szOld, 256) == nNewLen) {
        int i = 0;
        while (i < nNewLen && szOld[i] == lpszNew[i]) ++i;
        if (i == nNewLen) return TRUE;
    }
    return ::SetWindowTextW(hWndCtrl, lpszNew);
}
