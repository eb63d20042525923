// The pixel formulas written the plain way, one pixel at a time, with the red-blue and green
// groups of the device code: what the fast loops must match bit for bit.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ref {

using u16 = std::uint16_t;
using u32 = std::uint32_t;

inline int Level(int a)
{
    if (a <= 8) return 0;
    if (a >= 56 && a <= 72) return 1;
    if (a >= 120 && a <= 136) return 2;
    if (a >= 184 && a <= 200) return 3;
    if (a >= 247) return 4;
    return 5;
}

// Applies f to each group of d (and s) and masks the results back.
template <class F>
u32 Groups565(u32 d, u32 s, F f) { return (f(d & 0xF81F, s & 0xF81F) & 0xF81F) | (f(d & 0x07E0, s & 0x07E0) & 0x07E0); }
template <class F>
u32 Groups32(u32 d, u32 s, F f)
{
    return (d & 0xFF000000) | (f(d & 0x00FF00FF, s & 0x00FF00FF) & 0x00FF00FF) | (f(d & 0x0000FF00, s & 0x0000FF00) & 0x0000FF00);
}

inline u16 Const565(u16 d, u16 s, int a)
{
    switch (Level(a)) {
    case 0: return d;
    case 1: return static_cast<u16>(Groups565(d, s, [](u32 x, u32 y) { return (3 * x + y) >> 2; }));
    case 2: return static_cast<u16>(Groups565(d, s, [](u32 x, u32 y) { return (x + y) >> 1; }));
    case 3: return static_cast<u16>(Groups565(d, s, [](u32 x, u32 y) { return (x + 3 * y) >> 2; }));
    case 4: return s;
    default:
        return static_cast<u16>(Groups565(d, s, [a](u32 x, u32 y) {
            return (x * ((255 - a) >> 2) + y * (a >> 2)) >> 6;
        }));
    }
}

// The whole-bitmap form of mixing a color differs at levels 2 and 3.
inline u16 MixWhole565(u16 d, u16 c, int a)
{
    switch (Level(a)) {
    case 2: return static_cast<u16>(((d >> 1) & 0x7BEF) + ((c >> 1) & 0x7BEF));
    case 3: {
        u32 c34 = Groups565(c, 0, [](u32 x, u32) { return (x * 3) >> 2; });
        return static_cast<u16>(((d >> 2) & 0x39E7) + c34);
    }
    default: return Const565(d, c, a);
    }
}

inline u16 Darken565(u16 d, int a)
{
    switch (Level(a)) {
    case 0: return d;
    case 1: return static_cast<u16>(d - ((d >> 2) & 0x39E7));
    case 2: return static_cast<u16>((d >> 1) & 0x7BEF);
    case 3: return static_cast<u16>((d >> 2) & 0x39E7);
    case 4: return 0;
    default: return static_cast<u16>(Groups565(d, 0, [a](u32 x, u32) { return (x * ((255 - a) >> 2)) >> 6; }));
    }
}

// alpha is the plane's byte; values above 63 count as opaque.
inline u16 PerPixel565(u16 d, u16 s, int alpha)
{
    if (alpha >= 63) return s;
    if (0 == alpha) return d;
    u32 scaled = Groups565(d, 0, [alpha](u32 x, u32) { return (x * (63 - alpha)) >> 6; });
    return static_cast<u16>(scaled + s);
}

inline u32 Const32(u32 d, u32 s, int a)
{
    switch (Level(a)) {
    case 0: return d;
    case 1: return Groups32(d, s, [](u32 x, u32 y) { return (3 * x + y) >> 2; });
    case 2: return Groups32(d, s, [](u32 x, u32 y) { return (x + y) >> 1; });
    case 3: return Groups32(d, s, [](u32 x, u32 y) { return (x + 3 * y) >> 2; });
    case 4: return (d & 0xFF000000) | (s & 0x00FFFFFF);
    default: return Groups32(d, s, [a](u32 x, u32 y) { return (x * (255 - a) + y * a) >> 8; });
    }
}

