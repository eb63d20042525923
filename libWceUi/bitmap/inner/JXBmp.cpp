#include "JXBmp.h"

#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "wce/files.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

namespace {

const WCHAR kJxBmp[] = u"CJxBmp";
const WORD kBmpSignature = 0x4D42;  // "BM"
const LONG kMaxBytes = 0x7FFFFFFF;

void FreeData(JxBmpData* pData)
{
    if (pData->hBitmap) DeleteObject(pData->hBitmap);
    delete[] pData->pAlphaBits;
    delete pData;
}

// Drops one share of a block that is not the nil block.
void ReleaseData(JxBmpData* pData)
{
    if (InterlockedDecrement(&pData->nRefs) < 1) FreeData(pData);
}

BOOL FillBitmapRecord(JxBmpData* pData)
{
    BITMAP bm;
    if (!GetObject(pData->hBitmap, sizeof(bm), &bm)) return FALSE;
    pData->bm = bm;
    return TRUE;
}

BOOL CopySection(JxBmpData* pDst, const JxBmpData* pSrc, int nBitsPixel)
{
    int nWidth = pSrc->bm.bmWidth, nHeight = pSrc->bm.bmHeight;
    void* pBits = NULL;
    HBITMAP hBitmap = 16 == nBitsPixel ? CreateEmptyDIB565(nWidth, nHeight, &pBits)
                                       : CreateEmptyDIB32(nWidth, nHeight, &pBits);
    if (!hBitmap) return FALSE;
    pDst->hBitmap = hBitmap;
    pDst->pBmpBits = pBits;
    if (!FillBitmapRecord(pDst)) {
        DeleteObject(hBitmap);
        pDst->hBitmap = NULL;
        pDst->pBmpBits = NULL;
        return FALSE;
    }
    memcpy(pBits, pSrc->pBmpBits, JxGetBitmapDataLen(nWidth, nHeight, nBitsPixel));
    return TRUE;
}

BOOL WriteAll(HANDLE hFile, const void* pData, DWORD nSize)
{
    DWORD nWritten = 0;
    return WriteFile(hFile, pData, nSize, &nWritten, NULL) && nWritten == nSize;
}

// pInfo holds nInfoSize bytes: the header and what follows it up to the pixels.
BOOL SaveBmpFile(LPCWSTR pFunction, LPCWSTR pSaveFileName, const void* pInfo, DWORD nInfoSize, const void* pData,
                 DWORD nPixelBytes)
{
    BITMAPFILEHEADER bf = {};
    bf.bfType = kBmpSignature;
    bf.bfOffBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER)) + nInfoSize;
    bf.bfSize = bf.bfOffBits + nPixelBytes;

    HANDLE hFile = CreateFileW(pSaveFileName, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, CreateFile (%s) fail, GetLastError is %d", pFunction, pSaveFileName,
                    GetLastError());
        return FALSE;
    }
    BOOL bOk = WriteAll(hFile, &bf, sizeof(bf));
    if (bOk) bOk = WriteAll(hFile, pInfo, nInfoSize);
    if (bOk) bOk = WriteAll(hFile, pData, nPixelBytes);
    if (!bOk)
        JxWriteLogW(JX_LOG_ERROR, u"%s, WriteFile (%s) fail, GetLastError is %d", pFunction, pSaveFileName,
                    GetLastError());
    CloseHandle(hFile);
    return bOk;
}

}  // namespace

CInitJxBitmapData::CInitJxBitmapData()
{
    memset(&m_BmpDataNil, 0, sizeof(m_BmpDataNil));
    memset(&m_BitmapInfo565, 0, sizeof(m_BitmapInfo565));
    m_BitmapInfo565.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    m_BitmapInfo565.bmiHeader.biPlanes = 1;
    m_BitmapInfo565.bmiHeader.biBitCount = 16;
    m_BitmapInfo565.bmiHeader.biCompression = BI_BITFIELDS;
    m_BitmapInfo565.dwMasks[0] = 0x0000F800;
    m_BitmapInfo565.dwMasks[1] = 0x000007E0;
    m_BitmapInfo565.dwMasks[2] = 0x0000001F;
    memset(&m_BitmapInfo32, 0, sizeof(m_BitmapInfo32));
    m_BitmapInfo32.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    m_BitmapInfo32.bmiHeader.biPlanes = 1;
    m_BitmapInfo32.bmiHeader.biBitCount = 32;
    m_BitmapInfo32.bmiHeader.biCompression = BI_RGB;
}

JxBmpData* wceui::GetBmpDataNil() { return CJxGVar::GetInstance()->GetCInitJxBitmapData()->GetBmpDataNil(); }

CJxBmp::CJxBmp() : m_pData(wceui::GetBmpDataNil()) {}

