// Windows and the queue: retrieval order, timers, painting, WM_QUIT and stale handles; windows
// at the edges of their lives (surviving their display, destroyed from inside their own
// WM_DESTROY, holding the capture or a timer that cannot come due).
#include "window_fixture.h"

namespace {

using Messages = std::vector<UINT>;

TEST_F(WindowTest, RetrievalOrderIsPostedQuitInputPaintTimer)
{
    ASSERT_TRUE(Open("down 10 10\n"));
    HWND w = Make(0, 0, 100, 100);
    SetTimer(w, 7, 1, nullptr);
    Sleep(5);  // routes the pen-down and makes the timer due
    PostMessageW(w, WM_USER, 0, 0);
    PostQuitMessage(3);
    Messages got;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        got.push_back(msg.message);
        if (WM_QUIT == msg.message) { EXPECT_EQ(3u, msg.wParam); }
        DispatchMessageW(&msg);  // WM_PAINT is validated by the default procedure
        if (WM_TIMER == msg.message) break;
    }
    EXPECT_EQ((Messages{WM_USER, WM_QUIT, WM_LBUTTONDOWN, WM_PAINT, WM_TIMER}), got);
}

TEST_F(WindowTest, CreateComesFirstAndVisibleWindowsPaintTopmostFirst)
{
    ASSERT_TRUE(Open(""));
    HWND below = Make(0, 0, 50, 50);
    HWND above = Make(10, 10, 50, 50);
    EXPECT_EQ(WM_CREATE, MessagesOf(below).front());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(above, msg.hwnd);
    DispatchMessageW(&msg);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(below, msg.hwnd);
}

TEST_F(WindowTest, TranslatedControlKeysGiveTheirCharacterNext)
{
    ASSERT_TRUE(Open("key RETURN\nkey A\n"));
    HWND w = Make(0, 0, 50, 50, WS_POPUP | WS_VISIBLE);
    RunLoop();
    EXPECT_EQ((Messages{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_KEYUP}),
              MessagesOf(w, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}));
    for (const Recorded& r : Log()) {
        if (WM_CHAR == r.msg) { EXPECT_EQ(13u, r.wParam); }
        if (WM_KEYDOWN == r.msg || WM_KEYUP == r.msg) {
            EXPECT_EQ(WM_KEYDOWN == r.msg ? 1u : 0xC0000001u, static_cast<DWORD>(r.lParam));
        }
    }
}

TEST_F(WindowTest, RegisteredMessagesAreOnePerNameIgnoringCase)
{
    UINT a = RegisterWindowMessageW(u"MV_WM_SDNOTIFY");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(a, RegisterWindowMessageW(u"mv_wm_sdnotify"));
    EXPECT_NE(a, RegisterWindowMessageW(u"SCAN_CODE_MENU"));
    SetLastError(0);
    EXPECT_EQ(0u, RegisterWindowMessageW(u""));
    EXPECT_EQ(87u, GetLastError());
}

// A message posted to a window destroyed later is retrieved and goes nowhere; the queue
// refuses posts past ten thousand waiting.
TEST_F(WindowTest, PostedMessagesOfDestroyedWindowsAndAFullQueue)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 10, 10, WS_POPUP);
    PostMessageW(w, WM_USER + 1, 0, 0);
    DestroyWindow(w);
    Log().clear();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_USER + 1, msg.message);
    EXPECT_EQ(0, DispatchMessageW(&msg));
    EXPECT_TRUE(Log().empty());
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(PostMessageW(nullptr, WM_USER, 0, 0));
    EXPECT_FALSE(PostMessageW(nullptr, WM_USER, 0, 0));
    EXPECT_EQ(1816u, GetLastError());
}

TEST_F(WindowTest, ADueTimerGivesOneMessageAndNoBacklogAndKillStopsIt)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 10, 10, WS_POPUP);
    SetTimer(w, 1, 100, nullptr);
    Sleep(1000);  // ten elapses late
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_TIMER, msg.message);
    EXPECT_EQ(2000u, msg.time);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));  // waits: the clock moves to the next due time
    EXPECT_EQ(2100u, msg.time);
    EXPECT_EQ(2100u, GetTickCount());
    EXPECT_TRUE(KillTimer(w, 1));
    SetTimer(w, 2, 0, nullptr);  // an elapse of 0 counts as 1
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(2101u, msg.time);
    EXPECT_TRUE(KillTimer(w, 2));
    EXPECT_FALSE(KillTimer(w, 2));
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));  // nothing left: the run ends
}

