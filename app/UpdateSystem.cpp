#include "UpdateSystem.h"

#include <vector>

#include "wce/platform.h"

CString ReadInstalledAppPath()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"OEM", 0, brantel::kRegistryAccess, &key) != ERROR_SUCCESS) return CString();
    WCHAR value[brantel::kMaxAppPath + 1] = {};
    DWORD type = REG_NONE;
    DWORD size = brantel::kMaxAppPath * sizeof(WCHAR);
    LONG result = RegQueryValueExW(key, u"APP", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return CString();
    return CString(value, static_cast<int>(size / sizeof(WCHAR)));
}

BOOL IsKptVariant(LPCWSTR pAppPath) { return WStrICmp(pAppPath, brantel::kKptMainPath) == 0; }

namespace {

// The path's components after "." and ".." are resolved; ".." at the top stays at the top.
std::vector<CString> PathComponents(LPCWSTR pPath)
{
    std::vector<CString> parts;
    CString part;
    for (const WCHAR* p = pPath ? pPath : u"";; ++p) {
        if (*p && *p != u'\\' && *p != u'/') {
            part += *p;
            continue;
        }
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.IsEmpty() && part != u".") {
            parts.push_back(part);
        }
        part.Empty();
        if (!*p) return parts;
    }
}

BOOL IsSpelledInside(LPCWSTR pPath, LPCWSTR pFolder)
{
    std::vector<CString> path = PathComponents(pPath);
    std::vector<CString> folder = PathComponents(pFolder);
    if (path.size() < folder.size()) return FALSE;
    for (size_t i = 0; i < folder.size(); ++i)
        if (WStrICmp(path[i], folder[i]) != 0) return FALSE;
    return TRUE;
}

// The device path of the open object itself, links on the host resolved; empty when it cannot
// be told.
CString FinalPathOf(HANDLE hObject)
{
    std::vector<WCHAR> buffer(MAX_PATH);
    DWORD length = GetFinalPathNameByHandleW(hObject, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = GetFinalPathNameByHandleW(hObject, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    return length > 0 && length < buffer.size() ? CString(buffer.data(), static_cast<int>(length)) : CString();
}

// The same for the object at pPath; empty when it cannot be opened.
CString FinalPathOf(LPCWSTR pPath, DWORD dwFlags)
{
    HANDLE hObject = CreateFileW(pPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, dwFlags, nullptr);
    if (hObject == INVALID_HANDLE_VALUE) return CString();
    CString strPath = FinalPathOf(hObject);
    CloseHandle(hObject);
    return strPath;
}

}  // namespace

BOOL IsInsideFolder(LPCWSTR pPath, LPCWSTR pFolder, BOOL* pbUnsure, HANDLE hPath)
{
    const BOOL bOpen = hPath != INVALID_HANDLE_VALUE;
    if (pbUnsure) *pbUnsure = FALSE;
    if (IsSpelledInside(pPath, pFolder)) return TRUE;
    // Nothing installed, or no package: nothing the delete could take with it.
    if (GetFileAttributesW(pFolder) == INVALID_FILE_ATTRIBUTES) return FALSE;
    if (!bOpen && GetFileAttributesW(pPath) == INVALID_FILE_ATTRIBUTES) return FALSE;
    // A card may reach the folder through links: compare where both really are. When either
    // cannot be resolved (a card failing under the read), the answer is "inside": the delete
    // must never run on a guess.
    const CString strFolder = FinalPathOf(pFolder, FILE_FLAG_BACKUP_SEMANTICS);
    const CString strPath = strFolder.IsEmpty() ? CString()
                            : bOpen             ? FinalPathOf(hPath)
                                                : FinalPathOf(pPath, FILE_FLAG_BACKUP_SEMANTICS);
    if (strFolder.IsEmpty() || strPath.IsEmpty()) {
        if (pbUnsure) *pbUnsure = TRUE;
        return TRUE;
    }
    return IsSpelledInside(strPath, strFolder);
}

int GetDefaultPackagePath(CString& strPath)
{
    strPath = IsKptVariant(ReadInstalledAppPath()) ? brantel::kKptPackage : brantel::kGenericPackage;
    return 1;
}

int RunTouchCalibrate()
{
    HMODULE core = LoadLibraryW(u"coredll.dll");
    if (!core) return 0;
    auto calibrate = reinterpret_cast<BOOL (*)()>(GetProcAddressW(core, u"TouchCalibrate"));
    if (calibrate) calibrate();
    FreeLibrary(core);
    return calibrate ? 1 : 0;
}

BOOL LaunchProgram(LPCWSTR pProgram, LPCWSTR pCommandLine, HANDLE* phProcess)
{
    // The platform may write into the command line, so it gets a private copy.
    std::vector<WCHAR> commandLine(pCommandLine, pCommandLine + WStrLen(pCommandLine));
    commandLine.push_back(0);
    PROCESS_INFORMATION info{};
    BOOL ok = CreateProcessW(pProgram, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info);
    if (!ok) return ok;
    CloseHandle(info.hThread);
    if (phProcess)
        *phProcess = info.hProcess;
    else
        CloseHandle(info.hProcess);
    return ok;
}

void DeleteShellExKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"OEM", 0, brantel::kRegistryAccess, &key) != ERROR_SUCCESS) return;
    RegDeleteKeyW(key, u"ShellEx");
    RegCloseKey(key);
}

int ShellFileOperation(HWND hOwner, UINT nOperation, LPCWSTR pFrom, LPCWSTR pTo)
{
    HMODULE shell = LoadLibraryW(u"ceshell.dll");
    if (!shell) return -1;
    auto operate = reinterpret_cast<PFN_SHFileOperationW>(GetProcAddressW(shell, MAKEINTRESOURCEW(14)));
    int result = -1;
    if (operate) {
        // Source and destination are lists ending in an empty entry.
        std::vector<WCHAR> from(pFrom, pFrom + WStrLen(pFrom));
        from.insert(from.end(), {0, 0});
        std::vector<WCHAR> to;
        if (pTo) {
            to.assign(pTo, pTo + WStrLen(pTo));
            to.insert(to.end(), {0, 0});
        }
        SHFILEOPSTRUCTW operation{};
        operation.hwnd = hOwner;
        operation.wFunc = nOperation;
        operation.pFrom = from.data();
        operation.pTo = pTo ? to.data() : nullptr;
        operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
        result = operate(&operation);
    }
    FreeLibrary(shell);
    return result;
}

int CopyFactoryConfig()
{
    // The size of the file the copy would read: the same name lookup, not a listing.
    HANDLE hSource = CreateFileW(brantel::kFactoryConfigSource, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hSource == INVALID_HANDLE_VALUE) return -1;
    DWORD high = 0;
    const DWORD low = GetFileSize(hSource, &high);
    CloseHandle(hSource);
    if (high != 0 || low > brantel::kMaxFactoryConfigSize) {
        CString line;
        line.Format(u"%s is not copied: %u MB is no factory configuration\n", brantel::kFactoryConfigSource,
                    static_cast<unsigned>(((static_cast<std::uint64_t>(high) << 32) | low) >> 20));
        OutputDebugStringW(line);
        return -1;
    }
    return ShellFileOperation(nullptr, FO_COPY, brantel::kFactoryConfigSource, brantel::kFactoryConfigTarget);
}
