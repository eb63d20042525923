// What the update procedure shows on the screen: output only, nothing is read back. The main dialog binds it to its layers;
// the console updater binds it to standard output.
#pragma once

#include "wce/cstring.h"
#include "wce/types.h"

// Message box flags used by the procedure.
constexpr UINT kMsgBoxError = 0x10;        // error icon, one "ok" button
constexpr UINT kMsgBoxInformation = 0x40;  // information icon, "ok"

class IUpdateScreen {
public:
    virtual ~IUpdateScreen() = default;

    virtual void SetStatusText(LPCWSTR pText) = 0;
    virtual void SetProgressPos(int nPos) = 0;  // 0..100
    virtual void UpdateWindow() = 0;   // repaint at once: nothing else repaints meanwhile
    virtual void EnableWindow(BOOL bEnable) = 0;
    virtual HWND GetWindowHandle() = 0;
    virtual void EnableControls(BOOL bEnable) = 0;  // gray (0) or normal (1) controls
    virtual void ShowMessage(LPCWSTR pText, UINT nFlags) = 0;  // modal: returns when closed
    // A text of the skin's language file; a screen without one shows pDefaultText.
    virtual void ShowMessageResID(LPCWSTR /*pTextResID*/, LPCWSTR pDefaultText, UINT nFlags)
    {
        ShowMessage(pDefaultText, nFlags);
    }
    virtual void EndDialog(int nResult) = 0;
    // Keeps the message box's pressed-button image loaded across the final message and
    // reset of the kpt variant; a screen without images ignores it.
    virtual void HoldMessageBoxImage(BOOL /*bHold*/) {}
};
