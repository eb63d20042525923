// Input from the display, routed when the platform takes it, under the window state of that
// moment: pen events to the capture window or the window under the point, keys and
// characters to the focus window.
#include "display_internal.h"
#include "win_internal.h"

namespace wce::detail {
namespace {

bool EnabledWithParents(const Window& w)
{
    for (const Window* p = &w; p; p = FindWin(p->parent))
        if (!p->enabled) return false;
    return true;
}

void Queue(const MSG& msg, bool coalesceMove)
{
    auto& input = Wins().input;
    if (coalesceMove && !input.empty() && WM_MOUSEMOVE == input.back().message && input.back().hwnd == msg.hwnd) {
        input.back() = msg;  // only the newest position of an unretrieved move matters
        return;
    }
    input.push_back(msg);
}

// The focus window when it can take keys; null when the key is dropped.
Window* KeyTarget()
{
    Window* w = FindWin(GetFocus());
    return w && EnabledWithParents(*w) && !w->destroying ? w : nullptr;
}

}  // namespace

void RoutePen(PenEvent kind, int x, int y, DWORD tick)
{
    static const char* const kNames[] = {"pen-down", "pen-move", "pen-up"};
    const char* name = kNames[static_cast<int>(kind)];
    WindowSystem& s = Wins();
    bool wasDown = s.penDown;
    if (PenEvent::Down == kind) s.penDown = true;
    if (PenEvent::Up == kind) s.penDown = false;
    Window* target = nullptr;
    if (PenEvent::Move != kind || wasDown) {
        POINT pt{x, y};
        target = s.capture ? FindWin(s.capture) : WindowAt(pt);
        if (target && (!EnabledWithParents(*target) || target->destroying)) target = nullptr;
    }
    if (TraceOn()) Trace("input %s %d %d %s", name, x, y, target ? WindowName(target->handle).c_str() : "dropped");
    if (!target) return;
    RECT origin = ScreenRect(*target);
    MSG msg{};
    msg.hwnd = target->handle;
    msg.message = PenEvent::Down == kind ? WM_LBUTTONDOWN : PenEvent::Move == kind ? WM_MOUSEMOVE : WM_LBUTTONUP;
    msg.wParam = PenEvent::Up == kind ? 0 : static_cast<WPARAM>(MK_LBUTTON);
    msg.lParam = MAKELPARAM(x - origin.left, y - origin.top);
    msg.time = tick;
    msg.pt = POINT{x, y};
    Queue(msg, PenEvent::Move == kind);
}

void RouteKey(bool down, UINT vk, bool repeat, DWORD tick)
{
    Window* target = KeyTarget();
    if (TraceOn())
        Trace("input %s 0x%02X %s", down ? "key-down" : "key-up", vk,
              target ? WindowName(target->handle).c_str() : "dropped");
    if (!target) return;
    LPARAM lParam = down ? (repeat ? 0x40000001 : 0x00000001) : static_cast<LPARAM>(0xC0000001u);
    Queue(MSG{target->handle, down ? WM_KEYDOWN : WM_KEYUP, vk, lParam, tick, {0, 0}}, false);
}

void RouteChar(WCHAR ch, DWORD tick)
{
    Window* target = KeyTarget();
    if (TraceOn())
        Trace("input char 0x%04X %s", static_cast<unsigned>(ch), target ? WindowName(target->handle).c_str() : "dropped");
    if (!target) return;
    Queue(MSG{target->handle, WM_CHAR, ch, 1, tick, {0, 0}}, false);
}

bool PostCloseRequest()
{
    WindowSystem& s = Wins();
    HWND target = nullptr;
    if (Window* active = FindWin(s.active); active && !active->destroying) target = active->handle;
    for (auto it = s.topLevel.rbegin(); !target && it != s.topLevel.rend(); ++it)
        if (Window* w = FindWin(*it); w && w->visible && !w->destroying) target = *it;
    return target && PostMessageW(target, WM_CLOSE, 0, 0);
}

}  // namespace wce::detail
