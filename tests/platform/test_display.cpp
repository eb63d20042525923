// The display: composition, presenting, frames, determinism, script errors, the end of a
// run and the shared options.
#include <sys/stat.h>

#include "display_internal.h"
#include "window_fixture.h"

namespace {

using wce::host::DisplayOptions;

TEST_F(WindowTest, HidingRevealsTheWindowBelowWithoutRepaint)
{
    ASSERT_TRUE(Open(""));
    HWND below = Make(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, nullptr, RGB(0, 0, 255));
    HWND above = Make(50, 50, 100, 50, WS_POPUP | WS_VISIBLE, nullptr, RGB(255, 0, 0));
    Drain();
    EXPECT_EQ(0x0000FFu, ScreenAt(10, 10));
    EXPECT_EQ(0xFF0000u, ScreenAt(60, 60));
    EXPECT_EQ(0xFF0000u, ScreenAt(140, 60));
    EXPECT_EQ(0x000000u, ScreenAt(160, 10));  // nothing there: black
    Log().clear();
    ShowWindow(above, SW_HIDE);
    Drain();
    MSG msg;
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));  // presents before it waits; the run then ends
    EXPECT_EQ(0x0000FFu, ScreenAt(60, 60));
    EXPECT_EQ(0x000000u, ScreenAt(140, 60));
    EXPECT_TRUE(MessagesOf(below, {WM_PAINT}).empty());
}

TEST_F(WindowTest, ANewWindowStartsAsThePictureBeneathIt)
{
    ASSERT_TRUE(Open("", 200, 100, 32));
    Make(0, 0, 200, 100, WS_POPUP | WS_VISIBLE, nullptr, RGB(0, 128, 0));
    Drain();
    HWND unpainted = Make(20, 20, 40, 40);
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 1;  // erases nothing and paints nothing
        return hwnd == unpainted && (WM_ERASEBKGND == msg || WM_PAINT == msg) && (ValidateRect(hwnd, nullptr), true);
    };
    WaitOnce();
    EXPECT_EQ(0x008000u, ScreenAt(30, 30));
}

TEST_F(WindowTest, EachPaintPresentsItsClippedRectangleAsOneFrame)
{
    ASSERT_TRUE(Open(""));
    std::vector<RECT> frames;
    wce::host::SetPresentHook([&](std::uint64_t, const RECT& rc) { frames.push_back(rc); });
    HWND w = Make(10, 20, 100, 50, WS_POPUP | WS_VISIBLE, nullptr, RGB(255, 255, 255));
    Drain();
    Colors()[w] = RGB(255, 0, 0);
    RECT part{5, 5, 15, 10};
    InvalidateRect(w, &part, FALSE);
    Drain();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ("10,20,110,70", RectText(frames[0]));
    EXPECT_EQ("15,25,25,30", RectText(frames[1]));
    EXPECT_EQ(2u, wce::host::GetPresentedFrameCount());
    EXPECT_EQ(0xFF0000u, ScreenAt(20, 27));
    EXPECT_EQ(0xFFFFFFu, ScreenAt(30, 27));  // the paint DC clips to the paint rectangle
}

TEST_F(WindowTest, ResizeKeepsOldPixelsTopLeftAndRepaintsWhenAsked)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 20, 20, WS_POPUP | WS_VISIBLE, nullptr, RGB(255, 0, 0));
    Drain();
    Colors().erase(w);
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 1;
        return hwnd == w && WM_ERASEBKGND == msg;
    };
    MoveWindow(w, 0, 0, 40, 20, FALSE);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    WaitOnce();
    EXPECT_EQ(0xFF0000u, ScreenAt(5, 5));
    EXPECT_EQ(0x000000u, ScreenAt(30, 5));
    MoveWindow(w, 10, 0, 40, 20, TRUE);  // a pure move invalidates nothing
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    MoveWindow(w, 10, 0, 50, 20, TRUE);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(WindowTest, CaretIsInvertedOnThePresentedScreenOnly)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, nullptr, RGB(255, 255, 255));
    Drain();
    ASSERT_TRUE(CreateCaret(w, nullptr, 2, 10));
    SetCaretPos(5, 5);
    WaitOnce();
    EXPECT_EQ(0xFFFFFFu, ScreenAt(5, 5));  // created hidden
    ShowCaret(w);
    WaitOnce();
    EXPECT_EQ(0x000000u, ScreenAt(6, 14));
    EXPECT_EQ(0xFFFFFFu, ScreenAt(7, 14));
    EXPECT_EQ(500u, GetCaretBlinkTime());
}