CJxBmp::~CJxBmp() { Release(); }

BOOL CJxBmp::Allocate()
{
    Release();
    JxBmpData* pData = new (std::nothrow) JxBmpData;
    if (!pData) return FALSE;
    memset(pData, 0, sizeof(*pData));
    pData->nRefs = 1;
    m_pData = pData;
    return TRUE;
}

void CJxBmp::Release()
{
    if (!IsNil()) ReleaseData(m_pData);
    m_pData = wceui::GetBmpDataNil();
}

void CJxBmp::Share(const CJxBmp& src)
{
    if (&src == this) return;
    Release();
    if (src.IsNil()) return;
    InterlockedIncrement(&src.m_pData->nRefs);
    m_pData = src.m_pData;
}

BOOL CJxBmp::Copy(const JxBmpData* pSrc)
{
    if (!WCEUI_CHECK("CJxBmp::Copy", NULL != pSrc && NULL != pSrc->hBitmap)) return FALSE;
    JxBmpData* pNew = new (std::nothrow) JxBmpData;
    if (!pNew) return FALSE;
    memset(pNew, 0, sizeof(*pNew));
    pNew->nRefs = 1;
    BOOL bOk = FALSE;
    if (16 == pSrc->bm.bmBitsPixel) {
        bOk = CopyBmpData565(pNew, pSrc);
    } else if (32 == pSrc->bm.bmBitsPixel) {
        bOk = CopyBmpData32(pNew, pSrc);
    } else {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Copy, CWceUiGenericBitmap only support 32 or 565 bitmap!", kJxBmp);
    }
    if (!bOk) {
        FreeData(pNew);
        return FALSE;
    }
    // The source may be this object's own block: take the copy first, then let go.
    Release();
    m_pData = pNew;
    return TRUE;
}

BOOL CJxBmp::Lock()
{
    if (!WCEUI_CHECK("CJxBmp::Lock", !IsNil())) return FALSE;
    if (m_pData->nRefs > 1) {
        JxBmpData* pShared = m_pData;
        if (!Copy(pShared)) return FALSE;  // Copy released the shared block on success
    }
    m_pData->nRefs = -1;
    return TRUE;
}

BOOL CJxBmp::Unlock()
{
    if (IsNil()) return TRUE;
    if (!WCEUI_CHECK("CJxBmp::Unlock", -1 == m_pData->nRefs)) return FALSE;
    m_pData->nRefs = 1;
    return TRUE;
}

BOOL CJxBmp::CopyBeforeWrite()
{
    if (!WCEUI_CHECK("CJxBmp::CopyBeforeWrite", IsLoaded())) return FALSE;
    if (-1 == m_pData->nRefs) return TRUE;
    return Lock() && Unlock();
}

BOOL CJxBmp::CopyHBitmap(int nDstBitsPixel, HBITMAP hSrcBitMap)
{
    if (16 != nDstBitsPixel && 32 != nDstBitsPixel) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, nDstBitsPixel is %d, not 16 or 32", kJxBmp, nDstBitsPixel);
        return FALSE;
    }
    if (!hSrcBitMap) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, hBitMap is NULL", kJxBmp);
        return FALSE;
    }
    if (!WCEUI_CHECK("CJxBmp::CopyHBitmap", !IsNil() && NULL == m_pData->hBitmap)) return FALSE;
    BITMAP bmSrc;
    if (!GetObject(hSrcBitMap, sizeof(bmSrc), &bmSrc)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap call GetObject fail,GetLastError = %d", kJxBmp, GetLastError());
        return FALSE;
    }
    void* pBits = NULL;
    HBITMAP hBitmap = 16 == nDstBitsPixel ? CreateEmptyDIB565(bmSrc.bmWidth, bmSrc.bmHeight, &pBits)
                                          : CreateEmptyDIB32(bmSrc.bmWidth, bmSrc.bmHeight, &pBits);
    if (!hBitmap) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, Create empty dib failed, width=%d, height=%d", kJxBmp,
                    bmSrc.bmWidth, bmSrc.bmHeight);
        return FALSE;
    }

    BOOL bOk = FALSE;
    HDC hSrcDc = CreateCompatibleDC(NULL);
    HDC hDstDc = CreateCompatibleDC(NULL);
    if (hSrcDc && hDstDc) {
        HGDIOBJ hOldSrc = SelectObject(hSrcDc, hSrcBitMap);
        HGDIOBJ hOldDst = SelectObject(hDstDc, hBitmap);
        bOk = hOldSrc && hOldDst &&
              ::BitBlt(hDstDc, 0, 0, bmSrc.bmWidth, bmSrc.bmHeight, hSrcDc, 0, 0, SRCCOPY);
        if (!bOk)
            JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, call BitBlt failed, GetLastError = %d", kJxBmp,
                        GetLastError());
        if (hOldSrc) SelectObject(hSrcDc, hOldSrc);
        if (hOldDst) SelectObject(hDstDc, hOldDst);
    } else {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, call BitBlt failed, GetLastError = %d", kJxBmp, GetLastError());
    }
    if (hSrcDc) DeleteDC(hSrcDc);
    if (hDstDc) DeleteDC(hDstDc);

    m_pData->hBitmap = hBitmap;
    m_pData->pBmpBits = pBits;
    if (bOk && !FillBitmapRecord(m_pData)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::CopyHBitmap, call GetObject fail, GetLastError = %d", kJxBmp, GetLastError());
        bOk = FALSE;
    }
    if (!bOk) {
        DeleteObject(hBitmap);
        m_pData->hBitmap = NULL;
        m_pData->pBmpBits = NULL;
        memset(&m_pData->bm, 0, sizeof(m_pData->bm));
    }
    return bOk;
}

