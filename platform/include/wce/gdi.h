// The bitmap side of the device's GDI, in software: DIB sections, memory device contexts,
// solid brushes, stock objects, clip rectangles, blits and the rectangle helpers. Fonts and
// text are in gdi_text.h (included at the end). Failures set the last error.
//
// What is supported, so that nothing is guessed at:
// - DIB sections of 16 bits (BI_BITFIELDS with the masks 0xF800, 0x07E0, 0x001F: RGB565)
//   and 32 bits (BI_RGB, or BI_BITFIELDS with 0xFF0000, 0xFF00, 0xFF: 0xAARRGGBB), rows
//   bottom-up (positive height) and padded to 4 bytes. Pixel memory is zeroed.
// - Raster operations SRCCOPY, BLACKNESS and WHITENESS. Blits convert between 16 and 32 bits
//   (565 channels widen by repeating their top bits; a 32-bit destination gets alpha 0 like
//   the rest of GDI); both rectangles are clipped to their bitmaps.
// - StretchBlt and TransparentImage sample the nearest source pixel (pixel centres); a
//   negative width or height in StretchBlt mirrors.
// - Clip regions are single rectangles in the bitmap's pixels. Every drawing call (blits,
//   stretches, TransparentImage, FillRect, SetPixel, text) draws only inside the device
//   context's clip; sources are sampled as if unclipped.
// A handle is a key into a table, never a pointer: made-up, stale or wrong-kind handles are
// refused with ERROR_INVALID_HANDLE.
#pragma once

#include "types.h"

using HGDIOBJ = void*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HDC__;
using HDC = HDC__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HRGN__;
using HRGN = HRGN__*;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
using PBITMAP = BITMAP*;

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes in files");

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];  // with BI_BITFIELDS: the three masks follow the header
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER is 14 bytes in files");

struct BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    LONG lbHatch;
};

enum : DWORD {
    BI_RGB = 0,
    BI_BITFIELDS = 3,
    DIB_RGB_COLORS = 0,
    BS_SOLID = 0,
    BS_NULL = 1,
    SRCCOPY = 0x00CC0020,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
enum : BYTE { AC_SRC_OVER = 0, AC_SRC_ALPHA = 1 };
#define CLR_INVALID 0xFFFFFFFFu

// hdc is ignored (DIB sections do not depend on a device); hSection must be null.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT iUsage, void** ppvBits, HANDLE hSection,
                         DWORD dwOffset);
// A memory device context; it starts with a 1 x 1 stock bitmap selected, as on the device.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// Bitmaps, brushes and fonts: returns the object selected before, or null on failure. A
// region acts as SelectClipRgn and returns the region type (cast to HGDIOBJ).
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ hObject);
// Fails (ERROR_INVALID_PARAMETER) for a bitmap, brush or font still selected into a device
// context; stock objects stay and report success. Regions can always be deleted.
BOOL DeleteObject(HGDIOBJ hObject);
// BITMAP for bitmaps, LOGBRUSH for brushes, LOGFONTW for fonts; with a null pv, the size
// needed. 0 on failure: ERROR_INSUFFICIENT_BUFFER for a short buffer, ERROR_INVALID_HANDLE
// for anything else.
int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID pv);
HBRUSH CreateSolidBrush(COLORREF crColor);

// Stock objects: brushes 0 (white) to 5 (null: fills draw nothing), SYSTEM_FONT and
// DEFAULT_GUI_FONT (the same font). Other indices give null and ERROR_INVALID_PARAMETER.
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = NULL_BRUSH,
    SYSTEM_FONT = 13,
    DEFAULT_GUI_FONT = 17,
};
HGDIOBJ GetStockObject(int fnObject);

// The screen's values, for every device context (wce::host::SetScreenMetrics until a
// display exists). 0 for a bad device context or an unknown index.
enum : int {
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    PLANES = 14,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
};
int GetDeviceCaps(HDC hdc, int nIndex);

// Clip regions: rectangles only, in the pixels of the bitmap the device context draws into.
// A device context starts without a clip (the whole bitmap). Results are region types.
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
// Inverted coordinates are put in order, as the device does.
HRGN CreateRectRgn(int nLeftRect, int nTopRect, int nRightRect, int nBottomRect);
HRGN CreateRectRgnIndirect(const RECT* lprc);
// Copies the region into the device context (later changes to the region do not matter);
// a null region removes the clip.
int SelectClipRgn(HDC hdc, HRGN hrgn);
// Narrows the clip to its intersection with the rectangle.
int IntersectClipRect(HDC hdc, int nLeftRect, int nTopRect, int nRightRect, int nBottomRect);
// The clip intersected with the bitmap: NULLREGION when empty, SIMPLEREGION otherwise,
// ERROR for a bad device context or a null rectangle.
int GetClipBox(HDC hdc, LPRECT lprc);

int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr);
BOOL BitBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight, HDC hdcSrc, int nXSrc, int nYSrc,
            DWORD dwRop);
BOOL StretchBlt(HDC hdcDest, int nXDest, int nYDest, int nWidthDest, int nHeightDest, HDC hdcSrc, int nXSrc,
                int nYSrc, int nWidthSrc, int nHeightSrc, DWORD dwRop);
// Source pixels of the key color (compared in the source's format) are skipped. hSrc is a
// device context or a bitmap.
BOOL TransparentImage(HDC hdcDest, LONG nXDest, LONG nYDest, LONG nWidthDest, LONG nHeightDest, HANDLE hSrc,
                      LONG nXSrc, LONG nYSrc, LONG nWidthSrc, LONG nHeightSrc, COLORREF crTransparent);
inline BOOL TransparentBlt(HDC hdcDest, LONG nXDest, LONG nYDest, LONG nWidthDest, LONG nHeightDest, HDC hdcSrc,
                           LONG nXSrc, LONG nYSrc, LONG nWidthSrc, LONG nHeightSrc, COLORREF crTransparent)
{
    return TransparentImage(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, hdcSrc, nXSrc, nYSrc, nWidthSrc,
                            nHeightSrc, crTransparent);
}
// CLR_INVALID outside the selected bitmap (SetPixel: also outside the clip).
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF crColor);

// Rectangles: right and bottom are exclusive; a rectangle without area is empty.
BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
BOOL SetRectEmpty(LPRECT lprc);
BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
BOOL IsRectEmpty(const RECT* lprc);
BOOL EqualRect(const RECT* lprc1, const RECT* lprc2);
// Empty (and FALSE) when the two do not overlap.
BOOL IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
BOOL UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
BOOL OffsetRect(LPRECT lprc, int dx, int dy);
BOOL InflateRect(LPRECT lprc, int dx, int dy);
BOOL PtInRect(const RECT* lprc, POINT pt);

#include "gdi_text.h"
