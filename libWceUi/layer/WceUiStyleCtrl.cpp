#include "WceUiStyleCtrl.h"

#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"

// Background color

CWceUiBgColorCtrl::CWceUiBgColorCtrl() : m_bHasColor(FALSE), m_bTransparent(FALSE) {}

CWceUiBgColorCtrl::CWceUiBgColorCtrl(const CWceUiBgColorCtrl& other) : m_bHasColor(FALSE), m_bTransparent(FALSE)
{
    DoCopy(other);
}

CWceUiBgColorCtrl& CWceUiBgColorCtrl::operator=(const CWceUiBgColorCtrl& other)
{
    if (&other != this) DoCopy(other);
    return *this;
}

CWceUiBgColorCtrl::~CWceUiBgColorCtrl() = default;

void CWceUiBgColorCtrl::SetColor(LPCWSTR pColorID)
{
    if (!WCEUI_CHECK("CWceUiBgColorCtrl::SetColor", NULL != pColorID && 0 != *pColorID)) return;
    m_Color.SetColor(pColorID);
    m_bHasColor = TRUE;
    m_bTransparent = FALSE;
}

void CWceUiBgColorCtrl::SetColor(COLORREF crColor)
{
    m_Color.SetColor(crColor);
    m_bHasColor = TRUE;
    m_bTransparent = FALSE;
}

void CWceUiBgColorCtrl::SetTransparent(BOOL bTransparent)
{
    m_bHasColor = TRUE;
    m_bTransparent = bTransparent;
}

COLORREF CWceUiBgColorCtrl::GetColor()
{
    if (!m_bHasColor)
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiBgColorCtrl::GetColor is useless when IsHasBgColor return FALSE");
    else if (m_bTransparent)
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiBgColorCtrl::GetColor is useless when IsTransparent return TRUE");
    return m_Color.GetColor();
}

void CWceUiBgColorCtrl::DoCopy(const CWceUiBgColorCtrl& other)
{
    if (!WCEUI_CHECK("CWceUiBgColorCtrl::DoCopy", &other != this)) return;
    m_bHasColor = other.m_bHasColor;
    m_bTransparent = other.m_bTransparent;
    m_Color = other.m_Color;
}

// Background items

CWceUiBgItem::CWceUiBgItem() : m_nAlign(0), m_bZoom(FALSE), m_nCommonIndex(0), m_pPre(NULL), m_pNext(NULL)
{
    SetRectLarge(&m_rcSrc);
    SetRectLarge(&m_rcDst);
}

CWceUiBgItem::CWceUiBgItem(const CWceUiBgItem& other) : CWceUiBgItem() { DoCopy(other); }

CWceUiBgItem& CWceUiBgItem::operator=(const CWceUiBgItem& other)
{
    if (&other != this) DoCopy(other);
    return *this;
}

CWceUiBgItem::~CWceUiBgItem() = default;

void CWceUiBgItem::SetBitmapFromRes(LPCWSTR pBitmapID)
{
    if (!WCEUI_CHECK("CWceUiBgItem::SetBitmapFromRes", NULL != pBitmapID && 0 != *pBitmapID)) return;
    m_Bitmap.SetBitmapFromRes(pBitmapID);
}

void CWceUiBgItem::SetName(LPCWSTR pBgItemName)
{
    if (!WCEUI_CHECK("CWceUiBgItem::SetName", NULL != pBgItemName)) return;
    m_strName = pBgItemName;
}

void CWceUiBgItem::SetSrcRect(LPCRECT lpRect)
{
    if (WCEUI_CHECK("CWceUiBgItem::SetSrcRect", NULL != lpRect)) m_rcSrc = *lpRect;
}

void CWceUiBgItem::GetSrcRect(LPRECT lpRect) const
{
    if (WCEUI_CHECK("CWceUiBgItem::GetSrcRect", NULL != lpRect)) *lpRect = m_rcSrc;
}

void CWceUiBgItem::SetDstRect(LPCRECT lpRect)
{
    if (WCEUI_CHECK("CWceUiBgItem::SetDstRect", NULL != lpRect)) m_rcDst = *lpRect;
}

