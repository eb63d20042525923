// The layer window and running dialogs on a headless display: painting, pen, key, timer and
// registered-message routing, capture, transitions with their frame pacing, the modal and
// modeless runs, and controls and an edit box driven through window messages. Modal runs and
// transitions in the off-screen window close it.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <utility>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXIgnoreMsg.h"
#include "SkinBuilder.h"
#include "WceUiBlendAni.h"
#include "WceUiButton.h"
#include "WceUiDlg.h"
#include "WceUiEditBox.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiOffscreenWnd.h"
#include "WceUiRealWnd.h"
#include "WceUiSlider.h"
#include "WceUiWndAnimate.h"
#include "bitmap_helpers.h"
#include "doc_test_helpers.h"
#include "wce/display.h"
#include "wce/platform.h"

using Strings = std::vector<std::string>;

// Made by name from its dialog file; records into the running test's list.
class CRecordDlg : public CWceUiDlg {
    WCEUI_DYNCREATE_BEGIN(CRecordDlg, CWceUiDlg)

public:
    static Strings* pEvents;
    static std::function<void(UINT)> onKey;
    void OnKeyDown(UINT nChar, UINT, UINT) override { if (onKey) onKey(nChar); }
    void OnChildClick(CWceUiLayer* pChild) override { pEvents->push_back("click " + Utf8(pChild->GetName())); }
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        pEvents->push_back(std::to_string(msg) + " " + std::to_string(WCEUI_MSG_SLIDER == msg ? lParam : wParam));
        return 0;
    }
};
WCEUI_DYNCREATE_END(CRecordDlg, CWceUiDlg)
Strings* CRecordDlg::pEvents = nullptr;
std::function<void(UINT)> CRecordDlg::onKey;

namespace {

const int kW = 200, kH = 100;

// A layer that fills its rectangle with one colour and records what reaches it.
class CProbeLayer : public CWceUiLayer {
public:
    Strings* pCalls = nullptr;
    COLORREF color = RGB(0, 0, 255);
    bool bCaptureOnDown = false;
    LRESULT result = 0;
    std::function<void(CProbeLayer&)> onRegistered, onLose, onInput;  // onInput: pen-downs and timers

    void Note(const std::string& s) const { if (pCalls) pCalls->push_back(Utf8(GetName()) + " " + s); }
    void OnLButtonDown(UINT, int x, int y) override
    {
        Note("down " + std::to_string(x) + "," + std::to_string(y));
        if (bCaptureOnDown) SetCapture();
        if (onInput) onInput(*this);
    }
    void OnLButtonUp(UINT, int, int) override { Note("up"); ReleaseCapture(); }
    void OnMouseMove(UINT, int, int) override { Note("move"); }
    void OnLoseCapture() override
    {
        // As the controls do: a lost capture ends the press (a new look may move the layer).
        Note("lose");
        if (onLose) onLose(*this);
        ReleaseCapture();
    }
    void OnTimer(WORD nId) override { Note("timer " + std::to_string(nId)); if (onInput) onInput(*this); }
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM) override
    {
        Note("msg " + std::to_string(msg) + " " + std::to_string(wParam));
        // The handler may delete this layer: nothing of it is touched afterwards.
        const LRESULT r = result;
        if (onRegistered) {
            const std::function<void(CProbeLayer&)> handler = onRegistered;
            handler(*this);
        }
        return r;
    }
    void OnDraw(CWceUiGenericBitmap* pWndBitmap, RECT rcDraw) override
    {
        RECT rc, rcWnd;
        GetWindowRect(&rcWnd);
        if (IntersectRect(&rc, &rcWnd, &rcDraw)) pWndBitmap->FillColor(color, &rc);
    }
};

class CProbeDlg : public CWceUiDlg {
public:
    Strings* pCalls = nullptr;
    std::function<void(CProbeDlg&)> onInit;
    std::function<BOOL(CProbeDlg&, BOOL)> prepare, play;

    void Note(const std::string& s) const { pCalls->push_back(Utf8(GetName()) + " " + s); }
    void OnInitDialog() override { Note("init"); if (onInit) onInit(*this); }
    void OnLButtonDownNoLayer(UINT, int x, int y) override
    {
        Note("nolayer " + std::to_string(x) + "," + std::to_string(y));
    }
    std::function<void(CProbeDlg&, UINT)> onKey;
    void OnKeyDown(UINT nChar, UINT, UINT) override
    {
        Note("key " + std::to_string(nChar));
        if (onKey) onKey(*this, nChar);
    }
    BOOL PrepareAnimate(BOOL bIn) override { return prepare ? prepare(*this, bIn) : CWceUiDlg::PrepareAnimate(bIn); }
    BOOL PlayAnimate(BOOL bIn) override { return play ? play(*this, bIn) : CWceUiDlg::PlayAnimate(bIn); }
};

// Frame f is grey level 10 * (f + 1); the last one is the target picture.
class CStepAni : public CWceUiWndAnimate {
public:
    DWORD dwLength = 40;
    BOOL Play(CWceUiGenericBitmap* pMixed, CWceUiGenericBitmap*, CWceUiGenericBitmap* pTo, int nCurFrame,
              DWORD* lpPlayTime) override
    {
        if (nCurFrame == GetFrameCount() - 1)
            pMixed->BitBlt(0, 0, pTo->GetWidth(), pTo->GetHeight(), pTo, 0, 0, 0x00CC0020);
        else
            pMixed->FillColor(RGB(10 * (nCurFrame + 1), 10 * (nCurFrame + 1), 10 * (nCurFrame + 1)), NULL);
        *lpPlayTime = dwLength;
        return TRUE;
    }
};

