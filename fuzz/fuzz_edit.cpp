// Edit box lines under random widths, characters, keys and taps: the lines cover the text
// exactly, the caret stays inside, no more lines than the limit, every call ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "JXEditLines.h"

namespace {

// Widths that differ per character, zero included, as a proportional font's do.
class Pitch : public CJxTextMeasure {
public:
    int GetTextWidth(LPCWSTR pText, int nLength) override
    {
        int w = 0;
        for (int i = 0; i < nLength; ++i) w += pText[i] % 13;
        return w;
    }
};

void Check(const CJxEditLines& e)
{
    const int n = e.GetLineCount();
    if (n > JX_EDIT_MAX_LINES) abort();
    if (0 == n) {
        if (0 != e.GetTextLength() || 0 != e.GetCaretLine() || 0 != e.GetCaretColumn()) abort();
        return;
    }
    int nNext = 0;
    for (int i = 0; i < n; ++i) {
        JXEditLine line;
        if (!e.GetLine(i, &line) || line.m_nStart != nNext || line.m_nLength < 0) abort();
        // Only a line after a closing line feed may be empty, and only the last one.
        if (0 == line.m_nLength && (i != n - 1 || 0 == i || u'\n' != e.GetText()[line.m_nStart - 1])) abort();
        nNext += line.m_nLength;
    }
    if (nNext != e.GetTextLength()) abort();
    if (e.GetCaretLine() < 0 || e.GetCaretLine() >= n) abort();
    if (e.GetCaretColumn() < 0 || e.GetCaretColumn() > e.GetCaretLength(e.GetCaretLine())) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    Pitch measure;
    CJxEditLines e;
    e.SetMeasure(&measure);
    e.SetWrapWidth(data[0] == 255 ? JX_EDIT_NO_WRAP : data[0] * 2);
    static const UINT keys[] = {35, 36, 37, 38, 39, 40};
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        std::uint8_t op = data[i], arg = data[i + 1];
        switch (op % 8) {
        case 0: e.MoveCaret(keys[arg % 6]); break;
        case 1: e.DeleteChar(); break;
        case 2: e.HitTest(arg * 3 - 100, (arg % 16) * 17 - 40, 17); break;
        case 3: e.SetWrapWidth(arg == 255 ? JX_EDIT_NO_WRAP : arg); break;
        case 4: e.TypeChar(static_cast<WCHAR>(arg % 4 == 0 ? 8 : arg % 4 == 1 ? 13 : arg % 4 == 2 ? 10 : 0xD800 + arg)); break;
        default: e.TypeChar(static_cast<WCHAR>(arg)); break;
        }
        Check(e);
    }
    return 0;
}
