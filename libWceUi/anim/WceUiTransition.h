// The frame loop both layer windows play their transitions with: the window prepares the
// three pictures, the loop composes each frame and hands it back to be shown.
#pragma once

#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiWndAnimate;

class CWceUiFrameSink {
public:
    // Shows a finished frame; FALSE stops the transition (the sink has logged why).
    virtual BOOL ShowFrame(CWceUiGenericBitmap* pMixed) = 0;
    // Waits until dwDelay milliseconds after dwStart, the tick the frame was begun at.
    virtual void WaitFrame(DWORD dwStart, DWORD dwDelay) = 0;

protected:
    ~CWceUiFrameSink() {}
};

// Restarts the nKept enabled animations and plays their frames into pMixed (which holds the
// starting picture), the longest one setting the count; the first animation of a frame sets
// its length. OnAnimateEnd follows a transition played to its end. pWho names the window in
// the log.
BOOL WceUiPlayFrames(LPCWSTR pWho, CWceUiWndAnimate** ppKept, int nKept, CWceUiGenericBitmap* pMixed,
                     CWceUiGenericBitmap* pFrom, CWceUiGenericBitmap* pTo, CWceUiFrameSink* pSink);
