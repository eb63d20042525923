// RGB565 bitmaps, with an optional alpha plane of one byte per pixel (0..63) whose rows are
// as long as the even-rounded width.
#pragma once

#include "WceUiGenericBitmap.h"

class CWceUi565Bitmap : public CWceUiGenericBitmap {
    WCEUI_DYNCREATE_BEGIN(CWceUi565Bitmap, CWceUiGenericBitmap)

public:
    CWceUi565Bitmap();
    // A copy of hBitmap's picture converted to 565, without alpha.
    explicit CWceUi565Bitmap(HBITMAP hBitmap);
    // Shares the pixels of bmpSrc, or copies them when bmpSrc is locked.
    CWceUi565Bitmap(const CWceUi565Bitmap& bmpSrc);
    CWceUi565Bitmap& operator=(const CWceUi565Bitmap&) = delete;
    virtual ~CWceUi565Bitmap();

    virtual BOOL CreateDIB(int nWidth, int nHeight);
    // pBits: a bottom-up pixel array to copy, or null for zeros; pAlphaBits: a plane to copy,
    // which turns per-pixel alpha on, or null.
    BOOL CreateDIB565(int nWidth, int nHeight, const void* pBits, const BYTE* pAlphaBits);
    // A 16-bit BMP file and, when pAlphaPath is given, its ".alpha" plane.
    BOOL LoadFromFile(LPCWSTR pFilePath, LPCWSTR pAlphaPath);
    virtual BOOL SaveFile(LPCWSTR pFilePath);
    // The BMP file and, with per-pixel alpha, the plane as an ".alpha" file.
    BOOL SaveFileAndAlpha(LPCWSTR pFilePath, LPCWSTR pAlphaPath);
    virtual BOOL LoadFromHBitmap(HBITMAP hBitmap);
    // Turning per-pixel alpha on gives a bitmap without a plane a transparent one.
    virtual BOOL SetPerPixelAlpha(BOOL bPerPixelAlpha);
    // Locks the pixels like GetHBitmap; the caller ends with Unlock.
    HBITMAP GetBmpData(void** ppBits, BYTE** ppAlphaBits);

protected:
    virtual CWceUiGenericBitmap* impNewSameKind(BOOL bCopy, DWORD* pdwObjectSize);
    virtual BOOL impCheckBlendSource(CWceUiGenericBitmap* pSrcBmp, BOOL bPerPixel);
    virtual const JxPixelLoops& impGetPixelLoops() const;
};
WCEUI_DYNCREATE_END(CWceUi565Bitmap, CWceUiGenericBitmap)
