#include "device_names.h"

#include <cstdint>

#include "device_path.h"
#include "host_ptr.h"
#include "wce/wstring.h"
#include "wce/types.h"

namespace wce::detail {
namespace {

bool IsDeviceNameUnit(char16_t c)
{
    if (c < 0x20) return false;
    switch (c) {
    case u'\\': case u'/': case u'<': case u'>': case u':': case u'"': case u'|': case u'?': case u'*':
        return false;
    default:
        return true;
    }
}

bool IsBelowOrSame(const std::string& path, const std::string& folder)
{
    if (folder == "/") return true;
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

// '*' matches any run of units, '?' exactly one; letters compare as on the device.
bool MatchesPattern(const WCHAR* pattern, const WCHAR* name)
{
    const WCHAR* starPattern = nullptr;
    const WCHAR* starName = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern && (*pattern == u'?' || WCharLower(*pattern) == WCharLower(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == u'*') ++pattern;
    return *pattern == 0;
}

}  // namespace

bool MatchesFindPattern(const std::u16string& pattern, const std::u16string& name)
{
    if (MatchesPattern(pattern.c_str(), name.c_str())) return true;
    // As on the device, a trailing ".*" also matches a name without any extension ("*.*").
    const size_t n = pattern.size();
    return n >= 2 && pattern.compare(n - 2, 2, u".*") == 0 && name.find(u'.') == std::u16string::npos &&
           MatchesPattern(pattern.substr(0, n - 2).c_str(), name.c_str());
}

bool DeviceNameOf(const std::string& hostName, std::u16string& name)
{
    name.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(hostName.data());
    const size_t n = hostName.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        std::uint32_t cp;
        size_t extra;
        if (b < 0x80) {
            cp = b, extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu, extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu, extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07u, extra = 3;
        } else {
            return false;
        }
        if (n - i <= extra) return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3Fu);
        }
        static const std::uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            name.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            name.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            if (!IsDeviceNameUnit(static_cast<char16_t>(cp))) return false;
            name.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return !name.empty() && name.size() <= MAX_PATH - 1;
}

bool IsListedEntry(const std::string& hostPath, struct stat& st)
{
    if (lstat(hostPath.c_str(), &st) != 0) return false;
    if (!S_ISLNK(st.st_mode)) return true;
    // A link is shown as what it points to, while that stays on the device.
    HostString real = RealPath(hostPath);
    HostString realRoot = RealPath(DeviceRootHostPath());
    if (!real || !realRoot || !IsBelowOrSame(real.get(), realRoot.get())) return false;
    return stat(hostPath.c_str(), &st) == 0;
}

}  // namespace wce::detail
