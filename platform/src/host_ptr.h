// Owners for what the host's C library hands out, so that an exception (an allocation that
// fails in the middle of a walk) cannot leak them.
#pragma once

#include <dirent.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace wce::detail {

struct HostFree {
    void operator()(char* p) const { std::free(p); }
};
using HostString = std::unique_ptr<char, HostFree>;

// realpath(path), or null.
inline HostString RealPath(const std::string& path) { return HostString(realpath(path.c_str(), nullptr)); }

struct DirClose {
    void operator()(DIR* dir) const { closedir(dir); }
};
using HostDir = std::unique_ptr<DIR, DirClose>;

}  // namespace wce::detail
