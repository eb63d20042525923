// A second process finds the first one's titled window on the same device root and asks it
// to come to the front.
#include <sys/wait.h>
#include <unistd.h>

#include "temp_device.h"
#include "wce/host.h"
#include "window_fixture.h"

namespace {

// The first instance: a titled window, then a real-time hold that takes raise requests.
[[noreturn]] void RunFirstInstance(const std::string& trace)
{
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Headless;
    options.scriptText = "hold 2500\n";
    options.tracePath = trace;
    std::string error;
    if (!wce::host::OpenDisplay(options, error)) _exit(2);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"WceUiWnd";
    RegisterClassW(&wc);
    CreateWindowExW(0, u"WceUiWnd", u"BRANTEL_RQN", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                    nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    _exit(wce::host::CloseDisplay() ? 0 : 3);
}

TEST(SecondInstance, FindsTheFirstWindowAndAsksItToRaise)
{
    TempDevice device;
    std::string trace = device.Host("trace.txt");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (0 == child) RunFirstInstance(trace);
    HWND first = nullptr;
    for (int i = 0; i < 300 && !first; ++i) {
        first = FindWindowW(u"wceuiwnd", u"brantel_rqn");
        if (!first) usleep(10000);
    }
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_EQ(nullptr, FindWindowW(nullptr, u"other title"));
    RECT rc;
    SetLastError(0);
    EXPECT_FALSE(GetWindowRect(first, &rc));  // a proxy only raises
    EXPECT_EQ(1400u, GetLastError());
    EXPECT_TRUE(ShowWindow(first, SW_SHOW));
    EXPECT_TRUE(SetForegroundWindow(first));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && 0 == WEXITSTATUS(status));
    EXPECT_FALSE(IsWindow(first));  // its process is gone
    EXPECT_NE(std::string::npos, RenumberWindows(ReadHostBytes(trace)).find("1000 raise w1\n")) << ReadHostBytes(trace);
}

}  // namespace
