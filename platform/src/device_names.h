// Which host names the device can show. The device's file system cannot store '\\', the
// characters < > : " | ? *, units below 0x20 or a name longer than 259 units; a host name
// holding one of them, or that is not valid UTF-8, has no device spelling at all and is
// never listed, found or opened through a device path.
#pragma once

#include <sys/stat.h>

#include <string>

namespace wce::detail {

// True and the name's device spelling when it has one.
bool DeviceNameOf(const std::string& hostName, std::u16string& name);

// Whether a listing shows the entry at hostPath, whose name has a device spelling: anything
// but a symbolic link that dangles or resolves outside the device root. st ends as what the
// listing reports (a link's target).
bool IsListedEntry(const std::string& hostPath, struct stat& st);

// A search pattern's last component against a device name: '*' matches any run of units,
// '?' exactly one, letters compare as on the device.
bool MatchesFindPattern(const std::u16string& pattern, const std::u16string& name);

}  // namespace wce::detail
