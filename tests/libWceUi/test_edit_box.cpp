// Edit boxes in an off-screen window: lines at the box's width with the system font, focus,
// typing and keys as registered messages, taps, the caret's visibility and a picture.
#include "WceUiEditBox.h"
#include "bitmap_helpers.h"
#include "layer_fixture.h"
#include "wce/gdi_text.h"
#include "wce/window.h"

namespace {

int SystemTextWidth(const char16_t* pText)
{
    HDC hdc = CreateCompatibleDC(NULL);
    SelectObject(hdc, GetStockObject(SYSTEM_FONT));
    SIZE size{};
    GetTextExtentPoint32W(hdc, pText, static_cast<int>(std::char_traits<char16_t>::length(pText)), &size);
    DeleteDC(hdc);
    return size.cx;
}

class EditBoxTest : public LayerTest {
protected:
    CWceUiEditBox* Box(LPCWSTR pType, RECT rc, LPCWSTR pName = u"edit", CWceUiLayer* pParent = nullptr)
    {
        auto* p = static_cast<CWceUiEditBox*>(Add(pParent ? pParent : m_pDlg, pName, rc, pType));
        if (p) p->OnInitLayer();
        return p;
    }
    std::vector<std::string> Lines(CWceUiEditBox* p)
    {
        std::vector<std::string> out;
        std::u16string text = p->GetEditText();
        for (int i = 0; i < p->GetLineCount(); ++i) {
            int s = 0, n = 0;
            p->GetLine(i, &s, &n);
            out.push_back(Utf8(text.substr(static_cast<size_t>(s), static_cast<size_t>(n)).c_str()));
        }
        return out;
    }
    void Type(const char16_t* pText) { for (; *pText; ++pText) m_pWnd->SendRegisteredMsg(WM_CHAR, *pText, 1); }
    void Key(UINT vk) { m_pWnd->SendRegisteredMsg(WM_KEYDOWN, vk, 1); }
    std::pair<int, int> Caret(CWceUiEditBox* p) { return {p->GetCaretLine(), p->GetCaretColumn()}; }
};

// The wrapping itself is the line tests' business: here the box's width drives it.
TEST_F(EditBoxTest, LinesFollowTheBoxWidth)
{
    const int w = SystemTextWidth(u"ab c");
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(10, 10, 10 + w, 90));
    ASSERT_NE(nullptr, p);
    ASSERT_TRUE(p->SetEditText(u"ab cd"));
    EXPECT_EQ((Strings{"ab ", "cd"}), Lines(p));
    EXPECT_EQ(std::make_pair(1, 2), Caret(p));  // at the end
    RECT wide = Rc(10, 10, 190, 90);
    p->SetLayerPosition(&wide, WCEUI_POS_WINDOW, FALSE);
    EXPECT_EQ((Strings{"ab cd"}), Lines(p));
    EXPECT_EQ(std::make_pair(0, 5), Caret(p));
    CWceUiEditBox* s = Box(u"CWceUiSEditBox", Rc(10, 10, 10 + w, 30), u"single");
    ASSERT_TRUE(s->SetEditText(u"ab cd ef gh"));
    EXPECT_EQ((Strings{"ab cd ef gh"}), Lines(s));
}

TEST_F(EditBoxTest, FocusIsOnePerWindowAndGoesWithHidingDisablingAndDialogsOver)
{
    CWceUiEditBox* a = Box(u"CWceUiMEditBox", Rc(0, 0, 100, 50), u"a");
    CWceUiEditBox* b = Box(u"CWceUiSEditBox", Rc(0, 60, 100, 80), u"b");
    ASSERT_TRUE(a->SetFocus(TRUE));
    ASSERT_TRUE(b->SetFocus(TRUE));
    EXPECT_FALSE(a->IsFocused());
    EXPECT_TRUE(b->IsFocused());
    b->ShowLayer(FALSE);
    EXPECT_FALSE(b->IsFocused());
    EXPECT_FALSE(b->SetFocus(TRUE));  // hidden
    ASSERT_TRUE(a->SetFocus(TRUE));
    a->EnableLayer(FALSE);
    EXPECT_FALSE(a->IsFocused());
    a->EnableLayer(TRUE);
    ASSERT_TRUE(a->SetFocus(TRUE));
    CWceUiDlg* pOver = AttachDialog(u"over");
    EXPECT_FALSE(a->IsFocused());
    EXPECT_FALSE(a->SetFocus(TRUE));
    m_pCtrl->DeleteLayer(pOver);
    EXPECT_TRUE(a->SetFocus(TRUE));
    EXPECT_TRUE(a->SetFocus(FALSE));
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ(nullptr, m_pCtrl->GetFocusLayer());
}

