#include "BitmapCheck.h"

#include <algorithm>
#include <cctype>

#include "BitmapPng.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "wce/files.h"
#include "wce/wstring.h"

namespace skincheck {
namespace {

bool EndsWith(const std::string& name, const std::string& ext)
{
    if (name.size() <= ext.size()) return false;
    return std::equal(ext.rbegin(), ext.rend(), name.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

bool AnyAlphaByte(CWceUiGenericBitmap& bitmap)
{
    BITMAP bm;
    if (!bitmap.GetBitMapInfo(&bm) || 32 != bm.bmBitsPixel) return false;
    const DWORD* pixels = static_cast<const DWORD*>(bm.bmBits);
    return std::any_of(pixels, pixels + static_cast<size_t>(bm.bmWidth) * bm.bmHeight,
                       [](DWORD p) { return 0 != (p >> 24); });
}

}  // namespace

bool IsBitmapName(const std::string& name) { return EndsWith(name, ".bmp") || EndsWith(name, ".565a.conf"); }

CWceUiGenericBitmap* LoadBitmapFile(const std::u16string& devicePath)
{
    if (!EndsWith(WideToUtf8(devicePath), ".bmp")) return JxLoadBitmapFromConfFile(devicePath.c_str());
    WCHAR alphaPath[MAX_PATH];
    // A missing ".alpha" only means the bitmap has none: asked without a message.
    bool hasAlpha = WceUiGetAlphaPath(devicePath.c_str(), alphaPath, MAX_PATH) && WceUiFileExists(alphaPath);
    CWceUiGenericBitmap* pBitmap = WceUiLoadBmpFromFile(devicePath.c_str(), hasAlpha, hasAlpha ? alphaPath : nullptr);
    if (pBitmap && 32 == pBitmap->GetBitsPixel() && !hasAlpha && AnyAlphaByte(*pBitmap)) pBitmap->SetPerPixelAlpha(TRUE);
    return pBitmap;
}

bool WriteBitmapPng(CWceUiGenericBitmap& bitmap, const std::string& pngPath, std::string& error)
{
    return tool::SaveBitmapPng(bitmap, pngPath, &error);
}

}  // namespace skincheck
