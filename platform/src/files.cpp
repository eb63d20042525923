// Files and directories of the device on the host: share modes, write quotas and the
// device's error codes on top of POSIX calls.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "device_names.h"
#include "device_path.h"
#include "file_faults.h"
#include "file_info.h"
#include "handles.h"
#include "host_ptr.h"
#include "nothrow.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace {

using wce::detail::ErrorFromErrno;
using wce::detail::LastLink;
using wce::detail::MapToHostOrFail;
using wce::detail::MissingPathError;

constexpr DWORD kErrorDirectory = 267;  // a directory operation on something else
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

// Quotas by host folder: bytes that may still be written to files below it.
struct Quotas {
    std::mutex lock;
    std::map<std::string, std::int64_t> remaining;
};

Quotas& GetQuotas()
{
    static Quotas quotas;
    return quotas;
}

bool IsBelow(const std::string& path, const std::string& folder)
{
    if (folder == "/") return true;
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// Descriptors of files closed after reading, kept for the next open of the same file: a
// resource archive is opened again for every entry read from it, and opening and closing
// cost more than reading a small entry. One is handed out again only while its path still
// names the same file; anything deleted or renamed through the platform closes them all, so
// a deleted file's space goes at once, as on the device.
struct ParkedFile {
    std::string hostPath;
    dev_t device;
    ino_t inode;
    int fd;
};

struct ParkedFiles {
    std::mutex lock;
    std::vector<ParkedFile> files;  // oldest first
};

constexpr size_t kMaxParkedFiles = 4;

// Never destroyed: a file still open at exit is closed (parked) by the handle table's
// destructor, which may run after this one would have.
ParkedFiles& GetParkedFiles()
{
    static ParkedFiles* parked = new ParkedFiles;
    return *parked;
}

void ParkFile(const std::string& hostPath, dev_t device, ino_t inode, int fd)
{
    int evicted = -1;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        try {
            if (parked.files.size() == kMaxParkedFiles) {
                evicted = parked.files.front().fd;
                parked.files.erase(parked.files.begin());
            }
            parked.files.push_back(ParkedFile{hostPath, device, inode, fd});
            fd = -1;
        } catch (const std::bad_alloc&) {
        }
    }
    if (evicted >= 0) close(evicted);
    if (fd >= 0) close(fd);
}

// A parked descriptor of the file st describes (just seen at hostPath), or -1. The others
// parked for the path belong to files that are gone from it: they are closed.
int TakeParkedFile(const std::string& hostPath, const struct stat& st)
{
    int found = -1;
    std::vector<int> stale;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        for (auto it = parked.files.begin(); it != parked.files.end();) {
            if (it->hostPath != hostPath) {
                ++it;
                continue;
            }
            if (found < 0 && it->device == st.st_dev && it->inode == st.st_ino)
                found = it->fd;
            else
                stale.push_back(it->fd);
            it = parked.files.erase(it);
        }
    }
    for (int fd : stale) close(fd);
    return found;
}

}  // namespace

void wce::detail::CloseParkedFiles()
{
    std::vector<ParkedFile> files;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        files.swap(parked.files);
    }
    for (const ParkedFile& file : files) close(file.fd);
}

