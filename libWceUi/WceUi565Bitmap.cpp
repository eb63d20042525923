#include "WceUi565Bitmap.h"

#include <cstring>
#include <new>

#include "JXBmp.h"
#include "JXBmp565.h"
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
    const JxBmpData* pSrcData = bmpSrc.m_pJxBmp->GetData();
    if (-1 == pSrcData->nRefs && pSrcData->hBitmap) {
        // The owner may be writing through its pointers: this copy gets pixels of its own.
        if (!CreateDIB565(pSrcData->bm.bmWidth, pSrcData->bm.bmHeight, pSrcData->pBmpBits, pSrcData->pAlphaBits))
            JxWriteLogW(JX_LOG_ERROR, u"%s(bmpSrc), Call CreateDIB565 failed", kClass);
    } else {
        m_pJxBmp->Share(*bmpSrc.m_pJxBmp);
    }
    CopyAttributes(bmpSrc);
}

CWceUi565Bitmap::~CWceUi565Bitmap() {}

BOOL CWceUi565Bitmap::CreateDIB(int nWidth, int nHeight) { return CreateDIB565(nWidth, nHeight, NULL, NULL); }

BOOL CWceUi565Bitmap::CreateDIB565(int nWidth, int nHeight, const void* pBits, const BYTE* pAlphaBits)
{
    if (!WCEUI_CHECK("CWceUi565Bitmap::CreateDIB565", nWidth > 0)) return FALSE;
    if (!WCEUI_CHECK("CWceUi565Bitmap::CreateDIB565", nHeight > 0)) return FALSE;
    ResetAttributes();
    m_pJxBmp->Release();

    void* pNewBits = NULL;
    HBITMAP hBitmap = CreateEmptyDIB565(nWidth, nHeight, &pNewBits);
    if (!hBitmap) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CreateDIB565, call CreateDibSection fail, GetLastError = %d", kClass,
                    GetLastError());
        return FALSE;
    }
    BITMAP bm;
    if (!GetObject(hBitmap, sizeof(bm), &bm)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CreateDIB565, call GetObject fail ,GetLastError = %d", kClass, GetLastError());
        DeleteObject(hBitmap);
        return FALSE;
    }
    if (pBits) memcpy(pNewBits, pBits, JxGetBitmapDataLen(nWidth, nHeight, 16));
    BYTE* pAlpha = NULL;
    if (pAlphaBits) {
        DWORD dwAlphaSize = JxGet565AlphaLen(nWidth, nHeight);
        pAlpha = new (std::nothrow) BYTE[dwAlphaSize];
        if (!pAlpha) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::CreateDIB565, new fail, dwAlphaSize = %u", kClass, dwAlphaSize);
            DeleteObject(hBitmap);
            return FALSE;
        }
        memcpy(pAlpha, pAlphaBits, dwAlphaSize);
    }
    if (!m_pJxBmp->Allocate()) {
        DeleteObject(hBitmap);
        delete[] pAlpha;
        return FALSE;
    }
    JxBmpData* pData = m_pJxBmp->GetData();
    pData->hBitmap = hBitmap;
    pData->pBmpBits = pNewBits;
    pData->bm = bm;
    pData->pAlphaBits = pAlpha;
    m_bPerPixelAlpha = NULL != pAlpha;
    return TRUE;
}

