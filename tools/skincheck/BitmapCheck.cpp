#include "BitmapCheck.h"

#include <algorithm>
#include <cctype>

#include "BitmapPng.h"
#include "JXBmp.h"
#include "JXGVar.h"
#include "JXPackedFile.h"
#include "JXPackedFileMgr.h"
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

// Whether a plain file or an archive entry exists, without a message when it does not: a
// missing ".alpha" only means the bitmap has none.
bool Exists(const std::u16string& devicePath)
{
    DWORD attributes = GetFileAttributesW(devicePath.c_str());
    if (INVALID_FILE_ATTRIBUTES != attributes) return 0 == (attributes & FILE_ATTRIBUTE_DIRECTORY);
    size_t split = devicePath.find(u".pack\\");
    if (std::u16string::npos == split) return false;
    std::u16string pack = devicePath.substr(0, split + 5), inner = devicePath.substr(split + 6);
    WStrLowerInPlace(pack.data());
    WStrLowerInPlace(inner.data());
    for (auto& c : inner)
        if (u'/' == c) c = u'\\';
    CJxPackedFile* pPack = CJxGVar::GetInstance()->GetCJxPackedFileMgr()->GetPackedFile(pack.c_str());
    return pPack && pPack->Load(WceUiGetPackPassword()) && pPack->FindItem(inner.c_str());
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
    CQuickString alphaPath(devicePath.c_str());
    bool hasAlpha = GetAlphaPathFromBmpPath(alphaPath) && Exists(std::u16string(alphaPath.GetString()));
    CWceUiGenericBitmap* pBitmap =
        WceUiLoadBmpFromFile(devicePath.c_str(), hasAlpha, hasAlpha ? alphaPath.GetString() : nullptr);
    if (pBitmap && 32 == pBitmap->GetBitsPixel() && !hasAlpha && AnyAlphaByte(*pBitmap)) pBitmap->SetPerPixelAlpha(TRUE);
    return pBitmap;
}

bool WriteBitmapPng(CWceUiGenericBitmap& bitmap, const std::string& pngPath, std::string& error)
{
    return tool::SaveBitmapPng(bitmap, pngPath, &error);
}

}  // namespace skincheck
