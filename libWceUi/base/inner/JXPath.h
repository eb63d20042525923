// The framework's path helpers, in one place: separators, directories, resolving relative
// paths, the ".alpha" plane beside a ".bmp".
#pragma once

#include "QuickString.h"
#include "wce/types.h"

inline bool JxIsPathSeparator(WCHAR c) { return u'\\' == c || u'/' == c; }

// The directory of the running executable, up to and including its last separator.
BOOL JxGetExeDir(CQuickString& strExeDir);
// Resolves pInputPath against pBasePath (a directory ending in a separator; null: the
// executable's directory). Absolute paths ("\\..." or "x:...") stay as they are; in a
// relative path "." parts are skipped and ".." parts remove the last directory, except in
// the last part, which is appended as it is.
BOOL JxGetRealPath(CQuickString& strRealPath, LPCWSTR pInputPath, LPCWSTR pBasePath = NULL);
// "dir\\a.bmp" -> "dir\\a.alpha" in place (".bmp" in any case). FALSE, unchanged, for a path
// not ending in ".bmp" or not longer than it.
BOOL GetAlphaPathFromBmpPath(CQuickString& strBitmapToAlphaPath);
// The path up to and including its last "\\" or "/"; FALSE when there is none.
BOOL JxGetDirPathFromFilePath(CQuickString& strDirPath, LPCWSTR pFilePath);
