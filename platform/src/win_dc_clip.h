// The base clip of a window DC: the paint rectangle or the client area. A clip region
// selected into the DC later only narrows it.
#pragma once

#include "wce/gdi.h"

namespace wce::detail {

void SetDcBaseClip(HDC dc, const RECT* clip);
// The DC's clip box in its bitmap's pixels; false for a bad DC.
bool GetDcClipBox(HDC dc, RECT& box);

}  // namespace wce::detail
