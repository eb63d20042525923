#include "WceUiListBox.h"

#include <new>
#include <string>
#include <vector>

#include "JXCheck.h"
#include "WceUi565Bitmap.h"
#include "WceUiCtrlPrivate.h"
#include "WceUiLayerData.h"
#include "WceUiLoadBitmap.h"
#include "WceUiStyle.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"
#include "wce/wstring.h"

namespace {

struct CListItem {
    std::u16string m_strText;
    LPARAM m_Data = 0;
    DWORD m_dwState = 0;
    CWceUiGenericBitmap* m_pImage = NULL;  // the caller's
};

// What the cached pixels depend on besides the items: a change repaints everything.
struct CCacheLook {
    int m_nPos = 0;
    int m_nWidth = 0, m_nHeight = 0;
    COLORREF m_crText = 0;
    HFONT m_hFont = NULL;
    bool operator==(const CCacheLook& o) const
    {
        return m_nWidth == o.m_nWidth && m_nHeight == o.m_nHeight && m_crText == o.m_crText && m_hFont == o.m_hFont;
    }
};

int ReadInt(LPCWSTR p)
{
    long long n = 0;
    BOOL bNeg = FALSE;
    if (*p == u'-') bNeg = TRUE, ++p;
    for (; *p >= u'0' && *p <= u'9'; ++p)
        if (n < 0x7FFFFFFF) n = n * 10 + (*p - u'0');
    if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    return int(bNeg ? -n : n);
}

// RRGGBB to a COLORREF (red in the low byte).
COLORREF ReadRgb(LPCWSTR p)
{
    DWORD v = 0;
    for (int i = 0; i < 6 && p[i]; ++i) {
        WCHAR c = p[i];
        int d = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : 0;
        v = (v << 4) | DWORD(d);
    }
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

// Floor division: rows above the first item have negative indices.
int FloorDiv(long long a, int b) { return int(a >= 0 ? a / b : -((-a + b - 1) / b)); }

int TextWidth(HDC hdc, const std::u16string& text)
{
    SIZE size = {0, 0};
    if (!text.empty()) GetTextExtentPoint32W(hdc, text.c_str(), int(text.size()), &size);
    return size.cx;
}

BOOL IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
BOOL IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The start and "..." and the end of a text too wide for nWidth: names that differ only at
// their end (a year, a version) stay apart. The end gets the odd unit; surrogate pairs stay
// whole. A text that fits, or a width where not even "..." fits, is returned unchanged.
std::u16string MiddleEllipsis(HDC hdc, const std::u16string& text, int nWidth)
{
    static const std::u16string kDots = u"...";
    if (TextWidth(hdc, text) <= nWidth || TextWidth(hdc, kDots) > nWidth) return text;
    auto shorten = [&text](size_t nKeep) {
        size_t nHead = nKeep / 2, nTail = nKeep - nHead;
        if (nHead > 0 && IsHighSurrogate(text[nHead - 1])) --nHead;
        size_t nTailStart = text.size() - nTail;
        if (nTailStart < text.size() && IsLowSurrogate(text[nTailStart])) ++nTailStart;
        return text.substr(0, nHead) + kDots + text.substr(nTailStart);
    };
    // The most units kept that fit; the width grows with the count kept.
    size_t nLow = 0, nHigh = text.size() - 1;
    while (nLow < nHigh) {
        size_t nMid = (nLow + nHigh + 1) / 2;
        if (TextWidth(hdc, shorten(nMid)) <= nWidth)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    return shorten(nLow);
}

}  // namespace

struct CWceUiListBoxData {
    CWceUi565Bitmap m_Cache;
    int m_nSingleItem = -1;
    int m_nItemHeight = 20;
    std::vector<CListItem> m_Items;
    CWceUiLoadBitmap m_bmpLineNormal, m_bmpLineSelect, m_bmpBarTop, m_bmpBarMiddle, m_bmpBarBottom;
    COLORREF m_crSelectText = 0;
    CWceUiLoadBitmap m_bmpCheck;
    int m_nPressed = -1;
    int m_nCurSel = -1;
    CWceUiLoadBitmap m_bmpDefaultImage;
    BOOL m_bDrawItemImage = FALSE;
    int m_nItemImageWidth = 0;
    BOOL m_bCacheInvalid = TRUE;
    int m_nTextLeftOffset = 5;
    BOOL m_bShowScrollBar = TRUE;
    BOOL m_bCopyOnScroll = TRUE;
    BOOL m_bMiddleEllipsis = FALSE;
    CCacheLook m_CacheLook;

    BOOL IsIndex(int n) const { return n >= 0 && n < int(m_Items.size()); }
};

CWceUiListBox::CWceUiListBox() : m_pData(new (std::nothrow) CWceUiListBoxData())
{
    WCEUI_CHECK("CWceUiListBox::CWceUiListBox", NULL != m_pData);
    SetVertical(1);
}

CWceUiListBox::~CWceUiListBox() { delete m_pData; }

BOOL CWceUiListBox::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiListBox::SetProperties", NULL != pCreateElem && NULL != m_pData)) return FALSE;
    CWceUiListBoxData* d = m_pData;
    LPCWSTR p;
    if ((p = pCreateElem->GetAttribute(u"extra_scroll"))) SetExtraScroll(ReadInt(p));
    if ((p = pCreateElem->GetAttribute(u"item_height"))) SetItemHeight(ReadInt(p));
    struct {
        LPCWSTR pAttr;
        CWceUiLoadBitmap* pHolder;
    } const bitmaps[] = {
        {u"linebg_normal", &d->m_bmpLineNormal}, {u"linebg_select", &d->m_bmpLineSelect},
        {u"scrollbar_top", &d->m_bmpBarTop},     {u"scrollbar_middle", &d->m_bmpBarMiddle},
        {u"scrollbar_bottom", &d->m_bmpBarBottom}, {u"item_check", &d->m_bmpCheck},
    };
    for (const auto& b : bitmaps)
        if ((p = pCreateElem->GetAttribute(b.pAttr))) b.pHolder->SetBitmapFromRes(p);
    if ((p = pCreateElem->GetAttribute(u"textcolor_select"))) d->m_crSelectText = ReadRgb(p);
    if ((p = pCreateElem->GetAttribute(u"item_image_width"))) d->m_nItemImageWidth = ReadInt(p);
    if ((p = pCreateElem->GetAttribute(u"draw_item_image"))) d->m_bDrawItemImage = (0 == WStrCmp(p, u"true"));
    if (d->m_bDrawItemImage && (p = pCreateElem->GetAttribute(u"default_item_image")))
        d->m_bmpDefaultImage.SetBitmapFromRes(p);
    if ((p = pCreateElem->GetAttribute(u"text_left_offset"))) d->m_nTextLeftOffset = ReadInt(p);
    if ((p = pCreateElem->GetAttribute(u"ellipsis"))) d->m_bMiddleEllipsis = (0 == WStrCmp(p, u"middle"));
    d->m_bCacheInvalid = TRUE;
    return CWceUiScrollLayer::SetProperties(pCreateElem);
}

void CWceUiListBox::OnInitLayer()
{
    if (m_pData) {
        RECT rc;
        GetClientRect(&rc);
        if (rc.right > rc.left && rc.bottom > rc.top) m_pData->m_Cache.CreateDIB(rc.right - rc.left, rc.bottom - rc.top);
        m_pData->m_bCacheInvalid = TRUE;
        impUpdateRange(FALSE);
    }
    CWceUiScrollLayer::OnInitLayer();
}

void CWceUiListBox::impUpdateRange(BOOL bRedraw)
{
    RECT rc;
    GetClientRect(&rc);
    // An inverted rectangle shows nothing: its content is all beyond the view.
    long long nView = rc.bottom > rc.top ? (long long)rc.bottom - rc.top : 0;
    long long nContent = (long long)m_pData->m_Items.size() * m_pData->m_nItemHeight - nView;
    if (nContent < 0) nContent = 0;
    if (nContent > 0x7FFFFFFF) nContent = 0x7FFFFFFF;
    SetScrollRange(0, int(nContent), bRedraw);
}

void CWceUiListBox::impRepaintItem(int nIndex)
{
    if (!m_pData->IsIndex(nIndex)) return;
    m_pData->m_nSingleItem = nIndex;
    InvalidateLayer();
    WceUiUpdateWnd(this);
    m_pData->m_nSingleItem = -1;
}

int CWceUiListBox::AddString(LPCWSTR pText, BOOL bRedraw)
{
    if (!m_pData || !WCEUI_CHECK("CWceUiListBox::AddString", NULL != pText)) return -1;
    CListItem item;
    item.m_strText = pText;
    m_pData->m_Items.push_back(std::move(item));
    m_pData->m_bCacheInvalid = TRUE;
    impUpdateRange(TRUE);
    if (bRedraw) InvalidateLayer();
    return int(m_pData->m_Items.size()) - 1;
}

void CWceUiListBox::ResetContent()
{
    if (!m_pData) return;
    m_pData->m_Items.clear();
    m_pData->m_nPressed = -1;
    m_pData->m_nCurSel = -1;
    SetScrollPos(0, FALSE);
    // SetScrollPos refuses a position left outside a shrunk range: force 0.
    ScrollBy(-GetScrollPos(), FALSE);
    impUpdateRange(FALSE);
    InvalidateLayer();
    m_pData->m_bCacheInvalid = TRUE;
}

int CWceUiListBox::SetItemData(int nIndex, LPARAM data)
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return -1;
    m_pData->m_Items[nIndex].m_Data = data;
    return 0;
}

