#include "JXIgnoreMsg.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "wce/timesync.h"

CJxIgnoreMsg::CJxIgnoreMsg() : m_Msgs(), m_nMsgCount(0), m_Hwnds(), m_nHwndCount(0)
{
    AddIgnoreMsg(WM_LBUTTONDOWN);
    AddIgnoreMsg(WM_MOUSEMOVE);
    AddIgnoreMsg(WM_LBUTTONUP);
}

BOOL CJxIgnoreMsg::AddIgnoreMsg(UINT msg)
{
    if (m_nMsgCount >= MAX_IGNORE_MSG) {
        JxWriteLogA(JX_LOG_ERROR, "In CJxIgnoreMsg::AddIgnoreMsg, Too many ignore messages");
        return FALSE;
    }
    m_Msgs[m_nMsgCount++] = msg;
    return TRUE;
}

BOOL CJxIgnoreMsg::RemoveIgnoreMsg(UINT msg)
{
    int nKept = 0;
    for (int i = 0; i < m_nMsgCount; ++i)
        if (m_Msgs[i] != msg) m_Msgs[nKept++] = m_Msgs[i];
    m_nMsgCount = nKept;
    return TRUE;
}

BOOL CJxIgnoreMsg::AddHwndTime(HWND hWnd, DWORD dwTime)
{
    if (0 == dwTime) dwTime = GetTickCount();
    for (int i = 0; i < m_nHwndCount; ++i) {
        if (m_Hwnds[i].hWnd == hWnd) {
            m_Hwnds[i].dwTime = dwTime;
            return TRUE;
        }
    }
    if (m_nHwndCount >= MAX_IGNORE_HWND) {
        JxWriteLogA(JX_LOG_ERROR, "In CJxIgnoreMsg::AddHwndTime, Too many ignore HWNDs");
        return FALSE;
    }
    m_Hwnds[m_nHwndCount].hWnd = hWnd;
    m_Hwnds[m_nHwndCount].dwTime = dwTime;
    ++m_nHwndCount;
    return TRUE;
}

BOOL CJxIgnoreMsg::RemoveHwnd(HWND hWnd)
{
    int nKept = 0;
    for (int i = 0; i < m_nHwndCount; ++i)
        if (m_Hwnds[i].hWnd != hWnd) m_Hwnds[nKept++] = m_Hwnds[i];
    m_nHwndCount = nKept;
    return TRUE;
}

BOOL CJxIgnoreMsg::IsIgnoreMsg(const MSG* lpMsg)
{
    if (!WCEUI_CHECK("CJxIgnoreMsg::IsIgnoreMsg", 0 != lpMsg)) return FALSE;
    for (int i = m_nHwndCount - 1; i >= 0; --i) {
        if (m_Hwnds[i].hWnd != lpMsg->hwnd) continue;
        for (int j = m_nMsgCount - 1; j >= 0; --j) {
            if (m_Msgs[j] != lpMsg->message) continue;
            // A signed difference, so that the decision survives the tick count's wrap.
            if (static_cast<LONG>(lpMsg->time - m_Hwnds[i].dwTime) <= 0) return TRUE;
            RemoveHwnd(lpMsg->hwnd);
            return FALSE;
        }
    }
    return FALSE;
}

namespace {
CJxIgnoreMsg* Filter() { return CJxGVar::GetInstance()->GetCJxIgnoreMsg(); }
}  // namespace

BOOL WceUiAddIgnoreMsg(UINT msg)
{
    CJxIgnoreMsg* pFilter = Filter();
    return pFilter ? pFilter->AddIgnoreMsg(msg) : FALSE;
}

BOOL WceUiRemoveIgnoreMsg(UINT msg)
{
    CJxIgnoreMsg* pFilter = Filter();
    return pFilter ? pFilter->RemoveIgnoreMsg(msg) : FALSE;
}

BOOL WceUiIsIgnoreMsg(const MSG* lpMsg)
{
    CJxIgnoreMsg* pFilter = Filter();
    return pFilter ? pFilter->IsIgnoreMsg(lpMsg) : FALSE;
}