// One run of a small program: a window that follows the pen with a square and a timer.
void RunProgram(const std::string& trace, const std::string& frames)
{
    DisplayOptions options = Headless("tap 10 10\ndrag 5 5 40 30 50\nkey ESCAPE\ntext \"h\\u00e9\"\nwait 30\n", 64, 48);
    options.tracePath = trace;
    options.framesDir = frames;
    std::string error;
    ASSERT_TRUE(wce::host::OpenDisplay(options, error)) << error;
    static int x = 0, y = 0, ticks = 0;
    x = y = ticks = 0;
    WNDCLASSW wc{};
    wc.lpszClassName = u"Follow";
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (WM_LBUTTONDOWN == msg || WM_MOUSEMOVE == msg) {
            x = GET_X_LPARAM(lParam);
            y = GET_Y_LPARAM(lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        if (WM_TIMER == msg && ++ticks == 3) KillTimer(hwnd, wParam);
        if (WM_PAINT == msg) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT square{x, y, x + 4, y + 4};
            HBRUSH brush = CreateSolidBrush(RGB(255, static_cast<BYTE>(ticks * 60), 0));
            FillRect(dc, &square, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    };
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(4));  // black
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"Follow", u"", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    SetTimer(w, 1, 25, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(w);
    UnregisterClassW(u"Follow", nullptr);
    EXPECT_TRUE(wce::host::CloseDisplay());
}

TEST(DisplayRun, OneScriptTwiceGivesIdenticalTraceAndFrames)
{
    std::string dir = ::testing::TempDir() + "determinism";
    mkdir(dir.c_str(), 0777);
    {
        // A window larger than the next screen, gone after its display closed, leaves nothing
        // to show to the next one.
        std::string error;
        ASSERT_TRUE(wce::host::OpenDisplay(Headless(""), error)) << error;
        WNDCLASSW wc{};
        wc.lpszClassName = u"Leftover";
        wc.lpfnWndProc = DefWindowProcW;
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, u"Leftover", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        EXPECT_TRUE(wce::host::CloseDisplay());
        DestroyWindow(w);
        UnregisterClassW(u"Leftover", nullptr);
    }
    RunProgram(dir + "/a.txt", dir + "/a");
    RunProgram(dir + "/b.txt", dir + "/b");
    std::string a = RenumberWindows(ReadHostBytes(dir + "/a.txt"));
    EXPECT_EQ(a, RenumberWindows(ReadHostBytes(dir + "/b.txt")));
    EXPECT_TRUE(Has(a, {"1000 open headless 64x48x16\n", "1000 input pen-down 10 10 w1\n", " quit\n",
                        "1000 dispatch w1 0x0201 0x1 0xA000A\n", "input char 0x00E9 w1\n", "dispatch w1 0x0102 0x1B 0x1\n"}));
    int frames = 0;
    for (std::size_t at = 0; (at = a.find(" frame ", at)) != std::string::npos; ++at) ++frames;
    ASSERT_GT(frames, 3);
    for (int i = 1; i <= frames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", i);
        std::string fa = ReadHostBytes(dir + "/a" + name);
        EXPECT_FALSE(fa.empty()) << name;
        EXPECT_EQ(fa, ReadHostBytes(dir + "/b" + name)) << name;
    }
}

TEST(DisplayScript, BadLinesRefuseTheWholeScript)
{
    struct Case {
        const char* script;
        const char* error;
    } cases[] = {
        {"wait 10\nfly 1 2\n", "script:2: unknown command 'fly'"},
        {"tap 200 5\n", "script:1: bad x '200'"},
        {"tap 5 -1\n", "script:1: bad y '-1'"},
        {"down 5\n", "script:1: missing y"},
        {"wait 3600001\n", "script:1: bad milliseconds '3600001'"},
        {"wait 0x10\n", "script:1: bad milliseconds '0x10'"},
        {"drag 0 0 9 9 100 1001\n", "script:1: bad steps '1001'"},
        {"drag 0 0 9 9 100 0\n", "script:1: bad steps '0'"},
        {"key NOPE\n", "script:1: bad key name 'NOPE'"},
        {"key 255\n", "script:1: bad key name '255'"},
        {"text \"open\n", "script:1: unclosed string"},
        {"text \"\\q\"\n", "script:1: unknown escape \\q"},
        {"text \"\\u12G4\"\n", "script:1: bad \\u escape"},
        {"text \"\xff\"\n", "script:1: text is not UTF-8"},
        {"expect 1 1 12345\n", "script:1: bad colour '12345'"},
        {"expect 1 1 GG0000\n", "script:1: bad colour 'GG0000'"},
        {"expect-rect 190 1 11 1 000000\n", "script:1: bad width '11'"},
        {"quit now\n", "script:1: unexpected 'now'"},
        {"# fine\n\n  close # fine too\nhold\n", "script:4: missing milliseconds"},
    };
    for (const Case& c : cases) {
        std::string error;
        wce::host::DisplayFailure failure = wce::host::DisplayFailure::None;
        EXPECT_FALSE(wce::host::OpenDisplay(Headless(c.script, 200, 100), error, &failure)) << c.script;
        EXPECT_EQ(c.error, error) << c.script;
        EXPECT_EQ(wce::host::DisplayFailure::Script, failure) << c.script;
    }
}

TEST_F(WindowTest, ARunEndsAMinuteAfterTheLastCommandWhileTimersTick)
{
    ASSERT_TRUE(Open("wait 500\n"));
    HWND w = Make(0, 0, 10, 10);
    SetTimer(w, 1, 1000, nullptr);
    RunLoop();
    EXPECT_EQ(60u, MessagesOf(w, {WM_TIMER}).size());
    EXPECT_EQ(61000u, GetTickCount());
    EXPECT_TRUE(wce::host::CloseDisplay());
}

TEST_F(WindowTest, FailedExpectsScreenshotsAndClosesFailTheRun)
{
    struct Case {
        std::string script;
        bool ok;
        const char* stderrText;
    } cases[] = {
        {"expect 5 5 0000FF\nexpect-rect 0 0 10 10 0000FF\n", true, ""},
        {"expect 5 5 00FF00\n", false, "script:1: expect 5 5 00FF00: screen has 0000FF"},
        {"expect-rect 0 0 30 1 0000FF\n", false, "script:1: expect 20 0 0000FF: screen has 000000"},
        {"screenshot /nonexistent-folder/x.png\n", false, "script:1: screenshot /nonexistent-folder/x.png"},
        {"screenshot " + ::testing::TempDir() + "shot.png\n", true, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Open(c.script));
        Make(0, 0, 20, 20, WS_POPUP | WS_VISIBLE, nullptr, RGB(0, 0, 255));
        testing::internal::CaptureStderr();
        RunLoop();
        EXPECT_EQ(c.ok, wce::host::CloseDisplay()) << c.script;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Has(err, {c.stderrText}));
        for (auto& entry : Colors()) DestroyWindow(entry.first);
        Colors().clear();
    }
    ASSERT_TRUE(Open("close\n"));
    testing::internal::CaptureStderr();
    RunLoop();
    EXPECT_FALSE(wce::host::CloseDisplay());  // no window to close
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("script:1: close: no window"));
    ASSERT_TRUE(Open("close\n"));  // with one, the command asks the active window
    HWND w = Make(0, 0, 10, 10);
    RunLoop();
    EXPECT_EQ((std::vector<UINT>{WM_CLOSE, WM_DESTROY}), MessagesOf(w, {WM_CLOSE, WM_DESTROY}));
    EXPECT_TRUE(wce::host::CloseDisplay());
}