TEST_F(WindowTest, AFilteredWaitSkipsTimersItCannotTake)
{
    ASSERT_TRUE(Open("wait 20\nkey A\n"));
    HWND w = Make(0, 0, 10, 10);
    Drain();
    SetTimer(w, 1, 5, nullptr);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYUP));
    EXPECT_EQ(1020u, msg.time);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));  // still due
}

TEST_F(WindowTest, VirtualClockStartsAt1000AndMovesOnlyWhileWaiting)
{
    ASSERT_TRUE(Open("wait 250\ndown 1 1\n"));
    EXPECT_EQ(1000u, GetTickCount());
    HWND w = Make(0, 0, 10, 10);
    Drain();
    EXPECT_EQ(1000u, GetTickCount());
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_LBUTTONDOWN, msg.message);
    EXPECT_EQ(w, msg.hwnd);
    EXPECT_EQ(1250u, msg.time);
    Sleep(40);
    EXPECT_EQ(1290u, GetTickCount());
}

TEST_F(WindowTest, PaintRectangleIsTheBoundingBoxClippedToTheClient)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 100, 50);
    Drain();
    Log().clear();
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 0;  // not erased: BeginPaint reports fErase
        return WM_ERASEBKGND == msg;
    };
    RECT a{10, 10, 20, 20}, b{90, 40, 150, 80};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, TRUE);
    PAINTSTRUCT ps{};
    ASSERT_NE(nullptr, BeginPaint(w, &ps));
    EndPaint(w, &ps);
    EXPECT_EQ("10,10,100,50", RectText(ps.rcPaint));
    EXPECT_TRUE(ps.fErase);
    EXPECT_EQ(1u, MessagesOf(w, {WM_ERASEBKGND}).size());
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(WindowTest, ValidateClearsOnlyWhenCovering)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 100, 50);
    Drain();
    RECT part{0, 0, 10, 10}, all{0, 0, 100, 50};
    struct Case {
        const RECT* validate;
        bool paintLeft;
    } cases[] = {{&part, true}, {&all, false}, {nullptr, false}};
    for (const Case& c : cases) {
        InvalidateRect(w, nullptr, FALSE);
        ValidateRect(w, c.validate);
        MSG msg;
        EXPECT_EQ(c.paintLeft, PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE) != FALSE);
        ValidateRect(w, nullptr);
    }
}

TEST_F(WindowTest, HiddenWindowsGetNoPaintAndShowingInvalidatesWithErase)
{
    ASSERT_TRUE(Open(""));
    HWND parent = Make(0, 0, 100, 100, WS_POPUP);
    HWND child = Make(10, 10, 20, 20, WS_CHILD | WS_VISIBLE, parent);
    InvalidateRect(child, nullptr, FALSE);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ShowWindow(parent, SW_SHOW);
    Drain();
    EXPECT_EQ((Messages{WM_PAINT, WM_ERASEBKGND}), MessagesOf(parent, {WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ((Messages{WM_PAINT, WM_ERASEBKGND}), MessagesOf(child, {WM_PAINT, WM_ERASEBKGND}));
}

TEST_F(WindowTest, SetRedrawHoldsPaintingAndUpdateWindowPaintsOnlyWhenInvalid)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 10, 10);
    SendMessageW(w, WM_SETREDRAW, FALSE, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    SendMessageW(w, WM_SETREDRAW, TRUE, 0);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    const std::pair<bool, size_t> updates[] = {{false, 1}, {false, 1}, {true, 2}};  // invalidated first, paints
    for (auto [invalidate, paints] : updates) {
        if (invalidate) InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        EXPECT_EQ(paints, MessagesOf(w, {WM_PAINT}).size());
    }
}

TEST_F(WindowTest, QuitIsRetrievedOnceAndEndsGetMessage)
{
    ASSERT_TRUE(Open("wait 10\nkey A\n"));
    Make(0, 0, 10, 10);
    Drain();
    PostQuitMessage(5);
    MSG msg;
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(5u, msg.wParam);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));  // the quit request was taken
    EXPECT_EQ(WM_KEYDOWN, msg.message);
}

TEST_F(WindowTest, AfterTheRunEndsEveryLoopGetsQuit)
{
    ASSERT_TRUE(Open("quit\nkey A\n"));
    Make(0, 0, 10, 10);
    RunLoop();
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_QUIT, msg.message);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(wce::host::CloseDisplay());  // "key A" was never reached
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("script:2: not reached"));
}

