// Files and directories of the device on the host: reading and writing open files, their
// attributes, and the calls that change the tree (folders, delete, move, copy), with the
// device's error codes on top of POSIX calls. Opening, searching, parked descriptors and
// quotas have files of their own (files_internal.h).
#include <errno.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "device_path.h"
#include "file_faults.h"
#include "file_info.h"
#include "files_internal.h"
#include "handles.h"
#include "nothrow.h"
#include "wce/files.h"

namespace {

using wce::detail::AttributesOf;
using wce::detail::ChargeQuotas;
using wce::detail::ErrorFromErrno;
using wce::detail::Fail;
using wce::detail::FileObject;
using wce::detail::FindOrFail;
using wce::detail::IsOpen;
using wce::detail::LastLink;
using wce::detail::MapToHostOrFail;
using wce::detail::OpenDeviceFile;
using wce::detail::OpenError;
using wce::detail::OpenLock;
using wce::detail::ToFileTime;
using wce::detail::WritableBytes;

constexpr DWORD kErrorDirectory = 267;  // a directory operation on something else

bool IsDeviceRoot(const std::string& hostPath) { return hostPath == wce::detail::DeviceRootHostPath(); }

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

}  // namespace

FILETIME wce::detail::ToFileTime(const struct timespec& time)
{
    // 100-nanosecond steps since 1601-01-01.
    const std::int64_t ticks =
        (static_cast<std::int64_t>(time.tv_sec) + 11644473600LL) * 10000000LL + time.tv_nsec / 100;
    const auto value = static_cast<std::uint64_t>(std::max<std::int64_t>(ticks, 0));
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

DWORD wce::detail::AttributesOf(const struct stat& st)
{
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | (readOnly ? DWORD{FILE_ATTRIBUTE_READONLY} : DWORD{0});
    return readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

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
        const auto allowed = static_cast<DWORD>(WritableBytes(object->HostPath(), bytesToWrite));
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
        ChargeQuotas(object->HostPath(), done);
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
