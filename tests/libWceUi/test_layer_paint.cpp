// Painting a layer: alignment, clipping, zoom, the common index, filters, transparency; and
// the property that on random trees whose opaque layers really paint every pixel they cover,
// repainting a random rectangle after a full paint leaves each pixel in it as the full paint did.
#include <random>

#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiStyle.h"
#include "WceUiTextPainter.h"
#include "layer_fixture.h"
#include "wce/gdi_text.h"

namespace {

using skinbuild::BitmapOptions;

TEST(CalcAlignRects, PlacesTheSmallerInsideTheLarger)
{
    struct Case { RECT dst, src; UINT align; const char *outDst, *outSrc; } cases[] = {
        {Rc(0, 0, 100, 40), Rc(0, 0, 60, 20), 0x05, "20,10,80,30", "0,0,60,20"},
        {Rc(0, 0, 100, 40), Rc(0, 0, 200, 80), 0x0A, "0,0,100,40", "100,40,200,80"},
        {Rc(0, 0, 100, 40), Rc(0, 0, 200, 80), 0x00, "0,0,100,40", "0,0,100,40"},
        {Rc(0, 0, 100, 40), Rc(0, 0, 61, 21), 0x05, "19,9,80,30", "0,0,61,21"},
        {Rc(10, 10, 20, 20), Rc(0, 0, 5, 30), 0x0A, "15,10,20,20", "0,20,5,30"},
    };
    for (const Case& k : cases) {
        RECT d, s;
        ASSERT_TRUE(CalcAlignRects(&d, &s, &k.dst, &k.src, k.align));
        EXPECT_EQ(RectText(d), k.outDst) << k.align;
        EXPECT_EQ(RectText(s), k.outSrc) << k.align;
    }
}

class LayerPaintTest : public LayerSkinTest {};

TEST_F(LayerPaintTest, ImagesAreAlignedCutAndStretched)
{
    m_skin.Bitmap565("s", "small", 60, 20, [](int, int) { return 0xFFFF0000u; });
    // Each pixel tells where it came from: red = x / 4 (0..49), green = y / 2.
    m_skin.Bitmap565("s", "big", 200, 80, [](int x, int y) {
        return 0xFF000000u | (static_cast<unsigned>(x / 4 * 5) << 16) | (static_cast<unsigned>(y / 2 * 6) << 8);
    });
    m_skin.Bitmap565("s", "tiny", 10, 10, [](int x, int y) { return x == 3 && y == 0 ? 0xFF0000FFu : 0xFFFFFFFFu; });
    ASSERT_TRUE(Build("<a type=\"CWceUiLayer\" style=\"centre\"/><b type=\"CWceUiLayer\" style=\"corner\"/>"
                      "<c type=\"CWceUiLayer\" style=\"zoom\"/>",
                      "<centre><position rect=\"0,0,100,40\"/><background color=\"0x00FF00\">"
                      "<i id=\"small.565a.conf\" align=\"center\" valign=\"center\"/></background></centre>"
                      "<corner><position rect=\"100,0,100,40\"/><background>"
                      "<i id=\"big.565a.conf\" align=\"right\" valign=\"bottom\"/></background></corner>"
                      "<zoom><position rect=\"0,40,100,50\"/><background>"
                      "<i id=\"tiny.565a.conf\" zoom=\"true\" dst-rect=\"-30,0,100,50\"/></background></zoom>"));
    PaintAll();
    EXPECT_EQ(Px(20, 10), k565Red);
    EXPECT_EQ(Px(79, 29), k565Red);
    EXPECT_EQ(Px(19, 10), k565Green);
    EXPECT_EQ(Px(80, 29), k565Green);
    // The bottom-right 100 x 40 of the big one: its pixel (100, 40) at the layer's (0, 0).
    EXPECT_EQ(Px(100, 0), (((100 / 4 * 5) >> 3) << 11) | (((40 / 2 * 6) >> 2) << 5));
    // 10 x 10 stretched onto 100 x 50 from x = -30: factors 10 and 5, cut at the layer.
    struct { int x, y; unsigned px; } zoomed[] = {
        {0, 40, k565Blue}, {9, 44, k565Blue}, {10, 40, k565White}, {0, 45, k565White}, {69, 89, k565White}, {70, 40, k565Black}};
    for (const auto& z : zoomed) EXPECT_EQ(Px(z.x, z.y), z.px) << z.x << "," << z.y;
}

TEST_F(LayerPaintTest, CommonItemsGoInByTheirIndexInTheGrowingList)
{
    const unsigned colours[5] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu, 0xFFFF00FFu};
    const char* names[5] = {"A", "B", "C", "X", "Y"};
    for (int i = 0; i < 5; ++i) m_skin.Bitmap565("s", names[i], 1, 1, [&, i](int, int) { return colours[i]; });
    // Every item starts at x = 0; its width is its place from the end, so each band shows
    // a different item only when they are drawn in the expected order.
    auto item = [](const char* name, int width, const char* index) {
        return std::string("<i id=\"") + name + ".565a.conf\" zoom=\"true\" common-index=\"" + index +
               "\" dst-rect=\"0,0," + std::to_string(width) + ",10\"/>";
    };
    ASSERT_TRUE(Build("<a type=\"CWceUiLayer\" common.style=\"common\" style=\"own\"/>"
                      "<b type=\"CWceUiLayer\" common.style=\"front\" style=\"own2\"/>",
                      "<common><background>" + item("X", 30, "-1") + item("Y", 20, "-1") + "</background></common>"
                      "<own><position rect=\"0,0,100,10\"/><background>" + item("A", 50, "0") + item("B", 40, "0") +
                          item("C", 10, "0") + "</background></own>"
                      "<front><background>" + item("X", 20, "0") + item("Y", 30, "0") + "</background></front>"
                      "<own2><position rect=\"0,20,100,30\"/><background>" + item("A", 10, "0") + "</background></own2>"));
    PaintAll();
    // [A, B, C] with X(-1), Y(-1): [A, B, X, Y, C].
    EXPECT_EQ((std::vector<unsigned>{Px(5, 0), Px(15, 0), Px(25, 0), Px(35, 0), Px(45, 0)}),
              (std::vector<unsigned>{k565Blue, 0xF81F, k565White, k565Green, k565Red}));
    // Two items of index 0 each go to the front: [Y, X, A].
    EXPECT_EQ((std::vector<unsigned>{Px(5, 20), Px(15, 20), Px(25, 20)}),
              (std::vector<unsigned>{k565Red, k565White, 0xF81F}));
}

