// DrawTextW, GetTextExtentPoint32W and GetTextMetricsW: layout from text_layout, glyphs from
// font_engine, blended here into the device context's bitmap inside its clip.
#include <algorithm>
#include <cstring>

#include "font_engine.h"
#include "gdi_objects.h"
#include "text_layout.h"
#include "wce/files.h"

using namespace wce;
using namespace wce::detail;

namespace {

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

std::size_t Length(LPCWSTR text)
{
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

LONG Saturate(std::int64_t v)
{
    return static_cast<LONG>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// The part of [left, right) x [top, bottom) inside the clip; false when nothing is.
bool ClipBox(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, const RECT& clip,
             RECT& out)
{
    left = std::max<std::int64_t>(left, clip.left);
    top = std::max<std::int64_t>(top, clip.top);
    right = std::min<std::int64_t>(right, clip.right);
    bottom = std::min<std::int64_t>(bottom, clip.bottom);
    if (right <= left || bottom <= top) return false;
    out = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
    return true;
}

// One 8-bit channel: dst + (colour - dst) * c / 255, truncated toward zero.
inline int Mix(int dst, int colour, int c) { return dst + (colour - dst) * c / 255; }

struct Painter {
    const Surface& surface;
    const RECT& clip;
    COLORREF color;

    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, COLORREF fill) const
    {
        RECT box;
        if (!ClipBox(left, top, right, bottom, clip, box)) return;
        for (LONG y = box.top; y < box.bottom; ++y) {
            BYTE* row = surface.Row(y);
            if (16 == surface.bitsPixel) {
                std::fill_n(reinterpret_cast<std::uint16_t*>(row) + box.left, box.right - box.left, ColorTo565(fill));
            } else {
                std::fill_n(reinterpret_cast<std::uint32_t*>(row) + box.left, box.right - box.left, ColorTo32(fill));
            }
        }
    }

    // Blends a glyph whose top-left corner is at (x, y).
    void Blend(const Glyph& glyph, std::int64_t x, std::int64_t y) const
    {
        RECT box;
        if (glyph.coverage.empty() || !ClipBox(x, y, x + glyph.width, y + glyph.rows, clip, box)) return;
        if (16 == surface.bitsPixel) BlendRows<std::uint16_t>(glyph, x, y, box);
        else BlendRows<std::uint32_t>(glyph, x, y, box);
    }

private:
    template <class Pixel>
    void BlendRows(const Glyph& glyph, std::int64_t x, std::int64_t y, const RECT& box) const
    {
        const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
        const Pixel solid = 2 == sizeof(Pixel) ? static_cast<Pixel>(ColorTo565(color)) : static_cast<Pixel>(ColorTo32(color));
        for (LONG row = box.top; row < box.bottom; ++row) {
            const std::uint8_t* cover =
                glyph.coverage.data() + static_cast<std::size_t>(row - y) * glyph.width + (box.left - x);
            Pixel* out = reinterpret_cast<Pixel*>(surface.Row(row)) + box.left;
            for (LONG i = 0; i < box.right - box.left; ++i) {
                int c = cover[i];
                if (0 == c) continue;
                if (255 == c) {
                    out[i] = solid;
                    continue;
                }
                std::uint32_t p = 2 == sizeof(Pixel) ? Pixel565To32(out[i]) : out[i];
                std::uint32_t mixed = (static_cast<std::uint32_t>(Mix((p >> 16) & 0xFF, r, c)) << 16) |
                                      (static_cast<std::uint32_t>(Mix((p >> 8) & 0xFF, g, c)) << 8) |
                                      static_cast<std::uint32_t>(Mix(p & 0xFF, b, c));
                out[i] = 2 == sizeof(Pixel) ? static_cast<Pixel>(Pixel32To565(mixed)) : static_cast<Pixel>(mixed);
            }
        }
    }
};

// Draws one laid-out line with its pen at x and its top at y.
void DrawLine(const Painter& painter, const DcTextState& state, Font& font, const Pen& pen,
              const std::u32string& text, const TextLine& line, std::int64_t x, std::int64_t y)
{
    if (OPAQUE == state.bkMode) painter.Fill(x, y, x + line.width, y + font.height, state.bkColor);
    std::int64_t baseline = y + font.ascent, penX = 0;
    // Past this the rest of the line cannot reach the clip: advances never go backwards.
    std::int64_t stop = static_cast<std::int64_t>(painter.clip.right) - x + 2 * std::int64_t{font.em} + 2;
    auto put = [&](char32_t cp) {
        const Glyph& glyph = font.GetGlyph(cp);
        painter.Blend(glyph, x + penX + glyph.left, baseline - glyph.top);
    };
    for (std::size_t i = line.begin; i < line.end && penX <= stop; ++i) {
        if (0x09 != text[i]) put(text[i]);
        penX = pen.Step(penX, text[i]);
    }
    if (line.ellipsis) {
        penX = line.width - pen.EllipsisWidth();
        for (int dot = 0; dot < 3; ++dot, penX += font.Advance(U'.')) put(U'.');
    }
    int thickness = std::max(1, font.em / 14);
    if (state.font.lfUnderline)
        painter.Fill(x, baseline + 1, x + line.width, baseline + 1 + thickness, state.textColor);
    if (state.font.lfStrikeOut) {
        std::int64_t top = baseline - font.ascent / 3;
        painter.Fill(x, top, x + line.width, top + thickness, state.textColor);
    }
}

}  // namespace

int DrawTextW(HDC hdc, LPCWSTR lpchText, int nCount, LPRECT lprc, UINT uFormat)
{
    if (!lprc || nCount < -1 || (!lpchText && 0 != nCount)) return Fail(ERROR_INVALID_PARAMETER);
    DcTarget target;
    DcTextState state;
    if (!GetDcTarget(hdc, target) || !GetDcTextState(hdc, state)) return Fail(ERROR_INVALID_HANDLE);
    std::size_t count = -1 == nCount ? Length(lpchText) : static_cast<std::size_t>(nCount);
    std::u32string text = DecodeUtf16(lpchText, count);

    std::lock_guard<std::mutex> guard(TextLock());
    Font* font = FindFont(state.font);
    if (!font) return 0;
    Pen pen{*font, (uFormat & DT_EXPANDTABS) ? 8 * std::int64_t{font->averageWidth} : 0};
    const RECT rc = *lprc;
    std::int64_t width = std::int64_t{rc.right} - rc.left, height = std::int64_t{rc.bottom} - rc.top;
    const bool calc = uFormat & DT_CALCRECT;
    std::vector<TextLine> lines = LayOutText(text, pen, width, height, font->height, uFormat, !calc);
    std::int64_t textHeight = static_cast<std::int64_t>(lines.size()) * font->height;

    if (calc) {
        std::int64_t widest = 0;
        for (const TextLine& line : lines) widest = std::max(widest, line.width);
        if (!(uFormat & DT_WORDBREAK) || (uFormat & DT_SINGLELINE)) lprc->right = Saturate(rc.left + widest);
        lprc->bottom = Saturate(rc.top + textHeight);
        return static_cast<int>(std::min<std::int64_t>(textHeight, INT32_MAX));
    }

    std::int64_t y = rc.top;
    if (uFormat & DT_SINGLELINE) {
        if (uFormat & DT_VCENTER) y = rc.top + ((height - font->height) >> 1);
        else if (uFormat & DT_BOTTOM) y = rc.bottom - std::int64_t{font->height};
    }
    RECT clip = (uFormat & DT_NOCLIP) ? target.clip : IntersectClip(target.clip, rc);
    Painter painter{target.surface, clip, state.textColor};
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const TextLine& line = lines[n];
        std::int64_t x = rc.left;
        if (uFormat & DT_CENTER) x = rc.left + ((width - line.width) >> 1);
        else if (uFormat & DT_RIGHT) x = rc.right - line.width;
        std::int64_t top = y + static_cast<std::int64_t>(n) * font->height;
        if (top >= clip.bottom) break;
        if (top + font->height > clip.top) DrawLine(painter, state, *font, pen, text, line, x, top);
    }
    std::int64_t result = textHeight;
    if ((uFormat & DT_SINGLELINE) && (uFormat & (DT_VCENTER | DT_BOTTOM))) result = y + font->height - rc.top;
    return static_cast<int>(std::clamp<std::int64_t>(result, INT32_MIN, INT32_MAX));
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* lpSize)
{
    if (!lpSize || c < 0 || (!lpString && c > 0)) return Fail(ERROR_INVALID_PARAMETER);
    DcTextState state;
    if (!GetDcTextState(hdc, state)) return Fail(ERROR_INVALID_HANDLE);
    std::u32string text = DecodeUtf16(lpString, static_cast<std::size_t>(c));
    std::lock_guard<std::mutex> guard(TextLock());
    Font* font = FindFont(state.font);
    if (!font) return FALSE;
    lpSize->cx = Saturate(Pen{*font}.Width(text, 0, text.size()));
    lpSize->cy = font->height;
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm)
{
    if (!lptm) return Fail(ERROR_INVALID_PARAMETER);
    DcTextState state;
    if (!GetDcTextState(hdc, state)) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> guard(TextLock());
    Font* font = FindFont(state.font);
    if (!font) return FALSE;
    const LOGFONTW& lf = state.font;
    TEXTMETRICW tm{};
    tm.tmHeight = font->height;
    tm.tmAscent = font->ascent;
    tm.tmDescent = font->descent;
    tm.tmInternalLeading = std::max(0, font->height - font->em);
    tm.tmExternalLeading = 0;
    tm.tmAveCharWidth = font->averageWidth;
    tm.tmMaxCharWidth = font->maxWidth;
    tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x20;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = lf.lfItalic ? 1 : 0;
    tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    tm.tmPitchAndFamily = lf.lfPitchAndFamily;
    tm.tmCharSet = lf.lfCharSet;
    *lptm = tm;
    return TRUE;
}
