// Whether a matching file lies below a folder, for one listing. A card may hold links that
// turn its folders into a graph with cycles (two links to "." double the paths at every
// level), so each real folder, known by its volume and file index, is read at most once per
// listing, and the entries read per listing are bounded.
#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "wce/cstring.h"
#include "wce/types.h"

class CFileListModel;

class CFolderSearch {
public:
    enum : DWORD { MAX_ENTRIES_PER_LISTING = 200000 };

    explicit CFolderSearch(const CFileListModel& model, DWORD nMaxEntries = MAX_ENTRIES_PER_LISTING);
    CFolderSearch(const CFolderSearch&) = delete;
    CFolderSearch& operator=(const CFolderSearch&) = delete;

    // Entries whose full path would not fit a list record are neither counted nor searched.
    BOOL HasMatch(const CString& strFolder);
    DWORD GetEntriesLeft() const { return m_nEntriesLeft; }

private:
    typedef std::tuple<DWORD, DWORD, DWORD> FolderKey;  // volume, file index high and low
    enum { FOLDER_OPEN, FOLDER_NO_MATCH, FOLDER_MATCH };
    struct FolderMark {
        int nIndex;  // order of the first visit
        int nLow;    // smallest index of an open folder reached from here
        int nState;
    };

    const CFileListModel& m_Model;
    DWORD m_nEntriesLeft;
    int m_nNextIndex;
    std::map<FolderKey, FolderMark> m_Marks;
    std::vector<FolderKey> m_Open;  // folders whose answer waits on a folder still open

    static BOOL GetFolderKey(const CString& strFolder, FolderKey& key);
    BOOL impVisit(const CString& strFolder, const FolderKey& key, int& nLow);
};