LPARAM CWceUiListBox::GetItemData(int nIndex) const
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return -1;
    return m_pData->m_Items[nIndex].m_Data;
}

BOOL CWceUiListBox::SetItemImage(int nIndex, CWceUiGenericBitmap* pBitmap)
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return FALSE;
    if (pBitmap && !pBitmap->IsLoaded()) return FALSE;
    m_pData->m_Items[nIndex].m_pImage = pBitmap;
    m_pData->m_bCacheInvalid = TRUE;
    InvalidateLayer();
    return TRUE;
}

BOOL CWceUiListBox::SetItemState(int nIndex, DWORD dwState, BOOL bRedraw)
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return FALSE;
    if (m_pData->m_Items[nIndex].m_dwState == dwState) return TRUE;
    m_pData->m_Items[nIndex].m_dwState = dwState;
    if (bRedraw)
        impRepaintItem(nIndex);
    else
        m_pData->m_bCacheInvalid = TRUE;
    return TRUE;
}

BOOL CWceUiListBox::GetItemState(int nIndex, DWORD* pState) const
{
    if (!m_pData || !m_pData->IsIndex(nIndex) || !pState) return FALSE;
    *pState = m_pData->m_Items[nIndex].m_dwState;
    return TRUE;
}

LPCWSTR CWceUiListBox::GetItemText(int nIndex) const
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return NULL;
    return m_pData->m_Items[nIndex].m_strText.c_str();
}

