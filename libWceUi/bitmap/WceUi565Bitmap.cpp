#include "WceUi565Bitmap.h"

#include <cstring>
#include <new>

#include "JXBmp.h"
#include "JXBmp565.h"
#include "JXBmpLoopVariants.h"
#include "JXCheck.h"
#include "JXCommon.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "WceUiCommon.h"
#include "wce/files.h"

namespace {

const WCHAR kClass[] = u"CWceUi565Bitmap";

}  // namespace

CWceUi565Bitmap::CWceUi565Bitmap() {}

CWceUi565Bitmap::CWceUi565Bitmap(HBITMAP hBitmap)
{
    if (!LoadFromHBitmap(hBitmap)) JxWriteLogW(JX_LOG_ERROR, u"%s(hBitmap), call CopyHBitmap failed", kClass);
}

CWceUi565Bitmap::CWceUi565Bitmap(const CWceUi565Bitmap& bmpSrc) : CWceUiGenericBitmap()
{
    impShareOrCopy(bmpSrc, u"CreateDIB565");
}

CWceUi565Bitmap::~CWceUi565Bitmap() {}

BOOL CWceUi565Bitmap::CreateDIB(int nWidth, int nHeight) { return CreateDIB565(nWidth, nHeight, NULL, NULL); }

BOOL CWceUi565Bitmap::CreateDIB565(int nWidth, int nHeight, const void* pBits, const BYTE* pAlphaBits)
{
    return impCreateDIB(u"CreateDIB565", 16, nWidth, nHeight, pBits, pAlphaBits, NULL != pAlphaBits);
}

BOOL CWceUi565Bitmap::LoadFromFile(LPCWSTR pFilePath, LPCWSTR pAlphaPath)
{
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    BYTE* pFile = impReadBmpFile(pFilePath, 16, &info, &pBits);
    if (!pFile) return FALSE;
    int nWidth = info.bmiHeader.biWidth, nHeight = info.bmiHeader.biHeight;
    BYTE* pAlpha = NULL;
    BOOL bOk = TRUE;
    if (pAlphaPath) {
        DWORD nAlphaSize = 0;
        pAlpha = WceUiReadFile(pAlphaPath, &nAlphaSize, WceUiGetPackPassword());
        if (!pAlpha) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, WceUiReadFile %s failed", kClass, pAlphaPath);
            bOk = FALSE;
        } else if (nAlphaSize < JxGet565AlphaLen(nWidth, nHeight)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, the length of \"%s\"is not enough", kClass, pAlphaPath);
            bOk = FALSE;
        }
    }
    if (bOk && !CreateDIB565(nWidth, nHeight, pBits, pAlpha)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile %s, CreateDIB565(nWidth=%d, nHeight=%d,...) failed", kClass,
                    pFilePath, nWidth, nHeight);
        bOk = FALSE;
    }
    delete[] pAlpha;
    delete[] pFile;
    return bOk;
}

BOOL CWceUi565Bitmap::SaveFile(LPCWSTR pFilePath)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveFile \"%s\", IsLoaded() return FALSE", kClass, pFilePath ? pFilePath : u"");
        return FALSE;
    }
    const JxBmpData* pData = m_pJxBmp->GetData();
    return Save565BmpFile(pFilePath, pData->pBmpBits, pData->bm.bmWidth, pData->bm.bmHeight);
}

BOOL CWceUi565Bitmap::SaveFileAndAlpha(LPCWSTR pFilePath, LPCWSTR pAlphaPath)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveFileAndAlpha(%s,...), IsLoaded() return FALSE", kClass,
                    pFilePath ? pFilePath : u"");
        return FALSE;
    }
    if (!SaveFile(pFilePath)) return FALSE;
    const JxBmpData* pData = m_pJxBmp->GetData();
    if (!m_bPerPixelAlpha || !pData->pAlphaBits) return TRUE;
    if (!WCEUI_CHECK("CWceUi565Bitmap::SaveFileAndAlpha", NULL != pAlphaPath)) return FALSE;

    HANDLE hFile = CreateFileW(pAlphaPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveFileAndAlpha, CreateFile \"%s\" failed, GetLastError = %d", kClass,
                    pAlphaPath, GetLastError());
        return FALSE;
    }
    DWORD nSize = JxGet565AlphaLen(pData->bm.bmWidth, pData->bm.bmHeight);
    DWORD nWritten = 0;
    BOOL bOk = WriteFile(hFile, pData->pAlphaBits, nSize, &nWritten, NULL) && nWritten == nSize;
    if (!bOk)
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveFileAndAlpha, WriteFile \"%s\" failed, GetLastError = %d", kClass,
                    pAlphaPath, GetLastError());
    CloseHandle(hFile);
    return bOk;
}

BOOL CWceUi565Bitmap::LoadFromHBitmap(HBITMAP hBitmap) { return impLoadFromHBitmap(16, hBitmap); }

BOOL CWceUi565Bitmap::SetPerPixelAlpha(BOOL bPerPixelAlpha)
{
    if (bPerPixelAlpha && IsLoaded() && !m_pJxBmp->GetData()->pAlphaBits) {
        if (!CopyBeforeWrite()) return FALSE;
        JxBmpData* pData = m_pJxBmp->GetData();
        DWORD dwAlphaSize = JxGet565AlphaLen(pData->bm.bmWidth, pData->bm.bmHeight);
        BYTE* pAlpha = new (std::nothrow) BYTE[dwAlphaSize];
        if (!pAlpha) {
            // The flag stays off: a flag without a plane would send the blend into nothing.
            JxWriteLogW(JX_LOG_ERROR, u"%s::SetPerPixelAlpha, new fail, dwAlphaSize=%u", kClass, dwAlphaSize);
            return FALSE;
        }
        memset(pAlpha, 0, dwAlphaSize);
        pData->pAlphaBits = pAlpha;
    }
    return CWceUiGenericBitmap::SetPerPixelAlpha(bPerPixelAlpha);
}

HBITMAP CWceUi565Bitmap::GetBmpData(void** ppBits, BYTE** ppAlphaBits)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetBmpData, IsLoaded() return FALSE", kClass);
        return NULL;
    }
    if (!m_pJxBmp->Lock()) return NULL;
    const JxBmpData* pData = m_pJxBmp->GetData();
    if (ppBits) *ppBits = pData->pBmpBits;
    if (ppAlphaBits) *ppAlphaBits = pData->pAlphaBits;
    return pData->hBitmap;
}

CWceUiGenericBitmap* CWceUi565Bitmap::impNewSameKind(BOOL bCopy, DWORD* pdwObjectSize)
{
    *pdwObjectSize = sizeof(CWceUi565Bitmap);
    return bCopy ? new (std::nothrow) CWceUi565Bitmap(*this) : new (std::nothrow) CWceUi565Bitmap;
}

BOOL CWceUi565Bitmap::impCheckBlendSource(CWceUiGenericBitmap* pSrcBmp, BOOL bPerPixel)
{
    if (!WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", 16 == pSrcBmp->GetBitsPixel())) return FALSE;
    if (!WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", pSrcBmp->IsKindOf(WCEUI_CLASS_NAME(CWceUi565Bitmap)))) return FALSE;
    CWceUi565Bitmap* pSrc = static_cast<CWceUi565Bitmap*>(pSrcBmp);
    if (bPerPixel && !WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", NULL != pSrc->m_pJxBmp->GetData()->pAlphaBits))
        return FALSE;
    return TRUE;
}

const JxPixelLoops& CWceUi565Bitmap::impGetPixelLoops() const { return JxGetBmp565Loops(); }