// White under its text, so that text and caret show.
class CWhiteEditBox : public CWceUiMEditBox {
public:
    void OnDrawBackGround(CWceUiGenericBitmap* pDrawBitmap, BOOL) override
    {
        RECT rc;
        GetWindowRect(&rc);
        pDrawBitmap->FillColor(RGB(255, 255, 255), &rc);
    }
};

class CProbeWnd : public CWceUiRealWnd {
public:
    std::function<void(CProbeWnd&)> onInit;
    std::function<void()> onTimer;
    void OnTimer(UINT nIDEvent) override
    {
        if (0 == (nIDEvent & 0xFFFF) && onTimer) onTimer();
        CWceUiRealWnd::OnTimer(nIDEvent);
    }
    void OnInitDialog() override
    {
        if (onInit) onInit(*this);
        if (DLG_RUN_IN_MODAL == GetRunWay() && ::IsWindow(m_hWnd)) CRealDlg::EndDialog(0);
    }
};

// An off-screen window whose modal loops run a script: a step per idle turn, none left ends
// the loop. Its transition frames are kept as their pixel at (10, 10).
class CScriptWnd : public CWceUiOffscreenWnd {
public:
    CScriptWnd() : CWceUiOffscreenWnd(kW, kH, 16) {}
    std::vector<std::function<void(CScriptWnd&)>> steps;
    std::vector<unsigned> frames;
    size_t next = 0;
    BOOL OnModalIdle() override
    {
        if (next == steps.size()) return FALSE;
        steps[next++](*this);
        return TRUE;
    }
    void OnWndBmpReady(CWceUiGenericBitmap* pWndBmp) override { frames.push_back(PixelAt(*pWndBmp, 10, 10)); }
    void Tap(int x, int y)
    {
        if (CWceUiLayer* p = HitTest(POINT{x, y})) p->OnLButtonDown(1, x, y);
        if (CWceUiLayer* p = HitTest(POINT{x, y})) p->OnLButtonUp(0, x, y);
    }
};

struct Frame { DWORD tick; RECT rc; };

class LayerWndTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        CJxGVar::GetInstance()->GetCJxGlobalData()->SetInstanceHandle(GetModuleHandleW(nullptr));
    }
    void TearDown() override
    {
        wce::host::SetPresentHook(nullptr);
        wce::host::CloseDisplay();
        DocTest::TearDown();
    }
    // Opens the display with the script and runs body inside the window's OnInitDialog, the
    // window covering the screen; the dialogs left on the root go afterwards.
    void Run(const std::function<void(CProbeWnd&)>& body, const std::string& script = "")
    {
        wce::host::CloseDisplay();  // a table's next row starts afresh
        m_calls.clear();
        ASSERT_TRUE(OpenHeadless(kW, kH, script));
        wce::host::SetPresentHook([this](std::uint64_t, const RECT& rc) { m_frames.push_back({::GetTickCount(), rc}); });
        m_wnd.onInit = [&](CProbeWnd& wnd) {
            body(wnd);
            CWceUiLayer* pRoot = wnd.GetLayerCtrl()->RootLayer();
            while (CWceUiLayer* p = pRoot->GetLastChild()) wnd.GetLayerCtrl()->DeleteLayer(p);
        };
        RECT rc = {0, 0, kW, kH};
        m_wnd.DoModal(WS_POPUP | WS_VISIBLE, &rc, NULL);
    }
    template <class Wnd>
    CProbeDlg* NewDlg(Wnd& wnd, LPCWSTR pName)
    {
        CProbeDlg* pDlg = new CProbeDlg;
        pDlg->pCalls = &m_calls;
        pDlg->SetLayerCtrl(wnd.GetLayerCtrl());
        wnd.GetLayerCtrl()->InitLayerInfo(pDlg, pName);
        RECT rc = {0, 0, 160, 60};  // the corner below it is "no layer"
        pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        return pDlg;
    }

    template <class T>
    T* Put(CWceUiLayer* pParent, T* p, LPCWSTR pName, RECT rc)
    {
        p->SetLayerCtrl(pParent->GetLayerCtrl());
        pParent->GetLayerCtrl()->InitLayerInfo(p, pName);
        pParent->AppendChild(p);
        p->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        return p;
    }
    CProbeLayer* NewLayer(CWceUiLayer* pParent, LPCWSTR pName, RECT rc, COLORREF color)
    {
        CProbeLayer* p = Put(pParent, new CProbeLayer, pName, rc);
        p->pCalls = &m_calls;
        p->color = color;
        return p;
    }
    // A dialog on the root with a left layer "a" and a right layer "b".
    CProbeDlg* Attach(CProbeWnd& wnd)
    {
        CProbeDlg* pDlg = NewDlg(wnd, u"dlg");
        wnd.GetLayerCtrl()->RootLayer()->AppendChild(pDlg);
        m_a = NewLayer(pDlg, u"a", RECT{0, 0, 50, 50}, RGB(255, 0, 0));
        m_b = NewLayer(pDlg, u"b", RECT{100, 0, 150, 50}, RGB(0, 255, 0));
        return pDlg;
    }
    // A skin with dialog "CRecordDlg": button "b" (red, down green), slider "s", list "l".
    void WriteControlsSkin()
    {
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetScreenInfo(kW, kH, 16);
        skinbuild::SkinBuilder skin;
        skinbuild::BitmapOptions alpha;
        alpha.perPixelAlpha = true;
        skin.Bitmap565("s", "thumb", 10, 20, [](int, int) { return 0xFFFF0000u; }, alpha);
        skin.Dialog("s", "CRecordDlg",
                    "<d><body name=\"main\"><b name=\"b\" type=\"CWceUiButton\" common.style=\"bp\" style=\"bn\""
                    " down.style=\"bd\"/><s name=\"s\" type=\"CWceUiSlider\" style=\"sl\" thumb_bmp=\"thumb.565a.conf\"/>"
                    "<l name=\"l\" type=\"CWceUiListBox\" style=\"lst\"/></body></d>",
                    "<k><style><bp><position rect=\"0,0,50,30\"/></bp><bn><background color=\"0xFF0000\"/></bn>"
                    "<bd><background color=\"0x00FF00\"/></bd>"
                    "<sl><position rect=\"0,40,110,20\"/><background color=\"0x000000\"/></sl>"
                    "<lst><position rect=\"120,0,80,100\"/><background color=\"0x202020\"/></lst></style></k>");
        std::string error;
        ASSERT_TRUE(skin.WriteFolder(m_device.Host("SDMMC/skin"), error)) << error;
        pGlobal->SetWndDir(u"\\SDMMC\\skin\\s\\wnd\\");
        pGlobal->SetResDir(u"\\SDMMC\\skin\\s\\res\\");
        CRecordDlg::pEvents = &m_calls;
    }
    // The controls' dialog on the root, initialised, with ten list items and its posts recorded.
    CWceUiDlg* AttachControls(CProbeWnd& wnd)
    {
        CWceUiDlg* pDlg = wnd.GetLayerCtrl()->CreateDlg(u"CRecordDlg");
        if (!pDlg) return nullptr;
        wnd.GetLayerCtrl()->RootLayer()->AppendChild(pDlg);
        pDlg->SendOnInitLayer();
        pDlg->RegisterMsg(WCEUI_MSG_SLIDER);
        pDlg->RegisterMsg(WCEUI_MSG_LIST_TAP);
        auto* pList = static_cast<CWceUiListBox*>(pDlg->GetLayerByName(u"l"));
        for (int i = 0; i < 10; ++i) pList->AddString(u"x", FALSE);
        wnd.UpdateWindow();
        return pDlg;
    }
    Strings Take() { return std::exchange(m_calls, {}); }
    static COLORREF ScreenAt(int x, int y)
    {
        wce::host::RgbaImage image;
        if (!wce::host::GetScreenImage(image)) return 0xFFFFFFFF;
        const std::uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
        return RGB(p[0], p[1], p[2]);
    }

    CProbeWnd m_wnd;
    Strings m_calls;
    std::vector<Frame> m_frames;
    CProbeLayer* m_a = nullptr;
    CProbeLayer* m_b = nullptr;
};

