#include "WceUiListBox.h"

#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "WceUiCtrlPrivate.h"
#include "WceUiListBoxData.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/wstring.h"

// ---- Life ----

CWceUiListBox::CWceUiListBox() : m_pData(new (std::nothrow) CWceUiListBoxData())
{
    WCEUI_CHECK("CWceUiListBox::CWceUiListBox", NULL != m_pData);
    SetVertical(1);
}

CWceUiListBox::~CWceUiListBox() { delete m_pData; }

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

// ---- Properties ----

namespace {

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

}  // namespace

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

// ---- Public calls ----

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
    try {
        CWceUiListItem item;
        item.m_strText = pText;
        m_pData->m_Items.push_back(std::move(item));
    } catch (const std::bad_alloc&) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiListBox::AddString failed, no memory");
        return -1;
    }
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

void CWceUiListBox::InvalidateCache()
{
    if (m_pData) m_pData->m_bCacheInvalid = TRUE;
}

BOOL CWceUiListBox::IsCacheValid() const { return m_pData && !m_pData->m_bCacheInvalid; }

// ---- Input ----

namespace {

// Floor division: rows above the first item have negative indices.
int FloorDiv(long long a, int b) { return int(a >= 0 ? a / b : -((-a + b - 1) / b)); }

}  // namespace

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
