// Building BMP, ".alpha" and ".565a.conf" files in memory, and reading a bitmap's pixels
// without locking it (so that sharing stays as it is).
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiInit.h"
#include "doc_test_helpers.h"
#include "wce/wstring.h"

inline void Put16(std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF); s += static_cast<char>((v >> 8) & 0xFF); }
inline void Put32(std::string& s, unsigned v) { Put16(s, v & 0xFFFF); Put16(s, v >> 16); }
inline unsigned Get16(const std::string& s, size_t at)
{
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
inline unsigned Get32(const std::string& s, size_t at) { return Get16(s, at) | (Get16(s, at + 2) << 16); }

// The pixel array of a BMP file or DIB section: bottom-up rows padded to 4 bytes. pixel(x, y)
// gives the pixel at image row y (0 = top); padding is left 0.
inline std::string PixelArray(int w, int h, int bits, const std::function<unsigned(int, int)>& pixel)
{
    int stride = ((w * bits + 31) >> 5) * 4;
    std::string out(static_cast<size_t>(stride) * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::string p;
            (16 == bits ? Put16 : Put32)(p, pixel(x, y));
            out.replace(static_cast<size_t>(h - 1 - y) * stride + x * bits / 8, p.size(), p);
        }
    return out;
}

// A BMP file: file header, an info header of infoSize bytes (the 40 usual fields, the rest 0;
// 16-bit files get the three 565 masks right after the 40 bytes), then the pixels.
inline std::string BmpFile(int w, int h, int bits, const std::string& pixels, int infoSize = 40)
{
    std::string info;
    for (int v : {infoSize, w, h}) Put32(info, static_cast<unsigned>(v));
    for (int v : {1, bits}) Put16(info, static_cast<unsigned>(v));
    for (size_t v : {size_t(16 == bits ? 3 : 0), pixels.size()}) Put32(info, static_cast<unsigned>(v));
    info.append(16, '\0');
    if (16 == bits)
        for (unsigned mask : {0xF800u, 0x07E0u, 0x001Fu, 0u}) Put32(info, mask);
    if (infoSize > static_cast<int>(info.size())) info.resize(static_cast<size_t>(infoSize), '\0');
    std::string file = "BM";
    for (size_t v : {14 + info.size() + pixels.size(), size_t(0), 14 + info.size()}) Put32(file, static_cast<unsigned>(v));

    return file + info + pixels;
}

// The pixels as they are, through the BITMAP record (no lock, no copy).
inline const BYTE* Bits(const CWceUiGenericBitmap& bitmap)
{
    BITMAP bm{};
    bitmap.GetBitMapInfo(&bm);
    return static_cast<const BYTE*>(bm.bmBits);
}
inline unsigned PixelAt(const CWceUiGenericBitmap& bitmap, int x, int y)
{
    BITMAP bm{};
    bitmap.GetBitMapInfo(&bm);
    const BYTE* row = static_cast<const BYTE*>(bm.bmBits) + static_cast<size_t>(bm.bmHeight - 1 - y) * bm.bmWidthBytes;
    if (16 == bm.bmBitsPixel) return reinterpret_cast<const WORD*>(row)[x];
    return reinterpret_cast<const DWORD*>(row)[x];
}
// The pixels of image row y, left to right.
using Pixels = std::vector<unsigned>;
inline Pixels RowOf(const CWceUiGenericBitmap& bitmap, int y = 0)
{
    Pixels row;
    for (int x = 0; x < bitmap.GetWidth(); ++x) row.push_back(PixelAt(bitmap, x, y));
    return row;
}
inline std::string ArrayOf(const CWceUiGenericBitmap& bitmap)
{
    return std::string(reinterpret_cast<const char*>(Bits(bitmap)), bitmap.GetTotalSize());
}

// The attributes a bitmap has, as "pa tc=302010 ca=128": per-pixel alpha, the transparent
// COLORREF in hex, the constant alpha; each only when set.
inline std::string Attributes(const CWceUiGenericBitmap& bitmap)
{
    std::string s = bitmap.HasPerPixelAlpha() ? " pa" : "";
    COLORREF cr = 0;
    DWORD alpha = 0;
    char text[32];
    if (bitmap.GetTransColor(&cr)) s += (std::snprintf(text, sizeof text, " tc=%06X", static_cast<unsigned>(cr)), text);
    if (bitmap.GetConstantAlpha(&alpha)) s += " ca=" + std::to_string(alpha);
    return s.empty() ? s : s.substr(1);
}

class BitmapTest : public LogTest {
protected:
    void Write(const std::string& relative, const std::string& bytes) const { m_device.WriteHostFile(relative, bytes); }
};

// A resource folder on a fresh device for the cache, style and entry-point tests: one-colour
// BMP files with their configurations.
class SkinTest : public DocTest {
protected:
    // "SDMMC/<res>/bitmap/<name>.bmp" and its "<name>.conf" (the id), with extra lines such as
    // u"tc=102030\n".
    void Bitmap(const std::string& res, const std::string& name, int bits, unsigned pixel,
                const std::u16string& extra = u"", int w = 3, int h = 2) const
    {
        m_device.WriteHostFile("SDMMC/" + res + "/bitmap/" + name + ".bmp",
                               BmpFile(w, h, bits, PixelArray(w, h, bits, [&](int, int) { return pixel; })));
        std::string base = name.substr(name.find_last_of('/') + 1);
        WriteText("SDMMC/" + res + "/bitmap/" + name + ".conf", u"src=" + Utf8ToWide(base) + u".bmp\n" + extra);
    }
    // Makes "\\SDMMC\\<res>" the resource directory, reloading whatever is cached.
    bool UseRes(const std::string& res) const { return WceUiChangeResDir(Utf8ToWide("\\SDMMC\\" + res).c_str()); }
};
