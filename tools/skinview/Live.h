// skinview live: runs a skin's dialog modally in a full-screen layer window on the display,
// with its transitions, a stack of further dialogs and reloading when the skin changes.
#pragma once

#include <string>
#include <vector>

#include "wce/display.h"

struct LiveOptions {
    std::string skin;         // host path: a folder or a .pack
    std::u16string setDir;    // device path of the screen set, ending in '\'
    std::u16string langPath;  // device path of the language file
    std::string dialog;
    std::vector<std::string> then;
    std::string transition;  // KIND[:DIRECTION[:FRAMES[:MS]]], empty for the skin's own
    wce::host::DisplayOptions display;
    long sampleItems = 0;  // items put into each empty list box
};

class CWceUiLayer;


// The --transition text checked: "" when it reads, else the reason.
std::string CheckLiveTransition(const std::string& spec);
// 0 done, 1 the first dialog cannot be built, 3 a headless script check failed.
int RunLive(const LiveOptions& options);
// Gives skin authors something to scroll: each list box the dialog left empty gets N items.
void FillSampleItems(CWceUiLayer* pLayer, long nItems);

