#include "JXGetBitmap.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXWriteLogFile.h"

namespace {

// Set by a static object of the bitmap classes, before main: a plain pointer needs no
// construction order.
CJxBitmapLoader* g_pBitmapLoader = NULL;

const WCHAR kBitmapDir[] = u"bitmap\\";

BOOL HasSlash(LPCWSTR p)
{
    for (; *p; ++p)
        if (u'/' == *p) return TRUE;
    return FALSE;
}

}  // namespace

void JxSetBitmapLoader(CJxBitmapLoader* pLoader) { g_pBitmapLoader = pLoader; }

CJxBitmapLoader* JxGetBitmapLoader() { return g_pBitmapLoader; }

CJxBitmapResLoader::CJxBitmapResLoader() : CJxResCache(u"Bitmap") {}

CJxBitmapResLoader::~CJxBitmapResLoader()
{
    impDestroyAll();
    CJxGVar::GetInstance()->ForgetService(this);
}

CWceUiGenericBitmap* CJxBitmapResLoader::GetBitmap(LPCWSTR pBitmapID)
{
    if (!WCEUI_CHECK("CJxBitmapResLoader::GetBitmap", NULL != pBitmapID && 0 != *pBitmapID)) return NULL;
    // Keys never hold '/': the id as given is looked up first, and turned only on a miss.
    if (void* pCached = impGetCached(pBitmapID)) return static_cast<CWceUiGenericBitmap*>(pCached);
    if (!HasSlash(pBitmapID)) return static_cast<CWceUiGenericBitmap*>(impGet(pBitmapID));
    CQuickString strID;
    if (!JxMakeFileID(strID, pBitmapID)) return NULL;
    return static_cast<CWceUiGenericBitmap*>(impGet(strID));
}

BOOL CJxBitmapResLoader::ReleaseBitmap(CWceUiGenericBitmap* pBitmap) { return impRelease(pBitmap); }

void* CJxBitmapResLoader::impLoad(LPCWSTR pID)
{
    CQuickString strPath;
    if (!impGetResPath(strPath, kBitmapDir, pID)) return NULL;
    if (!g_pBitmapLoader) {
        JxWriteLogW(JX_LOG_ERROR, u"load bitmap %s failed, no bitmap loader is registered", strPath.GetString());
        return NULL;
    }
    return g_pBitmapLoader->LoadBitmap(strPath);
}

void CJxBitmapResLoader::impDelete(void* pObject)
{
    // Objects only come from a registered loader.
    if (g_pBitmapLoader) g_pBitmapLoader->DeleteBitmap(static_cast<CWceUiGenericBitmap*>(pObject));
}

BOOL CJxBitmapResLoader::ChangeSkin()
{
    if (!impCheckResDir()) return FALSE;
    BOOL bResult = TRUE;
    for (JXPOSITION pos = impGetStart(); pos;) {
        CEntry* pEntry = impGetNext(pos);
        CQuickString strPath;
        if (!impGetResPath(strPath, kBitmapDir, pEntry->strID) || !g_pBitmapLoader ||
            !g_pBitmapLoader->ReloadBitmap(static_cast<CWceUiGenericBitmap*>(pEntry->pObject), strPath)) {
            JxWriteLogW(JX_LOG_ERROR, u"change skin load %s failed", strPath.GetString());
            bResult = FALSE;
        }
    }
    return bResult;
}

CWceUiGenericBitmap* WceUiGetBitmap(LPCWSTR pBitmapID)
{
    CJxBitmapResLoader* pCache = CJxGVar::GetInstance()->GetCJxBitmapResLoader();
    return pCache ? pCache->GetBitmap(pBitmapID) : NULL;
}

void WceUiReleaseBitmap(CWceUiGenericBitmap* pBitmap)
{
    CJxBitmapResLoader* pCache = CJxGVar::GetInstance()->GetCJxBitmapResLoader();
    if (pCache) pCache->ReleaseBitmap(pBitmap);
}
