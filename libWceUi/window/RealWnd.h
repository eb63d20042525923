// A framework window: registers the framework's one window class, creates windows of it and
// turns their messages into calls of virtual operations.
#pragma once

#include "RealGenericWnd.h"

// Posted by a layer window that ignores queued input; arrives as OnCaptureChanged (0).
#define WCEUI_WM_IGNORE_CAPTURE 0x2A03E592u

class CRealWnd : public CRealGenericWnd {
    WCEUI_DYNCREATE_BEGIN(CRealWnd, CRealGenericWnd)

public:
    CRealWnd();
    // Destroys a window that still exists, with a warning.
    virtual ~CRealWnd();

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnLButtonDown(UINT nFlags, int x, int y);
    virtual void OnLButtonUp(UINT nFlags, int x, int y);
    virtual void OnMouseMove(UINT nFlags, int x, int y);
    virtual void OnLButtonDblClk(UINT nFlags, int x, int y);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnCaptureChanged(LPARAM lParam);
    // TRUE: the background is never erased.
    virtual BOOL OnEraseBkgnd(HDC hDC);
    virtual void OnPaint(HDC hDC, RECT rcPaint);
    virtual void OnTimer(UINT nIDEvent);
    // The platform's default: the window is destroyed.
    virtual void OnClose();
    virtual void OnDestroy();
    virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual LRESULT DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // A window of class "WceUiWnd" with the given style, rectangle and parent.
    BOOL Create(DWORD dwStyle, const RECT* lpRect, HWND hWndParent);
    BOOL DestroyWindow();
};
WCEUI_DYNCREATE_END(CRealWnd, CRealGenericWnd)

// Invalidates the whole client area (with erase) of every framework window.
void WceUiInvalidateAllWnd();
