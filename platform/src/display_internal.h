// The display: one interface, two backends (headless and SDL), and the state every window
// call reaches through it (the screen buffer, the clock, the frame count, the trace).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gdi_objects.h"
#include "wce/display.h"

namespace wce::detail {

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual const char* Name() const = 0;
    // The tick count while this display is open.
    virtual DWORD Now() = 0;
    // The screen buffer changed in area and was presented as frame number frame.
    virtual void Present(const RECT& /*area*/, std::uint64_t /*frame*/) {}
    // Takes pending input (SDL stamps events when they are pumped, not when they happened).
    virtual void Pump() {}
    // Called when GetMessageW finds nothing: waits for input, a command or the next timer.
    // Returns false when the run has ended.
    virtual bool Idle() = 0;
    virtual void Sleep(DWORD ms) = 0;
    // The title of the active window changed.
    virtual void TitleChanged() {}
    virtual void RaiseWindow() {}
    // False when the run had a failure (see wce::host::CloseDisplay).
    virtual bool Close() { return true; }
};

std::unique_ptr<DisplayBackend> MakeHeadlessBackend(const wce::host::DisplayOptions& options, std::string& error);
// Null with a reason when SDL video cannot start (or the program has no SDL display).
std::unique_ptr<DisplayBackend> MakeSdlBackend(const wce::host::DisplayOptions& options, std::string& error);

// The SDL display lives in a library of its own, so that programs without windows load no
// SDL: linking that library registers these from a static object. Without it, MakeSdlBackend
// fails with a reason and PushSdlTestEvent answers false.
struct SdlDisplayHooks {
    std::unique_ptr<DisplayBackend> (*make)(const wce::host::DisplayOptions& options, std::string& error);
    bool (*pushTestEvent)(const char* kind, int x, int y);
};
bool RegisterSdlDisplay(const SdlDisplayHooks* hooks);

struct DisplayState {
    DisplayState() = default;
    DisplayState(const DisplayState&) = delete;
    DisplayState& operator=(const DisplayState&) = delete;
    ~DisplayState();  // frees the screen bitmap, so reopening a display leaks nothing

    std::unique_ptr<DisplayBackend> backend;
    wce::host::DisplayOptions options;
    HBITMAP screenBitmap = nullptr;
    Surface screen;
    std::uint64_t frames = 0;
    std::function<void(std::uint64_t, const RECT&)> presentHook;
    std::function<bool(const std::string&, std::string&)> dumpHook;
    bool scriptEndTimedOut = false;
    bool ended = false;  // the run is over: every loop gets WM_QUIT
    int hostWidth = 0, hostHeight = 0, hostBitsPerPixel = 0;  // the metrics before the display
};

// A surface bitmap at the given depth (16: RGB565, 32: 0xAARRGGBB), zeroed.
HBITMAP NewScreenBitmap(int width, int height, int bitsPixel);

// A point in the display's window, whose real size may differ from the one asked for (a
// window manager ignoring the size hints), on the screen: the picture is stretched over the
// whole window. An empty window size maps by the scale alone.
POINT WindowPointToScreen(int x, int y, int windowWidth, int windowHeight, int screenWidth, int screenHeight,
                          int scale);

// Where the picture is shown in a full-screen window of another shape: as large as fits with
// its proportions kept, centred, bars beside or above and below. An empty size gives the
// whole window.
RECT FitPicture(int windowWidth, int windowHeight, int screenWidth, int screenHeight);

// The open display, opening a headless one with the host's metrics when none is.
DisplayState& Display();
bool IsDisplayOpen();
// The display's tick count, or the real one when no display is open.
DWORD Now();
// Ends the run: from now on every message loop gets WM_QUIT.
void EndRun();
// Pumps the backend's input (before routing-relevant changes).
void PumpInput();

// The presented screen as RGBA with the caret drawn (frames, screenshots, expects).
void ScreenToRgba(wce::host::RgbaImage& image);
// A PNG at zlib's fastest level; false with a reason.
bool WriteFramePng(const std::string& path, const wce::host::RgbaImage& image, std::string& error);

// The trace (--trace): one line per event, "TICK text", flushed.
void OpenTrace(const std::string& path);
void CloseTrace();
bool TraceOn();
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "w3", or "w?" for a handle that is not a window.
std::string WindowName(HWND hwnd);

}  // namespace wce::detail
