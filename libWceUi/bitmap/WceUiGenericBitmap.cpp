#include "WceUiGenericBitmap.h"

#include <cstring>
#include <new>

#include "JXBmp.h"
#include "JXCheck.h"
#include "JXCommon.h"
#include "JXGetBitmap.h"
#include "JXLoadRes.h"
#include "JXWriteLogFile.h"
#include "JxBmpHSL.h"
#include "JxFile.h"
#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiCommon.h"
#include "wce/files.h"

namespace {

const WCHAR kClass[] = u"CWceUiGenericBitmap";

enum { BLIT_COPY, BLIT_STRETCH, BLIT_TRANS };

// One platform blit between two device contexts. For BLIT_TRANS dwRopOrKey is the key color.
BOOL CallBlit(HDC hDst, HDC hSrc, int nKind, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
              DWORD dwRopOrKey)
{
    switch (nKind) {
    case BLIT_COPY:
        return ::BitBlt(hDst, x, y, w, h, hSrc, sx, sy, dwRopOrKey);
    case BLIT_STRETCH:
        return ::StretchBlt(hDst, x, y, w, h, hSrc, sx, sy, sw, sh, dwRopOrKey);
    default:
        return ::TransparentImage(hDst, x, y, w, h, hSrc, sx, sy, sw, sh, dwRopOrKey);
    }
}

// Selects hBitmap into a new memory device context and puts everything back on destruction.
class CSelectedDc {
public:
    CSelectedDc(HDC hCompatible, HBITMAP hBitmap) : m_hDc(CreateCompatibleDC(hCompatible)), m_hOld(NULL)
    {
        if (m_hDc) m_hOld = SelectObject(m_hDc, hBitmap);
    }
    ~CSelectedDc()
    {
        if (m_hOld) SelectObject(m_hDc, m_hOld);
        if (m_hDc) DeleteDC(m_hDc);
    }
    CSelectedDc(const CSelectedDc&) = delete;
    CSelectedDc& operator=(const CSelectedDc&) = delete;

    BOOL IsReady() const { return NULL != m_hOld; }
    HDC Get() const { return m_hDc; }

private:
    HDC m_hDc;
    HGDIOBJ m_hOld;
};

// "<class>::<method>" as a check's operation name. Checks evaluate it only when they fail.
class COperationName {
public:
    COperationName(LPCWSTR pClass, LPCWSTR pMethod)
    {
        size_t n = 0;
        impAppend(n, pClass);
        impAppend(n, u"::");
        impAppend(n, pMethod);
        m_szName[n] = '\0';
    }
    const char* Get() const { return m_szName; }

private:
    // Class and method names are ASCII.
    void impAppend(size_t& n, LPCWSTR p)
    {
        for (; p && *p && n + 1 < sizeof(m_szName); ++p) m_szName[n++] = static_cast<char>(*p);
    }

    char m_szName[80];
};

}  // namespace

CWceUiGenericBitmap::CWceUiGenericBitmap()
    : m_pJxBmp(new (std::nothrow) CJxBmp),
      m_crTrans(WCEUI_INVALID_TRANS_COLOR),
      m_bPerPixelAlpha(FALSE),
      m_nConstantAlpha(WCEUI_INVALID_CONSTANT_ALPHA)
{
    if (!m_pJxBmp)
        JxWriteLogW(JX_LOG_ERROR, u"%s(),new fail,sizeof(CJxBmp)=%u", kClass, static_cast<unsigned>(sizeof(CJxBmp)));
}

CWceUiGenericBitmap::~CWceUiGenericBitmap()
{
    delete m_pJxBmp;
    m_pJxBmp = NULL;
}

void CWceUiGenericBitmap::ResetAttributes()
{
    m_crTrans = WCEUI_INVALID_TRANS_COLOR;
    m_bPerPixelAlpha = FALSE;
    m_nConstantAlpha = WCEUI_INVALID_CONSTANT_ALPHA;
}

void CWceUiGenericBitmap::CopyAttributes(const CWceUiGenericBitmap& src)
{
    m_crTrans = src.m_crTrans;
    m_bPerPixelAlpha = src.m_bPerPixelAlpha;
    m_nConstantAlpha = src.m_nConstantAlpha;
}

