// Creating and destroying windows, and the default window procedure.
#include <algorithm>
#include <cstring>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"
#include "wce/process.h"

using namespace wce::detail;

namespace {

std::shared_ptr<WindowClass> FindClass(LPCWSTR name)
{
    std::u16string lower = LowerName(name);
    for (auto& c : Wins().classes)
        if (LowerName(c->name.c_str()) == lower) return c;
    return nullptr;
}

void Unlink(Window& w)
{
    auto& siblings = w.parent ? FindWin(w.parent)->children : Wins().topLevel;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), w.handle), siblings.end());
}

// WM_DESTROY once per window: a child marked already heard it, or hears it from a call
// further up (its WM_DESTROY destroyed an ancestor); its children still get theirs.
void SendDestroy(HWND hwnd, bool first)
{
    Window* w = FindWin(hwnd);
    if (!w) return;
    if (first || !w->destroying) {
        w->destroying = true;
        SendMessageW(hwnd, WM_DESTROY, 0, 0);
    }
    w = FindWin(hwnd);
    if (!w) return;
    std::vector<HWND> children = w->children;
    for (HWND child : children) SendDestroy(child, false);
}

void Free(HWND hwnd)
{
    Window* w = FindWin(hwnd);
    if (!w) return;
    std::vector<HWND> children = w->children;
    for (HWND child : children) Free(child);
    WindowSystem& s = Wins();
    KillWindowTimers(hwnd);
    // A capture taken during WM_DESTROY would name a window that no longer exists and take
    // every later pen event; the window is past hearing WM_CAPTURECHANGED.
    if (s.capture == hwnd) s.capture = nullptr;
    if (s.caret.owner == hwnd) DestroyCaret();
    if (s.focus == hwnd) s.focus = nullptr;
    FreeWindowDcs(*w);
    FreeSurface(*w);
    Unlink(*w);
    --w->cls->windows;
    s.windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    if (!className) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<WindowClass> cls = FindClass(className);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parentWin = nullptr;
    if (parent) {
        parentWin = FindWin(parent);
        if (!parentWin) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    const bool child = (style & WS_CHILD) != 0;
    if (child && !parentWin) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    Display();  // the first window opens a display when the program opened none

    WindowSystem& s = Wins();
    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.handle = reinterpret_cast<HWND>(s.nextKey);
    s.nextKey += 4;
    w.number = s.nextNumber++;
    w.cls = cls;
    w.proc = cls->proc;
    w.style = style & ~(WS_VISIBLE | WS_DISABLED);
    w.exStyle = exStyle;
    w.instance = instance ? instance : GetModuleHandleW(nullptr);
    w.id = child ? static_cast<LONG>(reinterpret_cast<std::intptr_t>(menu)) : 0;
    w.enabled = (style & WS_DISABLED) == 0;
    w.rect = RECT{x, y, x + width, y + height};
    w.text = windowName ? windowName : u"";
    if (child)
        w.parent = parent;
    else if (parentWin)
        w.owner = TopLevelOf(parent);
    HWND hwnd = w.handle;
    if (!MakeSurface(w, width, height, true)) return nullptr;
    ++cls->windows;
    s.windows.emplace(reinterpret_cast<std::uintptr_t>(hwnd), std::move(owned));
    if (child)
        parentWin->children.push_back(hwnd);
    else
        s.topLevel.push_back(hwnd);

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = w.instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (-1 == SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        if (FindWin(hwnd)) DestroyWindow(hwnd);
        SetLastError(ERROR_CANCELLED);
        return nullptr;
    }
    if (!FindWin(hwnd)) {
        SetLastError(ERROR_CANCELLED);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    PublishWindows();
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    if (w->destroying) return TRUE;
    PumpInput();
    WindowSystem& s = Wins();
    // Owned windows go first.
    std::vector<HWND> owned;
    for (HWND top : s.topLevel)
        if (Window* o = FindWin(top); o && o->owner == hwnd) owned.push_back(top);
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) DestroyWindow(*it);
    w = FindWin(hwnd);
    if (!w || w->destroying) return TRUE;

    ReleaseCaptureFrom(hwnd);  // before WM_DESTROY, so the window still hears it
    w = FindWin(hwnd);
    if (!w) return TRUE;
    w->destroying = true;
    bool wasShown = IsShown(*w);
    if (wasShown) MarkScreenDirty(ScreenRect(*w));
    w->visible = false;
    if (s.active == hwnd) ActivateAfterLoss(hwnd);
    SendDestroy(hwnd, true);
    Free(hwnd);
    if (s.active && !FindWin(s.active)) ActivateAfterLoss(s.active);
    PublishWindows();
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = FindWin(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (!w->cls->brush) return 0;
        RECT rc = ClientRect(*w);
        return FillRect(reinterpret_cast<HDC>(wParam), &rc, w->cls->brush) ? 1 : 0;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETTEXT: {
        auto text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text ? text : u"";
        if (!w->parent && Wins().active == hwnd && IsDisplayOpen()) Display().backend->TitleChanged();
        PublishWindows();
        return TRUE;
    }
    case WM_GETTEXT: {
        auto buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || 0 == wParam) return 0;
        std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
        std::memcpy(buffer, w->text.data(), n * sizeof(WCHAR));
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETREDRAW: w->redraw = wParam != 0; return 0;
    default: return 0;
    }
}
