// windemo: two windows on the display, for trying the display options by hand. A tap on the
// front window puts a mark there; ESCAPE or closing the display ends it.
#include <cstdio>
#include <cstring>
#include <string>

#include "wce/display.h"
#include "wce/platform.h"
#include "wce/window.h"

namespace {

const char kUsage[] =
    "usage: windemo [display options]\n"
    "Shows a background window and a front window; tap the front window to mark a point,\n"
    "press ESCAPE or close the display to end.\n\n";

POINT g_mark{-100, -100};
int g_seconds = 0;

void Fill(HDC dc, int l, int t, int r, int b, COLORREF color)
{
    RECT rc{l, t, r, b};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Text(HDC dc, RECT rc, const std::u16string& text, COLORREF color, UINT format)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawTextW(dc, text.c_str(), -1, &rc, format);
}

LRESULT BackProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        Fill(dc, 0, 0, rc.right, rc.bottom, RGB(20, 40, 90));
        Fill(dc, 0, 0, rc.right, 40, RGB(40, 80, 160));
        std::u16string title = u"windemo - " + std::u16string(1, static_cast<WCHAR>(u'0' + g_seconds % 10)) + u" s";
        RECT line{10, 0, rc.right, 40};
        Text(dc, line, title, RGB(255, 255, 255), DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER: {
        ++g_seconds;
        RECT bar{0, 0, 10000, 40};
        InvalidateRect(hwnd, &bar, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        if (VK_ESCAPE == wParam) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT FrontProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        Fill(dc, 0, 0, rc.right, rc.bottom, RGB(230, 230, 230));
        Fill(dc, 0, 0, rc.right, 2, RGB(120, 120, 120));
        Text(dc, rc, u"Tap me", RGB(0, 0, 0), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        Fill(dc, g_mark.x - 5, g_mark.y - 5, g_mark.x + 5, g_mark.y + 5, RGB(220, 0, 0));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_KEYDOWN: return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
    case WM_LBUTTONDOWN:
        g_mark = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (0 == std::strcmp(argv[i], "--help") || 0 == std::strcmp(argv[i], "-h")) {
            std::printf("%s%s", kUsage, wce::host::kDisplayOptionsHelp);
            return 0;
        }
    }
    wce::host::DisplayOptions options;
    std::string error;
    if (!wce::host::ParseDisplayOptions(argc, argv, options, error) || argc > 1) {
        std::fprintf(stderr, "windemo: %s\n%s", error.empty() ? "unknown argument" : error.c_str(), kUsage);
        return 2;
    }
    if (!wce::host::OpenDisplay(options, error)) {
        std::fprintf(stderr, "windemo: %s\n", error.c_str());
        return 2;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = BackProc;
    wc.lpszClassName = u"DemoBack";
    RegisterClassW(&wc);
    wc.lpfnWndProc = FrontProc;
    wc.lpszClassName = u"DemoFront";
    RegisterClassW(&wc);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HWND back = CreateWindowExW(0, u"DemoBack", u"windemo", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                                nullptr, nullptr);
    CreateWindowExW(0, u"DemoFront", u"front", WS_POPUP | WS_VISIBLE, w / 4, h / 3, w / 2, h / 3, back, nullptr,
                    nullptr, nullptr);
    SetTimer(back, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return wce::host::CloseDisplay() ? 0 : 3;
}
