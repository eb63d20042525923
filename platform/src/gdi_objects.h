// The GDI's object table and what the drawing functions need to know about a device
// context: the pixels of the bitmap selected into it.
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

// The surface of a bitmap handle, or of the bitmap selected into a device context.
bool GetBitmapSurface(HBITMAP hBitmap, Surface& surface);
bool GetDcSurface(HDC hdc, Surface& surface);
// Either kind of handle (TransparentImage takes both).
bool GetAnySurface(HANDLE handle, Surface& surface);
bool GetBrushColor(HBRUSH hBrush, COLORREF& color);

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
