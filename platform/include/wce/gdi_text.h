// Fonts and text of the device's GDI, drawn with the DejaVu faces of the host.
//
// Faces: "DejaVu Sans", "DejaVu Sans Mono" and "DejaVu Serif" (names compared ignoring case),
// each with a regular and a bold file; an empty, "System" or unknown name takes DejaVu Sans.
// Files come from $WCE_FONT_DIR, else /usr/share/fonts/truetype/dejavu/, or from
// wce::host::SetFontFile. A missing file falls back to the default face; when that is
// missing too, text calls fail and one line on standard error names the file.
//
// Metrics, so that every screenshot is the same on every host with the same fonts:
// - lfHeight < 0 is the em size in pixels, > 0 the cell height (ascent + descent), 0 means -16.
//   lfWidth > 0 scales the glyphs horizontally to that average width.
// - ascent = ceil(ascender), descent = ceil(-descender); line height = ascent + descent; no
//   external leading. Advances are whole pixels, glyphs hinted as the face's default, no
//   kerning: the extent of a string is the sum of its advances, and DrawTextW draws each
//   glyph at the summed advances before it (ink may overhang by a side bearing).
// - lfWeight >= 600 takes the bold file; lfItalic shears by 0.2 without changing advances;
//   underline one pixel below the baseline, strike-out a third of the ascent above it, both
//   max(1, em / 14) thick; lfQuality NONANTIALIASED_QUALITY draws without coverage levels.
//   Escapement and orientation are ignored.
// - U+0009 is a space (with DT_EXPANDTABS a stop every 8 average widths from the line's
//   start); other units below U+0020 draw nothing; a code point the face lacks draws its
//   missing-glyph box; surrogate pairs are decoded.
// Coverage c (0..255) blends the text colour into each 8-bit channel as
// dst + (colour - dst) * c / 255; 32-bit destinations get alpha 0 wherever c > 0.
#pragma once

#include "types.h"

struct HDC__;
using HDC = HDC__*;
struct HFONT__;
using HFONT = HFONT__*;

constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW is 92 bytes on the device");
using LOGFONT = LOGFONTW;
using PLOGFONTW = LOGFONTW*;

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using TEXTMETRIC = TEXTMETRICW;
using LPTEXTMETRICW = TEXTMETRICW*;

enum : LONG {
    FW_DONTCARE = 0,
    FW_THIN = 100,
    FW_LIGHT = 300,
    FW_NORMAL = 400,
    FW_MEDIUM = 500,
    FW_SEMIBOLD = 600,
    FW_BOLD = 700,
    FW_HEAVY = 900,
};
enum : BYTE {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    DEFAULT_QUALITY = 0,
    DRAFT_QUALITY = 1,
    PROOF_QUALITY = 2,
    NONANTIALIASED_QUALITY = 3,
    ANTIALIASED_QUALITY = 4,
    CLEARTYPE_QUALITY = 5,
};

// The limit on |lfHeight| and lfWidth: larger descriptions are refused.
constexpr LONG kMaxFontPixels = 2048;

// Copies the description: a face name is cut at 31 units (it need not be terminated),
// lfWeight is clamped to 0..1000 and a negative lfWidth taken as its size. Fails with
// ERROR_INVALID_PARAMETER for a null pointer or a height or width beyond kMaxFontPixels.
HFONT CreateFontIndirectW(const LOGFONTW* lplf);
inline HFONT CreateFontIndirect(const LOGFONTW* lplf) { return CreateFontIndirectW(lplf); }

// A device context's text state. A new one has the system font, black text, a white
// background and OPAQUE mode (the line's box is filled with the background first).
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Previous value, CLR_INVALID (0 for the mode) on failure.
COLORREF SetTextColor(HDC hdc, COLORREF crColor);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF crColor);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int iBkMode);
int GetBkMode(HDC hdc);

enum : UINT {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_END_ELLIPSIS = 0x8000,
    DT_WORD_ELLIPSIS = 0x40000,
};

// Draws nCount units of text (-1: up to the terminator) into the rectangle with the DC's
// font, colours and mode; other flag bits are ignored. '&' is plain text. Lines break at
// CR LF, LF or CR (not with DT_SINGLELINE); DT_WORDBREAK breaks before the word that crosses
// the right edge and drops the blanks at the break; a word wider than the rectangle gets a
// line of its own. DT_VCENTER and DT_BOTTOM act only with DT_SINGLELINE. With an ellipsis
// flag, a too-wide line keeps the most characters that fit and ends in "..."; with
// DT_WORDBREAK, when more lines than fit, the last whole line that fits (at least the first)
// ends in "..." and nothing below is drawn. Without DT_NOCLIP the text is clipped to the
// rectangle; always to the DC's clip. DT_CALCRECT draws nothing and sets right to left +
// the widest line (kept with DT_WORDBREAK) and bottom to top + lines x line height.
// Returns the text's height (with DT_VCENTER or DT_BOTTOM on a single line, the offset from
// the rectangle's top to the text's bottom), or 0 on failure.
int DrawTextW(HDC hdc, LPCWSTR lpchText, int nCount, LPRECT lprc, UINT uFormat);
inline int DrawText(HDC hdc, LPCWSTR lpchText, int nCount, LPRECT lprc, UINT uFormat)
{
    return DrawTextW(hdc, lpchText, nCount, lprc, uFormat);
}

// cx = the sum of the advances (what DrawTextW draws on one line), cy = the line height.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* lpSize);
inline BOOL GetTextExtentPoint32(HDC hdc, LPCWSTR lpString, int c, SIZE* lpSize)
{
    return GetTextExtentPoint32W(hdc, lpString, c, lpSize);
}
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm);
inline BOOL GetTextMetrics(HDC hdc, LPTEXTMETRICW lptm) { return GetTextMetricsW(hdc, lptm); }