TEST_F(LayerWndTest, PaintingCopiesOnlyTheDirtyRectangle)
{
    Run([&](CProbeWnd& wnd) {
        Attach(wnd);
        wnd.UpdateWindow();
        EXPECT_EQ(ScreenAt(10, 10), RGB(255, 0, 0));
        m_frames.clear();
        m_a->color = RGB(0, 0, 255);
        m_b->color = RGB(0, 0, 255);  // not invalidated: the screen keeps the old green
        RECT rcDirty = {10, 10, 30, 20};
        wnd.InvalidateRect(&rcDirty, TRUE);
        wnd.UpdateWindow();
        ASSERT_EQ(m_frames.size(), 1u);
        EXPECT_TRUE(EqualRect(&m_frames[0].rc, &rcDirty));
        EXPECT_EQ(ScreenAt(15, 15), RGB(0, 0, 255));
        EXPECT_EQ(ScreenAt(5, 5), RGB(255, 0, 0));
        EXPECT_EQ(ScreenAt(120, 10), RGB(0, 255, 0));
    });
}

TEST_F(LayerWndTest, PenGoesToTheHitLayerOrTheCaptureLayerANewOneTellingTheOldFirst)
{
    struct Step { const char* what; int x, y; };
    // a takes the capture on its pen-downs; the second down (its up was lost) must keep it.
    const Step steps[] = {{"down", 10, 10}, {"move", 120, 10}, {"down", 10, 10}, {"move", 190, 90},
                          {"up", 190, 90},  {"up", 190, 90},   {"down", 190, 90}, {"down", 120, 10}};
    const Strings expected = {"a down 10,10", "a move", "a down 10,10", "a move", "a up", "dlg nolayer 190,90",
                              "b down 120,10"};
    Run([&](CProbeWnd& wnd) {
        Attach(wnd);
        m_a->bCaptureOnDown = true;
        for (const Step& s : steps) {
            std::string what = s.what;
            if (what == "down") wnd.OnLButtonDown(0, s.x, s.y);
            if (what == "move") wnd.OnMouseMove(0, s.x, s.y);
            if (what == "up") wnd.OnLButtonUp(0, s.x, s.y);
        }
        EXPECT_EQ(Take(), expected);
        EXPECT_EQ(wnd.GetCapture(), nullptr);
        // A new capture layer tells the old one first and keeps the pen.
        m_a->SetCapture();
        m_b->SetCapture();
        wnd.OnMouseMove(0, 10, 10);
        EXPECT_EQ(Take(), (Strings{"a lose", "b move"}));
        EXPECT_EQ(wnd.GetCapture(), m_b);
        EXPECT_EQ(::GetCapture(), wnd.m_hWnd);
        m_b->ReleaseCapture();  // releasing is not a loss
        wnd.OnMouseMove(0, 10, 10);
        EXPECT_EQ(m_calls, (Strings{"a move"}));
    });
}