TEST_F(EditBoxTest, TypingNeedsTheFocusAndKeysMoveTheCaret)
{
    CWceUiEditBox* m = Box(u"CWceUiMEditBox", Rc(0, 0, 200, 60), u"m");
    CWceUiEditBox* s = Box(u"CWceUiSEditBox", Rc(0, 70, 200, 90), u"s");
    Type(u"xy");
    EXPECT_EQ("", Utf8(m->GetEditText()));
    ASSERT_TRUE(m->SetFocus(TRUE));
    Type(u"ab\rcd");
    EXPECT_EQ("ab\ncd", Utf8(m->GetEditText()));  // carriage return becomes a line feed
    EXPECT_EQ("", Utf8(s->GetEditText()));
    Key(VK_LEFT);
    Key(VK_DELETE);
    EXPECT_EQ("ab\nc", Utf8(m->GetEditText()));
    EXPECT_EQ(std::make_pair(1, 1), Caret(m));
    ASSERT_TRUE(s->SetFocus(TRUE));
    Type(u"a\rb");  // nothing for a carriage return in one line
    EXPECT_EQ("ab", Utf8(s->GetEditText()));
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ("ab\nc", Utf8(m->GetEditText()));  // the unfocused box only moves its caret
    EXPECT_EQ(std::make_pair(1, 0), Caret(m));
}

TEST_F(EditBoxTest, EmptyTextDoesNotScrollAndTheLimitKeepsTheText)
{
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(0, 0, 200, 60));
    EXPECT_EQ(0, p->GetLineCount());
    EXPECT_EQ(0, p->GetScrollPos());  // no range that ends above the start
    std::u16string over(500, u'\n');
    EXPECT_FALSE(p->SetEditText(over.c_str()));
    EXPECT_EQ("", Utf8(p->GetEditText()));
}

TEST_F(EditBoxTest, CaretShowsOnlyWhileFocusedAndInView)
{
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(20, 10, 180, 10 + 3 * WCEUI_EDIT_LINE_HEIGHT));
    ASSERT_TRUE(p->SetEditText(u"1\n2\n3\n4\n5\n6"));
    EXPECT_FALSE(p->IsCaretShown());
    ASSERT_TRUE(p->SetFocus(TRUE));
    p->EnsureCaretVisible();
    EXPECT_TRUE(p->IsCaretShown());
    EXPECT_EQ(5 * WCEUI_EDIT_LINE_HEIGHT, p->GetScrollPos() + 2 * WCEUI_EDIT_LINE_HEIGHT);
    POINT pt = p->GetCaretPoint();
    EXPECT_EQ(10 + 2 * WCEUI_EDIT_LINE_HEIGHT, pt.y);
    p->SetScrollPos(0, FALSE);
    p->OnScrollPosChanged();
    EXPECT_FALSE(p->IsCaretShown());  // line 5 is below the box
    Key(VK_UP);
    EXPECT_TRUE(p->IsCaretShown());  // scrolled back to it
    p->SetFocus(FALSE);
    EXPECT_FALSE(p->IsCaretShown());
}

TEST_F(EditBoxTest, TapsFocusAndPlaceTheCaret)
{
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(20, 20, 180, 90));
    ASSERT_TRUE(p->SetEditText(u"abc\ndef"));
    struct { const char* name; POINT down, up; std::pair<int, int> caret; } const taps[] = {
        {"released above the box", {25, 22}, {25, 12}, {0, 0}},
        {"second line, end", {170, 20 + WCEUI_EDIT_LINE_HEIGHT + 2}, {170, 20 + WCEUI_EDIT_LINE_HEIGHT + 2}, {1, 3}},
        {"a drag is no tap", {25, 80}, {25, 22}, {1, 3}},
    };
    for (const auto& t : taps) {
        p->OnLButtonDown(MK_LBUTTON, t.down.x, t.down.y);
        p->OnMouseMove(MK_LBUTTON, t.up.x, t.up.y);
        p->OnLButtonUp(0, t.up.x, t.up.y);
        EXPECT_EQ(t.caret, Caret(p)) << t.name;
        EXPECT_TRUE(p->IsFocused()) << t.name;
    }
}

TEST_F(EditBoxTest, TextIsPaintedOnItsWrappedLines)
{
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(10, 10, 190, 90));
    ASSERT_TRUE(p->SetEditText(u"The quick brown fox jumps over the lazy dog\nline two"));
    ASSERT_TRUE(p->SetFocus(TRUE));
    m_pWnd->InvalidateAll();
    m_pWnd->GetWndBitmap()->FillColor(RGB(255, 255, 255), nullptr);
    m_pWnd->Paint();
    // Dark text on the white ground.
    int nInk = 0;
    for (int y = 10; y < 10 + 3 * WCEUI_EDIT_LINE_HEIGHT; ++y)
        for (int x = 10; x < 190; ++x) nInk += PixelAt(*m_pWnd->GetWndBitmap(), x, y) != 0xFFFF;
    EXPECT_GT(nInk, 100);
    ASSERT_EQ(4, p->GetLineCount());  // two wrapped lines, "dog", "line two"
    EXPECT_EQ(10 + 3 * WCEUI_EDIT_LINE_HEIGHT, p->GetCaretPoint().y);
}

}  // namespace
