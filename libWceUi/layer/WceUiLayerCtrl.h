// The owner of one window's layer tree. It creates the invisible root layer, creates
// dialogs and layers by class name, gives each layer a 16-bit id, keeps the draw, input
// and need-draw lists over the tree, paints dirty rectangles with occlusion and deletes
// layers with their subtrees.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

class CWceUiDlg;
class CWceUiGenericBitmap;
class CWceUiLayerHost;
struct CWceUiLayerCtrlData;

class CWceUiLayerCtrl {
public:
    CWceUiLayerCtrl();
    virtual ~CWceUiLayerCtrl();
    CWceUiLayerCtrl(const CWceUiLayerCtrl&) = delete;
    CWceUiLayerCtrl& operator=(const CWceUiLayerCtrl&) = delete;

    CWceUiLayer* RootLayer() const;
    // The dialog on top, the one input goes to (the root's last child), or null.
    CWceUiLayer* GetTopDlg() const;
    BOOL SetWindow(CWceUiLayerHost* pWindow);
    CWceUiLayerHost* GetWindow() const;
    // The window, or null (no check) while none is set.
    CWceUiLayerHost* PeekWindow() const;

    // pDlgPath: below the window directory, without extension ("sub\\CMsgBoxDlg"). The
    // dialog is not attached to the tree.
    CWceUiDlg* CreateDlg(LPCWSTR pDlgPath);
    CWceUiLayer* impCreateLayer(CWceUiLayer* pParent, LPCWSTR pType);
    CWceUiLayer* CreateLayer(CWceUiLayer* pParent, LPCWSTR pType, LPCWSTR pName);
    CWceUiLayer* CreateLayerAfter(CWceUiLayer* pParent, CWceUiLayer* pAfter, LPCWSTR pType, LPCWSTR pName);
    // The first layer created from the document's root element's children, or null.
    CWceUiLayer* CreateLayerByXmlStr(CWceUiLayer* pParent, LPCWSTR pXmlStr);
    // Deletes pNode with its whole subtree; null does nothing.
    BOOL DeleteLayer(CWceUiLayer* pNode);
    BOOL impDeleteElement(CWceUiLayer* pNode);
    // Gives the layer a new id and its name; FALSE when no id is free (logged).
    BOOL InitLayerInfo(CWceUiLayer* pNode, LPCWSTR pName);
    CWceUiLayer* GetLayerById(DWORD dwId) const;

    void ReBuildDrawList();
    void ReBuildInputList();
    void ReBuildList();

    // The layer that takes typed text: at most one per window. Taking it tells the old one
    // OnKillFocus; so does a hide, a disable or a dialog run over it. FALSE (nothing
    // changed) for a layer that is hidden, disabled or not in the top dialog.
    BOOL SetFocusLayer(CWceUiLayer* pLayer);
    CWceUiLayer* GetFocusLayer() const;
    BOOL CanTakeFocus(CWceUiLayer* pLayer) const;

    // When the window's capture layer is pTop or lies below it, its press ends as a lost
    // capture: the layer hears OnLoseCapture (so that it leaves its pressed state), then the
    // capture is released unless the layer released it itself. A list rebuild does the same
    // for a capture layer that was hidden, disabled, taken out of the tree or covered by
    // another dialog.
    void EndCaptureBelow(CWceUiLayer* pTop);

    CWceUiLayer* GetDrawHead() const;
    CWceUiLayer* GetDrawNext(CWceUiLayer* pCurLayer) const;
    CWceUiLayer* GetDrawTail() const;
    CWceUiLayer* GetDrawPre(CWceUiLayer* pCurLayer) const;
    CWceUiLayer* GetNeedDrawHead() const;
    CWceUiLayer* GetNeedDrawNext(CWceUiLayer* pCurLayer) const;
    CWceUiLayer* GetInputHead() const;
    CWceUiLayer* GetInputNext(CWceUiLayer* pCurLayer) const;

    // The topmost layer of the input list whose window rectangle holds the point, or null.
    CWceUiLayer* HitTest(POINT pt) const;

    // Paints the part of the tree inside rcDirty (window coordinates) into pWndBmp.
    BOOL Draw(CWceUiGenericBitmap* pWndBmp, RECT rcDirty);
    void FreeBmpRes();

    // The part of pDlgPath after its last "\" or "/".
    static LPCWSTR GetDlgLayerClassName(LPCWSTR pDlgPath);

    CWceUiLayerCtrlData* GetData() const { return m_pData; }

private:
    BOOL InitBody();
    void impBuildNeedDrawList(const RECT& rcDirty);
    void impCheckFocus();
    void impCheckCapture();
    void impEndCapture(CWceUiLayerHost* pWnd, CWceUiLayer* pCapture);

    CWceUiLayerCtrlData* m_pData;
};