BOOL CWceUiGenericBitmap::IsLoaded() const { return m_pJxBmp && m_pJxBmp->IsLoaded(); }

BOOL CWceUiGenericBitmap::CopyBeforeWrite() { return m_pJxBmp->CopyBeforeWrite(); }

void CWceUiGenericBitmap::GetPixelArray(JxPixelArray& array) const
{
    const JxBmpData* pData = m_pJxBmp->GetData();
    array.pBits = static_cast<BYTE*>(pData->pBmpBits);
    array.pAlpha = pData->pAlphaBits;
    array.nWidth = pData->bm.bmWidth;
    array.nHeight = pData->bm.bmHeight;
    array.nRowBytes = pData->bm.bmWidthBytes;
    array.nAlphaRowBytes = (pData->bm.bmWidth + 1) & ~1;
}

BOOL CWceUiGenericBitmap::impCreateDIB(LPCWSTR pMethod, int nBitsPixel, int nWidth, int nHeight, const void* pBits,
                                       const BYTE* pAlphaBits, BOOL bPerPixelAlpha)
{
    if (!WCEUI_CHECK(COperationName(GetClassName(), pMethod).Get(), nWidth > 0)) return FALSE;
    if (!WCEUI_CHECK(COperationName(GetClassName(), pMethod).Get(), nHeight > 0)) return FALSE;
    ResetAttributes();
    m_pJxBmp->Release();

    void* pNewBits = NULL;
    HBITMAP hBitmap = 16 == nBitsPixel ? CreateEmptyDIB565(nWidth, nHeight, &pNewBits)
                                       : CreateEmptyDIB32(nWidth, nHeight, &pNewBits);
    if (!hBitmap) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::%s, call CreateDibSection fail, GetLastError = %d", GetClassName(), pMethod,
                    GetLastError());
        return FALSE;
    }
    BITMAP bm;
    if (!GetObject(hBitmap, sizeof(bm), &bm)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::%s, call GetObject fail ,GetLastError = %d", GetClassName(), pMethod,
                    GetLastError());
        DeleteObject(hBitmap);
        return FALSE;
    }
    if (pBits) memcpy(pNewBits, pBits, JxGetBitmapDataLen(nWidth, nHeight, nBitsPixel));
    BYTE* pAlpha = NULL;
    if (pAlphaBits) {
        DWORD dwAlphaSize = JxGet565AlphaLen(nWidth, nHeight);
        pAlpha = new (std::nothrow) BYTE[dwAlphaSize];
        if (!pAlpha) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::%s, new fail, dwAlphaSize = %u", GetClassName(), pMethod, dwAlphaSize);
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
    m_bPerPixelAlpha = bPerPixelAlpha;
    return TRUE;
}

void CWceUiGenericBitmap::impShareOrCopy(const CWceUiGenericBitmap& bmpSrc, LPCWSTR pCreateMethod)
{
    const JxBmpData* pSrcData = bmpSrc.m_pJxBmp->GetData();
    if (-1 == pSrcData->nRefs && pSrcData->hBitmap) {
        // The owner may be writing through its pointers: this copy gets pixels of its own.
        if (!impCreateDIB(pCreateMethod, pSrcData->bm.bmBitsPixel, pSrcData->bm.bmWidth, pSrcData->bm.bmHeight,
                          pSrcData->pBmpBits, pSrcData->pAlphaBits, bmpSrc.m_bPerPixelAlpha))
            JxWriteLogW(JX_LOG_ERROR, u"%s(bmpSrc), Call %s failed", GetClassName(), pCreateMethod);
    } else {
        m_pJxBmp->Share(*bmpSrc.m_pJxBmp);
    }
    CopyAttributes(bmpSrc);
}

BOOL CWceUiGenericBitmap::impLoadFromHBitmap(int nBitsPixel, HBITMAP hBitmap)
{
    ResetAttributes();
    if (!m_pJxBmp->Allocate()) return FALSE;
    if (!m_pJxBmp->CopyHBitmap(nBitsPixel, hBitmap)) {
        m_pJxBmp->Release();
        return FALSE;
    }
    return TRUE;
}

