// A layer window without a platform window: it owns a controller and a window bitmap,
// gathers invalidations into one dirty rectangle and paints it on demand. Timers and
// registered messages are only recorded, the capture is kept as a real window keeps it.
// Modal dialogs and transitions run in it too, their input coming from OnModalIdle.
// skinview, the tests and the benchmarks show layer trees through it.
#pragma once

#include <map>
#include <vector>

#include "WceUiLayerHost.h"
#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiLayerCtrl;
class CWceUiWndAnimate;

class CWceUiOffscreenWnd : public CWceUiLayerHost {
public:
    // The window bitmap is made at the size and depth given (0 bits: the screen's).
    CWceUiOffscreenWnd(int nWidth, int nHeight, int nBitsPixel = 0);
    ~CWceUiOffscreenWnd() override;
    CWceUiOffscreenWnd(const CWceUiOffscreenWnd&) = delete;
    CWceUiOffscreenWnd& operator=(const CWceUiOffscreenWnd&) = delete;

    BOOL IsReady() const;
    CWceUiLayerCtrl* GetLayerCtrl() const { return m_pLayerCtrl; }
    CWceUiGenericBitmap* GetWndBitmap() const { return m_pWndBitmap; }
    // Makes a new, empty window bitmap of that size.
    BOOL Resize(int nWidth, int nHeight);

    // The union of the invalidations since the last paint; FALSE when there is none.
    BOOL GetDirtyRect(RECT* lpRect) const;
    // Paints the dirty rectangle (none: nothing) and forgets it. Invalidations made while
    // painting are dropped, as a real window drops them.
    BOOL Paint();
    // Paints rc whatever is dirty; the dirty rectangle is left as it was.
    BOOL PaintRect(const RECT& rc);
    // Marks the whole window dirty.
    void InvalidateAll();

    // Recorded timers (packed ids with their elapse) and registered messages.
    const std::map<UINT, UINT>& GetTimers() const { return m_timers; }
    const std::multimap<UINT, CWceUiLayer*>& GetRegisteredMsgs() const { return m_msgs; }
    // Delivers a registered message to the layers that asked for it; the last result.
    LRESULT SendRegisteredMsg(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // Fires a recorded timer at its layer; FALSE when no such timer or layer.
    BOOL FireTimer(UINT nIDEvent);
    // The layer a pen message at pt goes to: the capture layer, else the hit layer.
    CWceUiLayer* HitTest(POINT pt) const;

    // CWceUiLayerHost. Nothing is queued here (IgnoreQueuedInput has nothing to drop), the
    // caret is only kept (GetCaretRect) and the window does not move (MoveWindow: FALSE).
    BOOL InvalidateRect(const RECT* lpRect, BOOL bErase) override;
    // Paints the dirty rectangle, as Paint does.
    BOOL UpdateWindow() override;
    BOOL SetTimer(UINT nIDEvent, UINT nElapse) override;
    BOOL KillTimer(UINT nIDEvent) override;
    BOOL RegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    BOOL UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    // Recorded (GetPosted), not delivered.
    BOOL PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    CWceUiLayer* SetCapture(CWceUiLayer* pCaptureLayer) override;
    void ReleaseCapture(CWceUiLayer* pLayer) override;
    CWceUiLayer* GetCapture() override;
    BOOL IgnoreQueuedInput() override;
    BOOL CreateCaret(int nWidth, int nHeight) override;
    BOOL SetCaretPos(int x, int y) override;
    BOOL ShowCaret(BOOL bShow) override;
    BOOL DestroyCaret() override;
    BOOL IsOpen() override;
    BOOL MoveWindow(const RECT* lpRect, BOOL bRepaint) override;
    // Each turn paints what is dirty, then asks OnModalIdle for the next input.
    BOOL RunModalLoop(const BOOL* pbEnd) override;
    // Frames go into the window bitmap, each one told to OnWndBmpReady, without waiting.
    BOOL Apply(CWceUiGenericBitmap* pFromBitmap) override;
    BOOL Play(CWceUiWndAnimate** ppWndAnimate, int nWndAnimate, BOOL bIgnoreMsg) override;

    // A turn of a modal loop with nothing to do: a tool or test delivers its next input here
    // (a click through HitTest, FireTimer, a registered message). FALSE ends the loop, as
    // the end of the input does; so by default the loop does not wait for anything.
    virtual BOOL OnModalIdle() { return FALSE; }
    // Called with each transition frame once it is in the window bitmap.
    virtual void OnWndBmpReady(CWceUiGenericBitmap* pWndBmp) { (void)pWndBmp; }

    // The caret, when there is one and it shows.
    BOOL GetCaretRect(RECT* lpRect) const;
    struct CPosted {
        UINT nMsg;
        WPARAM wParam;
        LPARAM lParam;
    };
    const std::vector<CPosted>& GetPosted() const { return m_posted; }
    void ClearPosted() { m_posted.clear(); }

private:
    // The whole tree drawn into a new bitmap of the window's size, or null.
    CWceUiGenericBitmap* impDrawAll() const;

    CWceUiLayerCtrl* m_pLayerCtrl;
    CWceUiGenericBitmap* m_pWndBitmap;
    RECT m_rcDirty;
    BOOL m_bPainting;
    CWceUiLayer* m_pCapture;
    std::map<UINT, UINT> m_timers;
    std::multimap<UINT, CWceUiLayer*> m_msgs;
    std::vector<CPosted> m_posted;
    RECT m_rcCaret;
    BOOL m_bCaret;
    BOOL m_bCaretShown;
    CWceUiGenericBitmap* m_pFromBitmap;  // applied, not yet played
};
