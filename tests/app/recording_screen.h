// A screen for running the update procedure without a window: it keeps what the procedure
// tells the user and how the run ended.
#pragma once

#include <string>
#include <vector>

#include "UpdateScreen.h"

class RecordingScreen : public IUpdateScreen {
public:
    std::vector<std::u16string> statuses;
    std::vector<std::u16string> messages;
    std::vector<UINT> flags;
    int ended = -1;  // the result EndDialog was given; -1 while it was not called

    void SetStatusText(LPCWSTR text) override { statuses.push_back(text); }
    void SetProgressPos(int) override {}
    void UpdateWindow() override {}
    void EnableWindow(BOOL) override {}
    HWND GetWindowHandle() override { return nullptr; }
    void EnableControls(BOOL) override {}
    void ShowMessage(LPCWSTR text, UINT flag) override
    {
        messages.push_back(text);
        flags.push_back(flag);
    }
    void EndDialog(int result) override { ended = result; }
};
