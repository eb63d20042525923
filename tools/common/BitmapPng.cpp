#include "BitmapPng.h"

#include <cstdint>

#include "WceUi565Bitmap.h"
#include "wce/pixel.h"

namespace tool {
namespace {


// c was multiplied by alpha / 255: divide it back, rounded, at most 255.
std::uint8_t Unmultiply(unsigned c, unsigned alpha)
{
    if (0 == alpha) return 0;
    unsigned v = (c * 255 + alpha / 2) / alpha;
    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

}  // namespace

bool BitmapToRgba(CWceUiGenericBitmap& bitmap, wce::host::RgbaImage& image)
{
    if (!bitmap.IsLoaded()) return false;
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight(), bits = bitmap.GetBitsPixel();
    const int stride = bitmap.GetRowLength();
    const bool perPixel = bitmap.HasPerPixelAlpha();
    COLORREF crTrans = 0;
    const bool keyed = bitmap.GetTransColor(&crTrans);

    void* pBits = nullptr;
    BYTE* pAlpha = nullptr;
    bool locked = 16 == bits ? nullptr != static_cast<CWceUi565Bitmap&>(bitmap).GetBmpData(&pBits, &pAlpha)
                             : nullptr != bitmap.GetHBitmap(&pBits);
    if (!locked) return false;
    const int alphaRow = (w + 1) & ~1;
    const WORD key565 = wce::ColorTo565(crTrans);
    const DWORD key32 = wce::ColorTo32(crTrans);

    image.width = w;
    image.height = h;
    image.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y) {
        const BYTE* row = static_cast<const BYTE*>(pBits) + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            unsigned r, g, b, a;
            bool isKey;
            if (16 == bits) {
                unsigned p = reinterpret_cast<const WORD*>(row)[x];
                r = wce::Widen5(p >> 11), g = wce::Widen6((p >> 5) & 63), b = wce::Widen5(p & 31);
                unsigned a6 = perPixel && pAlpha ? pAlpha[static_cast<size_t>(h - 1 - y) * alphaRow + x] : 63;
                a = (a6 >= 63 ? 63 : a6) * 255 / 63;
                isKey = p == key565;
            } else {
                DWORD p = reinterpret_cast<const DWORD*>(row)[x];
                r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
                a = perPixel ? p >> 24 : 255;
                isKey = (p & 0x00FFFFFF) == key32;
            }
            if (perPixel) r = Unmultiply(r, a), g = Unmultiply(g, a), b = Unmultiply(b, a);
            if (keyed && isKey) a = 0;
            std::uint8_t* out = &image.pixels[(static_cast<size_t>(y) * w + x) * 4];
            out[0] = static_cast<std::uint8_t>(r);
            out[1] = static_cast<std::uint8_t>(g);
            out[2] = static_cast<std::uint8_t>(b);
            out[3] = static_cast<std::uint8_t>(a);
        }
    }
    bitmap.Unlock();
    return true;
}

bool SaveBitmapPng(CWceUiGenericBitmap& bitmap, const std::string& hostPath, std::string* error)
{
    wce::host::RgbaImage image;
    if (!BitmapToRgba(bitmap, image)) {
        if (error) *error = "the bitmap is not loaded";
        return false;
    }
    return wce::host::WritePng(hostPath, image, error);
}

}  // namespace tool
