// Where device paths live on the host, for the platform files that touch the host.
#pragma once

#include <sys/types.h>

#include <string>

#include "wce/types.h"

namespace wce::detail {

// Host path of the device root: absolute, without a trailing separator.
std::string DeviceRootHostPath();
// Counts changes of the device root, so that caches of files kept in the root (the
// registry) can tell that they belong to another device now.
unsigned long DeviceRootGeneration();
// Host path of a file directly in the device root, e.g. "registry.reg" or "launches.txt".
std::string HostPathInRoot(const std::string& fileName);

// Whether a symbolic link in the last component is followed (opening, attributes) or taken
// as the name itself (deleting or renaming the link).
enum class LastLink { Follow, Keep };

// The object a cached resolution found at the end of a path. A caller that asks for it
// (see MapToHost) stats the result anyway and compares; on a mismatch or a failure it calls
// ForgetResolvedPaths and maps the path again without asking.
struct HostIdentity {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool directory = false;
    // Set whether or not known: the walk met a file (no link) with names still to follow,
    // so nothing can exist at the path; looking would fail with ERROR_PATH_NOT_FOUND.
    bool belowFile = false;
    bool Matches(dev_t otherDevice, ino_t otherInode, bool otherDirectory) const
    {
        return device == otherDevice && inode == otherInode && directory == otherDirectory;
    }
};

// Maps a device path to its host path (see wce::host::MapDevicePath). On failure returns
// false and sets error; does not touch the last error. With unchecked, a path resolved
// whole from the cache is returned without a look at the host, its identity in *unchecked
// (known stays false otherwise).
bool MapToHost(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last = LastLink::Follow,
               HostIdentity* unchecked = nullptr);
// Drops every cached resolution: called after anything the platform creates, deletes or
// renames, so that a lookup never answers with a host name that is gone or no longer the
// one the device would find.
void ForgetResolvedPaths();
// As MapToHost, but reports a failure through SetLastError.
bool MapToHostOrFail(LPCWSTR devicePath, std::string& hostPath, LastLink last = LastLink::Follow,
                     HostIdentity* unchecked = nullptr);

// True when the device path names a symbolic link on the host (the link is not followed).
bool IsSymbolicLink(LPCWSTR devicePath);

// The platform error code for a host errno value.
DWORD ErrorFromErrno(int error);
// ERROR_FILE_NOT_FOUND when the host path's folder exists, else ERROR_PATH_NOT_FOUND.
DWORD MissingPathError(const std::string& hostPath);

}  // namespace wce::detail
