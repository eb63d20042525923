#include "JXGlobal.h"

#include "JXCheck.h"
#include "JXCommon.h"

namespace {

const LONG kLarge = 65535;

bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

int HexDigit(WCHAR c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool StartsNumber(WCHAR cBefore)
{
    return u'\t' == cBefore || u'\r' == cBefore || u'\n' == cBefore || u' ' == cBefore || u',' == cBefore ||
           u'-' == cBefore;
}

// The leading hexadecimal digits of p, low 24 bits kept. FALSE without a digit.
BOOL ParseHexRgb(LPCWSTR p, COLORREF* pcrColor)
{
    if (HexDigit(*p) < 0) return FALSE;
    DWORD v = 0;
    for (; HexDigit(*p) >= 0; ++p) v = ((v << 4) | static_cast<DWORD>(HexDigit(*p))) & 0xFFFFFF;
    *pcrColor = JxRgbToColorRef(v);
    return TRUE;
}

}  // namespace

void SetRectLarge(LPRECT lpRect)
{
    if (!WCEUI_CHECK("SetRectLarge", NULL != lpRect)) return;
    lpRect->left = -kLarge;
    lpRect->top = -kLarge;
    lpRect->right = kLarge;
    lpRect->bottom = kLarge;
}

BOOL IsRectLarge(LPCRECT lpRect)
{
    if (!WCEUI_CHECK("IsRectLarge", NULL != lpRect)) return FALSE;
    return -kLarge == lpRect->left && -kLarge == lpRect->top && kLarge == lpRect->right && kLarge == lpRect->bottom;
}

BOOL ConvertRectStrToRect(LPCWSTR pRectStr, LPRECT pRect)
{
    if (!WCEUI_CHECK("ConvertRectStrToRect", NULL != pRectStr && NULL != pRect)) return FALSE;
    long long nValues[4];
    int nFound = 0;
    LPCWSTR p = pRectStr;
    while (*p && nFound < 4) {
        if (!IsDigit(*p)) {
            ++p;
            continue;
        }
        bool bNumber = p == pRectStr || StartsNumber(p[-1]);
        bool bNegative = p != pRectStr && u'-' == p[-1];
        long long v = 0;
        for (; IsDigit(*p); ++p)
            if (v <= 2147483648LL) v = v * 10 + (*p - u'0');
        if (!bNumber) continue;
        if (bNegative) v = -v;
        if (v > 2147483647LL || v < -2147483648LL) return FALSE;
        nValues[nFound++] = v;
    }
    if (nFound < 4) return FALSE;
    *pRect = JxMakeRect(static_cast<int>(nValues[0]), static_cast<int>(nValues[1]), static_cast<int>(nValues[2]),
                        static_cast<int>(nValues[3]));
    return TRUE;
}

COLORREF JxRgbToColorRef(DWORD dwRgb) { return ((dwRgb >> 16) & 0xFF) | (dwRgb & 0xFF00) | ((dwRgb & 0xFF) << 16); }

DWORD JxColorRefToRgb(COLORREF cr) { return JxRgbToColorRef(cr); }

BOOL JxParseColorLiteral(LPCWSTR pText, COLORREF* pcrColor)
{
    if (!WCEUI_CHECK("JxParseColorLiteral", NULL != pText && NULL != pcrColor)) return FALSE;
    if (u'0' != pText[0] || u'x' != pText[1]) return FALSE;
    return ParseHexRgb(pText + 2, pcrColor);
}

BOOL JxParseColorValue(LPCWSTR pText, COLORREF* pcrColor)
{
    if (!WCEUI_CHECK("JxParseColorValue", NULL != pText && NULL != pcrColor)) return FALSE;
    if (u'0' == pText[0] && (u'x' == pText[1] || u'X' == pText[1])) pText += 2;
    return ParseHexRgb(pText, pcrColor);
}

int JxParseDecimal(LPCWSTR pText, BOOL* pbHasDigits)
{
    if (pbHasDigits) *pbHasDigits = FALSE;
    if (!WCEUI_CHECK("JxParseDecimal", NULL != pText)) return 0;
    bool bNegative = u'-' == *pText;
    if (bNegative) ++pText;
    if (!IsDigit(*pText)) return 0;
    if (pbHasDigits) *pbHasDigits = TRUE;
    long long v = 0;
    for (; IsDigit(*pText); ++pText)
        if (v <= 2147483648LL) v = v * 10 + (*pText - u'0');
    if (bNegative) v = -v;
    if (v > 2147483647LL) return 2147483647;
    if (v < -2147483648LL) return -2147483647 - 1;
    return static_cast<int>(v);
}
