// Every pixel-loop table of the build against the plain one, bit for bit: the same random
// premultiplied pictures through each entry, every alpha, widths around the vector and word
// sizes, and whole arrays compared, row padding and alpha plane included.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "JXBmpLoopVariants.h"

namespace {

// A picture in the layout of a DIB section: rows padded to 4 bytes, a 565 alpha plane with
// rows of the even-rounded width.
struct Picture {
    std::vector<BYTE> bits, alpha;
    JxPixelArray array{};

    Picture(int w, int h, int nBytesPerPixel) : bits(static_cast<size_t>((w * nBytesPerPixel + 3) / 4 * 4 * h))
    {
        array = JxPixelArray{bits.data(), nullptr, w, h, (w * nBytesPerPixel + 3) / 4 * 4, 0};
        if (2 == nBytesPerPixel) {
            alpha.resize(static_cast<size_t>((w + 1) / 2 * 2 * h));
            array.pAlpha = alpha.data();
            array.nAlphaRowBytes = (w + 1) / 2 * 2;
        }
    }
    // A copy points at its own buffers.
    Picture(const Picture& o) : bits(o.bits), alpha(o.alpha), array(o.array)
    {
        array.pBits = bits.data();
        array.pAlpha = alpha.empty() ? nullptr : alpha.data();
    }
    Picture& operator=(const Picture&) = delete;
    bool operator==(const Picture& o) const { return bits == o.bits && alpha == o.alpha; }
};

struct Random {
    std::mt19937 gen{2024};
    unsigned Next(unsigned n) { return static_cast<unsigned>(gen() % n); }
    // Transparent and opaque come often, as in skins.
    unsigned Alpha(unsigned full)
    {
        unsigned kind = Next(4);
        return 0 == kind ? 0 : (1 == kind ? full : Next(full + 1));
    }

