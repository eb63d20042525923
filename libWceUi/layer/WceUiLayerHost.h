// What a layer asks of the window that shows it. The real layer window implements it with a
// platform window; CWceUiOffscreenWnd implements it with none, for tools, tests and
// benchmarks. Layers, controls and dialogs reach it through their controller's GetWindow
// and never need to know which of the two it is.
#pragma once

#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiLayer;
class CWceUiWndAnimate;

class CWceUiLayerHost {
public:
    virtual ~CWceUiLayerHost() {}

    // A rectangle in window coordinates; null is the whole window.
    virtual BOOL InvalidateRect(const RECT* lpRect, BOOL bErase) = 0;
    // Paints what is invalid now instead of when the messages queued before are done.
    virtual BOOL UpdateWindow() = 0;
    // nIDEvent packs the layer id (low 16 bits) and the layer's timer id (high 16 bits).
    virtual BOOL SetTimer(UINT nIDEvent, UINT nElapse) = 0;
    virtual BOOL KillTimer(UINT nIDEvent) = 0;
    virtual BOOL RegisterMsg(UINT nMsg, CWceUiLayer* pLayer) = 0;
    virtual BOOL UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer) = 0;
    // Queued behind the messages waiting now (a control's notice to its dialog).
    virtual BOOL PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) = 0;

    // The previous capture layer, or null.
    virtual CWceUiLayer* SetCapture(CWceUiLayer* pCaptureLayer) = 0;
    // Only when pLayer holds the capture.
    virtual void ReleaseCapture(CWceUiLayer* pLayer) = 0;
    virtual CWceUiLayer* GetCapture() = 0;
    // Pen input queued up to now is dropped by the modal loops: taps made while the window
    // was busy (a transition, a long scroll) must not land on what shows afterwards.
    virtual BOOL IgnoreQueuedInput() = 0;

    // The text caret of the focused layer, one at a time, in window coordinates. It is made
    // hidden; FALSE when the window has no caret (the layer then keeps its place itself).
    virtual BOOL CreateCaret(int nWidth, int nHeight) = 0;
    virtual BOOL SetCaretPos(int x, int y) = 0;
    virtual BOOL ShowCaret(BOOL bShow) = 0;
    virtual BOOL DestroyCaret() = 0;

    // FALSE once the window is gone (destroyed under a modal loop, say).
    virtual BOOL IsOpen() = 0;
    // Moves the window to a dialog's window rectangle (screen coordinates).
    virtual BOOL MoveWindow(const RECT* lpRect, BOOL bRepaint) = 0;
    // Runs the window's input until *pbEnd is set, the window goes or the input ends; TRUE
    // when *pbEnd ended it. Whoever sets *pbEnd posts a message to wake the loop.
    virtual BOOL RunModalLoop(const BOOL* pbEnd) = 0;

    // A transition: Apply takes the starting picture (a copy of pFromBitmap, or the window
    // as it looks now when null); Play then shows the animations' frames from it to the
    // window as it looks now. The array ends at its first null entry; bIgnoreMsg drops pen
    // input queued during the transition.
    virtual BOOL Apply(CWceUiGenericBitmap* pFromBitmap) = 0;
    virtual BOOL Play(CWceUiWndAnimate** ppWndAnimate, int nWndAnimate, BOOL bIgnoreMsg) = 0;
};
