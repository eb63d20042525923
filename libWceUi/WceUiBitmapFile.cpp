// Reading bitmaps from files: plain BMP files with their ".alpha" planes, and the ".565a.conf"
// configurations that name them.
#include <new>

#include "JXBmp.h"
#include "JXCheck.h"
#include "JXLoadRes.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "QuickString.h"
#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "wce/wstring.h"

namespace {

const WCHAR kLoadBmp[] = u"WceUiLoadBmpFromFile";

CWceUiGenericBitmap* LoadBmp565(LPCWSTR pFilePath, const BITMAPINFO& info, const BYTE* pBits, BOOL bPerPixelAlpha,
                                LPCWSTR pAlphaPath)
{
    int nWidth = info.bmiHeader.biWidth, nHeight = info.bmiHeader.biHeight;
    BYTE* pAlpha = NULL;
    if (bPerPixelAlpha) {
        if (!pAlphaPath) {
            JxWriteLogW(JX_LOG_ERROR, u"%s, load %s , bPerPixelAlpha is TRUE but pAlphaPath is NULL", kLoadBmp,
                        pFilePath);
            return NULL;
        }
        DWORD nAlphaSize = 0;
        pAlpha = WceUiReadFile(pAlphaPath, &nAlphaSize, WceUiGetPackPassword());
        if (!pAlpha) {
            JxWriteLogW(JX_LOG_ERROR, u"%s, read %s failed", kLoadBmp, pAlphaPath);
            return NULL;
        }
        if (nAlphaSize < JxGet565AlphaLen(nWidth, nHeight)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s, read %s failed, the length is not enough", kLoadBmp, pAlphaPath);
            delete[] pAlpha;
            return NULL;
        }
    }
    CWceUi565Bitmap* pBitmap = new (std::nothrow) CWceUi565Bitmap;
    if (pBitmap && !pBitmap->CreateDIB565(nWidth, nHeight, pBits, pAlpha)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, CreateDIB %s failed", kLoadBmp, pFilePath);
        delete pBitmap;
        pBitmap = NULL;
    }
    delete[] pAlpha;
    return pBitmap;
}

CWceUiGenericBitmap* LoadBmp32(LPCWSTR pFilePath, const BITMAPINFO& info, const BYTE* pBits, BOOL bPerPixelAlpha)
{
    CWceUi32Bitmap* pBitmap = new (std::nothrow) CWceUi32Bitmap;
    if (pBitmap && !pBitmap->CreateDIB32(info.bmiHeader.biWidth, info.bmiHeader.biHeight, pBits, bPerPixelAlpha)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, CreateDIB %s failed", kLoadBmp, pFilePath);
        delete pBitmap;
        pBitmap = NULL;
    }
    return pBitmap;
}

}  // namespace

CWceUiGenericBitmap* WceUiLoadBmpFromFile(LPCWSTR pFilePath, BOOL bPerPixelAlpha, LPCWSTR pAlphaPath)
{
    if (!WCEUI_CHECK("WceUiLoadBmpFromFile", NULL != pFilePath)) return NULL;
    DWORD nSize = 0;
    BYTE* pFile = WceUiReadFile(pFilePath, &nSize, WceUiGetPackPassword());
    if (!pFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, WceUiReadFile %s failed", kLoadBmp, pFilePath);
        return NULL;
    }
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    CWceUiGenericBitmap* pBitmap = NULL;
    if (!GetBitmapInfoFromBuffer(pFile, nSize, &info, &pBits)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, %s is not a valid bitmap", kLoadBmp, pFilePath);
    } else if (16 == info.bmiHeader.biBitCount) {
        pBitmap = LoadBmp565(pFilePath, info, pBits, bPerPixelAlpha, pAlphaPath);
    } else if (32 == info.bmiHeader.biBitCount) {
        pBitmap = LoadBmp32(pFilePath, info, pBits, bPerPixelAlpha);
    } else {
        JxWriteLogW(JX_LOG_ERROR, u"%s, %s is neither  16 nor 32 bitmap", kLoadBmp, pFilePath);
    }
    delete[] pFile;
    return pBitmap;
}

CWceUiGenericBitmap* JxLoadBitmapFromConfFile(LPCWSTR pBitmapConfFullPath)
{
    if (!WCEUI_CHECK("JxLoadBitmapFromConfFile", NULL != pBitmapConfFullPath)) return NULL;
    CReadBitmapConfInfo conf;
    if (!conf.LoadBitmapConfFile(pBitmapConfFullPath)) {
        JxWriteLogW(JX_LOG_ERROR, u"load file %s failed", pBitmapConfFullPath);
        return NULL;
    }
    BOOL bPerPixelAlpha = conf.HasPerPixelAlpha();
    CWceUiGenericBitmap* pBitmap =
        WceUiLoadBmpFromFile(conf.GetBitmapFullPath(), bPerPixelAlpha, bPerPixelAlpha ? conf.GetAlphaFullPath() : NULL);
    if (!pBitmap) {
        JxWriteLogW(JX_LOG_ERROR, u"WceUiLoadBmpFromFile %s failed", conf.GetBitmapFullPath());
        return NULL;
    }
    COLORREF crTrans;
    if (conf.GetTransColor(&crTrans)) pBitmap->SetTransColor(TRUE, crTrans);
    DWORD nAlpha;
    if (conf.GetConstantAlpha(&nAlpha)) {
        // The conf accepts 0, the bitmap only 1..255: a skin's mistake, not a caller's.
        if (0 == nAlpha)
            JxWriteLogW(JX_LOG_WARNING, u"ca 0 in %s, the bitmap gets no constant alpha", pBitmapConfFullPath);
        else
            pBitmap->SetConstantAlpha(TRUE, nAlpha);
    }
    return pBitmap;
}

BOOL WceUiGetAlphaPath(LPCWSTR pBmpPath, LPWSTR pAlphaPath, int nLength)
{
    if (!WCEUI_CHECK("WceUiGetAlphaPath", NULL != pBmpPath && NULL != pAlphaPath && nLength > 0)) return FALSE;
    CQuickString strPath(pBmpPath);
    if (!GetAlphaPathFromBmpPath(strPath) || strPath.GetLength() >= nLength) return FALSE;
    WStrCopy(pAlphaPath, nLength, strPath.GetString());
    return TRUE;
}
