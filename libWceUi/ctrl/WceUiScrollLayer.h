// Touch scrolling for a layer: the content follows the pen once it moved 20 pixels, a quick
// flick goes on with an eased animation on timer 1, and content dragged past an end springs
// back. Keeps a scroll-bar thumb length and position for subclasses to draw.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

struct CWceUiScrollLayerData;

enum { WCEUI_SCROLL_TIMER = 1 };

class CWceUiScrollLayer : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiScrollLayer, CWceUiLayer)

public:
    // ---- Life ----
    CWceUiScrollLayer();
    virtual ~CWceUiScrollLayer();

    // ---- Properties ----
    void SetExtraScroll(int nExtra);
    int GetExtraScroll() const;
    BOOL IsVertical() const;
    void SetVertical(int nVertical);

    // ---- Public calls ----
    void ScrollBy(int nDelta, BOOL bRedraw);
    void SetScrollRange(int nMin, int nMax, BOOL bRedraw);
    void GetScrollRange(int* pMin, int* pMax) const;
    void SetScrollPos(int nPos, BOOL bRedraw);
    int GetScrollPos() const;
    int GetThumbLength() const;
    int GetThumbPos() const;
    BOOL IsPressed() const;
    BOOL IsDragging() const;
    BOOL IsAnimating() const;
    // The position before the step being painted; meaningful while IsScrolling.
    int GetPosBeforeScroll() const;
    BOOL IsScrolling() const;
    virtual void AdjustScrollPos(BOOL bAnimate, BOOL bRedraw);

protected:
    // The client height (vertical) or width.
    int GetViewLength() const;
    void StopAnimation();
    // Starts the eased animation over nDistance pixels (0 does nothing).
    void AnimateScroll(int nDistance);
    // Ends a press as a loss of capture does: capture released, no tap or drag end.
    void CancelPress();

public:
    // ---- Input ----
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnLoseCapture() override;
    virtual int CalcFlickDistance(int nElapsed, int x, int y);
    void OnTimer(WORD nTimerId) override;
    // What the input did, for subclasses.
    virtual void OnScrollEnd() {}
    virtual void OnDragEnd() {}
    virtual void OnTapEnd() {}
    virtual void OnScrollPosChanged() {}

    CWceUiScrollLayerData* GetData() const { return m_pData; }

private:
    CWceUiScrollLayerData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiScrollLayer, CWceUiLayer)
