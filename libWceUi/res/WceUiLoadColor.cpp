#include "WceUiLoadColor.h"

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

CWceUiLoadColor::CWceUiLoadColor() : m_pData(new CData) {}

CWceUiLoadColor::CWceUiLoadColor(LPCWSTR pColorID) : m_pData(new CData) { SetColor(pColorID); }

CWceUiLoadColor::CWceUiLoadColor(COLORREF crColor) : m_pData(new CData) { SetColor(crColor); }

CWceUiLoadColor::CWceUiLoadColor(const CWceUiLoadColor& other) : m_pData(new CData) { *this = other; }

CWceUiLoadColor::~CWceUiLoadColor()
{
    Clean();
    delete m_pData;
}

CWceUiLoadColor& CWceUiLoadColor::operator=(const CWceUiLoadColor& other)
{
    if (&other == this) return *this;
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
    if (!WCEUI_CHECK("CWceUiLoadColor::SetColor", NULL != pColorID && 0 != *pColorID)) return;
    if (SOURCE_RES == GetData()->m_nSource && 0 == GetData()->m_strID.CompareNoCase(pColorID)) return;
    Clean();
    GetData()->m_strID = pColorID;
    GetData()->m_nSource = SOURCE_RES;
}

void CWceUiLoadColor::SetColor(COLORREF crColor)
{
    Clean();
    GetData()->m_Private.SetColor(crColor);
}

CWceUiColor* CWceUiLoadColor::impAcquire()
{
    CData* p = GetData();
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

COLORREF CWceUiLoadColor::GetColor() { return impAcquire()->GetColor(); }

HBRUSH CWceUiLoadColor::GetBrush() { return impAcquire()->GetBrush(); }

void CWceUiLoadColor::Clean()
{
    CData* p = GetData();
    // Only a color from the cache goes back to it, never the private fallback.
    if (p->m_pColor && p->m_pColor != &p->m_Private) WceUiReleaseColor(p->m_pColor);
    p->m_pColor = NULL;
    p->m_Private.SetColor(0);
    p->m_strID.Empty();
    p->m_nSource = SOURCE_APP;
}

int CWceUiLoadColor::GetSource() const { return GetData()->m_nSource; }

LPCWSTR CWceUiLoadColor::GetColorID() const { return GetData()->m_strID; }

COLORREF CWceUiLoadColor::GetAppColor() const { return GetData()->m_Private.GetColor(); }