BYTE* CWceUiGenericBitmap::impReadBmpFile(LPCWSTR pFilePath, int nBitsPixel, BITMAPINFO* pInfo, const BYTE** ppBits)
{
    ResetAttributes();
    m_pJxBmp->Release();
    if (!WCEUI_CHECK(COperationName(GetClassName(), u"LoadFromFile").Get(), NULL != pFilePath)) return NULL;
    DWORD nSize = 0;
    BYTE* pFile = WceUiReadFile(pFilePath, &nSize, WceUiGetPackPassword());
    if (!pFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, WceUiReadFile %s failed", GetClassName(), pFilePath);
        return NULL;
    }
    if (!GetBitmapInfoFromBuffer(pFile, nSize, pInfo, ppBits)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a valid bitmap", GetClassName(), pFilePath);
    } else if (nBitsPixel != pInfo->bmiHeader.biBitCount) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFromFile, %s is not a %d bitmap", GetClassName(), pFilePath, nBitsPixel);
    } else {
        return pFile;
    }
    delete[] pFile;
    return NULL;
}

BOOL CWceUiGenericBitmap::MakeACopy(CWceUiGenericBitmap** ppCopyBmp)
{
    if (!WCEUI_CHECK(COperationName(GetClassName(), u"MakeACopy").Get(), NULL != ppCopyBmp)) return FALSE;
    if (*ppCopyBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::MakeACopy, *ppCopyBmp should be NULL to prevent possible memory leak",
                    GetClassName());
    *ppCopyBmp = NULL;
    DWORD dwObjectSize = 0;
    CWceUiGenericBitmap* pCopy = impNewSameKind(TRUE, &dwObjectSize);
    if (!pCopy) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MakeACopy, new fail, sizeof(%s) = %u", GetClassName(), GetClassName(),
                    static_cast<unsigned>(dwObjectSize));
        return FALSE;
    }
    if (IsLoaded() && !pCopy->IsLoaded()) {
        delete pCopy;
        return FALSE;
    }
    *ppCopyBmp = pCopy;
    return TRUE;
}

BOOL CWceUiGenericBitmap::SetPerPixelAlpha(BOOL bPerPixelAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetPerPixelAlpha, IsLoaded() return FALSE", GetClassName());
        return FALSE;
    }
    m_bPerPixelAlpha = bPerPixelAlpha;
    return TRUE;
}

BOOL CWceUiGenericBitmap::GetBitMapInfo(BITMAP* pBitmap) const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetBitMapInfo, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiGenericBitmap::GetBitMapInfo", NULL != pBitmap)) return FALSE;
    *pBitmap = m_pJxBmp->GetData()->bm;
    return TRUE;
}

int CWceUiGenericBitmap::GetWidth() const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetWidth, IsLoaded() return FALSE", kClass);
        return 0;
    }
    return m_pJxBmp->GetData()->bm.bmWidth;
}

int CWceUiGenericBitmap::GetHeight() const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetHeight, IsLoaded() return FALSE", kClass);
        return 0;
    }
    return m_pJxBmp->GetData()->bm.bmHeight;
}

int CWceUiGenericBitmap::GetBitsPixel() const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetBitsPixel, IsLoaded() return FALSE", kClass);
        return 0;
    }
    return m_pJxBmp->GetData()->bm.bmBitsPixel;
}

int CWceUiGenericBitmap::GetRowLength() const { return ((GetWidth() * GetBitsPixel() + 31) >> 5) * 4; }

DWORD CWceUiGenericBitmap::GetTotalSize() const
{
    return static_cast<DWORD>(GetRowLength()) * static_cast<DWORD>(GetHeight());
}

BOOL CWceUiGenericBitmap::SetTransColor(BOOL bUse, COLORREF crTrans)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetTransColor, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (bUse && !WCEUI_CHECK("CWceUiGenericBitmap::SetTransColor", WCEUI_INVALID_TRANS_COLOR != crTrans)) return FALSE;
    m_crTrans = bUse ? crTrans : WCEUI_INVALID_TRANS_COLOR;
    return TRUE;
}

