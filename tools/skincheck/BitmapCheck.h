// skincheck's bitmaps: ".bmp" files (with the ".alpha" plane beside them, when there is one)
// and ".565a.conf" files, loaded as the framework loads them, and shown as PNG files.
#pragma once

#include <string>

class CWceUiGenericBitmap;

namespace skincheck {

// True for names ending in ".bmp" or ".565a.conf" (any case).
bool IsBitmapName(const std::string& name);

// Loads the bitmap named by a device path: a ".565a.conf" through JxLoadBitmapFromConfFile,
// a ".bmp" through WceUiLoadBmpFromFile with per-pixel alpha when an ".alpha" file lies
// beside it (a 32-bit file has per-pixel alpha when any pixel's top byte is set). Null when
// it fails; the framework's messages went to the log observer. The caller owns the result.
CWceUiGenericBitmap* LoadBitmapFile(const std::u16string& devicePath);

// Writes the bitmap as an RGBA PNG (8-bit channels, straight alpha) to a host path.
bool WriteBitmapPng(CWceUiGenericBitmap& bitmap, const std::string& pngPath, std::string& error);

}  // namespace skincheck