DWORD JxGetBitmapDataLen(int nWidth, int nHeight, int nBitCount)
{
    if (nWidth <= 0 || nHeight <= 0 || nBitCount <= 0) return 0;
    long long nBits = static_cast<long long>(nWidth) * nBitCount;
    long long nLen = 0 == nBits % 32 ? nBits * nHeight / 8 : ((nBits + 31) & ~31LL) * nHeight / 8;
    return nLen > kMaxBytes ? 0 : static_cast<DWORD>(nLen);
}

DWORD JxGet565AlphaLen(int nWidth, int nHeight)
{
    if (nWidth <= 0 || nHeight <= 0) return 0;
    long long nLen = ((static_cast<long long>(nWidth) + 1) & ~1LL) * nHeight;
    return nLen > kMaxBytes ? 0 : static_cast<DWORD>(nLen);
}

HBITMAP CreateEmptyDIB565(int nWidth, int nHeight, void** ppBits)
{
    if (!WCEUI_CHECK("CreateEmptyDIB565", nWidth > 0 && nHeight > 0)) return NULL;
    JxBitmapInfo565 info = CJxGVar::GetInstance()->GetCInitJxBitmapData()->GetBitmapInfo565();
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;  // positive: bottom-up
    return CreateDIBSection(NULL, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, ppBits, NULL, 0);
}

HBITMAP CreateEmptyDIB32(int nWidth, int nHeight, void** ppBits)
{
    if (!WCEUI_CHECK("CreateEmptyDIB32", nWidth > 0 && nHeight > 0)) return NULL;
    BITMAPINFO info = CJxGVar::GetInstance()->GetCInitJxBitmapData()->GetBitmapInfo32();
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    return CreateDIBSection(NULL, &info, DIB_RGB_COLORS, ppBits, NULL, 0);
}

BOOL CopyBmpData565(JxBmpData* pDst, const JxBmpData* pSrc)
{
    if (!WCEUI_CHECK("CopyBmpData565", NULL != pDst && NULL != pSrc && NULL == pDst->hBitmap)) return FALSE;
    BYTE* pAlpha = NULL;
    if (pSrc->pAlphaBits) {
        DWORD nAlphaSize = JxGet565AlphaLen(pSrc->bm.bmWidth, pSrc->bm.bmHeight);
        pAlpha = new (std::nothrow) BYTE[nAlphaSize];
        if (!pAlpha) return FALSE;
        memcpy(pAlpha, pSrc->pAlphaBits, nAlphaSize);
    }
    if (!CopySection(pDst, pSrc, 16)) {
        delete[] pAlpha;
        return FALSE;
    }
    pDst->pAlphaBits = pAlpha;
    return TRUE;
}

BOOL CopyBmpData32(JxBmpData* pDst, const JxBmpData* pSrc)
{
    if (!WCEUI_CHECK("CopyBmpData32", NULL != pDst && NULL != pSrc && NULL == pDst->hBitmap)) return FALSE;
    return CopySection(pDst, pSrc, 32);
}

BOOL Save565BmpFile(LPCWSTR pSaveFileName, const void* pData, int nWidth, int nHeight)
{
    if (!WCEUI_CHECK("Save565BmpFile", nWidth > 0 && nHeight > 0)) return FALSE;
    if (!WCEUI_CHECK("Save565BmpFile", NULL != pSaveFileName && NULL != pData)) return FALSE;
    DWORD nPixelBytes = JxGetBitmapDataLen(nWidth, nHeight, 16);
    if (!WCEUI_CHECK("Save565BmpFile", 0 != nPixelBytes)) return FALSE;
    JxBitmapInfo565 info = CJxGVar::GetInstance()->GetCInitJxBitmapData()->GetBitmapInfo565();
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biSizeImage = nPixelBytes;
    return SaveBmpFile(u"Save565BmpFile", pSaveFileName, &info, sizeof(info), pData, nPixelBytes);
}

