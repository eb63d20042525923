// Real windows on a headless display: the message table of CRealWnd, modal and modeless
// dialogs, the wrappers' checks and the ignore filter.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXIgnoreMsg.h"
#include "RealDlg.h"
#include "doc_test_helpers.h"
#include "wce/display.h"
#include "wce/platform.h"

namespace {

// A dialog whose handlers record what they saw and run what the test asks.
class CTestDlg : public CRealDlg {
public:
    std::vector<std::string> calls;
    std::function<void(CTestDlg&)> onInit;
    std::function<void(CTestDlg&, UINT)> onTimer;
    std::function<void(CTestDlg&, int, int)> onDown;
    int setTextCount = 0;

    void OnInitDialog() override { calls.push_back("init"); if (onInit) onInit(*this); }
    void OnTimer(UINT nID) override { if (onTimer) onTimer(*this, nID); }
    void OnLButtonDown(UINT, int x, int y) override
    {
        calls.push_back("down " + std::to_string(x) + " " + std::to_string(y));
        if (onDown) onDown(*this, x, y);
    }
    void OnLButtonUp(UINT, int x, int y) override { calls.push_back("up " + std::to_string(x) + " " + std::to_string(y)); }
    void OnLButtonDblClk(UINT, int, int) override { calls.push_back("dblclk"); }
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override
    {
        calls.push_back("key " + std::to_string(nChar) + " " + std::to_string(nRep) + " " + std::to_string(nFlags));
    }
    void OnCaptureChanged(LPARAM lParam) override { calls.push_back("capture " + std::to_string(lParam)); }
    void OnDestroy() override { calls.push_back("destroy"); }
    LRESULT DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (WM_SETTEXT == msg) ++setTextCount;
        return CRealDlg::DefaultWindowProc(msg, wParam, lParam);
    }
};

const RECT kFull = {0, 0, 200, 100};

class RealWndTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CJxGVar::GetInstance()->GetCJxGlobalData()->SetInstanceHandle(GetModuleHandleW(nullptr));
        Open("");
    }
    void TearDown() override { wce::host::CloseDisplay(); DocTest::TearDown(); }
    // The display again, with a script.
    void Open(const std::string& script) { wce::host::CloseDisplay(); ASSERT_TRUE(OpenHeadless(200, 100, script)); }
};

TEST_F(RealWndTest, HandlersGetSignedCoordinatesAndEndDialogEndsTheLoopAfterTheHandler)
{
    CTestDlg dlg;
    HWND hWnd = NULL;
    dlg.onInit = [&](CTestDlg& d) {
        hWnd = d.m_hWnd;
        d.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7));
        d.PostMessage(WM_LBUTTONDBLCLK, 0, 0);
        d.PostMessage(WM_KEYDOWN, VK_RETURN, 0x40030001);
        d.PostMessage(WCEUI_WM_IGNORE_CAPTURE, 0, 0);
        d.PostMessage(WM_CAPTURECHANGED, 0, 42);
        d.SetTimer(1, 10);
    };
    dlg.onTimer = [](CTestDlg& d, UINT) {
        EXPECT_TRUE(d.EndDialog(7));
        d.calls.push_back("after end");
    };
    EXPECT_EQ(7, dlg.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL));
    EXPECT_EQ((std::vector<std::string>{"init", "down -5 -7", "dblclk", "key 13 1 16387", "capture 0", "capture 42",
                                        "after end", "destroy"}), dlg.calls);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(NULL, dlg.m_hWnd);
    EXPECT_EQ(DLG_RUN_NOT_RUNNING, dlg.GetRunWay());
    EXPECT_FALSE(dlg.EndDialog(1));
    EXPECT_TRUE(m_log.Contains("CRealDlg::EndDialog,check(DLG_RUN_IN_MODAL == m_DlgRunWay)fail"));
}

TEST_F(RealWndTest, AParentDisabledBeforeStaysDisabledAnEnabledOneComesBackActive)
{
    for (bool disabledBefore : {false, true}) {
        CRealWnd parent;
        ASSERT_TRUE(parent.Create(WS_POPUP | WS_VISIBLE, &kFull, NULL));
        if (disabledBefore) parent.EnableWindow(FALSE);
        CTestDlg dlg;
        BOOL parentEnabledInside = TRUE;
        dlg.onInit = [&](CTestDlg& d) {
            parentEnabledInside = IsWindowEnabled(parent.m_hWnd);
            d.EndDialog(1);
        };
        EXPECT_EQ(1, dlg.DoModal(WS_POPUP | WS_VISIBLE, &kFull, parent.m_hWnd));
        EXPECT_FALSE(parentEnabledInside);
        EXPECT_EQ(!disabledBefore, IsWindowEnabled(parent.m_hWnd) != FALSE);
        if (!disabledBefore) {
            EXPECT_EQ(parent.m_hWnd, GetActiveWindow());
        }
        parent.DestroyWindow();
    }
}

