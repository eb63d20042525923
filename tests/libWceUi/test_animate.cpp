// Transitions: the travel curve, the frames of every kind and direction, Blend's alphas,
// initialisation from style files and the random list.
#include <map>
#include <memory>
#include <set>

#include "JXStyleFile.h"
#include "WceUiBarnAni.h"
#include "WceUiBlendAni.h"
#include "WceUiComeAni.h"
#include "WceUiCommon.h"
#include "WceUiGoAni.h"
#include "WceUiSliderAni.h"
#include "WceUiXml.h"
#include "bitmap_helpers.h"

namespace {

class AnimateTest : public SkinTest {
protected:
    // A style file whose "animate" element holds the given children.
    bool Load(const std::u16string& animate)
    {
        std::string bytes = Utf16File(u"<root><style/><animate>" + animate + u"</animate></root>", true);
        return m_file.LoadStyleData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                    u"\\SDMMC\\a.style.xml");
    }
    std::unique_ptr<CWceUiWndAnimate> Get(const char16_t* pName)
    {
        return std::unique_ptr<CWceUiWndAnimate>(m_file.GetWndAnimate(pName));
    }

    CJxStyleFile m_file;
};

TEST_F(AnimateTest, TravelCurve)
{
    const struct { int nFrameCount, nTotal; std::vector<int> expected; } cases[] = {
        {12, 480, {6, 26, 60, 106, 166, 240, 313, 373, 420, 453, 473, 480}},
        {5, 100, {12, 50, 50, 87, 100}},
        {1, 100, {100}},
        {2, 100, {50, 100}},
        {3, 1, {0, 0, 1}},  // below 1 gives 0
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        for (int k = 0; k < c.nFrameCount; ++k) got.push_back(CalcAnidisplacement(k, c.nFrameCount, c.nTotal));
        EXPECT_EQ(c.expected, got) << c.nFrameCount << " frames over " << c.nTotal;
    }
    EXPECT_TRUE(m_log.Messages().empty());

    // A frame outside the count or no travel: 0, and a logged check.
    const int bad[][3] = {{-1, 5, 100}, {5, 5, 100}, {0, 0, 100}, {0, 5, 0}, {0, 5, -3}};
    for (const auto& b : bad) {
        m_log.Clear();
        EXPECT_EQ(0, CalcAnidisplacement(b[0], b[1], b[2]));
        EXPECT_EQ(1u, m_log.Messages().size()) << b[0] << " of " << b[1] << " over " << b[2];
    }
}

// Pixels say where they come from: red = x, green = y, blue = picture.
enum { kFrom = 1, kTo = 2, kMixed = 3 };
unsigned Code(int which, int x, int y) { return (unsigned)(x << 16 | y << 8 | which); }

std::unique_ptr<CWceUiGenericBitmap> Picture(int which, int w, int h, int bits = 32)
{
    std::unique_ptr<CWceUiGenericBitmap> p(WceUiCreateBitmapObject(bits));
    if (32 == bits) {
        std::string px = PixelArray(w, h, 32, [&](int x, int y) { return Code(which, x, y); });
        static_cast<CWceUi32Bitmap*>(p.get())->CreateDIB32(w, h, px.data(), FALSE);
    } else {
        std::string px = PixelArray(w, h, 16, [&](int x, int y) { return (unsigned)((x * 7 + y * 13 + which * 1000) & 0xFFFF); });
        static_cast<CWceUi565Bitmap*>(p.get())->CreateDIB565(w, h, px.data(), NULL);
    }
    return p;
}

// Where the new picture shows along the moving axis.
enum Region { kFarEdge, kNearEdge, kOuter, kMiddle };
// A shift along the axis of cd * d + cs * S, S being the travel span (the whole width or height,
// or the half the pixel lies in).
struct Shift { int cd, cs; };
// The shifts in the first / second half (the same for one edge).
struct FrameCase {
    const char* pName; const char16_t* pClass; UINT nDirection; bool bVertical, bTwoEdges; Region region;
    Shift fromFirst, fromSecond, toFirst, toSecond;
};


const Shift k0{0, 0}, kMinusD{-1, 0}, kPlusD{1, 0}, kSpanMinusD{-1, 1}, kDMinusSpan{1, -1};

