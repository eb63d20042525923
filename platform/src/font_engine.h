// Fonts for the GDI's text calls: the face table (names to DejaVu files), faces opened once
// with FreeType, and per face, size and style a font with its metrics and a bounded cache of
// rendered glyphs. Only this file's implementation includes FreeType.
//
// Not thread-safe on its own: callers hold TextLock() from the lookup of a font until they
// are done with its glyphs (a later lookup may evict fonts).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "wce/gdi.h"

namespace wce::detail {

// A rendered glyph: coverage rows (0..255) from the top, placed with its top-left corner at
// (pen x + left, baseline - top).
struct Glyph {
    int advance = 0;  // whole pixels
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> coverage;  // width * rows
};

class Font {
public:
    virtual ~Font() = default;
    int ascent = 0;
    int descent = 0;
    int height = 0;  // ascent + descent: the line height
    int em = 0;      // pixels
    int averageWidth = 0;
    int maxWidth = 0;
    // Advance of a code point, as Glyph(cp).advance but without rendering where possible.
    virtual int Advance(char32_t cp) = 0;
    // Valid until the next call of Glyph or the next font lookup.
    virtual const Glyph& GetGlyph(char32_t cp) = 0;
};

std::mutex& TextLock();

// The font for a description (as stored by CreateFontIndirectW), or null when no usable font
// file exists (one line on standard error names the file; the last error is set).
Font* FindFont(const LOGFONTW& description);

}  // namespace wce::detail
