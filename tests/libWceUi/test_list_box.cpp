// Scroll layer and list box: taps, drags, flicks, spring-back, items, and the scroll cache
// giving the same pixels as a full repaint.
#include <functional>

#include "WceUiCommon.h"
#include "WceUiEditBox.h"
#include "controls_fixture.h"

namespace {

// A 150 x 100 list at x 10 with item backgrounds striped by row, a check mark, item images
// and a scroll bar, all blended parts with partial alpha.
class ListTest : public ControlsTest {
protected:
    static constexpr const char* kAttrs =
        "item_height=\"20\" extra_scroll=\"50\" draw_item_image=\"true\" item_image_width=\"24\"";
    void BuildList(int nItems, const std::string& attrs = kAttrs)
    {
        skinbuild::BitmapOptions alpha;
        alpha.perPixelAlpha = true;
        m_skin.Bitmap565("s", "ln", 150, 20, [](int x, int y) { return 0xFF000000u | (y * 12u) << 8 | (x & 0xFFu); });
        m_skin.Bitmap565("s", "ls", 150, 20, [](int, int y) { return 0xFFFFFF00u | y * 12u; });
        m_skin.Bitmap565("s", "chk", 10, 10, [](int x, int) { return x < 5 ? 0xFFFF0000u : 0x80FF0000u; }, alpha);
        m_skin.Bitmap565("s", "img", 16, 16, [](int x, int y) { return ((x + y) & 1) ? 0x600000FFu : 0xFF00FFFFu; },
                         alpha);
        m_skin.Bitmap565("s", "bt", 6, 4, [](int, int) { return 0xC00000FFu; }, alpha);
        m_skin.Bitmap565("s", "bm", 6, 100, [](int, int y) { return 0xA0000000u | y; }, alpha);
        m_skin.Bitmap565("s", "bb", 6, 4, [](int, int) { return 0xC000FF00u; }, alpha);
        ASSERT_TRUE(BuildDlg(
            "<l name=\"l\" type=\"CWceUiListBox\" style=\"lst\" " + attrs +
            " linebg_normal=\"ln.565a.conf\" linebg_select=\"ls.565a.conf\" item_check=\"chk.565a.conf\""
            " scrollbar_top=\"bt.565a.conf\" scrollbar_middle=\"bm.565a.conf\" scrollbar_bottom=\"bb.565a.conf\""
            " textcolor_select=\"FF0000\" default_item_image=\"img.565a.conf\"/>",
            "<lst><position rect=\"10,0,150,100\"/><background color=\"0x202020\"/><text color=\"0xFFFFFF\"/></lst>"
            "<lst2><position rect=\"10,0,150,100\"/><background color=\"0x202020\"/><text color=\"0x00FF00\"/></lst2>"));
        m_pL = Layer<CWceUiListBox>(u"l");
        ASSERT_NE(m_pL, nullptr);
        for (int i = 0; i < nItems; ++i) m_pL->AddString((u"Item " + Utf8ToWide(std::to_string(i + 1))).c_str());
        m_pWnd->Paint();
        m_pWnd->ClearPosted();
    }
    size_t Taps() const
    {
        const auto taps = Posts(WCEUI_MSG_LIST_TAP);
        for (const auto& p : taps) EXPECT_EQ(std::make_pair(p.wParam, p.lParam), std::make_pair(WPARAM(1), LPARAM(m_pL)));

        return taps.size();
    }
    // Drags by dy from (80, 50) in one move.
    void Drag(int dy, DWORD dwHold) { Pen('d', 80, 50); Pen('m', 80, 50 + dy); Sleep(dwHold); Pen('u', 80, 50 + dy); }
    CWceUiListBox* m_pL = nullptr;
};

TEST_F(ListTest, RangeAndThumbFollowTheItems)
{
    const struct { int nItems, nMax, nThumb; } cases[] = {{10, 100, 50}, {3, 0, 0}};
    for (const auto& c : cases) {
        BuildList(c.nItems);
        int nMin = -1, nMax = -1;
        m_pL->GetScrollRange(&nMin, &nMax);
        EXPECT_EQ(nMin, 0);
        EXPECT_EQ(nMax, c.nMax) << c.nItems;
        EXPECT_EQ(m_pL->GetThumbLength(), c.nThumb) << c.nItems;
    }
}

TEST_F(ListTest, NineteenPixelsIsATapTwentyADrag)
{
    BuildList(10);
    Drag(-19, 0);
    EXPECT_EQ(Taps(), 1u);
    EXPECT_EQ(m_pL->GetCurSel(), 2);
    Sleep(1);
    Drag(-20, 500);
    EXPECT_EQ(Taps(), 1u);
    EXPECT_EQ(m_pL->GetScrollPos(), 20);
}

// The flick's distance by the drag's time, limited by the room left; range 0..1900, extra 50.
TEST_F(ListTest, FlickDistanceByTimeLimitedByTheRoomLeft)
{
    // A negative dy moves the content up (the position grows); nAfter: after the flick's 15 steps.
    const struct { int nStart, dy; DWORD dwHold; int nAfter; } cases[] = {
        {500, -30, 99, 930},   {500, -30, 100, 730}, {500, -30, 199, 730},
        {500, -30, 200, 630},  {500, -30, 399, 630}, {500, -30, 400, 530},
        {1850, -30, 50, 1950},  // limited by the room left
        {500, 30, 99, 70},
        {60, 30, 50, -50},  // limited at the top
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nStart) + " by " + std::to_string(c.dy) + " in " + std::to_string(c.dwHold));
        BuildList(100);
        m_pL->SetScrollPos(c.nStart, TRUE);
        Drag(c.dy, c.dwHold);
        int nTicks = 0;
        while (nTicks < 15 && Tick(m_pL)) ++nTicks;
        EXPECT_EQ(m_pL->GetScrollPos(), c.nAfter);
        EXPECT_EQ(nTicks, c.nAfter == c.nStart - c.dy ? 0 : 15);
    }
}

