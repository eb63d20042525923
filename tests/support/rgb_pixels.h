// Pixels of screen captures and PNG files as 0xRRGGBB, and colours as a 565 screen shows them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wce/png.h"

// The pixel at (x, y); 0xFF000000 outside the image.
inline std::uint32_t RgbAt(const wce::host::RgbaImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0xFF000000u;
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return (std::uint32_t{p[0]} << 16) | (p[1] << 8) | p[2];
}

// Channels cut to 5, 6 and 5 bits and widened again with their top bits.
constexpr std::uint32_t Shown565(std::uint32_t rgb)
{
    const std::uint32_t r = (rgb >> 19) & 31, g = (rgb >> 10) & 63, b = (rgb >> 3) & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}