TEST_F(WindowTest, StaleHandlesFailWith1400AndAreNeverReused)
{
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 10, 10);
    bool aliveInDestroy = false;
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (WM_DESTROY == msg) aliveInDestroy = IsWindow(hwnd) != FALSE;
        return false;
    };
    ASSERT_TRUE(DestroyWindow(w));
    EXPECT_TRUE(aliveInDestroy);
    EXPECT_FALSE(IsWindow(w));
    HWND made = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12345));
    for (HWND bad : {w, made}) {
        RECT rc;
        const std::function<bool()> calls[] = {[&] { return !ShowWindow(bad, SW_SHOW); },
                                               [&] { return !GetWindowRect(bad, &rc); },
                                               [&] { return !PostMessageW(bad, WM_USER, 0, 0); },
                                               [&] { return !GetDC(bad); }};
        for (const auto& fails : calls) {
            SetLastError(0);
            EXPECT_TRUE(fails());
            EXPECT_EQ(1400u, GetLastError());
        }
    }
    for (int i = 0; i < 20; ++i) EXPECT_NE(w, Make(0, 0, 1, 1));
}

TEST_F(WindowTest, CreationAndClassErrors)
{
    ASSERT_TRUE(Open(""));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowTest::Proc;
    wc.lpszClassName = u"testwnd";
    SetLastError(0);
    EXPECT_EQ(0, RegisterClassW(&wc));
    EXPECT_EQ(1410u, GetLastError());
    wc.lpszClassName = nullptr;
    EXPECT_EQ(0, RegisterClassW(&wc));
    EXPECT_EQ(87u, GetLastError());

    EXPECT_EQ(nullptr, CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1407u, GetLastError());
    EXPECT_EQ(nullptr, Make(0, 0, 1, 1, WS_CHILD));
    EXPECT_EQ(1406u, GetLastError());
    Hook() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = -1;
        return WM_CREATE == msg;
    };
    EXPECT_EQ(nullptr, Make(0, 0, 1, 1));
    EXPECT_EQ(1223u, GetLastError());
    Hook() = nullptr;
    HWND w = Make(0, 0, 1, 1);
    EXPECT_FALSE(UnregisterClassW(u"TestWnd", nullptr));
    EXPECT_EQ(1412u, GetLastError());
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClassW(u"TestWnd", nullptr));
}

TEST_F(WindowTest, DestroyGoesToOwnedWindowsFirstThenChildrenDepthFirst)
{
    ASSERT_TRUE(Open(""));
    HWND main = Make(0, 0, 100, 100);
    HWND child = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, main);
    HWND grandChild = Make(0, 0, 5, 5, WS_CHILD | WS_VISIBLE, child);
    HWND owned = Make(0, 0, 10, 10, WS_POPUP | WS_VISIBLE, main);
    SetTimer(child, 1, 10, nullptr);
    Log().clear();
    DestroyWindow(main);
    std::vector<HWND> order;
    for (const Recorded& r : Log())
        if (WM_DESTROY == r.msg) order.push_back(r.hwnd);
    EXPECT_EQ((std::vector<HWND>{owned, main, child, grandChild}), order);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));  // the child's timer went with it
}

