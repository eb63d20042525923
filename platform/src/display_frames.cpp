// The presented screen as an RGBA picture with the caret, and frames written as PNG files at
// zlib's fastest level (a run may write thousands).
#include <cstdio>
#include <png.h>
#include <zlib.h>

#include "display_internal.h"
#include "win_internal.h"

namespace wce::detail {

void ScreenToRgba(wce::host::RgbaImage& image)
{
    const Surface& s = Display().screen;
    image.width = s.width;
    image.height = s.height;
    image.pixels.resize(static_cast<std::size_t>(s.width) * s.height * 4);
    RECT caret{};
    bool hasCaret = CaretScreenRect(caret);
    std::uint8_t* out = image.pixels.data();
    for (int y = 0; y < s.height; ++y) {
        const BYTE* row = s.Row(y);
        for (int x = 0; x < s.width; ++x, out += 4) {
            std::uint32_t p = 16 == s.bitsPixel ? Pixel565To32(reinterpret_cast<const std::uint16_t*>(row)[x])
                                                : reinterpret_cast<const std::uint32_t*>(row)[x];
            if (hasCaret && x >= caret.left && x < caret.right && y >= caret.top && y < caret.bottom) p = ~p;
            out[0] = static_cast<std::uint8_t>(p >> 16);
            out[1] = static_cast<std::uint8_t>(p >> 8);
            out[2] = static_cast<std::uint8_t>(p);
            out[3] = 255;
        }
    }
}

bool WriteFramePng(const std::string& path, const wce::host::RgbaImage& image, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create the file";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        error = "cannot write the PNG";
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.pixels.data() + static_cast<std::size_t>(y) * image.width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (0 != std::fclose(file)) {
        error = "cannot write the file";
        return false;
    }
    return true;
}

}  // namespace wce::detail
