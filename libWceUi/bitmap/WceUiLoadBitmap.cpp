#include "WceUiLoadBitmap.h"

#include <new>

#include "JXCheck.h"
#include "JXGetBitmap.h"
#include "JXWriteLogFile.h"
#include "QuickString.h"
#include "WceUiGenericBitmap.h"

struct CWceUiLoadBitmap::CData {
    int m_nSource = SOURCE_APP;
    CWceUiGenericBitmap* m_pBitmap = NULL;
    CQuickString m_strID;
};

CWceUiLoadBitmap::CWceUiLoadBitmap() : m_pData(new (std::nothrow) CData)
{
    WCEUI_CHECK("CWceUiLoadBitmap::CWceUiLoadBitmap", NULL != m_pData);
}

CWceUiLoadBitmap::CWceUiLoadBitmap(LPCWSTR pBitmapID) : CWceUiLoadBitmap() { SetBitmapFromRes(pBitmapID); }

CWceUiLoadBitmap::CWceUiLoadBitmap(CWceUiGenericBitmap* pBitmap) : CWceUiLoadBitmap()
{
    impCopyApp(pBitmap, u"In CWceUiLoadBitmap(CWceUiGenericBitmap* pBitmap)");
}

CWceUiLoadBitmap::CWceUiLoadBitmap(const CWceUiLoadBitmap& other) : CWceUiLoadBitmap() { *this = other; }

CWceUiLoadBitmap::~CWceUiLoadBitmap()
{
    Clean();
    delete m_pData;
}

CWceUiLoadBitmap& CWceUiLoadBitmap::operator=(const CWceUiLoadBitmap& other)
{
    if (&other == this || !GetData() || !other.GetData()) return *this;
    if (SOURCE_RES == other.GetData()->m_nSource) {
        Clean();
        GetData()->m_strID = other.GetData()->m_strID;
        GetData()->m_nSource = SOURCE_RES;
    } else if (other.GetData()->m_pBitmap) {
        impCopyApp(other.GetData()->m_pBitmap, u"In CWceUiLoadBitmap::operator=");
    } else {
        Clean();
    }
    return *this;
}

void CWceUiLoadBitmap::impCopyApp(CWceUiGenericBitmap* pBitmap, LPCWSTR pOperation)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadBitmap::SetBitmapFromApp", NULL != pBitmap)) return;
    CWceUiGenericBitmap* pCopy = NULL;
    if (!pBitmap->MakeACopy(&pCopy)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s, pBitmap->MakeACopy failed", pOperation);
        pCopy = NULL;
    }
    Clean();
    GetData()->m_pBitmap = pCopy;
}

void CWceUiLoadBitmap::SetBitmapFromRes(LPCWSTR pBitmapID)
{
    if (!GetData() || !WCEUI_CHECK("CWceUiLoadBitmap::SetBitmapFromRes", NULL != pBitmapID && 0 != *pBitmapID))
        return;
    if (SOURCE_RES == GetData()->m_nSource && 0 == GetData()->m_strID.CompareNoCase(pBitmapID)) return;
    Clean();
    GetData()->m_strID = pBitmapID;
    GetData()->m_nSource = SOURCE_RES;
}

void CWceUiLoadBitmap::SetBitmapFromApp(CWceUiGenericBitmap* pBitmap)
{
    impCopyApp(pBitmap, u"In CWceUiLoadBitmap::SetBitmapFromApp");
}

CWceUiGenericBitmap* CWceUiLoadBitmap::GetBitmap()
{
    CData* p = GetData();
    if (!p) return NULL;
    if (SOURCE_RES == p->m_nSource && !p->m_pBitmap) {
        p->m_pBitmap = WceUiGetBitmap(p->m_strID);
        if (!p->m_pBitmap)
            JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLoadBitmap::GetBitmap, load bitmap id %s failed",
                        p->m_strID.GetString());
    }
    return p->m_pBitmap;
}

void CWceUiLoadBitmap::FreeBmpRes()
{
    CData* p = GetData();
    if (!p || SOURCE_RES != p->m_nSource || !p->m_pBitmap) return;
    WceUiReleaseBitmap(p->m_pBitmap);
    p->m_pBitmap = NULL;
}

void CWceUiLoadBitmap::Clean()
{
    CData* p = GetData();
    if (!p) return;
    if (SOURCE_RES == p->m_nSource) FreeBmpRes();
    else delete p->m_pBitmap;
    p->m_pBitmap = NULL;
    p->m_strID.Empty();
    p->m_nSource = SOURCE_APP;
}

int CWceUiLoadBitmap::GetSource() const { return GetData() ? GetData()->m_nSource : SOURCE_APP; }

LPCWSTR CWceUiLoadBitmap::GetBitmapID() const { return GetData() ? GetData()->m_strID.GetString() : u""; }

CWceUiGenericBitmap* CWceUiLoadBitmap::PeekBitmap() const { return GetData() ? GetData()->m_pBitmap : NULL; }
