// Opening and closing the display, and what the rest of the platform asks of it: the screen
// buffer, the clock and the frame count.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <sys/stat.h>
#include <thread>

#include "display_clock.h"
#include "display_internal.h"
#include "display_script.h"
#include "win_internal.h"
#include "wce/host.h"
#include "wce/process.h"

namespace wce::detail {

DisplayState::~DisplayState()
{
    if (screenBitmap) DeleteObject(screenBitmap);
}

namespace {

DisplayState* g_display = nullptr;
// Constant-initialised, so the SDL library's registration may run before this file's statics.
const SdlDisplayHooks* g_sdlHooks = nullptr;

bool MakeScreen(DisplayState& state, std::string& error)
{
    state.screenBitmap = NewScreenBitmap(state.options.width, state.options.height, state.options.bitsPerPixel);
    if (!state.screenBitmap || !GetBitmapSurface(state.screenBitmap, state.screen)) {
        error = "cannot allocate the screen";
        return false;
    }
    return true;
}

bool CheckOptions(const wce::host::DisplayOptions& o, std::string& error, wce::host::DisplayFailure& failure)
{
    failure = wce::host::DisplayFailure::Usage;
    if (o.width < 1 || o.height < 1 || o.width > 8192 || o.height > 8192) {
        error = "the screen size must be 1 to 8192 pixels on a side";
        return false;
    }
    if (16 != o.bitsPerPixel && 32 != o.bitsPerPixel) {
        error = "the screen depth must be 16 or 32 bits per pixel";
        return false;
    }
    if (o.scale < 1 || o.scale > 4) {
        error = "the scale must be 1 to 4";
        return false;
    }
    if (!o.scriptPath.empty() || !o.scriptText.empty()) {
        if (wce::host::DisplayOptions::Backend::Sdl == o.backend) {
            error = "--script needs the headless display";
            return false;
        }
    }
    if (!o.framesDir.empty()) {
        struct stat st {};
        if (0 != stat(o.framesDir.c_str(), &st)) mkdir(o.framesDir.c_str(), 0777);
        if (0 != stat(o.framesDir.c_str(), &st) || !S_ISDIR(st.st_mode)) {
            failure = wce::host::DisplayFailure::NoDisplay;
            error = "cannot make the frames folder " + o.framesDir;
            return false;
        }
    }
    failure = wce::host::DisplayFailure::None;
    return true;
}

// Rounds toward minus infinity, so that points left of or above the window stay outside;
// b > 0. Saturates: a tiny window cannot push a point past the coordinate range.
LONG FloorDiv(long long a, long long b)
{
    long long q = a >= 0 ? a / b : -((-a + b - 1) / b);
    return static_cast<LONG>(std::clamp<long long>(q, INT32_MIN, INT32_MAX));
}

}  // namespace

POINT WindowPointToScreen(int x, int y, int windowWidth, int windowHeight, int screenWidth, int screenHeight,
                          int scale)
{
    if (scale < 1) scale = 1;
    if (windowWidth <= 0 || windowHeight <= 0) return POINT{FloorDiv(x, scale), FloorDiv(y, scale)};
    return POINT{FloorDiv(static_cast<long long>(x) * screenWidth, windowWidth),
                 FloorDiv(static_cast<long long>(y) * screenHeight, windowHeight)};
}

RECT FitPicture(int windowWidth, int windowHeight, int screenWidth, int screenHeight)
{
    if (windowWidth <= 0 || windowHeight <= 0 || screenWidth <= 0 || screenHeight <= 0)
        return RECT{0, 0, std::max(windowWidth, 0), std::max(windowHeight, 0)};
    long long w = windowWidth, h = windowHeight;
    if (w * screenHeight <= h * screenWidth)
        h = w * screenHeight / screenWidth;  // as wide as the window
    else
        w = h * screenWidth / screenHeight;
    LONG left = static_cast<LONG>((windowWidth - w) / 2), top = static_cast<LONG>((windowHeight - h) / 2);
    return RECT{left, top, left + static_cast<LONG>(w), top + static_cast<LONG>(h)};
}

bool IsDisplayOpen() { return g_display && g_display->backend; }

DisplayState& Display()
{
    if (!IsDisplayOpen()) {
        wce::host::DisplayOptions options;
        options.backend = wce::host::DisplayOptions::Backend::Headless;
        options.width = GetSystemMetrics(SM_CXSCREEN);
        options.height = GetSystemMetrics(SM_CYSCREEN);
        options.bitsPerPixel = wce::host::GetScreenBitsPerPixel();
        std::string error;
        if (!wce::host::OpenDisplay(options, error)) {
            // The host metrics were bad: fall back to the default screen.
            std::fprintf(stderr, "display: %s\n", error.c_str());
            wce::host::DisplayOptions fallback;
            fallback.backend = wce::host::DisplayOptions::Backend::Headless;
            wce::host::OpenDisplay(fallback, error);
        }
    }
    return *g_display;
}

DWORD Now() { return IsDisplayOpen() ? g_display->backend->Now() : RealTick(); }

void PumpInput()
{
    if (IsDisplayOpen()) g_display->backend->Pump();
}

void EndRun()
{
    if (!IsDisplayOpen() || g_display->ended) return;
    g_display->ended = true;
    Trace("quit");
}

bool DisplayTick(DWORD& tick)
{
    if (!IsDisplayOpen()) return false;
    tick = g_display->backend->Now();
    return true;
}

bool DisplaySleep(DWORD ms)
{
    if (!IsDisplayOpen()) return false;
    g_display->backend->Sleep(ms);
    return true;
}

bool RegisterSdlDisplay(const SdlDisplayHooks* hooks)
{
    g_sdlHooks = hooks;
    return true;
}

std::unique_ptr<DisplayBackend> MakeSdlBackend(const wce::host::DisplayOptions& options, std::string& error)
{
    if (!g_sdlHooks || !g_sdlHooks->make) {
        error = "this program has no SDL display";
        return nullptr;
    }
    return g_sdlHooks->make(options, error);
}

}  // namespace wce::detail

