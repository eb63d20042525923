#include "JXLanguage.h"

#include "JXCheck.h"
#include "JXGlobalData.h"

CJxLanguage::CJxLanguage() : m_LoadStringList(32) {}

CJxLanguage::~CJxLanguage() = default;

BOOL CJxLanguage::SetLanguage(LPCWSTR pLangFilePath, BOOL bEscape)
{
    if (!WCEUI_CHECK("CJxLanguage::SetLanguage", NULL != pLangFilePath)) return FALSE;
    m_ConfDoc.Clean();
    CQuickString strRealPath;
    if (!JxGetRealPath(strRealPath, pLangFilePath)) return FALSE;
    if (!m_ConfDoc.LoadFile(strRealPath, bEscape)) return FALSE;
    for (JXPOSITION pos = m_LoadStringList.GetHeadPosition(); pos;) m_LoadStringList.GetNext(pos)->OnLanguageChange();
    m_strLangFilePath = pLangFilePath;
    return TRUE;
}

LPCWSTR CJxLanguage::GetString(LPCWSTR pTextResID) const
{
    if (!WCEUI_CHECK("CJxLanguage::GetString", NULL != pTextResID)) return NULL;
    return m_ConfDoc.IsLoaded() ? m_ConfDoc.GetValue(pTextResID) : NULL;
}

LPCWSTR CJxLanguage::GetString(UINT nTextResID) const
{
    return m_ConfDoc.IsLoaded() ? m_ConfDoc.GetValue(nTextResID) : NULL;
}

void CJxLanguage::AddLoadStringItem(CJxLanguageItem* pItem)
{
    if (!WCEUI_CHECK("CJxLanguage::AddLoadStringItem", NULL != pItem)) return;
    m_LoadStringList.AddTail(pItem);
}

void CJxLanguage::DelLoadStringItem(CJxLanguageItem* pItem)
{
    if (!WCEUI_CHECK("CJxLanguage::DelLoadStringItem", NULL != pItem)) return;
    // Holders are usually destroyed newest first: search from the tail.
    for (JXPOSITION pos = m_LoadStringList.GetTailPosition(); pos;) {
        JXPOSITION cur = pos;
        if (m_LoadStringList.GetPrev(pos) == pItem) {
            m_LoadStringList.RemoveAt(cur);
            return;
        }
    }
}
