// The caret: one per program, created hidden. It is drawn by inverting its rectangle on the
// presented screen only, so window surfaces never hold it; changes are presented before the
// program waits.
#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"

namespace wce::detail {

bool CaretScreenRect(RECT& rc)
{
    const Caret& caret = Wins().caret;
    Window* w = FindWin(caret.owner);
    if (!w || caret.hideCount > 0 || !IsShown(*w)) return false;
    RECT screen = ScreenRect(*w);
    rc = RECT{caret.pos.x, caret.pos.y, caret.pos.x + caret.width, caret.pos.y + caret.height};
    OffsetRect(&rc, screen.left, screen.top);
    return IntersectRect(&rc, &rc, &screen) != FALSE;
}

}  // namespace wce::detail

using namespace wce::detail;

namespace {

void MarkCaret()
{
    RECT rc{};
    if (CaretScreenRect(rc)) MarkScreenDirty(rc);
}

bool OwnsCaret(HWND hwnd)
{
    Caret& caret = Wins().caret;
    if (!caret.owner || (hwnd && hwnd != caret.owner)) {
        SetLastError(hwnd && !FindWin(hwnd) ? static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE)
                                           : static_cast<DWORD>(ERROR_ACCESS_DENIED));
        return false;
    }
    return true;
}

}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height)
{
    if (!LookupWin(hwnd)) return FALSE;
    DestroyCaret();
    Caret& caret = Wins().caret;
    caret = Caret{};
    caret.owner = hwnd;
    caret.width = width > 0 ? width : 1;
    caret.height = height > 0 ? height : 1;
    return TRUE;
}

BOOL DestroyCaret()
{
    Caret& caret = Wins().caret;
    if (!caret.owner) return FALSE;
    MarkCaret();
    caret = Caret{};
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    if (!OwnsCaret(nullptr)) return FALSE;
    MarkCaret();
    Wins().caret.pos = POINT{x, y};
    MarkCaret();
    return TRUE;
}

BOOL GetCaretPos(POINT* pt)
{
    if (!pt || !OwnsCaret(nullptr)) return FALSE;
    *pt = Wins().caret.pos;
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    if (!OwnsCaret(hwnd)) return FALSE;
    Caret& caret = Wins().caret;
    if (caret.hideCount > 0 && 0 == --caret.hideCount) MarkCaret();
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    if (!OwnsCaret(hwnd)) return FALSE;
    MarkCaret();
    ++Wins().caret.hideCount;
    return TRUE;
}

UINT GetCaretBlinkTime() { return 500; }