inline u32 Darken32(u32 d, int a)
{
    switch (Level(a)) {
    case 0: return d;
    case 1: return Groups32(d, 0, [](u32 x, u32) { return (x * 3) >> 2; });
    case 2: return (d & 0xFF000000) | ((d >> 1) & 0x7F7F7F);
    case 3: return (d & 0xFF000000) | ((d >> 2) & 0x3F3F3F);
    case 4: return d & 0xFF000000;
    default: return Groups32(d, 0, [a](u32 x, u32) { return (x * (255 - a)) >> 8; });
    }
}

inline u32 PerPixel32(u32 d, u32 s)
{
    u32 a = s >> 24;
    return Groups32(d, 0, [a](u32 x, u32) { return (x * (255 - a)) >> 8; }) + (s & 0x00FFFFFF);
}

inline u32 PreMul32(u32 d) { u32 a = d >> 24; return Groups32(d, 0, [a](u32 x, u32) { return (x * a) >> 8; }); }

inline u16 Gray565(u16 d)
{
    int r = (d >> 11) * 2, g = (d >> 5) & 63, b = (d & 31) * 2;
    int M = std::max({r, g, b}), m = std::min({r, g, b});
    int L = (M + m) >> 1;
    return static_cast<u16>(((L >> 1) << 11) | (L << 5) | (L >> 1));
}

inline u32 Gray32(u32 d)
{
    int r = (d >> 16) & 255, g = (d >> 8) & 255, b = d & 255;
    int M = std::max({r, g, b}), m = std::min({r, g, b});
    u32 L = static_cast<u32>((M + m) >> 1);
    return (d & 0xFF000000) | (L << 16) | (L << 8) | L;
}

// Floor of v / 65536 for either sign, written with division to stay independent of the shift.
inline int FloorDiv65536(long long v) { return static_cast<int>(v >= 0 ? v / 65536 : -((-v + 65535) / 65536)); }

inline void Hue(int& r, int& g, int& b, int offset)
{
    int M = std::max({r, g, b}), m = std::min({r, g, b});
    int delta = M - m;
    if (0 == delta) return;
    long long K = 60LL * 65536 / delta;
    int hue;
    if (g == M) hue = 120 + FloorDiv65536(K * (b - r));          // red and green, or green and blue, tied
    else if (b == M) hue = 240 + FloorDiv65536(K * (r - g));     // red and blue tied, or blue alone
    else hue = FloorDiv65536(K * (g - b));
    hue += offset;
    if (hue < 0) hue += 360;
    if (hue >= 360) hue -= 360;
    auto F = [](int t) { return static_cast<long long>(t) * 65536 / 60; };
    auto up = [&](int t) { return m + static_cast<int>((delta * F(t)) >> 16); };
    auto down = [&](int t) { return m + static_cast<int>((delta * (65536 - F(t))) >> 16); };
    if (hue < 60) r = M, g = up(hue), b = m;
    else if (hue < 120) r = down(hue - 60), g = M, b = m;
    else if (hue < 180) r = m, g = M, b = up(hue - 120);
    else if (hue < 240) r = m, g = down(hue - 180), b = M;
    else if (hue == 240) r = m, g = m, b = M;
    else if (hue < 300) r = up(hue - 240), g = m, b = M;
    else r = M, g = m, b = down(hue - 300);
}

inline u16 Hue565(u16 d, int offset)
{
    int r = (d >> 11) * 2, g = (d >> 5) & 63, b = (d & 31) * 2;
    Hue(r, g, b, offset);
    return static_cast<u16>(((r >> 1) << 11) | (g << 5) | (b >> 1));
}

// The low byte plays red, the offset turns the other way.
inline u32 Hue32(u32 d, int offset)
{
    int r = d & 255, g = (d >> 8) & 255, b = (d >> 16) & 255;
    Hue(r, g, b, -offset);
    return (d & 0xFF000000) | (static_cast<u32>(b) << 16) | (static_cast<u32>(g) << 8) | static_cast<u32>(r);
}

}  // namespace ref
