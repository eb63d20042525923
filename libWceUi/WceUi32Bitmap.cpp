#include "WceUi32Bitmap.h"

#include <cstring>
#include <new>

#include "JXBmp.h"
#include "JXBmp32.h"
#include "JXCheck.h"
#include "JXCommon.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "WceUiCommon.h"
#include "wce/files.h"

namespace {

const WCHAR kClass[] = u"CWceUi32Bitmap";

}  // namespace

CWceUi32Bitmap::CWceUi32Bitmap() {}

CWceUi32Bitmap::CWceUi32Bitmap(HBITMAP hBitmap)
{
    if (!LoadFromHBitmap(hBitmap)) JxWriteLogW(JX_LOG_ERROR, u"%s(hBitmap), call CopyHBitmap failed", kClass);
}

CWceUi32Bitmap::CWceUi32Bitmap(const CWceUi32Bitmap& bmpSrc) : CWceUiGenericBitmap()
{
    const JxBmpData* pSrcData = bmpSrc.m_pJxBmp->GetData();
    if (-1 == pSrcData->nRefs && pSrcData->hBitmap) {
        // The owner may be writing through its pointers: this copy gets pixels of its own.
        if (!CreateDIB32(pSrcData->bm.bmWidth, pSrcData->bm.bmHeight, pSrcData->pBmpBits, bmpSrc.m_bPerPixelAlpha))
            JxWriteLogW(JX_LOG_ERROR, u"%s(bmpSrc), Call CreateDIB32 failed", kClass);
    } else {
        m_pJxBmp->Share(*bmpSrc.m_pJxBmp);
    }
    CopyAttributes(bmpSrc);
}

CWceUi32Bitmap::~CWceUi32Bitmap() {}

BOOL CWceUi32Bitmap::CreateDIB(int nWidth, int nHeight) { return CreateDIB32(nWidth, nHeight, NULL, FALSE); }

BOOL CWceUi32Bitmap::CreateDIB32(int nWidth, int nHeight, const void* pBits, BOOL bPerPixelAlpha)
{
    if (!WCEUI_CHECK("CWceUi32Bitmap::CreateDIB32", nWidth > 0)) return FALSE;
    if (!WCEUI_CHECK("CWceUi32Bitmap::CreateDIB32", nHeight > 0)) return FALSE;
    ResetAttributes();
    m_pJxBmp->Release();

    void* pNewBits = NULL;
    HBITMAP hBitmap = CreateEmptyDIB32(nWidth, nHeight, &pNewBits);
    if (!hBitmap) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CreateDIB32, call CreateDibSection fail, GetLastError = %d", kClass,
                    GetLastError());
        return FALSE;
    }
    BITMAP bm;
    if (!GetObject(hBitmap, sizeof(bm), &bm)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CreateDIB32, call GetObject fail ,GetLastError = %d", kClass, GetLastError());
        DeleteObject(hBitmap);
        return FALSE;
    }
    if (pBits) memcpy(pNewBits, pBits, JxGetBitmapDataLen(nWidth, nHeight, 32));
    if (!m_pJxBmp->Allocate()) {
        DeleteObject(hBitmap);
        return FALSE;
    }
    JxBmpData* pData = m_pJxBmp->GetData();
    pData->hBitmap = hBitmap;
    pData->pBmpBits = pNewBits;
    pData->bm = bm;
    m_bPerPixelAlpha = bPerPixelAlpha;
    return TRUE;
}

BOOL CWceUi32Bitmap::LoadFromFile(LPCWSTR pFilePath, BOOL bPerPixelAlpha)
{
    ResetAttributes();
    m_pJxBmp->Release();
    if (!WCEUI_CHECK("CWceUi32Bitmap::LoadFromFile", NULL != pFilePath)) return FALSE;
    DWORD nSize = 0;
    BYTE* pFile = WceUiReadFile(pFilePath, &nSize, WceUiGetPackPassword());
    if (!pFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, WceUiReadFile %s failed", kClass, pFilePath);
        return FALSE;
    }
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    BOOL bOk = FALSE;
    if (!GetBitmapInfoFromBuffer(pFile, nSize, &info, &pBits)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a valid bitmap", kClass, pFilePath);
    } else if (32 != info.bmiHeader.biBitCount) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a 32 bitmap", kClass, pFilePath);
    } else if (!CreateDIB32(info.bmiHeader.biWidth, info.bmiHeader.biHeight, pBits, bPerPixelAlpha)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile %s, CreateDIB32(nWidth=%d, nHeight=%d,...) failed", kClass,
                    pFilePath, info.bmiHeader.biWidth, info.bmiHeader.biHeight);
    } else {
        bOk = TRUE;
    }
    delete[] pFile;
    return bOk;
}

