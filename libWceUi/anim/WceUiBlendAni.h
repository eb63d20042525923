// Cross-fade from the old picture to the new one.
#pragma once

#include "WceUiWndAnimate.h"

class CWceUiBlendAni : public CWceUiWndAnimate {
    WCEUI_DYNCREATE_BEGIN(CWceUiBlendAni, CWceUiWndAnimate)

public:
    CWceUiBlendAni();

    BOOL Init(CWceUiXmlElem* pElem) override;
    BOOL Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap, CWceUiGenericBitmap* pToBitmap,
              int nCurFrame, DWORD* lpPlayTime) override;

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;
};
WCEUI_DYNCREATE_END(CWceUiBlendAni, CWceUiWndAnimate)
