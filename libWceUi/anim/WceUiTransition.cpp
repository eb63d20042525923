#include "WceUiTransition.h"

#include "JXWriteLogFile.h"
#include "WceUiWndAnimate.h"
#include "wce/timesync.h"

BOOL WceUiPlayFrames(LPCWSTR pWho, CWceUiWndAnimate** ppKept, int nKept, CWceUiGenericBitmap* pMixed,
                     CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo, CWceUiFrameSink* pSink)
{
    BOOL bRet = TRUE;
    int nFrames = 0;
    for (int i = 0; i < nKept && bRet; ++i) {
        if (!ppKept[i]->ReStart(pMixed, pFrom, pTo)) {
            JxWriteLogW(JX_LOG_ERROR, u"In %s::Play, %s pAnimate->ReStart failed", pWho, ppKept[i]->GetName());
            bRet = FALSE;
        } else if (ppKept[i]->GetFrameCount() > nFrames) {
            nFrames = ppKept[i]->GetFrameCount();
        }
    }
    for (int f = 0; f < nFrames && bRet; ++f) {
        DWORD dwStart = ::GetTickCount();
        DWORD dwDelay = 0;
        BOOL bHaveDelay = FALSE;
        for (int i = 0; i < nKept && bRet; ++i) {
            if (ppKept[i]->GetFrameCount() <= f) continue;
            DWORD dwPlay = 0;
            if (!ppKept[i]->Play(pMixed, pFrom, pTo, f, &dwPlay)) {
                JxWriteLogW(JX_LOG_ERROR, u"%s::Play, %s pAnimate->Play failed", pWho, ppKept[i]->GetName());
                bRet = FALSE;
            } else if (!bHaveDelay) {
                dwDelay = dwPlay;
                bHaveDelay = TRUE;
            }
        }
        if (!bRet) break;
        if (!pSink->ShowFrame(pMixed)) {
            bRet = FALSE;
            break;
        }
        pSink->WaitFrame(dwStart, dwDelay);
    }
    if (bRet)
        for (int i = 0; i < nKept; ++i) ppKept[i]->OnAnimateEnd(pMixed);
    return bRet;
}
