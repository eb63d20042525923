// Push: the old picture moves out while the new one moves in beside it (directions 1 up,
// 2 down, 3 left, 4 right).
#pragma once

#include "WceUiWndAnimate.h"

enum {
    WCEUI_SLIDER_UP = 1,
    WCEUI_SLIDER_DOWN = 2,
    WCEUI_SLIDER_LEFT = 3,
    WCEUI_SLIDER_RIGHT = 4,
};

class CWceUiSliderAni : public CWceUiWndAnimate {
    WCEUI_DYNCREATE_BEGIN(CWceUiSliderAni, CWceUiWndAnimate)

public:
    CWceUiSliderAni();

    BOOL Init(CWceUiXmlElem* pElem) override;
    BOOL Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap, CWceUiGenericBitmap* pToBitmap,
              int nCurFrame, DWORD* lpPlayTime) override;
    void SetRandomParameter() override;
    void SetFrameLength(DWORD nFrameLength) { m_nFrameLength = nFrameLength; }
    DWORD GetFrameLength() const { return m_nFrameLength; }
    virtual void SetDirection(UINT nDirection) { m_nDirection = nDirection; }
    UINT GetDirection() const { return m_nDirection; }

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;

    DWORD m_nFrameLength;  // milliseconds per frame
    UINT m_nDirection;
};
WCEUI_DYNCREATE_END(CWceUiSliderAni, CWceUiWndAnimate)
