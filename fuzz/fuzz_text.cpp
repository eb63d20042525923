// Feeds random strings, DT_ flags, rectangles, clips and font descriptions to DrawTextW and
// the measuring calls on a small bitmap. The pixels outside the bitmap are guarded: a write
// past the pixel array shows under AddressSanitizer, a write past the clip aborts.
//
// Input: 40 header bytes, then the text as UTF-16 (little-endian units).
//   0-3   flags           4-11  rectangle (4 x int16)   12-19 clip (4 x int16)
//   20-21 lfHeight        22-23 lfWidth                 24-25 lfWeight
//   26    italic, underline, strike-out, quality (bits 0, 1, 2, 3-5); bit 6: 32-bit bitmap;
//         bit 7: opaque
//   27    bit 0: clip on; bit 1: count -1 (text terminated); bit 2: raw 32-unit face name
//         from the text; bit 3: small height (lfHeight % 48, as are heights of 257 to the
//         limit); bits 4-5: face (sans, mono,
//         serif, unknown)
//   28-39 unused
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "wce/platform.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_text: %s\n", what);
    std::abort();
}

template <class T>
T Read(const std::uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

HBITMAP MakeBitmap(int bits, int width, int height, void** pixels)
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[4];
    } info = {{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits),
               16 == bits ? static_cast<DWORD>(BI_BITFIELDS) : static_cast<DWORD>(BI_RGB), 0, 0, 0, 0, 0},
              {0xF800, 0x07E0, 0x001F, 0}};
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, pixels, nullptr, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 40;
    constexpr int kWidth = 37, kHeight = 23;
    if (size < kHeader) return 0;
    const UINT flags = Read<std::uint32_t>(data);
    RECT rc{Read<std::int16_t>(data + 4), Read<std::int16_t>(data + 6), Read<std::int16_t>(data + 8),
            Read<std::int16_t>(data + 10)};
    const RECT clip{Read<std::int16_t>(data + 12) % 64, Read<std::int16_t>(data + 14) % 64,
                    Read<std::int16_t>(data + 16) % 64, Read<std::int16_t>(data + 18) % 64};
    const std::uint8_t style = data[26], mode = data[27];
    std::vector<WCHAR> text((size - kHeader) / 2 + 1, 0);
    std::memcpy(text.data(), data + kHeader, (size - kHeader) / 2 * 2);
    const int units = static_cast<int>(text.size()) - 1;

    static const char16_t* const faces[] = {u"DejaVu Sans", u"dejavu sans mono", u"DEJAVU SERIF", u"Fuzzy"};
    LOGFONTW lf{};
    lf.lfHeight = Read<std::int16_t>(data + 20);
    // Glyphs of hundreds of pixels only slow the runs down; sizes past the limit stay, to be
    // refused.
    if ((mode & 8) || (std::abs(lf.lfHeight) > 256 && std::abs(lf.lfHeight) <= kMaxFontPixels)) lf.lfHeight %= 48;
    lf.lfWidth = Read<std::int16_t>(data + 22) % 64;
    lf.lfWeight = Read<std::int16_t>(data + 24);
    lf.lfItalic = style & 1;
    lf.lfUnderline = (style >> 1) & 1;
    lf.lfStrikeOut = (style >> 2) & 1;
    lf.lfQuality = (style >> 3) & 7;
    if ((mode & 4) && units >= LF_FACESIZE) std::memcpy(lf.lfFaceName, text.data(), sizeof lf.lfFaceName);
    else std::memcpy(lf.lfFaceName, faces[(mode >> 4) & 3], 2 * (std::char_traits<char16_t>::length(faces[(mode >> 4) & 3]) + 1));

    const int bits = (style & 0x40) ? 32 : 16;
    void* pixels = nullptr;
    HBITMAP bitmap = MakeBitmap(bits, kWidth, kHeight, &pixels);
    const std::size_t bytes = static_cast<std::size_t>(((kWidth * bits + 31) >> 5) * 4) * kHeight;
    std::memset(pixels, 0x5A, bytes);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, (style & 0x80) ? OPAQUE : TRANSPARENT);
    SetTextColor(dc, RGB(1, 2, 3));
    if (mode & 1) IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    RECT box;
    GetClipBox(dc, &box);

    const int count = (mode & 2) ? -1 : units;
    RECT calc = rc;
    DrawTextW(dc, text.data(), count, &calc, flags | DT_CALCRECT);
    DrawTextW(dc, text.data(), count, &rc, flags & ~DT_CALCRECT);
    SIZE extent;
    GetTextExtentPoint32W(dc, text.data(), units, &extent);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);

    // Nothing outside the clip changed.
    const int stride = ((kWidth * bits + 31) >> 5) * 4;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (PtInRect(&box, POINT{x, y})) continue;
            const std::uint8_t* p = static_cast<const std::uint8_t*>(pixels) + (kHeight - 1 - y) * stride + x * bits / 8;
            for (int b = 0; b < bits / 8; ++b) Require(0x5A == p[b], "a pixel outside the clip changed");
        }

    if (font) {
        SelectObject(dc, oldFont);
        Require(DeleteObject(font), "a deselected font could not be deleted");
    }
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return 0;
}