TEST_F(RealWndTest, DoModalEndsWhenItsWindowIsDestroyedUnderIt)
{
    Open("wait 10\nclose\n");
    CTestDlg dlg;
    EXPECT_EQ(-1, dlg.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL));  // the default OnClose destroyed it
    EXPECT_EQ((std::vector<std::string>{"init", "destroy"}), dlg.calls);
    EXPECT_EQ(DLG_RUN_NOT_RUNNING, dlg.GetRunWay());
}

// A nested dialog closed by the default WM_CLOSE leaves its disabled parent with nothing
// active: the parent takes over and keys reach it again.
TEST_F(RealWndTest, AfterANestedDialogIsClosedTheParentTakesTheKeys)
{
    Open("wait 10\nclose\nwait 10\nkey A\n");
    CTestDlg outer;
    HWND activeAfterInner = NULL;
    outer.onInit = [&](CTestDlg& o) {
        CTestDlg inner;
        EXPECT_EQ(-1, inner.DoModal(WS_POPUP | WS_VISIBLE, &kFull, o.m_hWnd));
        activeAfterInner = GetActiveWindow();
        EXPECT_EQ(o.m_hWnd, activeAfterInner);
    };
    outer.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL);
    EXPECT_EQ((std::vector<std::string>{"init", "key 65 1 0", "destroy"}), outer.calls);
}

// One window per object, and only through Create.
TEST_F(RealWndTest, ASecondWindowForOneObjectOrOneWithoutObjectIsRefused)
{
    CRealWnd made;
    ASSERT_TRUE(made.Create(WS_POPUP, &kFull, NULL));  // registers the class
    const struct {
        const char* name;
        std::function<bool()> refused;
        const char* logged;
    } cases[] = {
        {"Create while the window exists", [&] { return !made.Create(WS_POPUP, &kFull, NULL); },
         "CRealWnd::Create,check(!::IsWindow(m_hWnd))fail"},
        {"DoModal from its own OnInitDialog",
         [&] {
             CTestDlg dlg;
             int again = 0;
             dlg.onInit = [&](CTestDlg& d) {
                 again = d.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL);
                 d.EndDialog(3);
             };
             return 3 == dlg.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL) && -1 == again &&
                    std::vector<std::string>{"init", "destroy"} == dlg.calls;
         },
         "CRealDlg::DoModal,check(!::IsWindow(m_hWnd))fail"},
        {"a framework window without its object",
         [] {
             HWND hWnd = CreateWindowExW(0, u"WceUiWnd", u"", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
             return NULL == hWnd && ERROR_CANCELLED == GetLastError();
         },
         "WceUiRealWndProc,check(NULL != pWnd)fail"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.refused()) << c.name;
        EXPECT_TRUE(m_log.Contains(c.logged)) << c.name;
    }
    made.DestroyWindow();
}

TEST_F(RealWndTest, QuitEndsOnlyTheInnermostLoopAndAResultDoesNotOutliveItsRun)
{
    CTestDlg outer;
    int innerResults[2] = {0, 0};
    outer.onInit = [&](CTestDlg& o) {
        CTestDlg inner;
        inner.onInit = [](CTestDlg& d) { d.EndDialog(5); };
        innerResults[0] = inner.DoModal(WS_POPUP | WS_VISIBLE, &kFull, o.m_hWnd);
        inner.onInit = [](CTestDlg&) { PostQuitMessage(0); };
        innerResults[1] = inner.DoModal(WS_POPUP | WS_VISIBLE, &kFull, o.m_hWnd);
        o.SetTimer(1, 5);
    };
    outer.onTimer = [](CTestDlg& o, UINT) { o.EndDialog(9); };
    EXPECT_EQ(9, outer.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL));
    EXPECT_EQ(5, innerResults[0]);
    EXPECT_EQ(-1, innerResults[1]);
}

