#include "WceUiDlg.h"

#include <new>

#include "JXCheck.h"
#include "JXGlobal.h"
#include "JXStyleFile.h"
#include "wce/gdi.h"
#include "JXWriteLogFile.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerPrivate.h"
#include "WceUiLayerHost.h"
#include "WceUiWndAnimate.h"
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

CWceUiWndAnimate* CWceUiDlg::GetWndAnimate(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiDlg::GetWndAnimate", NULL != pName)) return NULL;
    if (!WCEUI_CHECK("CWceUiDlg::GetWndAnimate", *pName)) return NULL;
    return m_pData->m_StyleFile.GetWndAnimate(pName);
}

CWceUiLayerHost* CWceUiDlg::GetHost() const
{
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    return pCtrl ? pCtrl->PeekWindow() : NULL;
}

namespace {

// An empty rectangle (no "windowrect") leaves the window where it is.
void MoveHostWnd(CWceUiLayerHost* pWnd, const RECT& rc)
{
    if (pWnd && !IsRectEmpty(&rc)) pWnd->MoveWindow(&rc, TRUE);
}

}  // namespace

BOOL CWceUiDlg::PrepareAnimate(BOOL bIn)
{
    if (!DoesHaveAnimate(bIn ? u"in" : u"out")) return FALSE;
    CWceUiLayerHost* pWnd = GetHost();
    if (!WCEUI_CHECK("CWceUiDlg::PrepareAnimate", NULL != pWnd)) return FALSE;
    return pWnd->Apply(NULL);
}

BOOL CWceUiDlg::PlayAnimate(BOOL bIn)
{
    CWceUiWndAnimate* pAnimate = GetWndAnimate(bIn ? u"in" : u"out");
    if (NULL == pAnimate) return FALSE;
    CWceUiLayerHost* pWnd = GetHost();
    BOOL bRet = FALSE;
    if (WCEUI_CHECK("CWceUiDlg::PlayAnimate", NULL != pWnd)) bRet = pWnd->Play(&pAnimate, 1, TRUE);
    delete pAnimate;
    return bRet;
}

int CWceUiDlg::DoModal()
{
    if (!WceUiCheckLayerCtrl(this, "CWceUiDlg::DoModal")) return 0;
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    CWceUiLayer* pRoot = pCtrl->RootLayer();
    if (!WCEUI_CHECK("CWceUiDlg::DoModal", NULL != pRoot)) return 0;
    CWceUiLayerHost* pWnd = GetHost();
    m_pData->m_bEnd = FALSE;
    m_pData->m_nModalResult = -1;  // a dialog run again starts without the last run's result
    CWceUiLayer* pLeftBrother = pRoot->GetLastChild();
    BOOL bLeftEnabled = FALSE;
    BOOL bAnimateIn = FALSE;
    if (pLeftBrother) {
        if (pLeftBrother->IsLayerEnabled()) {
            WCEUI_CHECK("CWceUiDlg::DoModal", pLeftBrother->IsKindOf(WCEUI_CLASS_NAME(CWceUiDlg)));
            bLeftEnabled = TRUE;
            bAnimateIn = PrepareAnimate(TRUE);
            pLeftBrother->EnableLayer(FALSE, FALSE);
        }
    } else {
        MoveHostWnd(pWnd, m_pData->m_rcWnd);
        bAnimateIn = PrepareAnimate(TRUE);
    }
    pRoot->AppendChild(this);
    m_pData->m_DlgRunWay = DLG_RUN_IN_MODAL;
    SendOnInitLayer();
    OnInitDialog();
    if (bAnimateIn) PlayAnimate(TRUE);

    if (pWnd) pWnd->RunModalLoop(&m_pData->m_bEnd);

    BOOL bAnimateOut = PrepareAnimate(FALSE);
    pRoot->RemoveChild(this);
    if (DLG_RUN_IN_MODAL == m_pData->m_DlgRunWay) m_pData->m_DlgRunWay = DLG_RUN_NONE;
    if (bLeftEnabled) pLeftBrother->EnableLayer(TRUE, FALSE);
    if (bAnimateOut) PlayAnimate(FALSE);
    if (pWnd && pWnd->IsOpen()) pWnd->InvalidateRect(NULL, TRUE);
    return m_pData->m_nModalResult;
}

BOOL CWceUiDlg::EndDialog(int nResult)
{
    if (!WCEUI_CHECK("CWceUiDlg::EndDialog", DLG_RUN_IN_MODAL == GetData()->m_DlgRunWay)) return FALSE;
    m_pData->m_nModalResult = nResult;
    m_pData->m_bEnd = TRUE;
    CWceUiLayerHost* pWnd = GetHost();
    if (pWnd && pWnd->IsOpen()) pWnd->PostMessage(0, 0, 0);  // wakes a waiting loop
    m_pData->m_DlgRunWay = DLG_RUN_NONE;
    return TRUE;
}

BOOL CWceUiDlg::RunModeless()
{
    if (!WCEUI_CHECK("CWceUiDlg::RunModeless", NULL != GetLayerCtrl())) return FALSE;
    CWceUiLayer* pRoot = GetLayerCtrl()->RootLayer();
    if (NULL == pRoot || NULL != pRoot->GetFirstChild()) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiDlg::RunModeless failed, RunModeless only works in there is no child in GetLayerCtrl()->RootLayer()");
        return FALSE;
    }
    MoveHostWnd(GetHost(), m_pData->m_rcWnd);
    pRoot->AppendChild(this);
    m_pData->m_DlgRunWay = DLG_RUN_IN_MODELESS;
    SendOnInitLayer();
    OnInitDialog();
    return TRUE;
}

BOOL CWceUiDlg::EndModeless()
{
    if (!WCEUI_CHECK("CWceUiDlg::EndModeless", NULL != GetLayerCtrl())) return FALSE;
    if (!WCEUI_CHECK("CWceUiDlg::EndModeless", DLG_RUN_IN_MODELESS == GetData()->m_DlgRunWay)) return FALSE;
    CWceUiLayer* pRoot = GetLayerCtrl()->RootLayer();
    if (NULL == pRoot || 1 != pRoot->GetChildCount()) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiDlg::EndModeless only works when RootLayer has one child and the child runs in modeless");
        return FALSE;
    }
    if (pRoot->GetLastChild() != this) {
        JxWriteLogA(JX_LOG_ERROR, "CWceUiDlg::EndModeless failed ,the last child of root layers is not the caller layer");
        return FALSE;
    }
    pRoot->RemoveChild(this);
    m_pData->m_DlgRunWay = DLG_RUN_NONE;
    return TRUE;
}
