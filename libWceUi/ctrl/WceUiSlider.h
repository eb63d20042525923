// A horizontal slider drawn from a background, a selected background left of the thumb and
// a thumb. Unless read-only it follows the pen and posts WCEUI_MSG_SLIDER (wParam the
// slider, lParam 0 press, 1 drag, 2 release) on every change of its position.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

struct CWceUiSliderData;

enum { WCEUI_MSG_SLIDER = 33770 };

class CWceUiSlider : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiSlider, CWceUiLayer)

public:
    // ---- Life ----
    CWceUiSlider();
    virtual ~CWceUiSlider();
    void OnInitLayer() override;

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    void SetReadOnly(BOOL bReadOnly);
    BOOL IsReadOnly() const;
    int GetThumbWidth() const;

    // ---- Public calls ----
    // Ignored when nMin > nMax; the position is left as it is.
    void SetRange(int nMin, int nMax, BOOL bRedraw);
    void GetRange(int* pMin, int* pMax) const;
    // Ignored outside the range or when equal to the position.
    void SetPos(int nPos);
    int GetPos() const;
    BOOL IsTracking() const;
    // The thumb's offset from the track's start for the present position, clamped to the track.
    int GetThumbOffset() const;

    // ---- Input ----
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnLoseCapture() override;

    // ---- Painting ----
    void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) override;

    CWceUiSliderData* GetData() const { return m_pData; }

private:
    void impTrack(int x, LPARAM nPhase);

    CWceUiSliderData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiSlider, CWceUiLayer)
