// PNG files on the host, for screenshots, tools and tests (not a device interface).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wce::host {

// 8 bits per channel in the order R, G, B, A; straight (not premultiplied) alpha; rows from
// the top.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Images wider or taller than this are refused when read.
constexpr int kMaxPngSide = 32767;

bool WritePng(const std::string& hostPath, const RgbaImage& image, std::string* error = nullptr);
bool ReadPng(const std::string& hostPath, RgbaImage& image, std::string* error = nullptr);

}  // namespace wce::host
