// A screen for running the update procedure without a window: it keeps what the procedure
// tells the user, how it holds the window and the controls, and how the run ended.
#pragma once

#include <string>
#include <vector>

#include "UpdateScreen.h"

class RecordingScreen : public IUpdateScreen {
public:
    std::vector<std::u16string> statuses;
    std::vector<std::u16string> messages;
    std::vector<UINT> flags;
    std::vector<int> progressSet, windowEnabled, controlsEnabled;
    int repaints = 0;
    int ended = -1;      // the result EndDialog was given; -1 while it was not called
    std::string events;  // messages, the end and the box image's hold, in order

    void SetStatusText(LPCWSTR text) override { statuses.push_back(text); }
    void SetProgressPos(int pos) override { progressSet.push_back(pos); }
    void UpdateWindow() override { ++repaints; }
    void EnableWindow(BOOL enable) override { windowEnabled.push_back(enable); }
    HWND GetWindowHandle() override { return nullptr; }
    void EnableControls(BOOL enable) override { controlsEnabled.push_back(enable); }
    void ShowMessage(LPCWSTR text, UINT flag) override
    {
        messages.push_back(text);
        flags.push_back(flag);
        events += "message;";
    }
    void EndDialog(int result) override
    {
        ended = result;
        events += "end;";
    }
    void HoldMessageBoxImage(BOOL hold) override { events += hold ? "hold;" : "release;"; }
};
