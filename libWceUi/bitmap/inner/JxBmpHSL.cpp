#include "JxBmpHSL.h"

namespace {

struct HueTables {
    int K[256];   // 60 * 65536 / delta, rounded down; K[0] unused
    int F[60];    // rising ramp: t / 60 in 16.16
    int FallingF[60];  // falling ramp: 1 - t / 60
};

constexpr HueTables MakeHueTables()
{
    HueTables t{};
    for (int d = 1; d < 256; ++d) t.K[d] = 60 * 65536 / d;
    for (int i = 0; i < 60; ++i) {
        t.F[i] = i * 65536 / 60;
        t.FallingF[i] = 65536 - t.F[i];
    }
    return t;
}

constexpr HueTables kHue = MakeHueTables();

// An arithmetic shift right by 16 (rounds toward minus infinity) for any sign.
inline int FloorShift16(int v) { return v >= 0 ? v >> 16 : -((-v + 65535) >> 16); }

// Turns (r, g, b) by nOffset degrees in place; every channel lies in 0..255.
inline void TurnHue(int& r, int& g, int& b, int nOffset)
{
    int M = r > g ? r : g;
    if (b > M) M = b;
    int m = r < g ? r : g;
    if (b < m) m = b;
    int delta = M - m;
    if (0 == delta) return;  // gray
    int hue;
    if (g == M) hue = 120 + FloorShift16(kHue.K[delta] * (b - r));
    else if (b == M) hue = 240 + FloorShift16(kHue.K[delta] * (r - g));
    else hue = FloorShift16(kHue.K[delta] * (g - b));
    hue += nOffset;
    if (hue < 0) hue += 360;
    else if (hue >= 360) hue -= 360;

    if (hue < 60) {
        r = M, g = m + ((delta * kHue.F[hue]) >> 16), b = m;
    } else if (hue < 120) {
        r = m + ((delta * kHue.FallingF[hue - 60]) >> 16), g = M, b = m;
    } else if (hue < 180) {
        r = m, g = M, b = m + ((delta * kHue.F[hue - 120]) >> 16);
    } else if (hue < 240) {
        r = m, g = m + ((delta * kHue.FallingF[hue - 180]) >> 16), b = M;
    } else if (hue == 240) {
        r = m, g = m, b = M;
    } else if (hue < 300) {
        r = m + ((delta * kHue.F[hue - 240]) >> 16), g = m, b = M;
    } else {
        r = M, g = m, b = m + ((delta * kHue.FallingF[hue - 300]) >> 16);
    }
}

}  // namespace

int JxHueReciprocal(int nDelta) { return nDelta > 0 && nDelta < 256 ? kHue.K[nDelta] : 0; }
int JxHueFraction(int t) { return t >= 0 && t < 60 ? kHue.F[t] : 0; }

void JxBmp565SetGray(const JxPixelArray& dst)
{
    WORD* p = reinterpret_cast<WORD*>(dst.pBits);
    long n = dst.GetPixelCount(2);
    for (long i = 0; i < n; ++i) {
        unsigned d = p[i];
        unsigned r = (d >> 10) & 62, g = (d >> 5) & 63, b = (d & 31) << 1;
        unsigned M = r > g ? r : g;
        M = b > M ? b : M;
        unsigned m = r < g ? r : g;
        m = b < m ? b : m;
        unsigned L = (M + m) >> 1;
        p[i] = static_cast<WORD>(((L >> 1) << 11) | (L << 5) | (L >> 1));
    }
}

void JxBmp32SetGray(const JxPixelArray& dst)
{
    DWORD* p = reinterpret_cast<DWORD*>(dst.pBits);
    long n = dst.GetPixelCount(4);
    for (long i = 0; i < n; ++i) {
        DWORD d = p[i];
        DWORD r = (d >> 16) & 0xFF, g = (d >> 8) & 0xFF, b = d & 0xFF;
        DWORD M = r > g ? r : g;
        M = b > M ? b : M;
        DWORD m = r < g ? r : g;
        m = b < m ? b : m;
        DWORD L = (M + m) >> 1;
        p[i] = (d & 0xFF000000) | (L << 16) | (L << 8) | L;
    }
}

void JxBmp565OffsetHue(const JxPixelArray& dst, int nOffsetHue)
{
    WORD* p = reinterpret_cast<WORD*>(dst.pBits);
    long n = dst.GetPixelCount(2);
    // Skins repeat pixels: a run of equal pixels is turned once.
    unsigned lastIn = 0, lastOut = 0;
    bool bHaveLast = false;
    for (long i = 0; i < n; ++i) {
        unsigned d = p[i];
        if (bHaveLast && d == lastIn) {
            p[i] = static_cast<WORD>(lastOut);
            continue;
        }
        int r = static_cast<int>((d >> 10) & 62), g = static_cast<int>((d >> 5) & 63), b = static_cast<int>((d & 31) << 1);
        TurnHue(r, g, b, nOffsetHue);
        unsigned out = (static_cast<unsigned>(r >> 1) << 11) | (static_cast<unsigned>(g) << 5) | static_cast<unsigned>(b >> 1);
        p[i] = static_cast<WORD>(out);
        lastIn = d, lastOut = out, bHaveLast = true;
    }
}

void JxBmp32OffsetHue(const JxPixelArray& dst, int nOffsetHue)
{
    DWORD* p = reinterpret_cast<DWORD*>(dst.pBits);
    long n = dst.GetPixelCount(4);
    DWORD lastIn = 0, lastOut = 0;
    bool bHaveLast = false;
    for (long i = 0; i < n; ++i) {
        DWORD d = p[i];
        if (bHaveLast && d == lastIn) {
            p[i] = lastOut;
            continue;
        }
        // The low byte plays red and the third byte blue: the hue is measured the other way
        // round, so the offset turns the other way too.
        int r = static_cast<int>(d & 0xFF), g = static_cast<int>((d >> 8) & 0xFF), b = static_cast<int>((d >> 16) & 0xFF);
        TurnHue(r, g, b, -nOffsetHue);
        DWORD out = (d & 0xFF000000) | (static_cast<DWORD>(b) << 16) | (static_cast<DWORD>(g) << 8) | static_cast<DWORD>(r);
        p[i] = out;
        lastIn = d, lastOut = out, bHaveLast = true;
    }
}
