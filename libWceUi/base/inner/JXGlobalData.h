// The framework-wide settings, and the path resolution the framework uses for every
// directory and file name it is given.
#pragma once

#include "JXPath.h"
#include "QuickString.h"
#include "wce/types.h"

class CJxGlobalData {
public:
    CJxGlobalData();
    ~CJxGlobalData();
    CJxGlobalData(const CJxGlobalData&) = delete;
    CJxGlobalData& operator=(const CJxGlobalData&) = delete;

    HINSTANCE GetInstanceHandle() const;
    void SetInstanceHandle(HINSTANCE hInstance);

    // The screen settings come from the device on the first call of a getter, unless
    // SetScreenInfo fixed them before.
    int GetBitsPixel();
    int GetScreenWidth();
    int GetScreenHeight();
    BOOL IsScreenInfoSet() const;
    BOOL SetScreenInfo(int nScreenWidth, int nScreenHeight, int nBitsPixel);
    // Fixes the screen settings from "wceui.xml" in the executable's directory, else at the
    // device root, unless they are set already. TRUE when they were set or a file gave a
    // usable width and height; FALSE when the defaults 480 x 272 x 16 had to be used.
    // Defined with the XML document, above this library (WceUiInit.cpp).
    BOOL InitWin();

    // Resolved against the executable's directory; stored with a trailing separator.
    BOOL SetWndDir(LPCWSTR pWndDir);
    LPCWSTR GetWndDir() const;
    BOOL SetResDir(LPCWSTR pResDir);
    LPCWSTR GetResDir() const;

    // A copy of pPassword is kept; null means no password.
    BOOL SetPackPassword(LPCWSTR pPassword);
    LPCWSTR GetPackPassword() const;

    // Writes "1.3.0.0"; returns its length, or 0 when the buffer is too small.
    int GetVersionString(LPWSTR pBuffer, int nBufferLength) const;

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    void InitScreenFromDevice();
    BOOL SetDir(CQuickString& strDir, LPCWSTR pDir);

    CData* m_pData;
};



