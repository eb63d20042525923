#include "FolderSearch.h"

#include <algorithm>

#include "FileListModel.h"
#include "wce/files.h"

CFolderSearch::CFolderSearch(const CFileListModel& model, DWORD nMaxEntries)
    : m_Model(model), m_nEntriesLeft(nMaxEntries), m_nNextIndex(0)
{
}

BOOL CFolderSearch::GetFolderKey(const CString& strFolder, FolderKey& key)
{
    HANDLE hFolder = CreateFileW(strFolder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (INVALID_HANDLE_VALUE == hFolder)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL bOk = GetFileInformationByHandle(hFolder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(hFolder);
    if (bOk)
        key = FolderKey(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    return bOk;
}

BOOL CFolderSearch::HasMatch(const CString& strFolder)
{
    FolderKey key;
    if (!GetFolderKey(strFolder, key))
        return FALSE;
    auto it = m_Marks.find(key);
    if (it != m_Marks.end())
        return FOLDER_MATCH == it->second.nState;
    if (0 == m_nEntriesLeft)
        return FALSE;
    int nLow = 0;
    return impVisit(strFolder, key, nLow);
}

// A depth-first walk that keeps strongly connected folders together (Tarjan's order): a
// folder that reaches an open one learns its answer only when that one is done. On a match
// every open folder reaches it (each lies on the current path or reaches a folder on it).
BOOL CFolderSearch::impVisit(const CString& strFolder, const FolderKey& key, int& nLow)
{
    FolderMark& mark = m_Marks[key];  // std::map: stays valid while others are added
    mark.nIndex = mark.nLow = m_nNextIndex++;
    mark.nState = FOLDER_OPEN;
    m_Open.push_back(key);

    // The folder's own files first: a package on top is found without reading below.
    BOOL bFound = FALSE;
    std::vector<CString> folders;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(strFolder + u"\\*.*", &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (0 == m_nEntriesLeft)
                break;
            --m_nEntriesLeft;
            CString strPath = strFolder + u"\\" + data.cFileName;
            if (strPath.GetLength() > kMaxItemPath)
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                folders.push_back(strPath);
            else if (m_Model.MatchesFilter(strPath))
                bFound = TRUE;
        } while (!bFound && FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    for (size_t i = 0; i < folders.size() && !bFound && m_nEntriesLeft > 0; ++i) {
        FolderKey child;
        if (!GetFolderKey(folders[i], child))
            continue;
        auto it = m_Marks.find(child);
        if (it == m_Marks.end()) {
            int nChildLow = 0;
            bFound = impVisit(folders[i], child, nChildLow);
            mark.nLow = std::min(mark.nLow, nChildLow);
        } else if (FOLDER_MATCH == it->second.nState) {
            bFound = TRUE;
        } else if (FOLDER_OPEN == it->second.nState) {
            mark.nLow = std::min(mark.nLow, it->second.nIndex);
        }
    }
    if (bFound) {
        for (const FolderKey& open : m_Open)
            m_Marks[open].nState = FOLDER_MATCH;
        m_Open.clear();
        return TRUE;
    }
    nLow = mark.nLow;
    if (mark.nLow == mark.nIndex) {
        // Nothing below reaches back above this folder: its whole part is answered.
        FolderKey top;
        do {
            top = m_Open.back();
            m_Open.pop_back();
            m_Marks[top].nState = FOLDER_NO_MATCH;
        } while (top != key);
    }
    return FALSE;
}