BOOL CWceUiGenericBitmap::GetTransColor(COLORREF* pcr) const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetTransColor, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiGenericBitmap::GetTransColor", NULL != pcr)) return FALSE;
    *pcr = m_crTrans;
    return WCEUI_INVALID_TRANS_COLOR != m_crTrans;
}

BOOL CWceUiGenericBitmap::SetConstantAlpha(BOOL bUse, DWORD nAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetConstantAlpha, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (bUse && !WCEUI_CHECK("CWceUiGenericBitmap::SetConstantAlpha", ((nAlpha > 0) && (nAlpha <= 255)))) return FALSE;
    m_nConstantAlpha = bUse ? nAlpha : WCEUI_INVALID_CONSTANT_ALPHA;
    return TRUE;
}

BOOL CWceUiGenericBitmap::GetConstantAlpha(DWORD* pnAlpha) const
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetConstantAlpha, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiGenericBitmap::GetConstantAlpha", NULL != pnAlpha)) return FALSE;
    *pnAlpha = m_nConstantAlpha;
    return WCEUI_INVALID_CONSTANT_ALPHA != m_nConstantAlpha;
}

BOOL CWceUiGenericBitmap::Lock()
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Lock, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    return m_pJxBmp->Lock();
}

BOOL CWceUiGenericBitmap::Unlock()
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Unlock, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    return m_pJxBmp->Unlock();
}

HBITMAP CWceUiGenericBitmap::GetHBitmap(void** ppBits)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::GetHBitmap, IsLoaded() return FALSE", kClass);
        return NULL;
    }
    if (!m_pJxBmp->Lock()) return NULL;
    if (ppBits) *ppBits = m_pJxBmp->GetData()->pBmpBits;
    return m_pJxBmp->GetData()->hBitmap;
}

BOOL CWceUiGenericBitmap::FillColor(COLORREF crColor, const RECT* pRect)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::FillColor, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    HBRUSH hBrush = CreateSolidBrush(crColor);
    if (!hBrush) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::FillColor, call ::CreateSolidBrush failed, GetLastError is:%d", kClass,
                    GetLastError());
        return FALSE;
    }
    BOOL bOk = FALSE;
    RECT rc;
    if (!CopyBeforeWrite()) {
        // logged by the check
    } else if (pRect) {
        rc = *pRect;
        bOk = TRUE;
    } else if (!SetRect(&rc, 0, 0, GetWidth(), GetHeight())) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::FillColor, call ::SetRect failed, GetLastError is %d", kClass, GetLastError());
    } else {
        bOk = TRUE;
    }
    if (bOk) {
        CSelectedDc dc(NULL, m_pJxBmp->GetData()->hBitmap);
        bOk = dc.IsReady() && ::FillRect(dc.Get(), &rc, hBrush);
        if (!bOk)
            JxWriteLogW(JX_LOG_ERROR, u"%s::FillColor, call ::FillRect failed, GetLastError is %d", kClass,
                        GetLastError());
    }
    DeleteObject(hBrush);
    return bOk;
}

BOOL CWceUiGenericBitmap::impBlitInto(HBITMAP hSrc, int nKind, int x, int y, int w, int h, int sx, int sy, int sw,
                                      int sh, DWORD dwRopOrKey)
{
    if (!CopyBeforeWrite()) return FALSE;
    CSelectedDc dst(NULL, m_pJxBmp->GetData()->hBitmap);
    CSelectedDc src(NULL, hSrc);
    if (!dst.IsReady() || !src.IsReady()) return FALSE;
    return CallBlit(dst.Get(), src.Get(), nKind, x, y, w, h, sx, sy, sw, sh, dwRopOrKey);
}