int CWceUiListBox::SetCurSel(int nIndex, BOOL bRedraw)
{
    if (!m_pData || !m_pData->IsIndex(nIndex)) return -1;
    for (int i = 0; i < int(m_pData->m_Items.size()); ++i) {
        DWORD dw = m_pData->m_Items[i].m_dwState;
        if (i != nIndex && (dw & WCEUI_ITEM_SELECTED)) SetItemState(i, dw & ~DWORD(WCEUI_ITEM_SELECTED), bRedraw);
    }
    DWORD dw = m_pData->m_Items[nIndex].m_dwState;
    if (0 == (dw & WCEUI_ITEM_SELECTED)) SetItemState(nIndex, dw | WCEUI_ITEM_SELECTED, bRedraw);
    m_pData->m_nCurSel = nIndex;
    return nIndex;
}

int CWceUiListBox::GetCurSel() const { return m_pData ? m_pData->m_nCurSel : -1; }
int CWceUiListBox::GetCount() const { return m_pData ? int(m_pData->m_Items.size()) : 0; }
int CWceUiListBox::GetPressedIndex() const { return m_pData ? m_pData->m_nPressed : -1; }
int CWceUiListBox::GetItemHeight() const { return m_pData ? m_pData->m_nItemHeight : 20; }

void CWceUiListBox::SetItemHeight(int nHeight)
{
    if (!m_pData || !WCEUI_CHECK("CWceUiListBox::SetItemHeight", nHeight > 0)) return;
    m_pData->m_nItemHeight = nHeight;
    m_pData->m_bCacheInvalid = TRUE;
    if (GetLayerCtrl()) impUpdateRange(FALSE);
}

void CWceUiListBox::SetCopyOnScroll(BOOL bCopy)
{
    if (m_pData) m_pData->m_bCopyOnScroll = bCopy ? TRUE : FALSE;
}