TEST_F(RealWndTest, PenQueuedBeforeTheIgnoreTimeIsDroppedAndTheFirstNewerEndsIgnoring)
{
    Open("tap 10 10 5\nwait 100\ntap 20 20 5\n");
    CJxIgnoreMsg* pFilter = CJxGVar::GetInstance()->GetCJxIgnoreMsg();
    CTestDlg dlg;
    int entriesAfterFirstKept = -1;
    dlg.onInit = [&](CTestDlg& d) {
        Sleep(50);  // the first tap arrives while the program is busy
        pFilter->AddHwndTime(d.m_hWnd, 0);
    };
    dlg.onDown = [&](CTestDlg& d, int, int) {
        entriesAfterFirstKept = pFilter->GetHwndCount();
        d.SetTimer(1, 50);
    };
    dlg.onTimer = [](CTestDlg& d, UINT) { d.EndDialog(0); };
    dlg.DoModal(WS_POPUP | WS_VISIBLE, &kFull, NULL);
    EXPECT_EQ((std::vector<std::string>{"init", "down 20 20", "up 20 20", "destroy"}), dlg.calls);
    EXPECT_EQ(0, entriesAfterFirstKept);
}

TEST_F(RealWndTest, ModelessRunsInTheCallersLoopAndTapsNeverBecomeDoubleClicks)
{
    Open("tap 10 10 5\nwait 5\ntap 10 10 5\n");
    CTestDlg dlg;
    ASSERT_TRUE(dlg.CreateModeless(WS_POPUP | WS_VISIBLE, &kFull, NULL));
    EXPECT_EQ(DLG_RUN_IN_MODELESS, dlg.GetRunWay());
    EXPECT_FALSE(dlg.EndDialog(0));
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0)) DispatchMessageW(&msg);
    EXPECT_TRUE(dlg.EndModeless());
    EXPECT_EQ((std::vector<std::string>{"init", "down 10 10", "up 10 10", "down 10 10", "up 10 10", "destroy"}),
              dlg.calls);
    EXPECT_FALSE(dlg.EndModeless());
}

TEST_F(RealWndTest, WrappersOfAMissingWindowFailTheirChecks)
{
    CRealWnd wnd;
    RECT rc;
    EXPECT_FALSE(wnd.GetWindowRect(&rc));
    EXPECT_FALSE(wnd.ShowWindow(SW_SHOW));
    EXPECT_EQ(NULL, wnd.GetDC());
    EXPECT_EQ(0u, wnd.SetTimer(1, 10));
    EXPECT_FALSE(wnd.Create(WS_CHILD, &kFull, NULL));
    CTestDlg dlg;
    EXPECT_EQ(-1, dlg.DoModal(WS_CHILD, &kFull, NULL));
    EXPECT_TRUE(m_log.Contains("CreateWindow failed, GetLastError is 1406"));  // a child needs a parent
}