BOOL CWceUiGenericBitmap::impBlitToDc(HDC dcDst, int nKind, int x, int y, int w, int h, int sx, int sy, int sw,
                                      int sh, DWORD dwRopOrKey)
{
    CSelectedDc src(dcDst, m_pJxBmp->GetData()->hBitmap);
    if (!src.IsReady()) return FALSE;
    return CallBlit(dcDst, src.Get(), nKind, x, y, w, h, sx, sy, sw, sh, dwRopOrKey);
}

enum { BLIT_FROM_BITMAP, BLIT_FROM_HANDLE, BLIT_TO_DC };

// Each operation's messages, as it has always written them; %s is the class name.
struct CWceUiBlitTexts {
    int nSource;           // BLIT_FROM_BITMAP, BLIT_FROM_HANDLE or BLIT_TO_DC
    const char* pCheck;    // the check's operation name (BLIT_TO_DC)
    LPCWSTR pNotLoaded;    // this bitmap is not loaded
    LPCWSTR pNoSource;     // null source
    LPCWSTR pBadSource;    // source not loaded, or not a bitmap
    LPCWSTR pFailed;       // the platform blit failed (%d: its last error)
};

BOOL CWceUiGenericBitmap::impCheckedBlit(const CWceUiBlitTexts& texts, int nKind, CWceUiGenericBitmap* pSrcBmp,
                                         HBITMAP hSrcBmp, HDC dcDst, int x, int y, int w, int h, int sx, int sy,
                                         int sw, int sh, DWORD dwRopOrKey)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, texts.pNotLoaded, kClass);
        return FALSE;
    }
    BOOL bOk = FALSE;
    if (BLIT_TO_DC == texts.nSource) {
        if (!WCEUI_CHECK(texts.pCheck, NULL != dcDst)) return FALSE;
        bOk = impBlitToDc(dcDst, nKind, x, y, w, h, sx, sy, sw, sh, dwRopOrKey);
    } else {
        BOOL bFromBitmap = BLIT_FROM_BITMAP == texts.nSource;
        if (bFromBitmap ? NULL == pSrcBmp : NULL == hSrcBmp) {
            JxWriteLogW(JX_LOG_ERROR, texts.pNoSource, kClass);
            return FALSE;
        }
        BITMAP bm;
        if (bFromBitmap ? !pSrcBmp->IsLoaded() : !GetObject(hSrcBmp, sizeof(bm), &bm)) {
            JxWriteLogW(JX_LOG_ERROR, texts.pBadSource, kClass);
            return FALSE;
        }
        HBITMAP hSrc = bFromBitmap ? pSrcBmp->m_pJxBmp->GetData()->hBitmap : hSrcBmp;
        bOk = impBlitInto(hSrc, nKind, x, y, w, h, sx, sy, sw, sh, dwRopOrKey);
    }
    if (!bOk) JxWriteLogW(JX_LOG_WARNING, texts.pFailed, kClass, GetLastError());
    return bOk;
}