namespace {

class FileObject : public wce::detail::KernelObject {
public:
    // st: the open file's own status.
    FileObject(int fd, const struct stat& st, DWORD access, DWORD share, std::u16string devicePath,
               std::string hostPath)
        : m_fd(fd), m_access(access), m_share(share), m_devicePath(std::move(devicePath)),
          m_hostPath(std::move(hostPath)), m_device(st.st_dev), m_inode(st.st_ino)
    {
    }
    ~FileObject() override
    {
        if (m_access & GENERIC_WRITE)
            close(m_fd);
        else
            ParkFile(m_hostPath, m_device, m_inode, m_fd);
    }
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Fd() const { return m_fd; }
    // The handle's own file position, used with pread and pwrite: the descriptor's is never
    // moved, so a parked descriptor needs no rewinding. Hold Lock() around its use.
    std::int64_t& Position() { return m_position; }
    std::mutex& Lock() { return m_lock; }
    DWORD Access() const { return m_access; }
    DWORD Share() const { return m_share; }
    bool IsFile(dev_t device, ino_t inode) const { return m_device == device && m_inode == inode; }
    const std::u16string& DevicePath() const { return m_devicePath; }
    // The quotas this file counts against are found by its host path at each write, so a
    // quota set while the file is open applies too. An open file cannot be moved.
    const std::string& HostPath() const { return m_hostPath; }

private:
    int m_fd;
    DWORD m_access;
    DWORD m_share;
    std::u16string m_devicePath;
    std::string m_hostPath;
    dev_t m_device;
    ino_t m_inode;
    std::mutex m_lock;
    std::int64_t m_position = 0;
};

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

// Guards the share-mode check together with the open it allows.
std::mutex& OpenLock()
{
    static std::mutex lock;
    return lock;
}

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

bool IsOpen(dev_t device, ino_t inode)
{
    bool open = false;
    wce::detail::ForEachHandle<FileObject>([&](const FileObject& file) { open = open || file.IsFile(device, inode); });
    return open;
}

bool IsDeviceRoot(const std::string& hostPath) { return hostPath == wce::detail::DeviceRootHostPath(); }

template <class T>
std::shared_ptr<T> FindOrFail(HANDLE handle)
{
    std::shared_ptr<T> object = wce::detail::FindHandle<T>(handle);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

HANDLE FailHandle(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

DWORD OpenError(int error, const std::string& hostPath)
{
    return error == ENOENT ? MissingPathError(hostPath) : ErrorFromErrno(error);
}

FILETIME ToFileTime(const struct timespec& time)
{
    // 100-nanosecond steps since 1601-01-01.
    const std::int64_t ticks =
        (static_cast<std::int64_t>(time.tv_sec) + 11644473600LL) * 10000000LL + time.tv_nsec / 100;
    const auto value = static_cast<std::uint64_t>(std::max<std::int64_t>(ticks, 0));
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

DWORD AttributesOf(const struct stat& st)
{
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | (readOnly ? DWORD{FILE_ATTRIBUTE_READONLY} : DWORD{0});
    return readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

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

// Passes on the result of a host call that removes or renames a name, keeping its errno,
// after dropping the cached resolutions that may no longer hold.
int ChangeTree(int result)
{
    const int error = errno;
    wce::detail::ForgetResolvedPaths();
    wce::detail::CloseParkedFiles();
    errno = error;
    return result;
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

// Opens (or creates) a regular file; the share-mode check runs before any truncation, so a
// refused CREATE_ALWAYS leaves the other opener's data alone.
HANDLE OpenDeviceFile(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes)
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

// Bytes a write may still put below the file's quota folders (all of them, when nested).
std::int64_t WritableBytes(const FileObject& file, std::int64_t wanted)
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    for (const auto& quota : quotas.remaining)
        if (IsBelow(file.HostPath(), quota.first)) wanted = std::min(wanted, std::max<std::int64_t>(quota.second, 0));
    return wanted;
}

void ChargeQuotas(const FileObject& file, std::int64_t written)
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    for (auto& quota : quotas.remaining)
        if (IsBelow(file.HostPath(), quota.first)) quota.second -= written;
}

}  // namespace

bool wce::detail::OpenFileStatus(HANDLE handle, struct stat& st, std::string& hostPath)
{
    std::shared_ptr<FileObject> object = wce::detail::FindHandle<FileObject>(handle);
    if (!object) return false;
    if (fstat(object->Fd(), &st) != 0) return false;
    hostPath = object->HostPath();
    return true;
}

void wce::detail::DescribeObject(const struct stat& st, BY_HANDLE_FILE_INFORMATION& info)
{
    info.dwFileAttributes = AttributesOf(st);
    info.ftCreationTime = info.ftLastAccessTime = info.ftLastWriteTime = ToFileTime(st.st_mtim);
    // The host's device numbers fit 12 + 20 bits.
    info.dwVolumeSerialNumber = static_cast<DWORD>((major(st.st_dev) << 20) | (minor(st.st_dev) & 0xFFFFFu));
    const auto size = static_cast<std::uint64_t>(st.st_size);
    info.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info.nFileSizeLow = static_cast<DWORD>(size);
    info.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    const auto index = static_cast<std::uint64_t>(st.st_ino);
    info.nFileIndexHigh = static_cast<DWORD>(index >> 32);
    info.nFileIndexLow = static_cast<DWORD>(index);
}

namespace wce::host {

void SetWriteQuota(LPCWSTR deviceFolder, std::int64_t bytes)
{
    std::string hostFolder;
    DWORD error = ERROR_SUCCESS;
    if (!wce::detail::MapToHost(deviceFolder, hostFolder, error)) return;
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    if (bytes < 0)
        quotas.remaining.erase(hostFolder);
    else
        quotas.remaining[hostFolder] = bytes;
}

void ClearWriteQuotas()
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    quotas.remaining.clear();
}

}  // namespace wce::host

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE)
{
    return wce::detail::NoThrow<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        return OpenDeviceFile(path, access, shareMode, creationDisposition, flagsAndAttributes);
    });
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        if (bytesRead) *bytesRead = 0;
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return FALSE;
        if (!bytesRead || overlapped || (!buffer && bytesToRead > 0)) return Fail(ERROR_INVALID_PARAMETER);
        if (!(object->Access() & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED);
        auto* out = static_cast<char*>(buffer);
        std::lock_guard<std::mutex> guard(object->Lock());
        std::int64_t& position = object->Position();
        DWORD done = 0;
        DWORD error = ERROR_SUCCESS;
        while (done < bytesToRead) {
            const ssize_t n = pread(object->Fd(), out + done, bytesToRead - done, static_cast<off_t>(position + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = errno == EIO ? ERROR_READ_FAULT : ErrorFromErrno(errno);
                break;
            }
            if (n == 0) break;  // end of file: a short read is still a success
            done += static_cast<DWORD>(n);
        }
        position += done;
        *bytesRead = done;
        return error == ERROR_SUCCESS ? TRUE : Fail(error);
    });
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        if (bytesWritten) *bytesWritten = 0;
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return FALSE;
        if (!bytesWritten || overlapped || (!buffer && bytesToWrite > 0)) return Fail(ERROR_INVALID_PARAMETER);
        if (!(object->Access() & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
        const auto allowed = static_cast<DWORD>(WritableBytes(*object, bytesToWrite));
        const auto* in = static_cast<const char*>(buffer);
        std::lock_guard<std::mutex> guard(object->Lock());
        std::int64_t& position = object->Position();
        DWORD done = 0;
        DWORD error = ERROR_SUCCESS;
        const int fault = wce::detail::CheckFileFault(wce::test::kFileWrite);
        if (fault == wce::detail::kFaultEndsProcess) {
            // Cut off in the middle of the write, as a power cut would.
            [[maybe_unused]] const ssize_t half = pwrite(object->Fd(), in, allowed / 2, static_cast<off_t>(position));
            wce::detail::EndProcessForFault();
        }
        if (fault) error = fault == EIO ? ERROR_WRITE_FAULT : ErrorFromErrno(fault);
        while (error == ERROR_SUCCESS && done < allowed) {
            const ssize_t n = pwrite(object->Fd(), in + done, allowed - done, static_cast<off_t>(position + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? (errno == EIO ? ERROR_WRITE_FAULT : ErrorFromErrno(errno)) : ERROR_DISK_FULL;
                break;
            }
            done += static_cast<DWORD>(n);
        }
        position += done;
        ChargeQuotas(*object, done);
        *bytesWritten = done;
        if (error == ERROR_SUCCESS && done < bytesToWrite) error = ERROR_DISK_FULL;
        return error == ERROR_SUCCESS ? TRUE : Fail(error);
    });
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod)
{
    return wce::detail::NoThrow<DWORD>(INVALID_SET_FILE_POINTER, [&]() -> DWORD {
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return INVALID_SET_FILE_POINTER;
        const std::int64_t offset =
            distanceHigh ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                     static_cast<DWORD>(distance))
                         : static_cast<std::int64_t>(distance);
        std::lock_guard<std::mutex> guard(object->Lock());
        std::int64_t base = 0;
        if (moveMethod == FILE_CURRENT) {
            base = object->Position();
        } else if (moveMethod == FILE_END) {
            struct stat st;
            base = fstat(object->Fd(), &st) == 0 ? st.st_size : -1;
        } else if (moveMethod != FILE_BEGIN) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
        std::int64_t position = 0;
        if (base < 0 || __builtin_add_overflow(base, offset, &position)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
        if (position < 0) {
            SetLastError(ERROR_NEGATIVE_SEEK);
            return INVALID_SET_FILE_POINTER;
        }
        if (!distanceHigh && position > 0xFFFFFFFELL) {  // the result would not fit the one return value
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
        }
        object->Position() = position;
        if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
        const auto low = static_cast<DWORD>(position);
        if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);  // tells a real position from failure
        return low;
    });
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    return wce::detail::NoThrow<DWORD>(INVALID_FILE_SIZE, [&]() -> DWORD {
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return INVALID_FILE_SIZE;
        struct stat st;
        if (fstat(object->Fd(), &st) != 0) {
            SetLastError(ErrorFromErrno(errno));
            return INVALID_FILE_SIZE;
        }
        const auto size = static_cast<std::uint64_t>(st.st_size);
        if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
        const auto low = static_cast<DWORD>(size);
        if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
        return low;
    });
}

