// The controller: ids, the draw and input lists, occlusion, hit tests, deletion, dialogs
// from files, and walks over trees deeper and wider than the inline stack.
#include <algorithm>
#include <random>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "TestFillRect.h"
#include "layer_fixture.h"

namespace {

// Records each paint with the rectangle it was given.
class CPaintProbe : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CPaintProbe, CWceUiLayer)
public:
    static std::vector<std::string>& Log() { static std::vector<std::string> log; return log; }
    void OnDraw(CWceUiGenericBitmap*, RECT rcDraw) override { Log().push_back(Utf8(GetName()) + " " + RectText(rcDraw)); }
};
WCEUI_DYNCREATE_END(CPaintProbe, CWceUiLayer)

class LayerCtrlTest : public LayerTest {
protected:
    CWceUiLayer* Probe(CWceUiLayer* pParent, LPCWSTR pName, RECT rc) { return Add(pParent, pName, rc, u"CPaintProbe"); }
    Strings Paint(RECT rc)
    {
        CPaintProbe::Log().clear();
        m_pCtrl->Draw(m_pWnd->GetWndBitmap(), rc);
        return CPaintProbe::Log();
    }
};

TEST_F(LayerCtrlTest, OcclusionPaintsOnlyWhatShows)
{
    Probe(m_pDlg, u"back", Rc(0, 0, 200, 100));
    Probe(m_pDlg, u"mid", Rc(10, 10, 60, 60));
    CWceUiLayer* top = Probe(m_pDlg, u"top", Rc(0, 0, 100, 100));
    CWceUiLayer* hidden = Probe(m_pDlg, u"hidden", Rc(0, 0, 200, 100));
    hidden->ShowLayer(FALSE);

    struct Case { const char* what; RECT dirty; Strings painted; } cases[] = {
        {"inside the opaque top", Rc(20, 20, 30, 30), {"top 20,20,30,30"}},
        {"across its edge", Rc(90, 0, 110, 10), {"back 90,0,110,10", "top 90,0,100,10"}},
        {"clipped to the bitmap", Rc(-50, -50, 65535, 65535), {"back 0,0,200,100", "top 0,0,100,100"}},
        {"outside the bitmap", Rc(300, 300, 400, 400), {}},
    };
    for (const Case& k : cases) EXPECT_EQ(Paint(k.dirty), k.painted) << k.what;
    // The layer hidden under "top" got no need-draw rectangle in the last real pass.
    Paint(Rc(20, 20, 30, 30));
    EXPECT_EQ(NeedDrawNames(), (Strings{"top"}));

    top->SetLayerNoDraw(TRUE);
    EXPECT_EQ(Paint(Rc(20, 20, 30, 30)), (Strings{"mid 20,20,30,30"}));
    top->SetLayerContainer(TRUE);  // never painted itself
    EXPECT_EQ(Paint(Rc(5, 5, 15, 15)), (Strings{"back 5,5,15,15", "mid 10,10,15,15"}));
}

