// A layer: a named rectangle of a window with a style, a text, timers and registered
// messages. Layers form one tree per window; its controller (CWceUiLayerCtrl) creates,
// lists and deletes them. Controls and dialogs derive from CWceUiLayer and override its
// virtual operations.
//
// The operations live in one file per concern: tree and names (WceUiLayer.cpp), flags and
// position (WceUiLayerLayout.cpp), style and text (WceUiLayerStyle.cpp), timers, messages
// and capture (WceUiLayerInput.cpp), painting (WceUiLayerPaint.cpp).
#pragma once

#include <cstddef>
#include <type_traits>

#include "WceUiObject.h"
#include "wce/types.h"

class CWceUiLayer;
class CWceUiLayerCtrl;
class CWceUiXmlElem;
class CWceUiGenericBitmap;
class CWceUiStyle;
class CWceUiBgItem;
struct CWceUiLayerData;

// A layer's places in its parent's child list and in its controller's draw, need-draw and
// input lists. The lists link these records, not the (polymorphic) layers, so the link
// offsets they use are those of a standard-layout type.
struct CWceUiLayerLinks {
    CWceUiLayer* m_pLayer;  // the layer these links belong to
    CWceUiLayerLinks* m_pDrawPre;
    CWceUiLayerLinks* m_pDrawNext;
    CWceUiLayerLinks* m_pNeedDrawNext;
    CWceUiLayerLinks* m_pSiblingPre;
    CWceUiLayerLinks* m_pSiblingNext;
    CWceUiLayerLinks* m_pInputNext;
};
static_assert(std::is_standard_layout<CWceUiLayerLinks>::value, "the lists take offsets inside the links");

#define WCEUI_LINK_OFFSET(member) static_cast<int>(offsetof(CWceUiLayerLinks, member))

// Layout flags that ShowLayer and EnableLayer can also write into the common style.
enum {
    WCEUI_FLAG_SHOWN = 0,
    WCEUI_FLAG_ENABLED = 1,
};

// Position ways.
enum {
    WCEUI_POS_WINDOW = 0,    // the rectangle is in window coordinates
    WCEUI_POS_RELATIVE = 1,  // relative to the parent's window rectangle
};

// Makes a destination and a source rectangle the same size by placing the smaller inside
// the larger as nAlign says (1 or 4 centre, 2 right, 8 bottom, else left and top).
BOOL CalcAlignRects(RECT* pOutDst, RECT* pOutSrc, const RECT* pDstRect, const RECT* pSrcRect, UINT nAlign);

