// The updater's screen: the file list plus the update, reboot, calibrate and back buttons,
// a status text and a progress slider; it runs the update procedure on its layers.
#pragma once

#include <memory>

#include "FileListDlg.h"
#include "UpdateProcedure.h"
#include "WceUiLoadBitmap.h"

class CWceUiSlider;

class CBrantelDlg : public CFileListDlg {
    WCEUI_DYNCREATE_BEGIN(CBrantelDlg, CFileListDlg)

public:
    CBrantelDlg();
    virtual ~CBrantelDlg();

    void OnTimer(WORD nTimerId) override;
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnChildClick(CWceUiLayer* pChild) override;
    void OnInitDialog() override;
    void OnFileSelected(CWceUiListBox* pListBox) override;

    void OnUpdate();
    void EnableControls(BOOL bEnable);
    void ApplyKptLayout();
    void AutoSelectPackage();

    // The real window the dialog runs in: disabled while an update runs.
    void SetMainWindow(HWND hWnd) { m_hMainWnd = hWnd; }
    // Set before the dialog runs: the update procedure refuses every update with it.
    void SetRegistryProblem(const CString& strProblem) { m_strRegistryProblem = strProblem; }
    // The dialog file lacked a layer the code uses; the dialog ended at once.
    BOOL HasInitFailed() const { return m_bInitFailed; }
    const CString& GetAppPath() const { return m_strAppPath; }

private:
    class CScreen;
    friend class CScreen;

    void ShowMessage(LPCWSTR pText, UINT nFlags);

    CWceUiListBox* m_pList;
    CWceUiSlider* m_pProgress;
    CWceUiLayer* m_pStatus;
    CString m_strAppPath;
    CString m_strRegistryProblem;
    HWND m_hMainWnd;
    BOOL m_bInitFailed;
    std::unique_ptr<CScreen> m_pScreen;
    std::unique_ptr<CUpdateProcedure> m_pProcedure;
    CWceUiLoadBitmap m_HeldImage;
};
WCEUI_DYNCREATE_END(CBrantelDlg, CFileListDlg)
