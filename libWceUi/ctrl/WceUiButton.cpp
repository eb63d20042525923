#include "WceUiButton.h"

#include <new>

#include "JXCheck.h"
#include "WceUiXml.h"
#include "wce/gdi.h"

// ---- Data ----

enum { BTN_NAME_UNITS = 64 };

struct CWceUiButtonData {
    WCHAR m_szNames[3][BTN_NAME_UNITS];  // normal, down, focus: indexed by look state - 1
    BOOL m_bPressed;
    int m_nLookState;
};

// ---- Life ----

CWceUiButton::CWceUiButton() : m_pData(new (std::nothrow) CWceUiButtonData())
{
    WCEUI_CHECK("CWceUiButton::CWceUiButton", NULL != m_pData);
    if (m_pData) {
        m_pData->m_bPressed = FALSE;
        m_pData->m_nLookState = WCEUI_BTN_NORMAL;
    }
}

CWceUiButton::~CWceUiButton() { delete m_pData; }

// ---- Properties ----

BOOL CWceUiButton::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!CWceUiLayer::SetProperties(pCreateElem)) return FALSE;
    static const LPCWSTR s_attrs[3] = {u"style", u"down.style", u"focus.style"};
    for (int i = 0; i < 3; ++i) {
        LPCWSTR pName = pCreateElem->GetAttribute(s_attrs[i]);
        if (pName) impSetName(i + 1, pName);
    }
    return TRUE;
}

void CWceUiButton::impApplyLook(int nState)
{
    LPCWSTR pName = m_pData->m_szNames[nState - 1];
    if (*pName) SetStyle(pName);
    m_pData->m_nLookState = nState;
}

void CWceUiButton::impSetName(int nState, LPCWSTR pStyleName)
{
    if (!m_pData || !WCEUI_CHECK("CWceUiButton::SetStyleName", NULL != pStyleName)) return;
    WCHAR* pDst = m_pData->m_szNames[nState - 1];
    int i = 0;
    for (; i < BTN_NAME_UNITS - 1 && pStyleName[i]; ++i) pDst[i] = pStyleName[i];
    pDst[i] = 0;
    if (m_pData->m_nLookState == nState) impApplyLook(nState);
}

void CWceUiButton::SetNormalStyle(LPCWSTR pStyleName) { impSetName(WCEUI_BTN_NORMAL, pStyleName); }
void CWceUiButton::SetDownStyle(LPCWSTR pStyleName) { impSetName(WCEUI_BTN_DOWN, pStyleName); }
void CWceUiButton::SetFocusStyle(LPCWSTR pStyleName) { impSetName(WCEUI_BTN_OUTSIDE, pStyleName); }
LPCWSTR CWceUiButton::GetNormalStyle() const { return m_pData ? m_pData->m_szNames[0] : u""; }
LPCWSTR CWceUiButton::GetDownStyle() const { return m_pData ? m_pData->m_szNames[1] : u""; }
LPCWSTR CWceUiButton::GetFocusStyle() const { return m_pData ? m_pData->m_szNames[2] : u""; }

// ---- Public calls ----

BOOL CWceUiButton::IsPressed() const { return m_pData && m_pData->m_bPressed; }
int CWceUiButton::GetLookState() const { return m_pData ? m_pData->m_nLookState : WCEUI_BTN_NORMAL; }

// ---- Input ----

void CWceUiButton::OnLButtonDown(UINT nFlags, int x, int y)
{
    (void)nFlags, (void)x, (void)y;
    if (!m_pData) return;
    // A press whose pen-up was lost ends first, without a click, so that taking the
    // capture again does not leave the window with a capture layer it cannot route to.
    if (m_pData->m_bPressed) OnLoseCapture();
    m_pData->m_bPressed = TRUE;
    impApplyLook(WCEUI_BTN_DOWN);
    SetCapture();
}

void CWceUiButton::OnMouseMove(UINT nFlags, int x, int y)
{
    (void)nFlags;
    if (!m_pData || !m_pData->m_bPressed) return;
    RECT rc;
    GetWindowRect(&rc);
    POINT pt = {x, y};
    impApplyLook(PtInRect(&rc, pt) ? WCEUI_BTN_DOWN : WCEUI_BTN_OUTSIDE);
}

void CWceUiButton::OnLButtonUp(UINT nFlags, int x, int y)
{
    (void)nFlags;
    if (!m_pData || !m_pData->m_bPressed) return;
    m_pData->m_bPressed = FALSE;
    impApplyLook(WCEUI_BTN_NORMAL);
    ReleaseCapture();
    RECT rc;
    GetWindowRect(&rc);
    POINT pt = {x, y};
    if (PtInRect(&rc, pt)) {
        CWceUiLayer* pParent = GetParentOrSelf();
        if (pParent) pParent->OnChildClick(this);
    }
}

void CWceUiButton::OnLoseCapture() { OnLButtonUp(0, -65535, -65535); }