namespace {

const CWceUiBlitTexts kBitBltBitmap = {BLIT_FROM_BITMAP, NULL, u"%s::BitBlt(pSrcBmp),IsLoaded() return FALSE",
                                  u"%s::BitBlt(pSrcBmp), pSrcBmp is NULL",
                                  u"%s::BitBlt(pSrcBmp), pSrcBmp->IsLoaded() return FALSE",
                                  u"%s::BitBlt(pSrcBmp),call ::BitBlt failed, GetLastError is %d"};
const CWceUiBlitTexts kStretchBltBitmap = {BLIT_FROM_BITMAP, NULL, u"%s::StretchBlt(pSrcBmp), IsLoaded() return FALSE",
                                      u"%s::StretchBlt(pSrcBmp), pSrcBmp is NULL",
                                      u"%s::StretchBlt(pSrcBmp), pSrcBmp->IsLoaded() return FALSE",
                                      u"%s::StretchBlt(pSrcBmp),call ::StretchBlt failed, GetLastError is %d"};
const CWceUiBlitTexts kTransBltBitmap = {BLIT_FROM_BITMAP, NULL, u"%s::TransBlt(pSrcBmp), IsLoaded() return FALSE",
                                    u"%s::TransBlt(pSrcBmp), pSrcBmp is NULL",
                                    u"%s::TransBlt(pSrcBmp), pSrcBmp->IsLoaded() return FALSE",
                                    u"%s::TransBlt(pSrcBmp),call ::TransparentBlt failed, GetLastError: %d"};
const CWceUiBlitTexts kBitBltHandle = {BLIT_FROM_HANDLE, NULL, u"%s::BitBlt(hSrcBmp),IsLoaded() return FALSE",
                                  u"%s::BitBlt(hSrcBmp),hSrcBmp is NULL",
                                  u"%s::BitBlt(hSrcBmp),::GetObject(hSrcBmp) return 0",
                                  u"%s::BitBlt(hSrcBmp),call ::BitBlt failed,GetLastError is %d"};
const CWceUiBlitTexts kStretchBltHandle = {BLIT_FROM_HANDLE, NULL, u"%s::StretchBlt(hSrcBmp), IsLoaded() return FALSE",
                                      u"%s::StretchBlt(hSrcBmp), hSrcBmp is NULL",
                                      u"%s::StretchBlt(hSrcBmp), ::GetObject(hSrcBmp) return 0",
                                      u"%s::StretchBlt(hSrcBmp),call ::StretchBlt failed, GetLastError is %d"};
const CWceUiBlitTexts kTransBltHandle = {BLIT_FROM_HANDLE, NULL, u"%s::TransBlt(hSrcBmp), IsLoaded() return FALSE",
                                    u"%s::TransBlt(hSrcBmp), hSrcBmp is NULL",
                                    u"%s::TransBlt(hSrcBmp), ::GetObject(hSrcBmp) return 0",
                                    u"%s::TransBlt(hSrcBmp),call ::TransparentBlt failed, GetLastError: %d"};
const CWceUiBlitTexts kBltToDc = {BLIT_TO_DC, "CWceUiGenericBitmap::BltToDc", u"%s::BltToDc, IsLoaded() return FALSE", NULL,
                             NULL, u"%s::BltToDc,call ::BitBlt failed, GetLastError is %d"};
const CWceUiBlitTexts kStretchToDc = {BLIT_TO_DC, "CWceUiGenericBitmap::StretchToDc",
                                 u"%s::StretchToDc, IsLoaded() return FALSE", NULL, NULL,
                                 u"%s::StretchToDc,call ::StretchBlt failed, GetLastError is %d"};
const CWceUiBlitTexts kTransToDc = {BLIT_TO_DC, "CWceUiGenericBitmap::TransToDc", u"%s::TransToDc, IsLoaded() return FALSE",
                               NULL, NULL, u"%s::TransToDc,call ::TransparentBlt failed, GetLastError is %d"};

}  // namespace

BOOL CWceUiGenericBitmap::BitBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, DWORD dwRop)
{
    return impCheckedBlit(kBitBltBitmap, BLIT_COPY, pSrcBmp, NULL, NULL, x, y, w, h, sx, sy, w, h, dwRop);
}

BOOL CWceUiGenericBitmap::StretchBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, int sw,
                                     int sh, DWORD dwRop)
{
    return impCheckedBlit(kStretchBltBitmap, BLIT_STRETCH, pSrcBmp, NULL, NULL, x, y, w, h, sx, sy, sw, sh, dwRop);
}

BOOL CWceUiGenericBitmap::TransBlt(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy, int sw,
                                   int sh, COLORREF crTrans)
{
    return impCheckedBlit(kTransBltBitmap, BLIT_TRANS, pSrcBmp, NULL, NULL, x, y, w, h, sx, sy, sw, sh, crTrans);
}

BOOL CWceUiGenericBitmap::BitBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, DWORD dwRop)
{
    return impCheckedBlit(kBitBltHandle, BLIT_COPY, NULL, hSrcBmp, NULL, x, y, w, h, sx, sy, w, h, dwRop);
}

BOOL CWceUiGenericBitmap::StretchBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, int sw, int sh,
                                     DWORD dwRop)
{
    return impCheckedBlit(kStretchBltHandle, BLIT_STRETCH, NULL, hSrcBmp, NULL, x, y, w, h, sx, sy, sw, sh, dwRop);
}

