#include "device_path.h"

#include <dirent.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "host_ptr.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

constexpr DWORD kErrorTooManyOpenFiles = 4;
constexpr DWORD kErrorNotSameDevice = 17;

struct RootState {
    std::mutex lock;
    std::string root;  // empty until first use
    unsigned long generation = 0;
    std::string realRoot;  // the root with its links resolved, once it exists
};

RootState& GetRootState()
{
    static RootState state;
    return state;
}

std::string NormaliseHostFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = folder.empty() ? fs::current_path(ec) : fs::path(folder);
    if (ec) path = ".";
    fs::path absolute = fs::absolute(path, ec);
    if (!ec) path = absolute;
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text.empty() ? std::string("/") : text;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::u16string Fold(const std::u16string& text)
{
    std::u16string folded(text);
    for (auto& c : folded) c = WCharLower(c);
    return folded;
}

// The device's file system ignores case; the host's does not. Among several host names
// that differ only in case, the smallest wins so that the choice never depends on
// directory order.
bool FindNameIgnoringCase(const std::string& folder, const std::u16string& name, std::string& found)
{
    HostDir dir(opendir(folder.c_str()));
    if (!dir) return false;
    const std::u16string wanted = Fold(name);
    bool any = false;
    while (dirent* entry = readdir(dir.get())) {
        std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (Fold(Utf8ToWide(candidate)) != wanted) continue;
        if (!any || candidate < found) found = candidate;
        any = true;
    }
    return any;
}

bool IsInvalidNameUnit(WCHAR c)
{
    if (c < 0x20) return true;
    switch (c) {
    case u'<': case u'>': case u':': case u'"': case u'|': case u'?': case u'*':
        return true;
    default:
        return false;
    }
}

// Splits a device path into its components, resolving "." and ".." lexically as the device
// does; ".." at the root stays at the root.
bool SplitDevicePath(LPCWSTR devicePath, std::vector<std::u16string>& components, DWORD& error)
{
    if (!devicePath) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const size_t length = WStrLen(devicePath);
    if (length == 0) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (length > MAX_PATH - 1) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    size_t i = 0;
    const WCHAR first = devicePath[0];
    if (length >= 2 && devicePath[1] == u':' &&
        ((first >= u'A' && first <= u'Z') || (first >= u'a' && first <= u'z')))
        i = 2;  // a drive is only another name for the root
    std::u16string part;
    for (;; ++i) {
        const WCHAR c = i < length ? devicePath[i] : 0;
        if (c == 0 || c == u'\\' || c == u'/') {
            if (part == u"..") {
                if (!components.empty()) components.pop_back();
            } else if (!part.empty() && part != u".") {
                components.push_back(part);
            }
            part.clear();
            if (c == 0) break;
            continue;
        }
        if (IsInvalidNameUnit(c)) {
            error = ERROR_INVALID_NAME;
            return false;
        }
        part.push_back(c);
    }
    return true;
}

bool IsInside(const std::string& path, const std::string& folder)
{
    if (folder == "/") return true;
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

}  // namespace

std::string DeviceRootHostPath()
{
    RootState& state = GetRootState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.root.empty()) {
        const char* fromEnvironment = std::getenv("WCE_DEVICE_ROOT");
        state.root = NormaliseHostFolder(fromEnvironment ? fromEnvironment : "");
    }
    return state.root;
}

// Resolved once per root: every path lookup compares against it.
std::string RealDeviceRoot()
{
    const std::string root = DeviceRootHostPath();
    RootState& state = GetRootState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.realRoot.empty()) {
        HostString real = RealPath(root);
        if (!real) return std::string();
        state.realRoot = real.get();
    }
    return state.realRoot;
}

unsigned long DeviceRootGeneration()
{
    RootState& state = GetRootState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.generation;
}

std::string HostPathInRoot(const std::string& fileName) { return Join(DeviceRootHostPath(), fileName); }

namespace {
bool MapToHostOrThrow(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last);
}  // namespace

bool MapToHost(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last)
{
    try {
        return MapToHostOrThrow(devicePath, hostPath, error, last);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
}

namespace {

bool MapToHostOrThrow(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last)
{
    std::vector<std::u16string> components;
    if (!SplitDevicePath(devicePath, components, error)) return false;

    const std::string root = DeviceRootHostPath();
    std::string current = root;
    std::string deepestExisting = root;
    std::string parentOfDeepest = root;
    size_t existingCount = 0;
    bool existing = true;
    bool anyLink = false;  // among the existing components below the root
    for (const auto& component : components) {
        const std::string name = WideToUtf8(component);
        if (existing) {
            struct stat st;
            std::string candidate = Join(current, name);
            std::string other;
            if (lstat(candidate.c_str(), &st) != 0) {
                if (FindNameIgnoringCase(current, component, other)) {
                    candidate = Join(current, other);
                    if (lstat(candidate.c_str(), &st) != 0) anyLink = true;  // vanished: let realpath decide
                } else {
                    existing = false;
                }
            }
            if (existing && S_ISLNK(st.st_mode)) anyLink = true;
            if (existing) {
                parentOfDeepest = current;
                deepestExisting = candidate;
                ++existingCount;
            }
            current = candidate;
        } else {
            current = Join(current, name);
        }
    }

    // A symbolic link may point anywhere; whatever exists of the path must stay on the device.
    const bool keepLastLink = last == LastLink::Keep && existingCount == components.size() && existingCount > 0;
    const std::string& checked = keepLastLink ? parentOfDeepest : deepestExisting;
    const std::string realRootText = RealDeviceRoot();
    if (realRootText.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // Without links below the root the path stays inside it as written: no need to resolve it.
    if (!anyLink) {
        hostPath = current;
        return true;
    }
    HostString real = RealPath(checked);
    if (!real) {
        struct stat st;
        const bool danglingLink = lstat(checked.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        error = danglingLink ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
        return false;
    }
    const bool inside = IsInside(real.get(), realRootText);
    if (!inside) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    hostPath = current;
    return true;
}

}  // namespace

bool MapToHostOrFail(LPCWSTR devicePath, std::string& hostPath, LastLink last)
{
    DWORD error = ERROR_SUCCESS;
    if (MapToHost(devicePath, hostPath, error, last)) return true;
    SetLastError(error);
    return false;
}

bool IsSymbolicLink(LPCWSTR devicePath)
{
    std::string hostPath;
    DWORD error = ERROR_SUCCESS;
    struct stat st;
    return MapToHost(devicePath, hostPath, error, LastLink::Keep) && lstat(hostPath.c_str(), &st) == 0 &&
           S_ISLNK(st.st_mode);
}

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EXDEV: return kErrorNotSameDevice;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
    }
}

DWORD MissingPathError(const std::string& hostPath)
{
    const size_t slash = hostPath.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : slash == std::string::npos ? "." : hostPath.substr(0, slash);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace wce::detail

namespace wce::host {

void SetDeviceRoot(const std::string& hostFolder)
{
    const std::string root = wce::detail::NormaliseHostFolder(hostFolder);
    auto& state = wce::detail::GetRootState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.root = root;
    state.realRoot.clear();
    ++state.generation;  // even for the same folder: its files may have been replaced
}

std::string GetDeviceRoot() { return wce::detail::DeviceRootHostPath(); }

bool MapDevicePath(LPCWSTR devicePath, std::string& hostPath, DWORD& error)
{
    return wce::detail::MapToHost(devicePath, hostPath, error, wce::detail::LastLink::Follow);
}

}  // namespace wce::host