TEST_F(LayerCtrlTest, InputListHoldsTheTopDialogOnly)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(0, 0, 50, 50));
    Add(a, u"a1", Rc(0, 0, 10, 10));
    CWceUiLayer* box = Add(m_pDlg, u"box", Rc(0, 0, 100, 100));
    box->SetLayerContainer(TRUE);
    Add(box, u"b1", Rc(20, 20, 30, 30));
    EXPECT_EQ(InputNames(), (Strings{"b1", "a1", "a", "dlg"}));

    struct Case { const char* what; void (*act)(CWceUiLayer* a, CWceUiLayer* box); Strings input; } cases[] = {
        {"disabled container hides its children", [](CWceUiLayer*, CWceUiLayer* b) { b->EnableLayer(FALSE); },
         {"a1", "a", "dlg"}},
        {"no-input layer hides its children", [](CWceUiLayer* l, CWceUiLayer*) { l->SetLayerNoInput(TRUE); },
         {"b1", "dlg"}},
        {"hidden layer", [](CWceUiLayer* l, CWceUiLayer*) { l->ShowLayer(FALSE); }, {"b1", "dlg"}},
    };
    for (const Case& k : cases) {
        k.act(a, box);
        EXPECT_EQ(InputNames(), k.input) << k.what;
        box->EnableLayer(TRUE);
        a->SetLayerNoInput(FALSE);
        a->ShowLayer(TRUE);
    }

    auto hit = [&](int x, int y) { return Utf8(m_pCtrl->HitTest(POINT{x, y})->GetName()); };
    EXPECT_EQ(hit(25, 25), "b1");
    EXPECT_EQ(hit(5, 5), "a1");
    EXPECT_EQ(hit(150, 5), "dlg");
    EXPECT_EQ(hit(50, 49), "dlg");  // the right edge is outside

    // A second dialog takes the input from the first.
    CWceUiDlg* d2 = AttachDialog(u"second");
    Add(d2, u"s1", Rc(0, 0, 10, 10));
    EXPECT_EQ(InputNames(), (Strings{"s1", "second"}));
    EXPECT_EQ(hit(5, 5), "s1");
    m_pCtrl->DeleteLayer(d2);
    EXPECT_EQ(InputNames(), (Strings{"b1", "a1", "a", "dlg"}));
}

TEST_F(LayerCtrlTest, DeletingFreesSubtreesAndIds)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(0, 0, 10, 10));
    CWceUiLayer* a1 = Add(a, u"a1", Rc(0, 0, 10, 10));
    Add(a1, u"a11", Rc(0, 0, 10, 10));
    Add(a, u"a2", Rc(0, 0, 10, 10));
    WORD idA = a->GetLayerId(), idA1 = a1->GetLayerId();
    EXPECT_EQ(m_pCtrl->GetLayerById(idA), a);
    EXPECT_EQ(m_pCtrl->GetLayerById((7u << 16) | idA1), a1);  // the high half is a timer's

    EXPECT_TRUE(m_pCtrl->DeleteLayer(a));
    EXPECT_EQ(m_pCtrl->GetLayerById(idA), nullptr);
    EXPECT_EQ(m_pCtrl->GetLayerById(idA1), nullptr);
    EXPECT_EQ(m_pDlg->GetChildCount(), 0);
    EXPECT_EQ(DrawNames(), (Strings{"__root_of_body__", "dlg"}));
    EXPECT_TRUE(m_pCtrl->DeleteLayer(nullptr));

    EXPECT_FALSE(m_pCtrl->DeleteLayer(m_pCtrl->RootLayer()));
    {
        // Another window's layer would take one of this tree's ids with it.
        CWceUiOffscreenWnd other(10, 10, 16);
        CWceUiLayer* pForeign = other.GetLayerCtrl()->RootLayer();
        EXPECT_FALSE(m_pCtrl->DeleteLayer(pForeign));
        EXPECT_EQ(m_pCtrl->GetLayerById(pForeign->GetLayerId()), m_pCtrl->RootLayer());
    }
    EXPECT_FALSE(m_log.Contains("detect some layer is not free"));  // that window had no leftovers

    // Layers may not be created straight on the root, nor of a non-layer class.
    EXPECT_EQ(m_pCtrl->CreateLayer(m_pCtrl->RootLayer(), u"CWceUiLayer", u"x"), nullptr);
    EXPECT_EQ(m_pCtrl->CreateLayer(m_pDlg, u"CWceUiObject", u"x"), nullptr);
    EXPECT_EQ(m_pCtrl->CreateLayer(m_pDlg, u"NoSuchClass", u"x"), nullptr);
    EXPECT_TRUE(Logged({"dont call delete root layer directly", "pParent can not be root layer",
                        "the type is not a kind of CWceUiLayer", "can not create layer, type is NoSuchClass"}));
}