BOOL SetEndOfFile(HANDLE file)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return FALSE;
        if (!(object->Access() & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
        std::lock_guard<std::mutex> guard(object->Lock());
        if (ftruncate(object->Fd(), static_cast<off_t>(object->Position())) != 0) return Fail(ErrorFromErrno(errno));
        return TRUE;
    });
}

BOOL FlushFileBuffers(HANDLE file)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::shared_ptr<FileObject> object = FindOrFail<FileObject>(file);
        if (!object) return FALSE;
        if (!(object->Access() & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED);
        if (const int fault = wce::detail::FileFault(wce::test::kFileFlush))
            return Fail(fault == EIO ? ERROR_WRITE_FAULT : ErrorFromErrno(fault));
        if (fsync(object->Fd()) != 0) return Fail(errno == EIO ? ERROR_WRITE_FAULT : ErrorFromErrno(errno));
        return TRUE;
    });
}

DWORD GetFileAttributesW(LPCWSTR path)
{
    return wce::detail::NoThrow<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD {
        wce::detail::PathStatus seen;
        std::string hostPath;
        if (!MapToHostOrFail(path, hostPath, LastLink::Follow, &seen)) return INVALID_FILE_ATTRIBUTES;
        // What a stat would say; a resource path inside an archive file asks this each time.
        if (seen.belowFile) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_FILE_ATTRIBUTES;
        }
        struct stat st = seen.st;
        if (!seen.whole && stat(hostPath.c_str(), &st) != 0) {
            SetLastError(OpenError(errno, hostPath));
            return INVALID_FILE_ATTRIBUTES;
        }
        return AttributesOf(st);
    });
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::string hostPath;
        if (!MapToHostOrFail(path, hostPath)) return FALSE;
        if (const int fault = wce::detail::FileFault(wce::test::kFileCreate)) return Fail(ErrorFromErrno(fault));
        // A new name changes no cached resolution (see device_path.cpp), and a refused one
        // changes nothing: unpacking deep trees tries every prefix of every path.
        if (mkdir(hostPath.c_str(), 0777) != 0) {
            if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
            return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        }
        return TRUE;
    });
}

