// A dialog whose list box browses the unit's two storage roots for files of wanted kinds.
#pragma once

#include <vector>

#include "FileListModel.h"
#include "WceUiDlg.h"
#include "WceUiLoadBitmap.h"
#include "WceUiLoadString.h"
#include "wce/cstring.h"

class CWceUiListBox;

// Messages posted within the process.
constexpr UINT kMsgItemActivated = 33768;
constexpr UINT kMsgCloseRequest = 33769;
constexpr UINT kMsgSliderChanged = 33770;

class CFileListDlg : public CWceUiDlg, private IFileListView {
    WCEUI_DYNCREATE_BEGIN(CFileListDlg, CWceUiDlg)

public:
    CFileListDlg();
    virtual ~CFileListDlg();

    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    void OnTimer(WORD nTimerId) override;
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnChildClick(CWceUiLayer* pChild) override;
    virtual void OnFileSelected(CWceUiListBox* pListBox) { (void)pListBox; }
    virtual void OnFolderChanged(CWceUiListBox* pListBox) { (void)pListBox; }

    // Extensions paired by index with item images; FALSE for arrays of different lengths.
    BOOL SetFilter(const std::vector<CString>& extensions, const std::vector<CString>& images);

    CString m_strInitPath;

protected:
    // Subscribes, finds "listbox" and fills it; FALSE (logged) without a list box.
    BOOL InitFileList();
    CFileListModel& GetModel() { return m_Model; }
    CWceUiListBox* GetListBox() const { return m_pListBox; }
    // The selected item's path; empty without a selection or for a line that is no entry.
    CString GetSelectedPath();
    void OnItemActivated(CWceUiListBox* pListBox);

private:
    // IFileListView over the list box.
    int AddItem(LPCWSTR pText, int nImage) override;
    void SetItemRecord(int nIndex, FILE_LIST_ITEM* pRecord) override;
    FILE_LIST_ITEM* GetItemRecord(int nIndex) override;
    int GetCount() override;
    int GetCurSel() override;
    void ResetContent() override;
    void Refresh() override;
    LPCWSTR GetUplevelText() override;
    LPCWSTR GetNoMatchText() override;

    CWceUiListBox* m_pListBox;
    CWceUiLoadBitmap m_UplevelImage;
    CWceUiLoadBitmap m_FolderImage;
    CWceUiLoadBitmap m_NoteImage;
    CWceUiLoadString m_UplevelText;
    CWceUiLoadString m_NoMatchText;
    std::vector<CWceUiLoadBitmap> m_FilterBitmaps;
    CFileListModel m_Model;
};
WCEUI_DYNCREATE_END(CFileListDlg, CWceUiDlg)
