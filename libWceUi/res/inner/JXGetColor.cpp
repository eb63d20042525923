#include "JXGetColor.h"

#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGlobal.h"
#include "JXWriteLogFile.h"

CWceUiColor::CWceUiColor(COLORREF crColor) : m_crColor(crColor), m_hBrush(NULL) {}

CWceUiColor::~CWceUiColor()
{
    if (m_hBrush) DeleteObject(m_hBrush);
}

void CWceUiColor::SetColor(COLORREF crColor)
{
    if (crColor == m_crColor) return;
    if (m_hBrush) DeleteObject(m_hBrush);
    m_hBrush = NULL;
    m_crColor = crColor;
}

HBRUSH CWceUiColor::GetBrush()
{
    if (!m_hBrush) m_hBrush = CreateSolidBrush(m_crColor);
    return m_hBrush;
}

CJxColorResLoader::CJxColorResLoader() : CJxResCache(u"Color") {}

CJxColorResLoader::~CJxColorResLoader()
{
    impDestroyAll();
    CJxGVar::GetInstance()->ForgetService(this);
}

CWceUiColor* CJxColorResLoader::GetColor(LPCWSTR pColorID)
{
    if (!WCEUI_CHECK("CJxColorResLoader::GetColor", NULL != pColorID && 0 != *pColorID)) return NULL;
    return static_cast<CWceUiColor*>(impGet(pColorID));
}

BOOL CJxColorResLoader::ReleaseColor(CWceUiColor* pColor) { return impRelease(pColor); }

const CJxConfDoc* CJxColorResLoader::impGetColorDoc()
{
    CQuickString strPath;
    if (!impGetResPath(strPath, u"color\\", u"wceui.color")) return NULL;
    // A table of another directory (the directory was set again) is not this one.
    if (m_ColorDoc.IsLoaded() && strPath == m_ColorDoc.GetPath()) return &m_ColorDoc;
    m_ColorDoc.Clean();
    if (!m_ColorDoc.LoadFile(strPath, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"load file %s failed", strPath.GetString());
        return NULL;
    }
    return &m_ColorDoc;
}

BOOL CJxColorResLoader::impReadColor(LPCWSTR pID, COLORREF* pcr)
{
    const CJxConfDoc* pDoc = impGetColorDoc();
    if (!pDoc) return FALSE;
    LPCWSTR pValue = pDoc->GetValue(pID);
    if (!pValue) return FALSE;
    if (!JxParseColorValue(pValue, pcr)) {
        JxWriteLogW(JX_LOG_ERROR, u"the color %s of %s is not 0x and hexadecimal digits", pID, pDoc->GetPath());
        return FALSE;
    }
    return TRUE;
}

void* CJxColorResLoader::impLoad(LPCWSTR pID)
{
    COLORREF cr;
    if (!impReadColor(pID, &cr)) return NULL;
    return new (std::nothrow) CWceUiColor(cr);
}

void CJxColorResLoader::impDelete(void* pObject) { delete static_cast<CWceUiColor*>(pObject); }

BOOL CJxColorResLoader::ChangeSkin()
{
    m_ColorDoc.Clean();
    if (!impCheckResDir()) return FALSE;
    BOOL bResult = TRUE;
    for (JXPOSITION pos = impGetStart(); pos;) {
        CEntry* pEntry = impGetNext(pos);
        COLORREF cr;
        if (impReadColor(pEntry->strID, &cr)) {
            static_cast<CWceUiColor*>(pEntry->pObject)->SetColor(cr);
        } else {
            JxWriteLogW(JX_LOG_ERROR, u"load %s color failed when changing skin", pEntry->strID.GetString());
            bResult = FALSE;
        }
    }
    return bResult;
}

CWceUiColor* WceUiGetColor(LPCWSTR pColorID)
{
    CJxColorResLoader* pCache = CJxGVar::GetInstance()->GetCJxColorResLoader();
    return pCache ? pCache->GetColor(pColorID) : NULL;
}

void WceUiReleaseColor(CWceUiColor* pColor)
{
    CJxColorResLoader* pCache = CJxGVar::GetInstance()->GetCJxColorResLoader();
    if (pCache) pCache->ReleaseColor(pColor);
}