const FrameCase kFrameCases[] = {
    {"barn left", u"CWceUiBarnAni", 1, false, false, kFarEdge, k0, k0, k0, k0},
    {"barn right", u"CWceUiBarnAni", 2, false, false, kNearEdge, k0, k0, k0, k0},
    {"barn up", u"CWceUiBarnAni", 3, true, false, kFarEdge, k0, k0, k0, k0},
    {"barn down", u"CWceUiBarnAni", 4, true, false, kNearEdge, k0, k0, k0, k0},
    {"barn lr-mid", u"CWceUiBarnAni", 5, false, true, kOuter, k0, k0, k0, k0},
    {"barn mid-lr", u"CWceUiBarnAni", 6, false, true, kMiddle, k0, k0, k0, k0},
    {"barn ud-mid", u"CWceUiBarnAni", 7, true, true, kOuter, k0, k0, k0, k0},
    {"barn mid-ud", u"CWceUiBarnAni", 8, true, true, kMiddle, k0, k0, k0, k0},
    {"slider up", u"CWceUiSliderAni", 1, true, false, kFarEdge, kMinusD, kMinusD, kSpanMinusD, kSpanMinusD},
    {"slider down", u"CWceUiSliderAni", 2, true, false, kNearEdge, kPlusD, kPlusD, kDMinusSpan, kDMinusSpan},
    {"slider left", u"CWceUiSliderAni", 3, false, false, kFarEdge, kMinusD, kMinusD, kSpanMinusD, kSpanMinusD},
    {"slider right", u"CWceUiSliderAni", 4, false, false, kNearEdge, kPlusD, kPlusD, kDMinusSpan, kDMinusSpan},
    {"come left", u"CWceUiComeAni", 1, false, false, kFarEdge, k0, k0, kSpanMinusD, kSpanMinusD},
    {"come right", u"CWceUiComeAni", 2, false, false, kNearEdge, k0, k0, kDMinusSpan, kDMinusSpan},
    {"come up", u"CWceUiComeAni", 3, true, false, kFarEdge, k0, k0, kSpanMinusD, kSpanMinusD},
    {"come down", u"CWceUiComeAni", 4, true, false, kNearEdge, k0, k0, kDMinusSpan, kDMinusSpan},
    {"come lr-mid", u"CWceUiComeAni", 5, false, true, kOuter, k0, k0, kDMinusSpan, kSpanMinusD},
    {"come ud-mid", u"CWceUiComeAni", 7, true, true, kOuter, k0, k0, kDMinusSpan, kSpanMinusD},
    {"go left", u"CWceUiGoAni", 1, false, false, kFarEdge, kMinusD, kMinusD, k0, k0},
    {"go right", u"CWceUiGoAni", 2, false, false, kNearEdge, kPlusD, kPlusD, k0, k0},
    {"go up", u"CWceUiGoAni", 3, true, false, kFarEdge, kMinusD, kMinusD, k0, k0},
    {"go down", u"CWceUiGoAni", 4, true, false, kNearEdge, kPlusD, kPlusD, k0, k0},
    {"go mid-lr", u"CWceUiGoAni", 6, false, true, kMiddle, kMinusD, kPlusD, k0, k0},
    {"go mid-ud", u"CWceUiGoAni", 8, true, true, kMiddle, kMinusD, kPlusD, k0, k0},
};

void PrintTo(const FrameCase& c, std::ostream* pOut) { *pOut << c.pName; }

std::unique_ptr<CWceUiWndAnimate> Make(const char16_t* pClass, UINT nDirection)
{
    std::unique_ptr<CWceUiWndAnimate> p(static_cast<CWceUiWndAnimate*>(WceUiCreateObject(pClass)));
    if (p) p->SetDirection(nDirection);
    return p;
}

class FrameTest : public AnimateTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, EachPixelShowsTheRightPictureShiftedByTheTravel)
{
    const FrameCase& c = GetParam();
    const int W = 40, H = 26, nFrames = 6;
    const RECT rc = {2, 1, 2 + 31, 1 + 21};  // odd sizes: the second half takes the odd pixel
    auto pFrom = Picture(kFrom, W, H), pTo = Picture(kTo, W, H), pMixed = Picture(kMixed, W, H);
    auto pAni = Make(c.pClass, c.nDirection);
    ASSERT_TRUE(pAni);
    pAni->SetFrameCount(nFrames);
    pAni->SetRect(rc);
    ASSERT_TRUE(pAni->ReStart(pMixed.get(), pFrom.get(), pTo.get()));