BOOL CWceUiGenericBitmap::TransBlt(int x, int y, int w, int h, HBITMAP hSrcBmp, int sx, int sy, int sw, int sh,
                                   COLORREF crTrans)
{
    return impCheckedBlit(kTransBltHandle, BLIT_TRANS, NULL, hSrcBmp, NULL, x, y, w, h, sx, sy, sw, sh, crTrans);
}

BOOL CWceUiGenericBitmap::BltToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, DWORD dwRop)
{
    return impCheckedBlit(kBltToDc, BLIT_COPY, NULL, NULL, dcDst, x, y, w, h, sx, sy, w, h, dwRop);
}

BOOL CWceUiGenericBitmap::StretchToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                                      DWORD dwRop)
{
    return impCheckedBlit(kStretchToDc, BLIT_STRETCH, NULL, NULL, dcDst, x, y, w, h, sx, sy, sw, sh, dwRop);
}

BOOL CWceUiGenericBitmap::TransToDc(HDC dcDst, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                                    COLORREF crTrans)
{
    return impCheckedBlit(kTransToDc, BLIT_TRANS, NULL, NULL, dcDst, x, y, w, h, sx, sy, sw, sh, crTrans);
}

BOOL CWceUiGenericBitmap::SetHSLOffsetHue(int nOffsetHue)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetHSLOffsetHue,IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiGenericBitmap::SetHSLOffsetHue", ((nOffsetHue >= -180) && (nOffsetHue <= 180))))
        return FALSE;
    if (0 == nOffsetHue) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray array;
    GetPixelArray(array);
    if (16 == GetBitsPixel()) JxBmp565OffsetHue(array, nOffsetHue);
    else JxBmp32OffsetHue(array, nOffsetHue);
    return TRUE;
}

BOOL CWceUiGenericBitmap::SetGray()
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetGray, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray array;
    GetPixelArray(array);
    if (16 == GetBitsPixel()) JxBmp565SetGray(array);
    else JxBmp32SetGray(array);
    return TRUE;
}

BOOL CWceUiGenericBitmap::AlphaBlend(int x, int y, int w, int h, CWceUiGenericBitmap* pSrcBmp, int sx, int sy,
                                     BLENDFUNCTION blendFunction)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::AlphaBlend, IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (!pSrcBmp) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::AlphaBlend, pSrcBmp is NULL", kClass);
        return FALSE;
    }
    if (!pSrcBmp->IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::AlphaBlend, pSrcBmp->IsLoaded() return FALSE", kClass);
        return FALSE;
    }
    if (AC_SRC_ALPHA == blendFunction.AlphaFormat && !pSrcBmp->HasPerPixelAlpha()) {
        JxWriteLogW(JX_LOG_ERROR,
                    u"%s::AlphaBlend, Invalid argument:use AC_SRC_ALPHA but pSrcBmp->HasPerPixelAlpha() return FALSE",
                    kClass);
        return FALSE;
    }
    BOOL bPerPixel = AC_SRC_ALPHA == blendFunction.AlphaFormat;
    if (!impCheckBlendSource(pSrcBmp, bPerPixel)) return FALSE;

    RECT rcDst = JxMakeRect(x, y, w, h), rcSrc = JxMakeRect(sx, sy, w, h);
    // Both are loaded: their sizes are read directly (a one-pixel column pays for every call).
    const BITMAP& bmDst = m_pJxBmp->GetData()->bm;
    const BITMAP& bmSrc = pSrcBmp->m_pJxBmp->GetData()->bm;
    RECT rcDstBound = {0, 0, bmDst.bmWidth, bmDst.bmHeight};
    RECT rcSrcBound = {0, 0, bmSrc.bmWidth, bmSrc.bmHeight};
    RECT rcOutDst, rcOutSrc;
    if (!CalcBitBltRects(&rcOutDst, &rcOutSrc, &rcDstBound, &rcSrcBound, &rcDst, &rcSrc)) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;

    JxPixelArray dst, src;
    GetPixelArray(dst);
    pSrcBmp->GetPixelArray(src);
    const JxPixelLoops& loops = impGetPixelLoops();
    if (EqualRect(&rcOutDst, &rcDstBound) && EqualRect(&rcOutSrc, &rcSrcBound) && EqualRect(&rcOutDst, &rcOutSrc))
        loops.pfnAlphaBlendWhole(dst, src, bPerPixel, blendFunction.SourceConstantAlpha);
    else
        loops.pfnAlphaBlendRect(dst, rcOutDst, src, rcOutSrc, bPerPixel, blendFunction.SourceConstantAlpha);
    return TRUE;
}

