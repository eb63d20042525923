#include "WceUiGoAni.h"

#include <cstdlib>

#include "JXWriteLogFile.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"

CWceUiGoAni::CWceUiGoAni() : CWceUiWndAnimate(WCEUI_ANIMATE_FRAME_LENGTH, WCEUI_ANIMATE_RIGHT) {}

BOOL CWceUiGoAni::Init(CWceUiXmlElem* pElem)
{
    return impInitKind(u"CWceUiGoAni", pElem, WCEUI_ANIMATE_GO_DIRECTIONS);
}

BOOL CWceUiGoAni::Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                       CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime)
{
    return impPlay(u"CWceUiGoAni", pMixedBitmap, pFromBitmap, pToBitmap, nCurFrame, lpPlayTime);
}

BOOL CWceUiGoAni::impDrawFrame(CWceUiGenericBitmap* pMix, CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo,
                               int nCurFrame, const RECT& rc)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const int n = GetFrameCount();
    const int mx = l + (r - l) / 2, my = t + (b - t) / 2;
    int d;
    switch (GetDirection()) {
    case WCEUI_ANIMATE_LEFT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l + d, t, r, b, l, t);
        impCopy(pMix, pTo, r - d, t, r, b, r - d, t);
        break;
    case WCEUI_ANIMATE_RIGHT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l, t, r - d, b, l + d, t);
        impCopy(pMix, pTo, l, t, l + d, b, l, t);
        break;
    case WCEUI_ANIMATE_UP:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t + d, r, b, l, t);
        impCopy(pMix, pTo, l, b - d, r, b, l, b - d);
        break;
    case WCEUI_ANIMATE_DOWN:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t, r, b - d, l, t + d);
        impCopy(pMix, pTo, l, t, r, t + d, l, t);
        break;
    case WCEUI_ANIMATE_MID_LR:
        d = impTravel(nCurFrame, n, mx - l);
        impCopy(pMix, pFrom, l + d, t, mx, b, l, t);
        impCopy(pMix, pFrom, mx, t, r - d, b, mx + d, t);
        impCopy(pMix, pTo, mx - d, t, mx + d, b, mx - d, t);
        break;
    case WCEUI_ANIMATE_MID_UD:
        d = impTravel(nCurFrame, n, my - t);
        impCopy(pMix, pFrom, l, t + d, r, my, l, t);
        impCopy(pMix, pFrom, l, my, r, b - d, l, my + d);
        impCopy(pMix, pTo, l, my - d, r, my + d, l, my - d);
        break;
    default:
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiGoAni::Play failed , direction %u is not valid", GetDirection());
        return FALSE;
    }
    return TRUE;
}

void CWceUiGoAni::SetDirection(UINT nDirection)
{
    impSetDirection(u"CWceUiGoAni", WCEUI_ANIMATE_GO_DIRECTIONS, nDirection);
}

void CWceUiGoAni::SetRandomParameter()
{
    static const UINT kDirections[] = {WCEUI_ANIMATE_LEFT, WCEUI_ANIMATE_RIGHT, WCEUI_ANIMATE_UP,
                                       WCEUI_ANIMATE_DOWN, WCEUI_ANIMATE_MID_LR, WCEUI_ANIMATE_MID_UD};
    CWceUiWndAnimate::SetDirection(kDirections[std::rand() % 6]);
}
