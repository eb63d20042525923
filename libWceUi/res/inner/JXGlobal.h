// Readers of the small value texts of skin files (rectangles, colors, numbers) and the large
// rectangle that stands for "the whole area".
#pragma once

#include "wce/types.h"

// (-65535, -65535, 65535, 65535).
void SetRectLarge(LPRECT lpRect);
BOOL IsRectLarge(LPCRECT lpRect);

// "x, y, width, height" -> (x, y, x + width, y + height). A number starts at a digit that
// begins the text or follows TAB, CR, LF, blank, ',' or '-' (a '-' makes it negative);
// digits after any other character are skipped. Fewer than four numbers, or a number
// outside 32 bits, gives FALSE and leaves pRect unchanged. Right and bottom saturate.
BOOL ConvertRectStrToRect(LPCWSTR pRectStr, LPRECT pRect);

// A color literal of a style file: lower-case "0x" and at least one hexadecimal digit; the
// leading digits are RRGGBB (only the low 24 bits count). FALSE for anything else (an id).
BOOL JxParseColorLiteral(LPCWSTR pText, COLORREF* pcrColor);
// A value of the color table: "0x" (either case, optional) and hexadecimal digits RRGGBB,
// low 24 bits kept. FALSE without a digit.
BOOL JxParseColorValue(LPCWSTR pText, COLORREF* pcrColor);
// RRGGBB (as written in files) as a COLORREF, and back.
COLORREF JxRgbToColorRef(DWORD dwRgb);
DWORD JxColorRefToRgb(COLORREF cr);

// An optional '-' and the leading decimal digits, saturated to 32 bits; 0 without digits.
// *pbHasDigits (may be null) tells whether there were any.
int JxParseDecimal(LPCWSTR pText, BOOL* pbHasDigits = NULL);
