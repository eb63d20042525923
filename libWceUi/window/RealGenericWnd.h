// A platform window handle with checked wrappers of the platform's window calls. Each
// wrapper first checks that the window exists, then calls the platform function of the same
// name on m_hWnd and returns its result (the platform's failure value when the check fails).
#pragma once

#include "WceUiObject.h"
#include "wce/window.h"

class CRealGenericWnd : public CWceUiObject {
    WCEUI_DYNAMIC_BEGIN(CRealGenericWnd, CWceUiObject)

public:
    CRealGenericWnd();
    virtual ~CRealGenericWnd();

    BOOL UpdateWindow();
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL SetForegroundWindow();
    LRESULT SendMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL PostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL MoveWindow(const RECT* lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    // Does nothing (and succeeds) while invalidation is disabled.
    BOOL InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = NULL);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL GetWindowRect(LPRECT lpRect) const;
    BOOL GetClientRect(LPRECT lpRect) const;
    BOOL ScreenToClient(POINT* lpPoint) const;
    BOOL ScreenToClient(RECT* lpRect) const;
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    HWND GetParent() const;
    void SetRedraw(BOOL bRedraw = TRUE);
    HDC GetDC();
    HDC GetWindowDC();
    int ReleaseDC(HDC hDC);
    // Over hWndCenter; without one, over the parent (child windows) or the owner, or the
    // window that one names in answer to WM_QUERYCENTERWND.
    BOOL CenterWindow(HWND hWndCenter = NULL);
    BOOL SetWindowText(LPCWSTR lpszString);

    void SetEnableInvalidate(BOOL bEnable) { m_bEnableInvalidate = bEnable; }
    BOOL IsEnableInvalidate() const { return m_bEnableInvalidate; }

    HWND m_hWnd;  // null until the window exists and again after it was destroyed
    BOOL m_bEnableInvalidate;
};
WCEUI_DYNAMIC_END(CRealGenericWnd, CWceUiObject)

// Sets the text unless the window already shows it (a control with an unchanged text is
// then not repainted). Texts longer than 256 characters are always set.
BOOL WceUiSetWindowText(HWND hWndCtrl, LPCWSTR lpszNew);