TEST(DisplayOptionsTest, ParsedAndTakenOutOfTheArguments)
{
    // What is left of the arguments, then the screen, scale, backend and "full" for
    // --fullscreen; empty when refused.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"p", "--screen", "480x272", "--root", "x"}, "p --root x: 480x272x16 1 auto"},
        {{"p", "--screen=320x240x32", "--scale", "2"}, "p: 320x240x32 2 auto"},
        {{"p", "--script", "s.txt"}, "p: 800x480x16 1 headless"},
        {{"p", "--display", "sdl", "--script", "s.txt"}, ""},
        {{"p", "--screen", "800x480x24"}, ""},
        {{"p", "--scale", "5"}, ""},
        {{"p", "--display", "x11"}, ""},
        {{"p", "--frames"}, ""},
        {{"p", "--fullscreen", "--screen", "480x272"}, "p: 480x272x16 1 auto full"},
    };
    const char* const backends[] = {"auto", "sdl", "headless"};
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> storage = args;
        std::vector<char*> argv;
        for (auto& s : storage) argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(args.size());
        DisplayOptions o;
        std::string error, got;
        if (wce::host::ParseDisplayOptions(argc, argv.data(), o, error)) {
            for (int i = 0; i < argc; ++i) got += std::string(i ? " " : "") + argv[i];
            got += ": " + std::to_string(o.width) + "x" + std::to_string(o.height) + "x" + std::to_string(o.bitsPerPixel) +
                   " " + std::to_string(o.scale) + " " + backends[static_cast<int>(o.backend)] + (o.fullscreen ? " full" : "");
        } else {
            EXPECT_FALSE(error.empty());
        }
        EXPECT_EQ(expected, got) << args[1];
    }
}

