// PNG images with alpha turned into the files skins use: a BMP, its ".alpha" plane and a
// ".565a.conf" that names them.
#pragma once

#include <string>
#include <vector>

#include "wce/png.h"
#include "wce/types.h"

namespace tool {

// Premultiplied RGB565 and a plane of 0..63, both bottom-up with rows of the even-rounded
// width, as CWceUi565Bitmap::CreateDIB565 takes them. True when some pixel is not opaque.
// With dither, opaque pixels get a 4x4 ordered dither before truncation, so that gradients
// show no bands; colors already on the 565 grid stay exact.
bool RgbaTo565(const wce::host::RgbaImage& image, std::vector<WORD>& pixels, std::vector<BYTE>& alpha,
               bool dither = false);
// Premultiplied 0xAARRGGBB, bottom-up. True when some pixel is not opaque.
bool RgbaTo32(const wce::host::RgbaImage& image, std::vector<DWORD>& pixels);

struct SkinOptions {
    bool thirtyTwoBits = false;
    bool keepAlpha = false;  // an alpha plane ("pa=true") even when every pixel is opaque
    bool dither = false;     // ordered dither of opaque 565 pixels (gradients)
    std::string transColor;  // "RRGGBB" for "tc", empty for none
    int constantAlpha = -1;  // 0..255 for "ca", -1 for none
};

// Reads pngPath and writes bmpPath (which must end in ".bmp"), the ".alpha" beside it when a
// 565 image has alpha, and the ".565a.conf" beside it. Host paths. False with error.
bool ConvertPngToSkin(const std::string& pngPath, const std::string& bmpPath, const SkinOptions& options,
                      std::string& error);

}  // namespace tool
