// The update procedure's screen on a terminal: status texts and a progress bar on standard
// output, message boxes printed as their text.
#pragma once

#include <string>

#include "UpdateScreen.h"

class ConsoleScreen : public IUpdateScreen {
public:
    void SetStatusText(LPCWSTR text) override { m_status = text ? text : u""; }
    void SetProgressPos(int pos) override { m_progress = pos; }
    void UpdateWindow() override;
    void EnableWindow(BOOL) override {}
    HWND GetWindowHandle() override { return nullptr; }
    void EnableControls(BOOL) override {}
    void ShowMessage(LPCWSTR text, UINT flags) override;
    void EndDialog(int) override { m_ended = true; }

    bool Ended() const { return m_ended; }

private:
    std::u16string m_status;
    std::u16string m_shownStatus;
    int m_progress = 0;
    int m_shownProgress = 0;
    bool m_ended = false;
};
