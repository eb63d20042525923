// The framework's one bitmap type: skin images, window and layer bitmaps, transition pictures.
// Two kinds exist, CWceUi565Bitmap (RGB565 with an optional alpha plane of 0..63) and
// CWceUi32Bitmap (0xAARRGGBB). Both keep their pixels in a DIB section, shared between copies
// until one of them writes.
//
// Image coordinates have y = 0 at the top. Pixels with per-pixel alpha are premultiplied.
#pragma once

#include "WceUiObject.h"
#include "wce/gdi.h"
#include "wce/types.h"

#define WCEUI_INVALID_TRANS_COLOR 0xFFFFFFFFu
#define WCEUI_INVALID_CONSTANT_ALPHA 0xFFFFFFFFu

enum WCEUI_ROTATE_ANGLE {
    WCEUI_ROTATE_90 = 1,   // a quarter turn clockwise
    WCEUI_ROTATE_180 = 2,
    WCEUI_ROTATE_270 = 3,  // a quarter turn counter-clockwise
};

class CJxBmp;
class CReadBitmapConfInfo;
struct JxPixelArray;
struct JxPixelLoops;

class CWceUiGenericBitmap : public CWceUiObject {
    WCEUI_DYNAMIC_BEGIN(CWceUiGenericBitmap, CWceUiObject)

public:
    CWceUiGenericBitmap();
    virtual ~CWceUiGenericBitmap();
    CWceUiGenericBitmap(const CWceUiGenericBitmap&) = delete;
    CWceUiGenericBitmap& operator=(const CWceUiGenericBitmap&) = delete;

    // An empty bitmap of this kind (pixels 0).
    virtual BOOL CreateDIB(int nWidth, int nHeight) = 0;
    virtual BOOL SaveFile(LPCWSTR pFilePath) = 0;
    virtual BOOL LoadFromHBitmap(HBITMAP hBitmap) = 0;
    // A new object of the same kind sharing the pixels; *ppCopyBmp should be null.
    virtual BOOL MakeACopy(CWceUiGenericBitmap** ppCopyBmp);
    virtual BOOL SetPerPixelAlpha(BOOL bPerPixelAlpha);
    // The source must be of the same kind. blendFunction.AlphaFormat AC_SRC_ALPHA selects
    // the source's per-pixel alpha, else SourceConstantAlpha applies.
    virtual BOOL AlphaBlend(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy,
                            BLENDFUNCTION blendFunction);
    // Mixes crColor (a COLORREF) into the rectangle with weight nAlpha (0..255).
    virtual BOOL MixColor(int x, int y, int w, int h, COLORREF crColor, int nAlpha);
    // A new bitmap of the same kind (the caller owns it); *ppRotatedBmp should be null.
    virtual BOOL Rotate(WCEUI_ROTATE_ANGLE eAngle, CWceUiGenericBitmap** ppRotatedBmp);

    // Loads a bitmap configuration into this object in place (a skin change): the file
    // must be of this kind. The new picture is built aside and taken over only when it is
    // complete, so a failure (logged) leaves pixels and attributes as they were.
    BOOL ReloadFromConfFile(LPCWSTR pBitmapConfFullPath);

    BOOL IsLoaded() const;
    BOOL GetBitMapInfo(BITMAP* pBitmap) const;
    int GetWidth() const;
    int GetHeight() const;
    int GetBitsPixel() const;
    // Bytes of one DIB row (padded to 4) and of the whole pixel array.
    int GetRowLength() const;
    DWORD GetTotalSize() const;
    BOOL HasPerPixelAlpha() const { return m_bPerPixelAlpha; }

    BOOL SetTransColor(BOOL bUse, COLORREF crTrans);
    BOOL GetTransColor(COLORREF* pcr) const;
    BOOL SetConstantAlpha(BOOL bUse, DWORD nAlpha);
    BOOL GetConstantAlpha(DWORD* pnAlpha) const;

    // Direct access: GetHBitmap locks the pixels (no copy will share them) and the caller
    // ends its access with Unlock.
    BOOL Lock();
    BOOL Unlock();
    HBITMAP GetHBitmap(void** ppBits);

    // The whole bitmap when pRect is null.
    BOOL FillColor(COLORREF crColor, const RECT* pRect);
    BOOL BitBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, int sw, int sh,
                    DWORD dwRop);
    BOOL TransBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, int sw, int sh,
                  COLORREF crTrans);
    BOOL BitBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, int sw, int sh, DWORD dwRop);
    BOOL TransBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, int sw, int sh, COLORREF crTrans);
    // This bitmap as the source, into a caller's device context.
    BOOL BltToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, DWORD dwRop);
    BOOL StretchToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD dwRop);
    BOOL TransToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, int sw, int sh, COLORREF crTrans);

    // nOffsetHue in -180..180; 0 does nothing.
    BOOL SetHSLOffsetHue(int nOffsetHue);
    BOOL SetGray();

