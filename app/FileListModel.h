// What the file list shows and where a tap leads: the two storage roots, one folder's
// matching content, the filter and the item records. The list box itself stays behind
// IFileListView, so the browsing works (and is tested) without a screen.
#pragma once

#include <memory>
#include <vector>

#include "wce/cstring.h"
#include "wce/types.h"

// Record attached to each list item as its data.
struct FILE_LIST_ITEM {
    WCHAR szPath[MAX_PATH];
    DWORD dwKind;
};

enum : DWORD {
    FILE_ITEM_ROOT = 0,
    FILE_ITEM_FOLDER = 1,
    FILE_ITEM_FILE = 2,
    FILE_ITEM_UPLEVEL = 3,
};

// Images an item can carry: one of these, or the index of a filter extension.
constexpr int kFileImageNone = -1;
constexpr int kFileImageUplevel = -2;
constexpr int kFileImageFolder = -3;
constexpr int kFileImageNote = -4;  // a line that says something, not an entry

// Longest device path an item record holds (units, without the terminator).
constexpr int kMaxItemPath = MAX_PATH - 1;

class IFileListView {
public:
    virtual ~IFileListView() = default;
    // The new item's index, or negative when it could not be added.
    virtual int AddItem(LPCWSTR pText, int nImage) = 0;
    virtual void SetItemRecord(int nIndex, FILE_LIST_ITEM* pRecord) = 0;
    // Null for an index outside the list or an item without a record.
    virtual FILE_LIST_ITEM* GetItemRecord(int nIndex) = 0;
    virtual int GetCount() = 0;
    virtual int GetCurSel() = 0;
    virtual void ResetContent() = 0;
    // Invalidate and repaint at once.
    virtual void Refresh() = 0;
    virtual LPCWSTR GetUplevelText() = 0;
    // The line shown instead of the roots when neither holds a matching file.
    virtual LPCWSTR GetNoMatchText() = 0;
};

class CFileListModel {
public:
    explicit CFileListModel(IFileListView& view) : m_view(view) {}
    CFileListModel(const CFileListModel&) = delete;
    CFileListModel& operator=(const CFileListModel&) = delete;

    // Extensions (without the dot, compared lower-cased) paired by index with item images;
    // arrays of different lengths are refused.
    BOOL SetFilter(const std::vector<CString>& extensions, const std::vector<CString>& images);
    const std::vector<CString>& GetFilterImages() const { return m_filterImages; }

    BOOL MatchesFilter(LPCWSTR pPath) const;
    // Whether a matching file lies somewhere below the folder; entries whose full path would
    // not fit a record are neither counted nor searched (see CFolderSearch).
    BOOL FolderHasMatch(const CString& strFolder) const;
    // The filter index of the file's extension, or kFileImageNone.
    int ImageForFile(LPCWSTR pPath) const;

    // The roots holding a match; when none does, one line without a record says so.
    void ShowRoots();
    void ShowFolder(const CString& strFolder);
    void ClearList();
    // The first fill: the folder of the initial path when it exists, else the roots.
    void ShowInitial(const CString& strInitPath);

    enum class Activation { None, FolderChanged, FileSelected };
    // Acts on the item at the current selection.
    Activation OnItemActivated();
    // The index of the file item whose path equals the given one, else of the first that
    // equals it ignoring case, or -1.
    int FindFileItem(const CString& strPath);

    int GetRecordCount() const { return (int)m_records.size(); }

private:
    IFileListView& m_view;
    std::vector<CString> m_filterExtensions;
    std::vector<CString> m_filterImages;
    // Every record handed to the list, so none outlives the model whatever ends the dialog.
    std::vector<std::unique_ptr<FILE_LIST_ITEM>> m_records;

    void AddItem(LPCWSTR pText, int nImage, const CString& strPath, DWORD dwKind);
};
