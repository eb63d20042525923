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
    void SetFrameLength(DWORD nFrameLength) { m_nFrameLength = nFrameLength; }
    DWORD GetFrameLength() const { return m_nFrameLength; }
    // A value the kind cannot draw is logged and replaced by right.
    virtual void SetDirection(UINT nDirection);
    UINT GetDirection() const { return m_nDirection; }

private:
    BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc) override;

    DWORD m_nFrameLength;  // milliseconds per frame
    UINT m_nDirection;
};
WCEUI_DYNCREATE_END(CWceUiGoAni, CWceUiWndAnimate)