class CWceUiLayer : public CWceUiObject {
    WCEUI_DYNCREATE_BEGIN(CWceUiLayer, CWceUiObject)

public:
    CWceUiLayer();
    // Only the controller deletes layers.
    virtual ~CWceUiLayer();
    CWceUiLayer(const CWceUiLayer&) = delete;
    CWceUiLayer& operator=(const CWceUiLayer&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual BOOL SetProperties(CWceUiXmlElem* pCreateElem);
    virtual void OnLoad() {}
    virtual void OnInitLayer() {}
    virtual void OnTimer(WORD nTimerId) { (void)nTimerId; }
    virtual void OnLoseCapture() {}
    virtual LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        (void)msg, (void)wParam, (void)lParam;
        return 0;
    }
    virtual void OnLButtonDown(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }
    virtual void OnLButtonUp(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }
    virtual void OnLButtonDblClk(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }
    virtual void OnMouseMove(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar, (void)nRepCnt, (void)nFlags; }
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) { (void)nChar, (void)nRepCnt, (void)nFlags; }
    virtual void OnChildClick(CWceUiLayer* pChild) { (void)pChild; }
    virtual void OnUpdateText();
    virtual void OnDraw(CWceUiGenericBitmap* pWndBitmap, RECT rcDraw);
    virtual void OnDrawBackGround(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient);
    virtual void OnDrawBgImgs(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient);
    virtual void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient);
    virtual void OnDrawExtra(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) { (void)pDrawBitmap, (void)bClient; }
    // The controller took the typing focus from this layer (CWceUiLayerCtrl::SetFocusLayer).
    virtual void OnKillFocus() {}

    // ---- Tree ----
    BOOL AppendChild(CWceUiLayer* pNewChild);
    BOOL AddHeadChild(CWceUiLayer* pNewChild);
    BOOL InsertBefore(CWceUiLayer* pBeforeThis, CWceUiLayer* pNewChild);
    BOOL InsertAfter(CWceUiLayer* pAfterThis, CWceUiLayer* pNewChild);
    BOOL RemoveChild(CWceUiLayer* pChild);
    BOOL RemoveTail();
    BOOL MoveBefore(CWceUiLayer* pBeforeThis);
    BOOL MoveAfter(CWceUiLayer* pAfterThis);

    CWceUiLayer* GetParent() const;
    CWceUiLayer* GetFirstChild() const;
    CWceUiLayer* GetLastChild() const;
    int GetChildCount() const;
    CWceUiLayer* GetChildByIndex(int nIndex) const;
    CWceUiLayer* PreChild(CWceUiLayer* pCurLayer) const;
    CWceUiLayer* NextChild(CWceUiLayer* pCurLayer) const;
    CWceUiLayer* GetParentOrSelf();
    CWceUiLayer* GetDlg();
    CWceUiLayerCtrl* GetLayerCtrl() const;
    BOOL SetLayerCtrl(CWceUiLayerCtrl* pLayerCtrl);

    // ---- Names, ids, user data ----
    BOOL SetName(LPCWSTR pName);
    LPCWSTR GetName() const;
    BOOL IsEqualName(LPCWSTR pName) const;
    CWceUiLayer* GetChildByName(LPCWSTR pChildName) const;
    CWceUiLayer* GetLayerByName(LPCWSTR pName);
    void SetLayerId(WORD nLayerId);
    WORD GetLayerId() const;
    void SetUserData(DWORD dwUserData);
    DWORD GetUserData() const;

    // ---- Text ----
    BOOL SetText(LPCWSTR pText);
    BOOL SetTextResID(LPCWSTR pTextResID);
    BOOL SetTextResID(UINT nTextResID);
    LPCWSTR GetTextResID() const;
    LPCWSTR GetText();

    // ---- Layout flags ----
    BOOL ShowLayer(BOOL bShow, BOOL bToCommonStyle = FALSE);
    BOOL EnableLayer(BOOL bEnable, BOOL bToCommonStyle = FALSE);
    BOOL SetLayerContainer(BOOL bContainer);
    BOOL SetLayerNoDraw(BOOL bNoDraw);
    BOOL SetLayerNoInput(BOOL bNoInput);
    BOOL IsLayerVisible() const;
    BOOL IsLayerEnabled() const;
    BOOL IsLayerContainer() const;
    BOOL IsLayerNoDraw() const;
    BOOL IsLayerNoInput() const;
    void SetReDraw(BOOL bReDraw);
    BOOL IsReDraw() const;
    // The layer's own flags, without its ancestors'.
    BOOL IsLayerShown() const;
    BOOL IsLayerSelfEnabled() const;
    BOOL IsLayerSelfNoDraw() const;
    BOOL IsLayerSelfNoInput() const;

    // ---- Position ----
    BOOL SetLayerPosition(const RECT* lpRect, int posWay, BOOL bRedraw = TRUE);
    BOOL MoveLayer(int x, int y, int cx, int cy, BOOL bRedraw = TRUE);
    BOOL MoveLayer(const RECT* lpRect, BOOL bRedraw = TRUE);
    BOOL SetWindowPos(int x, int y, int cx, int cy, UINT nFlags);
    // The stored position and way.
    int GetLayerPosition(RECT* lpRect) const;
    BOOL GetWindowRect(RECT* lpRect) const;
    BOOL GetClientRect(RECT* lpRect) const;
    BOOL ClientToWindow(RECT* lpRect) const;
    BOOL WindowToClient(RECT* lpRect) const;
    BOOL ClientToWindow(POINT* lpPoint) const;
    BOOL WindowToClient(POINT* lpPoint) const;

    // ---- Painting support ----
    BOOL InvalidateLayer(const RECT* pRect = NULL);
    BOOL SetNeedDrawRect(const RECT* lpRect);
    BOOL GetNeedDrawRect(RECT* lpRect) const;
    BOOL IsLayerTransparent();
    BOOL HasAlphaFilter() const;
    void FreeBmpRes();
    void DrawOneBgImg(CWceUiBgItem* pBgItem, CWceUiGenericBitmap* pDrawBitmap, BOOL bClient);
    virtual void OnDrawMixColorFilter(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient);

    // ---- Style ----
    BOOL SetStyle(LPCWSTR pStyleName);
    BOOL SetCommonStyle(LPCWSTR pCommonStyleName);
    CWceUiStyle* GetStyle();
    CWceUiStyle* GetCommonStyle();

    // ---- Timers, messages, capture ----
    BOOL SetTimer(WORD nTimerId, UINT nElapse);
    BOOL KillTimer(WORD nTimerId);
    void KillAllTimers();
    BOOL RegisterMsg(UINT nMsg);
    BOOL UnRegisterMsg(UINT nMsg);
    void UnRegisterAllMsg();
    BOOL SetCapture();
    BOOL ReleaseCapture();

    // ---- Building from XML ----
    BOOL CreateAllChilds(CWceUiXmlElem* pElem, CWceUiLayer** ppFirst = NULL);

    // ---- Links (for the controller's lists) ----
    CWceUiLayerLinks* GetLinks() { return &m_Links; }
    const CWceUiLayerLinks* GetLinks() const { return &m_Links; }
    static CWceUiLayer* FromLinks(const void* pLinks)
    {
        return pLinks ? static_cast<const CWceUiLayerLinks*>(pLinks)->m_pLayer : NULL;
    }

    CWceUiLayerData* GetData() const { return m_pData; }
    // Whether the layer hangs below its controller's root (or is the root).
    BOOL IsInLayerTree() const;

private:
    BOOL impCheckNewChild(LPCSTR pOperation, CWceUiLayer* pNewChild) const;
    BOOL impInsertChild(CWceUiLayer* pBeforeThis, CWceUiLayer* pAfterThis, CWceUiLayer* pNewChild);
    void impRebuildLists(BOOL bDraw, BOOL bInput);
    BOOL impGetWindowRectFor(const RECT& rcPos, int nWay, RECT* lpOut) const;
    void impApplyStyle(const CWceUiStyle& newStyle);
    void impBindStyle(BOOL bBind);
    void impWriteCommonFlag(int nFlag, BOOL bValue);
    void impInvalidateWindowRect(const RECT* pRect) const;
    void impInvalidateOwnRect() const;
    void impInvalidateSubtree();

    CWceUiLayerLinks m_Links;
    CWceUiLayerData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiLayer, CWceUiObject)
