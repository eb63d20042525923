// The colour conversions of the two pixel formats, in one place for the platform, the
// framework and the tools: COLORREF (0x00BBGGRR), RGB565 and 32-bit 0xAARRGGBB. 565 channels
// widen by repeating their top bits; narrowing truncates.
#pragma once

#include <cstdint>

#include "types.h"

namespace wce {

inline std::uint16_t ColorTo565(COLORREF cr)
{
    return static_cast<std::uint16_t>(((cr & 0xF8) << 8) | (((cr & 0xFFFF) >> 5) & ~31u) | (((cr >> 16) & 0xFF) >> 3));
}
// The low 24 bits of a 32-bit pixel: red and blue change places.
inline std::uint32_t ColorTo32(COLORREF cr) { return ((cr & 0xFF) << 16) | (cr & 0xFF00) | ((cr >> 16) & 0xFF); }
inline std::uint8_t Widen5(std::uint32_t v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
inline std::uint8_t Widen6(std::uint32_t v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }
inline std::uint32_t Pixel565To32(std::uint32_t p)
{
    return (std::uint32_t{Widen5((p >> 11) & 31)} << 16) | (std::uint32_t{Widen6((p >> 5) & 63)} << 8) |
           Widen5(p & 31);
}
inline std::uint16_t Pixel32To565(std::uint32_t p)
{
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
}
inline COLORREF Pixel32ToColor(std::uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }

}  // namespace wce
