// Edit boxes: lines and caret measured with a fixed-pitch font (10 pixels a character, 'W'
// 25); then boxes in an off-screen window with the system font: lines at the box's width,
// focus, typing and keys as registered messages, taps, the caret's visibility and the text.
#include <string>
#include <vector>

#include "JXEditLines.h"
#include "WceUiEditBox.h"
#include "bitmap_helpers.h"
#include "layer_fixture.h"
#include "wce/gdi_text.h"
#include "wce/window.h"

namespace {

class FixedPitch : public CJxTextMeasure {
public:
    int GetTextWidth(LPCWSTR pText, int nLength) override
    {
        int w = 0;
        for (int i = 0; i < nLength; ++i) w += u'W' == pText[i] ? 25 : 10;
        return w;
    }
};

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::vector<std::string> Lines(const CJxEditLines& e)
{
    std::vector<std::string> out;
    std::u16string text = e.GetText();
    for (int i = 0; i < e.GetLineCount(); ++i) {
        JXEditLine line;
        e.GetLine(i, &line);
        out.push_back(Narrow(text.substr(static_cast<size_t>(line.m_nStart), static_cast<size_t>(line.m_nLength))));
    }
    return out;
}

struct FixedBox {
    FixedPitch measure;
    CJxEditLines lines;
    FixedBox(const char16_t* pText, int nWidth)
    {
        lines.SetMeasure(&measure);
        lines.SetWrapWidth(nWidth);
        EXPECT_TRUE(lines.SetText(pText));
    }
    std::pair<int, int> Caret() const { return {lines.GetCaretLine(), lines.GetCaretColumn()}; }
};

struct LayoutCase { const char* name; const char16_t* text; int width; std::vector<std::string> lines; };

TEST(EditLines, Layout)
{
    const LayoutCase cases[] = {
        {"word wrap keeps the space", u"ab cd", 40, {"ab ", "cd"}},
        {"long word is cut", u"abcdefgh", 30, {"abc", "def", "gh"}},
        {"words move whole", u"one two three", 60, {"one ", "two ", "three"}},
        {"trailing line feed", u"ab\n", JX_EDIT_NO_WRAP, {"ab\n", ""}},
        {"single line does not wrap", u"a b c d e f", JX_EDIT_NO_WRAP, {"a b c d e f"}},
        {"empty text", u"", 40, {}},
        {"glyph wider than a 3-pixel box", u"WWW", 3, {"W", "W", "W"}},
        {"width 0 around a line feed", u"ab\ncd", 0, {"a", "b\n", "c", "d"}},
        {"blank line", u"a\n\nb", 40, {"a\n", "\n", "b"}},
    };
    for (const LayoutCase& c : cases) {
        FixedBox box(c.text, c.width);
        EXPECT_EQ(c.lines, Lines(box.lines)) << c.name;
    }
}

enum Act { BS = 8, CR = 13, DEL = 1000, LEFT = 37, UP, RIGHT, DOWN, HOME = 36, END = 35 };

// acts: the keys above or a character to type; lastChanges: what the last act returned.
struct EditCase {
    const char* name; const char16_t* text; int width; std::vector<int> acts; bool lastChanges; const char* result;
    std::pair<int, int> caret;
};

TEST(EditLines, Editing)
{
    const EditCase cases[] = {
        {"backspace joins lines", u"ab\ncd", 40, {HOME, BS}, true, "abcd", {0, 2}},
        {"backspace at a wrapped start", u"ab cd", 40, {HOME, BS}, true, "abcd", {0, 2}},
        {"backspace inside a line", u"abc", 40, {LEFT, BS}, true, "ac", {0, 1}},
        {"backspace at the start", u"abc", 40, {HOME, BS}, false, "abc", {0, 0}},
        {"CR in a single-line box", u"ab", JX_EDIT_NO_WRAP, {CR}, false, "ab", {0, 2}},
        {"CR in a multi-line box", u"ab", 40, {LEFT, CR}, true, "a\nb", {1, 0}},
        {"typed character wraps", u"abc", 30, {'d'}, true, "abcd", {1, 1}},
        {"typed space keeps the caret after it", u"ab cd", 40, {UP, END, ' '}, true, "ab  cd", {0, 4}},
        {"delete at the caret", u"abc", 40, {HOME, DEL}, true, "bc", {0, 0}},
        {"delete at the end", u"abc", 40, {DEL}, false, "abc", {0, 3}},
        {"right at the end stays", u"ab\ncd", 40, {RIGHT}, true, "ab\ncd", {1, 2}},
        {"left at the start stays", u"ab\ncd", 40, {UP, HOME, LEFT}, true, "ab\ncd", {0, 0}},
        {"left wraps to the previous end", u"ab\ncd", 40, {HOME, LEFT}, true, "ab\ncd", {0, 2}},
        {"right wraps to the next start", u"ab\ncd", 40, {UP, END, RIGHT}, true, "ab\ncd", {1, 0}},
        {"down keeps the column inside", u"abc\nd", 40, {UP, END, DOWN}, true, "abc\nd", {1, 1}},
        {"up at line 0 stays", u"abc", 40, {UP}, true, "abc", {0, 3}},
        {"empty text", u"", 40, {LEFT, RIGHT, DOWN, END}, true, "", {0, 0}},
        {"backspace on empty text", u"", 40, {BS}, false, "", {0, 0}},
        {"character 0 is not typed", u"ab", 40, {LEFT, 0}, false, "ab", {0, 1}},
    };
    for (const EditCase& c : cases) {
        FixedBox box(c.text, c.width);
        bool bChanged = false;
        for (int act : c.acts)
            bChanged = DEL == act ? box.lines.DeleteChar()
                       : act >= 35 && act <= 40 ? box.lines.MoveCaret(static_cast<UINT>(act)) : box.lines.TypeChar(act);
        EXPECT_EQ(c.lastChanges, bChanged) << c.name;
        EXPECT_EQ(c.result, Narrow(box.lines.GetText())) << c.name;
        EXPECT_EQ(c.caret, box.Caret()) << c.name;
    }
}

TEST(EditLines, HitTest)
{
    struct { int x, y; std::pair<int, int> caret; } const cases[] = {
        {5, -40, {0, 0}},   // released above the box
        {14, 0, {0, 1}},    // nearer to the end of "a"
        {16, 0, {0, 2}},    // nearer to the end of "b"
        {500, 0, {0, 4}},   // past the line's end
        {500, 17, {1, 0}},  // an empty line
        {5, 900, {2, 0}},   // below the last line
    };
    FixedBox box(u"abcd\n\nxy", 100);
    for (const auto& c : cases) {
        box.lines.HitTest(c.x, c.y, 17);
        EXPECT_EQ(c.caret, box.Caret()) << c.x << "," << c.y;
    }
}

TEST(EditLines, LineLimitRefusesWithoutChange)
{
    std::u16string full(499, u'\n');  // 500 lines
    FixedBox box(full.c_str(), 40);
    EXPECT_EQ(500, box.lines.GetLineCount());
    EXPECT_FALSE(box.lines.TypeChar(13));
    EXPECT_EQ(full, std::u16string(box.lines.GetText()));
    EXPECT_TRUE(box.lines.TypeChar('a'));  // on the last line: no new line

    std::u16string over(500, u'\n');
    EXPECT_FALSE(box.lines.SetText(over.c_str()));
    EXPECT_EQ(500, box.lines.GetLineCount());
}

TEST(EditLines, NarrowerBoxKeepsTheCaretPositionAndCoversTheText)
{
    FixedBox box(u"one two three", 200);
    box.lines.MoveCaret(HOME);
    for (int i = 0; i < 5; ++i) box.lines.MoveCaret(RIGHT);  // before "wo"
    box.lines.SetWrapWidth(40);
    EXPECT_EQ((std::vector<std::string>{"one ", "two ", "thre", "e"}), Lines(box.lines));
    EXPECT_EQ(5, box.lines.GetCaretPos());
    EXPECT_EQ(std::make_pair(1, 1), box.Caret());

    // Narrower than the line limit allows: the last line takes the rest.
    std::u16string longWord(600, u'x');
    FixedBox narrow(longWord.c_str(), 100000);
    narrow.lines.SetWrapWidth(0);
    EXPECT_EQ(JX_EDIT_MAX_LINES, narrow.lines.GetLineCount());
    JXEditLine last;
    narrow.lines.GetLine(JX_EDIT_MAX_LINES - 1, &last);
    EXPECT_EQ(600, last.m_nStart + last.m_nLength);
    EXPECT_TRUE(narrow.lines.TypeChar(BS));  // removing never needs more lines
}


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
    void Key(std::initializer_list<UINT> vks) { for (UINT vk : vks) m_pWnd->SendRegisteredMsg(WM_KEYDOWN, vk, 1); }
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
    Key({VK_LEFT, VK_DELETE});
    EXPECT_EQ("ab\nc", Utf8(m->GetEditText()));
    EXPECT_EQ(std::make_pair(1, 1), Caret(m));

