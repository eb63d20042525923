// What a layer asks of the window that shows it. The real layer window implements it with a
// platform window; CWceUiOffscreenWnd implements it with none, for tools, tests and
// benchmarks. Layers reach it through their controller's GetWindow.
#pragma once

#include "wce/types.h"

class CWceUiLayer;

class CWceUiLayerHost {
public:
    virtual ~CWceUiLayerHost() {}

    // A rectangle in window coordinates; null is the whole window.
    virtual BOOL InvalidateRect(const RECT* lpRect, BOOL bErase) = 0;
    // nIDEvent packs the layer id (low 16 bits) and the layer's timer id (high 16 bits).
    virtual BOOL SetTimer(UINT nIDEvent, UINT nElapse) = 0;
    virtual BOOL KillTimer(UINT nIDEvent) = 0;
    virtual BOOL RegisterMsg(UINT nMsg, CWceUiLayer* pLayer) = 0;
    virtual BOOL UnRegisterMsg(UINT nMsg, CWceUiLayer* pLayer) = 0;
    // The previous capture layer, or null.
    virtual CWceUiLayer* SetCapture(CWceUiLayer* pCaptureLayer) = 0;
    // Only when pLayer holds the capture.
    virtual void ReleaseCapture(CWceUiLayer* pLayer) = 0;
    virtual CWceUiLayer* GetCapture() = 0;
};