void CWceUiListBox::SetMiddleEllipsis(BOOL bMiddle)
{
    if (!m_pData) return;
    m_pData->m_bMiddleEllipsis = bMiddle ? TRUE : FALSE;
    InvalidateCache();
}

BOOL CWceUiListBox::GetMiddleEllipsis() const { return m_pData && m_pData->m_bMiddleEllipsis; }

void CWceUiListBox::ShowScrollBar(BOOL bShow)
{
    if (m_pData) m_pData->m_bShowScrollBar = bShow ? TRUE : FALSE;
}

void CWceUiListBox::InvalidateCache()
{
    if (m_pData) m_pData->m_bCacheInvalid = TRUE;
}

BOOL CWceUiListBox::IsCacheValid() const { return m_pData && !m_pData->m_bCacheInvalid; }

void CWceUiListBox::OnLButtonDown(UINT nFlags, int x, int y)
{
    if (m_pData) {
        // A press whose pen-up was lost ends first, its item with it.
        if (IsPressed()) OnLoseCapture();
        POINT pt = {x, y};
        WindowToClient(&pt);
        int nIndex = FloorDiv((long long)pt.y + GetScrollPos(), m_pData->m_nItemHeight);
        m_pData->m_nPressed = m_pData->IsIndex(nIndex) ? nIndex : -1;
        if (m_pData->m_nPressed >= 0) impRepaintItem(m_pData->m_nPressed);
    }
    CWceUiScrollLayer::OnLButtonDown(nFlags, x, y);
}

void CWceUiListBox::OnMouseMove(UINT nFlags, int x, int y)
{
    CWceUiScrollLayer::OnMouseMove(nFlags, x, y);
    if (m_pData && IsDragging() && m_pData->m_nPressed >= 0) {
        int nOld = m_pData->m_nPressed;
        m_pData->m_nPressed = -1;
        impRepaintItem(nOld);
    }
}

void CWceUiListBox::OnLButtonUp(UINT nFlags, int x, int y)
{
    CWceUiScrollLayer::OnLButtonUp(nFlags, x, y);
    if (m_pData && m_pData->m_nPressed >= 0) {
        int nOld = m_pData->m_nPressed;
        m_pData->m_nCurSel = nOld;
        WceUiPostToWnd(this, WCEUI_MSG_LIST_TAP, 1, reinterpret_cast<LPARAM>(this));
        m_pData->m_nPressed = -1;
        impRepaintItem(nOld);
    }
}

// The pressed item is dropped with the capture: a later pen-up must not tap it.
void CWceUiListBox::OnLoseCapture()
{
    CWceUiScrollLayer::OnLoseCapture();
    if (m_pData && m_pData->m_nPressed >= 0) {
        int nOld = m_pData->m_nPressed;
        m_pData->m_nPressed = -1;
        impRepaintItem(nOld);
    }
}