void CWceUiBgItem::GetDstRect(LPRECT lpRect) const
{
    if (WCEUI_CHECK("CWceUiBgItem::GetDstRect", NULL != lpRect)) *lpRect = m_rcDst;
}

void CWceUiBgItem::SetAlign(UINT nAlign)
{
    const UINT kCenter = 1, kRight = 2, kVCenter = 4, kBottom = 8;
    if (nAlign & kRight) m_nAlign = (m_nAlign & ~kCenter) | kRight;
    else if (nAlign & kCenter) m_nAlign = (m_nAlign & ~kRight) | kCenter;
    if (nAlign & kVCenter) m_nAlign = (m_nAlign & ~kBottom) | kVCenter;
    else if (nAlign & kBottom) m_nAlign = (m_nAlign & ~kVCenter) | kBottom;
}

void CWceUiBgItem::DoCopy(const CWceUiBgItem& other)
{
    if (!WCEUI_CHECK("CWceUiBgItem::DoCopy", &other != this)) return;
    m_Bitmap = other.m_Bitmap;
    m_strName = other.m_strName;
    m_rcSrc = other.m_rcSrc;
    m_rcDst = other.m_rcDst;
    m_nAlign = other.m_nAlign;
    m_bZoom = other.m_bZoom;
    m_nCommonIndex = other.m_nCommonIndex;
    // The links belong to the list the item is in.
}

CWceUiBgItemCtrl::CWceUiBgItemCtrl() : m_pHead(NULL), m_pTail(NULL), m_nCount(0) {}

CWceUiBgItemCtrl::CWceUiBgItemCtrl(const CWceUiBgItemCtrl& other) : CWceUiBgItemCtrl() { DoCopy(other); }

CWceUiBgItemCtrl& CWceUiBgItemCtrl::operator=(const CWceUiBgItemCtrl& other)
{
    if (&other != this) DoCopy(other);
    return *this;
}

CWceUiBgItemCtrl::~CWceUiBgItemCtrl() { RemoveAll(); }

BOOL CWceUiBgItemCtrl::Contains(const CWceUiBgItem* pBgItem) const
{
    for (CWceUiBgItem* p = m_pHead; p; p = p->m_pNext)
        if (p == pBgItem) return TRUE;
    return FALSE;
}

CWceUiBgItem* CWceUiBgItemCtrl::GetNext(const CWceUiBgItem* pCurBgItem) const
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::GetNext", NULL != pCurBgItem)) return NULL;
    return pCurBgItem->m_pNext;
}

CWceUiBgItem* CWceUiBgItemCtrl::GetPre(const CWceUiBgItem* pCurBgItem) const
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::GetPre", NULL != pCurBgItem)) return NULL;
    return pCurBgItem->m_pPre;
}

CWceUiBgItem* CWceUiBgItemCtrl::GetByName(LPCWSTR pName) const
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::GetByName", NULL != pName)) return NULL;
    for (CWceUiBgItem* p = m_pHead; p; p = p->m_pNext)
        if (0 == p->m_strName.Compare(pName)) return p;
    return NULL;
}

BOOL CWceUiBgItemCtrl::impLink(CWceUiBgItem* pPre, CWceUiBgItem* pNext, CWceUiBgItem* pNewBgItem)
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::Insert", NULL != pNewBgItem)) return FALSE;
    // An item already in a list would be linked twice.
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::Insert", NULL == pNewBgItem->m_pPre && NULL == pNewBgItem->m_pNext &&
                                                     m_pHead != pNewBgItem))
        return FALSE;
    pNewBgItem->m_pPre = pPre;
    pNewBgItem->m_pNext = pNext;
    if (pPre) pPre->m_pNext = pNewBgItem;
    else m_pHead = pNewBgItem;
    if (pNext) pNext->m_pPre = pNewBgItem;
    else m_pTail = pNewBgItem;
    ++m_nCount;
    return TRUE;
}

