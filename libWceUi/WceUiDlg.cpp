#include "WceUiDlg.h"

#include <new>

#include "JXCheck.h"
#include "JXGlobal.h"
#include "JXStyleFile.h"
#include "wce/gdi.h"
#include "JXWriteLogFile.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerPrivate.h"
#include "WceUiXml.h"

struct CWceUiDlgData {
    CWceUiXmlDoc m_DlgDoc;
    CJxStyleFile m_StyleFile;
    RECT m_rcWnd;
    int m_DlgRunWay;
    BOOL m_bEnd;
    int m_nModalResult;
    CWceUiDlgData() : m_rcWnd{0, 0, 0, 0}, m_DlgRunWay(DLG_RUN_NONE), m_bEnd(FALSE), m_nModalResult(-1) {}
};

CWceUiDlg::CWceUiDlg() : m_pData(new (std::nothrow) CWceUiDlgData)
{
    WCEUI_CHECK("CWceUiDlg::CWceUiDlg", NULL != m_pData);
}

CWceUiDlg::~CWceUiDlg()
{
    delete m_pData;
    m_pData = NULL;
}

BOOL CWceUiDlg::LoadStyleFile(LPCWSTR pStyleFile)
{
    if (!WCEUI_CHECK("CWceUiDlg::LoadStyleFile", NULL != pStyleFile)) return FALSE;
    return m_pData->m_StyleFile.LoadStyleFile(pStyleFile);
}

BOOL CWceUiDlg::Init(LPCWSTR pDlgFileFullPath, LPCWSTR pStyleFileFullPath)
{
    if (!WCEUI_CHECK("CWceUiDlg::Init", NULL != pDlgFileFullPath)) return FALSE;
    if (!WCEUI_CHECK("CWceUiDlg::Init", NULL != pStyleFileFullPath)) return FALSE;
    if (!LoadStyleFile(pStyleFileFullPath)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiDlg::Init, can not load style file %s", pStyleFileFullPath);
        return FALSE;
    }
    CWceUiXmlDoc& doc = m_pData->m_DlgDoc;
    if (!doc.LoadXmlFile(pDlgFileFullPath)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiDlg::Init, can not load dlg file %s", pDlgFileFullPath);
        return FALSE;
    }
    CWceUiXmlElem* pRootElem = doc.GetRootElem();
    if (!WCEUI_CHECK("CWceUiDlg::Init", NULL != pRootElem)) return FALSE;
    CWceUiXmlElem* pBody = pRootElem->FindChild(u"body");
    if (NULL == pBody) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiDlg::Init, In %s, can not find body elements", pDlgFileFullPath);
        return FALSE;
    }
    if (!WceUiCheckLayerCtrl(this, "CWceUiDlg::Init")) return FALSE;
    if (!GetLayerCtrl()->InitLayerInfo(this, pBody->GetAttribute(u"name"))) return FALSE;
    SetProperties(pBody);
    if (!CreateAllChilds(pBody)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiDlg::Init, %s, can not create all childs", pDlgFileFullPath);
        return FALSE;
    }
    SendOnLoad();
    return TRUE;
}

BOOL CWceUiDlg::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiDlg::SetProperties", NULL != pCreateElem)) return FALSE;
    CWceUiLayer::SetProperties(pCreateElem);
    LPCWSTR pWndRect = pCreateElem->GetAttribute(u"windowrect");
    if (pWndRect) {
        RECT rc;
        if (ConvertRectStrToRect(pWndRect, &rc))
            m_pData->m_rcWnd = rc;
        else
            JxWriteLogW(JX_LOG_ERROR, u"CWceUiDlg::SetProperties, windowrect %s is not valid", pWndRect);
    }
    return TRUE;
}

BOOL CWceUiDlg::SetWndRect(const RECT* lpRect)
{
    if (!WCEUI_CHECK("CWceUiDlg::SetWndRect", NULL != lpRect)) return FALSE;
    m_pData->m_rcWnd = *lpRect;
    return TRUE;
}

BOOL CWceUiDlg::GetWndRect(RECT* lpRect) const
{
    if (!WCEUI_CHECK("CWceUiDlg::GetWndRect", NULL != lpRect)) return FALSE;
    *lpRect = m_pData->m_rcWnd;
    return TRUE;
}

int CWceUiDlg::GetRunWay() const { return m_pData->m_DlgRunWay; }

BOOL CWceUiDlg::GetStyleData(LPCWSTR pStyleName, CWceUiStyle* pStyle)
{
    if (!WCEUI_CHECK("CWceUiDlg::GetStyleData", NULL != pStyleName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiDlg::GetStyleData", *pStyleName)) return FALSE;
    return m_pData->m_StyleFile.GetStyleData(pStyleName, pStyle);
}

BOOL CWceUiDlg::DoesHaveAnimate(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiDlg::DoesHaveAnimate", NULL != pName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiDlg::DoesHaveAnimate", *pName)) return FALSE;
    return m_pData->m_StyleFile.DoesHaveAnimate(pName);
}

void CWceUiDlg::SendOnLoad()
{
    OnLoad();
    WceUiVisitBelow(this, [](CWceUiLayer* pLayer) { pLayer->OnLoad(); });
}

void CWceUiDlg::SendOnInitLayer()
{
    OnInitLayer();
    WceUiVisitBelow(this, [](CWceUiLayer* pLayer) { pLayer->OnInitLayer(); });
}
