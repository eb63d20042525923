// The ignore filter: lets the modal loops drop pen input that was queued before a given
// moment, per window. One per process, reached through the framework's globals.
#pragma once

#include "wce/window.h"

class CJxIgnoreMsg {
public:
    enum { MAX_IGNORE_MSG = 64, MAX_IGNORE_HWND = 128 };

    // Starts with WM_LBUTTONDOWN, WM_MOUSEMOVE and WM_LBUTTONUP.
    CJxIgnoreMsg();

    BOOL AddIgnoreMsg(UINT msg);
    BOOL RemoveIgnoreMsg(UINT msg);
    // A time of 0 means now. A window that has an entry already takes the new time there:
    // only its newest entry ever decided, and one entry per transition filled the table.
    BOOL AddHwndTime(HWND hWnd, DWORD dwTime);
    BOOL RemoveHwnd(HWND hWnd);
    // TRUE when the message is to be dropped.
    BOOL IsIgnoreMsg(const MSG* lpMsg);

    int GetIgnoreMsgCount() const { return m_nMsgCount; }
    int GetHwndCount() const { return m_nHwndCount; }

private:
    struct CHwndTime {
        HWND hWnd;
        DWORD dwTime;
    };
    UINT m_Msgs[MAX_IGNORE_MSG];
    int m_nMsgCount;
    CHwndTime m_Hwnds[MAX_IGNORE_HWND];
    int m_nHwndCount;
};

// The same operations on the process-wide filter.
BOOL WceUiAddIgnoreMsg(UINT msg);
BOOL WceUiRemoveIgnoreMsg(UINT msg);
BOOL WceUiIsIgnoreMsg(const MSG* lpMsg);