TEST_F(ListTest, OverdragSpringsBackInFifteenEasedSteps)
{
    BuildList(10);
    Drag(30, 450);
    EXPECT_EQ(m_pL->GetScrollPos(), -30);
    for (int step = 0; step < 15; ++step) {
        ASSERT_TRUE(Tick(m_pL)) << step;
        EXPECT_EQ(m_pL->GetScrollPos(), -30 + CalcAnidisplacement(step, 15, 30)) << step;
        EXPECT_TRUE(SameAsFullRepaint(m_pL)) << step;
    }
    EXPECT_EQ(m_pL->GetScrollPos(), 0);
    EXPECT_FALSE(Tick(m_pL));
}

TEST_F(ListTest, NewPressStopsTheAnimation)
{
    BuildList(100);
    m_pL->SetScrollPos(500, TRUE);
    Drag(-30, 50);
    Tick(m_pL);
    Tick(m_pL);
    int nPos = m_pL->GetScrollPos();
    Pen('d', 80, 50);
    EXPECT_FALSE(m_pL->IsAnimating());
    EXPECT_FALSE(Tick(m_pL));
    EXPECT_EQ(m_pL->GetScrollPos(), nPos);
}

TEST_F(ListTest, SetCurSelMovesTheCheckMark)
{
    BuildList(10);
    m_pL->SetCurSel(1, TRUE);
    EXPECT_EQ(Px(10 + 150 - 15, 21), k565Red);
    m_pL->SetCurSel(3, TRUE);
    EXPECT_NE(Px(10 + 150 - 15, 21), k565Red);
    EXPECT_EQ(Px(10 + 150 - 15, 61), k565Red);
    DWORD dw = 0;
    EXPECT_TRUE(m_pL->GetItemState(1, &dw));
    EXPECT_EQ(dw, 0u);
    EXPECT_EQ(m_pL->GetCurSel(), 3);
    EXPECT_TRUE(SameAsFullRepaint(m_pL));
}

TEST_F(ListTest, TapsBesideTheItemsPressNothing)
{
    const struct { const char* name; int nScroll, y; } cases[] = {
        {"below the last item", 0, 80}, {"the gap at the top", -20, 5}, {"far above the top", -50, 1}};
    for (const auto& c : cases) {
        BuildList(3);
        m_pL->ScrollBy(c.nScroll, TRUE);
        Pen('d', 80, c.y);
        EXPECT_EQ(m_pL->GetPressedIndex(), -1) << c.name;
        Pen('u', 80, c.y);
        EXPECT_EQ(Taps(), 0u) << c.name;
        EXPECT_EQ(m_pL->GetCurSel(), -1) << c.name;
    }
}

