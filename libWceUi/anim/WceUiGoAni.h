// Uncover: the old picture moves out over the still new one.
#pragma once

#include "WceUiWndAnimate.h"

class CWceUiGoAni : public CWceUiWndAnimate {
    WCEUI_DYNCREATE_BEGIN(CWceUiGoAni, CWceUiWndAnimate)

public:
    CWceUiGoAni();

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
WCEUI_DYNCREATE_END(CWceUiGoAni, CWceUiWndAnimate)
