// The rectangle helpers. Right and bottom are exclusive; a null pointer fails.
#include "wce/files.h"
#include "wce/gdi.h"

namespace {
// Offsets wrap instead of overflowing: a rectangle near the limits is the caller's problem,
// not undefined behaviour.
LONG Add(LONG a, int b) { return static_cast<LONG>(static_cast<DWORD>(a) + static_cast<DWORD>(b)); }
LONG Sub(LONG a, int b) { return static_cast<LONG>(static_cast<DWORD>(a) - static_cast<DWORD>(b)); }

BOOL Fail()
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
}  // namespace

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom)
{
    if (!lprc) return Fail();
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc)
{
    if (!lprcDst || !lprcSrc) return Fail();
    *lprcDst = *lprcSrc;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* lprc) { return !lprc || lprc->right <= lprc->left || lprc->bottom <= lprc->top; }

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL IntersectRect(LPRECT lprcDst, const RECT* a, const RECT* b)
{
    if (!lprcDst || !a || !b) return Fail();
    RECT r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
           a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
    if (IsRectEmpty(&r)) {
        *lprcDst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *lprcDst = r;
    return TRUE;
}

BOOL UnionRect(LPRECT lprcDst, const RECT* a, const RECT* b)
{
    if (!lprcDst || !a || !b) return Fail();
    if (IsRectEmpty(a) && IsRectEmpty(b)) {
        *lprcDst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (IsRectEmpty(a)) {
        *lprcDst = *b;
    } else if (IsRectEmpty(b)) {
        *lprcDst = *a;
    } else {
        *lprcDst = RECT{a->left < b->left ? a->left : b->left, a->top < b->top ? a->top : b->top,
                        a->right > b->right ? a->right : b->right, a->bottom > b->bottom ? a->bottom : b->bottom};
    }
    return TRUE;
}

BOOL OffsetRect(LPRECT lprc, int dx, int dy)
{
    if (!lprc) return Fail();
    lprc->left = Add(lprc->left, dx);
    lprc->right = Add(lprc->right, dx);
    lprc->top = Add(lprc->top, dy);
    lprc->bottom = Add(lprc->bottom, dy);
    return TRUE;
}

BOOL InflateRect(LPRECT lprc, int dx, int dy)
{
    if (!lprc) return Fail();
    lprc->left = Sub(lprc->left, dx);
    lprc->right = Add(lprc->right, dx);
    lprc->top = Sub(lprc->top, dy);
    lprc->bottom = Add(lprc->bottom, dy);
    return TRUE;
}

BOOL PtInRect(const RECT* lprc, POINT pt)
{
    return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}