TEST_F(LayerWndTest, ACaptureLayerThatCanNoLongerTakeThePenLosesItToldFirst)
{
    // Each change puts "a", which holds the capture, out of the pen's reach: it hears
    // OnLoseCapture, the platform capture goes, and the next pen-down is hit-tested again.
    using Change = std::function<void(CProbeWnd&, CProbeDlg*)>;
    const struct { const char* name; Change change; Strings calls; } cases[] = {
        {"itself disabled", [&](CProbeWnd&, CProbeDlg*) { m_a->EnableLayer(FALSE); }, {"a lose", "b down 120,10"}},
        {"its dialog disabled", [](CProbeWnd&, CProbeDlg* d) { d->EnableLayer(FALSE); }, {"a lose", "dlg nolayer 120,10"}},
        {"itself hidden", [&](CProbeWnd&, CProbeDlg*) { m_a->ShowLayer(FALSE); }, {"a lose", "b down 120,10"}},
        {"its dialog hidden", [](CProbeWnd&, CProbeDlg* d) { d->ShowLayer(FALSE); }, {"a lose", "dlg nolayer 120,10"}},
        {"its dialog deleted", [](CProbeWnd& w, CProbeDlg* d) { w.GetLayerCtrl()->DeleteLayer(d); }, {"a lose"}},
        {"a dialog put over it, a moving as it hears it",
         [&](CProbeWnd& w, CProbeDlg*) {
             m_a->onLose = [](CProbeLayer& a) {
                 RECT rc = {0, 0, 40, 40};
                 a.SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);  // rebuilds the lists once more
             };
             w.GetLayerCtrl()->RootLayer()->AppendChild(NewDlg(w, u"over"));
         },
         {"a lose"}},  // told once; the pen finds the new dialog itself
        {"b disabled, a keeps it", [&](CProbeWnd&, CProbeDlg*) { m_b->EnableLayer(FALSE); }, {"a down 120,10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](CProbeWnd& wnd) {
            CProbeDlg* pDlg = Attach(wnd);
            m_a->SetCapture();
            c.change(wnd, pDlg);
            bool bKept = wnd.GetCapture() != nullptr;
            EXPECT_EQ(::GetCapture() == wnd.m_hWnd, bKept);
            wnd.OnLButtonDown(0, 120, 10);
            EXPECT_EQ(m_calls, c.calls);
            if (bKept) m_a->ReleaseCapture();
        });
    }
}

TEST_F(LayerWndTest, TimersReachOnlyLivingLayersWithALayerId)
{
    Run([&](CProbeWnd& wnd) {
        Attach(wnd);
        UINT idA = m_a->GetLayerId(), idB = m_b->GetLayerId();
        wnd.GetLayerCtrl()->DeleteLayer(m_b);
        const UINT ids[] = {idA | (7u << 16), 7u << 16, 0, idB | (3u << 16), idA};
        for (UINT id : ids) wnd.OnTimer(id);
        EXPECT_EQ(m_calls, (Strings{"a timer 7", "a timer 0"}));
    });
}

TEST_F(LayerWndTest, RegisteredMessagesGoInOrderAndGiveTheLastResult)
{
    Run([&](CProbeWnd& wnd) {
        CProbeDlg* pDlg = Attach(wnd);
        CProbeLayer* c = NewLayer(pDlg, u"c", RECT{0, 60, 10, 70}, 0);
        m_a->result = 1, m_b->result = 2, c->result = 3;
        const UINT kMsg = WM_USER + 5;
        for (CProbeLayer* p : {c, m_a, m_b}) p->RegisterMsg(kMsg);
        EXPECT_EQ(wnd.SendMessage(kMsg, 9, 0), 2);
        EXPECT_EQ(Take(), (Strings{"c msg 1029 9", "a msg 1029 9", "b msg 1029 9"}));
        // a handler that unregisters later layers (and itself) skips them this time already
        c->onRegistered = [&](CProbeLayer& self) { self.UnRegisterMsg(kMsg); m_a->UnRegisterMsg(kMsg); };
        EXPECT_EQ(wnd.SendMessage(kMsg, 1, 0), 2);
        EXPECT_EQ(Take(), (Strings{"c msg 1029 1", "b msg 1029 1"}));
        // a handler deleting the last registered layer empties the map under the walk
        m_b->onRegistered = [&](CProbeLayer& self) { wnd.GetLayerCtrl()->DeleteLayer(&self); };
        wnd.SendMessage(kMsg, 2, 0);
        EXPECT_EQ(Take(), (Strings{"b msg 1029 2"}));
        EXPECT_FALSE(wnd.UnRegisterMsg(kMsg, c));  // no longer registered
        // key-downs reach the top dialog, then the layers registered for them
        c->RegisterMsg(WM_KEYDOWN);
        wnd.SendMessage(WM_KEYDOWN, 0x41, 0);
        EXPECT_EQ(m_calls, (Strings{"dlg key 65", "c msg 256 65"}));
        EXPECT_FALSE(wnd.UnRegisterMsg(WM_KEYDOWN, m_a));  // another layer's
    });
}

