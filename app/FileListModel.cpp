#include "FileListModel.h"

#include <cstring>

#include "FolderSearch.h"

#include "wce/files.h"

namespace {

const WCHAR* const kRoots[] = {u"SDMMC", u"ResidentFlash"};

BOOL IsDots(LPCWSTR pName)
{
    return (pName[0] == u'.' && pName[1] == 0) || (pName[0] == u'.' && pName[1] == u'.' && pName[2] == 0);
}

// Calls fn(full path, is folder) for each entry of the folder, in the platform's order,
// skipping entries whose full path would not fit a record; stops when fn returns TRUE.
template <typename Fn>
BOOL ForEachEntry(const CString& strFolder, Fn fn)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(strFolder + u"\\*.*", &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bStopped = FALSE;
    do {
        if (IsDots(data.cFileName))
            continue;
        CString strPath = strFolder + u"\\" + data.cFileName;
        if (strPath.GetLength() > kMaxItemPath)
            continue;
        if (fn(strPath, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
            bStopped = TRUE;
            break;
        }
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return bStopped;
}

CString ParentOf(const CString& strPath)
{
    int nSlash = strPath.ReverseFind(u'\\');
    return nSlash < 0 ? CString() : strPath.Left(nSlash);
}

}  // namespace

BOOL CFileListModel::SetFilter(const std::vector<CString>& extensions, const std::vector<CString>& images)
{
    if (extensions.size() != images.size())
        return FALSE;
    m_filterExtensions.clear();
    for (CString strExt : extensions) {
        strExt.MakeLower();
        m_filterExtensions.push_back(strExt);
    }
    m_filterImages = images;
    return TRUE;
}

int CFileListModel::ImageForFile(LPCWSTR pPath) const
{
    CString strPath(pPath);
    int nDot = strPath.ReverseFind(u'.');
    if (nDot < 0)
        return kFileImageNone;
    CString strExt = strPath.Mid(nDot + 1);
    strExt.MakeLower();
    for (size_t i = 0; i < m_filterExtensions.size(); ++i) {
        if (strExt == m_filterExtensions[i])
            return (int)i;
    }
    return kFileImageNone;
}

BOOL CFileListModel::MatchesFilter(LPCWSTR pPath) const
{
    return ImageForFile(pPath) != kFileImageNone;
}

BOOL CFileListModel::FolderHasMatch(const CString& strFolder) const
{
    CFolderSearch search(*this);
    return search.HasMatch(strFolder);
}

void CFileListModel::AddItem(LPCWSTR pText, int nImage, const CString& strPath, DWORD dwKind)
{
    if (strPath.GetLength() > kMaxItemPath)
        return;
    int nIndex = m_view.AddItem(pText, nImage);
    if (nIndex < 0)
        return;
    std::unique_ptr<FILE_LIST_ITEM> pRecord(new (std::nothrow) FILE_LIST_ITEM);
    if (!pRecord)
        return;
    std::memcpy(pRecord->szPath, strPath.c_str(), sizeof(WCHAR) * (strPath.GetLength() + 1));
    pRecord->dwKind = dwKind;
    m_view.SetItemRecord(nIndex, pRecord.get());
    m_records.push_back(std::move(pRecord));
}

void CFileListModel::ClearList()
{
    m_view.ResetContent();
    m_records.clear();
}

void CFileListModel::ShowRoots()
{
    ClearList();
    CFolderSearch search(*this);
    for (LPCWSTR pRoot : kRoots) {
        if (search.HasMatch(pRoot))
            AddItem(pRoot, kFileImageFolder, pRoot, FILE_ITEM_ROOT);
    }
    if (m_view.GetCount() == 0)
        m_view.AddItem(m_view.GetNoMatchText(), kFileImageNote);
    m_view.Refresh();
}

void CFileListModel::ShowFolder(const CString& strFolder)
{
    AddItem(m_view.GetUplevelText(), kFileImageUplevel, strFolder, FILE_ITEM_UPLEVEL);
    std::vector<CString> files;
    CFolderSearch search(*this);
    ForEachEntry(strFolder, [&](const CString& strPath, bool bFolder) -> BOOL {
        if (bFolder) {
            if (search.HasMatch(strPath))
                AddItem(strPath.Mid(strPath.ReverseFind(u'\\') + 1), kFileImageFolder, strPath, FILE_ITEM_FOLDER);
        } else if (MatchesFilter(strPath)) {
            files.push_back(strPath);
        }
        return FALSE;
    });
    for (const CString& strPath : files)
        AddItem(strPath.Mid(strPath.ReverseFind(u'\\') + 1), ImageForFile(strPath), strPath, FILE_ITEM_FILE);
    m_view.Refresh();
}

void CFileListModel::ShowInitial(const CString& strInitPath)
{
    if (!strInitPath.IsEmpty()) {
        WIN32_FIND_DATAW data;
        HANDLE hFind = FindFirstFileW(strInitPath, &data);
        if (hFind != INVALID_HANDLE_VALUE) {
            FindClose(hFind);
            ClearList();
            ShowFolder(ParentOf(strInitPath));
            return;
        }
    }
    ShowRoots();
}

CFileListModel::Activation CFileListModel::OnItemActivated()
{
    int nSel = m_view.GetCurSel();
    if (nSel < 0 || nSel >= m_view.GetCount())
        return Activation::None;
    FILE_LIST_ITEM* pRecord = m_view.GetItemRecord(nSel);
    if (!pRecord)
        return Activation::None;
    // Clearing frees the record: keep what it says first.
    const CString strPath(pRecord->szPath);
    switch (pRecord->dwKind) {
    case FILE_ITEM_ROOT:
    case FILE_ITEM_FOLDER:
        ClearList();
        ShowFolder(strPath);
        return Activation::FolderChanged;
    case FILE_ITEM_FILE:
        return Activation::FileSelected;
    case FILE_ITEM_UPLEVEL:
        if (strPath.ReverseFind(u'\\') >= 0) {
            ClearList();
            ShowFolder(ParentOf(strPath));
        } else {
            ShowRoots();
        }
        return Activation::FolderChanged;
    default:
        return Activation::None;
    }
}

int CFileListModel::FindFileItem(const CString& strPath)
{
    if (strPath.IsEmpty())
        return -1;
    // The platform's rule for a name found ignoring case: the spelling as written wins, else
    // the smallest, which the list shows first. So the screen installs what the console does.
    int nCount = m_view.GetCount();
    int nFirst = -1;
    for (int i = 0; i < nCount; ++i) {
        FILE_LIST_ITEM* pRecord = m_view.GetItemRecord(i);
        if (!pRecord || pRecord->dwKind != FILE_ITEM_FILE || strPath.CompareNoCase(pRecord->szPath) != 0)
            continue;
        if (strPath == pRecord->szPath)
            return i;
        if (nFirst < 0)
            nFirst = i;
    }
    return nFirst;
}