TEST_F(LayerCtrlTest, WalksGoOnPastTheInlineStack)
{
    // 300 levels deep, then 300 siblings that each have a child: every walk must reach all.
    // Built while detached, so that each creation does not rebuild the lists.
    m_pCtrl->RootLayer()->RemoveChild(m_pDlg);
    CWceUiLayer* p = m_pDlg;
    for (int i = 0; i < 300; ++i) p = Add(p, u"deep", Rc(0, 0, 200, 100), u"CWceUiLayer", WCEUI_POS_RELATIVE);
    p->SetName(u"bottom");
    CWceUiLayer* wide = Add(m_pDlg, u"wide", Rc(0, 0, 1, 1));
    for (int i = 0; i < 300; ++i) Add(Add(wide, u"w", Rc(0, 0, 1, 1)), u"leaf", Rc(0, 0, 1, 1));
    m_pCtrl->RootLayer()->AppendChild(m_pDlg);

    EXPECT_EQ(m_pDlg->GetLayerByName(u"bottom"), p);
    EXPECT_EQ(static_cast<int>(DrawNames().size()), 2 + 300 + 1 + 600);
    EXPECT_EQ(static_cast<int>(InputNames().size()), 1 + 300 + 1 + 600);
    m_pDlg->SendOnInitLayer();  // must not stop half-way (checked by the sanitizer build too)
    m_pCtrl->FreeBmpRes();
    EXPECT_EQ(WndRect(p), "0,0,200,100");
    EXPECT_TRUE(m_pCtrl->DeleteLayer(wide));
}

TEST_F(LayerCtrlTest, NoFreeIdFailsTheCreationAndKeepsTheTree)
{
    // A detached dialog keeps the lists out of it, so 65,000 creations stay quick.
    CWceUiDlg* pool = new CWceUiDlg;
    pool->SetLayerCtrl(m_pCtrl);
    m_pCtrl->InitLayerInfo(pool, u"pool");
    int nCreated = 0;
    while (m_pCtrl->CreateLayer(pool, u"CWceUiLayer", nullptr)) ++nCreated;
    EXPECT_EQ(nCreated, 65534 - 3);  // root, dlg and pool hold three ids
    EXPECT_EQ(pool->GetChildCount(), nCreated);
    EXPECT_TRUE(m_log.Contains("no free layer id"));
    // Ids come back after a delete.
    m_pCtrl->DeleteLayer(pool->GetFirstChild());
    EXPECT_NE(m_pCtrl->CreateLayer(pool, u"CWceUiLayer", nullptr), nullptr);
    m_pCtrl->DeleteLayer(pool);
}

class DlgFileTest : public LayerCtrlTest {
protected:
    void SetUp() override { LayerCtrlTest::SetUp(); CJxGVar::GetInstance()->GetCJxGlobalData()->SetWndDir(u"\\SDMMC\\wnd\\"); }

    void WriteDialog(const std::string& relative, const std::u16string& body)
    {
        WriteText("SDMMC/wnd/" + relative + ".dlg.xml", u"<dlg>" + body + u"</dlg>");
        WriteText("SDMMC/wnd/" + relative + ".style.xml", u"<s><style></style></s>");
    }
};

TEST_F(DlgFileTest, CreateDlgFindsFilesAndClassesByPath)
{
    WriteDialog("sub/CWceUiDlg",
                u"<body name='main' windowrect='0,0,200,100'><a type='CWceUiLayer' name='x'>"
                u"<b type='CWceUiLayer' name='y'/></a><c type='CWceUiLayer' name='z'/></body>");
    CWceUiDlg* pDlg = m_pCtrl->CreateDlg(u"sub\\CWceUiDlg");
    ASSERT_NE(pDlg, nullptr);
    EXPECT_EQ(Utf8(pDlg->GetName()), "main");
    EXPECT_EQ(pDlg->GetParent(), nullptr);
    EXPECT_EQ(pDlg->GetRunWay(), DLG_RUN_NONE);
    RECT rc;
    pDlg->GetWndRect(&rc);
    EXPECT_EQ(RectText(rc), "0,0,200,100");
    ASSERT_NE(pDlg->GetLayerByName(u"y"), nullptr);
    EXPECT_EQ(Utf8(pDlg->GetLayerByName(u"y")->GetParent()->GetName()), "x");
    EXPECT_EQ(Utf8(pDlg->GetLastChild()->GetName()), "z");
    m_pCtrl->DeleteLayer(pDlg);
}

