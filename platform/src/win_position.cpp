// Showing, enabling, moving and restacking windows; capture, activation and focus.
// Activation and focus send no messages.
#include <algorithm>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"

namespace wce::detail {

void ReleaseCaptureFrom(HWND hwnd)
{
    WindowSystem& s = Wins();
    if (s.capture && IsAncestor(hwnd, s.capture)) ReleaseCapture();
}

void RaiseTopLevel(HWND hwnd)
{
    auto& top = Wins().topLevel;
    auto it = std::find(top.begin(), top.end(), hwnd);
    if (it == top.end() || it + 1 == top.end()) return;
    top.erase(it);
    top.push_back(hwnd);
    if (Window* w = FindWin(hwnd); w && w->visible) MarkScreenDirty(w->rect);
}

void Activate(HWND hwnd)
{
    WindowSystem& s = Wins();
    HWND top = TopLevelOf(hwnd);
    if (!top) return;
    RaiseTopLevel(top);
    if (s.active != top) {
        s.active = top;
        s.focus = nullptr;
        if (IsDisplayOpen()) Display().backend->TitleChanged();
    }
}

void ActivateAfterLoss(HWND lost)
{
    WindowSystem& s = Wins();
    HWND next = nullptr;
    Window* w = FindWin(lost);
    if (w && w->owner) {
        Window* owner = FindWin(w->owner);
        if (owner && owner->visible && owner->enabled && !owner->destroying) next = owner->handle;
    }
    if (!next) {
        for (auto it = s.topLevel.rbegin(); it != s.topLevel.rend(); ++it) {
            Window* candidate = FindWin(*it);
            if (candidate && *it != lost && candidate->visible && candidate->enabled && !candidate->destroying) {
                next = *it;
                break;
            }
        }
    }
    s.active = next;
    s.focus = nullptr;
    if (IsDisplayOpen()) Display().backend->TitleChanged();
}

}  // namespace wce::detail

using namespace wce::detail;

namespace {

// Shows or hides; activation follows unless noActivate.
BOOL SetShown(HWND hwnd, bool show, bool noActivate)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    PumpInput();
    bool was = w->visible;
    if (show && !was) {
        w->visible = true;
        if (IsShown(*w)) {
            InvalidateTree(*w, true);
            MarkScreenDirty(ScreenRect(*w));
        }
    } else if (!show && was) {
        ReleaseCaptureFrom(hwnd);
        w = FindWin(hwnd);
        if (!w) return FALSE;
        if (IsShown(*w)) MarkScreenDirty(ScreenRect(*w));
        w->visible = false;
        WindowSystem& s = Wins();
        if (!noActivate && !w->parent && s.active == hwnd) ActivateAfterLoss(hwnd);
        if (s.focus && IsAncestor(hwnd, s.focus)) s.focus = nullptr;
    }
    if (show && !w->parent && !noActivate) Activate(hwnd);
    PublishWindows();
    return was ? TRUE : FALSE;
}

void Restack(Window& w, HWND after)
{
    if (HWND_NOTOPMOST == after) return;
    auto& siblings = w.parent ? FindWin(w.parent)->children : Wins().topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), w.handle);
    if (it == siblings.end()) return;
    siblings.erase(it);
    if (HWND_TOP == after || HWND_TOPMOST == after) {
        siblings.push_back(w.handle);
    } else if (HWND_BOTTOM == after) {
        siblings.insert(siblings.begin(), w.handle);
    } else {
        // Below the named sibling; at the top when it is not one.
        auto pos = std::find(siblings.begin(), siblings.end(), after);
        siblings.insert(pos == siblings.end() ? siblings.end() : pos, w.handle);
    }
    if (IsShown(w)) MarkScreenDirty(ScreenRect(w));
}

void Reposition(Window& w, int x, int y, int cx, int cy, bool repaint)
{
    bool shown = IsShown(w);
    if (shown) MarkScreenDirty(ScreenRect(w));
    if (cx < 0) cx = 0;
    if (cy < 0) cy = 0;
    bool resized = cx != w.rect.right - w.rect.left || cy != w.rect.bottom - w.rect.top;
    w.rect = RECT{x, y, x + cx, y + cy};
    if (resized) {
        ResizeSurface(w, cx, cy);
        if (repaint) InvalidateTree(w, true);
        RECT client = ClientRect(w);
        IntersectRect(&w.update, &w.update, &client);
    }
    if (shown) MarkScreenDirty(ScreenRect(w));
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd)
{
    if (IsForeignWindow(hwnd)) return RaiseForeignWindow(hwnd) ? TRUE : FALSE;
    if (SW_HIDE == cmd) return SetShown(hwnd, false, false);
    return SetShown(hwnd, true, SW_SHOWNOACTIVATE == cmd || SW_SHOWNA == cmd);
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    PumpInput();
    bool wasDisabled = !w->enabled;
    w->enabled = enable != FALSE;
    if (!w->enabled) ReleaseCaptureFrom(hwnd);
    return wasDisabled ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    PumpInput();
    Reposition(*w, x, y, cx, cy, repaint != FALSE);
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    PumpInput();
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        int nx = (flags & SWP_NOMOVE) ? w->rect.left : x;
        int ny = (flags & SWP_NOMOVE) ? w->rect.top : y;
        int ncx = (flags & SWP_NOSIZE) ? w->rect.right - w->rect.left : cx;
        int ncy = (flags & SWP_NOSIZE) ? w->rect.bottom - w->rect.top : cy;
        Reposition(*w, nx, ny, ncx, ncy, !(flags & SWP_NOREDRAW));
    }
    if (!(flags & SWP_NOZORDER)) Restack(*w, after);
    bool noActivate = (flags & SWP_NOACTIVATE) != 0;
    if (flags & SWP_HIDEWINDOW) SetShown(hwnd, false, noActivate);
    if (flags & SWP_SHOWWINDOW) SetShown(hwnd, true, noActivate);
    return TRUE;
}

HWND SetCapture(HWND hwnd)
{
    WindowSystem& s = Wins();
    if (!LookupWin(hwnd)) return nullptr;
    PumpInput();
    HWND old = s.capture;
    s.capture = hwnd;
    if (old && old != hwnd && FindWin(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    WindowSystem& s = Wins();
    HWND old = s.capture;
    s.capture = nullptr;
    if (old && FindWin(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return Wins().capture; }

HWND GetActiveWindow() { return Wins().active; }
HWND GetForegroundWindow() { return Wins().active; }

HWND SetActiveWindow(HWND hwnd)
{
    if (!LookupWin(hwnd)) return nullptr;
    HWND old = Wins().active;
    Activate(hwnd);
    return old;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (IsForeignWindow(hwnd)) return RaiseForeignWindow(hwnd) ? TRUE : FALSE;
    if (!LookupWin(hwnd)) return FALSE;
    Activate(hwnd);
    if (IsDisplayOpen()) Display().backend->RaiseWindow();
    return TRUE;
}

HWND GetFocus()
{
    WindowSystem& s = Wins();
    if (s.focus && FindWin(s.focus) && TopLevelOf(s.focus) == s.active) return s.focus;
    return s.active;
}

HWND SetFocus(HWND hwnd)
{
    WindowSystem& s = Wins();
    HWND old = GetFocus();
    if (!hwnd) {
        s.focus = nullptr;
        return old;
    }
    if (!LookupWin(hwnd)) return nullptr;
    if (TopLevelOf(hwnd) != s.active) Activate(hwnd);
    s.focus = hwnd;
    return old;
}
