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
#include <unordered_map>
#include <vector>

#include "device_names.h"
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
    std::u16string spelling;
    while (dirent* entry = readdir(dir.get())) {
        std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        // A name the device cannot spell is nobody's case variant.
        if (!DeviceNameOf(candidate, spelling) || Fold(spelling) != wanted) continue;
        if (!any || candidate < found) found = candidate;
        any = true;
    }
    return any;
}

// A host name with no lower-case letter and nothing beyond ASCII is the smallest of its
// case variants: no other name can win over it.
bool HasLowerCaseOrWideUnits(const std::string& hostName)
{
    for (unsigned char c : hostName)
        if (c >= 0x80 || (c >= 'a' && c <= 'z')) return true;
    return false;
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

std::string CanonicalDeviceRoot()
{
    std::string real = RealDeviceRoot();
    return real.empty() ? DeviceRootHostPath() : real;
}

unsigned long DeviceRootGeneration()
{
    RootState& state = GetRootState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.generation;
}

std::string HostPathInRoot(const std::string& fileName) { return Join(DeviceRootHostPath(), fileName); }

namespace {

// Resolutions of device paths whose names all exist on the host with no symbolic link
// among them, by their components as written; the prefixes of a walk are kept as well, so
// a path below a known folder or archive starts its walk there. An entry is used only
// after each name along it is found to be still the object it was (same device, inode
// and kind, no link: a folder moved off the device and linked back is refused as before),
// and every deletion or rename through the platform drops them all. A creation does not have to:
// it removes no name a walk went through, and the two ways a new name could change a walk
// are covered by the checks below.
// A name found ignoring case also depends on the rest of its folder: the name as written
// would win if it appeared, and so would a smaller case variant. The first is checked with
// the others; the second cannot happen to a name without lower-case letters (the smallest
// of its variants), so only such names are kept.
struct Step {
    size_t hostLength;  // of the host path up to and including this name
    dev_t device;
    ino_t inode;
    mode_t kind;         // the S_IFMT bits
    std::string absent;  // for a name found ignoring case: the host path of the name as written
};

struct Resolved {
    std::string host;
    std::vector<Step> steps;  // one per component
};

struct ResolvedPaths {
    std::mutex lock;
    unsigned long generation = 0;  // of the device root the entries belong to
    std::unordered_map<std::u16string, Resolved> entries;
};

// A skin's folders and archives, a package's folders: a few dozen in practice.
constexpr size_t kMaxResolvedPaths = 256;

// Never destroyed: files may still be deleted by destructors of other statics at exit.
ResolvedPaths& GetResolvedPaths()
{
    static ResolvedPaths* paths = new ResolvedPaths;
    return *paths;
}

// The longest cached prefix of the components (its count, 0 for none) and its entry.
size_t FindResolvedPrefix(const std::u16string& joined, const std::vector<size_t>& ends, unsigned long generation,
                          Resolved& found)
{
    ResolvedPaths& paths = GetResolvedPaths();
    std::lock_guard<std::mutex> guard(paths.lock);
    if (paths.generation != generation) {
        paths.entries.clear();
        paths.generation = generation;
        return 0;
    }
    if (paths.entries.empty()) return 0;
    std::u16string key;
    for (size_t count = ends.size(); count > 0; --count) {
        key.assign(joined, 0, ends[count - 1]);
        const auto it = paths.entries.find(key);
        if (it != paths.entries.end()) {
            found = it->second;
            return count;
        }
    }
    return 0;
}

// Adds the prefixes from first on, each with the steps up to it.
void RememberResolved(const std::u16string& joined, const std::vector<size_t>& ends, unsigned long generation,
                      size_t first, const Resolved& walk)
{
    if (walk.steps.size() <= first) return;
    ResolvedPaths& paths = GetResolvedPaths();
    std::lock_guard<std::mutex> guard(paths.lock);
    if (paths.generation != generation) return;  // the root changed meanwhile
    if (paths.entries.size() + walk.steps.size() - first > kMaxResolvedPaths) paths.entries.clear();
    for (size_t i = first; i < walk.steps.size(); ++i) {
        Resolved& entry = paths.entries[joined.substr(0, ends[i])];
        entry.host.assign(walk.host, 0, walk.steps[i].hostLength);
        entry.steps.assign(walk.steps.begin(), walk.steps.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}

// Whether every name along the entry is still what it was; st ends as the last one's status.
bool IsStill(const Resolved& entry, struct stat& st)
{
    std::string path;
    for (const Step& step : entry.steps) {
        path.assign(entry.host, 0, step.hostLength);
        if (lstat(path.c_str(), &st) != 0 || st.st_dev != step.device || st.st_ino != step.inode ||
            (st.st_mode & S_IFMT) != step.kind)
            return false;
        struct stat written;
        if (!step.absent.empty() && lstat(step.absent.c_str(), &written) == 0) return false;
    }
    return true;
}

bool MapToHostOrThrow(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last, PathStatus* status);

}  // namespace

void ForgetResolvedPaths()
{
    ResolvedPaths& paths = GetResolvedPaths();
    std::lock_guard<std::mutex> guard(paths.lock);
    paths.entries.clear();
}

bool MapToHost(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last, PathStatus* status)
{
    if (status) *status = PathStatus();
    try {
        return MapToHostOrThrow(devicePath, hostPath, error, last, status);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
}

namespace {

bool MapToHostOrThrow(LPCWSTR devicePath, std::string& hostPath, DWORD& error, LastLink last, PathStatus* status)
{
    std::vector<std::u16string> components;
    components.reserve(8);
    if (!SplitDevicePath(devicePath, components, error)) return false;

    const std::string root = DeviceRootHostPath();
    const unsigned long generation = DeviceRootGeneration();
    std::u16string joined;  // the cache's key: the components, "\\"-separated
    std::vector<size_t> ends;
    ends.reserve(components.size());
    for (const auto& component : components) {
        if (!joined.empty()) joined += u'\\';
        joined += component;
        ends.push_back(joined.size());
    }

    std::string current = root;
    std::string deepestExisting = root;
    std::string parentOfDeepest = root;
    size_t existingCount = 0;
    bool existing = true;
    bool anyLink = false;  // among the existing components below the root
    bool anyUnkept = false;  // a name found ignoring case that a smaller variant could beat
    struct stat deepest{};  // of the deepest existing name
    Resolved walk;          // the link-free names found, for the cache
    size_t start = FindResolvedPrefix(joined, ends, generation, walk);
    if (start > 0 && !IsStill(walk, deepest)) {
        ForgetResolvedPaths();  // changed on the host behind the platform's back
        start = 0;
        walk = Resolved();
    }
    if (start > 0) {
        current = deepestExisting = walk.host;
        existingCount = start;
        // Below a file nothing exists, and no name can be found ignoring case.
        existing = S_ISDIR(deepest.st_mode);
    } else {
        walk.host = root;
    }
    for (size_t i = start; i < components.size(); ++i) {
        const auto& component = components[i];
        const std::string name = WideToUtf8(component);
        if (existing) {
            struct stat st{};
            std::string candidate = Join(current, name);
            std::string other;
            std::string absent;
            if (lstat(candidate.c_str(), &st) != 0) {
                if (FindNameIgnoringCase(current, component, other)) {
                    absent = std::move(candidate);
                    candidate = Join(current, other);
                    if (HasLowerCaseOrWideUnits(other)) anyUnkept = true;
                    if (lstat(candidate.c_str(), &st) != 0) anyLink = true;  // vanished: let realpath decide
                } else {
                    existing = false;
                }
            }
            if (existing && S_ISLNK(st.st_mode)) anyLink = true;
            if (existing) {
                parentOfDeepest = current;
                deepestExisting = candidate;
                deepest = st;
                ++existingCount;
                if (!anyLink && !anyUnkept) {
                    walk.host = candidate;
                    walk.steps.push_back(
                        Step{candidate.size(), st.st_dev, st.st_ino, st.st_mode & S_IFMT, std::move(absent)});
                }
            }
            current = candidate;
        } else {
            current = Join(current, name);
        }
    }
    RememberResolved(joined, ends, generation, start, walk);
    if (status && !anyLink && existingCount > 0) {
        status->whole = existingCount == components.size();
        status->belowFile = !status->whole && !S_ISDIR(deepest.st_mode);
        status->st = deepest;
    }
    // A name found in the cache and checked just now proves the root is there.
    if (start > 0 && !anyLink) {
        hostPath = current;
        return true;
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

bool MapToHostOrFail(LPCWSTR devicePath, std::string& hostPath, LastLink last, PathStatus* status)
{
    DWORD error = ERROR_SUCCESS;
    if (MapToHost(devicePath, hostPath, error, last, status)) return true;
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
