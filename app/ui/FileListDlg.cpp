#include "FileListDlg.h"

#include "DialogLayers.h"
#include "WceUiCommon.h"
#include "WceUiLayerHost.h"
#include "WceUiListBox.h"
#include "WceUiXml.h"

namespace {
constexpr WORD kFillTimer = 1;
}

CFileListDlg::CFileListDlg() : m_pListBox(NULL), m_Model(*this) {}

// The records go with the model; the list box is already deleted by now.
CFileListDlg::~CFileListDlg() {}

BOOL CFileListDlg::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (pCreateElem) {
        if (LPCWSTR p = pCreateElem->GetAttribute(u"uplevel_image"))
            m_UplevelImage.SetBitmapFromRes(p);
        if (LPCWSTR p = pCreateElem->GetAttribute(u"folder_image"))
            m_FolderImage.SetBitmapFromRes(p);
        if (LPCWSTR p = pCreateElem->GetAttribute(u"note_image"))
            m_NoteImage.SetBitmapFromRes(p);
        m_UplevelText.SetTextResID(u"uplevel_folder");
        m_NoMatchText.SetTextResID(u"no_package");
    }
    return CWceUiDlg::SetProperties(pCreateElem);
}

BOOL CFileListDlg::SetFilter(const std::vector<CString>& extensions, const std::vector<CString>& images)
{
    if (!m_Model.SetFilter(extensions, images))
        return FALSE;
    m_FilterBitmaps.clear();
    for (const CString& strImage : images)
        m_FilterBitmaps.emplace_back(strImage.c_str());
    return TRUE;
}

BOOL CFileListDlg::InitFileList()
{
    RegisterMsg(kMsgCloseRequest);
    RegisterMsg(kMsgItemActivated);
    static const DIALOG_LAYER_SPEC kList = {u"listbox", u"CWceUiListBox", FALSE};
    CWceUiLayer* pList = NULL;
    if (!FindDialogLayers(this, &kList, 1, &pList))
        return FALSE;
    m_pListBox = static_cast<CWceUiListBox*>(pList);
    // Filled before the first paint, so the first picture shows the list; the timer only
    // tells derived dialogs that the list is ready, once the loop runs.
    m_Model.ShowInitial(m_strInitPath);
    SetTimer(kFillTimer, 1);
    return TRUE;
}

void CFileListDlg::OnTimer(WORD nTimerId)
{
    if (nTimerId == kFillTimer)
        KillTimer(kFillTimer);
}

LRESULT CFileListDlg::OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kMsgCloseRequest)
        EndDialog(0);
    else if (msg == kMsgItemActivated && wParam == 1 && m_pListBox)
        OnItemActivated(m_pListBox);
    return CWceUiDlg::OnRegisteredMsg(msg, wParam, lParam);
}

void CFileListDlg::OnItemActivated(CWceUiListBox* pListBox)
{
    switch (m_Model.OnItemActivated()) {
    case CFileListModel::Activation::FolderChanged: OnFolderChanged(pListBox); break;
    case CFileListModel::Activation::FileSelected: OnFileSelected(pListBox); break;
    case CFileListModel::Activation::None: break;
    }
}

void CFileListDlg::OnChildClick(CWceUiLayer* pChild)
{
    if (pChild->IsEqualName(u"back")) {
        if (m_pListBox)
            m_Model.ClearList();
        EndDialog(0);
    }
}

int CFileListDlg::AddItem(LPCWSTR pText, int nImage)
{
    int nIndex = m_pListBox->AddString(pText, FALSE);
    if (nIndex < 0)
        return nIndex;
    CWceUiGenericBitmap* pBitmap = NULL;
    if (nImage == kFileImageUplevel)
        pBitmap = m_UplevelImage.GetBitmap();
    else if (nImage == kFileImageFolder)
        pBitmap = m_FolderImage.GetBitmap();
    else if (nImage == kFileImageNote)
        pBitmap = m_NoteImage.GetBitmap();
    else if (nImage >= 0 && nImage < (int)m_FilterBitmaps.size())
        pBitmap = m_FilterBitmaps[nImage].GetBitmap();
    if (pBitmap)
        m_pListBox->SetItemImage(nIndex, pBitmap);
    return nIndex;
}

void CFileListDlg::SetItemRecord(int nIndex, FILE_LIST_ITEM* pRecord)
{
    m_pListBox->SetItemData(nIndex, reinterpret_cast<LPARAM>(pRecord));
}

FILE_LIST_ITEM* CFileListDlg::GetItemRecord(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_pListBox->GetCount())
        return NULL;
    LPARAM data = m_pListBox->GetItemData(nIndex);
    return data == -1 ? NULL : reinterpret_cast<FILE_LIST_ITEM*>(data);
}

CString CFileListDlg::GetSelectedPath()
{
    FILE_LIST_ITEM* pRecord = GetItemRecord(GetCurSel());
    return pRecord ? CString(pRecord->szPath) : CString();
}

int CFileListDlg::GetCount() { return m_pListBox->GetCount(); }
int CFileListDlg::GetCurSel() { return m_pListBox->GetCurSel(); }
void CFileListDlg::ResetContent() { m_pListBox->ResetContent(); }

void CFileListDlg::Refresh()
{
    InvalidateLayer();
    if (CWceUiLayerHost* pHost = GetHost()) pHost->UpdateWindow();
}

LPCWSTR CFileListDlg::GetUplevelText() { return m_UplevelText.GetString(); }
LPCWSTR CFileListDlg::GetNoMatchText() { return m_NoMatchText.GetString(); }
