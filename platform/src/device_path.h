// Where device paths live on the host, for the platform files that touch the host.
#pragma once

#include <sys/stat.h>

#include <string>

#include "wce/types.h"

namespace wce::detail {

// Host path of the device root: absolute, without a trailing separator.
std::string DeviceRootHostPath();
// The device root with its links resolved, or as written while it does not exist: what
// processes share per device (named mutexes, window lists) is keyed on it, so that two
// ways to one folder are one device.
std::string CanonicalDeviceRoot();
// Counts changes of the device root, so that caches of files kept in the root (the
// registry) can tell that they belong to another device now.
unsigned long DeviceRootGeneration();
// Host path of a file directly in the device root, e.g. "registry.reg" or "launches.txt".
std::string HostPathInRoot(const std::string& fileName);

// Whether a symbolic link in the last component is followed (opening, attributes) or taken
// as the name itself (deleting or renaming the link).
enum class LastLink { Follow, Keep };

// What the walk over a path saw of the host, when no name on it is a symbolic link: a
// caller may use it instead of asking the host again.
struct PathStatus {
    bool whole = false;      // every name exists; st is the last one's status
    bool belowFile = false;  // a file (no folder) with names still to follow: nothing can exist there
    struct stat st {};
};

// Maps a device path to its host path (see wce::host::MapDevicePath). On failure returns
// false and sets error; does not touch the last error. Names resolved before are checked,
// not searched for again.
bool MapToHost(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last = LastLink::Follow,
               PathStatus* status = nullptr);
// Drops every cached resolution: called after anything the platform deletes or renames, so
// that a lookup never answers with a host name that is gone or no longer the one the device
// would find.
void ForgetResolvedPaths();
// Closes the descriptors kept for reopening files read before (file_parking.cpp): the next
// open asks the host again.
void CloseParkedFiles();
// As MapToHost, but reports a failure through SetLastError.
bool MapToHostOrFail(LPCWSTR devicePath, std::string& hostPath, LastLink last = LastLink::Follow,
                     PathStatus* status = nullptr);

// True when the device path names a symbolic link on the host (the link is not followed).
bool IsSymbolicLink(LPCWSTR devicePath);

// The platform error code for a host errno value.
DWORD ErrorFromErrno(int error);
// ERROR_FILE_NOT_FOUND when the host path's folder exists, else ERROR_PATH_NOT_FOUND.
DWORD MissingPathError(const std::string& hostPath);

}  // namespace wce::detail
