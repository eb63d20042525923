#include "WceUiBlendAni.h"

#include "JXWriteLogFile.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"

CWceUiBlendAni::CWceUiBlendAni() : CWceUiWndAnimate(WCEUI_ANIMATE_FRAME_LENGTH, 0) {}

BOOL CWceUiBlendAni::Init(CWceUiXmlElem* pElem)
{
    return impInitKind(u"CWceUiBlendAni", pElem, 0);
}

BOOL CWceUiBlendAni::Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                          CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime)
{
    return impPlay(u"CWceUiBlendAni", pMixedBitmap, pFromBitmap, pToBitmap, nCurFrame, lpPlayTime);
}

BOOL CWceUiBlendAni::impDrawFrame(CWceUiGenericBitmap* pMix, CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo,
                                  int nCurFrame, const RECT& rc)
{
    impCopy(pMix, pFrom, rc.left, rc.top, rc.right, rc.bottom, rc.left, rc.top);
    BLENDFUNCTION bf;
    bf.BlendOp = AC_SRC_OVER;
    bf.BlendFlags = 0;
    bf.SourceConstantAlpha = (BYTE)(((255 / GetFrameCount()) * (nCurFrame + 1)) & 0xFF);
    bf.AlphaFormat = 0;
    pMix->AlphaBlend(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pTo, rc.left, rc.top, bf);
    return TRUE;
}