// The display's window stretches the picture over its real size, which a window manager may
// have chosen: a pen point lands where the picture under it came from.
TEST(DisplayPen, WindowPointsMapThroughTheRealWindowSize)
{
    const struct {
        const char* name;
        int x, y, windowWidth, windowHeight, scale;
        LONG screenX, screenY;
    } cases[] = {
        {"as asked, scale 1", 799, 479, 800, 480, 1, 799, 479},
        {"as asked, scale 2", 1599, 959, 1600, 960, 2, 799, 479},
        {"enlarged by the manager", 1200, 360, 1200, 720, 1, 800, 240},
        {"shrunk by the manager", 399, 239, 400, 240, 2, 798, 478},
        {"stretched one way only", 100, 100, 1600, 480, 2, 50, 100},
        {"left of and above the window", -1, -3, 1600, 960, 2, -1, -2},
        {"no size known: the scale", 41, 21, 0, 0, 2, 20, 10},
        {"far outside a tiny window", 2000000000, 0, 1, 1, 1, 2147483647, 0},
    };
    for (const auto& c : cases) {
        POINT pt = wce::detail::WindowPointToScreen(c.x, c.y, c.windowWidth, c.windowHeight, 800, 480, c.scale);
        EXPECT_EQ(std::make_pair(c.screenX, c.screenY), std::make_pair(pt.x, pt.y)) << c.name;
    }
}

// Full screen, the picture keeps its proportions on a unit's screen of another shape.
TEST(DisplayPen, FullScreenPictureFitsCentred)
{
    const struct {
        const char* name;
        int windowWidth, windowHeight;
        RECT fit;
    } cases[] = {
        {"the same size", 800, 480, {0, 0, 800, 480}},
        {"twice the size", 1600, 960, {0, 0, 1600, 960}},
        {"wider: bars left and right", 1920, 1080, {60, 0, 1860, 1080}},
        {"taller: bars above and below", 640, 480, {0, 48, 640, 432}},
        {"no size", 0, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RectText(c.fit), RectText(wce::detail::FitPicture(c.windowWidth, c.windowHeight, 800, 480))) << c.name;
}

TEST(DisplayOpen, AnExplicitSdlDisplayThatCannotStartFails)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    DisplayOptions options;
    options.backend = DisplayOptions::Backend::Sdl;
    std::string error;
    wce::host::DisplayFailure failure = wce::host::DisplayFailure::None;
    EXPECT_FALSE(wce::host::OpenDisplay(options, error, &failure));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(wce::host::DisplayFailure::NoDisplay, failure);
    options.backend = DisplayOptions::Backend::Auto;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(wce::host::OpenDisplay(options, error));
    EXPECT_STREQ("headless", wce::host::GetDisplayBackendName());
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("running headless"));
    EXPECT_EQ(800, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(16, GetDeviceCaps(GetDC(nullptr), BITSPIXEL));
    wce::host::CloseDisplay();
}

TEST_F(WindowTest, DumpLinesRunTheHookAtTheirTickAndFailWithoutOne)
{
    ASSERT_TRUE(Open("wait 20\ndump a.txt\nwait 5\ndump b.txt\n"));
    std::vector<std::pair<std::string, DWORD>> dumps;
    wce::host::SetScriptDumpHook([&](const std::string& file, std::string&) {
        dumps.push_back({file, GetTickCount()});
        return true;
    });
    RunLoop();
    EXPECT_EQ(dumps, (std::vector<std::pair<std::string, DWORD>>{{"a.txt", 1020}, {"b.txt", 1025}}));
    EXPECT_TRUE(wce::host::CloseDisplay());

    wce::host::SetScriptDumpHook(nullptr);
    ASSERT_TRUE(Open("dump c.txt\n"));
    RunLoop();
    EXPECT_FALSE(wce::host::CloseDisplay());
}

TEST_F(WindowTest, AUsedUpScriptClosesTheWindowAndEndsAProgramThatStaysASecondLater)
{
    struct Case {
        bool destroyOnClose;
        bool timedOut;
        DWORD endTick;
    } cases[] = {{true, false, 1010}, {false, true, 2010}};
    for (const Case& c : cases) {
        ASSERT_TRUE(Open("wait 10\n", 200, 100, 16, true));
        HWND w = Make(0, 0, 10, 10);
        Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
            if (hwnd != w || WM_CLOSE != msg) return false;
            if (c.destroyOnClose) PostQuitMessage(0);
            result = 0;
            return true;
        };
        RunLoop();
        EXPECT_EQ(1u, MessagesOf(w, {WM_CLOSE}).size());
        EXPECT_EQ(c.timedOut, wce::host::ScriptEndTimedOut());
        EXPECT_EQ(c.endTick, GetTickCount());
        Hook() = nullptr;
        wce::host::CloseDisplay();
    }
}

}  // namespace
