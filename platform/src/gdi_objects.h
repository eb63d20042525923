// The GDI's object table and what the drawing functions need to know about a device
// context: the pixels of the bitmap selected into it, its clip and its text state.
//
// Clipping. A device context draws only inside one rectangle, in bitmap pixels:
//     clip = bitmap bounds ∩ base clip ∩ selected clip region
// The base clip belongs to whoever made the device context (a window DC sets its paint
// rectangle with SetDcBaseClip); the program's clip calls (SelectClipRgn, IntersectClipRect,
// SelectObject of a region) change only the selected region, so they can narrow the base
// clip but never widen it, and removing the region restores the base clip. GetDcTarget hands
// the drawing functions the surface and that final rectangle; IntersectClip is the one
// function that intersects two clip rectangles.
#pragma once

#include <cstdint>

#include "wce/gdi.h"

namespace wce::detail {

// The pixel array of a DIB section. Row y (0 = top) starts at Row(y): rows are bottom-up.
struct Surface {
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row, a multiple of 4
    int bitsPixel = 0;  // 16 (RGB565) or 32 (0xAARRGGBB)

    BYTE* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride; }
};

// The intersection of two rectangles; an empty result is (0, 0, 0, 0).
RECT IntersectClip(const RECT& a, const RECT& b);

// What a drawing call needs: the pixels, and the rectangle it may touch (inside the bitmap,
// possibly empty).
struct DcTarget {
    Surface surface;
    RECT clip{0, 0, 0, 0};
};
// False for a bad device context (ERROR_INVALID_HANDLE is left to the caller).
bool GetDcTarget(HDC hdc, DcTarget& target);

// Sets or (null) removes the base clip of a device context, in bitmap pixels.
bool SetDcBaseClip(HDC hdc, const RECT* base);

// The text state of a device context, with the description of its selected font.
struct DcTextState {
    LOGFONTW font{};
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    int bkMode = 0;
};
bool GetDcTextState(HDC hdc, DcTextState& state);

// The system font's description: DejaVu Sans, 16 pixels em, weight 400, all else 0.
const LOGFONTW& SystemFontDescription();

// The surface of a bitmap handle, or of the bitmap selected into a device context.
bool GetBitmapSurface(HBITMAP hBitmap, Surface& surface);
bool GetDcSurface(HDC hdc, Surface& surface);
// Either kind of handle (TransparentImage takes both).
bool GetAnySurface(HANDLE handle, Surface& surface);
// False for a bad handle; a hollow brush (NULL_BRUSH) has no colour and fills nothing.
bool GetBrushColor(HBRUSH hBrush, COLORREF& color, bool& hollow);

// Pixel conversions between COLORREF (0x00BBGGRR) and the two formats. 565 channels widen by
// repeating their top bits; narrowing truncates.
inline std::uint16_t ColorTo565(COLORREF cr)
{
    return static_cast<std::uint16_t>(((cr & 0xF8) << 8) | (((cr & 0xFFFF) >> 5) & ~31u) | (((cr >> 16) & 0xFF) >> 3));
}
inline std::uint32_t ColorTo32(COLORREF cr)
{
    return ((cr & 0xFF) << 16) | (cr & 0xFF00) | ((cr >> 16) & 0xFF);
}
inline std::uint32_t Pixel565To32(std::uint32_t p)
{
    std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}
inline std::uint16_t Pixel32To565(std::uint32_t p)
{
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
}
inline COLORREF Pixel32ToColor(std::uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }

}  // namespace wce::detail