BOOL CWceUi32Bitmap::SaveFile(LPCWSTR pFilePath)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveFile \"%s\", IsLoaded() return FALSE", kClass, pFilePath ? pFilePath : u"");
        return FALSE;
    }
    const JxBmpData* pData = m_pJxBmp->GetData();
    return Save32BmpFile(pFilePath, pData->pBmpBits, pData->bm.bmWidth, pData->bm.bmHeight);
}

BOOL CWceUi32Bitmap::LoadFromHBitmap(HBITMAP hBitmap)
{
    ResetAttributes();
    if (!m_pJxBmp->Allocate()) return FALSE;
    if (!m_pJxBmp->CopyHBitmap(32, hBitmap)) {
        m_pJxBmp->Release();
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUi32Bitmap::MakeACopy(CWceUiGenericBitmap** ppCopyBmp)
{
    if (!WCEUI_CHECK("CWceUi32Bitmap::MakeACopy", NULL != ppCopyBmp)) return FALSE;
    if (*ppCopyBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::MakeACopy, *ppCopyBmp should be NULL to prevent possible memory leak", kClass);
    *ppCopyBmp = NULL;
    CWceUi32Bitmap* pCopy = new (std::nothrow) CWceUi32Bitmap(*this);
    if (!pCopy) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MakeACopy, new fail, sizeof(CWceUi32Bitmap) = %u", kClass,
                    static_cast<unsigned>(sizeof(CWceUi32Bitmap)));
        return FALSE;
    }
    if (IsLoaded() && !pCopy->IsLoaded()) {
        delete pCopy;
        return FALSE;
    }
    *ppCopyBmp = pCopy;
    return TRUE;
}

BOOL CWceUi32Bitmap::SetPerPixelAlpha(BOOL bPerPixelAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetPerPixelAlpha, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    m_bPerPixelAlpha = bPerPixelAlpha;
    return TRUE;
}

BOOL CWceUi32Bitmap::PreMulAlpha()
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::PreMulAlpha, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray dst;
    GetPixelArray(dst);
    JxBmp32PreMulAlpha(dst);
    return SetPerPixelAlpha(TRUE);
}

BOOL CWceUi32Bitmap::AlphaBlend(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy,
                                 BLENDFUNCTION blendFunction)
{
    if (!CWceUiGenericBitmap::AlphaBlend(x, y, w, h, pSrcBmp, sx, sy, blendFunction)) return FALSE;
    if (!WCEUI_CHECK("CWceUi32Bitmap::AlphaBlend", 32 == pSrcBmp->GetBitsPixel())) return FALSE;
    if (!WCEUI_CHECK("CWceUi32Bitmap::AlphaBlend", pSrcBmp->IsKindOf(WCEUI_CLASS_NAME(CWceUi32Bitmap)))) return FALSE;
    CWceUi32Bitmap* pSrc = static_cast<CWceUi32Bitmap*>(pSrcBmp);
    BOOL bPerPixel = AC_SRC_ALPHA == blendFunction.AlphaFormat;

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
        JxBmp32AlphaBlendWhole(dst, src, bPerPixel, blendFunction.SourceConstantAlpha);
    else
        JxBmp32AlphaBlendRect(dst, rcOutDst, src, rcOutSrc, bPerPixel, blendFunction.SourceConstantAlpha);
    return TRUE;
}

BOOL CWceUi32Bitmap::MixColor(int x, int y, int w, int h, COLORREF crColor, int nAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MixColor, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUi32Bitmap::MixColor", ((nAlpha >= 0) && (nAlpha <= 255)))) return FALSE;
    RECT rcArea = JxMakeRect(x, y, w, h), rcBound = {0, 0, GetWidth(), GetHeight()}, rc;
    if (!IntersectRect(&rc, &rcArea, &rcBound)) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray dst;
    GetPixelArray(dst);
    if (EqualRect(&rc, &rcBound)) JxBmp32MixColorWhole(dst, crColor, nAlpha);
    else JxBmp32MixColorRect(dst, rc, crColor, nAlpha);
    return TRUE;
}

BOOL CWceUi32Bitmap::Rotate(WCEUI_ROTATE_ANGLE eAngle, CWceUiGenericBitmap** ppRotatedBmp)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUi32Bitmap::Rotate", NULL != ppRotatedBmp)) return FALSE;
    if (eAngle < WCEUI_ROTATE_90 || eAngle > WCEUI_ROTATE_270) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, eAngle is Invalid", kClass);
        return FALSE;
    }
    if (*ppRotatedBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::Rotate, *ppRotatedBmp should be NULL to prevent possible memory leak", kClass);
    *ppRotatedBmp = NULL;

    CWceUi32Bitmap* pRotatedBmp = new (std::nothrow) CWceUi32Bitmap;
    if (!pRotatedBmp) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, new fail,sizeof(CWceUi32Bitmap)=%u", kClass,
                    static_cast<unsigned>(sizeof(CWceUi32Bitmap)));
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
    JxBmp32Rotate(src, dst, eAngle);
    *ppRotatedBmp = pRotatedBmp;
    return TRUE;
}
