// A framework bitmap as a PNG that a person can look at: RGBA, 8 bits per channel, straight
// alpha. Used by tools and tests (screenshots) alike.
#pragma once

#include <string>

#include "wce/png.h"

class CWceUiGenericBitmap;

namespace tool {

// 565 channels widen by repeating their top bits. With per-pixel alpha (the 565 plane's
// 0..63, or the 32-bit top byte) the premultiplied colors are divided back; without it every
// pixel is opaque. Pixels of the transparent color get alpha 0 (TransBlt skips them). The
// constant alpha is a drawing attribute and is not applied.
bool BitmapToRgba(CWceUiGenericBitmap& bitmap, wce::host::RgbaImage& image);
bool SaveBitmapPng(CWceUiGenericBitmap& bitmap, const std::string& hostPath, std::string* error = nullptr);

}  // namespace tool
