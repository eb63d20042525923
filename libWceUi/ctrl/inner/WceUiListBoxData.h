// The list box's data, shared by its calls (WceUiListBox.cpp) and its painting
// (WceUiListBoxPaint.cpp).
#pragma once

#include <string>
#include <vector>

#include "WceUi565Bitmap.h"
#include "WceUiLoadBitmap.h"
#include "wce/gdi.h"

struct CWceUiListItem {
    std::u16string m_strText;
    LPARAM m_Data = 0;
    DWORD m_dwState = 0;
    CWceUiGenericBitmap* m_pImage = NULL;  // the caller's
};

// What the cached pixels depend on besides the items: a change repaints everything.
struct CWceUiListCacheLook {
    int m_nPos = 0;
    int m_nWidth = 0, m_nHeight = 0;
    COLORREF m_crText = 0;
    HFONT m_hFont = NULL;
    bool operator==(const CWceUiListCacheLook& o) const
    {
        return m_nWidth == o.m_nWidth && m_nHeight == o.m_nHeight && m_crText == o.m_crText && m_hFont == o.m_hFont;
    }
};

struct CWceUiListBoxData {
    CWceUi565Bitmap m_Cache;
    int m_nSingleItem = -1;
    int m_nItemHeight = 20;
    std::vector<CWceUiListItem> m_Items;
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
    CWceUiListCacheLook m_CacheLook;

    BOOL IsIndex(int n) const { return n >= 0 && n < int(m_Items.size()); }
};
