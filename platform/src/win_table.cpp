// The window table and classes, and the queries that only read a window: geometry,
// relations, styles and texts.
#include <algorithm>
#include <cstring>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"
#include "wce/process.h"

namespace wce::detail {

WindowSystem& Wins()
{
    static WindowSystem* system = new WindowSystem;  // never destroyed: used from static destructors
    return *system;
}

void ResetWhenNoWindows()
{
    WindowSystem& s = Wins();
    if (!s.windows.empty()) return;
    s.nextNumber = 1;
    s.posted.clear();
    s.input.clear();
    s.quitPending = false;
    s.timers.clear();
    s.capture = s.active = s.focus = nullptr;
    s.penDown = false;
}

Window* FindWin(HWND hwnd)
{
    auto& table = Wins().windows;
    auto it = table.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == table.end() ? nullptr : it->second.get();
}

Window* LookupWin(HWND hwnd)
{
    Window* w = FindWin(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

std::u16string LowerName(LPCWSTR name)
{
    std::u16string lower;
    for (; name && *name; ++name) lower += (*name >= u'A' && *name <= u'Z') ? WCHAR(*name + 32) : *name;
    return lower;
}

RECT ClientRect(const Window& w) { return RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top}; }

RECT ScreenRect(const Window& w)
{
    RECT rc = w.rect;
    for (Window* p = FindWin(w.parent); p; p = FindWin(p->parent)) OffsetRect(&rc, p->rect.left, p->rect.top);
    return rc;
}

bool IsShown(const Window& w)
{
    for (const Window* p = &w; p; p = FindWin(p->parent))
        if (!p->visible) return false;
    return true;
}

bool IsAncestor(HWND ancestor, HWND hwnd)
{
    for (Window* w = FindWin(hwnd); w; w = FindWin(w->parent))
        if (w->handle == ancestor) return true;
    return false;
}

HWND TopLevelOf(HWND hwnd)
{
    Window* w = FindWin(hwnd);
    while (w && w->parent) w = FindWin(w->parent);
    return w ? w->handle : nullptr;
}

namespace {

void AddTopmostFirst(Window& w, std::vector<Window*>& out)
{
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it)
        if (Window* child = FindWin(*it)) AddTopmostFirst(*child, out);
    out.push_back(&w);
}

Window* HitChild(Window& w, POINT pt)
{
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        Window* child = FindWin(*it);
        if (!child || !child->visible) continue;
        RECT rc = ScreenRect(*child);
        if (PtInRect(&rc, pt)) return HitChild(*child, pt);
    }
    return &w;
}

}  // namespace

std::vector<Window*> WindowsTopmostFirst()
{
    std::vector<Window*> out;
    auto& top = Wins().topLevel;
    for (auto it = top.rbegin(); it != top.rend(); ++it)
        if (Window* w = FindWin(*it)) AddTopmostFirst(*w, out);
    return out;
}

Window* WindowAt(POINT pt)
{
    auto& top = Wins().topLevel;
    for (auto it = top.rbegin(); it != top.rend(); ++it) {
        Window* w = FindWin(*it);
        if (!w || !w->visible) continue;
        if (PtInRect(&w->rect, pt)) return HitChild(*w, pt);
    }
    return nullptr;
}

std::string WindowName(HWND hwnd)
{
    Window* w = FindWin(hwnd);
    return w ? "w" + std::to_string(w->number) : std::string("w?");
}

}  // namespace wce::detail

using namespace wce::detail;

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& classes = Wins().classes;
    std::u16string name = LowerName(wc->lpszClassName);
    for (auto& c : classes)
        if (LowerName(c->name.c_str()) == name) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    auto c = std::make_shared<WindowClass>();
    c->name = wc->lpszClassName;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->instance = wc->hInstance;
    c->brush = wc->hbrBackground;
    classes.push_back(c);
    return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    if (!className) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& classes = Wins().classes;
    std::u16string name = LowerName(className);
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (LowerName((*it)->name.c_str()) != name) continue;
        if ((*it)->windows > 0) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
}

BOOL IsWindow(HWND hwnd) { return FindWin(hwnd) || IsForeignWindow(hwnd) ? TRUE : FALSE; }

BOOL IsWindowEnabled(HWND hwnd)
{
    Window* w = LookupWin(hwnd);
    return w && w->enabled ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    Window* w = LookupWin(hwnd);
    return w && IsShown(*w) ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rc)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    if (!rc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rc = ScreenRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rc)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    if (!rc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rc = ClientRect(*w);
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt)
{
    Window* w = LookupWin(hwnd);
    if (!w || !pt) return FALSE;
    RECT rc = ScreenRect(*w);
    pt->x -= rc.left;
    pt->y -= rc.top;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt)
{
    Window* w = LookupWin(hwnd);
    if (!w || !pt) return FALSE;
    RECT rc = ScreenRect(*w);
    pt->x += rc.left;
    pt->y += rc.top;
    return TRUE;
}

HWND GetParent(HWND hwnd)
{
    Window* w = LookupWin(hwnd);
    if (!w) return nullptr;
    return w->parent ? w->parent : w->owner;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    Window* w = LookupWin(hwnd);
    if (!w) return nullptr;
    if (GW_OWNER == cmd) return w->owner;
    if (GW_CHILD == cmd) return w->children.empty() ? nullptr : w->children.back();
    Window* parent = FindWin(w->parent);
    // Siblings run from the top of the Z-order down.
    std::vector<HWND> siblings = parent ? parent->children : Wins().topLevel;
    std::reverse(siblings.begin(), siblings.end());
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return (it + 1) < siblings.end() ? *(it + 1) : nullptr;
    case GW_HWNDPREV: return it > siblings.begin() ? *(it - 1) : nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    Window* w = LookupWin(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE: {
        DWORD style = w->style;
        if (w->visible) style |= WS_VISIBLE;
        if (!w->enabled) style |= WS_DISABLED;
        return static_cast<LONG>(style);
    }
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return w->id;
    case GWL_USERDATA: return w->userData;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    if (!LookupWin(hwnd)) return FALSE;
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (!LookupWin(hwnd)) return 0;
    if (!buffer || maxCount <= 0) return 0;
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd)
{
    if (!LookupWin(hwnd)) return 0;
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title)
{
    std::u16string cls = className ? LowerName(className) : u"";
    std::u16string name = title ? LowerName(title) : u"";
    for (Window* w : WindowsTopmostFirst()) {
        if (w->parent || w->destroying) continue;
        if (className && LowerName(w->cls->name.c_str()) != cls) continue;
        if (title && LowerName(w->text.c_str()) != name) continue;
        return w->handle;
    }
    return FindForeignWindow(className, title);
}
