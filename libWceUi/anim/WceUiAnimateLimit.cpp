#include "WceUiAnimateLimit.h"

#include "WceUiBarnAni.h"
#include "WceUiBlendAni.h"
#include "WceUiComeAni.h"
#include "WceUiGoAni.h"
#include "WceUiSliderAni.h"

DWORD WceUiGetFrameLength(CWceUiWndAnimate* pAnimate)
{
    if (auto* p = dynamic_cast<CWceUiBarnAni*>(pAnimate)) return p->GetFrameLength();
    if (auto* p = dynamic_cast<CWceUiBlendAni*>(pAnimate)) return p->GetFrameLength();
    if (auto* p = dynamic_cast<CWceUiSliderAni*>(pAnimate)) return p->GetFrameLength();
    if (auto* p = dynamic_cast<CWceUiComeAni*>(pAnimate)) return p->GetFrameLength();
    if (auto* p = dynamic_cast<CWceUiGoAni*>(pAnimate)) return p->GetFrameLength();
    return 0;
}

BOOL WceUiIsAnimateWithinLimit(CWceUiWndAnimate* pAnimate)
{
    if (NULL == pAnimate) return FALSE;
    const long long nFrames = pAnimate->GetFrameCount();
    if (nFrames > WCEUI_ANIMATE_MAX_FRAMES) return FALSE;
    return nFrames * WceUiGetFrameLength(pAnimate) <= WCEUI_ANIMATE_MAX_TIME;
}
