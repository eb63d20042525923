#include "WceUiSliderAni.h"

#include <cstdlib>

#include "JXWriteLogFile.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/wstring.h"

CWceUiSliderAni::CWceUiSliderAni() : CWceUiWndAnimate(WCEUI_ANIMATE_FRAME_LENGTH, WCEUI_SLIDER_RIGHT) {}

BOOL CWceUiSliderAni::Init(CWceUiXmlElem* pElem)
{
    if (!CWceUiWndAnimate::Init(pElem)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiSliderAni::Init, CWceUiWndAnimate::Init return FALSE");
        return FALSE;
    }
    if (LPCWSTR pText = pElem->GetAttribute(u"direction")) {
        static const struct {
            const char16_t* pText;
            UINT nDirection;
        } kDirections[] = {{u"up", WCEUI_SLIDER_UP},
                           {u"down", WCEUI_SLIDER_DOWN},
                           {u"left", WCEUI_SLIDER_LEFT},
                           {u"right", WCEUI_SLIDER_RIGHT}};
        UINT nDirection = 0;
        for (const auto& entry : kDirections)
            if (0 == WStrICmp(pText, entry.pText)) nDirection = entry.nDirection;
        if (0 == nDirection) {
            JxWriteLogW(JX_LOG_ERROR, u"CWceUiSliderAni::Init, the direction %s is not valid", pText);
            return FALSE;
        }
        CWceUiWndAnimate::SetDirection(nDirection);
    }
    return impReadFrameLength(u"CWceUiSliderAni", pElem);
}

BOOL CWceUiSliderAni::Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                           CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime)
{
    return impPlay(u"CWceUiSliderAni", pMixedBitmap, pFromBitmap, pToBitmap, nCurFrame, lpPlayTime);
}

BOOL CWceUiSliderAni::impDrawFrame(CWceUiGenericBitmap* pMix, CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo,
                                   int nCurFrame, const RECT& rc)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const int n = GetFrameCount();
    int d;
    switch (GetDirection()) {
    case WCEUI_SLIDER_UP:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t + d, r, b, l, t);
        impCopy(pMix, pTo, l, t, r, t + d, l, b - d);
        break;
    case WCEUI_SLIDER_DOWN:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t, r, b - d, l, t + d);
        impCopy(pMix, pTo, l, b - d, r, b, l, t);
        break;
    case WCEUI_SLIDER_LEFT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l + d, t, r, b, l, t);
        impCopy(pMix, pTo, l, t, l + d, b, r - d, t);
        break;
    case WCEUI_SLIDER_RIGHT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l, t, r - d, b, l + d, t);
        impCopy(pMix, pTo, r - d, t, r, b, l, t);
        break;
    default:
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiSliderAni::Play failed , direction %u is not valid", GetDirection());
        return FALSE;
    }
    return TRUE;
}

void CWceUiSliderAni::SetRandomParameter() { CWceUiWndAnimate::SetDirection(1 + (std::rand() & 3)); }
