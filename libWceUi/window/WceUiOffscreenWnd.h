// A layer window without a platform window: it owns a controller and a window bitmap,
// gathers invalidations into one dirty rectangle and paints it on demand. Timers and
// registered messages are only recorded, the capture is kept as a real window keeps it.
// skinview, the tests and the benchmarks show layer trees through it.
#pragma once

#include <map>
#include <vector>

#include "WceUiLayerHost.h"
#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiLayerCtrl;

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

    // CWceUiLayerHost
    BOOL InvalidateRect(const RECT* lpRect, BOOL bErase) override;
    BOOL SetTimer(UINT nIDEvent, UINT nElapse) override;
    BOOL KillTimer(UINT nIDEvent) override;
    BOOL RegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    BOOL UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer) override;
    CWceUiLayer* SetCapture(CWceUiLayer* pCaptureLayer) override;
    void ReleaseCapture(CWceUiLayer* pLayer) override;
    CWceUiLayer* GetCapture() override;
    // Posts are recorded, not delivered; UpdateWindow paints the dirty rectangle.
    BOOL PostMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    BOOL UpdateWindow();
    struct CPosted {
        UINT nMsg;
        WPARAM wParam;
        LPARAM lParam;
    };
    const std::vector<CPosted>& GetPosted() const { return m_posted; }
    void ClearPosted() { m_posted.clear(); }

private:
    CWceUiLayerCtrl* m_pLayerCtrl;
    CWceUiGenericBitmap* m_pWndBitmap;
    RECT m_rcDirty;
    BOOL m_bPainting;
    CWceUiLayer* m_pCapture;
    std::map<UINT, UINT> m_timers;
    std::multimap<UINT, CWceUiLayer*> m_msgs;
    std::vector<CPosted> m_posted;
};
