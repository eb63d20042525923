// 32-bit bitmaps, 0xAARRGGBB; the top byte is the alpha when the bitmap has per-pixel alpha.
#pragma once

#include "WceUiGenericBitmap.h"

class CWceUi32Bitmap : public CWceUiGenericBitmap {
    WCEUI_DYNCREATE_BEGIN(CWceUi32Bitmap, CWceUiGenericBitmap)

public:
    CWceUi32Bitmap();
    explicit CWceUi32Bitmap(HBITMAP hBitmap);
    CWceUi32Bitmap(const CWceUi32Bitmap& bmpSrc);
    CWceUi32Bitmap& operator=(const CWceUi32Bitmap&) = delete;
    virtual ~CWceUi32Bitmap();

    virtual BOOL CreateDIB(int nWidth, int nHeight);
    // pBits: a bottom-up pixel array to copy (taken as it is: premultiplied where it carries
    // alpha), or null for zeros.
    BOOL CreateDIB32(int nWidth, int nHeight, const void* pBits, BOOL bPerPixelAlpha);
    BOOL LoadFromFile(LPCWSTR pFilePath, BOOL bPerPixelAlpha);
    virtual BOOL SaveFile(LPCWSTR pFilePath);
    virtual BOOL LoadFromHBitmap(HBITMAP hBitmap);
    // Multiplies each color channel by the pixel's alpha and turns per-pixel alpha on.
    BOOL PreMulAlpha();

protected:
    virtual CWceUiGenericBitmap* impNewSameKind(BOOL bCopy, DWORD* pdwObjectSize);
    virtual BOOL impCheckBlendSource(CWceUiGenericBitmap* pSrcBmp, BOOL bPerPixel);
    virtual const JxPixelLoops& impGetPixelLoops() const;
};
WCEUI_DYNCREATE_END(CWceUi32Bitmap, CWceUiGenericBitmap)
