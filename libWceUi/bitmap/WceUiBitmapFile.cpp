// Reading bitmaps from files: plain BMP files with their ".alpha" planes, and the ".565a.conf"
// configurations that name them.
#include <new>

#include "JXBmp.h"
#include "JXCheck.h"
#include "JXGetBitmap.h"
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

BOOL CWceUiGenericBitmap::ReloadFromConfFile(LPCWSTR pBitmapConfFullPath)
{
    if (!WCEUI_CHECK("CWceUiGenericBitmap::ReloadFromConfFile", NULL != pBitmapConfFullPath && NULL != m_pJxBmp))
        return FALSE;
    CReadBitmapConfInfo conf;
    if (!conf.LoadBitmapConfFile(pBitmapConfFullPath)) return FALSE;
    LPCWSTR pBmpPath = conf.GetBitmapFullPath();
    DWORD nSize = 0;
    BYTE* pFile = WceUiReadFile(pBmpPath, &nSize, WceUiGetPackPassword());
    if (!pFile) {
        JxWriteLogW(JX_LOG_ERROR, u"WceUiReadFile %s failed", pBmpPath);
        return FALSE;
    }
    CWceUiGenericBitmap* pNew = impBuildFromConf(conf, pBitmapConfFullPath, pFile, nSize);
    delete[] pFile;
    if (!pNew) return FALSE;
    // Take over the new block and attributes; the old block goes with pNew.
    CJxBmp* pOld = m_pJxBmp;
    m_pJxBmp = pNew->m_pJxBmp;
    pNew->m_pJxBmp = pOld;
    CopyAttributes(*pNew);
    delete pNew;
    return TRUE;
}

CWceUiGenericBitmap* CWceUiGenericBitmap::impBuildFromConf(const CReadBitmapConfInfo& conf, LPCWSTR pConfPath,
                                                           const BYTE* pFile, DWORD nSize)
{
    LPCWSTR pBmpPath = conf.GetBitmapFullPath();
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    if (!GetBitmapInfoFromBuffer(pFile, nSize, &info, &pBits)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s is not a valid bitmap", pBmpPath);
        return NULL;
    }
    int nBits = info.bmiHeader.biBitCount;
    int nWidth = info.bmiHeader.biWidth, nHeight = info.bmiHeader.biHeight;
    if (16 != nBits && 32 != nBits) {
        JxWriteLogW(JX_LOG_ERROR, u"%s is not a 16 or a 32 bitmap", pBmpPath);
        return NULL;
    }
    if (!IsKindOf(16 == nBits ? WCEUI_CLASS_NAME(CWceUi565Bitmap) : WCEUI_CLASS_NAME(CWceUi32Bitmap))) {
        JxWriteLogW(JX_LOG_ERROR, u"%s is not match when changing skin", pBmpPath);
        return NULL;
    }
    BYTE* pAlpha = NULL;
    if (16 == nBits && conf.HasPerPixelAlpha()) {
        DWORD nAlphaSize = 0;
        pAlpha = WceUiReadFile(conf.GetAlphaFullPath(), &nAlphaSize, WceUiGetPackPassword());
        if (!pAlpha) {
            JxWriteLogW(JX_LOG_ERROR, u"read %s failed", conf.GetAlphaFullPath());
            return NULL;
        }
        if (nAlphaSize < JxGet565AlphaLen(nWidth, nHeight)) {
            JxWriteLogW(JX_LOG_ERROR, u"read %s failed, the length is not enough", conf.GetAlphaFullPath());
            delete[] pAlpha;
            return NULL;
        }
    }
    // The new picture is built in a bitmap of its own: creating in place would drop the old
    // pixels before the new ones exist.
    DWORD dwObjectSize = 0;
    CWceUiGenericBitmap* pNew = impNewSameKind(FALSE, &dwObjectSize);
    BOOL bCreated = pNew && (16 == nBits ? static_cast<CWceUi565Bitmap*>(pNew)->CreateDIB565(nWidth, nHeight, pBits,
                                                                                             pAlpha)
                                         : static_cast<CWceUi32Bitmap*>(pNew)->CreateDIB32(nWidth, nHeight, pBits,
                                                                                           conf.HasPerPixelAlpha()));
    delete[] pAlpha;
    if (!bCreated) {
        JxWriteLogW(JX_LOG_ERROR, u"CreateDIB %s failed", pBmpPath);
        delete pNew;
        return NULL;
    }
    COLORREF crTrans;
    if (conf.GetTransColor(&crTrans)) pNew->SetTransColor(TRUE, crTrans);
    DWORD nAlpha;
    if (conf.GetConstantAlpha(&nAlpha)) {
        if (0 == nAlpha)
            JxWriteLogW(JX_LOG_WARNING, u"ca 0 in %s, the bitmap gets no constant alpha", pConfPath);
        else
            pNew->SetConstantAlpha(TRUE, nAlpha);
    }
    return pNew;
}

namespace {

// The bitmap cache lives below these classes and reaches them only through this.
class CCacheBitmapLoader : public CJxBitmapLoader {
public:
    CWceUiGenericBitmap* LoadBitmap(LPCWSTR pConfPath) override { return JxLoadBitmapFromConfFile(pConfPath); }
    BOOL ReloadBitmap(CWceUiGenericBitmap* pBitmap, LPCWSTR pConfPath) override
    {
        return pBitmap->ReloadFromConfFile(pConfPath);
    }
    void DeleteBitmap(CWceUiGenericBitmap* pBitmap) override { delete pBitmap; }
};

CCacheBitmapLoader g_CacheBitmapLoader;

struct CRegisterCacheBitmapLoader {
    CRegisterCacheBitmapLoader() { JxSetBitmapLoader(&g_CacheBitmapLoader); }
} g_RegisterCacheBitmapLoader;

}  // namespace
