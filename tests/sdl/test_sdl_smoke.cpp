// A real SDL window: a pushed mouse event arrives as WM_LBUTTONDOWN in client coordinates,
// the close button as WM_CLOSE, and the window shows what was painted. A touch screen's
// finger is the pen once, presents keep to the display's pace, and a full-screen window shows
// the picture fitted.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "display_internal.h"
#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"

namespace {

std::vector<MSG> g_seen;

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (WM_LBUTTONDOWN == msg || WM_LBUTTONUP == msg || WM_CLOSE == msg)
        g_seen.push_back(MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
    if (WM_CLOSE == msg) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The SDL display at the given size and a window on it, covering it unless given a place
// (null without a display: the caller skips).
HWND Open(int width, int height, int scale, bool fullscreen, std::string& error, RECT place = {})
{
    g_seen.clear();
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Sdl;
    options.width = width;
    options.height = height;
    options.scale = scale;
    options.fullscreen = fullscreen;
    if (!wce::host::OpenDisplay(options, error)) return nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = u"Smoke";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(0));
    RegisterClassW(&wc);
    if (place.right <= place.left) place = RECT{0, 0, width, height};
    return CreateWindowExW(0, u"Smoke", u"Smoke test", WS_POPUP | WS_VISIBLE, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, nullptr, nullptr, nullptr, nullptr);
}

// Dispatches until the window has seen a button going up at screen point (x, y), the marker
// a row of pushed events ends with, then leaves the marker out of what was seen.
void RunUntilMarker(int x, int y)
{
    MSG msg;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 && GetMessageW(&msg, nullptr, 0, 0)) {
        DispatchMessageW(&msg);
        if (WM_LBUTTONUP == msg.message && GET_X_LPARAM(msg.lParam) == x && GET_Y_LPARAM(msg.lParam) == y) break;
    }
    ASSERT_GE(g_seen.size(), 2u);
    g_seen.resize(g_seen.size() - 2);
}

// Each test's window and display, closed after it when the display opened.
class SdlSmoke : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!w) return;
        if (IsWindow(w)) DestroyWindow(w);
        EXPECT_TRUE(wce::host::CloseDisplay());
    }
    HWND w = nullptr;
    std::string error;
};

std::string Seen()
{
    std::string out;
    for (const MSG& m : g_seen)
        out += std::string(WM_LBUTTONDOWN == m.message ? "down " : "up ") + std::to_string(GET_X_LPARAM(m.lParam)) +
               "," + std::to_string(GET_Y_LPARAM(m.lParam)) + " ";
    return out;
}

TEST_F(SdlSmoke, PenAndCloseArriveAsWindowMessages)
{
    if (!(w = Open(320, 240, 2, false, error, RECT{100, 50, 300, 150}))) GTEST_SKIP() << "no SDL display: " << error;
    EXPECT_STREQ("sdl", wce::host::GetDisplayBackendName());
    UpdateWindow(w);  // paints, and the paint is presented
    EXPECT_EQ(1u, wce::host::GetPresentedFrameCount());
    ASSERT_TRUE(wce::host::PushSdlTestEvent("down", 110, 60));
    ASSERT_TRUE(wce::host::PushSdlTestEvent("up", 110, 60));
    MSG msg;
    DWORD start = GetTickCount();
    bool closing = false;
    while (GetMessageW(&msg, nullptr, 0, 0) && GetTickCount() - start < 10000) {
        DispatchMessageW(&msg);
        // Closing is posted, and posted messages come before input: close after the pen.
        if (WM_LBUTTONUP == msg.message && !closing) closing = wce::host::PushSdlTestEvent("close", 0, 0);
    }
    ASSERT_EQ(3u, g_seen.size());
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), g_seen[0].message);
    EXPECT_EQ(10, GET_X_LPARAM(g_seen[0].lParam));
    EXPECT_EQ(10, GET_Y_LPARAM(g_seen[0].lParam));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), g_seen[2].message);
    EXPECT_FALSE(IsWindow(w));  // the default WM_CLOSE destroyed it
}

// SDL reports a finger twice, as itself and as the mouse: one pen, never two.
TEST_F(SdlSmoke, AFingerIsOnePen)
{
    if (!(w = Open(320, 240, 1, false, error))) GTEST_SKIP() << "no SDL display: " << error;
    UpdateWindow(w);
    const struct {
        const char* name;
        std::vector<const char*> kinds;
        std::string seen;
    } rows[] = {
        {"a finger and its mouse copy", {"finger-down", "touch-down", "finger-move", "finger-up", "touch-up"},
         "down 40,30 up 40,30 "},
        {"the mouse copy alone", {"touch-down", "touch-up"}, ""},
        {"the mouse while a finger holds the pen", {"finger-down", "down", "up", "finger-up"}, "down 40,30 up 40,30 "},
    };
    for (const auto& r : rows) {
        g_seen.clear();
        for (const char* kind : r.kinds) ASSERT_TRUE(wce::host::PushSdlTestEvent(kind, 40, 30)) << r.name;
        wce::host::PushSdlTestEvent("down", 300, 200);
        wce::host::PushSdlTestEvent("up", 300, 200);
        RunUntilMarker(300, 200);
        EXPECT_EQ(r.seen, Seen()) << r.name;
    }
}

// Frames shown one after another take a display frame each (vsync, or 60 Hz on the clock),
// instead of as fast as the program paints.
TEST_F(SdlSmoke, PresentsKeepTheDisplaysPace)
{
    if (!(w = Open(320, 240, 1, false, error))) GTEST_SKIP() << "no SDL display: " << error;
    UpdateWindow(w);
    std::uint64_t first = wce::host::GetPresentedFrameCount();
    DWORD start = GetTickCount();
    for (int i = 0; i < 10; ++i) {
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
    }
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(first + 10, wce::host::GetPresentedFrameCount());
    EXPECT_GE(took, 9u * 16) << "10 frames in " << took << " ms";
}

// Full screen, the picture is as large as the unit's screen allows, its proportions kept: a
// pen lands where the picture under it came from.
TEST_F(SdlSmoke, FullScreenFitsThePictureAndItsPen)
{
    if (!(w = Open(400, 200, 1, true, error))) GTEST_SKIP() << "no SDL display: " << error;
    UpdateWindow(w);
    SDL_DisplayMode mode{};
    ASSERT_EQ(0, SDL_GetDesktopDisplayMode(0, &mode)) << SDL_GetError();
    RECT fit = wce::detail::FitPicture(mode.w, mode.h, 400, 200);
    int midX = (fit.left + fit.right) / 2;
    ASSERT_TRUE(wce::host::PushSdlTestEvent("finger-down", midX, fit.top));
    ASSERT_TRUE(wce::host::PushSdlTestEvent("finger-up", fit.right - 1, fit.bottom - 1));
    // The marker: the mouse at the window point that shows the picture's centre.
    int midY = (fit.top + fit.bottom) / 2;
    wce::host::PushSdlTestEvent("down", midX, midY);
    wce::host::PushSdlTestEvent("up", midX, midY);
    RunUntilMarker(200, 100);
    EXPECT_EQ("down 200,0 up 399,199 ", Seen()) << "desktop " << mode.w << "x" << mode.h;
}

}  // namespace
