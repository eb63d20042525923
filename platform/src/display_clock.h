// The tick count and Sleep follow the display: virtual time while a headless display is
// open, real time otherwise.
#pragma once

#include "wce/types.h"

namespace wce::detail {

DWORD RealTick();
void RealSleep(DWORD ms);
// False when no display is open (the caller then uses real time).
bool DisplayTick(DWORD& tick);
bool DisplaySleep(DWORD ms);

}  // namespace wce::detail
