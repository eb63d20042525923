// A dialog: a layer directly below the root, built from a ".dlg.xml" file that describes
// its layers and a ".style.xml" file with the styles they use.
#pragma once

#include "WceUiCommon.h"
#include "WceUiLayer.h"
#include "wce/types.h"

class CWceUiLayerHost;
class CWceUiStyle;
class CWceUiWndAnimate;
class CWceUiXmlDoc;
struct CWceUiDlgData;

// The run ways are those of a real dialog; 3 is "not running".
enum { DLG_RUN_NONE = DLG_RUN_NOT_RUNNING };

class CWceUiDlg : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiDlg, CWceUiLayer)

public:
    CWceUiDlg();
    virtual ~CWceUiDlg();

    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    virtual void OnInitDialog() {}
    virtual void OnLButtonDownNoLayer(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }
    // Takes the starting picture when the style file has an "in" (bIn) or "out" animation.
    virtual BOOL PrepareAnimate(BOOL bIn);
    // Plays "in" or "out" from the picture PrepareAnimate took.
    virtual BOOL PlayAnimate(BOOL bIn);
    // Runs on top of the dialogs below until EndDialog, WM_QUIT or the window's end; the
    // result given to EndDialog, else -1.
    virtual int DoModal();

    BOOL EndDialog(int nResult);
    // As the only dialog of the window; the caller's message loop drives it.
    BOOL RunModeless();
    BOOL EndModeless();

    // Called by the controller after it set the dialog's controller.
    BOOL Init(LPCWSTR pDlgFileFullPath, LPCWSTR pStyleFileFullPath);
    BOOL LoadStyleFile(LPCWSTR pStyleFile);

    BOOL SetWndRect(const RECT* lpRect);
    BOOL GetWndRect(RECT* lpRect) const;
    int GetRunWay() const;
    BOOL GetStyleData(LPCWSTR pStyleName, CWceUiStyle* pStyle);
    BOOL DoesHaveAnimate(LPCWSTR pName);
    // A new animation owned by the caller, or null.
    CWceUiWndAnimate* GetWndAnimate(LPCWSTR pName);
    // The window showing the dialog's controller, or null.
    CWceUiLayerHost* GetHost() const;

    void SendOnLoad();
    void SendOnInitLayer();

    CWceUiDlgData* GetData() const { return m_pData; }

private:
    CWceUiDlgData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiDlg, CWceUiLayer)
