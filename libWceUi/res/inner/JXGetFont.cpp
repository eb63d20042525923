#include "JXGetFont.h"

#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGlobal.h"
#include "JXWriteLogFile.h"
#include "JxConfDoc.h"

namespace {

const WCHAR kFontDir[] = u"font\\";

void SetLong(const CJxConfDoc& doc, LPCWSTR pKey, LONG& rField)
{
    if (LPCWSTR pValue = doc.GetValue(pKey)) rField = JxParseDecimal(pValue);
}

void SetByte(const CJxConfDoc& doc, LPCWSTR pKey, BYTE& rField)
{
    if (LPCWSTR pValue = doc.GetValue(pKey)) rField = static_cast<BYTE>(JxParseDecimal(pValue) & 0xFF);
}

}  // namespace

void JxGetSystemLogFont(LOGFONTW* pLogFont)
{
    // The stock font never changes: ask the platform once (every font holder starts here).
    static const LOGFONTW s_SystemLogFont = [] {
        LOGFONTW lf;
        memset(&lf, 0, sizeof(lf));
        LOGFONTW query;
        if (GetObject(GetStockObject(SYSTEM_FONT), sizeof(query), &query) == static_cast<int>(sizeof(query))) {
            lf = query;
            // Zero-fill after the name: descriptions are compared and copied whole.
            size_t n = 0;
            while (n < LF_FACESIZE - 1 && lf.lfFaceName[n]) ++n;
            for (; n < LF_FACESIZE; ++n) lf.lfFaceName[n] = 0;
        } else {
            lf.lfHeight = -16;
            lf.lfWeight = 400;
        }
        return lf;
    }();
    *pLogFont = s_SystemLogFont;
}

BOOL JxIsSameLogFont(const LOGFONTW& a, const LOGFONTW& b)
{
    if (a.lfHeight != b.lfHeight || a.lfWidth != b.lfWidth || a.lfEscapement != b.lfEscapement ||
        a.lfOrientation != b.lfOrientation || a.lfWeight != b.lfWeight || a.lfItalic != b.lfItalic ||
        a.lfUnderline != b.lfUnderline || a.lfStrikeOut != b.lfStrikeOut || a.lfCharSet != b.lfCharSet ||
        a.lfOutPrecision != b.lfOutPrecision || a.lfClipPrecision != b.lfClipPrecision ||
        a.lfQuality != b.lfQuality || a.lfPitchAndFamily != b.lfPitchAndFamily)
        return FALSE;
    // What follows a terminator may be anything.
    for (int i = 0; i < LF_FACESIZE; ++i) {
        if (a.lfFaceName[i] != b.lfFaceName[i]) return FALSE;
        if (0 == a.lfFaceName[i]) return TRUE;
    }
    return TRUE;
}

void JxReadFontConf(const CJxConfDoc& doc, LOGFONTW* pLogFont)
{
    JxGetSystemLogFont(pLogFont);
    SetLong(doc, u"height", pLogFont->lfHeight);
    SetLong(doc, u"width", pLogFont->lfWidth);
    SetLong(doc, u"escapement", pLogFont->lfEscapement);
    SetLong(doc, u"orientation", pLogFont->lfOrientation);
    SetLong(doc, u"weight", pLogFont->lfWeight);
    SetByte(doc, u"italic", pLogFont->lfItalic);
    SetByte(doc, u"underline", pLogFont->lfUnderline);
    SetByte(doc, u"strikeout", pLogFont->lfStrikeOut);
    SetByte(doc, u"charset", pLogFont->lfCharSet);
    SetByte(doc, u"outprecision", pLogFont->lfOutPrecision);
    SetByte(doc, u"clipprecision", pLogFont->lfClipPrecision);
    SetByte(doc, u"quality", pLogFont->lfQuality);
    SetByte(doc, u"pitchandfamily", pLogFont->lfPitchAndFamily);
    if (LPCWSTR pFace = doc.GetValue(u"facename")) {
        int n = 0;
        for (; n < LF_FACESIZE - 1 && pFace[n]; ++n) pLogFont->lfFaceName[n] = pFace[n];
        for (; n < LF_FACESIZE; ++n) pLogFont->lfFaceName[n] = 0;
    }
}

