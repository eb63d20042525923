#include "hidden_entries.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "device_names.h"
#include "device_path.h"
#include "host_ptr.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

// A hostile card may nest folders far deeper than any path: each level costs a frame here.
constexpr int kMaxHiddenDepth = 256;

std::vector<std::string> NamesIn(int folderFd)
{
    std::vector<std::string> names;
    const int fd = dup(folderFd);
    if (fd < 0) return names;
    HostDir dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return names;
    }
    while (dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    return names;
}

void Keep(DWORD& first, DWORD error)
{
    if (first == ERROR_SUCCESS) first = error;
}

// Removes the entry and, for a folder, everything in it; no link is followed.
DWORD RemoveHostEntry(int folderFd, const std::string& name, int depth)
{
    struct stat st;
    if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return ErrorFromErrno(errno);
    if (!S_ISDIR(st.st_mode)) return unlinkat(folderFd, name.c_str(), 0) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
    if (depth >= kMaxHiddenDepth) return ERROR_FILENAME_EXCED_RANGE;
    const int fd = openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return ErrorFromErrno(errno);
    DWORD first = ERROR_SUCCESS;
    for (const std::string& child : NamesIn(fd)) Keep(first, RemoveHostEntry(fd, child, depth + 1));
    close(fd);
    if (unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) != 0) Keep(first, ErrorFromErrno(errno));
    return first;
}

}  // namespace

DWORD RemoveHiddenEntries(const std::u16string& deviceFolder, const std::u16string& pattern)
{
    std::string hostFolder;
    DWORD error = ERROR_SUCCESS;
    if (!MapToHost(deviceFolder.c_str(), hostFolder, error)) return ERROR_SUCCESS;
    const int fd = open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ERROR_SUCCESS;
    DWORD first = ERROR_SUCCESS;
    bool changed = false;
    std::u16string name;
    for (const std::string& hostName : NamesIn(fd)) {
        struct stat st;
        if (DeviceNameOf(hostName, name)) {
            // A spelled name is hidden only as a link that dangles or leaves the device.
            if (!MatchesFindPattern(pattern, name) || fstatat(fd, hostName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISLNK(st.st_mode) || IsListedEntry(hostFolder + "/" + hostName, st))
                continue;
        } else if (!MatchesFindPattern(pattern, Utf8ToWide(hostName))) {
            continue;
        }
        Keep(first, RemoveHostEntry(fd, hostName, 0));
        changed = true;
    }
    close(fd);
    if (changed) {
        ForgetResolvedPaths();
        CloseParkedFiles();
    }
    return first;
}

}  // namespace wce::detail