namespace wce::host {

using namespace wce::detail;

bool PushSdlTestEvent(const char* kind, int x, int y)
{
    return g_sdlHooks && g_sdlHooks->pushTestEvent && g_sdlHooks->pushTestEvent(kind, x, y);
}

bool OpenDisplay(const DisplayOptions& requested, std::string& error, DisplayFailure* failure)
{
    DisplayFailure unasked = DisplayFailure::None;
    DisplayFailure& kind = failure ? *failure : unasked;
    if (IsDisplayOpen()) CloseDisplay();
    if (!CheckOptions(requested, error, kind)) return false;
    auto state = std::make_unique<DisplayState>();
    state->options = requested;
    bool scripted = !requested.scriptPath.empty() || !requested.scriptText.empty();
    if (DisplayOptions::Backend::Sdl == requested.backend ||
        (DisplayOptions::Backend::Auto == requested.backend && !scripted)) {
        std::string reason;
        state->backend = MakeSdlBackend(requested, reason);
        if (!state->backend) {
            if (DisplayOptions::Backend::Sdl == requested.backend) {
                error = "cannot open the SDL display: " + reason;
                kind = DisplayFailure::NoDisplay;
                return false;
            }
            std::fprintf(stderr, "no display (SDL: %s), running headless\n", reason.c_str());
        }
    }
    if (!state->backend) {
        state->options.backend = DisplayOptions::Backend::Headless;
        state->backend = MakeHeadlessBackend(state->options, error);
        if (!state->backend) {
            kind = DisplayFailure::Script;
            return false;
        }
    } else {
        state->options.backend = DisplayOptions::Backend::Sdl;
    }
    if (!MakeScreen(*state, error)) {
        kind = DisplayFailure::NoDisplay;
        return false;
    }
    state->hostWidth = GetSystemMetrics(SM_CXSCREEN);
    state->hostHeight = GetSystemMetrics(SM_CYSCREEN);
    state->hostBitsPerPixel = GetScreenBitsPerPixel();
    delete g_display;
    g_display = state.release();
    ResetWhenNoWindows();
    ForgetPendingArea();
    SetScreenMetrics(requested.width, requested.height, requested.bitsPerPixel);
    if (!requested.tracePath.empty()) OpenTrace(requested.tracePath);
    Trace("open %s %dx%dx%d", g_display->backend->Name(), requested.width, requested.height, requested.bitsPerPixel);
    return true;
}

bool CloseDisplay()
{
    if (!IsDisplayOpen()) return true;
    bool ok = g_display->backend->Close();
    g_display->backend.reset();
    SetScreenMetrics(g_display->hostWidth, g_display->hostHeight, g_display->hostBitsPerPixel);
    CloseTrace();
    return ok;
}

bool GetScreenImage(RgbaImage& image)
{
    if (!IsDisplayOpen()) return false;
    ScreenToRgba(image);
    return true;
}

bool CheckDisplayScript(const std::string& text, int width, int height, std::string& error)
{
    Script script;
    return ParseScript(text, width, height, script, error);
}

std::uint64_t GetPresentedFrameCount() { return IsDisplayOpen() ? g_display->frames : 0; }

void SetScriptDumpHook(std::function<bool(const std::string&, std::string&)> hook) { Display().dumpHook = std::move(hook); }
bool ScriptEndTimedOut() { return IsDisplayOpen() && Display().scriptEndTimedOut; }
void SetPresentHook(std::function<void(std::uint64_t, const RECT&)> hook) { Display().presentHook = std::move(hook); }

const char* GetDisplayBackendName() { return IsDisplayOpen() ? g_display->backend->Name() : "none"; }

}  // namespace wce::host
