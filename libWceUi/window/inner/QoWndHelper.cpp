#include "QoWndHelper.h"

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "JXGVar.h"
#include "JXGlobalData.h"

CQoWndHelper::CQoWndHelper() : m_bRegistered(FALSE), m_szClassName(u"WceUiWnd"), m_WndMap(10) {}

void CQoWndHelper::RegisterClassOnce(WNDPROC pfnWndProc)
{
    if (m_bRegistered) return;
    HINSTANCE hInstance = CJxGVar::GetInstance()->GetCJxGlobalData()->GetInstanceHandle();
    if (NULL == hInstance)
        JxWriteLogA(JX_LOG_ERROR,
                    "CQoWndHelper::RegisterClassOnce, WceUiGetInstanceHandle() return NULL, call WceUiInit first");
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = pfnWndProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(0));
    wc.lpszClassName = m_szClassName;
    if (!WCEUI_CHECK("CQoWndHelper::RegisterClassOnce", 0 != RegisterClassW(&wc))) return;
    m_bRegistered = TRUE;
}
