// Pen and key routing: capture, negative client coordinates, disabled windows, coalesced
// moves, message times, focus and activation.
#include "window_fixture.h"

namespace {

using Pens = std::vector<std::string>;

class RoutingTest : public WindowTest {
protected:
    // Pen messages of one window as dispatched: "kind x,y wParam time".
    Pens PenOf(HWND hwnd)
    {
        Pens out;
        for (const MSG& m : m_dispatched)
            if (m.hwnd == hwnd && m.message >= WM_MOUSEMOVE && m.message <= WM_LBUTTONDBLCLK)
                out.push_back(std::string(WM_MOUSEMOVE == m.message ? "move " : WM_LBUTTONDOWN == m.message ? "down " : "up ") +
                              std::to_string(GET_X_LPARAM(m.lParam)) + "," + std::to_string(GET_Y_LPARAM(m.lParam)) + " " +
                              std::to_string(m.wParam) + " " + std::to_string(m.time));
        return out;
    }
};

TEST_F(RoutingTest, CaptureGetsThePenOutsideWithSignedClientCoordinates)
{
    ASSERT_TRUE(Open("down 110 60\nwait 10\nmove 5 2\nwait 10\nup 190 90\n"));
    HWND other = Make(0, 0, 100, 100);
    HWND w = Make(100, 50, 50, 30);
    Hook() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (WM_LBUTTONDOWN == msg) SetCapture(hwnd);
        return false;
    };
    RunLoop(false);
    EXPECT_EQ((Pens{"down 10,10 1 1000", "move -95,-48 1 1010", "up 90,40 0 1020"}), PenOf(w));
    EXPECT_TRUE(PenOf(other).empty());
    EXPECT_EQ(w, GetCapture());  // a pen-up does not release it
    for (const MSG& m : m_dispatched)
        if (WM_MOUSEMOVE == m.message) { EXPECT_EQ(5, m.pt.x); }
}

TEST_F(RoutingTest, TopmostWindowUnderThePointChildrenFirst)
{
    ASSERT_TRUE(Open("tap 20 20\nwait 1\ntap 80 80\n"));
    HWND back = Make(0, 0, 100, 100);
    HWND child = Make(10, 10, 30, 30, WS_CHILD | WS_VISIBLE, back);
    RunLoop(false);
    EXPECT_EQ((Pens{"down 10,10 1 1000", "up 10,10 0 1050"}), PenOf(child));
    EXPECT_EQ((Pens{"down 80,80 1 1051", "up 80,80 0 1101"}), PenOf(back));
}

TEST_F(RoutingTest, DisabledTargetDropsInputUnderTheStateWhenTaken)
{
    // The first tap lands while the window is disabled and is dropped even though the window
    // is enabled again before the program looks at its queue.
    ASSERT_TRUE(Open("tap 10 10 5\nkey A\nwait 100\ntap 10 10 5\n"));
    HWND w = Make(0, 0, 100, 100);
    EnableWindow(w, FALSE);
    Sleep(50);
    EnableWindow(w, TRUE);
    RunLoop(false);
    EXPECT_EQ((Pens{"down 10,10 1 1105", "up 10,10 0 1110"}), PenOf(w));
    EXPECT_TRUE(MessagesOf(w, {WM_KEYDOWN}).empty());
    std::string trace = ReadTrace();
    EXPECT_TRUE(Has(trace, {"1000 input pen-down 10 10 dropped", "1005 input key-down 0x41 dropped"}));
}

// Drag steps arrive at their ticks when retrieved in time; moves nobody retrieved are
// replaced by the newest; moves without a pen down are dropped.
TEST_F(RoutingTest, MovesOfADrag)
{
    const struct {
        const char* script;
        DWORD sleep;  // before the program looks at its queue
        Pens pens;
    } cases[] = {
        {"drag 0 0 10 5 30 3\n", 0,
         {"down 0,0 1 1000", "move 3,1 1 1010", "move 6,3 1 1020", "move 10,5 1 1030", "up 10,5 0 1030"}},
        {"drag 10 10 50 30 40 4\n", 100, {"down 10,10 1 1000", "move 50,30 1 1040", "up 50,30 0 1040"}},
        {"move 10 10\n", 0, {}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Open(c.script));
        HWND w = Make(0, 0, 100, 100);
        Sleep(c.sleep);
        m_dispatched.clear();
        RunLoop(false);
        EXPECT_EQ(c.pens, PenOf(w)) << c.script;
        DestroyWindow(w);
        wce::host::CloseDisplay();
    }
}

