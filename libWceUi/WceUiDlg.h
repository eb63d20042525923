// A dialog: a layer directly below the root, built from a ".dlg.xml" file that describes
// its layers and a ".style.xml" file with the styles they use.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

class CWceUiStyle;
class CWceUiXmlDoc;
struct CWceUiDlgData;

enum {
    DLG_RUN_IN_MODELESS = 1,
    DLG_RUN_IN_MODAL = 2,
    DLG_RUN_NONE = 3,
};

class CWceUiDlg : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiDlg, CWceUiLayer)

public:
    CWceUiDlg();
    virtual ~CWceUiDlg();

    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    virtual void OnInitDialog() {}
    virtual void OnLButtonDownNoLayer(UINT nFlags, int x, int y) { (void)nFlags, (void)x, (void)y; }

    // Called by the controller after it set the dialog's controller.
    BOOL Init(LPCWSTR pDlgFileFullPath, LPCWSTR pStyleFileFullPath);
    BOOL LoadStyleFile(LPCWSTR pStyleFile);

    BOOL SetWndRect(const RECT* lpRect);
    BOOL GetWndRect(RECT* lpRect) const;
    int GetRunWay() const;
    BOOL GetStyleData(LPCWSTR pStyleName, CWceUiStyle* pStyle);
    BOOL DoesHaveAnimate(LPCWSTR pName);

    void SendOnLoad();
    void SendOnInitLayer();

    CWceUiDlgData* GetData() const { return m_pData; }

private:
    CWceUiDlgData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiDlg, CWceUiLayer)
