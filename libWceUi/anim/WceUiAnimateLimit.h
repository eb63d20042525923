// How long a transition from a style file may hold the screen. Input is blocked while one
// plays, so a skin value must not be able to freeze the unit with it.
#pragma once

#include "wce/types.h"

class CWceUiWndAnimate;

enum {
    WCEUI_ANIMATE_MAX_FRAMES = 1000,
    WCEUI_ANIMATE_MAX_TIME = 5000,  // milliseconds, frames x frame length
};

// FALSE for more than WCEUI_ANIMATE_MAX_FRAMES frames or WCEUI_ANIMATE_MAX_TIME in all (a
// kind that times its frames itself, frame length 0, only by its frames).
BOOL WceUiIsAnimateWithinLimit(CWceUiWndAnimate* pAnimate);
