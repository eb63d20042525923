// The window manager's state, shared by the files that implement the window calls: the
// window and class tables, the Z-order, the queue, timers, capture, activation and caret.
// Everything here belongs to the user-interface thread.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "wce/window.h"

namespace wce::detail {

struct WindowClass {
    std::u16string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HBRUSH brush = nullptr;
    int windows = 0;
};

struct Window {
    HWND handle = nullptr;
    unsigned number = 0;  // w1, w2 ... in creation order, for the trace
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    LONG id = 0;
    LONG userData = 0;
    HWND parent = nullptr;  // children only
    HWND owner = nullptr;   // top-level windows only
    std::vector<HWND> children;  // bottom to top
    RECT rect{};  // in the parent's client coordinates, or on the screen
    std::u16string text;
    bool visible = false;
    bool enabled = true;
    bool redraw = true;
    bool destroying = false;
    RECT update{};  // client coordinates; empty when valid
    bool erase = false;
    HBITMAP surface = nullptr;
    std::vector<HDC> dcs;  // window DCs not yet released
};

// A window of another process found by FindWindowW.
struct ForeignWindow {
    int pid = 0;
    unsigned long long start = 0;  // the process's start time: a reused id is another process
    unsigned number = 0;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 1;
    TIMERPROC proc = nullptr;
    DWORD due = 0;
    std::uint64_t order = 0;
};

struct Caret {
    HWND owner = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hideCount = 1;
};

struct WindowSystem {
    std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::unordered_map<std::uintptr_t, ForeignWindow> foreign;
    std::uintptr_t nextKey = 0x20001;  // 1 modulo 4: never a GDI or kernel handle
    unsigned nextNumber = 1;
    std::vector<HWND> topLevel;  // bottom to top
    std::vector<std::shared_ptr<WindowClass>> classes;

    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    std::uint64_t timerOrder = 0;
    UINT_PTR nextThreadTimer = 1;
    std::map<std::u16string, UINT> registered;  // lower-case name -> id
    UINT nextRegistered = 0xC000;

    HWND capture = nullptr;
    HWND active = nullptr;
    HWND focus = nullptr;
    Caret caret;
    bool penDown = false;

    std::unordered_map<std::uintptr_t, HWND> windowDcs;  // DC -> window
    HDC screenDc = nullptr;
};

WindowSystem& Wins();
// A display opened with no window left starts afresh: numbering, queue, pen and quit state.
void ResetWhenNoWindows();
Window* FindWin(HWND hwnd);
// As FindWin, but sets ERROR_INVALID_WINDOW_HANDLE when the handle is not a window.
Window* LookupWin(HWND hwnd);
std::u16string LowerName(LPCWSTR name);

// Geometry and visibility.
RECT ScreenRect(const Window& w);  // the window on the screen
RECT ClientRect(const Window& w);  // (0, 0, width, height)
bool IsShown(const Window& w);     // visible, and every parent too
bool IsAncestor(HWND ancestor, HWND hwnd);  // also true when equal
HWND TopLevelOf(HWND hwnd);
// Top-level windows and their children, topmost first (children before their parent).
std::vector<Window*> WindowsTopmostFirst();
// The topmost shown window containing the screen point, children first; null when none.
Window* WindowAt(POINT pt);

// Invalidation of the whole client area of a window and its shown descendants.
void InvalidateTree(Window& w, bool erase);
// Capture, activation and focus when a window goes away or is hidden.
void ReleaseCaptureFrom(HWND hwnd);  // when the capture is held by hwnd or a descendant
void ActivateAfterLoss(HWND lost);
void RaiseTopLevel(HWND hwnd);
void Activate(HWND hwnd);

// Surfaces and the screen (win_compose.cpp).
bool MakeSurface(Window& w, int width, int height, bool copyScreen);
void ResizeSurface(Window& w, int width, int height);
void FreeSurface(Window& w);
void MarkScreenDirty(const RECT& screenRect);
void PresentPending();
// A new screen starts with nothing waiting: an area left by a closed display's windows would
// otherwise show as an extra frame of the next one.
void ForgetPendingArea();
// Composes the area from the windows (unless the screen DC drew it) and presents it.
void PresentArea(const RECT& screenArea, bool compose = true);
void ComposeArea(const RECT& screenArea);

// The caret on the presented screen, in screen coordinates; false when none shows.
bool CaretScreenRect(RECT& rc);

// Input from the display, routed under the state of the moment it is taken.
enum class PenEvent { Down, Move, Up };
void RoutePen(PenEvent kind, int x, int y, DWORD tick);
void RouteKey(bool down, UINT vk, bool repeat, DWORD tick);
void RouteChar(WCHAR ch, DWORD tick);
// WM_CLOSE to the active top-level window, else the topmost shown one; false when none.
bool PostCloseRequest();

// Timers (win_timer.cpp).
void KillWindowTimers(HWND hwnd);
// The earliest due time after now; false when no timer is due later.
bool NextTimerDue(DWORD& due);
bool TakeDueTimer(HWND filter, UINT minMsg, UINT maxMsg, bool remove, DWORD now, MSG& msg);
bool MessageMatches(const MSG& msg, HWND filter, UINT minMsg, UINT maxMsg);

// Window DCs (win_paint.cpp).
HDC MakeWindowDc(Window& w, const RECT& clip);
void FreeWindowDcs(Window& w);

// The table of titled top-level windows shared with other processes (win_instances.cpp).
// The folder below /tmp where the processes on this device list their windows.
std::string WindowListFolder();
void PublishWindows();
void TakeRaiseRequests();
HWND FindForeignWindow(LPCWSTR className, LPCWSTR title);
bool IsForeignWindow(HWND hwnd);
bool RaiseForeignWindow(HWND hwnd);

}  // namespace wce::detail
