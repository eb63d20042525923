#include "JXGlobalData.h"

#include <new>

#include "JXCheck.h"
#include "wce/format.h"
#include "wce/process.h"
#include "wce/window.h"
#include "wce/wstring.h"

namespace {

const BYTE kVersion[4] = {1, 3, 0, 0};

}  // namespace

struct CJxGlobalData::CData {
    HINSTANCE hInstance = NULL;
    int m_nBitsPixel = 0;  // 0: screen settings not initialised yet
    CQuickString m_strWndDir;
    CQuickString m_strResDir;
    WCHAR* m_pPackPassword = NULL;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
};

// Only the assertion: the settings are made while the globals are, before the log can be
// reached. Without the record every getter answers empty and every setter fails.
CJxGlobalData::CJxGlobalData() : m_pData(new (std::nothrow) CData()) { JX_ASSERT(NULL != m_pData); }

CJxGlobalData::~CJxGlobalData()
{
    if (m_pData) delete[] m_pData->m_pPackPassword;
    delete m_pData;
    m_pData = NULL;
}

HINSTANCE CJxGlobalData::GetInstanceHandle() const { return GetData() ? GetData()->hInstance : NULL; }

void CJxGlobalData::SetInstanceHandle(HINSTANCE hInstance)
{
    if (GetData()) GetData()->hInstance = hInstance;
}

void CJxGlobalData::InitScreenFromDevice()
{
    if (!GetData() || 0 != GetData()->m_nBitsPixel) return;
    // The screen's depth. A memory DC answers the screen's values; the screen's own DC
    // would present the screen when released, a black frame before the first window.
    HDC hScreenDC = CreateCompatibleDC(NULL);
    GetData()->m_nBitsPixel = GetDeviceCaps(hScreenDC, BITSPIXEL);
    DeleteDC(hScreenDC);
    GetData()->m_nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    GetData()->m_nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
}

int CJxGlobalData::GetBitsPixel()
{
    InitScreenFromDevice();
    return GetData() ? GetData()->m_nBitsPixel : 0;
}

int CJxGlobalData::GetScreenWidth()
{
    InitScreenFromDevice();
    return GetData() ? GetData()->m_nScreenWidth : 0;
}

int CJxGlobalData::GetScreenHeight()
{
    InitScreenFromDevice();
    return GetData() ? GetData()->m_nScreenHeight : 0;
}

BOOL CJxGlobalData::IsScreenInfoSet() const { return GetData() && 0 != GetData()->m_nBitsPixel; }

BOOL CJxGlobalData::SetScreenInfo(int nScreenWidth, int nScreenHeight, int nBitsPixel)
{
    if (!WCEUI_CHECK("CJxGlobalData::SetScreenInfo", nScreenWidth > 0 && nScreenHeight > 0 && nBitsPixel > 0))
        return FALSE;
    if (!GetData()) return FALSE;
    GetData()->m_nBitsPixel = nBitsPixel;
    GetData()->m_nScreenWidth = nScreenWidth;
    GetData()->m_nScreenHeight = nScreenHeight;
    return TRUE;
}

BOOL CJxGlobalData::SetDir(CQuickString& strDir, LPCWSTR pDir)
{
    CQuickString strResolved;
    if (!JxGetRealPath(strResolved, pDir)) return FALSE;
    if (!JxIsPathSeparator(strResolved.GetLast()) && !strResolved.AppendChar(u'\\')) return FALSE;
    strDir = static_cast<CQuickString&&>(strResolved);
    return TRUE;
}

BOOL CJxGlobalData::SetWndDir(LPCWSTR pWndDir)
{
    if (!WCEUI_CHECK("CJxGlobalData::SetWndDir", NULL != pWndDir) || !GetData()) return FALSE;
    return SetDir(GetData()->m_strWndDir, pWndDir);
}

LPCWSTR CJxGlobalData::GetWndDir() const { return GetData() ? static_cast<LPCWSTR>(GetData()->m_strWndDir) : u""; }

BOOL CJxGlobalData::SetResDir(LPCWSTR pResDir)
{
    if (!WCEUI_CHECK("CJxGlobalData::SetResDir", NULL != pResDir) || !GetData()) return FALSE;
    return SetDir(GetData()->m_strResDir, pResDir);
}

LPCWSTR CJxGlobalData::GetResDir() const { return GetData() ? static_cast<LPCWSTR>(GetData()->m_strResDir) : u""; }

BOOL CJxGlobalData::SetPackPassword(LPCWSTR pPassword)
{
    if (!GetData()) return FALSE;
    WCHAR* pCopy = NULL;
    if (pPassword) {
        size_t nLength = WStrLen(pPassword);
        pCopy = new (std::nothrow) WCHAR[nLength + 1];
        if (!WCEUI_CHECK("CJxGlobalData::SetPackPassword", NULL != pCopy)) return FALSE;
        WStrCopy(pCopy, nLength + 1, pPassword);
    }
    delete[] GetData()->m_pPackPassword;
    GetData()->m_pPackPassword = pCopy;
    return TRUE;
}

LPCWSTR CJxGlobalData::GetPackPassword() const { return GetData() ? GetData()->m_pPackPassword : NULL; }

int CJxGlobalData::GetVersionString(LPWSTR pBuffer, int nBufferLength) const
{
    if (!WCEUI_CHECK("CJxGlobalData::GetVersionString", NULL != pBuffer && nBufferLength > 0)) return 0;
    int nLength = WFormat(pBuffer, static_cast<size_t>(nBufferLength), u"%u.%u.%u.%u", kVersion[0], kVersion[1],
                          kVersion[2], kVersion[3]);
    if (nLength < 0 || nLength >= nBufferLength) {
        pBuffer[0] = 0;
        return 0;
    }
    return nLength;
}