void CWceUiListBox::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    CWceUiListBoxData* d = m_pData;
    if (!d || !pDrawBitmap) return;
    RECT R;
    GetClientRect(&R);
    int nWidth = R.right - R.left, nHeight = R.bottom - R.top;
    if (nWidth <= 0 || nHeight <= 0) return;
    if (!bClient) ClientToWindow(&R);
    RECT rcClip = WceUiPaintClipOf(this, R);

    CWceUiStyleData* pRec = CWceUiLayer::GetData()->Rec();
    CCacheLook look;
    look.m_nPos = GetScrollPos();
    look.m_nWidth = nWidth;
    look.m_nHeight = nHeight;
    look.m_crText = pRec->m_TextColor.GetColor();
    look.m_hFont = pRec->m_FontCtrl.GetFont();

    // A cache of another size (the layer was resized) or look is of no use.
    if (d->m_Cache.GetWidth() != nWidth || d->m_Cache.GetHeight() != nHeight) {
        d->m_Cache.CreateDIB(nWidth, nHeight);
        d->m_bCacheInvalid = TRUE;
    }
    BOOL bCacheUsable = !d->m_bCacheInvalid && d->m_Cache.IsLoaded() && look == d->m_CacheLook;

    // D: what must be drawn anew.
    RECT D = R;
    int nSingle = -1;
    if (IsScrolling() && bCacheUsable && d->m_bCopyOnScroll) {
        int s = d->m_CacheLook.m_nPos - look.m_nPos;  // from where the cache was painted
        if (s > 0 && s < nHeight) {
            pDrawBitmap->BitBlt(R.left, R.top + s, nWidth, nHeight - s, &d->m_Cache, 0, 0, SRCCOPY);
            D.bottom = R.top + s;
        } else if (s < 0 && -s < nHeight) {
            pDrawBitmap->BitBlt(R.left, R.top, nWidth, nHeight + s, &d->m_Cache, 0, -s, SRCCOPY);
            D.top = R.bottom + s;
        } else if (0 == s) {
            pDrawBitmap->BitBlt(R.left, R.top, nWidth, nHeight, &d->m_Cache, 0, 0, SRCCOPY);
            SetRectEmpty(&D);
        }
    } else if (d->IsIndex(d->m_nSingleItem) && bCacheUsable && d->m_CacheLook.m_nPos == look.m_nPos) {
        pDrawBitmap->BitBlt(R.left, R.top, nWidth, nHeight, &d->m_Cache, 0, 0, SRCCOPY);
        nSingle = d->m_nSingleItem;
    }
    RECT rcDraw;  // D within the paint limit
    if (!IntersectRect(&rcDraw, &D, &rcClip)) SetRectEmpty(&rcDraw);

    // Items whose rows meet the area drawn.
    int nFirst = 0, nLast = -1;
    const long long nTop = (long long)R.top - look.m_nPos;
    if (nSingle >= 0) {
        nFirst = nLast = nSingle;
    } else if (!IsRectEmpty(&rcDraw)) {
        long long nBottom = nTop + (long long)d->m_Items.size() * d->m_nItemHeight;
        long long iTop = rcDraw.top > nTop ? rcDraw.top : nTop;
        long long iBottom = rcDraw.bottom < nBottom ? rcDraw.bottom : nBottom;
        if (iTop < iBottom) {
            nFirst = int((iTop - nTop) / d->m_nItemHeight);
            nLast = int((iBottom - nTop - 1) / d->m_nItemHeight);
        }
    }

    if (nFirst <= nLast) {
        HBITMAP hBitmap = pDrawBitmap->GetHBitmap(NULL);
        HDC hdc = hBitmap ? CreateCompatibleDC(NULL) : NULL;
        if (hdc) {
            HGDIOBJ hOldBitmap = SelectObject(hdc, hBitmap);
            int nOldMode = SetBkMode(hdc, TRANSPARENT);
            HFONT hFont = look.m_hFont ? look.m_hFont : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
            HGDIOBJ hOldFont = SelectObject(hdc, hFont);
            COLORREF crOld = SetTextColor(hdc, look.m_crText);
            CWceUiGenericBitmap* pCheck = d->m_bmpCheck.GetBitmap();
            for (int i = nFirst; i <= nLast; ++i) {
                const CListItem& item = d->m_Items[i];
                // Skin values can put a row where no coordinate reaches: such a row is not drawn.
                const long long nRowTop = nTop + (long long)i * d->m_nItemHeight;
                const long long nRowBottom = nRowTop + d->m_nItemHeight;
                if (!WceUiIsPlaceable(nRowTop) || !WceUiIsPlaceable(nRowBottom)) continue;
                RECT rcItem = {R.left, int(nRowTop), R.right, int(nRowBottom)};
                RECT rcItemDraw;
                if (!IntersectRect(&rcItemDraw, &rcItem, &rcDraw)) continue;
                BOOL bPressed = (i == d->m_nPressed);
                CWceUiGenericBitmap* pLine = (bPressed ? d->m_bmpLineSelect : d->m_bmpLineNormal).GetBitmap();
                if (pLine)
                    WceUiDrawClipped(pDrawBitmap, rcItemDraw, rcItem.left, rcItem.top, pLine->GetWidth(),
                                     pLine->GetHeight(), pLine, 0, 0, WCEUI_DRAW_COPY);
                SetTextColor(hdc, bPressed ? d->m_crSelectText : look.m_crText);
                RECT rcText = rcItem;
                rcText.left = WceUiClampCoord((long long)rcItem.left +
                                              (d->m_bDrawItemImage ? d->m_nItemImageWidth : d->m_nTextLeftOffset));
                if (pCheck) rcText.right = WceUiClampCoord((long long)rcItem.right - pCheck->GetWidth());
                SelectClipRgn(hdc, NULL);
                IntersectClipRect(hdc, rcItemDraw.left, rcItemDraw.top, rcItemDraw.right, rcItemDraw.bottom);
                if (d->m_bMiddleEllipsis) {
                    std::u16string strShown = MiddleEllipsis(hdc, item.m_strText, rcText.right - rcText.left);
                    DrawTextW(hdc, strShown.c_str(), int(strShown.size()), &rcText,
                              DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
                } else {
                    DrawTextW(hdc, item.m_strText.c_str(), int(item.m_strText.size()), &rcText,
                              DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
                }
                if (d->m_bDrawItemImage) {
                    CWceUiGenericBitmap* pImage = item.m_pImage ? item.m_pImage : d->m_bmpDefaultImage.GetBitmap();
                    if (pImage) {
                        long long x = rcItem.left + ((long long)d->m_nItemImageWidth - pImage->GetWidth()) / 2;
                        long long y = rcItem.top + ((long long)d->m_nItemHeight - pImage->GetHeight()) / 2;
                        WceUiDrawClipped(pDrawBitmap, rcItemDraw, x, y, pImage->GetWidth(), pImage->GetHeight(),
                                         pImage, 0, 0, WCEUI_DRAW_AUTO);
                    }
                }
                if (pCheck && (item.m_dwState & WCEUI_ITEM_SELECTED))
                    WceUiDrawClipped(pDrawBitmap, rcItemDraw, (long long)rcItem.right - pCheck->GetWidth() - 5, rcItem.top,
                                     pCheck->GetWidth(), pCheck->GetHeight(), pCheck, 0, 0, WCEUI_DRAW_BLEND);
            }
            SelectClipRgn(hdc, NULL);
            SetTextColor(hdc, crOld);
            SelectObject(hdc, hOldFont);
            SetBkMode(hdc, nOldMode);
            SelectObject(hdc, hOldBitmap);
            DeleteDC(hdc);
        }
        if (hBitmap) pDrawBitmap->Unlock();
    }

    // The cache takes R only when all of it is right now: painted whole, or rebuilt from
    // a usable cache.
    RECT rcInClip;
    BOOL bWhole = IntersectRect(&rcInClip, &R, &rcClip) && EqualRect(&rcInClip, &R);
    if (bWhole && d->m_Cache.IsLoaded()) {
        d->m_Cache.BitBlt(0, 0, nWidth, nHeight, pDrawBitmap, R.left, R.top, SRCCOPY);
        d->m_bCacheInvalid = FALSE;
        d->m_CacheLook = look;
    } else {
        d->m_bCacheInvalid = TRUE;
    }
    DrawScrollBar(pDrawBitmap, R);
}

void CWceUiListBox::DrawScrollBar(CWceUiGenericBitmap* pDrawBitmap, const RECT& rc)
{
    CWceUiListBoxData* d = m_pData;
    int nLen = GetThumbLength();
    if (!d || !pDrawBitmap || nLen < 1 || !d->m_bShowScrollBar) return;
    RECT R;
    RECT rcClip = WceUiPaintClipOf(this, rc);
    if (!IntersectRect(&R, &rc, &rcClip)) return;
    const long long nTop = (long long)rc.top + GetThumbPos();
    CWceUiGenericBitmap* pTop = d->m_bmpBarTop.GetBitmap();
    CWceUiGenericBitmap* pMid = d->m_bmpBarMiddle.GetBitmap();
    CWceUiGenericBitmap* pBot = d->m_bmpBarBottom.GetBitmap();
    int nTopH = pTop ? pTop->GetHeight() : 0, nBotH = pBot ? pBot->GetHeight() : 0;
    if (pTop)
        WceUiDrawClipped(pDrawBitmap, R, rc.right - pTop->GetWidth(), nTop, pTop->GetWidth(), nTopH, pTop, 0, 0,
                         WCEUI_DRAW_BLEND);
    if (pMid) {
        int nMidH = nLen - nTopH - nBotH;
        if (nMidH > pMid->GetHeight()) nMidH = pMid->GetHeight();
        WceUiDrawClipped(pDrawBitmap, R, rc.right - pMid->GetWidth(), nTop + nTopH, pMid->GetWidth(), nMidH, pMid, 0,
                         0, WCEUI_DRAW_BLEND);
    }
    if (pBot)
        WceUiDrawClipped(pDrawBitmap, R, rc.right - pBot->GetWidth(), nTop + nLen - nBotH, pBot->GetWidth(), nBotH,
                         pBot, 0, 0, WCEUI_DRAW_BLEND);
}