TEST_F(LayerPaintTest, FiltersAndRepeatedPaintsGiveTheSamePixels)
{
    m_skin.Bitmap565("s", "glass", 20, 20, [](int, int) { return 0x80FFFFFFu; }, BitmapOptions{true, "", -1});
    ASSERT_TRUE(Build("<a type=\"CWceUiLayer\" style=\"back\"/><b type=\"CWceUiLayer\" style=\"faded\"/>"
                      "<c type=\"CWceUiLayer\" style=\"tinted\"/>",
                      "<back><position rect=\"0,0,200,100\"/><background color=\"0x0000FF\"/></back>"
                      "<faded><position rect=\"10,10,20,20\"/><background><i id=\"glass.565a.conf\"/></background>"
                      "<filters><alpha enabled=\"true\" opacity=\"128\"/></filters></faded>"
                      "<tinted><position rect=\"50,10,20,20\"/><background color=\"0x000000\"/>"
                      "<filters><mixcolor enabled=\"true\" opacity=\"255\" color=\"0xFF0000\"/></filters></tinted>"));
    PaintAll();
    unsigned first = Px(15, 15);
    EXPECT_NE(first, k565Blue);
    EXPECT_EQ(Px(55, 15), k565Red);
    for (int i = 0; i < 3; ++i) PaintAll();
    EXPECT_EQ(Px(15, 15), first);  // the layer bitmap starts black each time
}

TEST_F(LayerPaintTest, ImagesWithAlphaLetTheLayerBelowShowEvenBeforeTheyLoad)
{
    m_skin.Bitmap565("s", "glass", 20, 20, [](int, int) { return 0x80FFFFFFu; }, BitmapOptions{true, "", -1});
    m_skin.Bitmap565("s", "faint", 20, 20, [](int, int) { return 0xFFFFFFFFu; }, BitmapOptions{false, "", 100});
    ASSERT_TRUE(Build("<a type=\"CWceUiLayer\" name=\"back\" style=\"back\"/>"
                      "<b type=\"CWceUiLayer\" name=\"glass\" style=\"glass\"/>"
                      "<c type=\"CWceUiLayer\" name=\"faint\" style=\"faint\"/>",
                      "<back><position rect=\"0,0,200,100\"/><background color=\"0x0000FF\"/></back>"
                      "<glass><position rect=\"0,0,20,20\"/><background><i id=\"glass.565a.conf\"/></background></glass>"
                      "<faint><position rect=\"50,0,20,20\"/><background><i id=\"faint.565a.conf\"/></background></faint>"));
    m_pCtrl->FreeBmpRes();
    m_pCtrl->Draw(m_pWnd->GetWndBitmap(), Rc(5, 5, 10, 10));
    EXPECT_EQ(NeedDrawNames(), (Strings{"back", "glass"}));
    m_pCtrl->Draw(m_pWnd->GetWndBitmap(), Rc(55, 5, 60, 10));
    EXPECT_EQ(NeedDrawNames(), (Strings{"back", "faint"}));
}

