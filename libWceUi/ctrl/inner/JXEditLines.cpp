#include "JXEditLines.h"

#include <algorithm>
#include <new>

namespace {

BOOL IsWordChar(WCHAR c) { return c >= 33 && c <= 127; }
BOOL IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
BOOL IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

CJxEditLines::CJxEditLines()
    : m_nNeededLines(0), m_nWrapWidth(JX_EDIT_NO_WRAP), m_nCaretLine(0), m_nCaretColumn(0), m_pMeasure(NULL)
{
}

int CJxEditLines::Measure(int nStart, int nLength)
{
    if (nLength <= 0) return 0;
    if (NULL == m_pMeasure) return nLength;
    return m_pMeasure->GetTextWidth(m_strText.c_str() + nStart, nLength);
}

void CJxEditLines::SetWrapWidth(int nWidth)
{
    if (nWidth < 0) nWidth = JX_EDIT_NO_WRAP;
    if (nWidth == m_nWrapWidth) return;
    m_nWrapWidth = nWidth;
    Relayout();
}

void CJxEditLines::Relayout()
{
    int nPos = GetCaretPos();
    Layout(m_strText, m_Lines, &m_nNeededLines);
    PlaceCaret(nPos);
}

int CJxEditLines::WordBreak(const std::u16string& str, int i, int s) const
{
    if (!IsWordChar(str[i]) || i - 1 < s) return i;
    for (int j = i - 1; j >= s; --j)
        if (!IsWordChar(str[j])) return j + 1;
    return i;  // a word wider than the line is cut
}

void CJxEditLines::Layout(const std::u16string& str, std::vector<JXEditLine>& lines, int* pnNeed)
{
    lines.clear();
    *pnNeed = 0;
    const int n = static_cast<int>(str.size());
    if (0 == n) return;
    // Measured on str, which may not be the current text yet.
    auto width = [&](int nStart, int nLength) -> int {
        if (nLength <= 0) return 0;
        return m_pMeasure ? m_pMeasure->GetTextWidth(str.c_str() + nStart, nLength) : nLength;
    };
    int s = 0;
    auto close = [&](int nEnd) {
        ++*pnNeed;
        if (static_cast<int>(lines.size()) < JX_EDIT_MAX_LINES)
            lines.push_back(JXEditLine{s, nEnd - s});
        else
            lines.back().m_nLength = nEnd - lines.back().m_nStart;  // the last line takes the rest
        s = nEnd;
    };
    int w = 0;  // width of str[s, i)
    for (int i = 0; i < n; ++i) {
        WCHAR c = str[i];
        if (u'\n' == c) {
            close(i + 1);
            w = 0;
            continue;
        }
        if (m_nWrapWidth < 0) continue;
        // A surrogate pair is measured whole: its advance is not that of its halves.
        int nAdd = (IsLowSurrogate(c) && i > s && IsHighSurrogate(str[i - 1])) ? width(i - 1, 2) - width(i - 1, 1)
                                                                               : width(i, 1);
        // A character wider than the box alone still takes the line, so every line ends.
        if (w + nAdd <= m_nWrapWidth || i == s) {
            w += nAdd;
            continue;
        }
        int b = WordBreak(str, i, s);
        if (b - 1 > s && IsLowSurrogate(str[b]) && IsHighSurrogate(str[b - 1])) --b;
        close(b);
        // The characters moved to the new line are measured again from its start.
        w = 0;
        i = b - 1;
    }
    close(n);
}

BOOL CJxEditLines::Commit(std::u16string& str)
{
    std::vector<JXEditLine> lines;
    int nNeed = 0;
    try {
        lines.reserve(16);
        Layout(str, lines, &nNeed);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    // Past the limit only what does not add lines is taken (a box made narrower may hold
    // a text that needs more).
    if (nNeed > JX_EDIT_MAX_LINES && nNeed > m_nNeededLines) return FALSE;
    m_strText.swap(str);
    m_Lines.swap(lines);
    m_nNeededLines = nNeed;
    return TRUE;
}

BOOL CJxEditLines::SetText(LPCWSTR pText)
{
    std::u16string str;
    try {
        if (pText) str = pText;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    int nOldNeed = m_nNeededLines;
    m_nNeededLines = 0;  // a new text gets no allowance from the old one
    if (!Commit(str)) {
        m_nNeededLines = nOldNeed;
        return FALSE;
    }
    PlaceCaret(GetTextLength());
    return TRUE;
}

BOOL CJxEditLines::GetLine(int nLine, JXEditLine* pLine) const
{
    if (nLine < 0 || nLine >= GetLineCount() || NULL == pLine) return FALSE;
    *pLine = m_Lines[static_cast<size_t>(nLine)];
    return TRUE;
}

int CJxEditLines::GetCaretLength(int nLine) const
{
    if (nLine < 0 || nLine >= GetLineCount()) return 0;
    const JXEditLine& line = m_Lines[static_cast<size_t>(nLine)];
    int n = line.m_nLength;
    if (n > 0 && u'\n' == m_strText[static_cast<size_t>(line.m_nStart + n - 1)]) --n;
    return n;
}

int CJxEditLines::GetCaretPos() const
{
    if (m_Lines.empty()) return 0;
    return m_Lines[static_cast<size_t>(m_nCaretLine)].m_nStart + m_nCaretColumn;
}

int CJxEditLines::GetCaretX()
{
    if (m_Lines.empty()) return 0;
    return Measure(m_Lines[static_cast<size_t>(m_nCaretLine)].m_nStart, m_nCaretColumn);
}

void CJxEditLines::PlaceCaret(int nPos)
{
    m_nCaretLine = 0;
    m_nCaretColumn = 0;
    if (m_Lines.empty()) return;
    auto it = std::upper_bound(m_Lines.begin(), m_Lines.end(), nPos,
                               [](int n, const JXEditLine& line) { return n < line.m_nStart; });
    int nLine = it == m_Lines.begin() ? 0 : static_cast<int>(it - m_Lines.begin()) - 1;
    m_nCaretLine = nLine;
    m_nCaretColumn = std::max(0, std::min(nPos - m_Lines[static_cast<size_t>(nLine)].m_nStart, GetCaretLength(nLine)));
}

void CJxEditLines::PlaceCaretAfter(int nPos)
{
    if (nPos <= 0 || u'\n' == m_strText[static_cast<size_t>(nPos - 1)]) {
        PlaceCaret(nPos);
        return;
    }
    PlaceCaret(nPos - 1);
    m_nCaretColumn = std::min(nPos - m_Lines[static_cast<size_t>(m_nCaretLine)].m_nStart, GetCaretLength(m_nCaretLine));
}

BOOL CJxEditLines::TypeChar(WCHAR ch)
{
    // The text is handed out zero-terminated: a typed 0 would cut off what follows it.
    if (0 == ch) return FALSE;
    if (13 == ch) {
        if (m_nWrapWidth < 0) return FALSE;
        ch = u'\n';
    }
    const int nPos = GetCaretPos();
    std::u16string str;
    try {
        str = m_strText;
        if (8 == ch) {
            if (0 == nPos) return FALSE;
            str.erase(static_cast<size_t>(nPos - 1), 1);
        } else {
            str.insert(str.begin() + nPos, ch);
        }
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (!Commit(str)) return FALSE;
    if (8 == ch)
        PlaceCaret(nPos - 1);  // the text position before the removed character
    else
        PlaceCaretAfter(nPos + 1);
    return TRUE;
}

BOOL CJxEditLines::DeleteChar()
{
    const int nPos = GetCaretPos();
    if (nPos >= GetTextLength()) return FALSE;
    std::u16string str;
    try {
        str = m_strText;
        str.erase(static_cast<size_t>(nPos), 1);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (!Commit(str)) return FALSE;
    PlaceCaret(nPos);
    return TRUE;
}

BOOL CJxEditLines::MoveCaret(UINT nKey)
{
    int nLine = m_nCaretLine, nCol = m_nCaretColumn;
    const int nCount = GetLineCount();
    switch (nKey) {
    case 37:  // left
        if (nCol > 0)
            --nCol;
        else if (nLine > 0)
            nCol = GetCaretLength(--nLine);
        break;
    case 39:  // right
        if (nCol + 1 <= GetCaretLength(nLine))
            ++nCol;
        else if (nLine + 1 < nCount)
            ++nLine, nCol = 0;
        else
            nCol = GetCaretLength(nLine);
        break;
    case 38:  // up
        nLine = std::max(0, nLine - 1);
        nCol = std::min(nCol, GetCaretLength(nLine));
        break;
    case 40:  // down
        nLine = std::max(0, std::min(nCount - 1, nLine + 1));
        nCol = std::min(nCol, GetCaretLength(nLine));
        break;
    case 36:  // home
        nCol = 0;
        break;
    case 35:  // end
        nCol = GetCaretLength(nLine);
        break;
    default:
        return FALSE;
    }
    m_nCaretLine = nLine;
    m_nCaretColumn = nCol;
    return TRUE;
}

void CJxEditLines::HitTest(int x, int y, int nLineHeight)
{
    int nLine = nLineHeight > 0 ? (y + nLineHeight / 3) / nLineHeight : 0;
    // A release above the box gives a negative line.
    nLine = std::max(0, std::min(nLine, GetLineCount() - 1));
    m_nCaretLine = nLine;
    m_nCaretColumn = 0;
    const int n = GetCaretLength(nLine);
    if (0 == n) return;
    const int nStart = m_Lines[static_cast<size_t>(nLine)].m_nStart;
    int nPrev = 0, w = 0;
    for (int k = 1; k <= n; ++k) {
        int i = nStart + k - 1;
        WCHAR c = m_strText[static_cast<size_t>(i)];
        w += (IsLowSurrogate(c) && i > nStart && IsHighSurrogate(m_strText[static_cast<size_t>(i - 1)]))
                 ? Measure(i - 1, 2) - Measure(i - 1, 1)
                 : Measure(i, 1);
        if (w > x) {
            m_nCaretColumn = (x - nPrev > w - x) ? k : k - 1;
            return;
        }
        nPrev = w;
    }
    m_nCaretColumn = n;
}
