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

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;
};
WCEUI_DYNCREATE_END(CWceUiSliderAni, CWceUiWndAnimate)
