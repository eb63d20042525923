// Bitmap pixel data shared between bitmap objects, and the BMP and ".alpha" files.
//
// One JxBmpData block exists per distinct pixel buffer (a DIB section, plus the 565 alpha
// plane). Bitmap objects share a block until one of them writes: CJxBmp counts the sharers
// and copies the block before a write (copy on write). A block handed out for direct access
// is locked (nRefs == -1) and never shared while locked.
#pragma once

#include "JXPath.h"
#include "QuickString.h"
#include "wce/gdi.h"
#include "wce/types.h"

struct JxBmpData {
    LONG nRefs;  // sharers; -1 while locked
    HBITMAP hBitmap;  // 0: not loaded
    void* pBmpBits;
    BITMAP bm;
    BYTE* pAlphaBits;  // 565 alpha plane (0..63), owned, or null
};

// A BITMAPINFO with the three masks of an RGB565 BI_BITFIELDS bitmap and a zero word.
struct JxBitmapInfo565 {
    BITMAPINFOHEADER bmiHeader;
    DWORD dwMasks[4];
};
static_assert(sizeof(JxBitmapInfo565) == 56, "the 565 info is 56 bytes, as in the files");

// The bitmap pixel-format data of the framework globals: the shared empty block and the
// headers every new DIB section starts from.
class CInitJxBitmapData {
public:
    CInitJxBitmapData();
    CInitJxBitmapData(const CInitJxBitmapData&) = delete;
    CInitJxBitmapData& operator=(const CInitJxBitmapData&) = delete;

    JxBmpData* GetBmpDataNil() { return &m_BmpDataNil; }
    const JxBitmapInfo565& GetBitmapInfo565() const { return m_BitmapInfo565; }
    const BITMAPINFO& GetBitmapInfo32() const { return m_BitmapInfo32; }

private:
    JxBmpData m_BmpDataNil;
    JxBitmapInfo565 m_BitmapInfo565;
    BITMAPINFO m_BitmapInfo32;
};

namespace wceui {
// The shared empty block: never freed, never counted.
JxBmpData* GetBmpDataNil();
}  // namespace wceui

class CJxBmp {
public:
    CJxBmp();  // holds the nil block
    ~CJxBmp();  // releases its block
    CJxBmp(const CJxBmp&) = delete;
    CJxBmp& operator=(const CJxBmp&) = delete;

    JxBmpData* GetData() const { return m_pData; }
    BOOL IsLoaded() const { return NULL != m_pData->hBitmap; }
    BOOL IsNil() const { return wceui::GetBmpDataNil() == m_pData; }

    // A fresh zeroed block with nRefs 1 (the old one released first).
    BOOL Allocate();
    // Drops this object's share; the block goes when no sharer is left. Holds nil afterwards.
    void Release();
    // Shares the block of src (counted), after releasing its own.
    void Share(const CJxBmp& src);
    // Replaces the block by a private deep copy of pSrc (16 or 32 bits only).
    BOOL Copy(const JxBmpData* pSrc);
    // Unshares (deep copy when shared) and marks the block locked.
    BOOL Lock();
    BOOL Unlock();
    // Makes the block private before a write; a locked block is private already.
    BOOL CopyBeforeWrite();
    // Fills this object's (fresh) block with a copy of hSrcBitMap converted to 16 or 32 bits.
    BOOL CopyHBitmap(int nDstBitsPixel, HBITMAP hSrcBitMap);

private:
    JxBmpData* m_pData;
};

// Bytes in a bottom-up BMP file or DIB section: rows padded to 4 bytes. 0 when a value is not
// positive or the size would pass 2^31 - 1 bytes.
DWORD JxGetBitmapDataLen(int nWidth, int nHeight, int nBitCount);
// Bytes of a 565 alpha plane: ((w + 1) & ~1) x h, or 0 as above.
DWORD JxGet565AlphaLen(int nWidth, int nHeight);

// Empty DIB sections, bottom-up. Null on failure.
HBITMAP CreateEmptyDIB565(int nWidth, int nHeight, void** ppBits);
HBITMAP CreateEmptyDIB32(int nWidth, int nHeight, void** ppBits);
// Fill an empty pDst with a new section (and plane) holding a copy of pSrc.
BOOL CopyBmpData565(JxBmpData* pDst, const JxBmpData* pSrc);
BOOL CopyBmpData32(JxBmpData* pDst, const JxBmpData* pSrc);

// Write the pixel array as a BMP file (70-byte header for 565, 58 for 32 bits).
BOOL Save565BmpFile(LPCWSTR pSaveFileName, const void* pData, int nWidth, int nHeight);
BOOL Save32BmpFile(LPCWSTR pSaveFileName, const void* pData, int nWidth, int nHeight);
// Reads exactly the plane's bytes from a plain file; a new[] buffer, or null.
BYTE* Read565Alpha(int nWidth, int nHeight, LPCWSTR pAlphaPath);

enum { MIN_BITMAP_BUF_LEN = 46 };
// Larger sides are refused as damaged files.
enum { JX_MAX_BITMAP_SIDE = 32767 };
// Checks a whole BMP file in memory and finds its pixels. pBitmapInfo gets the first 44 bytes
// of the info (header and first mask); *ppBmpBits points into lpBuffer. On failure the info is
// zeroed and *ppBmpBits null.
BOOL GetBitmapInfoFromBuffer(const BYTE* lpBuffer, DWORD nBuffLen, BITMAPINFO* pBitmapInfo, const BYTE** ppBmpBits);


