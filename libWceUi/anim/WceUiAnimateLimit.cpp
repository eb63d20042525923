#include "WceUiAnimateLimit.h"

#include "WceUiWndAnimate.h"

BOOL WceUiIsAnimateWithinLimit(CWceUiWndAnimate* pAnimate)
{
    if (NULL == pAnimate) return FALSE;
    const long long nFrames = pAnimate->GetFrameCount();
    if (nFrames > WCEUI_ANIMATE_MAX_FRAMES) return FALSE;
    return nFrames * pAnimate->GetFrameLength() <= WCEUI_ANIMATE_MAX_TIME;
}