TEST_F(WindowTest, TextsGoThroughTheWindowProcedure)
{
    ASSERT_TRUE(Open(""));
    HWND w = CreateWindowExW(0, u"TestWnd", u"First", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Made().push_back(w);  // destroyed with the others, so the class can go
    EXPECT_EQ(5, GetWindowTextLengthW(w));
    Log().clear();
    EXPECT_TRUE(SetWindowTextW(w, u"BRANTEL_RQN"));
    WCHAR text[8];
    EXPECT_EQ(7, GetWindowTextW(w, text, 8));
    EXPECT_EQ(std::u16string(u"BRANTEL"), std::u16string(text));
    EXPECT_EQ((Messages{WM_SETTEXT, WM_GETTEXT}), MessagesOf(w));
    EXPECT_EQ(w, FindWindowW(nullptr, u"brantel_rqn"));
    EXPECT_EQ(w, FindWindowW(u"TESTWND", nullptr));
}

// A window painted on one display is composed on the next one, whatever the depths.
TEST_F(WindowTest, AWindowOutlivingItsDisplayIsComposedAtTheNewDepth)
{
    const struct {
        int before, after;
    } cases[] = {{32, 16}, {16, 32}, {32, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " to " + std::to_string(c.after) + " bits");
        ASSERT_TRUE(Open("", 200, 100, c.before));
        HWND w = Make(10, 10, 60, 40, WS_POPUP | WS_VISIBLE, nullptr, RGB(255, 0, 0));
        Drain();
        EXPECT_TRUE(wce::host::CloseDisplay());
        ASSERT_TRUE(Open("", 200, 100, c.after));
        InvalidateRect(w, nullptr, TRUE);
        Drain();  // the paint is presented: the old surface is composed on the new screen
        EXPECT_EQ(0xFF0000u, ScreenAt(20, 20));
        MoveWindow(w, 10, 10, 80, 40, FALSE);  // the old picture is kept in a new surface
        Colors()[w] = RGB(0, 0, 255);
        RECT right{60, 0, 80, 40};
        InvalidateRect(w, &right, TRUE);
        Drain();
        EXPECT_EQ(0xFF0000u, ScreenAt(20, 20));
        EXPECT_EQ(0x0000FFu, ScreenAt(80, 20));
        DestroyWindow(w);
        wce::host::CloseDisplay();
    }
}

TEST_F(WindowTest, TimerElapsesBeyondTheTickRangeAreClamped)
{
    const struct {
        UINT elapse;
        int fired;  // in two virtual seconds
    } cases[] = {{0xFFFFFFFFu, 0}, {0x80000000u, 0}, {0x7FFFFFFFu, 0}, {1000, 2}};
    ASSERT_TRUE(Open(""));
    HWND w = Make(0, 0, 10, 10, WS_POPUP);
    for (const auto& c : cases) {
        SetTimer(w, 1, c.elapse, nullptr);
        int fired = 0;
        for (int i = 0; i < 200; ++i) {
            Sleep(10);
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) fired += WM_TIMER == msg.message;
        }
        EXPECT_EQ(c.fired, fired) << "elapse 0x" << std::hex << c.elapse;
        KillTimer(w, 1);
    }
}

// Whoever takes the capture while a window is destroyed, the capture goes with the window,
// and a later tap reaches the window below.
TEST_F(WindowTest, ACaptureTakenDuringDestructionGoesWithTheWindow)
{
    const struct {
        const char* name;
        bool byChild;
    } cases[] = {{"the window itself", false}, {"its child", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Open("wait 10\ntap 150 50\n"));
        HWND below = Make(0, 0, 200, 100);
        HWND w = Make(0, 0, 100, 100);
        HWND child = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, w);
        HWND taker = c.byChild ? child : w;
        Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (WM_DESTROY == msg && hwnd == taker) SetCapture(hwnd);
            return false;
        };
        DestroyWindow(w);
        EXPECT_EQ(nullptr, GetCapture());
        Log().clear();
        RunLoop();
        EXPECT_EQ(1u, MessagesOf(below, {WM_LBUTTONDOWN}).size());
        DestroyWindow(below);
        wce::host::CloseDisplay();
    }
}

// Each window hears WM_DESTROY once, whichever of them starts destroying the others.
TEST_F(WindowTest, WindowsDestroyedFromTheirOwnDestroyHearItOnce)
{
    enum Who { Parent, Child, GrandChild };
    const struct {
        const char* name;
        Who destroyed, destroyerInDestroy, destroyedInDestroy;
    } cases[] = {
        {"child destroys its parent", Child, Child, Parent},
        {"grandchild destroys the top", GrandChild, GrandChild, Parent},
        {"child destroys its parent while the parent goes", Parent, Child, Parent},
        {"child destroys itself again", Child, Child, Child},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Open(""));
        HWND windows[3];
        windows[Parent] = Make(0, 0, 100, 100);
        windows[Child] = Make(0, 0, 50, 50, WS_CHILD | WS_VISIBLE, windows[Parent]);
        windows[GrandChild] = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, windows[Child]);
        Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (WM_DESTROY == msg && hwnd == windows[c.destroyerInDestroy]) DestroyWindow(windows[c.destroyedInDestroy]);
            return false;
        };
        Log().clear();
        EXPECT_TRUE(DestroyWindow(windows[c.destroyed])) << c.name;
        Hook() = nullptr;
        for (Who who : {Parent, Child, GrandChild}) {
            bool goes = who >= c.destroyed || c.destroyedInDestroy <= who;
            EXPECT_EQ(goes ? 1u : 0u, MessagesOf(windows[who], {WM_DESTROY}).size()) << c.name << ", window " << who;
            EXPECT_EQ(!goes, IsWindow(windows[who]) != FALSE) << c.name << ", window " << who;
        }
        if (IsWindow(windows[Parent])) DestroyWindow(windows[Parent]);
        wce::host::CloseDisplay();
    }
}

}  // namespace
