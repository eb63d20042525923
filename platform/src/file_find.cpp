// Searching folders (FindFirstFileW and on): a search lists its folder once and hands out
// the entries in name order.
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device_names.h"
#include "device_path.h"
#include "files_internal.h"
#include "handles.h"
#include "host_ptr.h"
#include "nothrow.h"
#include "wce/files.h"
#include "wce/wstring.h"

namespace {

using wce::detail::AttributesOf;
using wce::detail::ErrorFromErrno;
using wce::detail::Fail;
using wce::detail::FailHandle;
using wce::detail::FindOrFail;
using wce::detail::MapToHostOrFail;
using wce::detail::ToFileTime;

struct FoundEntry {
    std::u16string name;
    DWORD attributes;
    std::uint64_t size;
    FILETIME written;
};

// A search lists its folder once, at FindFirstFileW, so that deleting the found entries
// while searching neither skips nor repeats any.
class FindObject : public wce::detail::KernelObject {
public:
    explicit FindObject(std::vector<FoundEntry> entries) : m_entries(std::move(entries)) {}
    const FoundEntry* Next() { return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr; }

private:
    std::vector<FoundEntry> m_entries;
    size_t m_next = 0;
};

void FillFindData(const FoundEntry& entry, LPWIN32_FIND_DATAW data)
{
    *data = WIN32_FIND_DATAW{};
    data->dwFileAttributes = entry.attributes;
    data->ftCreationTime = entry.written;
    data->ftLastAccessTime = entry.written;
    data->ftLastWriteTime = entry.written;
    data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.size);
    WStrCopy(data->cFileName, MAX_PATH, entry.name.c_str());
}

bool ListFolder(const std::string& hostFolder, const std::u16string& pattern, std::vector<FoundEntry>& found)
{
    wce::detail::HostDir dir(opendir(hostFolder.c_str()));
    if (!dir) return false;
    std::u16string name;
    while (dirent* entry = readdir(dir.get())) {
        const std::string hostName = entry->d_name;
        if (hostName == "." || hostName == "..") continue;
        if (!wce::detail::DeviceNameOf(hostName, name) || !wce::detail::MatchesFindPattern(pattern, name)) continue;
        const std::string hostPath = hostFolder == "/" ? "/" + hostName : hostFolder + "/" + hostName;
        struct stat st;
        if (!wce::detail::IsListedEntry(hostPath, st)) continue;
        found.push_back(FoundEntry{name, AttributesOf(st), static_cast<std::uint64_t>(st.st_size),
                                   ToFileTime(st.st_mtim)});
    }
    std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    return wce::detail::NoThrow<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        if (!pattern || !data) return FailHandle(ERROR_INVALID_PARAMETER);
        const std::u16string whole(pattern);
        const size_t split = whole.find_last_of(u"\\/");
        const std::u16string folder = split == std::u16string::npos ? u"\\" : whole.substr(0, split + 1);
        const std::u16string name = split == std::u16string::npos ? whole : whole.substr(split + 1);
        if (name.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
        if (whole.size() > MAX_PATH - 1) return FailHandle(ERROR_FILENAME_EXCED_RANGE);
        std::string hostFolder;
        if (!MapToHostOrFail(folder.c_str(), hostFolder)) return INVALID_HANDLE_VALUE;
        struct stat st;
        if (stat(hostFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return FailHandle(ERROR_PATH_NOT_FOUND);
        std::vector<FoundEntry> found;
        if (!ListFolder(hostFolder, name, found)) return FailHandle(ErrorFromErrno(errno));
        if (found.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
        auto search = std::make_unique<FindObject>(std::move(found));
        FillFindData(*search->Next(), data);
        return wce::detail::AddHandle(std::move(search));
    });
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::shared_ptr<FindObject> search = FindOrFail<FindObject>(find);
        if (!search) return FALSE;
        if (!data) return Fail(ERROR_INVALID_PARAMETER);
        const FoundEntry* entry = search->Next();
        if (!entry) return Fail(ERROR_NO_MORE_FILES);
        FillFindData(*entry, data);
        return TRUE;
    });
}

BOOL FindClose(HANDLE find)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        if (!FindOrFail<FindObject>(find)) return FALSE;
        wce::detail::RemoveHandle(find);
        return TRUE;
    });
}