    const int lo = c.bVertical ? rc.top : rc.left, hi = c.bVertical ? rc.bottom : rc.right;
    const int half = (hi - lo) / 2, mid = lo + half;
    for (int k = 0; k < nFrames; ++k) {
        DWORD nTime = 0;
        ASSERT_TRUE(pAni->Play(pMixed.get(), pFrom.get(), pTo.get(), k, &nTime)) << k;
        EXPECT_EQ(33u, nTime);
        const bool bLast = k + 1 == nFrames;
        const int d = CalcAnidisplacement(k, nFrames, c.bTwoEdges ? half : hi - lo);
        int nBad = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const unsigned px = PixelAt(*pMixed, x, y) & 0xFFFFFF;
                const int which = px & 0xFF, sx = px >> 16, sy = (px >> 8) & 0xFF;
                // Outside the rectangle the mixed picture stays; the last frame is the new one.
                if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom || bLast) {
                    nBad += px != (bLast && PtInRect(&rc, POINT{x, y}) ? Code(kTo, x, y) : Code(kMixed, x, y));
                    continue;
                }
                const int p = c.bVertical ? y : x;
                bool bTo;
                switch (c.region) {
                case kFarEdge: bTo = p >= hi - d; break;
                case kNearEdge: bTo = p < lo + d; break;
                case kOuter: bTo = p < lo + d || p >= hi - d; break;
                default: bTo = p >= mid - d && p < mid + d; break;
                }
                const bool bFirst = !c.bTwoEdges || p < mid;
                const int span = !c.bTwoEdges ? hi - lo : bFirst ? half : hi - lo - half;
                const Shift s = bTo ? (bFirst ? c.toFirst : c.toSecond) : (bFirst ? c.fromFirst : c.fromSecond);
                const int shift = s.cd * d + s.cs * span;
                const int expectX = c.bVertical ? x : x - shift, expectY = c.bVertical ? y - shift : y;
                const bool bOk = which == (bTo ? kTo : kFrom) && sx == expectX && sy == expectY;
                if (!bOk && nBad < 3)
                    ADD_FAILURE() << "frame " << k << " d " << d << " at " << x << "," << y << ": picture " << which
                                  << " from " << sx << "," << sy;
                nBad += !bOk;
            }
        EXPECT_EQ(0, nBad) << "frame " << k;
    }
    EXPECT_TRUE(m_log.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FrameTest, ::testing::ValuesIn(kFrameCases));

// Blend: frame k is the old picture with the new one blended over at the constant alpha.
TEST_F(AnimateTest, BlendAlphas)
{
    for (int bits : {32, 16})
        for (int nFrames : {12, 300, 1}) {
            const int W = 24, H = 10;
            auto pFrom = Picture(kFrom, W, H, bits), pTo = Picture(kTo, W, H, bits);
            auto pMixed = Picture(kMixed, W, H, bits);
            CWceUiBlendAni blend;
            blend.SetFrameCount(nFrames);
            std::vector<int> alphas;
            for (int k = 0; k < nFrames; ++k) {
                DWORD nTime = 0;
                ASSERT_TRUE(blend.Play(pMixed.get(), pFrom.get(), pTo.get(), k, &nTime));
                const int alpha = ((255 / nFrames) * (k + 1)) & 0xFF;
                if (k + 1 < nFrames) alphas.push_back(alpha);
                auto pExpect = Picture(kFrom, W, H, bits);
                if (k + 1 == nFrames) pExpect->BitBlt(0, 0, W, H, pTo.get(), 0, 0, SRCCOPY);
                else pExpect->AlphaBlend(0, 0, W, H, pTo.get(), 0, 0, BLENDFUNCTION{AC_SRC_OVER, 0, (BYTE)alpha, 0});
                ASSERT_EQ(ArrayOf(*pExpect), ArrayOf(*pMixed)) << bits << " bits, " << nFrames << " frames, frame " << k;
                if (300 == nFrames && k + 1 < nFrames) {
                    ASSERT_EQ(ArrayOf(*pFrom), ArrayOf(*pMixed)) << k;
                }
            }
            if (12 == nFrames) {
                EXPECT_EQ((std::vector<int>{21, 42, 63, 84, 105, 126, 147, 168, 189, 210, 231}), alphas);
            }
        }
    EXPECT_TRUE(m_log.Messages().empty());
}

