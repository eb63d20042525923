#include "WceUi32Bitmap.h"

#include <new>

#include "JXBmp.h"
#include "JXBmp32.h"
#include "JXBmpLoopVariants.h"
#include "JXCheck.h"
#include "JXCommon.h"
#include "JXWriteLogFile.h"

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
    impShareOrCopy(bmpSrc, u"CreateDIB32");
}

CWceUi32Bitmap::~CWceUi32Bitmap() {}

BOOL CWceUi32Bitmap::CreateDIB(int nWidth, int nHeight) { return CreateDIB32(nWidth, nHeight, NULL, FALSE); }

BOOL CWceUi32Bitmap::CreateDIB32(int nWidth, int nHeight, const void* pBits, BOOL bPerPixelAlpha)
{
    return impCreateDIB(u"CreateDIB32", 32, nWidth, nHeight, pBits, NULL, bPerPixelAlpha);
}

BOOL CWceUi32Bitmap::LoadFromFile(LPCWSTR pFilePath, BOOL bPerPixelAlpha)
{
    BITMAPINFO info;
    const BYTE* pBits = NULL;
    BYTE* pFile = impReadBmpFile(pFilePath, 32, &info, &pBits);
    if (!pFile) return FALSE;
    BOOL bOk = CreateDIB32(info.bmiHeader.biWidth, info.bmiHeader.biHeight, pBits, bPerPixelAlpha);
    if (!bOk)
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile %s, CreateDIB32(nWidth=%d, nHeight=%d,...) failed", kClass,
                    pFilePath, info.bmiHeader.biWidth, info.bmiHeader.biHeight);
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

BOOL CWceUi32Bitmap::LoadFromHBitmap(HBITMAP hBitmap) { return impLoadFromHBitmap(32, hBitmap); }

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

CWceUiGenericBitmap* CWceUi32Bitmap::impNewSameKind(BOOL bCopy, DWORD* pdwObjectSize)
{
    *pdwObjectSize = sizeof(CWceUi32Bitmap);
    return bCopy ? new (std::nothrow) CWceUi32Bitmap(*this) : new (std::nothrow) CWceUi32Bitmap;
}

BOOL CWceUi32Bitmap::impCheckBlendSource(CWceUiGenericBitmap* pSrcBmp, BOOL)
{
    if (!WCEUI_CHECK("CWceUi32Bitmap::AlphaBlend", 32 == pSrcBmp->GetBitsPixel())) return FALSE;
    if (!WCEUI_CHECK("CWceUi32Bitmap::AlphaBlend", pSrcBmp->IsKindOf(WCEUI_CLASS_NAME(CWceUi32Bitmap)))) return FALSE;
    return TRUE;
}

const JxPixelLoops& CWceUi32Bitmap::impGetPixelLoops() const { return JxGetBmp32Loops(); }
