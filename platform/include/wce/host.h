// What the host program sets up before it runs device code: where the device lives, which
// program is running, what the screen is, which modules exist. Plain C++; device code never
// calls these.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "types.h"

namespace wce::host {

// The host folder below which every device path lives. Defaults to $WCE_DEVICE_ROOT, else
// the current directory. Changing it drops the cached registry.
void SetDeviceRoot(const std::string& hostFolder);
std::string GetDeviceRoot();

// Maps a device path to a host path below the device root, resolving each existing name
// case-insensitively. Fails (returns false and sets error) when the path is empty, too
// long, or would leave the device root through ".." or a symbolic link.
bool MapDevicePath(LPCWSTR devicePath, std::string& hostPath, DWORD& error);

// Limits the bytes that may still be written to files below a device folder (for tests of
// a full flash); writes past the limit fail with ERROR_DISK_FULL. A negative limit removes it.
void SetWriteQuota(LPCWSTR deviceFolder, std::int64_t bytes);
void ClearWriteQuotas();

// The device path of the running program (GetModuleFileNameW). Defaults to
// "\\SDMMC\\" + the host executable's file name.
void SetModulePath(LPCWSTR devicePath);

// Screen metrics until a display exists: 800 x 480 x 16 by default. GetSystemMetrics and
// GetDeviceCaps answer them.
void SetScreenMetrics(int width, int height, int bitsPerPixel);
int GetScreenBitsPerPixel();

// Adds a face to the font table or replaces one of its files (regular or bold); the name
// compares ignoring case. Text drawn afterwards uses the new file; an empty path restores
// the default file. Every call closes the open faces, so $WCE_FONT_DIR (read when a face
// file is opened) is also read again.
void SetFontFile(const std::string& faceName, bool bold, const std::string& hostPath);

// In-process modules for LoadLibraryW. A procedure is found by name or by "#<ordinal>".
using ModuleExports = std::map<std::u16string, FARPROC>;
void RegisterModule(LPCWSTR name, const ModuleExports& exports);
void UnregisterModule(LPCWSTR name);
// Adds "coredll.dll" with "TouchCalibrate" bound to routine; null removes the export.
void SetTouchCalibrateRoutine(void (*routine)());

// When false, SetSystemPowerState records the reset but returns instead of ending the
// process (for tests).
void SetExitOnReset(bool exitOnReset);
void SetDebugOutputEnabled(bool enabled);

}  // namespace wce::host
