// The GDI's object table and what the drawing functions need to know about a device
// context: the pixels of the bitmap selected into it.
#pragma once

#include <cstdint>

#include "wce/gdi.h"
#include "wce/pixel.h"

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

}  // namespace wce::detail
