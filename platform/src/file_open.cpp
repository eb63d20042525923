// Opening files: CreateFileW's dispositions, the share-mode check against the handles already
// open, and reopening a parked descriptor for a file opened again to read.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <string>

#include "device_path.h"
#include "file_faults.h"
#include "file_info.h"
#include "files_internal.h"
#include "handles.h"
#include "nothrow.h"
#include "wce/files.h"

namespace {

using wce::detail::ErrorFromErrno;
using wce::detail::FailHandle;
using wce::detail::FileObject;
using wce::detail::LastLink;
using wce::detail::MapToHostOrFail;
using wce::detail::MissingPathError;
using wce::detail::OpenError;
using wce::detail::OpenDeviceFile;
using wce::detail::OpenLock;
using wce::detail::TakeParkedFile;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

bool ConflictsWithOpenHandles(dev_t device, ino_t inode, DWORD access, DWORD share)
{
    bool conflict = false;
    wce::detail::ForEachHandle<FileObject>([&](const FileObject& open) {
        if (!open.IsFile(device, inode)) return;
        const DWORD was = open.Access() & kReadWrite;
        const DWORD wants = access & kReadWrite;
        if (((wants & GENERIC_READ) && !(open.Share() & FILE_SHARE_READ)) ||
            ((wants & GENERIC_WRITE) && !(open.Share() & FILE_SHARE_WRITE)) ||
            ((was & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
            ((was & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)))
            conflict = true;
    });
    return conflict;
}

HANDLE AddFile(int fd, const struct stat& st, LPCWSTR path, DWORD access, DWORD share, const std::string& hostPath)
{
    return wce::detail::AddHandle(std::make_unique<FileObject>(fd, st, access, share, std::u16string(path), hostPath));
}

// Opening an existing file to read: what the path's walk saw, or the open itself, tells
// what is there, so nothing else is asked of the host. The descriptor stays non-blocking,
// which a regular file ignores; anything else is refused before it is read.
HANDLE OpenExistingToRead(LPCWSTR path, DWORD access, DWORD share, DWORD attributes)
{
    const bool noFollow = (attributes & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
    const bool folders = (attributes & FILE_FLAG_BACKUP_SEMANTICS) != 0;
    wce::detail::PathStatus seen;
    std::string hostPath;
    if (!MapToHostOrFail(path, hostPath, noFollow ? LastLink::Keep : LastLink::Follow, &seen))
        return INVALID_HANDLE_VALUE;
    if (seen.whole && !S_ISREG(seen.st.st_mode) && !(folders && S_ISDIR(seen.st.st_mode)))
        return FailHandle(ERROR_ACCESS_DENIED);
    std::lock_guard<std::mutex> guard(OpenLock());
    struct stat st = seen.st;
    int fd = seen.whole && S_ISREG(st.st_mode) ? TakeParkedFile(hostPath, st) : -1;
    if (fd < 0) {
        fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0));
        if (fd < 0)
            return FailHandle(noFollow && errno == ELOOP ? ERROR_CANT_RESOLVE_FILENAME : OpenError(errno, hostPath));
        const bool known = fstat(fd, &st) == 0;
        if (known && folders && S_ISDIR(st.st_mode)) return wce::detail::AddFolderHandle(fd, hostPath);
        if (!known || !S_ISREG(st.st_mode)) {
            close(fd);
            return FailHandle(ERROR_ACCESS_DENIED);
        }
    }
    if (ConflictsWithOpenHandles(st.st_dev, st.st_ino, access, share)) {
        close(fd);
        return FailHandle(ERROR_SHARING_VIOLATION);
    }
    HANDLE handle = AddFile(fd, st, path, access, share, hostPath);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

}  // namespace

// Guards the share-mode check together with the open it allows.
std::mutex& wce::detail::OpenLock()
{
    static std::mutex lock;
    return lock;
}

bool wce::detail::IsOpen(dev_t device, ino_t inode)
{
    bool open = false;
    wce::detail::ForEachHandle<FileObject>([&](const FileObject& file) { open = open || file.IsFile(device, inode); });
    return open;
}

// Opens (or creates) a regular file; the share-mode check runs before any truncation, so a
// refused CREATE_ALWAYS leaves the other opener's data alone.
HANDLE wce::detail::OpenDeviceFile(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return FailHandle(ERROR_INVALID_PARAMETER);
    if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return FailHandle(ERROR_INVALID_PARAMETER);
    if (const int fault = wce::detail::FileFault(wce::test::kFileCreate)) return FailHandle(ErrorFromErrno(fault));
    if (disposition == OPEN_EXISTING && !(access & GENERIC_WRITE))
        return OpenExistingToRead(path, access, share, attributes);
    const bool noFollow = (attributes & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
    std::string hostPath;
    if (!MapToHostOrFail(path, hostPath, noFollow ? LastLink::Keep : LastLink::Follow)) return INVALID_HANDLE_VALUE;

    const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0);  // never hang on a FIFO
    const DWORD readWrite = access & kReadWrite;
    if (readWrite == kReadWrite || truncates)
        flags |= O_RDWR;
    else if (readWrite == GENERIC_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;

    std::lock_guard<std::mutex> guard(OpenLock());
    struct stat st;
    int fd = -1;
    bool existed = false;
    // A few attempts, for a file that another process creates or removes meanwhile.
    for (int attempt = 0; attempt < 4 && fd < 0; ++attempt) {
        if ((noFollow ? lstat(hostPath.c_str(), &st) : stat(hostPath.c_str(), &st)) == 0) {
            if (S_ISLNK(st.st_mode)) return FailHandle(ERROR_CANT_RESOLVE_FILENAME);
            if (!S_ISREG(st.st_mode)) return FailHandle(ERROR_ACCESS_DENIED);
            if (disposition == CREATE_NEW) return FailHandle(ERROR_FILE_EXISTS);
            if (((readWrite & GENERIC_WRITE) || truncates) && !(st.st_mode & S_IWUSR))
                return FailHandle(ERROR_ACCESS_DENIED);
            existed = true;
            fd = open(hostPath.c_str(), flags);
            if (fd < 0 && noFollow && errno == ELOOP) return FailHandle(ERROR_CANT_RESOLVE_FILENAME);
            if (fd < 0 && errno != ENOENT) return FailHandle(OpenError(errno, hostPath));
        } else if (errno != ENOENT) {
            return FailHandle(OpenError(errno, hostPath));
        } else if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
            return FailHandle(MissingPathError(hostPath));
        } else {
            existed = false;
            fd = open(hostPath.c_str(), flags | O_CREAT | O_EXCL, mode);  // a new name leaves the caches true
            if (fd < 0 && errno == EEXIST && disposition == CREATE_NEW) return FailHandle(ERROR_FILE_EXISTS);
            if (fd < 0 && errno != EEXIST) return FailHandle(OpenError(errno, hostPath));
        }
    }
    if (fd < 0) return FailHandle(ERROR_SHARING_VIOLATION);

    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return FailHandle(ERROR_ACCESS_DENIED);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (existed && ConflictsWithOpenHandles(st.st_dev, st.st_ino, access, share)) {
        close(fd);
        return FailHandle(ERROR_SHARING_VIOLATION);
    }
    if (existed && truncates && ftruncate(fd, 0) != 0) {
        const int error = errno;
        close(fd);
        return FailHandle(ErrorFromErrno(error));
    }
    HANDLE handle = AddFile(fd, st, path, access, share, hostPath);
    // Windows reports that CREATE_ALWAYS / OPEN_ALWAYS found the file, while succeeding.
    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                          : ERROR_SUCCESS);
    return handle;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE)
{
    return wce::detail::NoThrow<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        return OpenDeviceFile(path, access, shareMode, creationDisposition, flagsAndAttributes);
    });
}
