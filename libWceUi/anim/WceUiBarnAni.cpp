#include "WceUiBarnAni.h"

#include <cstdlib>

#include "JXWriteLogFile.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"

CWceUiBarnAni::CWceUiBarnAni() : CWceUiWndAnimate(WCEUI_ANIMATE_FRAME_LENGTH, WCEUI_ANIMATE_RIGHT) {}

BOOL CWceUiBarnAni::Init(CWceUiXmlElem* pElem)
{
    return impInitKind(u"CWceUiBarnAni", pElem, WCEUI_ANIMATE_BARN_DIRECTIONS);
}

BOOL CWceUiBarnAni::Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                         CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime)
{
    return impPlay(u"CWceUiBarnAni", pMixedBitmap, pFromBitmap, pToBitmap, nCurFrame, lpPlayTime);
}

BOOL CWceUiBarnAni::impDrawFrame(CWceUiGenericBitmap* pMix, CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo,
                                 int nCurFrame, const RECT& rc)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const int n = GetFrameCount();
    const int mx = l + (r - l) / 2, my = t + (b - t) / 2;
    int d;
    switch (GetDirection()) {
    case WCEUI_ANIMATE_LEFT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l, t, r - d, b, l, t);
        impCopy(pMix, pTo, r - d, t, r, b, r - d, t);
        break;
    case WCEUI_ANIMATE_RIGHT:
        d = impTravel(nCurFrame, n, r - l);
        impCopy(pMix, pFrom, l + d, t, r, b, l + d, t);
        impCopy(pMix, pTo, l, t, l + d, b, l, t);
        break;
    case WCEUI_ANIMATE_UP:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t, r, b - d, l, t);
        impCopy(pMix, pTo, l, b - d, r, b, l, b - d);
        break;
    case WCEUI_ANIMATE_DOWN:
        d = impTravel(nCurFrame, n, b - t);
        impCopy(pMix, pFrom, l, t + d, r, b, l, t + d);
        impCopy(pMix, pTo, l, t, r, t + d, l, t);
        break;
    case WCEUI_ANIMATE_LR_MID:
        d = impTravel(nCurFrame, n, mx - l);
        impCopy(pMix, pFrom, l + d, t, mx, b, l + d, t);
        impCopy(pMix, pFrom, mx, t, r - d, b, mx, t);
        impCopy(pMix, pTo, l, t, l + d, b, l, t);
        impCopy(pMix, pTo, r - d, t, r, b, r - d, t);
        break;
    case WCEUI_ANIMATE_MID_LR:
        d = impTravel(nCurFrame, n, mx - l);
        impCopy(pMix, pFrom, l, t, mx - d, b, l, t);
        impCopy(pMix, pFrom, mx + d, t, r, b, mx + d, t);
        impCopy(pMix, pTo, mx - d, t, mx + d, b, mx - d, t);
        break;
    case WCEUI_ANIMATE_UD_MID:
        d = impTravel(nCurFrame, n, my - t);
        impCopy(pMix, pFrom, l, t + d, r, my, l, t + d);
        impCopy(pMix, pFrom, l, my, r, b - d, l, my);
        impCopy(pMix, pTo, l, t, r, t + d, l, t);
        impCopy(pMix, pTo, l, b - d, r, b, l, b - d);
        break;
    case WCEUI_ANIMATE_MID_UD:
        d = impTravel(nCurFrame, n, my - t);
        impCopy(pMix, pFrom, l, t, r, my - d, l, t);
        impCopy(pMix, pFrom, l, my + d, r, b, l, my + d);
        impCopy(pMix, pTo, l, my - d, r, my + d, l, my - d);
        break;
    default:
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiBarnAni::Play failed , direction %u is not valid", GetDirection());
        return FALSE;
    }
    return TRUE;
}

void CWceUiBarnAni::SetRandomParameter() { CWceUiWndAnimate::SetDirection(1 + (std::rand() & 7)); }
