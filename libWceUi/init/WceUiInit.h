// The framework's entry points: start-up, skin change, language change, and the screen
// configuration file a host may use to fix the screen instead of asking the device.
#pragma once

#include "wce/types.h"

// Stores the instance handle, sets the window and resource directories (relative ones from
// the executable's directory) and loads the language file. TRUE when every argument is
// given and the directories are set, whatever the language load gives.
BOOL WceUiInit(HINSTANCE hInstance, LPCWSTR pWndDir, LPCWSTR pResDir, LPCWSTR pLangFilePath, BOOL bEscape);
// Sets the resource directory and reloads every cached bitmap, font and color from it (all
// three are always tried). TRUE only when all three reloads succeed.
BOOL WceUiChangeResDir(LPCWSTR pResDir);
BOOL WceUIChangeLanguage(LPCWSTR pLangFilePath, BOOL bEscape);

enum {
    WCEUI_SCREEN_CONF_UNREADABLE = -1,  // the XML did not load (nothing else logged)
    WCEUI_SCREEN_CONF_DEFAULTS = 0,     // no usable width and height: all defaults
    WCEUI_SCREEN_CONF_OK = 1,           // the file's width and height
};
enum { WCEUI_DEFAULT_SCREEN_WIDTH = 480, WCEUI_DEFAULT_SCREEN_HEIGHT = 272, WCEUI_DEFAULT_BITS_PIXEL = 16 };
// Reads a screen configuration file: the root element's "width", "height" and "bitspixel".
// The settings to use come back in every case (the defaults where the file gives none or an
// unusable value), with the messages InitWin logs.
int WceUiReadScreenConf(LPCWSTR pPath, int* pnWidth, int* pnHeight, int* pnBitsPixel);
