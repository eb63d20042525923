// Which object of the device an open file or folder is, for callers that must compare
// objects rather than spellings (two paths reaching one folder through a link).
#include "file_info.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "device_path.h"
#include "handles.h"
#include "host_ptr.h"
#include "nothrow.h"
#include "wce/files.h"
#include "wce/wstring.h"

namespace {

class FolderObject : public wce::detail::KernelObject {
public:
    FolderObject(int fd, std::string hostPath) : m_fd(fd), m_hostPath(std::move(hostPath)) {}
    ~FolderObject() override { close(m_fd); }
    FolderObject(const FolderObject&) = delete;
    FolderObject& operator=(const FolderObject&) = delete;

    int Fd() const { return m_fd; }
    const std::string& HostPath() const { return m_hostPath; }

private:
    int m_fd;
    std::string m_hostPath;
};

bool StatusOf(HANDLE handle, struct stat& st, std::string& hostPath)
{
    if (wce::detail::OpenFileStatus(handle, st, hostPath)) return true;
    std::shared_ptr<FolderObject> folder = wce::detail::FindHandle<FolderObject>(handle);
    if (!folder) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (fstat(folder->Fd(), &st) != 0) {
        SetLastError(wce::detail::ErrorFromErrno(errno));
        return false;
    }
    hostPath = folder->HostPath();
    return true;
}

bool IsBelowOrSame(const std::string& path, const std::string& folder)
{
    if (folder == "/") return true;
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace

HANDLE wce::detail::AddFolderHandle(int fd, const std::string& hostPath)
{
    std::unique_ptr<FolderObject> folder;
    try {
        folder = std::make_unique<FolderObject>(fd, hostPath);
    } catch (...) {
        close(fd);
        throw;
    }
    HANDLE handle = AddHandle(std::move(folder));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    return wce::detail::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
        if (!information) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        struct stat st;
        std::string hostPath;
        if (!StatusOf(file, st, hostPath)) return FALSE;
        BY_HANDLE_FILE_INFORMATION info{};
        wce::detail::DescribeObject(st, info);
        *information = info;
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags)
{
    return wce::detail::NoThrow<DWORD>(0, [&]() -> DWORD {
        if (flags != 0 || (!path && size > 0)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        struct stat st;
        std::string hostPath;
        if (!StatusOf(file, st, hostPath)) return 0;
        wce::detail::HostString real = wce::detail::RealPath(hostPath);
        wce::detail::HostString root = wce::detail::RealPath(wce::detail::DeviceRootHostPath());
        struct stat now;
        // The object must still be where its path leads, and on the device.
        if (!real || !root || stat(real.get(), &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino ||
            !IsBelowOrSame(real.get(), root.get())) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        const std::string rootText = root.get();
        std::string rest = std::string(real.get()).substr(rootText == "/" ? 0 : rootText.size());
        std::u16string device = Utf8ToWide(rest.empty() ? std::string("/") : rest);
        for (char16_t& c : device)
            if (c == u'/') c = u'\\';
        if (device.size() + 1 > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return static_cast<DWORD>(device.size() + 1);
        }
        std::copy(device.begin(), device.end(), path);
        path[device.size()] = 0;
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(device.size());
    });
}
