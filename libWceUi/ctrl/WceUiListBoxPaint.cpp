// CWceUiListBox: painting. The last rendering is kept in a cache, so that a scroll step
// copies the rows it still shows and draws only the newly exposed strip, and a pressed item
// is drawn alone over the copy.
#include <string>

#include "WceUiCtrlPrivate.h"
#include "WceUiListBox.h"
#include "WceUiListBoxData.h"
#include "WceUiStyle.h"
#include "WceUiTextPainter.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"

// ---- Painting ----

namespace {

int TextWidth(const CWceUiTextPainter& painter, const std::u16string& text)
{
    return painter.GetTextWidth(text.c_str(), int(text.size()));
}

BOOL IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
BOOL IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The start and "..." and the end of a text too wide for nWidth: names that differ only at
// their end (a year, a version) stay apart. The end gets the odd unit; surrogate pairs stay
// whole. A text that fits, or a width where not even "..." fits, is returned unchanged.
std::u16string MiddleEllipsis(const CWceUiTextPainter& painter, const std::u16string& text, int nWidth)
{
    static const std::u16string kDots = u"...";
    if (TextWidth(painter, text) <= nWidth || TextWidth(painter, kDots) > nWidth) return text;
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
        if (TextWidth(painter, shorten(nMid)) <= nWidth)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    return shorten(nLow);
}

}  // namespace

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
    CWceUiListCacheLook look;
    look.m_nPos = GetScrollPos();
    look.m_nWidth = nWidth;
    look.m_nHeight = nHeight;
    look.m_crText = pRec->m_TextColor.GetColor();
    look.m_hFont = pRec->m_FontCtrl.GetFont();

    // D: what must be drawn anew.
    RECT D = R;
    const int nSingle = impDrawCachedRows(pDrawBitmap, R, look, &D);
    RECT rcDraw;  // D within the paint limit
    if (!IntersectRect(&rcDraw, &D, &rcClip)) SetRectEmpty(&rcDraw);

    int nFirst = 0, nLast = -1;
    impGetVisibleRange(R, rcDraw, look.m_nPos, nSingle, &nFirst, &nLast);
    if (nFirst <= nLast) {
        CWceUiTextPainter painter(pDrawBitmap, look.m_hFont, look.m_crText, &rcDraw);
        if (painter.IsReady()) {
            CWceUiGenericBitmap* pCheck = d->m_bmpCheck.GetBitmap();
            for (int i = nFirst; i <= nLast; ++i) impDrawItem(pDrawBitmap, painter, pCheck, i, R, rcDraw, look);
        }
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

int CWceUiListBox::impDrawCachedRows(CWceUiGenericBitmap* pDrawBitmap, const RECT& R, const CWceUiListCacheLook& look,
                                     RECT* pDraw)
{
    CWceUiListBoxData* d = m_pData;
    const int nWidth = look.m_nWidth, nHeight = look.m_nHeight;
    // A cache of another size (the layer was resized) or look is of no use.
    if (d->m_Cache.GetWidth() != nWidth || d->m_Cache.GetHeight() != nHeight) {
        d->m_Cache.CreateDIB(nWidth, nHeight);
        d->m_bCacheInvalid = TRUE;
    }
    BOOL bCacheUsable = !d->m_bCacheInvalid && d->m_Cache.IsLoaded() && look == d->m_CacheLook;

    RECT& D = *pDraw;
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
    return nSingle;
}

void CWceUiListBox::impGetVisibleRange(const RECT& R, const RECT& rcDraw, int nPos, int nSingle, int* pnFirst,
                                       int* pnLast) const
{
    const CWceUiListBoxData* d = m_pData;
    int nFirst = 0, nLast = -1;
    const long long nTop = (long long)R.top - nPos;
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
    *pnFirst = nFirst;
    *pnLast = nLast;
}

void CWceUiListBox::impDrawItem(CWceUiGenericBitmap* pDrawBitmap, CWceUiTextPainter& painter,
                                CWceUiGenericBitmap* pCheck, int i, const RECT& R, const RECT& rcDraw,
                                const CWceUiListCacheLook& look)
{
    CWceUiListBoxData* d = m_pData;
    const CWceUiListItem& item = d->m_Items[i];
    const long long nTop = (long long)R.top - look.m_nPos;
    // Skin values can put a row where no coordinate reaches: such a row is not drawn.
    const long long nRowTop = nTop + (long long)i * d->m_nItemHeight;
    const long long nRowBottom = nRowTop + d->m_nItemHeight;
    if (!WceUiIsPlaceable(nRowTop) || !WceUiIsPlaceable(nRowBottom)) return;
    RECT rcItem = {R.left, int(nRowTop), R.right, int(nRowBottom)};
    RECT rcItemDraw;
    if (!IntersectRect(&rcItemDraw, &rcItem, &rcDraw)) return;
    BOOL bPressed = (i == d->m_nPressed);
    CWceUiGenericBitmap* pLine = (bPressed ? d->m_bmpLineSelect : d->m_bmpLineNormal).GetBitmap();
    if (pLine)
        WceUiDrawClipped(pDrawBitmap, rcItemDraw, rcItem.left, rcItem.top, pLine->GetWidth(), pLine->GetHeight(), pLine,
                         0, 0, WCEUI_DRAW_COPY);
    painter.SetTextColor(bPressed ? d->m_crSelectText : look.m_crText);
    RECT rcText = rcItem;
    rcText.left = WceUiClampCoord((long long)rcItem.left +
                                  (d->m_bDrawItemImage ? d->m_nItemImageWidth : d->m_nTextLeftOffset));
    if (pCheck) rcText.right = WceUiClampCoord((long long)rcItem.right - pCheck->GetWidth());
    painter.ClipTo(rcItemDraw);
    if (d->m_bMiddleEllipsis) {
        std::u16string strShown = MiddleEllipsis(painter, item.m_strText, rcText.right - rcText.left);
        painter.DrawText(strShown.c_str(), int(strShown.size()), &rcText, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
    } else {
        painter.DrawText(item.m_strText.c_str(), int(item.m_strText.size()), &rcText,
                         DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
    }
    if (d->m_bDrawItemImage) {
        CWceUiGenericBitmap* pImage = item.m_pImage ? item.m_pImage : d->m_bmpDefaultImage.GetBitmap();
        if (pImage) {
            long long x = rcItem.left + ((long long)d->m_nItemImageWidth - pImage->GetWidth()) / 2;
            long long y = rcItem.top + ((long long)d->m_nItemHeight - pImage->GetHeight()) / 2;
            WceUiDrawClipped(pDrawBitmap, rcItemDraw, x, y, pImage->GetWidth(), pImage->GetHeight(), pImage, 0, 0,
                             WCEUI_DRAW_AUTO);
        }
    }
    if (pCheck && (item.m_dwState & WCEUI_ITEM_SELECTED))
        WceUiDrawClipped(pDrawBitmap, rcItemDraw, (long long)rcItem.right - pCheck->GetWidth() - 5, rcItem.top,
                         pCheck->GetWidth(), pCheck->GetHeight(), pCheck, 0, 0, WCEUI_DRAW_BLEND);
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
