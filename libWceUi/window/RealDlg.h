// A framework window run as a modal or modeless top-level window, with its own message loop
// for the modal case.
#pragma once

#include "RealWnd.h"
#include "WceUiCommon.h"

class CRealDlg : public CRealWnd {
    WCEUI_DYNCREATE_BEGIN(CRealDlg, CRealWnd)

public:
    CRealDlg();
    virtual ~CRealDlg();

    // Creates the window, runs the loop until EndDialog, WM_QUIT or the window's end, then
    // hides and destroys the window. Returns the result given to EndDialog, else -1.
    virtual int DoModal(DWORD dwStyle, const RECT* lpRect, HWND hWndParent);
    virtual void OnInitDialog();

    BOOL EndDialog(int nResult);
    BOOL CreateModeless(DWORD dwStyle, const RECT* lpRect, HWND hWndParent);
    BOOL EndModeless();
    int GetRunWay() const { return m_DlgRunWay; }

protected:
    int m_nModalResult;
    BOOL m_bEnd;
    int m_DlgRunWay;
};
WCEUI_DYNCREATE_END(CRealDlg, CRealWnd)
