// CWceUiLayer: timers, registered messages and capture. The window does the platform work.
#include "JXCheck.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiLayerHost.h"
#include "WceUiLayerPrivate.h"

static CWceUiLayerHost* WindowOf(const CWceUiLayer* pLayer, LPCSTR pOperation)
{
    if (!WceUiCheckLayerCtrl(pLayer, pOperation)) return NULL;
    return pLayer->GetLayerCtrl()->GetWindow();
}

// The window's timer id: the layer id in the low 16 bits, the layer's own id in the high.
static UINT PackTimerId(WORD nLayerId, WORD nTimerId) { return (static_cast<UINT>(nTimerId) << 16) | nLayerId; }

BOOL CWceUiLayer::SetTimer(WORD nTimerId, UINT nElapse)
{
    CWceUiLayerHost* pWnd = WindowOf(this, "CWceUiLayer::SetTimer");
    if (NULL == pWnd) return FALSE;
    if (NULL == m_pData->m_TimerList.Find(nTimerId) && NULL == m_pData->m_TimerList.AddTail(nTimerId)) return FALSE;
    return pWnd->SetTimer(PackTimerId(GetLayerId(), nTimerId), nElapse);
}

BOOL CWceUiLayer::KillTimer(WORD nTimerId)
{
    JXPOSITION pos = m_pData->m_TimerList.Find(nTimerId);
    if (NULL == pos) return FALSE;
    m_pData->m_TimerList.RemoveAt(pos);
    CWceUiLayerHost* pWnd = WindowOf(this, "CWceUiLayer::KillTimer");
    if (pWnd) pWnd->KillTimer(PackTimerId(GetLayerId(), nTimerId));
    return TRUE;
}

void CWceUiLayer::KillAllTimers()
{
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    CWceUiLayerHost* pWnd = pCtrl ? pCtrl->PeekWindow() : NULL;
    WORD nTimerId;
    while (!m_pData->m_TimerList.IsEmpty() && m_pData->m_TimerList.RemoveHead(&nTimerId))
        if (pWnd) pWnd->KillTimer(PackTimerId(GetLayerId(), nTimerId));
}

BOOL CWceUiLayer::RegisterMsg(UINT nMsg)
{
    CWceUiLayerHost* pWnd = WindowOf(this, "CWceUiLayer::RegisterMsg");
    if (NULL == pWnd) return FALSE;
    if (m_pData->m_MsgList.Find(nMsg)) return TRUE;
    if (NULL == m_pData->m_MsgList.AddTail(nMsg)) return FALSE;
    return pWnd->RegisterMsg(nMsg, this);
}

BOOL CWceUiLayer::UnRegisterMsg(UINT nMsg)
{
    JXPOSITION pos = m_pData->m_MsgList.Find(nMsg);
    if (NULL == pos) return FALSE;
    m_pData->m_MsgList.RemoveAt(pos);
    CWceUiLayerHost* pWnd = WindowOf(this, "CWceUiLayer::UnRegisterMsg");
    if (pWnd) pWnd->UnRegisterMsg(nMsg, this);
    return TRUE;
}

void CWceUiLayer::UnRegisterAllMsg()
{
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    CWceUiLayerHost* pWnd = pCtrl ? pCtrl->PeekWindow() : NULL;
    UINT nMsg;
    while (!m_pData->m_MsgList.IsEmpty() && m_pData->m_MsgList.RemoveHead(&nMsg))
        if (pWnd) pWnd->UnRegisterMsg(nMsg, this);
}

BOOL CWceUiLayer::SetCapture()
{
    CWceUiLayerHost* pWnd = WindowOf(this, "CWceUiLayer::SetCapture");
    if (NULL == pWnd) return FALSE;
    pWnd->SetCapture(this);
    return TRUE;
}

BOOL CWceUiLayer::ReleaseCapture()
{
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    CWceUiLayerHost* pWnd = pCtrl ? pCtrl->PeekWindow() : NULL;
    if (NULL == pWnd || pWnd->GetCapture() != this) return FALSE;
    pWnd->ReleaseCapture(this);
    return TRUE;
}