BOOL JxLoadFontConfFile(LPCWSTR pFontConfPath, LOGFONTW* pLogFont)
{
    if (!WCEUI_CHECK("JxLoadFontConfFile", NULL != pFontConfPath && NULL != pLogFont)) return FALSE;
    CJxConfDoc doc;
    if (!doc.LoadFile(pFontConfPath, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"can not load file %s", pFontConfPath);
        return FALSE;
    }
    JxReadFontConf(doc, pLogFont);
    return TRUE;
}

CWceUiFont::CWceUiFont() : m_hFont(NULL) { JxGetSystemLogFont(&m_LogFont); }

CWceUiFont::CWceUiFont(const LOGFONTW& lf) : m_hFont(NULL)
{
    JxGetSystemLogFont(&m_LogFont);
    SetLogFont(lf);
}

CWceUiFont::~CWceUiFont()
{
    if (m_hFont) DeleteObject(m_hFont);
}

void CWceUiFont::SetLogFont(const LOGFONTW& lf)
{
    if (JxIsSameLogFont(lf, m_LogFont)) return;
    if (m_hFont) DeleteObject(m_hFont);
    m_hFont = NULL;
    m_LogFont = lf;
    // Never past the array, whatever the caller's name holds.
    m_LogFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

HFONT CWceUiFont::GetFont()
{
    if (!m_hFont) m_hFont = CreateFontIndirectW(&m_LogFont);
    return m_hFont;
}

CJxFontResLoader::CJxFontResLoader() : CJxResCache(u"Font") {}

CJxFontResLoader::~CJxFontResLoader()
{
    impDestroyAll();
    CJxGVar::GetInstance()->ForgetService(this);
}

CWceUiFont* CJxFontResLoader::GetFont(LPCWSTR pFontID)
{
    if (!WCEUI_CHECK("CJxFontResLoader::GetFont", NULL != pFontID && 0 != *pFontID)) return NULL;
    CQuickString strID;
    if (!JxMakeFileID(strID, pFontID)) return NULL;
    return static_cast<CWceUiFont*>(impGet(strID));
}

BOOL CJxFontResLoader::ReleaseFont(CWceUiFont* pFont) { return impRelease(pFont); }

void* CJxFontResLoader::impLoad(LPCWSTR pID)
{
    CQuickString strPath;
    if (!impGetResPath(strPath, kFontDir, pID)) return NULL;
    LOGFONTW lf;
    if (!JxLoadFontConfFile(strPath, &lf)) {
        JxWriteLogW(JX_LOG_ERROR, u"load file %s failed", strPath.GetString());
        return NULL;
    }
    return new (std::nothrow) CWceUiFont(lf);
}

void CJxFontResLoader::impDelete(void* pObject) { delete static_cast<CWceUiFont*>(pObject); }

BOOL CJxFontResLoader::ChangeSkin()
{
    if (!impCheckResDir()) return FALSE;
    BOOL bResult = TRUE;
    for (JXPOSITION pos = impGetStart(); pos;) {
        CEntry* pEntry = impGetNext(pos);
        CQuickString strPath;
        LOGFONTW lf;
        if (impGetResPath(strPath, kFontDir, pEntry->strID) && JxLoadFontConfFile(strPath, &lf)) {
            static_cast<CWceUiFont*>(pEntry->pObject)->SetLogFont(lf);
        } else {
            JxWriteLogW(JX_LOG_ERROR, u"change skin load %s failed", strPath.GetString());
            bResult = FALSE;
        }
    }
    return bResult;
}

CWceUiFont* WceUiGetFont(LPCWSTR pFontID)
{
    CJxFontResLoader* pCache = CJxGVar::GetInstance()->GetCJxFontResLoader();
    return pCache ? pCache->GetFont(pFontID) : NULL;
}

void WceUiReleaseFont(CWceUiFont* pFont)
{
    CJxFontResLoader* pCache = CJxGVar::GetInstance()->GetCJxFontResLoader();
    if (pCache) pCache->ReleaseFont(pFont);
}