BOOL CWceUi565Bitmap::LoadFromFile(LPCWSTR pFilePath, LPCWSTR pAlphaPath)
{
    ResetAttributes();
    m_pJxBmp->Release();
    if (!WCEUI_CHECK("CWceUi565Bitmap::LoadFromFile", NULL != pFilePath)) return FALSE;
    DWORD nSize = 0;
    BYTE* pFile = WceUiReadFile(pFilePath, &nSize, WceUiGetPackPassword());
    if (!pFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, WceUiReadFile %s failed", kClass, pFilePath);
        return FALSE;
    }
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    BYTE* pAlpha = NULL;
    BOOL bOk = FALSE;
    if (!GetBitmapInfoFromBuffer(pFile, nSize, &info, &pBits)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a valid bitmap", kClass, pFilePath);
    } else if (16 != info.bmiHeader.biBitCount) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a 16 bitmap", kClass, pFilePath);
    } else {
        int nWidth = info.bmiHeader.biWidth, nHeight = info.bmiHeader.biHeight;
        bOk = TRUE;
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

BOOL CWceUi565Bitmap::LoadFromHBitmap(HBITMAP hBitmap)
{
    ResetAttributes();
    if (!m_pJxBmp->Allocate()) return FALSE;
    if (!m_pJxBmp->CopyHBitmap(16, hBitmap)) {
        m_pJxBmp->Release();
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUi565Bitmap::MakeACopy(CWceUiGenericBitmap** ppCopyBmp)
{
    if (!WCEUI_CHECK("CWceUi565Bitmap::MakeACopy", NULL != ppCopyBmp)) return FALSE;
    if (*ppCopyBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::MakeACopy, *ppCopyBmp should be NULL to prevent possible memory leak", kClass);
    *ppCopyBmp = NULL;
    CWceUi565Bitmap* pCopy = new (std::nothrow) CWceUi565Bitmap(*this);
    if (!pCopy) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MakeACopy, new fail, sizeof(CWceUi565Bitmap) = %u", kClass,
                    static_cast<unsigned>(sizeof(CWceUi565Bitmap)));
        return FALSE;
    }
    if (IsLoaded() && !pCopy->IsLoaded()) {
        delete pCopy;
        return FALSE;
    }
    *ppCopyBmp = pCopy;
    return TRUE;
}

BOOL CWceUi565Bitmap::SetPerPixelAlpha(BOOL bPerPixelAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetPerPixelAlpha, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (bPerPixelAlpha && !m_pJxBmp->GetData()->pAlphaBits) {
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
    m_bPerPixelAlpha = bPerPixelAlpha;
    return TRUE;
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

BOOL CWceUi565Bitmap::AlphaBlend(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy,
                                 BLENDFUNCTION blendFunction)
{
    if (!CWceUiGenericBitmap::AlphaBlend(x, y, w, h, pSrcBmp, sx, sy, blendFunction)) return FALSE;
    if (!WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", 16 == pSrcBmp->GetBitsPixel())) return FALSE;
    if (!WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", pSrcBmp->IsKindOf(WCEUI_CLASS_NAME(CWceUi565Bitmap)))) return FALSE;
    CWceUi565Bitmap* pSrc = static_cast<CWceUi565Bitmap*>(pSrcBmp);
    BOOL bPerPixel = AC_SRC_ALPHA == blendFunction.AlphaFormat;
    if (bPerPixel && !WCEUI_CHECK("CWceUi565Bitmap::AlphaBlend", NULL != pSrc->m_pJxBmp->GetData()->pAlphaBits))
        return FALSE;

    RECT rcDst = JxMakeRect(x, y, w, h), rcSrc = JxMakeRect(sx, sy, w, h);
    RECT rcDstBound = {0, 0, GetWidth(), GetHeight()};
    RECT rcSrcBound = {0, 0, pSrc->GetWidth(), pSrc->GetHeight()};
    RECT rcOutDst, rcOutSrc;
    if (!CalcBitBltRects(&rcOutDst, &rcOutSrc, &rcDstBound, &rcSrcBound, &rcDst, &rcSrc)) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;

    JxPixelArray dst, src;
    GetPixelArray(dst);
    pSrc->GetPixelArray(src);
    if (EqualRect(&rcOutDst, &rcDstBound) && EqualRect(&rcOutSrc, &rcSrcBound) && EqualRect(&rcOutDst, &rcOutSrc))
        JxBmp565AlphaBlendWhole(dst, src, bPerPixel, blendFunction.SourceConstantAlpha);
    else
        JxBmp565AlphaBlendRect(dst, rcOutDst, src, rcOutSrc, bPerPixel, blendFunction.SourceConstantAlpha);
    return TRUE;
}

BOOL CWceUi565Bitmap::MixColor(int x, int y, int w, int h, COLORREF crColor, int nAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MixColor, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUi565Bitmap::MixColor", ((nAlpha >= 0) && (nAlpha <= 255)))) return FALSE;
    RECT rcArea = JxMakeRect(x, y, w, h), rcBound = {0, 0, GetWidth(), GetHeight()}, rc;
    if (!IntersectRect(&rc, &rcArea, &rcBound)) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray dst;
    GetPixelArray(dst);
    if (EqualRect(&rc, &rcBound)) JxBmp565MixColorWhole(dst, crColor, nAlpha);
    else JxBmp565MixColorRect(dst, rc, crColor, nAlpha);
    return TRUE;
}

BOOL CWceUi565Bitmap::Rotate(WCEUI_ROTATE_ANGLE eAngle, CWceUiGenericBitmap** ppRotatedBmp)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUi565Bitmap::Rotate", NULL != ppRotatedBmp)) return FALSE;
    if (eAngle < WCEUI_ROTATE_90 || eAngle > WCEUI_ROTATE_270) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, eAngle is Invalid", kClass);
        return FALSE;
    }
    if (*ppRotatedBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::Rotate, *ppRotatedBmp should be NULL to prevent possible memory leak", kClass);
    *ppRotatedBmp = NULL;

    CWceUi565Bitmap* pRotatedBmp = new (std::nothrow) CWceUi565Bitmap;
    if (!pRotatedBmp) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, new fail,sizeof(CWceUi565Bitmap)=%u", kClass,
                    static_cast<unsigned>(sizeof(CWceUi565Bitmap)));
        return FALSE;
    }
    BOOL bQuarter = WCEUI_ROTATE_180 != eAngle;
    if (!pRotatedBmp->CreateDIB(bQuarter ? GetHeight() : GetWidth(), bQuarter ? GetWidth() : GetHeight())) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate,call pRotatedBmp->CreateDIB fail", kClass);
        delete pRotatedBmp;
        return FALSE;
    }
    JxPixelArray src, dst;
    GetPixelArray(src);
    pRotatedBmp->GetPixelArray(dst);
    JxBmp565Rotate(src, dst, eAngle);
    *ppRotatedBmp = pRotatedBmp;
    return TRUE;
}
