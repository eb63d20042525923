// A real SDL window: a pushed mouse event arrives as WM_LBUTTONDOWN in client coordinates,
// the close button as WM_CLOSE, and the window shows what was painted.
#include <gtest/gtest.h>

#include <vector>

#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"

namespace {

std::vector<MSG> g_seen;

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (WM_LBUTTONDOWN == msg || WM_CLOSE == msg) g_seen.push_back(MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
    if (WM_CLOSE == msg) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST(SdlSmoke, PenAndCloseArriveAsWindowMessages)
{
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Sdl;
    options.width = 320;
    options.height = 240;
    options.scale = 2;
    std::string error;
    if (!wce::host::OpenDisplay(options, error)) GTEST_SKIP() << "no SDL display: " << error;
    EXPECT_STREQ("sdl", wce::host::GetDisplayBackendName());
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = u"Smoke";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(0));
    ASSERT_NE(0, RegisterClassW(&wc));
    HWND w = CreateWindowExW(0, u"Smoke", u"Smoke test", WS_POPUP | WS_VISIBLE, 100, 50, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(nullptr, w);
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
    ASSERT_EQ(2u, g_seen.size());
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), g_seen[0].message);
    EXPECT_EQ(10, GET_X_LPARAM(g_seen[0].lParam));
    EXPECT_EQ(10, GET_Y_LPARAM(g_seen[0].lParam));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), g_seen[1].message);
    EXPECT_FALSE(IsWindow(w));  // the default WM_CLOSE destroyed it
    EXPECT_TRUE(wce::host::CloseDisplay());
}

}  // namespace