// Failing frames and checks: refused and logged, the mixed bitmap left as it was.
TEST_F(AnimateTest, PlayFailures)
{
    auto pFrom = Picture(kFrom, 8, 6), pTo = Picture(kTo, 8, 6), pMixed = Picture(kMixed, 8, 6);
    auto pSmall = Picture(kTo, 8, 5);
    const std::string before = ArrayOf(*pMixed);
    for (const char16_t* pKind :
         {u"CWceUiBarnAni", u"CWceUiBlendAni", u"CWceUiSliderAni", u"CWceUiComeAni", u"CWceUiGoAni"}) {
        auto pAni = Make(pKind, 2);
        DWORD nTime = 7;
        m_log.Clear();
        EXPECT_FALSE(pAni->Play(pMixed.get(), pFrom.get(), pTo.get(), 0, NULL));
        EXPECT_FALSE(pAni->Play(pMixed.get(), pFrom.get(), pTo.get(), 12, &nTime));
        EXPECT_FALSE(pAni->Play(pMixed.get(), pFrom.get(), pSmall.get(), 0, &nTime));
        pAni->SetRect(RECT{8, 0, 20, 6});  // wholly outside the window
        EXPECT_FALSE(pAni->ReStart(pMixed.get(), pFrom.get(), pTo.get()));
        EXPECT_EQ(6u, m_log.Messages().size()) << Utf8(pKind);
        EXPECT_EQ(before, ArrayOf(*pMixed));
        EXPECT_EQ(7u, nTime);
    }
    // A direction the kind cannot draw.
    const std::pair<const char16_t*, UINT> badDirections[] = {
        {u"CWceUiBarnAni", 9}, {u"CWceUiBarnAni", 0}, {u"CWceUiSliderAni", 5}};
    for (const auto& [pKind, nDirection] : badDirections) {
        DWORD nTime = 0;
        EXPECT_FALSE(Make(pKind, nDirection)->Play(pMixed.get(), pFrom.get(), pTo.get(), 0, &nTime)) << nDirection;
    }
    // Bitmaps missing or not loaded, a frame count below 1.
    CWceUiBarnAni barn;
    std::unique_ptr<CWceUiGenericBitmap> pEmpty(WceUiCreateBitmapObject(32));
    EXPECT_FALSE(barn.CheckParameter(NULL, pFrom.get(), pTo.get()));
    EXPECT_FALSE(barn.CheckParameter(pMixed.get(), pEmpty.get(), pTo.get()));
    EXPECT_FALSE(barn.CheckParameter(pMixed.get(), pFrom.get(), NULL));
    EXPECT_FALSE(barn.CheckParameter(pSmall.get(), pFrom.get(), pTo.get()));
    barn.SetFrameCount(0);
    EXPECT_FALSE(barn.CheckParameter(pMixed.get(), pFrom.get(), pTo.get()));
    EXPECT_EQ(before, ArrayOf(*pMixed));
}

// nDirection 0: the kind has none.
struct InitCase {
    const char16_t* pXml; bool bOk, bLogged; int nFrameCount = 0; RECT rc = {}; DWORD nFrameLength = 0; UINT nDirection = 0;
};