BOOL CWceUiGenericBitmap::MixColor(int x, int y, int w, int h, COLORREF crColor, int nAlpha)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MixColor, IsLoaded() return FALSE", GetClassName());
        return FALSE;
    }
    if (!WCEUI_CHECK(COperationName(GetClassName(), u"MixColor").Get(), ((nAlpha >= 0) && (nAlpha <= 255))))
        return FALSE;
    RECT rcArea = JxMakeRect(x, y, w, h), rcBound = {0, 0, GetWidth(), GetHeight()}, rc;
    if (!IntersectRect(&rc, &rcArea, &rcBound)) return TRUE;
    if (!CopyBeforeWrite()) return FALSE;
    JxPixelArray dst;
    GetPixelArray(dst);
    const JxPixelLoops& loops = impGetPixelLoops();
    if (EqualRect(&rc, &rcBound)) loops.pfnMixColorWhole(dst, crColor, nAlpha);
    else loops.pfnMixColorRect(dst, rc, crColor, nAlpha);
    return TRUE;
}

BOOL CWceUiGenericBitmap::Rotate(WCEUI_ROTATE_ANGLE eAngle, CWceUiGenericBitmap** ppRotatedBmp)
{
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, IsLoaded() return FALSE", GetClassName());
        return FALSE;
    }
    if (!WCEUI_CHECK(COperationName(GetClassName(), u"Rotate").Get(), NULL != ppRotatedBmp)) return FALSE;
    if (eAngle < WCEUI_ROTATE_90 || eAngle > WCEUI_ROTATE_270) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, eAngle is Invalid", GetClassName());
        return FALSE;
    }
    if (*ppRotatedBmp)
        JxWriteLogW(JX_LOG_WARNING, u"%s::Rotate, *ppRotatedBmp should be NULL to prevent possible memory leak",
                    GetClassName());
    *ppRotatedBmp = NULL;

    DWORD dwObjectSize = 0;
    CWceUiGenericBitmap* pRotatedBmp = impNewSameKind(FALSE, &dwObjectSize);
    if (!pRotatedBmp) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate, new fail,sizeof(%s)=%u", GetClassName(), GetClassName(),
                    static_cast<unsigned>(dwObjectSize));
        return FALSE;
    }
    BOOL bQuarter = WCEUI_ROTATE_180 != eAngle;
    if (!pRotatedBmp->CreateDIB(bQuarter ? GetHeight() : GetWidth(), bQuarter ? GetWidth() : GetHeight())) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Rotate,call pRotatedBmp->CreateDIB fail", GetClassName());
        delete pRotatedBmp;
        return FALSE;
    }
    JxPixelArray src, dst;
    GetPixelArray(src);
    pRotatedBmp->GetPixelArray(dst);
    impGetPixelLoops().pfnRotate(src, dst, eAngle);
    *ppRotatedBmp = pRotatedBmp;
    return TRUE;
}

CWceUiGenericBitmap* WceUiCreateBitmapObject(int bmBitsPixel)
{
    CWceUiGenericBitmap* pBitmap = NULL;
    if (16 == bmBitsPixel) {
        pBitmap = new (std::nothrow) CWceUi565Bitmap;
    } else if (32 == bmBitsPixel) {
        pBitmap = new (std::nothrow) CWceUi32Bitmap;
    } else {
        JxWriteLogW(JX_LOG_ERROR, u"%s,bmBitsPixel is invalid, neither 16 nor 32", u"WceUiCreateBitmapObject");
    }
    return pBitmap;
}
