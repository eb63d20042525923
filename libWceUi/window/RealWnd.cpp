#include "RealWnd.h"

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXIgnoreMsg.h"
#include "JXWriteLogFile.h"
#include "QoWndHelper.h"
#include "WceUiCommon.h"
#include "wce/files.h"

namespace {

CQoWndHelper* Helper() { return CJxGVar::GetInstance()->GetCQoWndHelper(); }

// The one window procedure of every framework window.
LRESULT WceUiRealWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    JXMap<HWND, CRealWnd*>& map = Helper()->GetWndMap();
    CRealWnd* pWnd = NULL;
    if (WM_CREATE == msg) {
        pWnd = static_cast<CRealWnd*>(reinterpret_cast<LPCREATESTRUCT>(lParam)->lpCreateParams);
        // Only CRealWnd::Create names the object; a window of this class made otherwise has none.
        if (!WCEUI_CHECK("WceUiRealWndProc", NULL != pWnd)) return -1;
        CRealWnd* pOld = NULL;
        if (!WCEUI_CHECK("WceUiRealWndProc", !map.Lookup(hWnd, pOld))) return -1;
        pWnd->m_hWnd = hWnd;
        map.SetAt(hWnd, pWnd);
        return pWnd->WindowProc(msg, wParam, lParam);
    }
    // A destroyed window's filter entries go with it, so that they cannot fill the table.
    if (WM_DESTROY == msg) CJxGVar::GetInstance()->GetCJxIgnoreMsg()->RemoveHwnd(hWnd);
    if (map.Lookup(hWnd, pWnd)) return pWnd->WindowProc(msg, wParam, lParam);
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

int LowX(LPARAM lParam) { return static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))); }
int HighY(LPARAM lParam) { return static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))); }

}  // namespace

CRealWnd::CRealWnd() {}

CRealWnd::~CRealWnd()
{
    if (::IsWindow(m_hWnd)) {
        JxWriteLogA(JX_LOG_WARNING, "call destroy window in destruct");
        ::DestroyWindow(m_hWnd);
    }
}

LRESULT CRealWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
        return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_DESTROY:
        ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
        Helper()->GetWndMap().RemoveKey(m_hWnd);
        OnDestroy();
        m_hWnd = NULL;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(m_hWnd, &ps);
        OnPaint(hDC, ps.rcPaint);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), LowX(lParam), HighY(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), LowX(lParam), HighY(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), LowX(lParam), HighY(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), LowX(lParam), HighY(lParam)); return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                  HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(lParam); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_TIMER: OnTimer(static_cast<UINT>(wParam)); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WCEUI_WM_IGNORE_CAPTURE: OnCaptureChanged(0); return 0;
    default: return DefaultWindowProc(msg, wParam, lParam);
    }
}

void CRealWnd::OnLButtonDown(UINT, int, int) {}
void CRealWnd::OnLButtonUp(UINT, int, int) {}
void CRealWnd::OnMouseMove(UINT, int, int) {}
void CRealWnd::OnLButtonDblClk(UINT, int, int) {}
void CRealWnd::OnKeyDown(UINT, UINT, UINT) {}
void CRealWnd::OnKeyUp(UINT, UINT, UINT) {}
void CRealWnd::OnCaptureChanged(LPARAM) {}
BOOL CRealWnd::OnEraseBkgnd(HDC) { return TRUE; }
void CRealWnd::OnPaint(HDC, RECT) {}
void CRealWnd::OnTimer(UINT) {}
void CRealWnd::OnClose() { ::DefWindowProcW(m_hWnd, WM_CLOSE, 0, 0); }
void CRealWnd::OnDestroy() {}
int CRealWnd::OnCreate(LPCREATESTRUCT) { return 0; }

LRESULT CRealWnd::DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

BOOL CRealWnd::Create(DWORD dwStyle, const RECT* lpRect, HWND hWndParent)
{
    if (!WCEUI_CHECK("CRealWnd::Create", NULL != lpRect)) return FALSE;
    // One window per object: a second one (DoModal again from OnInitDialog) would take
    // m_hWnd from the first, which nothing could end or destroy any more.
    if (!WCEUI_CHECK("CRealWnd::Create", !::IsWindow(m_hWnd))) return FALSE;
    CQoWndHelper* pHelper = Helper();
    pHelper->RegisterClassOnce(WceUiRealWndProc);
    HWND hWnd = ::CreateWindowExW(0, pHelper->GetClassName(), u"", dwStyle, lpRect->left, lpRect->top,
                                  lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, hWndParent, NULL,
                                  WceUiGetInstanceHandle(), this);
    if (NULL == hWnd) {
        JxWriteLogA(JX_LOG_ERROR, "CreateWindow failed, GetLastError is %d", static_cast<int>(GetLastError()));
        return FALSE;
    }
    return TRUE;
}

BOOL CRealWnd::DestroyWindow()
{
    if (!WCEUI_CHECK("CRealWnd::DestroyWindow", ::IsWindow(m_hWnd))) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void WceUiInvalidateAllWnd()
{
    JXMap<HWND, CRealWnd*>& map = Helper()->GetWndMap();
    JXPOSITION pos = map.GetStartPosition();
    while (pos) {
        HWND hWnd = NULL;
        CRealWnd* pWnd = NULL;
        map.GetNextAssoc(pos, hWnd, pWnd);
        ::InvalidateRect(hWnd, NULL, TRUE);
    }
}
