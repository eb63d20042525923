#include "text_layout.h"

#include "wce/gdi.h"

namespace wce::detail {
namespace {

bool IsBlank(char32_t cp) { return U' ' == cp || 0x09 == cp; }

// Hard lines: [begin, end) pairs split at CR LF, LF or CR. A break at the very end starts no
// new line; an empty text is one empty line.
std::vector<std::pair<std::size_t, std::size_t>> SplitHardLines(const std::u32string& text)
{
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        if (U'\r' != text[i] && U'\n' != text[i]) {
            ++i;
            continue;
        }
        lines.emplace_back(start, i);
        i += (U'\r' == text[i] && i + 1 < text.size() && U'\n' == text[i + 1]) ? 2 : 1;
        start = i;
    }
    if (start < text.size() || lines.empty()) lines.emplace_back(start, text.size());
    return lines;
}

// Breaks one hard line before each word that would cross the right edge. Blanks at a break
// are dropped; a word wider than the whole width stays on a line of its own, unsplit.
void BreakWords(const std::u32string& text, std::size_t begin, std::size_t end, const Pen& pen, std::int64_t width,
                std::vector<TextLine>& out)
{
    std::size_t lineStart = begin, lineEnd = begin, i = begin;
    std::int64_t x = 0, xAtEnd = 0;  // pen at i, and at lineEnd
    while (i < end) {
        std::size_t wordStart = i;
        std::int64_t nx = x;
        while (wordStart < end && IsBlank(text[wordStart])) nx = pen.Step(nx, text[wordStart++]);
        std::size_t wordEnd = wordStart;
        while (wordEnd < end && !IsBlank(text[wordEnd])) nx = pen.Step(nx, text[wordEnd++]);
        if (nx > width && lineEnd > lineStart && wordEnd > wordStart) {
            out.push_back(TextLine{lineStart, lineEnd, false, xAtEnd});
            lineStart = lineEnd = i = wordStart;
            x = xAtEnd = 0;
            continue;
        }
        i = wordEnd;
        x = nx;
        if (wordEnd > wordStart) {
            lineEnd = wordEnd;
            xAtEnd = x;
        }
    }
    // Blanks at the end of a hard line are no break: they stay.
    out.push_back(TextLine{lineStart, end, false, x});
}

// Keeps the most code points that fit in the width together with "...".
void Ellipsize(const std::u32string& text, const Pen& pen, std::int64_t width, TextLine& line)
{
    std::int64_t dots = pen.EllipsisWidth(), x = 0;
    std::size_t keep = line.begin;
    while (keep < line.end) {
        std::int64_t nx = pen.Step(x, text[keep]);
        if (nx + dots > width) break;
        x = nx;
        ++keep;
    }
    line.end = keep;
    line.ellipsis = true;
    line.width = x + dots;
}

}  // namespace

std::u32string DecodeUtf16(const WCHAR* text, std::size_t count)
{
    std::u32string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

std::vector<TextLine> LayOutText(const std::u32string& text, const Pen& pen, std::int64_t width,
                                 std::int64_t height, int lineHeight, UINT format, bool applyEllipsis)
{
    std::vector<TextLine> lines;
    bool single = format & DT_SINGLELINE, wrap = !single && (format & DT_WORDBREAK);
    if (single) {
        lines.push_back(TextLine{0, text.size(), false, pen.Width(text, 0, text.size())});
    } else {
        for (auto [begin, end] : SplitHardLines(text)) {
            if (wrap) BreakWords(text, begin, end, pen, width, lines);
            else lines.push_back(TextLine{begin, end, false, pen.Width(text, begin, end)});
        }
    }
    if (!applyEllipsis || !(format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))) return lines;
    for (TextLine& line : lines)
        if (line.width > width) Ellipsize(text, pen, width, line);
    if (wrap) {
        // More lines than fit: the last one that fits whole (at least the first) ends the text.
        std::int64_t fit = lineHeight > 0 ? height / lineHeight : 1;
        if (fit < 1) fit = 1;
        if (static_cast<std::int64_t>(lines.size()) > fit) {
            lines.resize(static_cast<std::size_t>(fit));
            if (!lines.back().ellipsis) Ellipsize(text, pen, width, lines.back());
        }
    }
    return lines;
}

}  // namespace wce::detail
