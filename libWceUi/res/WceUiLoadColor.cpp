#include "WceUiLoadColor.h"

#include <new>

#include "JXCheck.h"
#include "JXGetColor.h"
#include "JXWriteLogFile.h"
#include "QuickString.h"

struct CWceUiLoadColor::CData {
    int m_nSource = SOURCE_APP;
    CWceUiColor* m_pColor = NULL;  // the color in use: the cache's, or m_Private
    CWceUiColor m_Private;
    CQuickString m_strID;
};

CWceUiLoadColor::CWceUiLoadColor() : m_pData(new (std::nothrow) CData)
{
    WCEUI_CHECK("CWceUiLoadColor::CWceUiLoadColor", NULL != m_pData);
}

CWceUiLoadColor::CWceUiLoadColor(LPCWSTR pColorID) : CWceUiLoadColor() { SetColor(pColorID); }

CWceUiLoadColor::CWceUiLoadColor(COLORREF crColor) : CWceUiLoadColor() { SetColor(crColor); }

CWceUiLoadColor::CWceUiLoadColor(const CWceUiLoadColor& other) : CWceUiLoadColor() { *this = other; }

CWceUiLoadColor::~CWceUiLoadColor()
{
    Clean();
    delete m_pData;
}

CWceUiLoadColor& CWceUiLoadColor::operator=(const CWceUiLoadColor& other)
{
    if (&other == this || !GetData() || !other.GetData()) return *this;
    Clean();
    if (SOURCE_RES == other.GetData()->m_nSource) {
        GetData()->m_strID = other.GetData()->m_strID;
        GetData()->m_nSource = SOURCE_RES;
    } else {
        GetData()->m_Private.SetColor(other.GetData()->m_Private.GetColor());
    }
    return *this;
}

void CWceUiLoadColor::SetColor(LPCWSTR pColorID)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadColor::SetColor", NULL != pColorID && 0 != *pColorID)) return;
    if (SOURCE_RES == GetData()->m_nSource && 0 == GetData()->m_strID.CompareNoCase(pColorID)) return;
    Clean();
    GetData()->m_strID = pColorID;
    GetData()->m_nSource = SOURCE_RES;
}

void CWceUiLoadColor::SetColor(COLORREF crColor)
{
    if (!GetData()) return;
    Clean();
    GetData()->m_Private.SetColor(crColor);
}

CWceUiColor* CWceUiLoadColor::impAcquire()
{
    CData* p = GetData();
    if (!p) return NULL;
    if (SOURCE_APP == p->m_nSource) return &p->m_Private;
    if (!p->m_pColor) {
        p->m_pColor = WceUiGetColor(p->m_strID);
        if (!p->m_pColor) {
            JxWriteLogW(JX_LOG_ERROR, u"load color id %s failed, use black", p->m_strID.GetString());
            p->m_Private.SetColor(0);
            p->m_pColor = &p->m_Private;
        }
    }
    return p->m_pColor;
}

COLORREF CWceUiLoadColor::GetColor()
{
    CWceUiColor* pColor = impAcquire();
    return pColor ? pColor->GetColor() : 0;
}

HBRUSH CWceUiLoadColor::GetBrush()
{
    CWceUiColor* pColor = impAcquire();
    return pColor ? pColor->GetBrush() : NULL;
}

void CWceUiLoadColor::Clean()
{
    CData* p = GetData();
    if (!p) return;
    // Only a color from the cache goes back to it, never the private fallback.
    if (p->m_pColor && p->m_pColor != &p->m_Private) WceUiReleaseColor(p->m_pColor);
    p->m_pColor = NULL;
    p->m_Private.SetColor(0);
    p->m_strID.Empty();
    p->m_nSource = SOURCE_APP;
}

int CWceUiLoadColor::GetSource() const { return GetData() ? GetData()->m_nSource : SOURCE_APP; }

LPCWSTR CWceUiLoadColor::GetColorID() const { return GetData() ? GetData()->m_strID.GetString() : u""; }

COLORREF CWceUiLoadColor::GetAppColor() const { return GetData() ? GetData()->m_Private.GetColor() : 0; }