TEST_F(LayerWndTest, PlayPacesFramesThroughPaintWnd)
{
    Run([&](CProbeWnd& wnd) {
        Attach(wnd);
        wnd.UpdateWindow();
        m_frames.clear();
        CStepAni ani, off;
        ani.SetFrameCount(4);
        off.SetEnable(FALSE);
        CWceUiWndAnimate* none[] = {&off};
        EXPECT_FALSE(wnd.Play(none, 1, FALSE));  // without Apply: no frame
        // every animation disabled: success without a frame
        ASSERT_TRUE(wnd.Apply(NULL));
        EXPECT_TRUE(wnd.Play(none, 1, FALSE));
        EXPECT_TRUE(m_frames.empty());
        // four frames, a frame length apart, the last one the new picture
        ASSERT_TRUE(wnd.Apply(NULL));
        m_a->color = RGB(255, 255, 0);
        CWceUiWndAnimate* both[] = {&off, &ani, NULL, &off};
        EXPECT_TRUE(wnd.Play(both, 4, FALSE));
        ASSERT_EQ(m_frames.size(), 4u);
        for (size_t i = 1; i < m_frames.size(); ++i) EXPECT_EQ(m_frames[i].tick - m_frames[i - 1].tick, 40u);
        EXPECT_EQ(m_frames[0].rc.right, kW);
        EXPECT_EQ(ScreenAt(10, 10), RGB(255, 255, 0));
        EXPECT_FALSE(wnd.Play(both, 4, FALSE));  // the applied picture is gone
    });
}

TEST_F(LayerWndTest, ApplyChecksTheStartingPicture)
{
    Run([&](CProbeWnd& wnd) {
        // Too small, not the screen's depth, never created.
        for (auto [bits, w, h] : {std::array{16, 10, 10}, {32, kW, kH}, {16, 0, 0}}) {
            std::unique_ptr<CWceUiGenericBitmap> p(WceUiCreateBitmapObject(bits));
            if (w) p->CreateDIB(w, h);
            EXPECT_FALSE(wnd.Apply(p.get())) << bits << " bits, " << w;
        }
    });
}

TEST_F(LayerWndTest, TapsDuringATransitionAreDropped)
{
    // The "in" of the dialog runs from tick 1000 to 1160; the first tap falls inside it.
    int nResult = 0;
    Run([&](CProbeWnd& wnd) {
        CProbeDlg* pDlg = NewDlg(wnd, u"top");
        NewLayer(pDlg, u"a", RECT{0, 0, 50, 50}, RGB(255, 0, 0));
        NewLayer(pDlg, u"b", RECT{100, 0, 150, 50}, RGB(0, 255, 0));
        pDlg->prepare = [&](CProbeDlg&, BOOL bIn) { return bIn ? wnd.Apply(NULL) : FALSE; };
        pDlg->play = [&](CProbeDlg&, BOOL) {
            CStepAni ani;
            ani.SetFrameCount(4);
            CWceUiWndAnimate* p = &ani;
            return wnd.Play(&p, 1, TRUE);
        };
        nResult = pDlg->DoModal();
        wnd.GetLayerCtrl()->DeleteLayer(pDlg);
    }, "wait 50\ntap 10 10 5\nwait 300\ntap 120 10 5\nwait 50\nquit\n");
    EXPECT_EQ(nResult, -1);  // the script's quit ended the loop
    EXPECT_EQ(m_calls, (Strings{"top init", "b down 120,10", "b up"}));
}

TEST_F(LayerWndTest, ModalDialogsStackDisableTheLowerOneAndReturnTheirResult)
{
    Run([&](CProbeWnd& wnd) {
        CProbeDlg* pLow = NewDlg(wnd, u"low");
        CProbeDlg* pTop = NewDlg(wnd, u"top");
        CProbeDlg* pSelf = NewDlg(wnd, u"self");
        pSelf->onInit = [](CProbeDlg& d) { d.EndDialog(4); };
        pTop->onInit = [&](CProbeDlg& d) {
            EXPECT_FALSE(pLow->IsLayerEnabled());
            EXPECT_FALSE(d.EndModeless());
            EXPECT_FALSE(pSelf->RunModeless());
            EXPECT_TRUE(m_log.Contains("RunModeless only works in there is no child"));
            EXPECT_EQ(pSelf->DoModal(), 4);  // ended in OnInitDialog: no loop
            EXPECT_EQ(d.GetRunWay(), DLG_RUN_IN_MODAL);
            d.EndDialog(9);
        };
        pLow->onInit = [&](CProbeDlg& d) {
            EXPECT_EQ(pTop->DoModal(), 9);
            EXPECT_TRUE(d.IsLayerEnabled());
            d.EnableLayer(FALSE);
            pSelf->onInit = [](CProbeDlg& s) { s.EndDialog(5); };
            EXPECT_EQ(pSelf->DoModal(), 5);
            EXPECT_FALSE(d.IsLayerEnabled());  // was disabled before: stays so
            d.EndDialog(1);
        };
        EXPECT_EQ(pLow->DoModal(), 1);
        EXPECT_EQ(pLow->GetRunWay(), DLG_RUN_NONE);
        EXPECT_EQ(wnd.GetLayerCtrl()->RootLayer()->GetChildCount(), 0);
        for (CProbeDlg* p : {pLow, pTop, pSelf}) wnd.GetLayerCtrl()->DeleteLayer(p);
    });
    EXPECT_EQ(m_calls, (Strings{"low init", "top init", "self init", "self init"}));
}

