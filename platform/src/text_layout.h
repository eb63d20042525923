// Where DrawTextW puts its text: the split into lines (hard breaks, word breaking), the
// ellipses and the width of each line, from the font's advances alone. The drawing and the
// measuring calls share it, so what is measured is what is drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "font_engine.h"

namespace wce::detail {

// UTF-16 to code points: pairs decoded, unpaired surrogates kept as they are.
std::u32string DecodeUtf16(const WCHAR* text, std::size_t count);

// Pen movement along a line: tabs go to the next stop when stops are set (tabWidth > 0),
// else advance as a space.
struct Pen {
    Font& font;
    std::int64_t tabWidth = 0;
    std::int64_t Step(std::int64_t x, char32_t cp) const
    {
        if (0x09 == cp && tabWidth > 0) return (x / tabWidth + 1) * tabWidth;
        return x + font.Advance(cp);
    }
    std::int64_t Width(const std::u32string& text, std::size_t begin, std::size_t end) const
    {
        std::int64_t x = 0;
        for (std::size_t i = begin; i < end; ++i) x = Step(x, text[i]);
        return x;
    }
    std::int64_t EllipsisWidth() const { return 3 * static_cast<std::int64_t>(font.Advance(U'.')); }
};

struct TextLine {
    std::size_t begin = 0;  // code points [begin, end) of the text
    std::size_t end = 0;
    bool ellipsis = false;  // "..." follows the code points
    std::int64_t width = 0;
};

// Lines of the text for a rectangle of the given size and the DT_ flags. With applyEllipsis
// false (DT_CALCRECT) the lines keep their full width and all of them are kept.
std::vector<TextLine> LayOutText(const std::u32string& text, const Pen& pen, std::int64_t width,
                                 std::int64_t height, int lineHeight, UINT format, bool applyEllipsis);

}  // namespace wce::detail
