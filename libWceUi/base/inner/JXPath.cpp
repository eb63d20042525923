#include "JXPath.h"

#include "JXCheck.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace {

// Removes the last directory of a path that ends in a separator: "\\a\\b\\" -> "\\a\\".
// Nothing happens at a root ("\\", "c:\\") or without a separator before the last one.
void RemoveLastDir(CQuickString& strPath)
{
    int nLast = strPath.GetLength() - 1;
    for (int i = nLast - 1; i >= 0; --i) {
        if (JxIsPathSeparator(strPath.GetAt(i))) {
            strPath.Truncate(i + 1);
            return;
        }
    }
}

}  // namespace

BOOL JxGetExeDir(CQuickString& strExeDir)
{
    WCHAR szModule[MAX_PATH];
    DWORD nLength = GetModuleFileNameW(NULL, szModule, MAX_PATH);
    if (0 == nLength || nLength >= MAX_PATH) return FALSE;
    int nDirLength = 0;
    for (DWORD i = 0; i < nLength; ++i)
        if (JxIsPathSeparator(szModule[i])) nDirLength = static_cast<int>(i) + 1;
    return strExeDir.SetString(szModule, nDirLength);
}

BOOL JxGetRealPath(CQuickString& strRealPath, LPCWSTR pInputPath, LPCWSTR pBasePath)
{
    if (!WCEUI_CHECK("JxGetRealPath", NULL != pInputPath)) return FALSE;
    CQuickString strBase;
    if (pBasePath) {
        if (!strBase.SetString(pBasePath)) return FALSE;
    } else if (!JxGetExeDir(strBase)) {
        return FALSE;
    }

    int nInputLength = static_cast<int>(WStrLen(pInputPath));
    if (0 == nInputLength) return strRealPath.SetString(strBase, strBase.GetLength());
    if (1 == nInputLength) {
        if (u'.' == pInputPath[0]) return strRealPath.SetString(strBase, strBase.GetLength());
        if (JxIsPathSeparator(pInputPath[0])) return strRealPath.SetString(pInputPath);
    }
    if (u'\\' == pInputPath[0] || (nInputLength > 1 && u':' == pInputPath[1])) return strRealPath.SetString(pInputPath);

    CQuickString strResult(static_cast<CQuickString&&>(strBase));
    if (!strResult.IsEmpty() && !JxIsPathSeparator(strResult.GetLast()) && !strResult.AppendChar(u'\\')) return FALSE;
    LPCWSTR pPart = pInputPath;
    for (;;) {
        LPCWSTR pEnd = pPart;
        while (*pEnd && !JxIsPathSeparator(*pEnd)) ++pEnd;
        int nPartLength = static_cast<int>(pEnd - pPart);
        if (0 == *pEnd) {
            // The last part is a file name (or a trailing ".."): taken literally.
            if (!strResult.Append(pPart, nPartLength)) return FALSE;
            break;
        }
        if (2 == nPartLength && u'.' == pPart[0] && u'.' == pPart[1]) {
            RemoveLastDir(strResult);
        } else if (0 == nPartLength || (1 == nPartLength && u'.' == pPart[0])) {
            // "a\\\\b" and "a\\.\\b" both mean "a\\b".
        } else if (!strResult.Append(pPart, nPartLength) || !strResult.AppendChar(u'\\')) {
            return FALSE;
        }
        pPart = pEnd + 1;
    }
    strRealPath = static_cast<CQuickString&&>(strResult);
    return TRUE;
}

BOOL GetAlphaPathFromBmpPath(CQuickString& strBitmapToAlphaPath)
{
    const int nExtLength = 4;  // ".bmp"
    int nLength = strBitmapToAlphaPath.GetLength();
    if (nLength <= nExtLength) return FALSE;
    if (0 != WStrICmp(strBitmapToAlphaPath.GetString() + nLength - nExtLength, u".bmp")) return FALSE;
    strBitmapToAlphaPath.Truncate(nLength - nExtLength);
    return strBitmapToAlphaPath.Append(u".alpha");
}

BOOL JxGetDirPathFromFilePath(CQuickString& strDirPath, LPCWSTR pFilePath)
{
    if (!WCEUI_CHECK("JxGetDirPathFromFilePath", NULL != pFilePath)) return FALSE;
    int nDirLength = 0;
    for (int i = 0; pFilePath[i]; ++i)
        if (JxIsPathSeparator(pFilePath[i])) nDirLength = i + 1;
    if (0 == nDirLength) return FALSE;
    return strDirPath.SetString(pFilePath, nDirLength);
}