TEST_F(AnimateTest, InitFromStyleFiles)
{
    const RECT kLarge = {-65535, -65535, 65535, 65535};
    const InitCase cases[] = {
        {u"<a type=\"CWceUiBarnAni\"/>", true, false, 12, kLarge, 33, 2},
        {u"<a type=\"CWceUiBarnAni\" direction=\"MID-UD\" frame-count=\"4\" frame-length=\"50\" rect=\"10,20,30,40\"/>",
         true, false, 4, {10, 20, 40, 60}, 50, 8},
        {u"<a type=\"CWceUiBlendAni\" frame-count=\"150\" direction=\"bogus\"/>", true, false, 150, kLarge, 33, 0},
        {u"<a type=\"CWceUiSliderAni\" direction=\"up\"/>", true, false, 12, kLarge, 33, 1},
        {u"<a type=\"CWceUiSliderAni\" direction=\"Left\"/>", true, false, 12, kLarge, 33, 3},
        {u"<a type=\"CWceUiComeAni\" direction=\"ud-mid\"/>", true, false, 12, kLarge, 33, 7},
        {u"<a type=\"CWceUiGoAni\" direction=\"mid-lr\" frame-length=\"1\"/>", true, false, 12, kLarge, 1, 6},
        // failures
        {u"<a type=\"CWceUiComeAni\" direction=\"mid-lr\"/>", false, true},
        {u"<a type=\"CWceUiGoAni\" direction=\"lr-mid\"/>", false, true},
        {u"<a type=\"CWceUiSliderAni\" direction=\"mid-lr\"/>", false, true},
        {u"<a type=\"CWceUiBarnAni\" direction=\"sideways\"/>", false, true},
        {u"<a type=\"CWceUiBlendAni\" frame-length=\"abc\"/>", false, true},
        {u"<a type=\"CWceUiGoAni\" frame-length=\"0\"/>", false, true},
        {u"<a type=\"CWceUiSliderAni\" rect=\"1,2,3\"/>", false, true},
        {u"<a type=\"CWceUiLayer\"/>", false, true},
        {u"<a type=\"CWceUiWndAnimate\"/>", false, false},  // abstract: not creatable
        // "abc" frames: 0 is logged and kept, the animation fails later.
        {u"<a type=\"CWceUiBarnAni\" frame-count=\"abc\"/>", true, true, 0, kLarge, 33, 2},
    };
    for (const InitCase& c : cases) {
        const std::string xml = Utf8(c.pXml);
        ASSERT_TRUE(Load(c.pXml)) << xml;
        m_log.Clear();
        auto pAni = Get(u"a");
        ASSERT_EQ(c.bOk, nullptr != pAni) << xml;
        if (c.bLogged || c.bOk) {
            EXPECT_EQ(c.bLogged, !m_log.Messages().empty()) << xml;
        }
        if (!pAni) continue;
        EXPECT_EQ("a", Utf8(pAni->GetName()));
        EXPECT_TRUE(EqualRect(&c.rc, &pAni->GetRect())) << xml;
        EXPECT_EQ(c.nFrameCount, pAni->GetFrameCount()) << xml;
        EXPECT_EQ(c.nFrameLength, pAni->GetFrameLength()) << xml;
        EXPECT_EQ(c.nDirection, pAni->GetDirection()) << xml;
        EXPECT_TRUE(pAni->IsEnable());
    }

    // The name is the tag name, cut at 63 characters; a null element is refused.
    const std::u16string longName(70, u'n');
    ASSERT_TRUE(Load(u"<" + longName + u" type=\"CWceUiBlendAni\"/>"));
    auto pLong = Get(longName.c_str());
    ASSERT_TRUE(pLong);
    EXPECT_EQ(std::u16string(63, u'n'), std::u16string(pLong->GetName()));
    CWceUiBarnAni barn;
    EXPECT_FALSE(barn.Init(NULL));
}

// Input is blocked while a transition plays: more than 1000 frames or 5 s in all is refused
// where the style is read, logged, and plays as none.
TEST_F(AnimateTest, TransitionsBeyondTheBoundAreRefused)
{
    // pRefusal: after "Load animate a failed, "; null when taken
    const struct { const char16_t* pXml; const char* pRefusal; } cases[] = {
        {u"<a type=\"CWceUiBlendAni\" frame-count=\"1000\" frame-length=\"5\"/>", nullptr},
        {u"<a type=\"CWceUiSliderAni\" frame-count=\"151\"/>", nullptr},  // 4983 ms
        {u"<a type=\"CWceUiSliderAni\" frame-count=\"152\"/>", "152 frames of 33 ms"},
        {u"<a type=\"CWceUiBlendAni\" frame-count=\"1001\" frame-length=\"1\"/>", "1001 frames of 1 ms"},
        {u"<a type=\"CWceUiGoAni\" frame-count=\"101\" frame-length=\"50\"/>", "101 frames of 50 ms"},
        {u"<a type=\"CWceUiBlendAni\" frame-count=\"2147483647\"/>", "2147483647 frames of 33 ms"},
        {u"<a type=\"CWceUiBarnAni\" frame-length=\"4294967295\"/>", "12 frames of 2147483647 ms"},
        {u"<a type=\"CWceUiComeAni\" frame-count=\"2\" frame-length=\"2147483647\"/>", "2 frames of 2147483647 ms"},
    };
    for (const auto& c : cases) {
        const std::string xml = Utf8(c.pXml);
        ASSERT_TRUE(Load(c.pXml)) << xml;
        m_log.Clear();
        EXPECT_EQ(nullptr == c.pRefusal, nullptr != Get(u"a")) << xml;
        std::vector<std::string> expected;
        if (c.pRefusal)
            expected.push_back(std::string("Load animate a failed, ") + c.pRefusal +
                               " are more than 1000 frames or 5000 ms");
        EXPECT_EQ(expected, m_log.Messages()) << xml;
    }
}

