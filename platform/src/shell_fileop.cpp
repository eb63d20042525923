// The shell's file operation, built on the platform's own file functions so that the
// device's rules (case, share modes, quotas) hold for it too. There are no dialogs: every
// question the shell would ask is answered "yes".

#include <sys/stat.h>

#include <string>
#include <vector>

#include "device_path.h"
#include "hidden_entries.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace {

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

std::vector<std::u16string> SplitList(LPCWSTR list)
{
    std::vector<std::u16string> entries;
    while (list && *list) {
        const size_t length = WStrLen(list);
        entries.emplace_back(list, length);
        list += length + 1;
    }
    return entries;
}

size_t LastSeparator(const std::u16string& path) { return path.find_last_of(u"\\/"); }

std::u16string LastName(const std::u16string& path)
{
    const size_t split = LastSeparator(path);
    return split == std::u16string::npos ? path : path.substr(split + 1);
}

bool HasWildcard(const std::u16string& path) { return LastName(path).find_first_of(u"*?") != std::u16string::npos; }

DWORD ErrorOf(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

// Deleting without asking includes read-only files.
BOOL DeleteFileForced(const std::u16string& path)
{
    if (DeleteFileW(path.c_str())) return TRUE;
    if (GetLastError() != ERROR_ACCESS_DENIED) return FALSE;
    const DWORD error = GetLastError();
    std::string hostPath;
    struct stat st;
    if (!wce::detail::MapToHostOrFail(path.c_str(), hostPath, wce::detail::LastLink::Keep) ||
        lstat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) ||
        chmod(hostPath.c_str(), st.st_mode | S_IWUSR) != 0) {
        SetLastError(error);
        return FALSE;
    }
    return DeleteFileW(path.c_str());
}

DWORD DeletePath(const std::u16string& path);

// Deletes whatever the pattern matches; the first failure is reported, the rest still go.
DWORD DeleteMatches(const std::u16string& pattern)
{
    const size_t split = LastSeparator(pattern);
    const std::u16string folder = split == std::u16string::npos ? std::u16string(u"\\") : pattern.substr(0, split + 1);
    DWORD first = ERROR_SUCCESS;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return error;  // no folder; an empty one has nothing listed
    } else {
        do {
            const DWORD error = DeletePath(folder + data.cFileName);
            if (first == ERROR_SUCCESS) first = error;
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    // What the listing hides goes as well, or the folder could never be removed.
    const DWORD hidden = wce::detail::RemoveHiddenEntries(folder, LastName(pattern));
    return first != ERROR_SUCCESS ? first : hidden;
}

DWORD DeletePath(const std::u16string& path)
{
    // A link is removed itself; following it could empty a folder elsewhere on the device.
    if (wce::detail::IsSymbolicLink(path.c_str())) return ErrorOf(DeleteFileW(path.c_str()));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ErrorOf(DeleteFileForced(path));
    const DWORD first = DeleteMatches(path + u"\\*");
    const DWORD removed = ErrorOf(RemoveDirectoryW(path.c_str()));
    return first != ERROR_SUCCESS ? first : removed;
}

DWORD Delete(const std::vector<std::u16string>& sources)
{
    DWORD first = ERROR_SUCCESS;
    for (const auto& source : sources) {
        const DWORD error = HasWildcard(source) ? DeleteMatches(source) : DeletePath(source);
        if (first == ERROR_SUCCESS) first = error;
    }
    return first;
}

void CreateParentFolders(const std::u16string& path)
{
    for (size_t i = 1; i < path.size(); ++i)
        if (IsSeparator(path[i]) && !IsSeparator(path[i - 1])) CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

DWORD Copy(const std::u16string& source, const std::u16string& destination)
{
    if (HasWildcard(source)) return ERROR_NOT_SUPPORTED;
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_NOT_SUPPORTED;
    std::u16string target = destination;
    const DWORD targetAttributes = GetFileAttributesW(target.c_str());
    if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & FILE_ATTRIBUTE_DIRECTORY))
        target += u"\\" + LastName(source);  // into an existing folder, as the shell does
    else
        CreateParentFolders(target);
    return ErrorOf(CopyFileW(source.c_str(), target.c_str(), FALSE));
}

}  // namespace

int SHFileOperationW(LPSHFILEOPSTRUCTW operation)
{
    if (!operation) return ERROR_INVALID_PARAMETER;
    operation->fAnyOperationsAborted = FALSE;
    const std::vector<std::u16string> sources = SplitList(operation->pFrom);
    if (sources.empty()) return ERROR_INVALID_PARAMETER;
    switch (operation->wFunc) {
    case FO_DELETE:
        return static_cast<int>(Delete(sources));
    case FO_COPY: {
        const std::vector<std::u16string> destinations = SplitList(operation->pTo);
        if (destinations.size() != 1) return ERROR_INVALID_PARAMETER;
        if (sources.size() != 1) return ERROR_NOT_SUPPORTED;
        return static_cast<int>(Copy(sources.front(), destinations.front()));
    }
    case FO_MOVE:
    case FO_RENAME:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}