TEST_F(ListTest, OutOfRangeIndicesFailAndChangeNothing)
{
    BuildList(3);
    DWORD dw = 7;
    for (int n : {-1, 3, INT_MIN}) {
        EXPECT_EQ(m_pL->SetItemData(n, 5), -1);
        EXPECT_EQ(m_pL->GetItemData(n), -1);
        EXPECT_FALSE(m_pL->SetItemImage(n, nullptr));
        EXPECT_FALSE(m_pL->SetItemState(n, 2, TRUE));
        EXPECT_FALSE(m_pL->GetItemState(n, &dw));
        EXPECT_EQ(m_pL->SetCurSel(n, TRUE), -1);
        EXPECT_EQ(m_pL->GetItemText(n), nullptr);
    }
    EXPECT_EQ(dw, 7u);
    EXPECT_EQ(m_pL->GetCurSel(), -1);
    // Pointer-sized data.
    LPARAM big = static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(&dw));
    EXPECT_EQ(m_pL->SetItemData(2, big), 0);
    EXPECT_EQ(m_pL->GetItemData(2), big);
}

TEST_F(ListTest, EveryDragAndFlickStepMatchesAFullRepaint)
{
    BuildList(40);
    m_pL->SetCurSel(2, TRUE);
    Pen('d', 80, 90);
    for (int y = 90; y >= 20; y -= 7) {
        Pen('m', 80, y);
        EXPECT_TRUE(SameAsFullRepaint(m_pL)) << y;
    }
    Pen('u', 80, 20);
    for (int step = 0; Tick(m_pL); ++step) EXPECT_TRUE(SameAsFullRepaint(m_pL)) << step;
    EXPECT_GT(m_pL->GetScrollPos(), 100);
}

// Texts too long for their row that differ only at their end look alike when cut at the
// end, and stay apart with the ellipsis in the middle.
TEST_F(ListTest, MiddleEllipsisKeepsTheEndsOfLongTextsApart)
{
    BuildList(0);
    m_pL->AddString(u"update-package-for-the-west-region-2024.msk");
    m_pL->AddString(u"update-package-for-the-west-region-2025.msk");
    for (BOOL bMiddle : {FALSE, TRUE}) {
        m_pL->SetMiddleEllipsis(bMiddle);
        PaintAll();
        std::vector<unsigned> px = PixelsOf(*m_pWnd->GetWndBitmap());
        int differing = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 10; x < 160; ++x) differing += px[y * 200 + x] != px[(y + 20) * 200 + x];
        EXPECT_EQ(bMiddle != FALSE, differing > 0) << "middle " << bMiddle;
    }
}

TEST_F(ListTest, PressedItemIsRepaintedAloneAndLossOfCaptureDropsIt)
{
    BuildList(10);
    Pen('d', 80, 30);
    EXPECT_EQ(m_pL->GetPressedIndex(), 1);
    EXPECT_TRUE(SameAsFullRepaint(m_pL));
    m_pWnd->SetCapture(m_pBuilt);
    EXPECT_EQ(m_pL->GetPressedIndex(), -1);
    EXPECT_TRUE(SameAsFullRepaint(m_pL));
    m_pWnd->ReleaseCapture(m_pBuilt);
    Pen('u', 80, 30);
    EXPECT_EQ(Taps(), 0u);
}

TEST_F(ListTest, SecondPressWithoutUpStillTaps)
{
    BuildList(10);
    Pen('d', 80, 30);
    Pen('d', 80, 50);
    EXPECT_EQ(m_pL->GetPressedIndex(), 2);
    Pen('u', 80, 50);
    EXPECT_EQ(Taps(), 1u);
    EXPECT_EQ(m_pWnd->GetCapture(), nullptr);
    EXPECT_TRUE(SameAsFullRepaint(m_pL));
}

