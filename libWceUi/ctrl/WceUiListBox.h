// A vertical list of single-line text items with optional images, a check mark for selected
// items, a pressed highlight and a scroll bar. A tap posts WCEUI_MSG_LIST_TAP (wParam 1,
// lParam the list box). The last rendering is kept in a cache so that a scroll step draws
// only the newly exposed strip.
#pragma once

#include "WceUiScrollLayer.h"
#include "wce/types.h"

struct CWceUiListBoxData;
struct CWceUiListCacheLook;
class CWceUiTextPainter;

enum { WCEUI_MSG_LIST_TAP = 33768 };
enum { WCEUI_ITEM_SELECTED = 2 };

class CWceUiListBox : public CWceUiScrollLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiListBox, CWceUiScrollLayer)

public:
    // ---- Life ----
    CWceUiListBox();
    virtual ~CWceUiListBox();
    void OnInitLayer() override;

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    int GetItemHeight() const;
    void SetItemHeight(int nHeight);
    void SetCopyOnScroll(BOOL bCopy);
    // Texts too wide for their row keep their start and end around "..." (the attribute
    // ellipsis="middle"); by default they are cut at the end.
    void SetMiddleEllipsis(BOOL bMiddle);
    BOOL GetMiddleEllipsis() const;
    void ShowScrollBar(BOOL bShow);

    // ---- Public calls ----
    // Indices are 0-based; an index outside [0, GetCount ()) fails and changes nothing.
    int AddString(LPCWSTR pText, BOOL bRedraw = TRUE);
    void ResetContent();
    int SetItemData(int nIndex, LPARAM data);
    // -1 for a bad index, which data can equal: check the index first.
    LPARAM GetItemData(int nIndex) const;
    // The bitmap is the caller's; null clears. A given bitmap must be loaded.
    BOOL SetItemImage(int nIndex, CWceUiGenericBitmap* pBitmap);
    BOOL SetItemState(int nIndex, DWORD dwState, BOOL bRedraw);
    BOOL GetItemState(int nIndex, DWORD* pState) const;
    LPCWSTR GetItemText(int nIndex) const;
    int SetCurSel(int nIndex, BOOL bRedraw);
    int GetCurSel() const;
    int GetCount() const;
    int GetPressedIndex() const;
    // Drops the cached rendering: the next paint draws every item.
    void InvalidateCache();
    BOOL IsCacheValid() const;

    // ---- Input ----
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnLoseCapture() override;

    // ---- Painting ----
    void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) override;
    virtual void DrawScrollBar(CWceUiGenericBitmap* pDrawBitmap, const RECT& rc);

    CWceUiListBoxData* GetData() const { return m_pData; }

private:
    void impUpdateRange(BOOL bRedraw);
    void impRepaintItem(int nIndex);
    // The paint's steps. The rows the cache still holds are copied to the list at rcList and
    // *pDraw is cut to what must be drawn anew; returns the one item to draw over a whole
    // copy (a repaint of that item), else -1.
    int impDrawCachedRows(CWceUiGenericBitmap* pDrawBitmap, const RECT& rcList, const CWceUiListCacheLook& look,
                          RECT* pDraw);
    // The items whose rows meet rcDraw at scroll position nPos (only nSingle when it is one);
    // none when *pnFirst > *pnLast.
    void impGetVisibleRange(const RECT& rcList, const RECT& rcDraw, int nPos, int nSingle, int* pnFirst,
                            int* pnLast) const;
    // Item nIndex's row within rcDraw: background, text, image and check mark.
    void impDrawItem(CWceUiGenericBitmap* pDrawBitmap, CWceUiTextPainter& painter, CWceUiGenericBitmap* pCheck,
                     int nIndex, const RECT& rcList, const RECT& rcDraw, const CWceUiListCacheLook& look);

    CWceUiListBoxData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiListBox, CWceUiScrollLayer)