BOOL RemoveDirectoryW(LPCWSTR path)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::string hostPath;
        if (!MapToHostOrFail(path, hostPath, LastLink::Keep)) return FALSE;
        struct stat st;
        if (lstat(hostPath.c_str(), &st) != 0) return Fail(OpenError(errno, hostPath));
        if (!S_ISDIR(st.st_mode)) return Fail(kErrorDirectory);
        if (IsDeviceRoot(hostPath)) return Fail(ERROR_ACCESS_DENIED);
        if (const int fault = wce::detail::FileFault(wce::test::kFileDelete)) return Fail(ErrorFromErrno(fault));
        if (ChangeTree(rmdir(hostPath.c_str())) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno));
        return TRUE;
    });
}

BOOL DeleteFileW(LPCWSTR path)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::string hostPath;
        if (!MapToHostOrFail(path, hostPath, LastLink::Keep)) return FALSE;
        std::lock_guard<std::mutex> guard(OpenLock());
        struct stat st;
        if (lstat(hostPath.c_str(), &st) != 0) return Fail(OpenError(errno, hostPath));
        if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
        if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
        // The device refuses to delete an open file; the host would let it vanish under the handle.
        if (IsOpen(st.st_dev, st.st_ino)) return Fail(ERROR_SHARING_VIOLATION);
        if (const int fault = wce::detail::FileFault(wce::test::kFileDelete)) return Fail(ErrorFromErrno(fault));
        if (ChangeTree(unlink(hostPath.c_str())) != 0) return Fail(OpenError(errno, hostPath));
        return TRUE;
    });
}

