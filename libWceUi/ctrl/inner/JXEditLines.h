// The text of an edit box, broken into lines, with a caret kept as line and column. Lines
// end at line feeds and, when a wrap width is set, where the text grows wider than it (at
// the last word start, or inside a word longer than the width). Widths come from a
// measurer, so the same lines serve a box drawn with any font and the tests and fuzzers.
#pragma once

#include <string>
#include <vector>

#include "wce/types.h"

// Widths of text pieces in pixels. Advances add up (the platform's text has no kerning), so
// a line is measured piece by piece.
class CJxTextMeasure {
public:
    virtual ~CJxTextMeasure() {}
    virtual int GetTextWidth(LPCWSTR pText, int nLength) = 0;
};

enum {
    JX_EDIT_MAX_LINES = 500,
    JX_EDIT_NO_WRAP = -1,  // a wrap width: lines end only at line feeds
};

struct JXEditLine {
    int m_nStart;
    int m_nLength;  // characters, a closing line feed included
};

class CJxEditLines {
public:
    CJxEditLines();

    // The measurer is not owned; without one every character is 1 pixel wide.
    void SetMeasure(CJxTextMeasure* pMeasure) { m_pMeasure = pMeasure; }
    // Lays the text out again when the width changes; the caret keeps its text position.
    void SetWrapWidth(int nWidth);
    int GetWrapWidth() const { return m_nWrapWidth; }
    // Lays the text out again (after the font changed); the caret keeps its text position.
    void Relayout();

    // Replaces the text; the caret goes to its end. FALSE (nothing changed) when the text
    // needs more than JX_EDIT_MAX_LINES lines.
    BOOL SetText(LPCWSTR pText);
    LPCWSTR GetText() const { return m_strText.c_str(); }
    int GetTextLength() const { return static_cast<int>(m_strText.size()); }

    int GetLineCount() const { return static_cast<int>(m_Lines.size()); }
    // FALSE for a line outside [0, count).
    BOOL GetLine(int nLine, JXEditLine* pLine) const;
    // A line's length for the caret: without its closing line feed; 0 for no such line.
    int GetCaretLength(int nLine) const;

    int GetCaretLine() const { return m_nCaretLine; }
    int GetCaretColumn() const { return m_nCaretColumn; }
    // Lines before the caret line plus the caret column.
    int GetCaretPos() const;
    // The width of the caret line's text before the caret.
    int GetCaretX();

    // A typed character at the caret: 8 removes the one before it, 13 is a line feed in a
    // wrapping box and nothing in a single-line one. FALSE when the text did not change
    // (nothing to remove, or the result would need too many lines).
    BOOL TypeChar(WCHAR ch);
    // Removes the character at the caret. FALSE when there is none or it is refused.
    BOOL DeleteChar();
    // Moves the caret by a key: left 37, up 38, right 39, down 40, home 36, end 35. FALSE
    // for other keys.
    BOOL MoveCaret(UINT nKey);
    // Puts the caret at the character nearest to (x, y), text coordinates.
    void HitTest(int x, int y, int nLineHeight);

private:
    int Measure(int nStart, int nLength);
    // Lines of str at the current width; the count needed (beyond the limit too) in pnNeed.
    // Past the limit the last stored line takes the rest of the text.
    void Layout(const std::u16string& str, std::vector<JXEditLine>& lines, int* pnNeed);
    int WordBreak(const std::u16string& str, int i, int s) const;
    // Takes str when its layout is allowed; FALSE otherwise (nothing changed).
    BOOL Commit(std::u16string& str);
    // The caret on the line holding nPos; at a line's end the next line is taken.
    void PlaceCaret(int nPos);
    // The caret just after the character before nPos, on that character's line.
    void PlaceCaretAfter(int nPos);

    std::u16string m_strText;
    std::vector<JXEditLine> m_Lines;
    int m_nNeededLines;
    int m_nWrapWidth;
    int m_nCaretLine;
    int m_nCaretColumn;
    CJxTextMeasure* m_pMeasure;
};
