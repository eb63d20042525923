// Property: on random trees whose opaque layers really paint every pixel they cover,
// repainting a random rectangle after a full paint leaves each pixel inside it exactly as
// the full paint made it.
#include <random>

#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "WceUiStyle.h"
#include "skin_fixture.h"

namespace {

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
