// A second process finds the first one's titled window on the same device root and asks it
// to come to the front.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "temp_device.h"
#include "wce/host.h"
#include "win_internal.h"
#include "window_fixture.h"

namespace {

// The first instance: a titled window, then a real-time hold that takes raise requests.
[[noreturn]] void RunFirstInstance(const std::string& trace)
{
    wce::host::DisplayOptions options = Headless("hold 2500\n");
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
    EXPECT_FALSE(IsWindow(first));  // its process is gone; its list (it could not remove it) and the folder too
    EXPECT_NE(0, access(wce::detail::WindowListFolder().c_str(), F_OK));
    EXPECT_NE(std::string::npos, RenumberWindows(ReadHostBytes(trace)).find("1000 raise w1\n")) << ReadHostBytes(trace);
}

// One device reached by other paths is one device: the second updater, in this process or
// another, sees the first one's mutex and windows.
TEST(SecondInstance, TheDeviceRootIsKeyedWithItsLinksResolved)
{
    TempDevice device;
    device.MakeHostDir("sub");
    const std::string link = device.Root() + "-link", linkToLink = device.Root() + "-link2";
    ASSERT_EQ(0, symlink(device.Root().c_str(), link.c_str()));
    ASSERT_EQ(0, symlink(link.c_str(), linkToLink.c_str()));
    const std::string folder = wce::detail::WindowListFolder();
    HANDLE first = CreateMutexW(nullptr, FALSE, u"_MORVA_BRANTEL_");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    const struct {
        const char* name;
        std::string root;
        bool same;
    } cases[] = {
        {"as written", device.Root(), true},
        {"through a link", link, true},
        {"through a link to a link", linkToLink, true},
        {"another folder", device.Root() + "/sub", false},
    };
    for (const auto& c : cases) {
        pid_t child = fork();  // another updater, started on the root as given
        ASSERT_GE(child, 0);
        if (0 == child) {
            CloseHandle(first);  // the copy only: the lock stays with the parent's descriptor
            wce::host::SetDeviceRoot(c.root);
            CreateMutexW(nullptr, FALSE, u"_MORVA_BRANTEL_");
            _exit(ERROR_ALREADY_EXISTS == GetLastError() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(c.same, WIFEXITED(status) && 0 == WEXITSTATUS(status)) << c.name;
        wce::host::SetDeviceRoot(c.root);
        EXPECT_EQ(c.same, folder == wce::detail::WindowListFolder()) << c.name;
    }
    wce::host::SetDeviceRoot(device.Root());
    HANDLE second = CreateMutexW(nullptr, FALSE, u"_MORVA_BRANTEL_");  // in this process too
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(second);
    CloseHandle(first);
    HANDLE again = CreateMutexW(nullptr, FALSE, u"_MORVA_BRANTEL_");  // the last owner gone, the name is free
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(again);
    unlink(link.c_str());
    unlink(linkToLink.c_str());
}

// Lists left by processes that are gone are ignored and removed by the next process to look,
// also when the id now names another process; a process removes its own at exit.
TEST(SecondInstance, ListsOfProcessesThatAreGoneAreRemoved)
{
    TempDevice device;
    const std::string folder = wce::detail::WindowListFolder();
    mkdir(folder.c_str(), 0777);
    pid_t exited = fork();
    ASSERT_GE(exited, 0);
    if (0 == exited) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"Listed";
        RegisterClassW(&wc);
        CreateWindowExW(0, u"Listed", u"LISTED", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        bool listed = 0 == access((folder + "/" + std::to_string(getpid()) + ".windows").c_str(), F_OK);
        std::exit(listed ? 0 : 1);  // exit, not _exit: the list goes at exit
    }
    int status = 0;
    waitpid(exited, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && 0 == WEXITSTATUS(status)) << "the child listed no window";
    EXPECT_NE(0, access((folder + "/" + std::to_string(exited) + ".windows").c_str(), F_OK));

    const struct {
        const char* name;
        int pid;
        const char* start;
    } cases[] = {
        {"a process that is gone", exited, "start 1\n"},
        {"a reused id (another start time)", static_cast<int>(getppid()), "start 1\n"},
        {"a reused id (no start time written)", static_cast<int>(getppid()), ""},
    };
    for (const auto& c : cases) {
        const std::string list = folder + "/" + std::to_string(c.pid) + ".windows";
        std::ofstream(list) << c.start << "1\tStale\tSTALE_TITLE\n";
        std::ofstream(folder + "/" + std::to_string(c.pid) + ".raise") << "1\n";
        EXPECT_EQ(nullptr, FindWindowW(nullptr, u"STALE_TITLE")) << c.name;
        EXPECT_NE(0, access(list.c_str(), F_OK)) << c.name;
        EXPECT_NE(0, access((folder + "/" + std::to_string(c.pid) + ".raise").c_str(), F_OK)) << c.name;
    }
    rmdir(folder.c_str());
}

}  // namespace
