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
WCEUI_DYNCREATE_END(CWceUiBarnAni, CWceUiWndAnimate)
