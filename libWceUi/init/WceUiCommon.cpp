#include "WceUiCommon.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGetBitmap.h"
#include "JXGlobal.h"
#include "JXGlobalData.h"
#include "JXPackedFile.h"
#include "JXPackedFileMgr.h"
#include "JXWriteLogFile.h"
#include "JxConfDoc.h"
#include "wce/files.h"
#include "wce/wstring.h"

static_assert(int(WCEUI_LOG_INFO) == int(JX_LOG_INFO) && int(WCEUI_LOG_WARNING) == int(JX_LOG_WARNING) &&
                  int(WCEUI_LOG_ERROR) == int(JX_LOG_ERROR),
              "one set of log levels");

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

BOOL WceUiSetScreenInfo(int nWidth, int nHeight, int nBitsPixel)
{
    return GlobalData()->SetScreenInfo(nWidth, nHeight, nBitsPixel);
}

LPCWSTR WceUiGetWndDir() { return GlobalData()->GetWndDir(); }

LPCWSTR WceUiGetResDir() { return GlobalData()->GetResDir(); }

BOOL WceUiSetResDir(LPCWSTR pResDir) { return GlobalData()->SetResDir(pResDir); }

BOOL WceUiSetPackPassword(LPCWSTR pPassword) { return GlobalData()->SetPackPassword(pPassword); }

LPCWSTR WceUiGetPackPassword() { return GlobalData()->GetPackPassword(); }

BOOL WceUiOpenLogFile(LPCWSTR pLogDir, DWORD nMaxLogFileSize)
{
    if (!WCEUI_CHECK("WceUiOpenLogFile", NULL != pLogDir && 0 != *pLogDir)) return FALSE;
    if (!WCEUI_CHECK("WceUiOpenLogFile", 0 != nMaxLogFileSize)) return FALSE;
    return CJxGVar::GetInstance()->GetCJxWriteLogFile()->Open(pLogDir, nMaxLogFileSize);
}

void WceUiCloseLogFile() { CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close(); }

void WceUiWriteLog(int nLevel, LPCWSTR pMessage)
{
    if (!WCEUI_CHECK("WceUiWriteLog", NULL != pMessage)) return;
    JxWriteLogW(nLevel, u"%s", pMessage);
}

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

void WceUiSetLogObserver(PFN_WCEUI_LOG_OBSERVER pfnObserver, void* pContext)
{
    JxSetLogObserver(pfnObserver, pContext);
}

BOOL WceUiFileExists(LPCWSTR pPath)
{
    if (!WCEUI_CHECK("WceUiFileExists", NULL != pPath)) return FALSE;
    DWORD dwAttributes = GetFileAttributesW(pPath);
    if (INVALID_FILE_ATTRIBUTES != dwAttributes) return 0 == (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
    // "x.pack\\inner" names an entry; the archive cache keeps lower-case, "\\"-separated names.
    WCHAR szPath[MAX_PATH];
    if (WStrLen(pPath) >= MAX_PATH) return FALSE;
    WStrCopy(szPath, MAX_PATH, pPath);
    WStrLowerInPlace(szPath);
    for (LPWSTR p = szPath; *p; ++p)
        if (u'/' == *p) *p = u'\\';
    LPWSTR pSplit = const_cast<LPWSTR>(WStrStr(szPath, u".pack\\"));
    if (NULL == pSplit) return FALSE;
    pSplit[5] = 0;
    CJxPackedFile* pPack = CJxGVar::GetInstance()->GetCJxPackedFileMgr()->GetPackedFile(szPath);
    return NULL != pPack && pPack->Load(WceUiGetPackPassword()) && NULL != pPack->FindItem(pSplit + 6);
}

BOOL WceUiCheckConfFile(LPCWSTR pPath, BOOL bEscape)
{
    if (!WCEUI_CHECK("WceUiCheckConfFile", NULL != pPath)) return FALSE;
    CJxConfDoc doc;
    return doc.LoadFile(pPath, bEscape);
}

BOOL WceUiReadConfFile(LPCWSTR pPath, BOOL bEscape, PFN_WCEUI_CONF_ENTRY pfnEntry, void* pContext)
{
    if (!WCEUI_CHECK("WceUiReadConfFile", NULL != pPath && NULL != pfnEntry)) return FALSE;
    CJxConfDoc doc;
    if (!doc.LoadFile(pPath, bEscape)) return FALSE;
    for (JXPOSITION pos = doc.GetStartPosition(); pos;) {
        LPCWSTR pKey, pValue;
        doc.GetNextAssoc(pos, pKey, pValue);
        pfnEntry(pContext, pKey, pValue);
    }
    return TRUE;
}

BOOL WceUiCheckBitmap(LPCWSTR pBitmapID)
{
    if (!WCEUI_CHECK("WceUiCheckBitmap", NULL != pBitmapID)) return FALSE;
    CWceUiGenericBitmap* pBitmap = WceUiGetBitmap(pBitmapID);
    if (NULL == pBitmap) return FALSE;
    WceUiReleaseBitmap(pBitmap);
    return TRUE;
}

BOOL WceUiParseDecimal(LPCWSTR pText, int* pnValue)
{
    if (!WCEUI_CHECK("WceUiParseDecimal", NULL != pText && NULL != pnValue)) return FALSE;
    BOOL bDigits = FALSE;
    *pnValue = JxParseDecimal(pText, &bDigits);
    return bDigits;
}

