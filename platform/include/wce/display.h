// The display the windows are shown on, as the host program sets it up: options shared by
// every program with windows, opening and closing, and what tests read back.
//
// Two backends: "sdl" (a real window) and "headless" (an in-memory screen with virtual time
// and a script of pen and key input). Headless, the tick count is 1000 when the display
// opens and moves only while the program waits for a message or sleeps, so a run is
// reproducible frame by frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "png.h"
#include "types.h"

namespace wce::host {

struct DisplayOptions {
    enum class Backend { Auto, Sdl, Headless };
    Backend backend = Backend::Auto;
    int width = 800;
    int height = 480;
    int bitsPerPixel = 16;
    std::string scriptPath;
    std::string scriptText;  // an inline script (tests); used when scriptPath is empty
    std::string framesDir;
    std::string tracePath;
    int scale = 1;
    // SDL: the window covers the whole screen of the unit, the picture scaled to fit it.
    bool fullscreen = false;
    // Headless: when the script is used up and nothing is due, post the close message once
    // instead of ending the run; a program still waiting a virtual second later is ended and
    // ScriptEndTimedOut() says so.
    bool closeAtScriptEnd = false;
};

extern const char* const kDisplayOptionsHelp;

// Takes the display options out of argv (argc shrinks); false with a reason on a bad one.
bool ParseDisplayOptions(int& argc, char** argv, DisplayOptions& options, std::string& error);
// Why a display did not open: options no display takes, a script that cannot be read or
// parsed, or a display (or its screen, or its frames folder) that cannot be had.
enum class DisplayFailure { None, Usage, Script, NoDisplay };
// False with a reason (a script error reads "script:LINE: reason") and, when asked, its kind.
bool OpenDisplay(const DisplayOptions& options, std::string& error, DisplayFailure* failure = nullptr);
// False after a failed expect, an unwritten screenshot, a close without a window or script
// commands never reached (each reported on stderr); programs then exit with 3.
bool CloseDisplay();
bool GetScreenImage(RgbaImage& image);
// Reads a script as OpenDisplay would for a screen of the given size, running nothing.
bool CheckDisplayScript(const std::string& text, int width, int height, std::string& error);
std::uint64_t GetPresentedFrameCount();
// Called after each presented frame with its number and area.
void SetPresentHook(std::function<void(std::uint64_t, const RECT&)> hook);
const char* GetDisplayBackendName();
// Runs a script line "dump FILE"; false with a reason fails the script.
void SetScriptDumpHook(std::function<bool(const std::string& file, std::string& error)> hook);
// True once a run with closeAtScriptEnd was ended because the program outlived its close.
bool ScriptEndTimedOut();

// For the SDL smoke test: queues a real SDL event as if it came from the window system. Kinds
// "down", "up", "move" (the left button at a screen point) and "close"; "finger-down",
// "finger-move", "finger-up" (a touch screen's finger at a window point) and "touch-down",
// "touch-up" (the mouse events SDL makes of a finger too). False without an SDL display.
bool PushSdlTestEvent(const char* kind, int x, int y);

}  // namespace wce::host