TEST_F(RoutingTest, CaptureChangesAreTold)
{
    ASSERT_TRUE(Open(""));
    HWND a = Make(0, 0, 10, 10);
    HWND b = Make(0, 0, 10, 10);
    struct Step {
        std::function<void()> act;
        HWND told;
        LPARAM newHolder;
    } steps[] = {
        {[&] { SetCapture(a); }, nullptr, 0},
        {[&] { SetCapture(a); }, nullptr, 0},  // retaking tells nobody
        {[&] { SetCapture(b); }, a, reinterpret_cast<LPARAM>(b)},
        {[&] { ReleaseCapture(); }, b, 0},
        {[&] { SetCapture(a); EnableWindow(a, FALSE); }, a, 0},
        {[&] { EnableWindow(a, TRUE); SetCapture(a); ShowWindow(a, SW_HIDE); }, a, 0},
    };
    for (const Step& s : steps) {
        Log().clear();
        s.act();
        std::vector<Recorded> told;
        for (const Recorded& r : Log())
            if (WM_CAPTURECHANGED == r.msg) told.push_back(r);
        if (!s.told) {
            EXPECT_TRUE(told.empty());
            continue;
        }
        ASSERT_EQ(1u, told.size());
        EXPECT_EQ(s.told, told[0].hwnd);
        EXPECT_EQ(s.newHolder, told[0].lParam);
    }
    EXPECT_EQ(nullptr, GetCapture());
    // Destroying the holder releases it before WM_DESTROY.
    SetCapture(b);
    Log().clear();
    DestroyWindow(b);
    ASSERT_GE(Log().size(), 2u);
    EXPECT_EQ(WM_CAPTURECHANGED, Log()[0].msg);
    EXPECT_EQ(WM_DESTROY, Log()[1].msg);
}

TEST_F(RoutingTest, KeysGoToTheFocusWindowElseTheActiveOne)
{
    ASSERT_TRUE(Open("key F5\nwait 10\nkey 65\n"));
    HWND main = Make(0, 0, 100, 100);
    HWND edit = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, main);
    Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (WM_KEYUP == msg) SetFocus(edit);
        return false;
    };
    RunLoop(false);
    EXPECT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}), MessagesOf(main, {WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ((std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}), MessagesOf(edit, {WM_KEYDOWN, WM_KEYUP}));
    for (const Recorded& r : Log())
        if (WM_KEYDOWN == r.msg) { EXPECT_EQ(r.hwnd == main ? static_cast<WPARAM>(VK_F1 + 4) : WPARAM{0x41}, r.wParam); }
}

TEST_F(RoutingTest, ActivationFollowsShowingHidingAndDestroying)
{
    ASSERT_TRUE(Open(""));
    HWND main = Make(0, 0, 100, 100);
    EXPECT_EQ(main, GetActiveWindow());
    HWND dlg = Make(0, 0, 50, 50, WS_POPUP | WS_VISIBLE, main);
    EXPECT_EQ(dlg, GetActiveWindow());
    HWND quiet = Make(0, 0, 50, 50, WS_POPUP);
    ShowWindow(quiet, SW_SHOWNA);
    EXPECT_EQ(dlg, GetActiveWindow());
    EnableWindow(dlg, FALSE);  // disabling never moves activation
    EXPECT_EQ(dlg, GetActiveWindow());
    EnableWindow(dlg, TRUE);
    SetWindowPos(dlg, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    EXPECT_EQ(dlg, GetActiveWindow());  // hidden without activation change
    ShowWindow(dlg, SW_SHOW);
    DestroyWindow(dlg);
    EXPECT_EQ(main, GetActiveWindow());  // the owner
    EnableWindow(main, FALSE);
    ShowWindow(main, SW_HIDE);
    EXPECT_EQ(quiet, GetActiveWindow());  // the topmost visible enabled window
}

}  // namespace
