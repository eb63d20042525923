#include "WceUiLoadFont.h"

#include <new>

#include "JXCheck.h"
#include "JXGetFont.h"
#include "JXWriteLogFile.h"
#include "QuickString.h"
#include "wce/files.h"

struct CWceUiLoadFont::CData {
    int m_nSource = SOURCE_APP;
    CWceUiFont* m_pFont = NULL;  // the font in use: the cache's, or m_Private
    CWceUiFont m_Private;
    CQuickString m_strID;
};

namespace {

void ResetToSystemFont(CWceUiFont& font)
{
    LOGFONTW lf;
    JxGetSystemLogFont(&lf);
    font.SetLogFont(lf);
}

}  // namespace

CWceUiLoadFont::CWceUiLoadFont() : m_pData(new (std::nothrow) CData)
{
    WCEUI_CHECK("CWceUiLoadFont::CWceUiLoadFont", NULL != m_pData);
}

CWceUiLoadFont::CWceUiLoadFont(LPCWSTR pFontID) : CWceUiLoadFont() { SetFontFromRes(pFontID); }

CWceUiLoadFont::CWceUiLoadFont(HFONT hFont) : CWceUiLoadFont()
{
    impSetFromHFONT(hFont, u"GetObject in CWceUiLoadFont(HFONT hFont) failed, GetLastError is %d");
}

CWceUiLoadFont::CWceUiLoadFont(const LOGFONTW* pLogFont) : CWceUiLoadFont() { SetFontFromLogFont(pLogFont); }

CWceUiLoadFont::CWceUiLoadFont(const CWceUiLoadFont& other) : CWceUiLoadFont() { *this = other; }

CWceUiLoadFont::~CWceUiLoadFont()
{
    Clean();
    delete m_pData;
}

CWceUiLoadFont& CWceUiLoadFont::operator=(const CWceUiLoadFont& other)
{
    if (&other == this || !GetData() || !other.GetData()) return *this;
    Clean();
    if (SOURCE_RES == other.GetData()->m_nSource) {
        GetData()->m_strID = other.GetData()->m_strID;
        GetData()->m_nSource = SOURCE_RES;
    } else {
        GetData()->m_Private.SetLogFont(other.GetData()->m_Private.GetLogFont());
    }
    return *this;
}

void CWceUiLoadFont::SetFontFromRes(LPCWSTR pFontID)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadFont::SetFontFromRes", NULL != pFontID && 0 != *pFontID)) return;
    if (SOURCE_RES == GetData()->m_nSource && 0 == GetData()->m_strID.CompareNoCase(pFontID)) return;
    Clean();
    GetData()->m_strID = pFontID;
    GetData()->m_nSource = SOURCE_RES;
}

void CWceUiLoadFont::SetFontFromHFONT(HFONT hFont)
{
    impSetFromHFONT(hFont, u"GetObject in CWceUiLoadFont::SetFontFromHFONT failed, GetLastError is %d");
}

void CWceUiLoadFont::impSetFromHFONT(HFONT hFont, LPCWSTR pFailFormat)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadFont::SetFontFromHFONT", NULL != hFont)) return;
    LOGFONTW lf;
    BOOL bDescribed = GetObject(hFont, sizeof(lf), &lf) == static_cast<int>(sizeof(lf));
    if (!bDescribed) JxWriteLogW(JX_LOG_ERROR, pFailFormat, static_cast<int>(GetLastError()));
    Clean();
    if (bDescribed) GetData()->m_Private.SetLogFont(lf);
}

void CWceUiLoadFont::SetFontFromLogFont(const LOGFONTW* pLogFont)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadFont::SetFontFromLogFont", NULL != pLogFont)) return;
    Clean();
    GetData()->m_Private.SetLogFont(*pLogFont);
}

CWceUiFont* CWceUiLoadFont::impAcquire()
{
    CData* p = GetData();
    if (!p) return NULL;
    if (SOURCE_APP == p->m_nSource) return &p->m_Private;
    if (!p->m_pFont) {
        p->m_pFont = WceUiGetFont(p->m_strID);
        if (!p->m_pFont) {
            JxWriteLogW(JX_LOG_ERROR, u"load font id %s failed use default font", p->m_strID.GetString());
            ResetToSystemFont(p->m_Private);
            p->m_pFont = &p->m_Private;
        }
    }
    return p->m_pFont;
}

HFONT CWceUiLoadFont::GetFont()
{
    CWceUiFont* pFont = impAcquire();
    return pFont ? pFont->GetFont() : NULL;
}

BOOL CWceUiLoadFont::GetLogFont(LOGFONTW* pLogFont)
{
    if (!WCEUI_CHECK("CWceUiLoadFont::GetLogFont", NULL != pLogFont)) return FALSE;
    CWceUiFont* pFont = impAcquire();
    if (!pFont) return FALSE;
    *pLogFont = pFont->GetLogFont();
    return TRUE;
}

void CWceUiLoadFont::Clean()
{
    CData* p = GetData();
    if (!p) return;
    // Only a font from the cache goes back to it, never the private fallback.
    if (p->m_pFont && p->m_pFont != &p->m_Private) WceUiReleaseFont(p->m_pFont);
    p->m_pFont = NULL;
    ResetToSystemFont(p->m_Private);
    p->m_strID.Empty();
    p->m_nSource = SOURCE_APP;
}

int CWceUiLoadFont::GetSource() const { return GetData() ? GetData()->m_nSource : SOURCE_APP; }

LPCWSTR CWceUiLoadFont::GetFontID() const { return GetData() ? GetData()->m_strID.GetString() : u""; }
