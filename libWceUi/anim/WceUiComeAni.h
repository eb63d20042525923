// Cover: the new picture moves in over the still old one.
#pragma once

#include "WceUiWndAnimate.h"

class CWceUiComeAni : public CWceUiWndAnimate {
    WCEUI_DYNCREATE_BEGIN(CWceUiComeAni, CWceUiWndAnimate)

public:
    CWceUiComeAni();

    BOOL Init(CWceUiXmlElem* pElem) override;
    BOOL Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap, CWceUiGenericBitmap* pToBitmap,
              int nCurFrame, DWORD* lpPlayTime) override;
    void SetRandomParameter() override;
    // A value the kind cannot draw is logged and replaced by right.
    void SetDirection(UINT nDirection) override;

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;
};
WCEUI_DYNCREATE_END(CWceUiComeAni, CWceUiWndAnimate)