BOOL MoveFileW(LPCWSTR existingPath, LPCWSTR newPath)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        std::string from;
        std::string to;
        if (!MapToHostOrFail(existingPath, from, LastLink::Keep) || !MapToHostOrFail(newPath, to, LastLink::Keep))
            return FALSE;
        std::lock_guard<std::mutex> guard(OpenLock());
        struct stat st;
        if (lstat(from.c_str(), &st) != 0) return Fail(OpenError(errno, from));
        if (IsDeviceRoot(from)) return Fail(ERROR_ACCESS_DENIED);
        struct stat target;
        if (lstat(to.c_str(), &target) == 0) return Fail(ERROR_ALREADY_EXISTS);
        if (IsOpen(st.st_dev, st.st_ino)) return Fail(ERROR_SHARING_VIOLATION);
        if (const int fault = wce::detail::FileFault(wce::test::kFileRename)) return Fail(ErrorFromErrno(fault));
        if (ChangeTree(rename(from.c_str(), to.c_str())) != 0)
            return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return TRUE;
    });
}

BOOL CopyFileW(LPCWSTR existingPath, LPCWSTR newPath, BOOL failIfExists)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        if (!existingPath || !newPath) return Fail(ERROR_INVALID_PARAMETER);
        HANDLE source = OpenDeviceFile(existingPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
        if (source == INVALID_HANDLE_VALUE) return FALSE;
        HANDLE target =
            OpenDeviceFile(newPath, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        if (target == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            CloseHandle(source);
            return Fail(error);
        }
        std::vector<char> buffer(64 * 1024);
        DWORD error = ERROR_SUCCESS;
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
                error = GetLastError();
                break;
            }
            if (got == 0) break;
            DWORD put = 0;
            if (!WriteFile(target, buffer.data(), got, &put, nullptr)) {
                error = GetLastError();
                break;
            }
        }
        CloseHandle(source);
        CloseHandle(target);
        if (error == ERROR_SUCCESS) {
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
        DeleteFileW(newPath);  // no half copy that looks complete
        return Fail(error);
    });
}

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
