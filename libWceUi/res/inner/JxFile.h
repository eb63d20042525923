// Reading resource files whole, from plain folders or from inside .pack archives.
#pragma once

#include "wce/types.h"

// Reads the whole file or archive entry named by pFilePath ("dir\\a.xml", or
// "skin.pack\\dir\\a.xml" for an entry of skin.pack). Returns a buffer of exactly *pdwSize
// bytes that the caller frees with delete[]; null with *pdwSize = 0 on failure (logged).
BYTE* WceUiReadFile(LPCWSTR pFilePath, DWORD* pdwSize, LPCWSTR pPassword);