BOOL Save32BmpFile(LPCWSTR pSaveFileName, const void* pData, int nWidth, int nHeight)
{
    if (!WCEUI_CHECK("Save32BmpFile", nWidth > 0 && nHeight > 0)) return FALSE;
    if (!WCEUI_CHECK("Save32BmpFile", NULL != pSaveFileName && NULL != pData)) return FALSE;
    DWORD nPixelBytes = JxGetBitmapDataLen(nWidth, nHeight, 32);
    if (!WCEUI_CHECK("Save32BmpFile", 0 != nPixelBytes)) return FALSE;
    BITMAPINFO info = CJxGVar::GetInstance()->GetCInitJxBitmapData()->GetBitmapInfo32();
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biSizeImage = nPixelBytes;
    static_assert(sizeof(BITMAPINFO) == 44, "40-byte header and 4 zero bytes: pixels at 58");
    return SaveBmpFile(u"Save32BmpFile", pSaveFileName, &info, sizeof(info), pData, nPixelBytes);
}

BYTE* Read565Alpha(int nWidth, int nHeight, LPCWSTR pAlphaPath)
{
    if (!WCEUI_CHECK("Read565Alpha", NULL != pAlphaPath)) return NULL;
    DWORD nSize = JxGet565AlphaLen(nWidth, nHeight);
    if (!WCEUI_CHECK("Read565Alpha", 0 != nSize)) return NULL;
    HANDLE hFile = CreateFileW(pAlphaPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"Read565Alpha, CreateFile (%s) fail, GetLastError is %d", pAlphaPath, GetLastError());
        return NULL;
    }
    BYTE* pAlpha = new (std::nothrow) BYTE[nSize];
    DWORD nRead = 0;
    BOOL bOk = pAlpha && ReadFile(hFile, pAlpha, nSize, &nRead, NULL) && nRead == nSize;
    if (!bOk) {
        JxWriteLogW(JX_LOG_ERROR, u"Read565Alpha, ReadFile (%s) fail, require: %u, readed: %u, GetLastError is %d",
                    pAlphaPath, nSize, nRead, GetLastError());
        delete[] pAlpha;
        pAlpha = NULL;
    }
    CloseHandle(hFile);
    return pAlpha;
}

BOOL GetBitmapInfoFromBuffer(const BYTE* lpBuffer, DWORD nBuffLen, BITMAPINFO* pBitmapInfo, const BYTE** ppBmpBits)
{
    if (!WCEUI_CHECK("GetBitmapInfoFromBuffer", NULL != pBitmapInfo && NULL != ppBmpBits)) return FALSE;
    memset(pBitmapInfo, 0, sizeof(*pBitmapInfo));
    *ppBmpBits = NULL;
    if (!lpBuffer || nBuffLen <= MIN_BITMAP_BUF_LEN) return FALSE;

    BITMAPFILEHEADER bf;
    memcpy(&bf, lpBuffer, sizeof(bf));
    if (kBmpSignature != bf.bfType) return FALSE;
    // The info runs from the file header to the pixels. It must hold at least the 40-byte
    // header: pixels that start inside it would be read as the header.
    long long nInfoLen = static_cast<long long>(bf.bfOffBits) - static_cast<long long>(sizeof(bf));
    long long nAfterHeader = static_cast<long long>(nBuffLen) - static_cast<long long>(sizeof(bf));
    if (nInfoLen < static_cast<long long>(sizeof(BITMAPINFOHEADER)) || nInfoLen > nAfterHeader) return FALSE;

    // Only the first 44 bytes are read; larger headers (108, 124 bytes) load the same way.
    BITMAPINFO info;
    memset(&info, 0, sizeof(info));
    DWORD nCopy = nAfterHeader < static_cast<long long>(sizeof(info)) ? static_cast<DWORD>(nAfterHeader)
                                                                      : static_cast<DWORD>(sizeof(info));
    memcpy(&info, lpBuffer + sizeof(bf), nCopy);
    const BITMAPINFOHEADER& bih = info.bmiHeader;
    if (bih.biWidth <= 0 || bih.biHeight <= 0 || 0 == bih.biBitCount) return FALSE;
    if (bih.biWidth > JX_MAX_BITMAP_SIDE || bih.biHeight > JX_MAX_BITMAP_SIDE) return FALSE;
    DWORD nDataLen = JxGetBitmapDataLen(bih.biWidth, bih.biHeight, bih.biBitCount);
    if (0 == nDataLen || nDataLen > nBuffLen - bf.bfOffBits) return FALSE;

    *pBitmapInfo = info;
    *ppBmpBits = lpBuffer + bf.bfOffBits;
    return TRUE;
}