    void Fill(Picture& p)
    {
        for (BYTE& b : p.bits) b = static_cast<BYTE>(gen());
        for (BYTE& b : p.alpha) b = static_cast<BYTE>(gen());
    }
    // Premultiplied pixels; a few 565 alpha bytes above 63, as a damaged plane holds.
    void FillPremultiplied(Picture& p, int nBytesPerPixel)
    {
        if (2 == nBytesPerPixel) {
            WORD* pix = reinterpret_cast<WORD*>(p.bits.data());
            for (size_t i = 0; i < p.alpha.size(); ++i) {
                unsigned a = Alpha(63);
                pix[i] = static_cast<WORD>(Next(a / 2 + 1) << 11 | Next(a + 1) << 5 | Next(a / 2 + 1));
                p.alpha[i] = static_cast<BYTE>(0 == Next(50) ? 64 + Next(192) : a);
            }
        } else {
            DWORD* pix = reinterpret_cast<DWORD*>(p.bits.data());
            for (size_t i = 0; i < p.bits.size() / 4; ++i) {
                unsigned a = Alpha(255);
                pix[i] = a << 24 | Next(a + 1) << 16 | Next(a + 1) << 8 | Next(a + 1);
            }
        }
    }
};

// One kind: its variant tables and its pixel size.
struct Kind {
    const char* pName;
    int (*pfnVariants)(const JxPixelLoopVariant**);
    const JxPixelLoops& (*pfnUsed)();
    int nBytesPerPixel;
};

const Kind kKinds[] = {{"565", JxGetBmp565LoopVariants, JxGetBmp565Loops, 2},
                       {"32", JxGetBmp32LoopVariants, JxGetBmp32Loops, 4}};

// Widths: shorter than a vector, odd (565 padding), around 8 and 16, and longer.
const int kWidths[] = {1, 3, 7, 8, 9, 17, 37, 64};
const int kHeight = 16;  // one-pixel columns of 14 rows: eight and four at a time, then two

// Alphas at both ends of each level and inside the general ranges; every fourth one gives each
// of the 64 weights of the 565 formulas.
std::vector<int> Alphas()
{
    std::vector<int> v;
    for (int a = 0; a <= 255; a += 4) v.push_back(a);
    for (int a : {8, 9, 55, 56, 72, 73, 119, 120, 136, 137, 183, 184, 200, 201, 246, 247, 255}) v.push_back(a);
    return v;
}

// Black (the darkening forms), the extremes, and random colors.
std::vector<COLORREF> Colors()
{
    std::vector<COLORREF> v = {RGB(0, 0, 0), RGB(0x20, 0x80, 0xC0), RGB(255, 255, 255), RGB(1, 0, 0)};
    Random random;
    for (int i = 0; i < 4; ++i) v.push_back(random.Next(0x1000000));
    return v;
}

// Runs op with the plain table and with each other table on copies of the same pictures and
// expects the same bytes.
template <class OP>
void ExpectSameAsPlain(const Kind& kind, int w, const std::string& what, OP op)
{
    const JxPixelLoopVariant* pVariants = nullptr;
    int nCount = kind.pfnVariants(&pVariants);
    Random random;
    Picture dst(w, kHeight, kind.nBytesPerPixel), src(w, kHeight, kind.nBytesPerPixel);
    random.Fill(dst);
    random.FillPremultiplied(src, kind.nBytesPerPixel);
    Picture expected = dst;
    op(*pVariants[0].pLoops, expected, src);
    for (int v = 1; v < nCount; ++v) {
        Picture actual = dst;
        op(*pVariants[v].pLoops, actual, src);
        ASSERT_TRUE(actual == expected) << kind.pName << " " << pVariants[v].pName << ", width " << w << ": " << what;
    }
}

TEST(PixelLoopVariants, TheBuildHasAFasterTableThanThePlainOneAndUsesIt)
{
    for (const Kind& kind : kKinds) {
        const JxPixelLoopVariant* pVariants = nullptr;
        int nCount = kind.pfnVariants(&pVariants);
        ASSERT_GE(nCount, 2) << kind.pName;
        EXPECT_STREQ("plain", pVariants[0].pName);
        EXPECT_EQ(&kind.pfnUsed(), pVariants[nCount - 1].pLoops) << kind.pName;
        // Which loops this processor compares and draws with, for the build's log.
        std::string names;
        for (int v = 0; v < nCount; ++v) names += std::string(v ? " " : "") + pVariants[v].pName;
        std::printf("[ loops    ] %s: %s; drawing with %s\n", kind.pName, names.c_str(), pVariants[nCount - 1].pName);
    }
}

TEST(PixelLoopVariants, WholeArrayBlendsMatchThePlainLoops)
{
    for (const Kind& kind : kKinds)
        for (int w : kWidths) {
            ExpectSameAsPlain(kind, w, "per-pixel", [](const JxPixelLoops& l, Picture& d, Picture& s) {
                l.pfnAlphaBlendWhole(d.array, s.array, TRUE, 255);
            });
            for (int a : Alphas())
                ExpectSameAsPlain(kind, w, "constant " + std::to_string(a),
                                  [a](const JxPixelLoops& l, Picture& d, Picture& s) {
                                      l.pfnAlphaBlendWhole(d.array, s.array, FALSE, a);
                                  });
        }
}

TEST(PixelLoopVariants, RectangleBlendsMatchThePlainLoops)
{
    // A rectangle one pixel in from every side, moved by one between source and destination.
    for (const Kind& kind : kKinds)
        for (int w : kWidths) {
            if (w < 3) continue;
            RECT rcDst = {1, 1, w - 1, kHeight - 1}, rcSrc = {2, 0, w, kHeight - 2};
            for (int a : Alphas())
                for (BOOL bPerPixel : {FALSE, TRUE})
                    ExpectSameAsPlain(kind, w, "rectangle " + std::to_string(a) + (bPerPixel ? " per-pixel" : ""),
                                      [&](const JxPixelLoops& l, Picture& d, Picture& s) {
                                          l.pfnAlphaBlendRect(d.array, rcDst, s.array, rcSrc, bPerPixel, a);
                                      });
        }
}

TEST(PixelLoopVariants, MixingAndDarkeningMatchThePlainLoops)
{
    for (const Kind& kind : kKinds)
        for (int w : kWidths)
            for (COLORREF cr : Colors())
                for (int a : Alphas()) {
                    std::string what = "color " + std::to_string(cr) + " alpha " + std::to_string(a);
                    ExpectSameAsPlain(kind, w, what + " whole", [&](const JxPixelLoops& l, Picture& d, Picture&) {
                        l.pfnMixColorWhole(d.array, cr, a);
                    });
                    RECT rc = {w / 3, 1, w, kHeight};
                    ExpectSameAsPlain(kind, w, what + " rectangle", [&](const JxPixelLoops& l, Picture& d, Picture&) {
                        l.pfnMixColorRect(d.array, rc, cr, a);
                    });
                }
}

}  // namespace