TEST_F(LayerPaintTest, TextIsDrawnInsideItsLayer)
{
    ASSERT_TRUE(Build("<a type=\"CWceUiLayer\" name=\"t\" style=\"t\"/>",
                      "<t><position rect=\"10,10,110,40\"/><background color=\"0x000000\"/>"
                      "<text color=\"0xFFFFFF\"><drawtext/></text></t>"));
    m_pBuilt->GetLayerByName(u"t")->SetText(u"Wide text that runs past the right edge of its layer");
    PaintAll();
    int lit = 0, outside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            bool inLayer = x >= 10 && x < 120 && y >= 10 && y < 50;  // 10,10 and 110 x 40
            if (Px(x, y) == k565White) ++(inLayer ? lit : outside);
        }
    EXPECT_GT(lit, 20);
    EXPECT_EQ(outside, 0);
}

// Lines of text over a whole 80 x 40 bitmap, cut by the painter's limit and clips; the ink
// lands only where both allow, and the pixels are unlocked again afterwards.
TEST_F(LayerPaintTest, TextPainterClipsAtItsEdgeAndUnlocksThePixels)
{
    const RECT kNone = Rc(0, 0, 0, 0);
    // limit, clip1, clip2: kNone when not given
    const struct { const char* name; RECT limit, clip1, clip2; RECT ink; } cases[] = {
        {"the whole bitmap", kNone, kNone, kNone, Rc(0, 0, 80, 40)},
        {"the limit", Rc(10, 5, 50, 30), kNone, kNone, Rc(10, 5, 50, 30)},
        {"a clip within the limit", Rc(10, 5, 50, 30), Rc(30, 0, 80, 40), kNone, Rc(30, 5, 50, 30)},
        {"the last clip counts", kNone, Rc(40, 0, 80, 40), Rc(0, 0, 20, 40), Rc(0, 0, 20, 40)},
    };
    std::u16string lines;
    for (int i = 0; i < 8; ++i) lines += u"WWW WWW WWW ";
    for (const auto& c : cases) {
        CWceUi565Bitmap bmp;
        ASSERT_TRUE(bmp.CreateDIB(80, 40)) << c.name;
        {
            auto given = [&](const RECT& rc) { return EqualRect(&rc, &kNone) ? nullptr : &rc; };
            CWceUiTextPainter painter(&bmp, NULL, RGB(255, 255, 255), given(c.limit));
            ASSERT_TRUE(painter.IsReady()) << c.name;
            for (const RECT* pClip : {given(c.clip1), given(c.clip2)})
                if (pClip) painter.ClipTo(*pClip);
            RECT rc = Rc(0, 0, 80, 40);
            painter.DrawText(lines.c_str(), int(lines.size()), &rc, DT_WORDBREAK);
        }
        int inside = 0, outside = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x)
                if (PixelAt(bmp, x, y) != k565Black) ++(PtInRect(&c.ink, POINT{x, y}) ? inside : outside);
        EXPECT_GT(inside, 20) << c.name;
        EXPECT_EQ(0, outside) << c.name;
        // A copy shares the pixels only when no one holds them locked.
        CWceUiGenericBitmap* pCopy = nullptr;
        ASSERT_TRUE(bmp.MakeACopy(&pCopy)) << c.name;
        EXPECT_EQ(Bits(bmp), Bits(*pCopy)) << c.name;
        delete pCopy;
    }
    CWceUi565Bitmap empty;  // no pixels: nothing to draw on, nothing locked
    CWceUiTextPainter painter(&empty, NULL, 0, NULL);
    EXPECT_FALSE(painter.IsReady());
}


