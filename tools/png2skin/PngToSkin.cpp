#include "PngToSkin.h"

#include <algorithm>
#include <fstream>

#include "ToolSupport.h"
#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "wce/wstring.h"

namespace tool {
namespace {

bool EndsWithBmp(const std::string& path)
{
    if (path.size() <= 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ".bmp" == ext;
}

const std::uint8_t* At(const wce::host::RgbaImage& image, int x, int y)
{
    return &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
}

bool WriteConf(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("\xFF\xFE", 2);
    for (char c : text) out.write(std::string{c, '\0'}.data(), 2);
    return static_cast<bool>(out);
}

}  // namespace

// The 4x4 Bayer matrix: thresholds 0..15, spread evenly over every 4x4 tile.
constexpr unsigned kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

bool RgbaTo565(const wce::host::RgbaImage& image, std::vector<WORD>& pixels, std::vector<BYTE>& alpha, bool dither)
{
    const int w = image.width, h = image.height, row = (w + 1) & ~1;
    pixels.assign(static_cast<size_t>(row) * h, 0);
    alpha.assign(static_cast<size_t>(row) * h, 0);
    bool translucent = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = At(image, x, y);
            // The plane holds 0..63; colors are scaled by that same alpha, then truncated
            // like every COLORREF, so that no channel exceeds its alpha.
            unsigned a = (p[3] * 63u + 127) / 255;
            auto scale = [a](unsigned c) { return (c * a + 31) / 63; };
            size_t i = static_cast<size_t>(h - 1 - y) * row + x;
            unsigned r = scale(p[0]), g = scale(p[1]), b = scale(p[2]);
            if (dither && 63 == a) {
                // Half the threshold for green's finer steps; a sum past 255 stays at the top.
                const unsigned t = kBayer[y & 3][x & 3];
                r = std::min(255u, r + t / 2);
                g = std::min(255u, g + t / 4);
                b = std::min(255u, b + t / 2);
            }
            pixels[i] = static_cast<WORD>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
            alpha[i] = static_cast<BYTE>(a);
            translucent = translucent || a < 63;
        }
    return translucent;
}

bool RgbaTo32(const wce::host::RgbaImage& image, std::vector<DWORD>& pixels)
{
    const int w = image.width, h = image.height;
    pixels.assign(static_cast<size_t>(w) * h, 0);
    bool translucent = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = At(image, x, y);
            unsigned a = p[3];
            auto scale = [a](unsigned c) { return (c * a + 127) / 255; };
            pixels[static_cast<size_t>(h - 1 - y) * w + x] =
                a << 24 | scale(p[0]) << 16 | scale(p[1]) << 8 | scale(p[2]);
            translucent = translucent || a < 255;
        }
    return translucent;
}

bool ConvertPngToSkin(const std::string& pngPath, const std::string& bmpPath, const SkinOptions& options,
                      std::string& error)
{
    if (!EndsWithBmp(bmpPath)) {
        error = "the output must be a .bmp file";
        return false;
    }
    wce::host::RgbaImage image;
    if (!wce::host::ReadPng(pngPath, image, &error)) {
        error = pngPath + ": " + error;
        return false;
    }
    const std::string base = bmpPath.substr(0, bmpPath.size() - 4);
    const std::u16string deviceBmp = HostToDevicePath(bmpPath), deviceAlpha = HostToDevicePath(base + ".alpha");
    bool translucent = false, saved = false;
    if (options.thirtyTwoBits) {
        std::vector<DWORD> pixels;
        translucent = RgbaTo32(image, pixels) || options.keepAlpha;
        CWceUi32Bitmap bitmap;
        saved = bitmap.CreateDIB32(image.width, image.height, pixels.data(), translucent) &&
                bitmap.SaveFile(deviceBmp.c_str());
    } else {
        std::vector<WORD> pixels;
        std::vector<BYTE> alpha;
        // Per-pixel blends (sliders, check marks, scroll bars) refuse a source without a
        // plane, opaque or not.
        translucent = RgbaTo565(image, pixels, alpha, options.dither) || options.keepAlpha;
        CWceUi565Bitmap bitmap;
        saved = bitmap.CreateDIB565(image.width, image.height, pixels.data(), translucent ? alpha.data() : nullptr) &&
                bitmap.SaveFileAndAlpha(deviceBmp.c_str(), deviceAlpha.c_str());
    }
    if (!saved) {
        error = "cannot write " + bmpPath;
        return false;
    }
    std::string name = bmpPath.substr(bmpPath.find_last_of('/') + 1);
    std::string conf = "src=" + name + "\r\npa=" + (translucent ? "true" : "false") + "\r\n";
    if (!options.transColor.empty()) conf += "tc=" + options.transColor + "\r\n";
    if (options.constantAlpha >= 0) conf += "ca=" + std::to_string(options.constantAlpha) + "\r\n";
    if (!WriteConf(base + ".565a.conf", conf)) {
        error = "cannot write " + base + ".565a.conf";
        return false;
    }
    return true;
}

}  // namespace tool
