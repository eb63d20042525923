// The updater's full-screen window: it hosts the main dialog for one modal run.
#pragma once

#include "WceUiRealWnd.h"
#include "wce/cstring.h"

class CUpdateMainWnd : public CWceUiRealWnd {
    WCEUI_DYNCREATE_BEGIN(CUpdateMainWnd, CWceUiRealWnd)

public:
    CUpdateMainWnd();
    virtual ~CUpdateMainWnd();

    void OnClose() override;
    void OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The main dialog could not be created or lacked a layer it needs.
    BOOL HasDialogFailed() const { return m_bDialogFailed; }
    // Class name of the dialog on top when the close request came, else of the one on top
    // now, or null.
    LPCWSTR GetTopDialogName() const;
    // Why the unit's registry cannot be read; the main dialog then refuses every update.
    void SetRegistryProblem(const CString& strProblem) { m_strRegistryProblem = strProblem; }

private:
    void ShowFirstPicture();

    BOOL m_bDialogFailed;
    LPCWSTR m_pTopAtClose;  // a class name: lives as long as the program
    CString m_strRegistryProblem;
};
WCEUI_DYNCREATE_END(CUpdateMainWnd, CWceUiRealWnd)
