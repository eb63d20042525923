// Lines and caret of edit boxes, measured with a fixed-pitch font: 10 pixels a character,
// 'W' 25.
#include <string>
#include <vector>

#include "JXEditLines.h"
#include "gtest/gtest.h"

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

struct Box {
    FixedPitch measure;
    CJxEditLines lines;
    Box(const char16_t* pText, int nWidth)
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
        Box box(c.text, c.width);
        EXPECT_EQ(c.lines, Lines(box.lines)) << c.name;
    }
}

enum Act { BS = 8, CR = 13, DEL = 1000, LEFT = 37, UP, RIGHT, DOWN, HOME = 36, END = 35 };

struct EditCase {
    const char* name;
    const char16_t* text;
    int width;
    std::vector<int> acts;  // keys above, or a character to type
    bool lastChanges;       // what the last act returned
    const char* result;
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
        Box box(c.text, c.width);
        bool bChanged = false;
        for (int act : c.acts) {
            if (DEL == act)
                bChanged = box.lines.DeleteChar();
            else if (act >= 35 && act <= 40)
                bChanged = box.lines.MoveCaret(static_cast<UINT>(act));
            else
                bChanged = box.lines.TypeChar(static_cast<WCHAR>(act));
        }
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
    Box box(u"abcd\n\nxy", 100);
    for (const auto& c : cases) {
        box.lines.HitTest(c.x, c.y, 17);
        EXPECT_EQ(c.caret, box.Caret()) << c.x << "," << c.y;
    }
}

TEST(EditLines, LineLimitRefusesWithoutChange)
{
    std::u16string full(499, u'\n');  // 500 lines
    Box box(full.c_str(), 40);
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
    Box box(u"one two three", 200);
    box.lines.MoveCaret(HOME);
    for (int i = 0; i < 5; ++i) box.lines.MoveCaret(RIGHT);  // before "wo"
    box.lines.SetWrapWidth(40);
    EXPECT_EQ((std::vector<std::string>{"one ", "two ", "thre", "e"}), Lines(box.lines));
    EXPECT_EQ(5, box.lines.GetCaretPos());
    EXPECT_EQ(std::make_pair(1, 1), box.Caret());

    // Narrower than the line limit allows: the last line takes the rest.
    std::u16string longWord(600, u'x');
    Box narrow(longWord.c_str(), 100000);
    narrow.lines.SetWrapWidth(0);
    EXPECT_EQ(JX_EDIT_MAX_LINES, narrow.lines.GetLineCount());
    JXEditLine last;
    narrow.lines.GetLine(JX_EDIT_MAX_LINES - 1, &last);
    EXPECT_EQ(600, last.m_nStart + last.m_nLength);
    EXPECT_TRUE(narrow.lines.TypeChar(BS));  // removing never needs more lines
}

}  // namespace
