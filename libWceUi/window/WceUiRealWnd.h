// The platform window that shows a layer tree. It owns the tree's controller and a window
// bitmap of the client size, paints dirty rectangles through that bitmap, routes pen, keys,
// timers and registered messages to layers, keeps the layer capture and plays transitions
// between two pictures of the window.
#pragma once

#include "RealDlg.h"
#include "WceUiLayerHost.h"
#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiLayer;
class CWceUiLayerCtrl;
class CWceUiWndAnimate;
struct CWceUiRealWndData;

// Posted by a layer window that ignores queued input (see IgnoreMsgBeforeTime).
#define WCEUI_WM_IGNORE_MSG_BEFORE WCEUI_WM_IGNORE_CAPTURE

class CWceUiRealWnd : public CRealDlg, public CWceUiLayerHost {
    WCEUI_DYNCREATE_BEGIN(CWceUiRealWnd, CRealDlg)

public:
    CWceUiRealWnd();
    virtual ~CWceUiRealWnd();

    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnLButtonDblClk(UINT nFlags, int x, int y) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnCaptureChanged(LPARAM lParam) override;
    void OnPaint(HDC hDC, RECT rcPaint) override;
    void OnTimer(UINT nIDEvent) override;
    void OnDestroy() override;
    LRESULT DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Called with each finished picture just before it is copied to the screen.
    virtual void OnWndBmpReady(CWceUiGenericBitmap* pWndBmp) { (void)pWndBmp; }

    CWceUiLayerCtrl* GetLayerCtrl() const;

    // CWceUiLayerHost
    BOOL InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE) override;
    BOOL UpdateWindow() override;
    BOOL SetTimer(UINT nIDEvent, UINT nElapse) override;
    BOOL KillTimer(UINT nIDEvent) override;
    BOOL RegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    BOOL UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    BOOL PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    CWceUiLayer* SetCapture(CWceUiLayer* pCaptureLayer) override;
    void ReleaseCapture(CWceUiLayer* pLayer) override;
    CWceUiLayer* GetCapture() override;
    BOOL IgnoreQueuedInput() override;
    // The platform caret of this window.
    BOOL CreateCaret(int nWidth, int nHeight) override;
    BOOL SetCaretPos(int x, int y) override;
    BOOL ShowCaret(BOOL bShow) override;
    BOOL DestroyCaret() override;
    BOOL IsOpen() override;
    using CRealGenericWnd::MoveWindow;
    BOOL MoveWindow(const RECT* lpRect, BOOL bRepaint = TRUE) override;
    // Gets and dispatches the thread's messages, less those ignored as queued input.
    BOOL RunModalLoop(const BOOL* pbEnd) override;

    // The picture shown on the screen for pWndBmp (client size).
    BOOL PaintWnd(CWceUiGenericBitmap* pWndBmp);
    // New bitmaps owned by the caller, or null.
    CWceUiGenericBitmap* GetCurWndBmp();
    CWceUiGenericBitmap* GetLastWndBmp();
    // The window's own bitmap for transition frames; kept for reuse.
    CWceUiGenericBitmap* CreateMixedBitmap();

    // Transitions go to the screen a frame length apart.
    BOOL Apply(CWceUiGenericBitmap* pFromBitmap) override;
    BOOL Play(CWceUiWndAnimate** ppWndAnimate, int nWndAnimate, BOOL bIgnoreMsg) override;

    // Pen input of this window queued up to dwTime (0: now) is dropped by the modal loops.
    BOOL IgnoreMsgBeforeTime(DWORD dwTime);

    // -180..180 degrees; 0 is none.
    void SetOffsetHue(int nOffsetHue);
    int GetOffsetHue() const;
    CWceUiGenericBitmap* GetOffsetHueBmp(CWceUiGenericBitmap* pBitmap, const RECT* lpRect);

    void FreeBmpRes();

    CWceUiRealWndData* GetData() const { return m_pData; }

private:
    CWceUiLayer* impHitTest(int x, int y);
    CWceUiLayer* impTopDlg() const;
    BOOL impPlay(CWceUiWndAnimate** ppKept, int nKept);

    CWceUiRealWndData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiRealWnd, CRealDlg)
