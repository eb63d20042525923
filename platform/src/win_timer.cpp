// Timers. A due timer gives one WM_TIMER when it is retrieved and is then due again one
// elapse after that moment, so a program that falls behind never gets a backlog.
#include <algorithm>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"

namespace wce::detail {

namespace {
constexpr UINT kMaxTimerElapse = 0x7FFFFFFF;
bool IsDue(const Timer& t, DWORD now) { return static_cast<std::int32_t>(now - t.due) >= 0; }
}  // namespace

void KillWindowTimers(HWND hwnd)
{
    auto& timers = Wins().timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
}

bool NextTimerDue(DWORD& due)
{
    // Timers due already are not counted: the caller found nothing to retrieve, so those are
    // filtered out, and waiting for them would wait for ever.
    DWORD now = Now();
    std::int32_t best = INT32_MAX;
    bool found = false;
    for (const Timer& t : Wins().timers) {
        std::int32_t left = static_cast<std::int32_t>(t.due - now);
        if (left <= 0) continue;
        best = std::min(best, left);
        found = true;
    }
    if (found) due = now + static_cast<DWORD>(best);
    return found;
}

bool TakeDueTimer(HWND filter, UINT minMsg, UINT maxMsg, bool remove, DWORD now, MSG& msg)
{
    Timer* best = nullptr;
    for (Timer& t : Wins().timers) {
        if (!IsDue(t, now)) continue;
        MSG candidate{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, {0, 0}};
        if (!MessageMatches(candidate, filter, minMsg, maxMsg)) continue;
        if (!best || static_cast<std::int32_t>(t.due - best->due) < 0 ||
            (t.due == best->due && t.order < best->order))
            best = &t;
    }
    if (!best) return false;
    msg = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), now, {0, 0}};
    if (remove) best->due = now + best->elapse;
    return true;
}

}  // namespace wce::detail

using namespace wce::detail;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (hwnd && !LookupWin(hwnd)) return 0;
    Display();
    WindowSystem& s = Wins();
    if (0 == elapse) elapse = 1;
    // Due ticks are compared as signed differences: a longer elapse (INFINITE passed by
    // mistake) would be due at once and fire on every retrieval.
    if (elapse > kMaxTimerElapse) elapse = kMaxTimerElapse;
    if (!hwnd) {
        // Thread timers get an id of their own unless they name one that exists.
        bool exists = std::any_of(s.timers.begin(), s.timers.end(),
                                  [&](const Timer& t) { return !t.hwnd && t.id == id && id != 0; });
        if (!exists) id = s.nextThreadTimer++;
    }
    DWORD due = Now() + elapse;
    for (Timer& t : s.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = due;
            return hwnd ? (id ? id : 1) : id;
        }
    }
    s.timers.push_back(Timer{hwnd, id, elapse, proc, due, s.timerOrder++});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    if (hwnd && !LookupWin(hwnd)) return FALSE;
    auto& timers = Wins().timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(it);
    // A WM_TIMER already posted stays; a due one not yet retrieved goes with the timer.
    return TRUE;
}
