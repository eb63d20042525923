// The unit-level pieces of an update: variant, fixed paths, registry, launch, calibration.
#pragma once

#include "wce/cstring.h"
#include "wce/types.h"

namespace brantel {
constexpr const WCHAR* kKptMainPath = u"\\residentflash2\\app\\kptmain.exe";
constexpr const WCHAR* kGenericPackage = u"\\SDMMC\\gpsApp.msk";
constexpr const WCHAR* kKptPackage = u"\\SDMMC\\kptApp.msk";
constexpr const WCHAR* kGenericPassword = u"sxq_trelo";
constexpr const WCHAR* kKptPassword = u"sxq_bnf";
constexpr const WCHAR* kLaunchArguments = u"_K+T#W_B3D5F8_!M";
constexpr const WCHAR* kInstalledFiles = u"\\Residentflash2\\app\\*.*";
constexpr const WCHAR* kInstalledFolder = u"\\Residentflash2\\app";
constexpr const WCHAR* kUnpackTarget = u"\\Residentflash2";
constexpr const WCHAR* kFactoryConfigSource = u"\\SDMMC\\FactoryConfig.xml";
constexpr const WCHAR* kFactoryConfigTarget = u"\\Residentflash2\\app\\config\\FactoryConfig.xml";
constexpr const WCHAR* kKptSuccessMessage = u"Update application OK, please remove SD card.";
constexpr const WCHAR* kNoPackageMessage = u"Cannot find the MSK file.";
constexpr DWORD kRegistryAccess = 0x2001F;
constexpr int kMaxAppPath = 260;
// A factory configuration is a small XML file; a larger one on the card is damaged (or a
// sparse file claiming gigabytes) and is not copied onto the flash.
constexpr DWORD kMaxFactoryConfigSize = 1u << 20;
}  // namespace brantel

// The "APP" value of HKEY_LOCAL_MACHINE\OEM (REG_SZ or REG_EXPAND_SZ); empty when absent.
CString ReadInstalledAppPath();
BOOL IsKptVariant(LPCWSTR pAppPath);
// Whether pPath names pFolder or something below it, ignoring case, doubled separators,
// '/' for '\\', "." and ".."; or, through links on the host, reaches an object there. When an
// existing folder or the package cannot be resolved, TRUE with *pbUnsure set. hPath, when
// valid, is the object at pPath open already: it is resolved instead of pPath.
BOOL IsInsideFolder(LPCWSTR pPath, LPCWSTR pFolder, BOOL* pbUnsure = nullptr, HANDLE hPath = INVALID_HANDLE_VALUE);
int GetDefaultPackagePath(CString& strPath);
int RunTouchCalibrate();
BOOL LaunchProgram(LPCWSTR pProgram, LPCWSTR pCommandLine, HANDLE* phProcess = nullptr);
void DeleteShellExKey();
// The shell's file operation, looked up as ordinal 14 of the shell library; 0 on success.
int ShellFileOperation(HWND hOwner, UINT nOperation, LPCWSTR pFrom, LPCWSTR pTo);
// Copies the card's factory configuration into the new application when it is at most
// kMaxFactoryConfigSize bytes; 0 on success. Failures are not reported to the user.
int CopyFactoryConfig();