TEST_F(LayerWndTest, ModelessRunMovesTheWindowOnlyWhenGivenARectAndEndsWithTheWindow)
{
    Run([&](CProbeWnd& wnd) {
        CProbeDlg* pDlg = NewDlg(wnd, u"d");
        EXPECT_TRUE(pDlg->RunModeless());  // no window rectangle: the window stays
        RECT rc;
        wnd.GetWindowRect(&rc);
        EXPECT_EQ(rc.right - rc.left, kW);
        EXPECT_TRUE(pDlg->EndModeless());
        RECT rcSmall = {10, 20, 110, 70};
        pDlg->SetWndRect(&rcSmall);
        EXPECT_TRUE(pDlg->RunModeless());
        wnd.GetWindowRect(&rc);
        EXPECT_TRUE(EqualRect(&rc, &rcSmall));
        EXPECT_EQ(pDlg->GetRunWay(), DLG_RUN_IN_MODELESS);
        EXPECT_FALSE(pDlg->EndDialog(0));
        EXPECT_TRUE(pDlg->EndModeless());
        // Destroying the window ends and deletes a modeless dialog.
        ASSERT_TRUE(pDlg->RunModeless());
        wnd.DestroyWindow();
        EXPECT_EQ(wnd.GetLayerCtrl()->RootLayer()->GetChildCount(), 0);
        EXPECT_FALSE(m_log.Contains("not closed normally"));
    });
}

TEST_F(LayerWndTest, DestroyingTheWindowEndsTheModalLoop)
{
    int nResult = 0;
    Run([&](CProbeWnd& wnd) {
        CProbeDlg* pDlg = NewDlg(wnd, u"d");
        NewLayer(pDlg, u"a", RECT{0, 0, 50, 50}, RGB(255, 0, 0));
        pDlg->onInit = [&](CProbeDlg&) { wnd.SetTimer(0x10000, 10); };
        wnd.onTimer = [&]() { wnd.DestroyWindow(); };
        nResult = pDlg->DoModal();
        wnd.GetLayerCtrl()->DeleteLayer(pDlg);
    });
    EXPECT_EQ(nResult, -1);
}

TEST_F(LayerWndTest, HueShiftsOnlyInsideItsRange)
{
    Run([&](CProbeWnd& wnd) {
        Attach(wnd);
        const struct { int hue; bool shifted; } cases[] = {
            {0, false}, {181, false}, {-181, false}, {120, true}, {-180, true}};
        for (const auto& c : cases) {
            wnd.SetOffsetHue(c.hue);
            wnd.InvalidateRect(NULL, TRUE);
            wnd.UpdateWindow();
            EXPECT_EQ(ScreenAt(10, 10) != RGB(255, 0, 0), c.shifted) << c.hue;
            EXPECT_EQ(ScreenAt(170, 80), RGB(0, 0, 0)) << c.hue;  // black stays black
        }
        wnd.SetOffsetHue(0);
    });
}

TEST_F(LayerWndTest, ScriptedTapTextAndKeysEditTheFocusedBox)
{
    // A tap gives the focus; BACK and RETURN become characters 8 and 13; the arrow keys reach
    // the box through the window's key-downs.
    CWceUiEditBox* pBox = nullptr;
    COLORREF caretPixel = 0, besidePixel = 0;
    POINT caret{};
    std::string text;
    Run([&](CProbeWnd& wnd) {
        // Read the screen while the box still shows: at the end of the script the loop ends.
        wce::host::SetPresentHook([&](std::uint64_t, const RECT&) {
            if (!pBox || !pBox->IsCaretShown()) return;
            caret = pBox->GetCaretPoint();
            caretPixel = ScreenAt(caret.x, caret.y + 8);
            besidePixel = ScreenAt(caret.x + 4, caret.y + 8);
        });
        CProbeDlg* pDlg = NewDlg(wnd, u"dlg");
        RECT rc = {0, 0, kW, kH};
        pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        pBox = Put(pDlg, new CWhiteEditBox, u"edit", RECT{10, 10, 190, 90});
        pDlg->DoModal();  // until the script has run
        text = Utf8(pBox->GetEditText());
        pBox = nullptr;
        wnd.GetLayerCtrl()->DeleteLayer(pDlg);
    }, "wait 100\ntap 50 20\nwait 10\ntext \"ab cd\"\nkey LEFT\nkey BACK\nkey RETURN\ntext \"x\"\nwait 10\n"
       "expect 15 12 FFFFFF\n");
    EXPECT_EQ("ab \nxd", text);
    EXPECT_EQ(10 + WCEUI_EDIT_LINE_HEIGHT, caret.y);  // after "x" on the second line
    EXPECT_EQ(RGB(0, 0, 0), caretPixel);               // inverted white
    EXPECT_EQ(RGB(255, 255, 255), besidePixel);
}

TEST_F(LayerWndTest, KeysReachOnlyTheEditBoxesOfTheTopDialogShownAndEnabled)
{
    // LEFT moves the caret of "abc" from column 3 only in a box the user can type into; the
    // top dialog hears the key even when disabled.
    using Change = std::function<void(CProbeWnd&, CProbeDlg*, CWceUiEditBox*)>;
    auto msgBox = [&](CProbeWnd& w, CProbeDlg* d, bool bDisable) {
        if (bDisable) d->EnableLayer(FALSE);  // as DoModal does
        w.GetLayerCtrl()->RootLayer()->AppendChild(NewDlg(w, u"msg"));
    };
    const struct { const char* name; Change change; int column; Strings calls; } cases[] = {
        {"shown and enabled", [](CProbeWnd&, CProbeDlg*, CWceUiEditBox*) {}, 2, {"dlg key 37"}},
        {"hidden", [](CProbeWnd&, CProbeDlg*, CWceUiEditBox* e) { e->ShowLayer(FALSE); }, 3, {"dlg key 37"}},
        {"disabled", [](CProbeWnd&, CProbeDlg*, CWceUiEditBox* e) { e->EnableLayer(FALSE); }, 3, {"dlg key 37"}},
        {"its dialog disabled", [](CProbeWnd&, CProbeDlg* d, CWceUiEditBox*) { d->EnableLayer(FALSE); }, 3,
         {"dlg key 37"}},
        {"under a message box", [&](CProbeWnd& w, CProbeDlg* d, CWceUiEditBox*) { msgBox(w, d, true); }, 3,
         {"msg key 37"}},
        {"below a dialog, itself enabled", [&](CProbeWnd& w, CProbeDlg* d, CWceUiEditBox*) { msgBox(w, d, false); }, 3,
         {"msg key 37"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](CProbeWnd& wnd) {
            CProbeDlg* pDlg = NewDlg(wnd, u"dlg");
            wnd.GetLayerCtrl()->RootLayer()->AppendChild(pDlg);
            CWceUiEditBox* pBox = Put(pDlg, new CWceUiMEditBox, u"edit", RECT{10, 10, 150, 50});
            pDlg->SendOnInitLayer();
            pBox->SetEditText(u"abc");
            ASSERT_EQ(pBox->GetCaretColumn(), 3);
            c.change(wnd, pDlg, pBox);
            wnd.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
            EXPECT_EQ(pBox->GetCaretColumn(), c.column);
        });
        EXPECT_EQ(m_calls, c.calls);
    }
}