TEST_F(DlgFileTest, BadPathsClassesAndFilesAreReported)
{
    const std::u16string longPath = std::u16string(250, u'd') + u"\\CWceUiDlg";
    struct Case { const char* what; std::u16string body, path; const char* message; bool bMade = false; } cases[] = {
        {"unknown class", u"", u"sub\\CNoSuchDlg", "can not create class CNoSuchDlg"},
        {"not a dialog", u"", u"CWceUiLayer", "CWceUiLayer is not a kind of CWceUiDlg"},
        {"missing files", u"", u"CWceUiDlg", "can not load style file"},
        {"too long a path", u"", longPath, "longer than 259 characters"},
        {"no body", u"<other/>", u"CWceUiDlg", "can not find body elements"},
        {"no type", u"<body><a name='x'/></body>", u"CWceUiDlg", "no type attributes"},
        {"unknown type", u"<body><a type='CNope'/></body>", u"CWceUiDlg", "the type is CNope"},
        {"bad window rectangle", u"<body windowrect='1,2,3'/>", u"CWceUiDlg", "windowrect 1,2,3 is not valid", true},
    };
    for (const Case& k : cases) {
        if (!k.body.empty()) WriteDialog("CWceUiDlg", k.body);
        m_log.Clear();
        CWceUiDlg* pDlg = m_pCtrl->CreateDlg(k.path.c_str());
        EXPECT_EQ(pDlg != nullptr, k.bMade) << k.what;
        EXPECT_TRUE(m_log.Contains(k.message)) << k.what;
        if (pDlg) m_pCtrl->DeleteLayer(pDlg);
    }
    // Whatever failed gave its ids back: only the root and the fixture's dialog hold one.
    for (DWORD id = 3; id < 10; ++id) EXPECT_EQ(m_pCtrl->GetLayerById(id), nullptr) << id;
}

// The mask against a plain set of covered pixels, on widths that end inside a word.
TEST_F(LayerCtrlTest, CoverageMaskTestAndFillAgreeWithAPixelSet)
{
    for (int width : {1, 63, 64, 65, 130}) {
        const int height = 5;
        CTestFillRect mask;
        ASSERT_TRUE(mask.Create(width, height));
        std::vector<bool> covered(static_cast<size_t>(width) * height);
        std::mt19937 rng(static_cast<unsigned>(width));
        for (int round = 0; round < 200; ++round) {
            int l = static_cast<int>(rng() % width), t = static_cast<int>(rng() % height);
            RECT rc = Rc(l, t, l + 1 + static_cast<int>(rng() % (width - l)), t + 1 + static_cast<int>(rng() % (height - t)));
            bool all = true;
            for (int y = rc.top; y < rc.bottom; ++y)
                for (int x = rc.left; x < rc.right; ++x) all = all && covered[y * width + x];
            ASSERT_EQ(mask.Test(rc), all ? TRUE : FALSE) << width << " " << RectText(rc);
            if (rng() % 3 == 0) {
                for (int y = rc.top; y < rc.bottom; ++y)
                    for (int x = rc.left; x < rc.right; ++x) covered[y * width + x] = true;
                bool full = std::all_of(covered.begin(), covered.end(), [](bool b) { return b; });
                ASSERT_EQ(mask.Fill(rc), full ? TRUE : FALSE) << width;
            }
        }
    }
    CTestFillRect mask;
    EXPECT_FALSE(mask.Create(0, 5));
    EXPECT_TRUE(m_log.Contains("check(nWidth > 0)fail"));
}

}  // namespace
