// A DIB section selected into its own memory device context, filled with one colour, for
// tests that draw and then look at pixels; and fonts selected for the length of a scope.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "wce/host.h"
#include "wce/platform.h"

// A bottom-up DIB section of 16 (565) or 32 bits.
inline HBITMAP CreateSection(int bits, int w, int h, void** pixels = nullptr)
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[4];
    } info = {{sizeof(BITMAPINFOHEADER), w, h, 1, static_cast<WORD>(bits),
               16 == bits ? static_cast<DWORD>(BI_BITFIELDS) : static_cast<DWORD>(BI_RGB), 0, 0, 0, 0, 0},
              {0xF800, 0x07E0, 0x001F, 0}};
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, pixels, nullptr, 0);
}

struct Canvas {
    Canvas(int bitsPixel, int w, int h, COLORREF background = RGB(255, 255, 255))
        : width(w), height(h), bits(bitsPixel), fill(background)
    {
        bitmap = CreateSection(bitsPixel, w, h, &pixels);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        Clear();
    }
    Canvas(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    operator HDC() const { return dc; }  // NOLINT

    void Clear() const
    {
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all{0, 0, width, height};
        SelectClipRgn(dc, nullptr);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    std::vector<BYTE> Bytes() const
    {
        int stride = ((width * bits + 31) >> 5) * 4;
        const BYTE* p = static_cast<const BYTE*>(pixels);
        return std::vector<BYTE>(p, p + stride * height);
    }
    // The stored pixel at image row y (0 = top) of a 16- or 32-bit canvas.
    WORD& At16(int x, int y) const { return reinterpret_cast<WORD*>(Row(y))[x]; }
    DWORD& At32(int x, int y) const { return reinterpret_cast<DWORD*>(Row(y))[x]; }
    BYTE* Row(int y) const { return static_cast<BYTE*>(pixels) + (height - 1 - y) * (((width * bits + 31) >> 5) * 4); }
    // Pixels that differ from the fill colour.
    int Ink() const { return Ink(RECT{0, 0, width, height}); }
    int Ink(const RECT& area) const
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += GetPixel(dc, x, y) != Fill();
        return n;
    }
    RECT InkBox() const
    {
        RECT box{width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (GetPixel(dc, x, y) != Fill()) box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                                                         std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        return box;
    }
    // The fill colour as the bitmap stores it (565 loses low bits).
    COLORREF Fill() const { return Stored(fill); }
    COLORREF Stored(COLORREF c) const
    {
        if (32 == bits) return c;
        auto widen = [](int v, int keep) { v &= ~((1 << (8 - keep)) - 1); return v | (v >> keep); };
        return RGB(widen(GetRValue(c), 5), widen(GetGValue(c), 6), widen(GetBValue(c), 5));
    }

    int width, height, bits;
    COLORREF fill;
    void* pixels = nullptr;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
};

inline LOGFONTW Describe(const char16_t* face, LONG height, LONG weight = FW_NORMAL, BYTE italic = 0)
{
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    std::memcpy(lf.lfFaceName, face, (std::char_traits<char16_t>::length(face) + 1) * sizeof(char16_t));
    return lf;
}

// Creates a font, selects it, and on leaving deselects and deletes it.
struct UseFont {
    UseFont(HDC hdc, const LOGFONTW& lf) : dc(hdc), font(CreateFontIndirectW(&lf)), old(SelectObject(dc, font)) {}
    UseFont(const UseFont&) = delete;
    ~UseFont()
    {
        SelectObject(dc, old);
        DeleteObject(font);
    }
    HDC dc;
    HFONT font;
    HGDIOBJ old;
};
