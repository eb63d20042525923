// The message queue: retrieval in its fixed order, posting, sending, dispatching, the quit
// request and registered messages.
#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"

using namespace wce::detail;

namespace {

constexpr std::size_t kMaxPosted = 10000;

bool TakeFrom(std::deque<MSG>& queue, HWND filter, UINT minMsg, UINT maxMsg, bool remove, MSG& msg)
{
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!MessageMatches(*it, filter, minMsg, maxMsg)) continue;
        msg = *it;
        if (remove) queue.erase(it);
        return true;
    }
    return false;
}

bool TakePaint(HWND filter, UINT minMsg, UINT maxMsg, DWORD now, MSG& msg)
{
    for (Window* w : WindowsTopmostFirst()) {
        if (IsRectEmpty(&w->update) || !w->redraw || w->destroying || !IsShown(*w)) continue;
        MSG paint{w->handle, WM_PAINT, 0, 0, now, {0, 0}};
        if (!MessageMatches(paint, filter, minMsg, maxMsg)) continue;
        msg = paint;
        return true;
    }
    return false;
}

void QuitMessage(MSG& msg, int code)
{
    msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(code), 0, Now(), {0, 0}};
}

// One retrieval attempt in the fixed order.
bool Retrieve(MSG& msg, HWND filter, UINT minMsg, UINT maxMsg, bool remove)
{
    WindowSystem& s = Wins();
    DisplayState& display = Display();
    if (display.ended) {
        QuitMessage(msg, s.quitCode);
        return true;
    }
    display.backend->Pump();
    TakeRaiseRequests();
    if (TakeFrom(s.posted, filter, minMsg, maxMsg, remove, msg)) return true;
    if (s.quitPending) {
        QuitMessage(msg, s.quitCode);
        if (remove) s.quitPending = false;
        return true;
    }
    if (TakeFrom(s.input, filter, minMsg, maxMsg, remove, msg)) return true;
    DWORD now = Now();
    if (TakePaint(filter, minMsg, maxMsg, now, msg)) return true;
    return TakeDueTimer(filter, minMsg, maxMsg, remove, now, msg);
}

}  // namespace

namespace wce::detail {

bool MessageMatches(const MSG& msg, HWND filter, UINT minMsg, UINT maxMsg)
{
    if (filter && !IsAncestor(filter, msg.hwnd)) return false;
    if (0 == minMsg && 0 == maxMsg) return true;
    return msg.message >= minMsg && msg.message <= maxMsg;
}

}  // namespace wce::detail

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT minMsg, UINT maxMsg)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && !FindWin(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    for (;;) {
        if (Retrieve(*msg, hwnd, minMsg, maxMsg, true)) return WM_QUIT == msg->message ? FALSE : TRUE;
        if (!Display().backend->Idle()) EndRun();
    }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT removeMsg)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Retrieve(*msg, hwnd, minMsg, maxMsg, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || WM_KEYDOWN != msg->message) return FALSE;
    WCHAR ch = 0;
    switch (msg->wParam) {
    case VK_BACK: ch = 8; break;
    case VK_TAB: ch = 9; break;
    case VK_RETURN: ch = 13; break;
    case VK_ESCAPE: ch = 27; break;
    default: return FALSE;
    }
    // Retrieved next, before anything else waiting.
    Wins().posted.push_front(MSG{msg->hwnd, WM_CHAR, ch, msg->lParam, msg->time, msg->pt});
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg) return 0;
    Window* w = FindWin(msg->hwnd);
    if (WM_TIMER == msg->message && msg->lParam) {
        if (TraceOn() && w)
            Trace("dispatch %s 0x%04X 0x%llX 0x%llX", WindowName(msg->hwnd).c_str(), msg->message,
                  static_cast<unsigned long long>(msg->wParam), static_cast<unsigned long long>(msg->lParam));
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (w || !msg->hwnd) proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!w) return 0;  // posted before its window went away
    if (TraceOn()) {
        UINT m = msg->message;
        bool params = WM_TIMER == m || (m >= WM_KEYDOWN && m <= WM_CHAR) || (m >= WM_MOUSEMOVE && m <= WM_LBUTTONDBLCLK);
        if (params)
            Trace("dispatch %s 0x%04X 0x%llX 0x%llX", WindowName(msg->hwnd).c_str(), m,
                  static_cast<unsigned long long>(msg->wParam),
                  static_cast<unsigned long long>(static_cast<std::uint32_t>(msg->lParam)));
        else
            Trace("dispatch %s 0x%04X", WindowName(msg->hwnd).c_str(), m);
    }
    return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !FindWin(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    WindowSystem& s = Wins();
    if (s.posted.size() >= kMaxPosted) {
        SetLastError(ERROR_POSTMESSAGE_FAILED);
        return FALSE;
    }
    POINT pt{0, 0};
    s.posted.push_back(MSG{hwnd, message, wParam, lParam, Now(), pt});
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = LookupWin(hwnd);
    if (!w) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    Wins().quitPending = true;
    Wins().quitCode = exitCode;
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowSystem& s = Wins();
    std::u16string key = LowerName(name);
    auto it = s.registered.find(key);
    if (it != s.registered.end()) return it->second;
    if (s.nextRegistered > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT id = s.nextRegistered++;
    s.registered.emplace(key, id);
    return id;
}