class RepaintProperty : public LayerTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        m_pCtrl->DeleteLayer(m_pDlg);
        delete m_pWnd;
        m_pWnd = new CWceUiOffscreenWnd(120, 80, GetParam());
        m_pCtrl = m_pWnd->GetLayerCtrl();
        m_pDlg = AttachDialog(u"dlg");
        RECT rc = Rc(0, 0, 120, 80);
        m_pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
        m_pDlg->GetStyle()->GetBgColorCtrl()->SetColor(RGB(10, 20, 30));
    }

    // An image of the window's kind with per-pixel alpha (premultiplied), to blend.
    CWceUiGenericBitmap* NewAlphaImage(std::mt19937& rng, int w, int h)
    {
        if (16 == GetParam()) {
            std::vector<WORD> px(static_cast<size_t>((w + 1) & ~1) * h);
            std::vector<BYTE> alpha(px.size());
            for (size_t i = 0; i < px.size(); ++i) {
                BYTE a = static_cast<BYTE>(rng() % 64);
                alpha[i] = a;
                px[i] = static_cast<WORD>((((rng() % 32) * a / 63) << 11) | (((rng() % 64) * a / 63) << 5));
            }
            auto* p = new CWceUi565Bitmap;
            p->CreateDIB565(w, h, px.data(), alpha.data());
            return p;
        }
        std::vector<DWORD> px(static_cast<size_t>(w) * h);
        for (DWORD& v : px) {
            DWORD a = rng() % 256;
            v = (a << 24) | (((rng() % 256) * a / 255) << 16) | (((rng() % 256) * a / 255) << 8);
        }
        auto* p = new CWceUi32Bitmap;
        p->CreateDIB32(w, h, px.data(), TRUE);
        return p;
    }

    void BuildRandomTree(std::mt19937& rng)
    {
        std::vector<CWceUiLayer*> parents{m_pDlg};
        int n = 10 + static_cast<int>(rng() % 25);
        for (int i = 0; i < n; ++i) {
            CWceUiLayer* parent = parents[rng() % parents.size()];
            int x = static_cast<int>(rng() % 130) - 10, y = static_cast<int>(rng() % 90) - 10;
            int w = 1 + static_cast<int>(rng() % 70), h = 1 + static_cast<int>(rng() % 50);
            int way = parent != m_pDlg && rng() % 2 ? WCEUI_POS_RELATIVE : WCEUI_POS_WINDOW;
            CWceUiLayer* p = Add(parent, nullptr, Rc(x, y, x + w, y + h), u"CWceUiLayer", way);
            CWceUiStyle* s = p->GetStyle();
            COLORREF cr = RGB(rng() % 256, rng() % 256, rng() % 256);
            switch (rng() % 6) {
            case 0:  // transparent, with an image that has alpha
                s->GetBgColorCtrl()->SetTransparent(TRUE);
                break;
            case 1:  // seen through an alpha filter
                s->GetBgColorCtrl()->SetColor(cr);
                s->GetAlphaFilterCtrl()->SetFilter(TRUE, static_cast<int>(rng() % 256));
                break;
            case 2:  // tinted
                s->GetBgColorCtrl()->SetColor(cr);
                s->GetMixColorFilterCtrl()->SetFilter(TRUE, RGB(rng() % 256, 0, 255), static_cast<int>(rng() % 256));
                break;
            case 3:  // a container
                p->SetLayerContainer(TRUE);
                break;
            default:
                s->GetBgColorCtrl()->SetColor(cr);
                break;
            }
            if (rng() % 3 == 0) {
                auto* item = new CWceUiBgItem;
                CWceUiGenericBitmap* img = NewAlphaImage(rng, 1 + rng() % 40, 1 + rng() % 30);
                item->GetLoadBitmap().SetBitmapFromApp(img);
                delete img;
                item->SetAlign(rng() % 16);
                s->GetBgItemCtrl()->AddTail(item);
            }
            if (rng() % 8 == 0) p->ShowLayer(FALSE);
            if (rng() % 3 == 0) parents.push_back(p);
        }
    }
};

TEST_P(RepaintProperty, ARepaintedRectangleMatchesTheFullPaintInsideIt)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        BuildRandomTree(rng);
        m_pWnd->InvalidateAll();
        m_pWnd->Paint();
        const std::vector<unsigned> full = PixelsOf(*m_pWnd->GetWndBitmap());
        for (int round = 0; round < 5; ++round) {
            int l = static_cast<int>(rng() % 120), t = static_cast<int>(rng() % 80);
            RECT rc = Rc(l, t, l + 1 + static_cast<int>(rng() % 60), t + 1 + static_cast<int>(rng() % 40));
            m_pWnd->PaintRect(rc);
            const std::vector<unsigned> again = PixelsOf(*m_pWnd->GetWndBitmap());
            for (int y = rc.top; y < rc.bottom && y < 80; ++y)
                for (int x = rc.left; x < rc.right && x < 120; ++x)
                    ASSERT_EQ(again[y * 120 + x], full[y * 120 + x])
                        << "seed " << seed << " round " << round << " at " << x << "," << y << " in " << RectText(rc);
        }
        while (m_pDlg->GetFirstChild()) m_pCtrl->DeleteLayer(m_pDlg->GetFirstChild());
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, RepaintProperty, ::testing::Values(16, 32));

}  // namespace
