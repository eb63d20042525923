#include "wce/registry.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "device_path.h"
#include "nothrow.h"
#include "registry_file.h"
#include "wce/host.h"

namespace {

using wce::detail::RegKeyNode;
using wce::detail::RegKeyPtr;
using wce::detail::RegTree;
using wce::detail::RegValue;

struct Registry {
    std::mutex lock;
    bool loaded = false;
    bool broken = false;  // the file could not be read: refuse everything, never overwrite it
    std::string problem;  // why, as "FILE:LINE: malformed registry file: ..." or "FILE: ..."
    std::string root;     // the device root the tree came from
    unsigned long generation = 0;
    RegTree tree;
    // Opened keys, by HKEY value. Values are never reused, so a closed handle stays invalid.
    std::unordered_map<std::uintptr_t, RegKeyPtr> handles;
    std::uintptr_t nextHandle = 0x1000;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

std::string FilePath(const std::string& root) { return root + "/registry.reg"; }

// Loads the file on first use and again whenever the device root has been set, even to
// the same folder: its files may have been replaced in between.
// A caller that reports the problem itself passes quiet.
LONG Load(Registry& reg, bool quiet = false)
{
    unsigned long generation = wce::detail::DeviceRootGeneration();
    std::string root = wce::host::GetDeviceRoot();
    if (reg.loaded && root == reg.root && generation == reg.generation)
        return reg.broken ? ERROR_BADDB : ERROR_SUCCESS;

    // Everything is built aside and taken over at the end, so that a failed allocation
    // leaves the registry unloaded (tried again next call), never half loaded.
    RegTree tree;
    std::string problem;
    std::string path = FilePath(root);
    std::string bytes;
    std::string error;
    wce::detail::RegParseError parse;
    switch (wce::detail::ReadWholeHostFile(path, bytes, error)) {
    case wce::detail::HostFileRead::kMissing:
        break;
    case wce::detail::HostFileRead::kFailed:
        problem = path + ": cannot read the registry: " + error;
        break;
    case wce::detail::HostFileRead::kOk:
        if (!wce::detail::ParseRegFile(bytes, tree, parse)) {
            problem = path + ":" + std::to_string(parse.line) + ": malformed registry file: " + parse.message;
            tree = RegTree();
        }
        break;
    }

    // Handles into the previous tree now find their keys deleted.
    for (RegKeyPtr& top : reg.tree.roots) wce::detail::MarkRegDeleted(*top);
    reg.tree = std::move(tree);
    reg.root = std::move(root);
    reg.generation = generation;
    reg.problem = std::move(problem);
    reg.broken = !reg.problem.empty();
    reg.loaded = true;
    if (!reg.broken) return ERROR_SUCCESS;
    if (!quiet)
        std::fprintf(stderr, "%s. Registry calls fail until it is fixed; the file is left as it is.\n",
                     reg.problem.c_str());
    return ERROR_BADDB;
}

}  // namespace

bool wce::host::CheckRegistryFile(std::string& problem)
{
    Registry& reg = GetRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    Load(reg, true);
    problem = reg.problem;
    return !reg.broken;
}

namespace {

LONG Save(Registry& reg)
{
    std::string path = FilePath(reg.root);
    std::string error;
    if (wce::detail::ReplaceHostFile(path, wce::detail::FormatRegFile(reg.tree), error)) return ERROR_SUCCESS;
    std::fprintf(stderr, "%s: cannot save the registry: %s\n", path.c_str(), error.c_str());
    return ERROR_CANTWRITE;
}

int RootIndex(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE) return wce::detail::kRegLocalMachine;
    if (key == HKEY_CURRENT_USER) return wce::detail::kRegCurrentUser;
    if (key == HKEY_CLASSES_ROOT) return wce::detail::kRegClassesRoot;
    return -1;
}

// Loads the registry if needed and finds the key behind a handle. Call with the lock held.
LONG Enter(Registry& reg, HKEY key, RegKeyPtr& node)
{
    LONG status = Load(reg);
    if (status != ERROR_SUCCESS) return status;
    int root = RootIndex(key);
    if (root >= 0) {
        node = reg.tree.roots[root];
    } else {
        auto it = reg.handles.find(reinterpret_cast<std::uintptr_t>(key));
        if (it == reg.handles.end()) return ERROR_INVALID_HANDLE;
        node = it->second;
    }
    return node->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

HKEY AddHandle(Registry& reg, RegKeyPtr node)
{
    std::uintptr_t value = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles.emplace(value, std::move(node));
    return reinterpret_cast<HKEY>(value);
}

// "a\\b\\c" into its names. A leading or doubled backslash is refused; one at the end is
// ignored. Null or empty gives no names.
bool SplitPath(LPCWSTR subKey, std::vector<std::u16string>& names)
{
    names.clear();
    if (!subKey || !*subKey) return true;
    std::u16string path(subKey);
    if (path.back() == u'\\') path.pop_back();
    for (size_t start = 0;;) {
        size_t end = path.find(u'\\', start);
        names.push_back(path.substr(start, end == std::u16string::npos ? end : end - start));
        if (names.back().empty()) return false;
        if (end == std::u16string::npos) return true;
        start = end + 1;
    }
}

// The key names[0..count) below from; null when one is missing.
RegKeyPtr Walk(RegKeyPtr from, const std::vector<std::u16string>& names, size_t count)
{
    for (size_t i = 0; i < count && from; ++i) {
        int found = wce::detail::FindRegChild(*from, names[i].c_str());
        from = found >= 0 ? from->children[found] : nullptr;
    }
    return from;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD /*options*/, REGSAM /*access*/, PHKEY result)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        std::vector<std::u16string> names;
        if (!SplitPath(subKey, names)) return ERROR_INVALID_PARAMETER;

        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;
        node = Walk(node, names, names.size());
        if (!node) return ERROR_FILE_NOT_FOUND;
        *result = AddHandle(reg, node);
        return ERROR_SUCCESS;
    });
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD /*reserved*/, LPWSTR /*className*/, DWORD /*options*/,
                     REGSAM /*access*/, LPSECURITY_ATTRIBUTES /*security*/, PHKEY result, LPDWORD disposition)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        if (!result || !subKey) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        std::vector<std::u16string> names;
        if (!SplitPath(subKey, names)) return ERROR_INVALID_PARAMETER;
        for (const std::u16string& name : names)
            if (!wce::detail::IsStorableRegName(name)) return ERROR_INVALID_PARAMETER;

        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;

        RegKeyPtr firstNew;
        RegKeyPtr firstNewParent;
        for (const std::u16string& name : names) {
            int found = wce::detail::FindRegChild(*node, name.c_str());
            if (found >= 0) {
                node = node->children[found];
                continue;
            }
            auto child = std::make_shared<RegKeyNode>();
            child->name = name;
            node->children.push_back(child);
            if (!firstNew) {
                firstNew = child;
                firstNewParent = node;
            }
            node = child;
        }
        if (firstNew) {
            status = Save(reg);
            if (status != ERROR_SUCCESS) {
                firstNewParent->children.pop_back();  // a change that did not reach the file did not happen
                return status;
            }
        }
        *result = AddHandle(reg, node);
        if (disposition) *disposition = firstNew ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD /*reserved*/, LPDWORD type, BYTE* data, LPDWORD dataSize)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        if (data && !dataSize) return ERROR_INVALID_PARAMETER;
        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;
        int found = wce::detail::FindRegValue(*node, valueName ? valueName : u"");
        if (found < 0) return ERROR_FILE_NOT_FOUND;

        const RegValue& value = node->values[found];
        if (type) *type = value.type;
        if (!dataSize) return ERROR_SUCCESS;
        DWORD needed = static_cast<DWORD>(value.data.size());
        if (data && *dataSize < needed) status = ERROR_MORE_DATA;
        else if (data && needed > 0) std::copy(value.data.begin(), value.data.end(), data);
        *dataSize = needed;
        return status;
    });
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD dataSize)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        if (!data && dataSize > 0) return ERROR_INVALID_PARAMETER;
        std::u16string name = valueName ? valueName : u"";
        if (!wce::detail::IsStorableRegName(name)) return ERROR_INVALID_PARAMETER;

        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;

        std::vector<BYTE> bytes;
        if (dataSize > 0) bytes.assign(data, data + dataSize);
        int found = wce::detail::FindRegValue(*node, name.c_str());
        if (found >= 0) {
            RegValue& value = node->values[found];  // keeps the case it was created with
            RegValue old = value;
            value.type = type;
            value.data = std::move(bytes);
            status = Save(reg);
            if (status != ERROR_SUCCESS) value = std::move(old);
        } else {
            node->values.push_back(RegValue{std::move(name), type, std::move(bytes)});
            status = Save(reg);
            if (status != ERROR_SUCCESS) node->values.pop_back();
        }
        return status;
    });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;
        int found = wce::detail::FindRegValue(*node, valueName ? valueName : u"");
        if (found < 0) return ERROR_FILE_NOT_FOUND;

        RegValue old = std::move(node->values[found]);
        node->values.erase(node->values.begin() + found);
        status = Save(reg);
        if (status != ERROR_SUCCESS) node->values.insert(node->values.begin() + found, std::move(old));
        return status;
    });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        std::vector<std::u16string> names;
        if (!SplitPath(subKey, names) || names.empty()) return ERROR_INVALID_PARAMETER;

        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        RegKeyPtr node;
        LONG status = Enter(reg, key, node);
        if (status != ERROR_SUCCESS) return status;
        RegKeyPtr parent = Walk(node, names, names.size() - 1);
        int found = parent ? wce::detail::FindRegChild(*parent, names.back().c_str()) : -1;
        if (found < 0) return ERROR_FILE_NOT_FOUND;

        RegKeyPtr doomed = parent->children[found];
        parent->children.erase(parent->children.begin() + found);
        status = Save(reg);
        if (status != ERROR_SUCCESS) {
            parent->children.insert(parent->children.begin() + found, std::move(doomed));
            return status;
        }
        wce::detail::MarkRegDeleted(*doomed);
        return ERROR_SUCCESS;
    });
}

// Closing needs no file, so it works even while the file is malformed.
LONG RegCloseKey(HKEY key)
{
    return wce::detail::NoThrow<LONG>(ERROR_NOT_ENOUGH_MEMORY, [&]() -> LONG {
        if (RootIndex(key) >= 0) return ERROR_SUCCESS;
        Registry& reg = GetRegistry();
        std::lock_guard<std::mutex> guard(reg.lock);
        return reg.handles.erase(reinterpret_cast<std::uintptr_t>(key)) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    });
}