BOOL CWceUiBgItemCtrl::AddHead(CWceUiBgItem* pNewBgItem) { return impLink(NULL, m_pHead, pNewBgItem); }

BOOL CWceUiBgItemCtrl::AddTail(CWceUiBgItem* pNewBgItem) { return impLink(m_pTail, NULL, pNewBgItem); }

BOOL CWceUiBgItemCtrl::InsertBefore(CWceUiBgItem* pCurBgItem, CWceUiBgItem* pNewBgItem)
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::InsertBefore", NULL != pCurBgItem && Contains(pCurBgItem))) return FALSE;
    return impLink(pCurBgItem->m_pPre, pCurBgItem, pNewBgItem);
}

BOOL CWceUiBgItemCtrl::InsertAfter(CWceUiBgItem* pCurBgItem, CWceUiBgItem* pNewBgItem)
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::InsertAfter", NULL != pCurBgItem && Contains(pCurBgItem))) return FALSE;
    return impLink(pCurBgItem, pCurBgItem->m_pNext, pNewBgItem);
}

BOOL CWceUiBgItemCtrl::Remove(CWceUiBgItem* pDelBgItem)
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::Remove", NULL != pDelBgItem && Contains(pDelBgItem))) return FALSE;
    if (pDelBgItem->m_pPre) pDelBgItem->m_pPre->m_pNext = pDelBgItem->m_pNext;
    else m_pHead = pDelBgItem->m_pNext;
    if (pDelBgItem->m_pNext) pDelBgItem->m_pNext->m_pPre = pDelBgItem->m_pPre;
    else m_pTail = pDelBgItem->m_pPre;
    --m_nCount;
    delete pDelBgItem;
    return TRUE;
}

void CWceUiBgItemCtrl::RemoveAll()
{
    for (CWceUiBgItem* p = m_pHead; p;) {
        CWceUiBgItem* pNext = p->m_pNext;
        delete p;
        p = pNext;
    }
    m_pHead = m_pTail = NULL;
    m_nCount = 0;
}

void CWceUiBgItemCtrl::FreeBmpRes()
{
    for (CWceUiBgItem* p = m_pHead; p; p = p->m_pNext) p->FreeBmpRes();
}

void CWceUiBgItemCtrl::DoCopy(const CWceUiBgItemCtrl& other)
{
    if (!WCEUI_CHECK("CWceUiBgItemCtrl::DoCopy", &other != this)) return;
    RemoveAll();
    for (CWceUiBgItem* p = other.m_pHead; p; p = p->m_pNext) {
        CWceUiBgItem* pCopy = new (std::nothrow) CWceUiBgItem(*p);
        if (!WCEUI_CHECK("CWceUiBgItemCtrl::DoCopy", NULL != pCopy)) return;  // the items copied so far stay
        AddTail(pCopy);
    }
}

void CWceUiBgItemCtrl::Swap(CWceUiBgItemCtrl& other)
{
    CWceUiBgItem* pHead = m_pHead;
    CWceUiBgItem* pTail = m_pTail;
    int nCount = m_nCount;
    m_pHead = other.m_pHead;
    m_pTail = other.m_pTail;
    m_nCount = other.m_nCount;
    other.m_pHead = pHead;
    other.m_pTail = pTail;
    other.m_nCount = nCount;
}

// Font

CWceUiFontCtrl::CWceUiFontCtrl() = default;

CWceUiFontCtrl::CWceUiFontCtrl(const CWceUiFontCtrl& other) : m_Font(other.m_Font) {}

CWceUiFontCtrl& CWceUiFontCtrl::operator=(const CWceUiFontCtrl& other)
{
    if (&other != this) DoCopy(other);
    return *this;
}

CWceUiFontCtrl::~CWceUiFontCtrl() = default;

void CWceUiFontCtrl::SetFontFromRes(LPCWSTR pFontID)
{
    if (!WCEUI_CHECK("CWceUiFontCtrl::SetFontFromRes", NULL != pFontID && 0 != *pFontID)) return;
    m_Font.SetFontFromRes(pFontID);
}