protected:
    // Back to none / FALSE / none.
    void ResetAttributes();
    void CopyAttributes(const CWceUiGenericBitmap& src);
    BOOL CopyBeforeWrite();
    // The pixel array for the loops; the block must be loaded.
    void GetPixelArray(JxPixelArray& array) const;

    // The kinds' creators and loaders share these. pMethod is the kind's public operation, as
    // its messages name it (u"CreateDIB565"); the class name comes from the object.
    BOOL impCreateDIB(LPCWSTR pMethod, int nBitsPixel, int nWidth, int nHeight, const void* pBits,
                      const BYTE* pAlphaBits, BOOL bPerPixelAlpha);
    // For a copy constructor: shares bmpSrc's pixels, or copies them when bmpSrc is locked.
    void impShareOrCopy(const CWceUiGenericBitmap& bmpSrc, LPCWSTR pCreateMethod);
    BOOL impLoadFromHBitmap(int nBitsPixel, HBITMAP hBitmap);
    // The file read and checked to be a BMP of nBitsPixel (the caller deletes it), or null.
    BYTE* impReadBmpFile(LPCWSTR pFilePath, int nBitsPixel, BITMAPINFO* pInfo, const BYTE** ppBits);
    // A new bitmap of this kind from a BMP file's bytes and its configuration, for a skin
    // change; null (logged with the skin change's messages) when it does not fit this one.
    CWceUiGenericBitmap* impBuildFromConf(const CReadBitmapConfInfo& conf, LPCWSTR pConfPath, const BYTE* pFile,
                                          DWORD nSize);

    // What each kind supplies. impNewSameKind: a new empty object of this kind, or with bCopy a
    // copy of this one; *pdwObjectSize gets the size asked for, for the log when new fails.
    virtual CWceUiGenericBitmap* impNewSameKind(BOOL bCopy, DWORD* pdwObjectSize) = 0;
    // The kind's own checks of an AlphaBlend source, after the common ones.
    virtual BOOL impCheckBlendSource(CWceUiGenericBitmap* pSrcBmp, BOOL bPerPixel) = 0;
    virtual const JxPixelLoops& impGetPixelLoops() const = 0;

    CJxBmp* m_pJxBmp;
    COLORREF m_crTrans;
    BOOL m_bPerPixelAlpha;
    DWORD m_nConstantAlpha;

private:
    // Runs one platform blit with this bitmap selected into a memory device context as the
    // destination and hSrc into another as the source.
    BOOL impBlitInto(HBITMAP hSrc, int nKind, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                     DWORD dwRopOrKey);
    BOOL impBlitToDc(HDC dcDst, int nKind, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                     DWORD dwRopOrKey);
    // The blit operations' one body: the checks of this bitmap and of the source (a bitmap
    // object, a bitmap handle or, for the ...ToDc operations, the destination context),
    // the blit, and a warning when it fails, with each operation's own messages.
    BOOL impCheckedBlit(const struct CWceUiBlitTexts& texts, int nKind, CWceUiGenericBitmap* pSrcBmp, HBITMAP hSrcBmp, HDC dcDst,
                        int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD dwRopOrKey);
};
WCEUI_DYNAMIC_END(CWceUiGenericBitmap, CWceUiObject)

// A new, empty bitmap for 16 or 32 bits per pixel (the caller owns it), or null.
CWceUiGenericBitmap* WceUiCreateBitmapObject(int bmBitsPixel);
// Loads a 16-bit (565, with an optional ".alpha" plane) or 32-bit BMP file through
// WceUiReadFile, so also from inside a .pack archive. The caller owns the result; null on
// failure (logged).
CWceUiGenericBitmap* WceUiLoadBmpFromFile(LPCWSTR pFilePath, BOOL bPerPixelAlpha, LPCWSTR pAlphaPath);
// Loads the bitmap that a ".565a.conf" file describes, with its transparent color and
// constant alpha. The caller owns the result; null on failure (logged).
CWceUiGenericBitmap* JxLoadBitmapFromConfFile(LPCWSTR pBitmapConfFullPath);
// The ".alpha" plane's path beside a ".bmp" path (any case); FALSE for another name or
// when it does not fit nLength units with its terminator.
BOOL WceUiGetAlphaPath(LPCWSTR pBmpPath, LPWSTR pAlphaPath, int nLength);
