#include "WceUiTextPainter.h"

#include "WceUiGenericBitmap.h"
#include "wce/gdi_text.h"

CWceUiTextPainter::CWceUiTextPainter(CWceUiGenericBitmap* pBitmap, HFONT hFont, COLORREF crText, const RECT* pLimit)
    : m_pBitmap(pBitmap)
{
    HBITMAP hBitmap = pBitmap ? pBitmap->GetHBitmap(NULL) : NULL;
    if (NULL == hBitmap) return;
    m_hdc = CreateCompatibleDC(NULL);
    if (NULL == m_hdc) {
        pBitmap->Unlock();
        return;
    }
    m_hOldBitmap = SelectObject(m_hdc, hBitmap);
    SetBkMode(m_hdc, TRANSPARENT);
    ::SetTextColor(m_hdc, crText);
    m_hOldFont = SelectObject(m_hdc, hFont ? hFont : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    if (pLimit) {
        m_bLimit = TRUE;
        m_rcLimit = *pLimit;
    }
    impClip(NULL);
}

CWceUiTextPainter::~CWceUiTextPainter()
{
    if (NULL == m_hdc) return;
    SelectClipRgn(m_hdc, NULL);
    SelectObject(m_hdc, m_hOldFont);
    SelectObject(m_hdc, m_hOldBitmap);
    DeleteDC(m_hdc);
    // GetHBitmap locked the pixels; left locked, every later copy would duplicate them.
    m_pBitmap->Unlock();
}

void CWceUiTextPainter::SetTextColor(COLORREF crText)
{
    if (m_hdc) ::SetTextColor(m_hdc, crText);
}

void CWceUiTextPainter::ClipTo(const RECT& rc) { impClip(&rc); }

void CWceUiTextPainter::impClip(const RECT* pRect)
{
    if (NULL == m_hdc) return;
    SelectClipRgn(m_hdc, NULL);
    if (m_bLimit) IntersectClipRect(m_hdc, m_rcLimit.left, m_rcLimit.top, m_rcLimit.right, m_rcLimit.bottom);
    if (pRect) IntersectClipRect(m_hdc, pRect->left, pRect->top, pRect->right, pRect->bottom);
}

void CWceUiTextPainter::DrawText(LPCWSTR pText, int nLength, RECT* pRect, UINT nFormat)
{
    if (m_hdc) DrawTextW(m_hdc, pText, nLength, pRect, nFormat);
}

int CWceUiTextPainter::GetTextWidth(LPCWSTR pText, int nLength) const
{
    SIZE size = {0, 0};
    if (m_hdc && nLength > 0) GetTextExtentPoint32W(m_hdc, pText, nLength, &size);
    return size.cx;
}
