#include "WceUiLoadString.h"

#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "QuickString.h"
#include "wce/format.h"

struct CWceUiLoadString::CData {
    CQuickString strTextResID;
    CQuickString strText;
    BOOL bStale = TRUE;
};

namespace {

CJxLanguage* GetLanguage() { return CJxGVar::GetInstance()->GetCJxLanguage(); }

}  // namespace

void CWceUiLoadString::Register()
{
    CJxLanguage* pLanguage = GetLanguage();
    if (pLanguage) pLanguage->AddLoadStringItem(this);
}

CWceUiLoadString::CWceUiLoadString() : m_pData(new (std::nothrow) CData)
{
    WCEUI_CHECK("CWceUiLoadString::CWceUiLoadString", NULL != m_pData);
    Register();
}

CWceUiLoadString::CWceUiLoadString(LPCWSTR pTextResID) : CWceUiLoadString()
{
    if (GetData() && WCEUI_CHECK("CWceUiLoadString::CWceUiLoadString", NULL != pTextResID && 0 != pTextResID[0]))
        GetData()->strTextResID = pTextResID;
}

CWceUiLoadString::CWceUiLoadString(UINT nTextResID) : CWceUiLoadString() { SetTextResID(nTextResID); }

CWceUiLoadString::CWceUiLoadString(const CWceUiLoadString& other) : CWceUiLoadString()
{
    if (GetData() && other.GetData()) GetData()->strTextResID = other.GetData()->strTextResID;
}

CWceUiLoadString::~CWceUiLoadString()
{
    CJxLanguage* pLanguage = GetLanguage();
    if (pLanguage) pLanguage->DelLoadStringItem(this);
    delete m_pData;
}

CWceUiLoadString& CWceUiLoadString::operator=(const CWceUiLoadString& other)
{
    if (this != &other && GetData() && other.GetData()) {
        GetData()->strTextResID = other.GetData()->strTextResID;
        GetData()->bStale = TRUE;
    }
    return *this;
}

void CWceUiLoadString::SetTextResID(LPCWSTR pTextResID)
{
    if (NULL == pTextResID) pTextResID = u"";
    CData* pData = GetData();
    if (!pData || pData->strTextResID == pTextResID) return;
    pData->strTextResID = pTextResID;
    pData->bStale = TRUE;
}

void CWceUiLoadString::SetTextResID(UINT nTextResID)
{
    WCHAR szTextResID[16];
    WFormat(szTextResID, 16, u"%u", nTextResID);
    SetTextResID(szTextResID);
}

LPCWSTR CWceUiLoadString::GetTextResID() const { return GetData() ? GetData()->strTextResID.GetString() : u""; }

LPCWSTR CWceUiLoadString::GetString()
{
    CData* pData = GetData();
    if (!pData || pData->strTextResID.IsEmpty()) return u"";
    if (pData->bStale) {
        CJxLanguage* pLanguage = GetLanguage();
        LPCWSTR pText = pLanguage ? pLanguage->GetString(pData->strTextResID) : NULL;
        if (NULL == pText) {
            JxWriteLogW(JX_LOG_ERROR, u"LoadString %s failed", pData->strTextResID.GetString());
            pData->strText.Empty();
        } else {
            pData->strText = pText;
        }
        pData->bStale = FALSE;
    }
    return pData->strText;
}

void CWceUiLoadString::OnLanguageChange()
{
    if (GetData()) GetData()->bStale = TRUE;
}
