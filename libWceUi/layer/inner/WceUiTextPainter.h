// Text on a drawing bitmap: a memory device context on the bitmap's pixels with a font, a
// text colour and a transparent background. The painter clips every call at its edge: text
// stays inside the limit it was made with and, within it, inside the last ClipTo.
//
// The pixels stay locked while a painter lives (no copy of the bitmap shares them then);
// keep it no longer than the text step that needs it.
#pragma once

#include "wce/gdi.h"
#include "wce/types.h"

class CWceUiGenericBitmap;

class CWceUiTextPainter {
public:
    // pLimit null: the whole bitmap. A null font is the system font.
    CWceUiTextPainter(CWceUiGenericBitmap* pBitmap, HFONT hFont, COLORREF crText, const RECT* pLimit);
    ~CWceUiTextPainter();
    CWceUiTextPainter(const CWceUiTextPainter&) = delete;
    CWceUiTextPainter& operator=(const CWceUiTextPainter&) = delete;

    // FALSE when the bitmap has no pixels or no device context could be made: the calls
    // below then do nothing.
    BOOL IsReady() const { return NULL != m_hdc; }
    void SetTextColor(COLORREF crText);
    // The following texts are cut to rc within the limit; a later ClipTo replaces rc.
    void ClipTo(const RECT& rc);
    // DrawTextW's formats; the rectangle is the layout box, the clip cuts it.
    void DrawText(LPCWSTR pText, int nLength, RECT* pRect, UINT nFormat);
    // The width of one line of text in the painter's font; 0 when not ready.
    int GetTextWidth(LPCWSTR pText, int nLength) const;

private:
    void impClip(const RECT* pRect);

    CWceUiGenericBitmap* m_pBitmap;
    HDC m_hdc = NULL;
    HGDIOBJ m_hOldBitmap = NULL;
    HGDIOBJ m_hOldFont = NULL;
    BOOL m_bLimit = FALSE;
    RECT m_rcLimit = {0, 0, 0, 0};
};
