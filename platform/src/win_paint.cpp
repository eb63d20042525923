// Invalidation, WM_PAINT and window device contexts. A window DC draws into the window's
// surface at the client origin, clipped to the paint rectangle or the client area; ending
// the paint (or releasing the DC) presents what was drawn.
#include <algorithm>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"

namespace wce::detail {

HDC MakeWindowDc(Window& w, const RECT& clip)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    SelectObject(dc, w.surface);
    SetDcBaseClip(dc, &clip);
    w.dcs.push_back(dc);
    Wins().windowDcs[reinterpret_cast<std::uintptr_t>(dc)] = w.handle;
    return dc;
}

void FreeWindowDcs(Window& w)
{
    for (HDC dc : w.dcs) {
        Wins().windowDcs.erase(reinterpret_cast<std::uintptr_t>(dc));
        DeleteDC(dc);
    }
    w.dcs.clear();
}

void InvalidateTree(Window& w, bool erase)
{
    w.update = ClientRect(w);
    w.erase = w.erase || erase;
    for (HWND child : w.children)
        if (Window* c = FindWin(child); c && c->visible) InvalidateTree(*c, erase);
}

}  // namespace wce::detail

using namespace wce::detail;

namespace {

bool ReleaseWindowDc(HWND hwnd, HDC dc, RECT* screenArea)
{
    WindowSystem& s = Wins();
    auto it = s.windowDcs.find(reinterpret_cast<std::uintptr_t>(dc));
    if (it == s.windowDcs.end() || it->second != hwnd) return false;
    s.windowDcs.erase(it);
    if (Window* w = FindWin(hwnd)) {
        w->dcs.erase(std::remove(w->dcs.begin(), w->dcs.end(), dc), w->dcs.end());
        if (screenArea) *screenArea = ScreenRect(*w);
    }
    DeleteDC(dc);
    return true;
}

void PresentClient(HWND hwnd, const RECT& client)
{
    Window* w = FindWin(hwnd);
    if (!w || !IsShown(*w) || IsRectEmpty(&client)) return;
    RECT screen = ScreenRect(*w);
    RECT area = client;
    OffsetRect(&area, screen.left, screen.top);
    IntersectRect(&area, &area, &screen);
    PresentArea(area);
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    RECT client = ClientRect(*w);
    RECT add = client;
    if (rect) IntersectRect(&add, rect, &client);
    if (IsRectEmpty(&add)) return TRUE;
    if (IsRectEmpty(&w->update))
        w->update = add;
    else
        UnionRect(&w->update, &w->update, &add);
    if (erase) w->erase = true;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    RECT covered{};
    if (!rect || (UnionRect(&covered, rect, &w->update) && EqualRect(&covered, rect))) {
        SetRectEmpty(&w->update);
        w->erase = false;
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    Window* w = LookupWin(hwnd);
    if (!w) return FALSE;
    if (!IsRectEmpty(&w->update) && w->redraw && IsShown(*w)) SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    Window* w = LookupWin(hwnd);
    if (!w) return nullptr;
    if (!ps) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *ps = PAINTSTRUCT{};
    ps->rcPaint = w->update;
    bool erase = w->erase;
    SetRectEmpty(&w->update);
    w->erase = false;
    HDC dc = MakeWindowDc(*w, ps->rcPaint);
    if (!dc) return nullptr;
    ps->hdc = dc;
    if (erase) ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps) return FALSE;
    if (!ReleaseWindowDc(hwnd, ps->hdc, nullptr)) {
        if (!FindWin(hwnd)) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PresentClient(hwnd, ps->rcPaint);
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    if (!hwnd) {
        DisplayState& display = Display();
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return nullptr;
        SelectObject(dc, display.screenBitmap);
        Wins().windowDcs[reinterpret_cast<std::uintptr_t>(dc)] = nullptr;
        return dc;
    }
    Window* w = LookupWin(hwnd);
    if (!w) return nullptr;
    return MakeWindowDc(*w, ClientRect(*w));
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC dc)
{
    if (!hwnd) {
        WindowSystem& s = Wins();
        auto it = s.windowDcs.find(reinterpret_cast<std::uintptr_t>(dc));
        if (it == s.windowDcs.end() || it->second) return 0;
        s.windowDcs.erase(it);
        RECT area{};
        GetClipBox(dc, &area);
        DeleteDC(dc);
        PresentArea(area, false);  // the screen DC drew the picture itself
        return 1;
    }
    RECT area{};
    if (!ReleaseWindowDc(hwnd, dc, &area)) return 0;
    if (Window* w = FindWin(hwnd); w && IsShown(*w)) PresentArea(area);
    return 1;
}
