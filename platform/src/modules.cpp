// In-process modules for LoadLibraryW/GetProcAddressW, and the program's own module path.
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>

#include "wce/files.h"
#include "wce/format.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace {

struct Module {
    std::u16string name;
    wce::host::ModuleExports exports;
    int loads = 0;
};

struct ModuleTable {
    std::mutex lock;
    std::map<std::u16string, Module> byLowerName;
    std::u16string modulePath;
};

std::u16string Lower(LPCWSTR s)
{
    std::u16string r(s ? s : u"");
    for (auto& c : r) c = WCharLower(c);
    return r;
}

// zlib's uncompress, with the decompression library's calling convention.
int CallUncompress(BYTE* dest, DWORD* destLen, const BYTE* source, DWORD sourceLen)
{
    if (!destLen) return Z_STREAM_ERROR;
    uLongf length = *destLen;
    int result = uncompress(dest, &length, source, sourceLen);
    *destLen = static_cast<DWORD>(length);
    return result;
}

ModuleTable& Table()
{
    static ModuleTable table;
    static bool filled = [] {
        table.byLowerName[u"wceuidll.dll"] = {u"WceUiDll.dll", {{u"#2", reinterpret_cast<FARPROC>(&CallUncompress)}}, 0};
        const auto shellOperation = reinterpret_cast<FARPROC>(&SHFileOperationW);
        table.byLowerName[u"ceshell.dll"] = {
            u"ceshell.dll", {{u"#14", shellOperation}, {u"shfileoperationw", shellOperation}}, 0};
        table.byLowerName[u"coredll.dll"] = {u"coredll.dll", {}, 0};
        return true;
    }();
    (void)filled;
    return table;
}

// The program's own instance: an address no module entry can have.
char g_programInstance;
HMODULE ProgramInstance() { return reinterpret_cast<HMODULE>(&g_programInstance); }

Module* FindLoaded(ModuleTable& table, HMODULE module)
{
    for (auto& entry : table.byLowerName)
        if (reinterpret_cast<HMODULE>(&entry.second) == module && entry.second.loads > 0) return &entry.second;
    return nullptr;
}

}  // namespace

namespace wce::host {

void RegisterModule(LPCWSTR name, const ModuleExports& exports)
{
    if (!name) return;
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    Module& module = table.byLowerName[Lower(name)];
    module.name = name;
    module.exports.clear();
    for (const auto& [procName, proc] : exports) module.exports[Lower(procName.c_str())] = proc;
}

void UnregisterModule(LPCWSTR name)
{
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.byLowerName.find(Lower(name));
    if (it != table.byLowerName.end()) it->second.exports.clear();
}

void SetTouchCalibrateRoutine(void (*routine)())
{
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    Module& core = table.byLowerName[u"coredll.dll"];
    core.name = u"coredll.dll";
    if (routine)
        core.exports[u"touchcalibrate"] = reinterpret_cast<FARPROC>(routine);
    else
        core.exports.erase(u"touchcalibrate");
}

void SetModulePath(LPCWSTR devicePath)
{
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.modulePath = devicePath ? devicePath : u"";
}

}  // namespace wce::host

HMODULE LoadLibraryW(LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A module may be named with a path: only its file name counts.
    LPCWSTR base = name;
    for (LPCWSTR p = name; *p; ++p)
        if (*p == u'\\' || *p == u'/') base = p + 1;
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.byLowerName.find(Lower(base));
    if (it == table.byLowerName.end()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++it->second.loads;
    return reinterpret_cast<HMODULE>(&it->second);
}

FARPROC GetProcAddressW(HMODULE module, LPCWSTR procName)
{
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    Module* found = FindLoaded(table, module);
    if (!found || !procName) {
        SetLastError(found ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::u16string key = IS_INTRESOURCE(procName)
                             ? WFormatString(u"#%u", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(procName)))
                             : Lower(procName);
    auto it = found->exports.find(key);
    if (it == found->exports.end()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return it->second;
}

BOOL FreeLibrary(HMODULE module)
{
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    Module* found = FindLoaded(table, module);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --found->loads;
    return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (!moduleName) return ProgramInstance();
    LPCWSTR base = moduleName;
    for (LPCWSTR p = moduleName; *p; ++p)
        if (*p == u'\\' || *p == u'/') base = p + 1;
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.byLowerName.find(Lower(base));
    if (it == table.byLowerName.end() || it->second.loads <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&it->second);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module != nullptr && module != ProgramInstance()) {  // only the running program has a file here
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::u16string path;
    {
        ModuleTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        path = table.modulePath;
    }
    if (path.empty()) {
        char host[4096];
        ssize_t n = readlink("/proc/self/exe", host, sizeof host - 1);
        std::string name = n > 0 ? std::string(host, static_cast<size_t>(n)) : std::string("program");
        name = name.substr(name.find_last_of('/') + 1);
        path = u"\\SDMMC\\" + Utf8ToWide(name);
    }
    size_t copied = WStrCopy(buffer, size, path.c_str());
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return static_cast<DWORD>(copied);
}