TEST_F(RealWndTest, InvalidateWhileDisabledDoesNothing)
{
    CRealWnd wnd;
    ASSERT_TRUE(wnd.Create(WS_POPUP | WS_VISIBLE, &kFull, NULL));
    ValidateRect(wnd.m_hWnd, NULL);
    wnd.SetEnableInvalidate(FALSE);
    EXPECT_TRUE(wnd.InvalidateRect(NULL, TRUE));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, NULL, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    wnd.SetEnableInvalidate(TRUE);
    EXPECT_TRUE(wnd.InvalidateRect(NULL, TRUE));
    EXPECT_TRUE(PeekMessageW(&msg, NULL, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    ValidateRect(wnd.m_hWnd, NULL);
    WceUiInvalidateAllWnd();
    EXPECT_TRUE(PeekMessageW(&msg, NULL, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    wnd.DestroyWindow();
}

TEST_F(RealWndTest, SetWindowTextSkipsAnUnchangedShortText)
{
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Create(WS_POPUP, &kFull, NULL));
    std::u16string longText(257, u'x');
    struct Case { std::u16string text; int sets; } cases[] = {
        {u"BRANTEL_RQN", 1}, {u"BRANTEL_RQN", 0}, {u"brantel_rqn", 1}, {longText, 1}, {longText, 1}};
    for (const Case& c : cases) {
        int before = dlg.setTextCount;
        EXPECT_TRUE(dlg.SetWindowText(c.text.c_str()));
        EXPECT_EQ(c.sets, dlg.setTextCount - before);
    }
    EXPECT_EQ(dlg.m_hWnd, FindWindowW(u"WceUiWnd", nullptr));
    dlg.DestroyWindow();
}

TEST_F(RealWndTest, DestroyingTheObjectDestroysItsWindowWithAWarning)
{
    HWND hWnd = NULL;
    {
        CTestDlg dlg;
        ASSERT_TRUE(dlg.Create(WS_POPUP | WS_VISIBLE, &kFull, NULL));
        hWnd = dlg.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(m_log.Contains("call destroy window in destruct"));
}

TEST_F(RealWndTest, CenterWindowOverTheOwner)
{
    CRealWnd owner, wnd;
    RECT ownerRect = {20, 10, 120, 90}, small = {0, 0, 40, 20};
    ASSERT_TRUE(owner.Create(WS_POPUP, &ownerRect, NULL));
    ASSERT_TRUE(wnd.Create(WS_POPUP, &small, owner.m_hWnd));
    EXPECT_TRUE(wnd.CenterWindow());
    RECT rc;
    wnd.GetWindowRect(&rc);
    EXPECT_EQ(50, rc.left);
    EXPECT_EQ(40, rc.top);
    CRealWnd lonely;
    ASSERT_TRUE(lonely.Create(WS_POPUP, &small, NULL));
    EXPECT_FALSE(lonely.CenterWindow());  // no owner to center over
    lonely.DestroyWindow();
    wnd.DestroyWindow();
    owner.DestroyWindow();
}

// The ignore filter on its own.
MSG PenAt(HWND hWnd, UINT msg, DWORD time) { return MSG{hWnd, msg, 0, 0, time, {0, 0}}; }

TEST_F(RealWndTest, IgnoreTablesAreBoundedAndReportOverflow)
{
    CJxIgnoreMsg filter;
    EXPECT_EQ(3, filter.GetIgnoreMsgCount());
    for (int i = 0; i < 61; ++i) EXPECT_TRUE(filter.AddIgnoreMsg(WM_USER + i));
    EXPECT_FALSE(filter.AddIgnoreMsg(WM_USER));
    for (std::uintptr_t i = 1; i <= 128; ++i) EXPECT_TRUE(filter.AddHwndTime(reinterpret_cast<HWND>(i * 16), 100));
    EXPECT_TRUE(filter.AddHwndTime(reinterpret_cast<HWND>(16), 200));  // an existing window takes the new time
    EXPECT_FALSE(filter.AddHwndTime(reinterpret_cast<HWND>(129 * 16), 100));
    EXPECT_EQ(2u, m_log.Messages().size());  // each overflow reported
}

TEST(IgnoreFilter, DecisionsByTimeAcrossTheTickWrap)
{
    HWND a = reinterpret_cast<HWND>(std::uintptr_t{0x40});
    HWND b = reinterpret_cast<HWND>(std::uintptr_t{0x80});
    struct Case { DWORD entry; MSG msg; BOOL dropped; int entriesLeft; } cases[] = {
        {1000, PenAt(a, WM_LBUTTONDOWN, 999), TRUE, 1},
        {1000, PenAt(a, WM_LBUTTONDOWN, 1000), TRUE, 1},
        {1000, PenAt(a, WM_LBUTTONUP, 1001), FALSE, 0},
        {1000, PenAt(a, WM_KEYDOWN, 10), FALSE, 1},   // not an ignorable message
        {1000, PenAt(b, WM_LBUTTONDOWN, 10), FALSE, 1},  // another window
        {0xFFFFFF00u, PenAt(a, WM_MOUSEMOVE, 0x10), FALSE, 0},  // after the wrap: newer
        {0x10, PenAt(a, WM_MOUSEMOVE, 0xFFFFFF00u), TRUE, 1},   // before the wrap: older
    };
    for (const Case& c : cases) {
        CJxIgnoreMsg filter;
        filter.AddHwndTime(a, c.entry);
        EXPECT_EQ(c.dropped, filter.IsIgnoreMsg(&c.msg)) << c.entry << " " << c.msg.time;
        EXPECT_EQ(c.entriesLeft, filter.GetHwndCount());
    }
}

TEST_F(RealWndTest, AWindowsFilterEntriesGoWithTheWindow)
{
    CJxIgnoreMsg* pFilter = CJxGVar::GetInstance()->GetCJxIgnoreMsg();
    int before = pFilter->GetHwndCount();
    CRealWnd wnd;
    ASSERT_TRUE(wnd.Create(WS_POPUP, &kFull, NULL));
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(pFilter->AddHwndTime(wnd.m_hWnd, 0));  // one per transition
    EXPECT_EQ(before + 1, pFilter->GetHwndCount());
    wnd.DestroyWindow();
    EXPECT_EQ(before, pFilter->GetHwndCount());
}

}  // namespace
