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
    CWceUiScrollLayer();
    virtual ~CWceUiScrollLayer();

    void OnTimer(WORD nTimerId) override;
    void OnLoseCapture() override;
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;

    virtual void AdjustScrollPos(BOOL bAnimate, BOOL bRedraw);
    virtual void OnScrollEnd() {}
    virtual void OnDragEnd() {}
    virtual void OnTapEnd() {}
    virtual int CalcFlickDistance(int nElapsed, int x, int y);
    virtual void OnScrollPosChanged() {}

    void ScrollBy(int nDelta, BOOL bRedraw);
    void SetScrollRange(int nMin, int nMax, BOOL bRedraw);
    void GetScrollRange(int* pMin, int* pMax) const;
    void SetScrollPos(int nPos, BOOL bRedraw);
    int GetScrollPos() const;
    void SetExtraScroll(int nExtra);
    int GetExtraScroll() const;
    BOOL IsVertical() const;
    void SetVertical(int nVertical);
    int GetThumbLength() const;
    int GetThumbPos() const;
    BOOL IsPressed() const;
    BOOL IsDragging() const;
    BOOL IsAnimating() const;
    // The position before the step being painted; meaningful while IsScrolling.
    int GetPosBeforeScroll() const;
    BOOL IsScrolling() const;

protected:
    // Starts the eased animation over nDistance pixels (0 does nothing).
    void AnimateScroll(int nDistance);
    void StopAnimation();
    // Ends a press as a loss of capture does: capture released, no tap or drag end.
    void CancelPress();
    // The client height (vertical) or width.
    int GetViewLength() const;

public:
    CWceUiScrollLayerData* GetData() const { return m_pData; }

private:
    CWceUiScrollLayerData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiScrollLayer, CWceUiLayer)
