// Windows at the edges of their lives: surviving their display, destroyed from inside their
// own WM_DESTROY, holding the capture or a timer that cannot come due.
#include "window_fixture.h"

namespace {

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
