// Blits, fills and single pixels on DIB sections. Every public function clips the
// destination to the device context's clip and the source to its bitmap first; the loops
// below it take clean ranges.
#include <cstring>
#include <vector>

#include "gdi_objects.h"
#include "wce/files.h"

using namespace wce::detail;

namespace {

// A clipped, unscaled copy: n columns and m rows, starting at the given corners.
struct Span {
    int dx, dy, sx, sy, cols, rows;
};

// Intersects [d, d + n) with [dLo, dHi) and [s, s + n) with [0, sLimit) in one step, so that
// both ranges stay the same length. 64-bit so that coordinates near INT_MAX cannot overflow.
bool ClipRange(long long d, long long s, long long n, long long dLo, long long dHi, long long sLimit, int& outD,
               int& outS, int& outN)
{
    long long lo = 0, hi = n;
    if (dLo - d > lo) lo = dLo - d;
    if (-s > lo) lo = -s;
    if (dHi - d < hi) hi = dHi - d;
    if (sLimit - s < hi) hi = sLimit - s;
    if (hi <= lo) return false;
    outD = static_cast<int>(d + lo);
    outS = static_cast<int>(s + lo);
    outN = static_cast<int>(hi - lo);
    return true;
}

template <int From, int To>
inline std::uint32_t Convert(std::uint32_t p)
{
    if constexpr (From == To) return p;
    else if constexpr (16 == From) return Pixel565To32(p);
    else return Pixel32To565(p);
}

template <int Bpp>
inline std::uint32_t Load(const BYTE* row, int x)
{
    if constexpr (16 == Bpp) return reinterpret_cast<const std::uint16_t*>(row)[x];
    else return reinterpret_cast<const std::uint32_t*>(row)[x];
}

template <int Bpp>
inline void Store(BYTE* row, int x, std::uint32_t p)
{
    if constexpr (16 == Bpp) reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(p);
    else reinterpret_cast<std::uint32_t*>(row)[x] = p;
}

template <int From, int To>
void ConvertRows(const Surface& dst, const Surface& src, const Span& s)
{
    for (int j = 0; j < s.rows; ++j) {
        const BYTE* in = src.Row(s.sy + j);
        BYTE* out = dst.Row(s.dy + j);
        for (int i = 0; i < s.cols; ++i) Store<To>(out, s.dx + i, Convert<From, To>(Load<From>(in, s.sx + i)));
    }
}

void CopyRows(const Surface& dst, const Surface& src, const Span& s)
{
    if (dst.bitsPixel == src.bitsPixel) {
        int bytes = dst.bitsPixel / 8;
        // Within one bitmap, a copy downwards must start at the last row.
        bool backwards = dst.bits == src.bits && s.dy > s.sy;
        for (int k = 0; k < s.rows; ++k) {
            int j = backwards ? s.rows - 1 - k : k;
            std::memmove(dst.Row(s.dy + j) + s.dx * bytes, src.Row(s.sy + j) + s.sx * bytes,
                         static_cast<std::size_t>(s.cols) * bytes);
        }
    } else if (16 == src.bitsPixel) {
        ConvertRows<16, 32>(dst, src, s);
    } else {
        ConvertRows<32, 16>(dst, src, s);
    }
}

// Fills rc inside the clip (which lies inside the bitmap).
void FillArea(const Surface& dst, const RECT& clip, const RECT& rc, COLORREF color)
{
    RECT area = IntersectClip(rc, clip);
    for (int y = area.top; y < area.bottom; ++y) {
        BYTE* row = dst.Row(y);
        if (16 == dst.bitsPixel) {
            std::uint16_t p = ColorTo565(color);
            for (int x = area.left; x < area.right; ++x) Store<16>(row, x, p);
        } else {
            std::uint32_t p = ColorTo32(color);
            for (int x = area.left; x < area.right; ++x) Store<32>(row, x, p);
        }
    }
}

// The nearest-source mapping of one axis: for each destination coordinate inside the clip
// [dLo, dHi) whose source lies inside the source bitmap, the pair (destination, source).
struct AxisMap {
    std::vector<int> dst, src;
};

AxisMap MapAxis(long long d, long long n, long long dLo, long long dHi, long long s, long long sn, long long sLimit,
                bool mirror)
{
    AxisMap map;
    long long first = d < dLo ? dLo - d : 0, last = dHi - d < n ? dHi - d : n;
    for (long long i = first; i < last; ++i) {
        long long dc = d + i;
        long long k = mirror ? n - 1 - i : i;
        long long sc = s + ((2 * k + 1) * sn) / (2 * n);
        if (sc < 0 || sc >= sLimit) continue;
        map.dst.push_back(static_cast<int>(dc));
        map.src.push_back(static_cast<int>(sc));
    }
    return map;
}

template <int From, int To, bool Keyed>
void StretchRows(const Surface& dst, const Surface& src, const AxisMap& cols, const AxisMap& rows, std::uint32_t key)
{
    for (std::size_t j = 0; j < rows.dst.size(); ++j) {
        const BYTE* in = src.Row(rows.src[j]);
        BYTE* out = dst.Row(rows.dst[j]);
        for (std::size_t i = 0; i < cols.dst.size(); ++i) {
            std::uint32_t p = Load<From>(in, cols.src[i]);
            if constexpr (Keyed) {
                if ((32 == From ? (p & 0x00FFFFFF) : p) == key) continue;
            }
            Store<To>(out, cols.dst[i], Convert<From, To>(p));
        }
    }
}

template <bool Keyed>
void Stretch(const Surface& dst, const Surface& src, const AxisMap& cols, const AxisMap& rows, std::uint32_t key)
{
    if (16 == src.bitsPixel) {
        if (16 == dst.bitsPixel) StretchRows<16, 16, Keyed>(dst, src, cols, rows, key);
        else StretchRows<16, 32, Keyed>(dst, src, cols, rows, key);
    } else {
        if (16 == dst.bitsPixel) StretchRows<32, 16, Keyed>(dst, src, cols, rows, key);
        else StretchRows<32, 32, Keyed>(dst, src, cols, rows, key);
    }
}

// Makes a width or height positive; true when that mirrors the axis.
bool Normalise(long long& pos, long long& size)
{
    if (size >= 0) return false;
    pos += size;
    size = -size;
    return true;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL BitBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight, HDC hdcSrc, int nXSrc, int nYSrc,
            DWORD dwRop)
{
    DcTarget target;
    Surface src;
    if (!GetDcTarget(hdcDest, target)) return Fail(ERROR_INVALID_HANDLE);
    const Surface& dst = target.surface;
    const RECT& clip = target.clip;
    if (BLACKNESS == dwRop || WHITENESS == dwRop) {
        Span s{};
        if (nWidth > 0 && nHeight > 0 &&
            ClipRange(nXDest, 0, nWidth, clip.left, clip.right, nWidth, s.dx, s.sx, s.cols) &&
            ClipRange(nYDest, 0, nHeight, clip.top, clip.bottom, nHeight, s.dy, s.sy, s.rows)) {
            RECT rc{s.dx, s.dy, s.dx + s.cols, s.dy + s.rows};
            FillArea(dst, clip, rc, BLACKNESS == dwRop ? RGB(0, 0, 0) : RGB(255, 255, 255));
        }
        return TRUE;
    }
    if (SRCCOPY != dwRop) return Fail(ERROR_NOT_SUPPORTED);
    if (!GetDcSurface(hdcSrc, src)) return Fail(ERROR_INVALID_HANDLE);
    if (nWidth <= 0 || nHeight <= 0) return TRUE;
    Span s{};
    if (!ClipRange(nXDest, nXSrc, nWidth, clip.left, clip.right, src.width, s.dx, s.sx, s.cols)) return TRUE;
    if (!ClipRange(nYDest, nYSrc, nHeight, clip.top, clip.bottom, src.height, s.dy, s.sy, s.rows)) return TRUE;
    CopyRows(dst, src, s);
    return TRUE;
}

BOOL StretchBlt(HDC hdcDest, int nXDest, int nYDest, int nWidthDest, int nHeightDest, HDC hdcSrc, int nXSrc,
                int nYSrc, int nWidthSrc, int nHeightSrc, DWORD dwRop)
{
    if (nWidthDest == nWidthSrc && nHeightDest == nHeightSrc && nWidthDest >= 0 && nHeightDest >= 0)
        return BitBlt(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, hdcSrc, nXSrc, nYSrc, dwRop);
    DcTarget target;
    Surface src;
    if (!GetDcTarget(hdcDest, target)) return Fail(ERROR_INVALID_HANDLE);
    const Surface& dst = target.surface;
    const RECT& clip = target.clip;
    if (SRCCOPY != dwRop) return Fail(ERROR_NOT_SUPPORTED);
    if (!GetDcSurface(hdcSrc, src)) return Fail(ERROR_INVALID_HANDLE);
    long long x = nXDest, y = nYDest, w = nWidthDest, h = nHeightDest;
    long long sx = nXSrc, sy = nYSrc, sw = nWidthSrc, sh = nHeightSrc;
    bool mirrorX = Normalise(x, w) != Normalise(sx, sw);
    bool mirrorY = Normalise(y, h) != Normalise(sy, sh);
    if (0 == w || 0 == h || 0 == sw || 0 == sh) return TRUE;
    AxisMap cols = MapAxis(x, w, clip.left, clip.right, sx, sw, src.width, mirrorX);
    AxisMap rows = MapAxis(y, h, clip.top, clip.bottom, sy, sh, src.height, mirrorY);
    Stretch<false>(dst, src, cols, rows, 0);
    return TRUE;
}

BOOL TransparentImage(HDC hdcDest, LONG nXDest, LONG nYDest, LONG nWidthDest, LONG nHeightDest, HANDLE hSrc,
                      LONG nXSrc, LONG nYSrc, LONG nWidthSrc, LONG nHeightSrc, COLORREF crTransparent)
{
    DcTarget target;
    Surface src;
    if (!GetDcTarget(hdcDest, target)) return Fail(ERROR_INVALID_HANDLE);
    const Surface& dst = target.surface;
    const RECT& clip = target.clip;
    if (!GetAnySurface(hSrc, src)) return Fail(ERROR_INVALID_HANDLE);
    if (nWidthDest < 0 || nHeightDest < 0 || nWidthSrc < 0 || nHeightSrc < 0) return Fail(ERROR_INVALID_PARAMETER);
    if (0 == nWidthDest || 0 == nHeightDest || 0 == nWidthSrc || 0 == nHeightSrc) return TRUE;
    AxisMap cols = MapAxis(nXDest, nWidthDest, clip.left, clip.right, nXSrc, nWidthSrc, src.width, false);
    AxisMap rows = MapAxis(nYDest, nHeightDest, clip.top, clip.bottom, nYSrc, nHeightSrc, src.height, false);
    std::uint32_t key = 16 == src.bitsPixel ? ColorTo565(crTransparent) : ColorTo32(crTransparent);
    Stretch<true>(dst, src, cols, rows, key);
    return TRUE;
}

int FillRect(HDC hdc, const RECT* lprc, HBRUSH hbr)
{
    DcTarget target;
    COLORREF color = 0;
    bool hollow = false;
    if (!lprc) return Fail(ERROR_INVALID_PARAMETER);
    if (!GetDcTarget(hdc, target) || !GetBrushColor(hbr, color, hollow)) return Fail(ERROR_INVALID_HANDLE);
    if (!hollow) FillArea(target.surface, target.clip, *lprc, color);
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    Surface s;
    if (!GetDcSurface(hdc, s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return CLR_INVALID;
    if (16 == s.bitsPixel) return Pixel32ToColor(Pixel565To32(Load<16>(s.Row(y), x)));
    return Pixel32ToColor(Load<32>(s.Row(y), x));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF crColor)
{
    DcTarget target;
    POINT pt{x, y};
    if (!GetDcTarget(hdc, target) || !PtInRect(&target.clip, pt)) return CLR_INVALID;
    const Surface& s = target.surface;
    if (16 == s.bitsPixel) Store<16>(s.Row(y), x, ColorTo565(crColor));
    else Store<32>(s.Row(y), x, ColorTo32(crColor));
    return GetPixel(hdc, x, y);
}
