// A vertical list of single-line text items with optional images, a check mark for selected
// items, a pressed highlight and a scroll bar. A tap posts WCEUI_MSG_LIST_TAP (wParam 1,
// lParam the list box). The last rendering is kept in a cache so that a scroll step draws
// only the newly exposed strip.
#pragma once

#include "WceUiScrollLayer.h"
#include "wce/types.h"

struct CWceUiListBoxData;

enum { WCEUI_MSG_LIST_TAP = 33768 };
enum { WCEUI_ITEM_SELECTED = 2 };

class CWceUiListBox : public CWceUiScrollLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiListBox, CWceUiScrollLayer)

public:
    CWceUiListBox();
    virtual ~CWceUiListBox();

    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    void OnInitLayer() override;
    void OnLoseCapture() override;
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) override;
    virtual void DrawScrollBar(CWceUiGenericBitmap* pDrawBitmap, const RECT& rc);

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

    int GetItemHeight() const;
    void SetItemHeight(int nHeight);
    void SetCopyOnScroll(BOOL bCopy);
    // Texts too wide for their row keep their start and end around "..." (the attribute
    // ellipsis="middle"); by default they are cut at the end.
    void SetMiddleEllipsis(BOOL bMiddle);
    BOOL GetMiddleEllipsis() const;
    void ShowScrollBar(BOOL bShow);
    // Drops the cached rendering: the next paint draws every item.
    void InvalidateCache();
    BOOL IsCacheValid() const;

    CWceUiListBoxData* GetData() const { return m_pData; }

private:
    void impUpdateRange(BOOL bRedraw);
    void impRepaintItem(int nIndex);

    CWceUiListBoxData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiListBox, CWceUiScrollLayer)
