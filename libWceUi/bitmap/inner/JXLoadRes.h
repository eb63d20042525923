// The bitmap configuration file (".565a.conf"): which BMP file a skin bitmap comes from,
// whether an ".alpha" plane belongs to it, its transparent color and its constant alpha.
//
//     src=file.bmp     the BMP file, relative to the conf file's directory (required)
//     pa=true          per-pixel alpha from "file.alpha" beside it (any other value: none)
//     tc=102030        transparent color RRGGBB, or "false"
//     ca=128           constant alpha 0..255, or "false"
#pragma once

#include "QuickString.h"
#include "wce/types.h"

class CJxConfDoc;

class CReadBitmapConfInfo {
public:
    CReadBitmapConfInfo();

    // Read through WceUiReadFile (archives too), without escapes: values are paths.
    BOOL LoadBitmapConfFile(LPCWSTR pBitmapConfFile);
    // The same for a file already in memory; pBitmapConfFile still resolves "src".
    BOOL LoadBitmapConfData(const BYTE* pData, DWORD nSize, LPCWSTR pBitmapConfFile);

    // All need a loaded conf.
    LPCWSTR GetBitmapFullPath() const;
    LPCWSTR GetAlphaFullPath() const;
    BOOL HasPerPixelAlpha() const;
    // TRUE when the conf gives a value.
    BOOL GetTransColor(COLORREF* pcr) const;
    BOOL GetConstantAlpha(DWORD* pn) const;

private:
    void Reset();
    BOOL impLoad(const CJxConfDoc& doc, LPCWSTR pBitmapConfFile);

    CQuickString m_strBitmapFullPath;
    CQuickString m_strAlphaFullPath;
    COLORREF m_crTrans;  // 0xFFFFFFFF: none
    BOOL m_bPerPixelAlpha;
    DWORD m_nConstantAlpha;  // 0xFFFFFFFF: none
    BOOL m_bLoaded;
};
