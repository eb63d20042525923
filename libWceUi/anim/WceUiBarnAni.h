// Wipe: both pictures stay in place while the border between them moves.
#pragma once

#include "WceUiWndAnimate.h"

class CWceUiBarnAni : public CWceUiWndAnimate {
    WCEUI_DYNCREATE_BEGIN(CWceUiBarnAni, CWceUiWndAnimate)

public:
    CWceUiBarnAni();

    BOOL Init(CWceUiXmlElem* pElem) override;
    BOOL Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap, CWceUiGenericBitmap* pToBitmap,
              int nCurFrame, DWORD* lpPlayTime) override;
    void SetRandomParameter() override;

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;
};
WCEUI_DYNCREATE_END(CWceUiBarnAni, CWceUiWndAnimate)
