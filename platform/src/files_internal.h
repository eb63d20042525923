// What the file calls share across their files: the open file and its handle's state, and
// the helpers for failing a call. files.cpp reads, writes and changes the tree;
// file_open.cpp opens files under their share modes; file_find.cpp lists folders;
// file_parking.cpp and file_quotas.cpp each keep one table.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device_path.h"
#include "handles.h"
#include "wce/files.h"

namespace wce::detail {

// Descriptors kept for reopening files read before (file_parking.cpp).
void ParkFile(const std::string& hostPath, dev_t device, ino_t inode, int fd);
// A parked descriptor of the file st describes (just seen at hostPath), or -1.
int TakeParkedFile(const std::string& hostPath, const struct stat& st);

// An open file: its descriptor, the access and sharing it was opened with, and the
// handle's own position. Closing a file opened to read parks its descriptor.
class FileObject : public KernelObject {
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

// Opening (file_open.cpp).
std::mutex& OpenLock();
// Whether any handle has the file open.
bool IsOpen(dev_t device, ino_t inode);
HANDLE OpenDeviceFile(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes);

// Write quotas by host folder (file_quotas.cpp).
std::int64_t WritableBytes(const std::string& hostPath, std::int64_t wanted);
void ChargeQuotas(const std::string& hostPath, std::int64_t written);

// What a listing and the object queries report of a host status (files.cpp).
FILETIME ToFileTime(const struct timespec& time);
DWORD AttributesOf(const struct stat& st);

template <class T>
std::shared_ptr<T> FindOrFail(HANDLE handle)
{
    std::shared_ptr<T> object = FindHandle<T>(handle);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

inline BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

inline HANDLE FailHandle(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

inline DWORD OpenError(int error, const std::string& hostPath)
{
    return error == ENOENT ? MissingPathError(hostPath) : ErrorFromErrno(error);
}

}  // namespace wce::detail
