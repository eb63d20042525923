// The real windows' helper, one per process (reached through the framework's globals): it
// registers the framework's one window class and maps window handles to their objects.
#pragma once

#include "JXMap.h"
#include "wce/window.h"

class CRealWnd;

class CQoWndHelper {
public:
    CQoWndHelper();

    // Registers "WceUiWnd" with the framework's window procedure on the first call; a failed
    // registration is retried next time.
    void RegisterClassOnce(WNDPROC pfnWndProc);
    LPCWSTR GetClassName() const { return m_szClassName; }
    JXMap<HWND, CRealWnd*>& GetWndMap() { return m_WndMap; }

private:
    BOOL m_bRegistered;
    WCHAR m_szClassName[16];
    JXMap<HWND, CRealWnd*> m_WndMap;
};