TEST_F(AnimateTest, SetDirectionFallsBackToRight)
{
    const struct { const char16_t* pKind; UINT nDirection, nStored; bool bLogged; } cases[] = {
        {u"CWceUiComeAni", 6, 2, true}, {u"CWceUiComeAni", 8, 2, true}, {u"CWceUiComeAni", 9, 2, true},
        {u"CWceUiComeAni", 5, 5, false}, {u"CWceUiComeAni", 7, 7, false}, {u"CWceUiGoAni", 5, 2, true},
        {u"CWceUiGoAni", 7, 2, true},    {u"CWceUiGoAni", 0, 2, true},    {u"CWceUiGoAni", 8, 8, false},
    };
    for (const auto& c : cases) {
        m_log.Clear();
        auto pAni = Make(c.pKind, c.nDirection);
        EXPECT_EQ(c.nStored, pAni->GetDirection()) << Utf8(c.pKind) << " " << c.nDirection;
        EXPECT_EQ(c.bLogged, !m_log.Messages().empty());
    }
}

TEST_F(AnimateTest, RandomList)
{
    const std::vector<std::string> kOrder = {"CWceUiBarnAni", "CWceUiBlendAni", "CWceUiSliderAni", "CWceUiComeAni",
                                             "CWceUiGoAni"};
    auto Names = [] {
        std::vector<std::string> names;
        for (int i = 0; i < CWceUiWndAnimate::GetRandomAnimateCount(); ++i)
            names.push_back(Utf8(CWceUiWndAnimate::GetRandomAnimateName(i)));
        return names;
    };
    EXPECT_EQ(kOrder, Names());
    EXPECT_FALSE(CWceUiWndAnimate::RegisterRandomAnimate(u"CWceUiGoAni"));  // entered once
    EXPECT_EQ(kOrder, Names());

    const RECT kLarge = {-65535, -65535, 65535, 65535};
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::unique_ptr<CWceUiWndAnimate> p(CWceUiWndAnimate::GetRandomAnimate());
        ASSERT_TRUE(p);
        const std::string kind = Utf8(p->GetClassName());
        seen.insert(kind);
        EXPECT_EQ(12, p->GetFrameCount());
        EXPECT_EQ(33u, p->GetFrameLength());
        EXPECT_TRUE(EqualRect(&kLarge, &p->GetRect()));
        // Each kind gets a direction it can draw (Blend has none).
        const std::map<std::string, unsigned> kDrawable = {{"CWceUiBarnAni", 0x1FE}, {"CWceUiBlendAni", 0x1},
                                                           {"CWceUiSliderAni", 0x1E}, {"CWceUiComeAni", 0xBE},
                                                           {"CWceUiGoAni", 0x15E}};
        EXPECT_NE(0u, kDrawable.at(kind) & (1u << p->GetDirection())) << kind << " " << p->GetDirection();
    }
    EXPECT_EQ(std::set<std::string>(kOrder.begin(), kOrder.end()), seen);
    EXPECT_TRUE(m_log.Messages().empty());

    // With no names there is nothing to pick; a name of another kind is refused.
    for (const std::string& name : kOrder)
        EXPECT_TRUE(CWceUiWndAnimate::UnregisterRandomAnimate(Utf8ToWide(name).c_str()));
    EXPECT_EQ(nullptr, CWceUiWndAnimate::GetRandomAnimate());
    EXPECT_TRUE(CWceUiWndAnimate::RegisterRandomAnimate(u"CWceUiLayer"));
    EXPECT_EQ(nullptr, CWceUiWndAnimate::GetRandomAnimate());
    EXPECT_EQ(2u, m_log.Messages().size());
    EXPECT_TRUE(CWceUiWndAnimate::UnregisterRandomAnimate(u"CWceUiLayer"));
    for (const std::string& name : kOrder)
        EXPECT_TRUE(CWceUiWndAnimate::RegisterRandomAnimate(Utf8ToWide(name).c_str()));
    EXPECT_EQ(kOrder, Names());
}

}  // namespace