TEST_F(LayerWndTest, PenMessagesClickPostAndTapControls)
{
    WriteControlsSkin();
    Run([&](CProbeWnd& wnd) {
        CWceUiDlg* pDlg = AttachControls(wnd);
        ASSERT_NE(pDlg, nullptr);
        const POINT taps[] = {{10, 10}, {5 + 30, 50}, {150, 30}};  // button, slider at 30, list item 1
        for (const POINT& pt : taps)
            for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP}) {
                ::SendMessageW(wnd.m_hWnd, msg, WM_LBUTTONUP == msg ? 0 : 1, MAKELPARAM(pt.x, pt.y));
                Sleep(1);  // a later pen message must be stamped after a list's pen-up
            }
        MSG msg;
        while (::PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        EXPECT_EQ(static_cast<CWceUiSlider*>(pDlg->GetLayerByName(u"s"))->GetPos(), 30);
        EXPECT_EQ(static_cast<CWceUiListBox*>(pDlg->GetLayerByName(u"l"))->GetCurSel(), 1);
        wnd.GetLayerCtrl()->DeleteLayer(pDlg);
    });
    EXPECT_EQ(m_calls, (Strings{"click b", "33770 0", "33768 1"}));
}

TEST_F(LayerWndTest, APressHeldWhenAModalDialogOpensEndsWithoutAClick)
{
    // A control is pressed, RETURN runs a dialog over it with a four-frame blend "in", the pen
    // is lifted under that dialog or after ESCAPE has ended it. The press ends when the dialog
    // below is disabled: no down look, no click, no tap, no drag end.
    WriteControlsSkin();
    // Each lifted under the dialog and after it; the slider's press posts its phase 0.
    const struct { const char* name; POINT down, up; Strings events; } rows[] = {
        {"button", {10, 10}, {10, 10}, {}}, {"slider", {35, 50}, {75, 50}, {"33770 0"}},
        {"list", {150, 30}, {150, 30}, {}}};

    auto at = [](POINT pt) { return std::to_string(pt.x) + " " + std::to_string(pt.y); };
    for (const auto& c : rows) for (bool bUpAfter : {false, true}) {
        SCOPED_TRACE(std::string(c.name) + (bUpAfter ? ", up after the dialog" : ", up under it"));
        const std::string up = "up " + at(c.up) + "\nwait 10\n";
        const std::string script = "wait 10\ndown " + at(c.down) + "\nwait 10\nkey RETURN\nwait 300\n" +
                                   (bUpAfter ? "" : up) + "key ESCAPE\nwait 100\n" + (bUpAfter ? up : "");
        COLORREF buttonPixel = 0;
        Strings topNotes;
        Run([&](CProbeWnd& wnd) {
            CWceUiDlg* pBase = AttachControls(wnd);
            ASSERT_NE(pBase, nullptr);
            CProbeDlg* pTop = NewDlg(wnd, u"top");
            pTop->pCalls = &topNotes;
            pTop->prepare = [&](CProbeDlg&, BOOL bIn) { return bIn ? wnd.Apply(NULL) : FALSE; };
            pTop->play = [&](CProbeDlg&, BOOL) {
                CWceUiBlendAni ani;
                ani.SetFrameCount(4);
                ani.SetFrameLength(40);
                ani.SetRect(RECT{0, 0, kW, kH});
                CWceUiWndAnimate* p = &ani;
                return wnd.Play(&p, 1, TRUE);
            };
            pTop->onKey = [](CProbeDlg& d, UINT nChar) { if (VK_ESCAPE == nChar) d.EndDialog(0); };
            CRecordDlg::onKey = [&](UINT nChar) { if (VK_RETURN == nChar) pTop->DoModal(); };

            MSG msg;
            while (::GetMessageW(&msg, NULL, 0, 0) > 0)
                if (!WceUiIsIgnoreMsg(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            CRecordDlg::onKey = nullptr;
            buttonPixel = ScreenAt(10, 10);
            auto* pButton = static_cast<CWceUiButton*>(pBase->GetLayerByName(u"b"));
            EXPECT_FALSE(pButton->IsPressed());
            EXPECT_EQ(pButton->GetLookState(), WCEUI_BTN_NORMAL);
            EXPECT_FALSE(static_cast<CWceUiSlider*>(pBase->GetLayerByName(u"s"))->IsTracking());
            auto* pList = static_cast<CWceUiListBox*>(pBase->GetLayerByName(u"l"));
            EXPECT_EQ(pList->GetPressedIndex(), -1);
            EXPECT_EQ(pList->GetCurSel(), -1);
            EXPECT_EQ(wnd.GetCapture(), nullptr);
            wnd.GetLayerCtrl()->DeleteLayer(pTop);
        }, script);
        EXPECT_EQ(buttonPixel, RGB(255, 0, 0));
        EXPECT_EQ(m_calls, c.events);
    }
}

TEST_F(LayerWndTest, OffscreenModalDialogsRunUntilScriptedInputEndsThem)
{
    // "top" runs over "dlg" (a green layer "g"); its layer "a" ends it on a pen-down or a timer.
    using Step = std::function<void(CScriptWnd&)>;
    // bTimer: a sets its timer 2 in OnInitDialog; bEndInInit: the dialog ends before its loop.
    const struct {
        const char* name; bool bTimer, bEndInInit; std::vector<Step> steps; int result; size_t stepsRun; Strings calls;
    } cases[] = {

        {"a tap beside a, then on a", false, false,
         {[](CScriptWnd& w) { w.Tap(120, 10); }, [](CScriptWnd& w) { w.Tap(10, 10); }}, 3, 2,
         {"top init", "b down 120,10", "b up", "a down 10,10", "a up"}},
        {"a's timer", true, false, {[](CScriptWnd& w) { w.FireTimer(w.GetTimers().begin()->first); }}, 3, 1,
         {"top init", "a timer 2"}},
        {"the script runs out", false, false, {[](CScriptWnd&) {}}, -1, 1, {"top init"}},
        {"ended in OnInitDialog", false, true, {[](CScriptWnd& w) { w.Tap(10, 10); }}, 5, 0, {"top init"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptWnd wnd;
        CProbeDlg* pLow = NewDlg(wnd, u"dlg");
        wnd.GetLayerCtrl()->RootLayer()->AppendChild(pLow);
        NewLayer(pLow, u"g", RECT{0, 0, 160, 60}, RGB(0, 255, 0));
        CProbeDlg* pTop = NewDlg(wnd, u"top");
        CProbeLayer* pA = NewLayer(pTop, u"a", RECT{0, 0, 50, 50}, RGB(255, 0, 0));
        NewLayer(pTop, u"b", RECT{100, 0, 150, 50}, RGB(0, 0, 255));
        pA->onInput = [&](CProbeLayer&) { pTop->EndDialog(3); };
        pTop->onInit = [&](CProbeDlg& d) {
            EXPECT_FALSE(pLow->IsLayerEnabled());
            if (c.bTimer) pA->SetTimer(2, 50);
            if (c.bEndInInit) d.EndDialog(5);
        };
        wnd.steps = c.steps;
        wnd.Paint();
        EXPECT_EQ(pTop->DoModal(), c.result);
        EXPECT_EQ(wnd.next, c.stepsRun);
        EXPECT_EQ(m_calls, c.calls);
        EXPECT_TRUE(pLow->IsLayerEnabled());
        EXPECT_EQ(wnd.GetLayerCtrl()->RootLayer()->GetLastChild(), pLow);
        RECT rcDirty;
        EXPECT_TRUE(wnd.GetDirtyRect(&rcDirty));  // what the dialog covered is repainted
        EXPECT_EQ(rcDirty.right, kW);
        wnd.GetLayerCtrl()->DeleteLayer(pTop);
        wnd.GetLayerCtrl()->DeleteLayer(pLow);
        m_calls.clear();
    }
}

TEST_F(LayerWndTest, OffscreenTransitionsLeaveTheirFramesInTheWindowBitmap)
{
    // "top" (red at 10,10) comes in over "dlg" (green) and goes out again, four frames each.
    auto grey = [](unsigned v) { return ((v >> 3) << 11) | ((v >> 2) << 5) | (v >> 3); };
    CScriptWnd wnd;
    CProbeDlg* pLow = NewDlg(wnd, u"dlg");
    wnd.GetLayerCtrl()->RootLayer()->AppendChild(pLow);
    NewLayer(pLow, u"g", RECT{0, 0, 160, 60}, RGB(0, 255, 0));
    CProbeDlg* pTop = NewDlg(wnd, u"top");
    NewLayer(pTop, u"a", RECT{0, 0, 50, 50}, RGB(255, 0, 0));
    CStepAni ani;
    ani.SetFrameCount(4);
    CWceUiWndAnimate* pAni = &ani;
    EXPECT_FALSE(wnd.Play(&pAni, 1, FALSE));  // nothing applied
    pTop->prepare = [](CProbeDlg& d, BOOL) { return d.GetHost()->Apply(NULL); };
    pTop->play = [&](CProbeDlg& d, BOOL) { return d.GetHost()->Play(&pAni, 1, TRUE); };
    pTop->onInit = [&](CProbeDlg&) { EXPECT_EQ(wnd.frames.size(), 0u); };  // "in" plays after it
    wnd.steps = {[&](CScriptWnd&) {
        EXPECT_EQ(wnd.frames.size(), 4u);
        pTop->EndDialog(1);
    }};
    wnd.Paint();
    EXPECT_EQ(pTop->DoModal(), 1);
    const std::vector<unsigned> expected = {grey(10), grey(20), grey(30), 0xF800, grey(10), grey(20), grey(30), 0x07E0};
    EXPECT_EQ(wnd.frames, expected);
    wnd.GetLayerCtrl()->DeleteLayer(pTop);
    wnd.GetLayerCtrl()->DeleteLayer(pLow);
}

}  // namespace