    ASSERT_TRUE(s->SetFocus(TRUE));
    Type(u"a\rb");  // nothing for a carriage return in one line
    EXPECT_EQ("ab", Utf8(s->GetEditText()));
    Key({VK_HOME, VK_DELETE});
    EXPECT_EQ("ab\nc", Utf8(m->GetEditText()));  // the unfocused box only moves its caret
    EXPECT_EQ(std::make_pair(1, 0), Caret(m));
}

TEST_F(EditBoxTest, EmptyTextDoesNotScrollAndTheLimitKeepsTheText)
{
    CWceUiEditBox* p = Box(u"CWceUiMEditBox", Rc(0, 0, 200, 60));
    EXPECT_EQ(0, p->GetLineCount());
    EXPECT_EQ(0, p->GetScrollPos());  // no range that ends above the start
    std::u16string over(500, u'\n');
    EXPECT_FALSE(p->SetEditText(over.c_str()));  // the refusal reaches the caller
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
    // The window's caret follows the box's.
    auto wndCaret = [&] { RECT rc; return m_pWnd->GetCaretRect(&rc) ? RectText(rc) : std::string("none"); };
    EXPECT_EQ(RectText(Rc(pt.x, pt.y, pt.x + WCEUI_EDIT_CARET_WIDTH, pt.y + p->GetLineHeight())), wndCaret());

    p->SetScrollPos(0, FALSE);
    p->OnScrollPosChanged();
    EXPECT_FALSE(p->IsCaretShown());  // line 5 is below the box
    EXPECT_EQ("none", wndCaret());
    Key({VK_UP});
    EXPECT_TRUE(p->IsCaretShown());  // scrolled back to it
    EXPECT_NE("none", wndCaret());
    p->SetFocus(FALSE);
    EXPECT_FALSE(p->IsCaretShown());
    EXPECT_EQ("none", wndCaret());
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

// The lines are drawn in the style's text rectangle within the client: the caret, taps and
// the wrap width are measured from it too. Box at (20, 10), client 160 x 80, text area
// (10, 5) - (140, 80).
class EditTextAreaTest : public LayerSkinTest {};

TEST_F(EditTextAreaTest, CaretTapsAndWrapFollowTheTextRectangle)
{
    CWceUiDlg* pDlg = Build("<m name=\"m\" type=\"CWceUiMEditBox\" style=\"eb\"/>",
                            "<eb><position rect=\"20,10,160,80\"/><text><drawtext rect=\"10,5,130,90\"/></text></eb>");
    ASSERT_NE(nullptr, pDlg);
    pDlg->SendOnInitLayer();
    auto* p = static_cast<CWceUiEditBox*>(pDlg->GetLayerByName(u"m"));

    ASSERT_NE(nullptr, p);
    std::u16string wide;  // wider than the text area, narrower than the client
    while (SystemTextWidth((wide + u"ab").c_str()) <= 130) wide += u"ab ";
    wide += u"ab";
    ASSERT_LE(SystemTextWidth(wide.c_str()), 160);
    const int a = SystemTextWidth(u"a"), ab = SystemTextWidth(u"ab"), abc = SystemTextWidth(u"abc");
    // No tap when tap.x < 0.
    const struct { const char* name; std::u16string text; POINT tap; int nLines; POINT caret; } cases[] = {

        {"caret after the text", u"abc", {-1, 0}, 1, {30 + abc, 15}},
        {"tap between a and b", u"abc", {30 + a + 1, 17}, 1, {30 + a, 15}},
        {"wrap at the text width", wide, {-1, 0}, 2, {30 + ab, 15 + WCEUI_EDIT_LINE_HEIGHT}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(p->SetEditText(c.text.c_str())) << c.name;
        if (c.tap.x >= 0) {
            p->OnLButtonDown(MK_LBUTTON, c.tap.x, c.tap.y);
            p->OnLButtonUp(0, c.tap.x, c.tap.y);
        }
        EXPECT_EQ(c.nLines, p->GetLineCount()) << c.name;
        EXPECT_EQ(c.caret.x, p->GetCaretPoint().x) << c.name;
        EXPECT_EQ(c.caret.y, p->GetCaretPoint().y) << c.name;
    }
}

}  // namespace
