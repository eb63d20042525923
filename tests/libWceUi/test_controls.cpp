// Buttons, sliders and edit boxes in a dialog: pen sequences with looks, clicks, posts and focus.
#include "WceUiEditBox.h"
#include "controls_fixture.h"
#include "wce/window.h"

WCEUI_DYNCREATE_END(CCtrlTestDlg, CWceUiDlg)

namespace {

// Looks by background colour: normal red, down green, outside blue.
const char* const kButtonStyles =
    "<pos_a><position rect=\"10,10,60,40\"/></pos_a><pos_b><position rect=\"100,10,150,40\"/></pos_b>"
    "<n><background color=\"0xFF0000\"/></n><dn><background color=\"0x00FF00\"/></dn>"
    "<f><background color=\"0x0000FF\"/></f>";

class ButtonTest : public ControlsTest {
protected:
    void BuildButtons(bool bDownStyle = true)
    {
        std::string down = bDownStyle ? " down.style=\"dn\"" : "";
        ASSERT_TRUE(BuildDlg("<a name=\"a\" type=\"CWceUiButton\" common.style=\"pos_a\" style=\"n\"" + down +
                                 " focus.style=\"f\"/><b name=\"b\" type=\"CWceUiButton\" common.style=\"pos_b\" style=\"n\"/>",
                             kButtonStyles));
        m_pA = Layer<CWceUiButton>(u"a");
        ASSERT_NE(m_pA, nullptr);
    }
    // The look shown: the state and the pixel colour agree.
    std::string Look()
    {
        unsigned px = Px(30, 20);
        std::string colour = px == k565Red ? "r" : px == k565Green ? "g" : px == k565Blue ? "b" : "?";
        return std::to_string(m_pA->GetLookState()) + colour;
    }
    CWceUiButton* m_pA = nullptr;
};

TEST_F(ButtonTest, PenSequencesGiveLooksAndClicks)
{
    // kind: d m u, or 'l' for a capture taken by another layer; looks: after each step.
    struct PenStep { char kind; int x, y; };
    const struct { const char* name; std::vector<PenStep> steps; Strings looks, clicks; bool bDownStyle = true; } cases[] = {
        {"inside", {{'d', 20, 20}, {'u', 25, 25}}, {"2g", "1r"}, {"a"}},
        {"out and released outside", {{'d', 20, 20}, {'m', 80, 20}, {'u', 80, 20}}, {"2g", "3b", "1r"}, {}},
        {"out and back", {{'d', 20, 20}, {'m', 80, 20}, {'m', 30, 30}, {'u', 30, 30}}, {"2g", "3b", "2g", "1r"}, {"a"}},
        {"loss of capture", {{'d', 20, 20}, {'l', 0, 0}, {'u', 20, 20}}, {"2g", "1r", "1r"}, {}},
        {"second down without up", {{'d', 20, 20}, {'d', 22, 22}, {'u', 22, 22}}, {"2g", "2g", "1r"}, {"a"}},
        // The up between the downs was lost: an up elsewhere ends the press, another button clicks.
        {"lost up, then another button", {{'d', 20, 20}, {'d', 20, 20}, {'u', 120, 20}, {'d', 120, 20}, {'u', 120, 20}},
         {"2g", "2g", "1r", "1r", "1r"}, {"b"}},
        {"without a down style state 2 looks normal", {{'d', 20, 20}, {'u', 20, 20}}, {"2r", "1r"}, {"a"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BuildButtons(c.bDownStyle);
        EXPECT_EQ(Look(), "1r");
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const PenStep& s = c.steps[i];
            if ('l' == s.kind) {
                m_pWnd->SetCapture(Layer<CWceUiLayer>(u"b"));
                m_pWnd->ReleaseCapture(Layer<CWceUiLayer>(u"b"));
                m_pWnd->Paint();
            } else {
                Pen(s.kind, s.x, s.y);
            }
            EXPECT_EQ(Look(), c.looks[i]) << "step " << i;
        }
        EXPECT_EQ(static_cast<CCtrlTestDlg*>(m_pBuilt)->m_clicks, c.clicks);
        EXPECT_EQ(m_pWnd->GetCapture(), nullptr);
        EXPECT_FALSE(m_pA->IsPressed());
    }
}

TEST_F(ButtonTest, StyleNamesKeepSixtyThreeUnits)
{
    BuildButtons();
    std::u16string name(70, u'x');
    m_pA->SetDownStyle(name.c_str());
    EXPECT_EQ(std::u16string(m_pA->GetDownStyle()), name.substr(0, 63));
    // Naming the look not shown applies nothing; the shown one applies at once.
    m_pA->SetFocusStyle(u"dn");
    EXPECT_EQ(Look(), "1r");
    m_pA->SetNormalStyle(u"f");
    PaintAll();
    EXPECT_EQ(Look(), "1b");
}

// A 110 x 20 slider: background 100 x 20 (white), selected background (green), thumb 10 x 30
// (red, taller than the slider).
class SliderTest : public ControlsTest {
protected:
    void BuildSlider(const std::string& extra = "", const std::string& rect = "20,40,110,20",
                     bool bBackground = true)
    {
        skinbuild::BitmapOptions alpha;
        alpha.perPixelAlpha = true;
        m_skin.Bitmap565("s", "bg", 100, 20, [](int, int) { return 0xFFFFFFFFu; }, alpha);
        m_skin.Bitmap565("s", "sel", 100, 20, [](int, int) { return 0xFF00FF00u; }, alpha);
        m_skin.Bitmap565("s", "thumb", 10, 30, [](int, int) { return 0xFFFF0000u; }, alpha);
        std::string images = (bBackground ? " bg_bmp=\"bg.565a.conf\"" : "") +
                             std::string(" bg_sel_bmp=\"sel.565a.conf\" thumb_bmp=\"thumb.565a.conf\"");
        ASSERT_TRUE(BuildDlg("<s name=\"s\" type=\"CWceUiSlider\" style=\"sl\"" + images + extra + "/>",
                             "<sl><position rect=\"" + rect + "\"/><background color=\"0x000000\"/></sl>"));
        m_pS = Layer<CWceUiSlider>(u"s");
    }
    std::vector<LPARAM> Phases() const
    {
        std::vector<LPARAM> out;
        for (const auto& p : Posts(WCEUI_MSG_SLIDER)) {
            EXPECT_EQ(p.wParam, reinterpret_cast<WPARAM>(m_pS));
            out.push_back(p.lParam);
        }
        return out;
    }
    CWceUiSlider* m_pS = nullptr;
};

TEST_F(SliderTest, PressAtAnOffsetSetsThePositionAndPostsOnlyChanges)
{
    BuildSlider();
    EXPECT_EQ(WndRect(m_pS), "20,40,130,60");  // background + thumb
    m_pS->SetPos(37);
    m_pWnd->Paint();
    // Thumb at offset 37: red from x 57 to 66, also above and below the track; clipped to the slider.
    EXPECT_EQ(Px(57, 40), k565Red);
    EXPECT_EQ(Px(66, 59), k565Red);
    EXPECT_EQ(Px(56, 50), k565Green);
    EXPECT_EQ(Px(67, 50), k565White);
    EXPECT_EQ(Px(60, 39), k565Black);
    Pen('d', 20 + 5 + 62, 50);
    EXPECT_EQ(m_pS->GetPos(), 62);
    Pen('m', 20 + 5 + 62, 55);  // same offset: nothing posted
    Pen('m', 20 + 5 + 70, 55);
    Pen('u', 20 + 5 + 70, 55);  // the same again
    EXPECT_EQ(Phases(), (std::vector<LPARAM>{0, 1}));
    EXPECT_EQ(m_pWnd->GetCapture(), nullptr);
}

TEST_F(SliderTest, PressGivesThePositionInTheRange)
{
    const struct { int nMin, nMax, x, nPos; } cases[] = {
        {10, 20, 20, 10},  // left end
        {10, 20, 129, 20},  // right end
        {10, 20, 20 + 5 + 50, 15},
        {INT_MIN, INT_MAX, 20 + 5 + 50, -1},  // the whole int range: no overflow
        {INT_MIN, INT_MAX, 129, INT_MAX},
    };
    for (const auto& c : cases) {
        BuildSlider();
        m_pS->SetRange(c.nMin, c.nMax, TRUE);
        Tap(c.x, 50);

        EXPECT_EQ(m_pS->GetPos(), c.nPos) << c.nMin << ".." << c.nMax << " at " << c.x;
    }
}

TEST_F(SliderTest, ThumbWiderThanTheSliderLeavesNoTrack)
{
    // No background: the width stays 8, under the thumb's 10.
    BuildSlider("", "20,40,8,20", false);
    m_pS->SetRange(5, 50, FALSE);
    Pen('d', 27, 50);
    EXPECT_EQ(m_pS->GetPos(), 5);
    EXPECT_EQ(m_pS->GetThumbOffset(), 0);
}

TEST_F(SliderTest, RefusedChangesAndReadOnly)
{
    BuildSlider(" readonly=\"true\"");
    m_pS->SetPos(101);
    m_pS->SetRange(5, 3, TRUE);
    int nMin = 0, nMax = 0;
    m_pS->GetRange(&nMin, &nMax);
    EXPECT_EQ(m_pS->GetPos(), 0);
    EXPECT_EQ(nMax, 100);
    Pen('d', 100, 50);
    Pen('m', 110, 50);
    Pen('u', 110, 50);
    EXPECT_EQ(m_pS->GetPos(), 0);
    EXPECT_TRUE(Phases().empty());
}

TEST_F(SliderTest, LossOfCaptureEndsTheDragWhereItIs)
{
    BuildSlider();
    Pen('d', 20 + 5 + 40, 50);
    m_pWnd->SetCapture(m_pBuilt);
    EXPECT_FALSE(m_pS->IsTracking());
    EXPECT_EQ(m_pS->GetPos(), 40);
    EXPECT_EQ(Phases(), (std::vector<LPARAM>{0}));
}

TEST_F(SliderTest, PositionOutsideANewRangeIsDrawnOnTheTrack)
{
    BuildSlider();
    m_pS->SetPos(90);
    m_pS->SetRange(0, 50, TRUE);
    m_pWnd->Paint();
    EXPECT_EQ(m_pS->GetThumbOffset(), 100);
    EXPECT_EQ(Px(129, 50), k565Red);
}

// Looks by background colour: red normal, green focused; taps move the focus and the typing.
TEST_F(ControlsTest, EditBoxTapsMoveTheFocusAndItsLook)
{
    ASSERT_TRUE(BuildDlg("<e name=\"e\" type=\"CWceUiSEditBox\" common.style=\"pos_e\" style=\"n\" focus.style=\"fo\"/>"
                         "<f name=\"f\" type=\"CWceUiMEditBox\" common.style=\"pos_f\" style=\"n\" focus.style=\"fo\"/>",
                         "<pos_e><position rect=\"10,10,100,40\"/></pos_e><pos_f><position rect=\"10,50,100,80\"/></pos_f>"
                         "<n><background color=\"0xFF0000\"/></n><fo><background color=\"0x00FF00\"/></fo>"));
    auto* e = Layer<CWceUiEditBox>(u"e");
    auto* f = Layer<CWceUiEditBox>(u"f");
    ASSERT_TRUE(e && f);
    EXPECT_NE(f->IsVertical(), e->IsVertical());
    auto looks = [&] { return std::string(Px(50, 20) == k565Green ? "G" : "r") + (Px(50, 60) == k565Green ? "G" : "r"); };
    EXPECT_EQ("rr", looks());
    const struct { int y; char c; const char* looks; } taps[] = {{20, 'q', "Gr"}, {60, 'z', "rG"}};
    for (const auto& t : taps) {
        Tap(50, t.y);
        EXPECT_EQ(t.looks, looks());
        m_pWnd->SendRegisteredMsg(WM_CHAR, t.c, 1);
    }
    EXPECT_EQ("q", Utf8(e->GetEditText()));
    EXPECT_EQ("z", Utf8(f->GetEditText()));
    f->EnableLayer(FALSE);
    PaintAll();
    EXPECT_EQ("rr", looks());
}

}  // namespace
