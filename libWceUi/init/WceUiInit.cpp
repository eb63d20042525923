#include "WceUiInit.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGetBitmap.h"
#include "JXGetColor.h"
#include "JXGetFont.h"
#include "JXGlobal.h"
#include "JXGlobalData.h"
#include "JXLanguage.h"
#include "JXWriteLogFile.h"
#include "WceUiXml.h"

BOOL WceUiInit(HINSTANCE hInstance, LPCWSTR pWndDir, LPCWSTR pResDir, LPCWSTR pLangFilePath, BOOL bEscape)
{
    if (!WCEUI_CHECK("WceUiInit", NULL != hInstance)) return FALSE;
    if (!WCEUI_CHECK("WceUiInit", NULL != pWndDir)) return FALSE;
    if (!WCEUI_CHECK("WceUiInit", NULL != pResDir)) return FALSE;
    if (!WCEUI_CHECK("WceUiInit", NULL != pLangFilePath)) return FALSE;
    CJxGVar* pGVar = CJxGVar::GetInstance();
    // The host has chosen the device root by now: the log exists from the start, not from
    // the first message.
    if (CJxWriteLogFile* pLog = pGVar->GetCJxWriteLogFile()) pLog->OpenDefault();
    CJxGlobalData* pData = pGVar->GetCJxGlobalData();
    pData->SetInstanceHandle(hInstance);
    BOOL bDirs = pData->SetWndDir(pWndDir);
    if (!pData->SetResDir(pResDir)) bDirs = FALSE;
    // The language document logs its own failures; they do not stop the framework.
    pGVar->GetCJxLanguage()->SetLanguage(pLangFilePath, bEscape);
    return bDirs;
}

BOOL WceUiChangeResDir(LPCWSTR pResDir)
{
    if (!WCEUI_CHECK("WceUiChangeResDir", NULL != pResDir)) return FALSE;
    CJxGVar* pGVar = CJxGVar::GetInstance();
    if (!pGVar->GetCJxGlobalData()->SetResDir(pResDir)) return FALSE;
    BOOL bResult = TRUE;
    if (CJxBitmapResLoader* pBitmaps = pGVar->GetCJxBitmapResLoader())
        if (!pBitmaps->ChangeSkin()) bResult = FALSE;
    if (CJxFontResLoader* pFonts = pGVar->GetCJxFontResLoader())
        if (!pFonts->ChangeSkin()) bResult = FALSE;
    if (CJxColorResLoader* pColors = pGVar->GetCJxColorResLoader())
        if (!pColors->ChangeSkin()) bResult = FALSE;
    return bResult;
}

BOOL WceUIChangeLanguage(LPCWSTR pLangFilePath, BOOL bEscape)
{
    if (!WCEUI_CHECK("WceUIChangeLanguage", NULL != pLangFilePath)) return FALSE;
    if (CJxGVar::GetInstance()->GetCJxLanguage()->SetLanguage(pLangFilePath, bEscape)) return TRUE;
    JxWriteLogW(JX_LOG_ERROR, u"SetLanguage %s failed", pLangFilePath);
    return FALSE;
}

int WceUiReadScreenConf(LPCWSTR pPath, int* pnWidth, int* pnHeight, int* pnBitsPixel)
{
    if (!WCEUI_CHECK("WceUiReadScreenConf", NULL != pPath && NULL != pnWidth && NULL != pnHeight &&
                                                NULL != pnBitsPixel))
        return WCEUI_SCREEN_CONF_UNREADABLE;
    *pnWidth = WCEUI_DEFAULT_SCREEN_WIDTH;
    *pnHeight = WCEUI_DEFAULT_SCREEN_HEIGHT;
    *pnBitsPixel = WCEUI_DEFAULT_BITS_PIXEL;
    CWceUiXmlDoc doc;
    if (!doc.LoadXmlFile(pPath, FALSE)) return WCEUI_SCREEN_CONF_UNREADABLE;
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    LPCWSTR pWidth = pRoot ? pRoot->GetAttribute(u"width") : NULL;
    LPCWSTR pHeight = pRoot ? pRoot->GetAttribute(u"height") : NULL;
    if (!pWidth || !pHeight) {
        JxWriteLogW(JX_LOG_ERROR, u"the screen width item or screen height item can't be found, use "
                                  u"m_nScreenWidth = 480, m_nScreenHeight = 272");
        return WCEUI_SCREEN_CONF_DEFAULTS;
    }
    int nWidth = JxParseDecimal(pWidth), nHeight = JxParseDecimal(pHeight);
    // A size of 0 would leave the settings unset, and the device would replace them later.
    if (nWidth <= 0 || nHeight <= 0) {
        JxWriteLogW(JX_LOG_ERROR, u"the screen width %s or screen height %s is not valid, use m_nScreenWidth = 480, "
                                  u"m_nScreenHeight = 272", pWidth, pHeight);
        return WCEUI_SCREEN_CONF_DEFAULTS;
    }
    *pnWidth = nWidth;
    *pnHeight = nHeight;
    LPCWSTR pBitsPixel = pRoot->GetAttribute(u"bitspixel");
    if (!pBitsPixel) {
        JxWriteLogW(JX_LOG_ERROR, u"the bitspixel item can't be found, use m_nBitsPixel = 16");
        return WCEUI_SCREEN_CONF_OK;
    }
    int nBitsPixel = JxParseDecimal(pBitsPixel);
    // Window bitmaps exist only in these two depths.
    if (16 != nBitsPixel && 32 != nBitsPixel) {
        JxWriteLogW(JX_LOG_ERROR, u"the bitspixel item %s is not 16 or 32, use m_nBitsPixel = 16", pBitsPixel);
        return WCEUI_SCREEN_CONF_OK;
    }
    *pnBitsPixel = nBitsPixel;
    return WCEUI_SCREEN_CONF_OK;
}

BOOL CJxGlobalData::InitWin()
{
    if (IsScreenInfoSet()) return TRUE;
    int nWidth, nHeight, nBitsPixel;
    int nResult = WCEUI_SCREEN_CONF_UNREADABLE;
    CQuickString strPath;
    if (JxGetExeDir(strPath) && strPath.Append(u"wceui.xml"))
        nResult = WceUiReadScreenConf(strPath, &nWidth, &nHeight, &nBitsPixel);
    // "c:" is the device root.
    if (WCEUI_SCREEN_CONF_UNREADABLE == nResult)
        nResult = WceUiReadScreenConf(u"c:\\wceui.xml", &nWidth, &nHeight, &nBitsPixel);
    if (WCEUI_SCREEN_CONF_UNREADABLE == nResult) {
        JxWriteLogW(JX_LOG_ERROR, u"Load xml file c:\\wceui.xml failed. use m_nBitsPixel = 16, m_nScreenWidth = 480, "
                                  u"m_nScreenHeight = 272");
        nWidth = WCEUI_DEFAULT_SCREEN_WIDTH;
        nHeight = WCEUI_DEFAULT_SCREEN_HEIGHT;
        nBitsPixel = WCEUI_DEFAULT_BITS_PIXEL;
    }
    SetScreenInfo(nWidth, nHeight, nBitsPixel);
    return WCEUI_SCREEN_CONF_OK == nResult;
}
