#include "WceUiCommon.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXWriteLogFile.h"

namespace {

const LONG kLargeRectExtent = 65535;

CJxGlobalData* GlobalData() { return CJxGVar::GetInstance()->GetCJxGlobalData(); }

}  // namespace

HINSTANCE WceUiGetInstanceHandle()
{
    HINSTANCE hInstance = GlobalData()->GetInstanceHandle();
    WCEUI_CHECK("WceUiGetInstanceHandle", NULL != hInstance);
    return hInstance;
}

int WceUiGetBitsPixel() { return GlobalData()->GetBitsPixel(); }

int WceUiGetScreenWidth() { return GlobalData()->GetScreenWidth(); }

int WceUiGetScreenHeight() { return GlobalData()->GetScreenHeight(); }

LPCWSTR WceUiGetWndDir() { return GlobalData()->GetWndDir(); }

LPCWSTR WceUiGetResDir() { return GlobalData()->GetResDir(); }

BOOL WceUiSetPackPassword(LPCWSTR pPassword) { return GlobalData()->SetPackPassword(pPassword); }

LPCWSTR WceUiGetPackPassword() { return GlobalData()->GetPackPassword(); }

BOOL WceUiOpenLogFile(LPCWSTR pLogDir, DWORD nMaxLogFileSize)
{
    if (!WCEUI_CHECK("WceUiOpenLogFile", NULL != pLogDir && 0 != *pLogDir)) return FALSE;
    if (!WCEUI_CHECK("WceUiOpenLogFile", 0 != nMaxLogFileSize)) return FALSE;
    return CJxGVar::GetInstance()->GetCJxWriteLogFile()->Open(pLogDir, nMaxLogFileSize);
}

void WceUiCloseLogFile() { CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close(); }

BOOL WceUiIsRectLarge(const RECT& rc)
{
    return -kLargeRectExtent == rc.left && -kLargeRectExtent == rc.top && kLargeRectExtent == rc.right &&
           kLargeRectExtent == rc.bottom;
}

void WceUiGetLargeRect(RECT& rc)
{
    rc.left = -kLargeRectExtent;
    rc.top = -kLargeRectExtent;
    rc.right = kLargeRectExtent;
    rc.bottom = kLargeRectExtent;
}

int WceUiGetVerString(LPWSTR pBuffer, int nBufferLength)
{
    return GlobalData()->GetVersionString(pBuffer, nBufferLength);
}