// An inverted or empty rectangle is legal in a style: it has no view, so no thumb, and
// nothing divides by its length.
TEST_F(ListTest, ViewsWithoutLengthHaveNoThumb)
{
    const struct { const char* name; const char* type; const char* rect; int nItems; const char16_t* text; } cases[] = {
        {"list of height -1, empty", "CWceUiListBox", "200,20,200,-1", 0, nullptr},
        {"list of height -1, five items", "CWceUiListBox", "200,20,200,-1", 5, nullptr},
        {"list of height 0", "CWceUiListBox", "10,0,150,0", 5, nullptr},
        {"multi-line box of height -17", "CWceUiMEditBox", "10,20,150,-17", 0, u"a\nb"},
        {"single-line box of width -5", "CWceUiSEditBox", "10,20,-5,20", 0, u"a long line of text"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(BuildDlg(std::string("<x name=\"x\" type=\"") + c.type + "\" style=\"x\"/>",
                             std::string("<x><position rect=\"") + c.rect + "\"/></x>")) << c.name;

        auto* p = Layer<CWceUiScrollLayer>(u"x");
        for (int i = 0; i < c.nItems; ++i) static_cast<CWceUiListBox*>(p)->AddString(u"item");
        if (c.text) {
            EXPECT_TRUE(static_cast<CWceUiEditBox*>(p)->SetEditText(c.text)) << c.name;
        }
        PaintAll();
        EXPECT_EQ(p->GetThumbLength(), 0) << c.name;
    }
}

// A negative extra scroll counts as none: the content stops at its ends and settles.
TEST_F(ListTest, NegativeExtraScrollIsNone)
{
    const struct { const char* name; const char* extra; int nItems, dy, nPos; } cases[] = {
        {"three items dragged down", "-100", 3, 40, 0},
        {"ten items dragged up", "-100", 10, -40, 40},
        {"ten items dragged down at the top", "-1", 10, 40, 0},
        {"positive extra still overdrags", "50", 10, 40, -40},
    };
    for (const auto& c : cases) {
        BuildList(c.nItems, std::string("extra_scroll=\"") + c.extra + "\"");
        Drag(c.dy, 450);  // slow: no flick
        EXPECT_EQ(m_pL->GetScrollPos(), c.nPos) << c.name;
        int nTicks = 0;
        while (nTicks < 100 && Tick(m_pL)) ++nTicks;
        EXPECT_LE(nTicks, 15) << c.name;
        EXPECT_EQ(m_pL->GetScrollPos(), c.nPos < 0 ? 0 : c.nPos) << c.name;
    }
}

// Rows and their parts are placed in 64 bits; a row no coordinate can reach is not drawn.
TEST_F(ListTest, HugeRowValuesStayInRange)
{
    const struct { const char* name; const char* attrs; bool bRowsDrawn; } cases[] = {
        {"item height at the int limit", "item_height=\"2147483647\"", false},
        {"text offset at the int limit", "text_left_offset=\"2147483647\"", true},
        {"text offset at the low limit", "text_left_offset=\"-2147483647\"", true},
        {"image width at the int limit", "draw_item_image=\"true\" item_image_width=\"2147483647\"", true},
        {"image width at the low limit", "draw_item_image=\"true\" item_image_width=\"-2147483647\"", true},
    };
    for (const auto& c : cases) {
        BuildList(5, c.attrs);
        m_pL->SetCurSel(1, TRUE);
        PaintAll();
        EXPECT_EQ(Px(80, 5) != 0x2104u, c.bRowsDrawn) << c.name;  // 0x2104: the list's own colour
        Drag(-30, 50);
        while (Tick(m_pL)) continue;
        m_pL->SetScrollPos(INT_MAX, TRUE);  // taken only by the list of huge rows
        Tap(80, 50);

        EXPECT_TRUE(SameAsFullRepaint(m_pL)) << c.name;
    }
}

// After the change, a painted scroll step must not show stale pixels.
TEST_F(ListTest, ScrollStepAfterAChangeMatchesAFullRepaint)
{
    const struct { const char* name; std::function<void(CWceUiListBox*)> change; } cases[] = {
        {"unpainted step", [](CWceUiListBox* p) { p->SetScrollPos(47, FALSE); }},
        {"shift of a whole view", [](CWceUiListBox* p) { p->ScrollBy(100, TRUE); }},
        {"shift beyond the view", [](CWceUiListBox* p) { p->ScrollBy(-130, FALSE); }},
        {"resized", [](CWceUiListBox* p) { RECT rc = {10, 0, 150, 80}; p->MoveLayer(&rc, TRUE); }},
        {"add, then select before a paint", [](CWceUiListBox* p) { p->SetCurSel(p->AddString(u"new", FALSE), TRUE); }},
        {"state without redraw", [](CWceUiListBox* p) { p->SetItemState(3, WCEUI_ITEM_SELECTED, FALSE); }},
        {"selection without redraw", [](CWceUiListBox* p) { p->SetCurSel(2, FALSE); }},
        {"item image", [](CWceUiListBox* p) { p->SetItemImage(2, nullptr); }},
        {"style's text colour", [](CWceUiListBox* p) { p->SetStyle(u"lst2"); }},
    };
    for (const auto& c : cases) {
        BuildList(40);
        m_pL->ScrollBy(30, TRUE);
        c.change(m_pL);
        m_pL->ScrollBy(13, TRUE);
        EXPECT_TRUE(SameAsFullRepaint(m_pL)) << c.name;
        m_pL->ScrollBy(-9, TRUE);
        EXPECT_TRUE(SameAsFullRepaint(m_pL)) << c.name;
    }
}

}  // namespace