void CWceUiFontCtrl::SetFontFromHFONT(HFONT hFont)
{
    if (!WCEUI_CHECK("CWceUiFontCtrl::SetFontFromHFONT", NULL != hFont)) return;
    m_Font.SetFontFromHFONT(hFont);
}

void CWceUiFontCtrl::DoCopy(const CWceUiFontCtrl& other)
{
    if (!WCEUI_CHECK("CWceUiFontCtrl::DoCopy", &other != this)) return;
    m_Font = other.m_Font;
}

// Text placement

CWceUiDrawTextCtrl::CWceUiDrawTextCtrl() : m_nFormat(DEFAULT_FORMAT) { SetRectLarge(&m_rc); }

void CWceUiDrawTextCtrl::SetRect(LPCRECT lpRect)
{
    if (WCEUI_CHECK("CWceUiDrawTextCtrl::SetRect", NULL != lpRect)) m_rc = *lpRect;
}

void CWceUiDrawTextCtrl::GetRect(LPRECT lpRect) const
{
    if (WCEUI_CHECK("CWceUiDrawTextCtrl::GetRect", NULL != lpRect)) *lpRect = m_rc;
}

// Filters

CWceUiAlphaFilterCtrl::CWceUiAlphaFilterCtrl() : m_nAlpha(-1), m_bEnabled(FALSE) {}

void CWceUiAlphaFilterCtrl::SetFilter(BOOL bUse, int nAlpha)
{
    m_bEnabled = bUse;
    m_nAlpha = bUse ? nAlpha : -1;
}

BOOL CWceUiAlphaFilterCtrl::GetFilter(int* pnAlpha) const
{
    if (m_bEnabled && pnAlpha) *pnAlpha = m_nAlpha;
    return m_bEnabled;
}

CWceUiMixColorFilterCtrl::CWceUiMixColorFilterCtrl() : m_nAlpha(-1), m_bEnabled(FALSE) {}

CWceUiMixColorFilterCtrl::CWceUiMixColorFilterCtrl(const CWceUiMixColorFilterCtrl& other)
    : m_Color(other.m_Color), m_nAlpha(other.m_nAlpha), m_bEnabled(other.m_bEnabled)
{
}

CWceUiMixColorFilterCtrl& CWceUiMixColorFilterCtrl::operator=(const CWceUiMixColorFilterCtrl& other)
{
    if (&other != this) DoCopy(other);
    return *this;
}

CWceUiMixColorFilterCtrl::~CWceUiMixColorFilterCtrl() = default;

void CWceUiMixColorFilterCtrl::SetFilterFromRes(BOOL bUse, LPCWSTR pMixColor, int nAlpha)
{
    if (!WCEUI_CHECK("CWceUiMixColorFilterCtrl::SetFilterFromRes", NULL != pMixColor && 0 != *pMixColor)) return;
    m_Color.SetColor(pMixColor);
    m_bEnabled = bUse;
    m_nAlpha = bUse ? nAlpha : -1;
}

void CWceUiMixColorFilterCtrl::SetFilter(BOOL bUse, COLORREF crColor, int nAlpha)
{
    m_Color.SetColor(crColor);
    m_bEnabled = bUse;
    m_nAlpha = bUse ? nAlpha : -1;
}

BOOL CWceUiMixColorFilterCtrl::GetFilter(COLORREF* pcrColor, int* pnAlpha)
{
    if (!m_bEnabled) return FALSE;
    if (pcrColor) *pcrColor = m_Color.GetColor();
    if (pnAlpha) *pnAlpha = m_nAlpha;
    return TRUE;
}

void CWceUiMixColorFilterCtrl::DoCopy(const CWceUiMixColorFilterCtrl& other)
{
    if (!WCEUI_CHECK("CWceUiMixColorFilterCtrl::DoCopy", &other != this)) return;
    m_Color = other.m_Color;
    m_nAlpha = other.m_nAlpha;
    m_bEnabled = other.m_bEnabled;
}
