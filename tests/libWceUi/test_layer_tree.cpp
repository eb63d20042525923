// The layer tree: insertions and their refusals, order, names, effective flags, both
// position ways and the invalidations a window sees.
#include <map>

#include "layer_fixture.h"

namespace {

Strings ChildNames(CWceUiLayer* pParent)
{
    Strings names;
    for (CWceUiLayer* p = pParent->GetFirstChild(); p; p = pParent->NextChild(p)) names.push_back(Utf8(p->GetName()));
    return names;
}

class LayerTreeTest : public LayerTest {
protected:
    // A layer of this controller in no tree.
    CWceUiLayer* Loose()
    {
        CWceUiLayer* p = m_pCtrl->impCreateLayer(m_pDlg, u"CWceUiLayer");
        p->SetLayerCtrl(m_pCtrl);
        return p;
    }
};

TEST_F(LayerTreeTest, InsertionsPlaceChildrenAndRefuseWhatWouldBreakTheTree)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(0, 0, 10, 10));
    CWceUiLayer* b = Add(m_pDlg, u"b", Rc(0, 0, 10, 10));
    CWceUiLayer* c = Add(a, u"c", Rc(0, 0, 10, 10));
    CWceUiLayer* loose = Loose();
    loose->SetName(u"x");

    CWceUiOffscreenWnd other(10, 10, 16);
    CWceUiLayer* foreign = new CWceUiLayer;
    foreign->SetLayerCtrl(other.GetLayerCtrl());

    // A detached subtree whose top is an ancestor of the layer asked to take it.
    CWceUiLayer* top = Loose();
    CWceUiLayer* below = Loose();
    ASSERT_TRUE(top->AppendChild(below));

    struct Refusal { const char* what; CWceUiLayer* parent; CWceUiLayer* child; const char* message; } refusals[] = {
        {"child with a parent", b, c, "CWceUiLayer::AppendChild failed, pNewChild->GetParent() must be NULL"},
        {"itself", loose, loose, "check("},
        {"its ancestor", below, top, "check("},
        {"the root", a, m_pCtrl->RootLayer(), "check("},
        {"another controller's layer", a, foreign, "check("},
        {"null", a, nullptr, "check(NULL != pNewChild)"},
    };
    for (const Refusal& r : refusals) {
        m_log.Clear();
        EXPECT_FALSE(r.parent->AppendChild(r.child)) << r.what;
        EXPECT_TRUE(m_log.Contains(r.message)) << r.what;
    }
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"a", "b"}));
    EXPECT_EQ(ChildNames(a), (Strings{"c"}));

    // Order: head, before, after, tail.
    ASSERT_TRUE(m_pDlg->AddHeadChild(loose));
    CWceUiLayer* y = m_pCtrl->CreateLayerAfter(m_pDlg, a, u"CWceUiLayer", u"y");
    CWceUiLayer* z = m_pCtrl->CreateLayerAfter(m_pDlg, nullptr, u"CWceUiLayer", u"z");
    ASSERT_TRUE(y && z);
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"z", "x", "a", "y", "b"}));
    EXPECT_EQ(m_pDlg->GetChildByIndex(3), y);
    EXPECT_EQ(m_pDlg->GetChildByIndex(5), nullptr);
    EXPECT_EQ(m_pDlg->PreChild(a), loose);

    // The root takes dialogs only at its tail.
    CWceUiDlg* d2 = new CWceUiDlg;
    d2->SetLayerCtrl(m_pCtrl);
    EXPECT_FALSE(m_pCtrl->RootLayer()->AddHeadChild(d2));
    EXPECT_FALSE(m_pCtrl->RootLayer()->InsertBefore(nullptr, d2));
    EXPECT_FALSE(m_pCtrl->RootLayer()->InsertAfter(nullptr, d2));
    EXPECT_TRUE(Logged({"RootLayer does not support AddHeadChild",
                        "root layer does not support insert before", "root layer does not support insert after"}));
    delete d2;

    m_pCtrl->DeleteLayer(top);
    delete foreign;
}

TEST_F(LayerTreeTest, MovesReorderSiblingsAndRefuseStrangers)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(0, 0, 10, 10));
    CWceUiLayer* b = Add(m_pDlg, u"b", Rc(20, 0, 30, 10));
    CWceUiLayer* c = Add(m_pDlg, u"c", Rc(40, 0, 50, 10));
    CWceUiLayer* inner = Add(c, u"inner", Rc(0, 0, 5, 5));
    ClearDirty();

    EXPECT_TRUE(a->MoveAfter(nullptr));
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"b", "c", "a"}));
    EXPECT_TRUE(a->MoveBefore(nullptr));
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"a", "b", "c"}));
    ClearDirty();
    EXPECT_TRUE(c->MoveBefore(a));
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"c", "a", "b"}));
    EXPECT_EQ(Dirty(), "0,0,50,10");  // both layers repainted
    EXPECT_EQ(DrawNames(), (Strings{"__root_of_body__", "dlg", "c", "inner", "a", "b"}));

    EXPECT_FALSE(a->MoveBefore(inner));
    EXPECT_FALSE(a->MoveAfter(inner));
    EXPECT_FALSE(m_pDlg->MoveAfter(nullptr));
    EXPECT_FALSE(a->MoveAfter(a));
    EXPECT_TRUE(Logged({"CWceUiLayer::MoveBefore, pBeforeThis is not a brother",
                        "CWceUiLayer::MoveAfter, pAfterThis is not a brother",
                        "CWceUiLayer::MoveAfter, the parent is root"}));
    EXPECT_EQ(ChildNames(m_pDlg), (Strings{"c", "a", "b"}));

    EXPECT_TRUE(m_pDlg->RemoveChild(b));
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_FALSE(m_pDlg->RemoveChild(b));
    EXPECT_TRUE(m_pDlg->AppendChild(b));
    EXPECT_EQ(m_pDlg->GetLastChild(), b);
    EXPECT_TRUE(c->RemoveTail());
    EXPECT_FALSE(c->RemoveTail());
    m_pCtrl->DeleteLayer(inner);
}

TEST_F(LayerTreeTest, NamesMatchIgnoringCaseAndNeverEmpty)
{
    CWceUiLayer* unnamed = Add(m_pDlg, nullptr, Rc(0, 0, 1, 1));
    CWceUiLayer* ok1 = Add(m_pDlg, u"OK", Rc(0, 0, 1, 1));
    CWceUiLayer* deep = Add(unnamed, u"Deep", Rc(0, 0, 1, 1));
    Add(m_pDlg, u"ok", Rc(0, 0, 1, 1));
    EXPECT_EQ(m_pDlg->GetChildByName(u"ok"), ok1);
    EXPECT_EQ(m_pDlg->GetLayerByName(u"oK"), ok1);
    EXPECT_EQ(m_pDlg->GetLayerByName(u"DEEP"), deep);  // pre-order: below the unnamed first child
    EXPECT_EQ(m_pDlg->GetChildByName(u"deep"), nullptr);
    EXPECT_EQ(m_pDlg->GetLayerByName(u"dlg"), m_pDlg);
    m_log.Clear();
    EXPECT_EQ(m_pDlg->GetLayerByName(u""), nullptr);
    EXPECT_EQ(m_pDlg->GetChildByName(u""), nullptr);
    EXPECT_TRUE(m_log.Contains("check(*pName)fail"));
}

TEST_F(LayerTreeTest, EffectiveFlagsFollowAncestorsAndContainers)
{
    CWceUiLayer* parent = Add(m_pDlg, u"parent", Rc(0, 0, 50, 50));
    CWceUiLayer* child = Add(parent, u"child", Rc(0, 0, 10, 10));
    using Change = void (*)(CWceUiLayer*, CWceUiLayer*);
    struct Case { const char* what; Change change; BOOL visible, enabled, noDraw, noInput; } cases[] = {
        {"defaults", [](CWceUiLayer*, CWceUiLayer*) {}, TRUE, TRUE, FALSE, FALSE},
        {"hidden parent", [](CWceUiLayer* p, CWceUiLayer*) { p->ShowLayer(FALSE); }, FALSE, TRUE, FALSE, FALSE},
        {"disabled parent", [](CWceUiLayer* p, CWceUiLayer*) { p->EnableLayer(FALSE); }, TRUE, FALSE, FALSE, FALSE},
        {"container", [](CWceUiLayer*, CWceUiLayer* c) { c->SetLayerContainer(TRUE); }, TRUE, TRUE, TRUE, TRUE},
        {"no redraw", [](CWceUiLayer*, CWceUiLayer* c) { c->SetReDraw(FALSE); }, TRUE, TRUE, TRUE, FALSE},
        {"no draw", [](CWceUiLayer*, CWceUiLayer* c) { c->SetLayerNoDraw(7); }, TRUE, TRUE, TRUE, FALSE},
        {"no input", [](CWceUiLayer*, CWceUiLayer* c) { c->SetLayerNoInput(TRUE); }, TRUE, TRUE, FALSE, TRUE},
    };
    for (const Case& k : cases) {
        k.change(parent, child);
        EXPECT_EQ((std::vector<BOOL>{child->IsLayerVisible(), child->IsLayerEnabled(), child->IsLayerNoDraw(),
                                     child->IsLayerNoInput()}),
                  (std::vector<BOOL>{k.visible, k.enabled, k.noDraw, k.noInput})) << k.what;
        parent->ShowLayer(TRUE);
        parent->EnableLayer(TRUE);
        child->SetLayerContainer(FALSE);
        child->SetReDraw(TRUE);
        child->SetLayerNoDraw(FALSE);
        child->SetLayerNoInput(FALSE);
    }
}

TEST_F(LayerTreeTest, PositionWaysAndTheirWindowRectangles)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(10, 20, 110, 70));
    CWceUiLayer* b = Add(a, u"b", Rc(5, 5, 15, 15), u"CWceUiLayer", WCEUI_POS_RELATIVE);
    CWceUiLayer* c = Add(b, u"c", Rc(1, 1, 2, 2), u"CWceUiLayer", WCEUI_POS_RELATIVE);
    EXPECT_EQ(WndRect(c), "16,26,17,27");
    RECT rc;
    c->GetClientRect(&rc);
    EXPECT_EQ(RectText(rc), "0,0,1,1");
    POINT pt = {3, 4};
    b->ClientToWindow(&pt);
    EXPECT_EQ(pt.x, 18);
    EXPECT_EQ(pt.y, 29);
    rc = Rc(15, 25, 20, 30);
    b->WindowToClient(&rc);
    EXPECT_EQ(RectText(rc), "0,0,5,5");

    // MoveLayer takes window coordinates and keeps the way.
    ClearDirty();
    ASSERT_TRUE(b->MoveLayer(50, 60, 10, 10));
    EXPECT_EQ(b->GetLayerPosition(&rc), WCEUI_POS_RELATIVE);
    EXPECT_EQ(RectText(rc), "40,40,50,50");
    EXPECT_EQ(Dirty(), "15,25,60,70");  // the old and the new place
    // The same window rectangle in the other way is stored, without a repaint.
    ClearDirty();
    RECT rcWnd = Rc(50, 60, 60, 70);
    ASSERT_TRUE(b->SetLayerPosition(&rcWnd, WCEUI_POS_WINDOW));
    EXPECT_EQ(b->GetLayerPosition(nullptr), WCEUI_POS_WINDOW);
    EXPECT_EQ(Dirty(), "none");
    a->MoveLayer(0, 0, 100, 50);
    EXPECT_EQ(WndRect(b), "50,60,60,70");  // no longer follows its parent

    // A relative layer without a parent is where its rectangle says.
    CWceUiLayer* loose = Loose();
    RECT rcRel = Rc(3, 3, 4, 4);
    loose->SetLayerPosition(&rcRel, WCEUI_POS_RELATIVE, FALSE);
    EXPECT_EQ(WndRect(loose), "3,3,4,4");
    delete loose;

    EXPECT_FALSE(a->SetLayerPosition(&rcRel, 2));
    EXPECT_TRUE(m_log.Contains("CWceUiLayer::SetLayerPosition, posWay is invalid"));
    ASSERT_TRUE(a->SetWindowPos(7, 8, 0, 0, 1));  // keep the size
    EXPECT_EQ(WndRect(a), "7,8,107,58");
    ASSERT_TRUE(a->SetWindowPos(0, 0, 5, 6, 2));  // keep the place
    EXPECT_EQ(WndRect(a), "7,8,12,14");
}

TEST_F(LayerTreeTest, InvalidationsReachTheWindowOnlyForRealChanges)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(10, 10, 20, 20));
    CWceUiLayer* box = Add(m_pDlg, u"box", Rc(0, 0, 100, 100));
    box->SetLayerContainer(TRUE);
    Add(box, u"in1", Rc(30, 30, 40, 40));
    Add(box, u"in2", Rc(50, 50, 60, 60));
    Add(a, u"outside", Rc(150, 80, 160, 90));
    ClearDirty();

    struct Case { const char* what; void (*act)(CWceUiLayer* a, CWceUiLayer* box); const char* dirty; } cases[] = {
        {"show the current value", [](CWceUiLayer* l, CWceUiLayer*) { l->ShowLayer(TRUE); }, "none"},
        {"hide: with its descendants", [](CWceUiLayer* l, CWceUiLayer*) { l->ShowLayer(FALSE); }, "10,10,160,90"},
        {"container passes to children", [](CWceUiLayer*, CWceUiLayer* b) { b->InvalidateLayer(nullptr); },
         "30,30,60,60"},
        {"a given rectangle", [](CWceUiLayer* l, CWceUiLayer*) { RECT r = Rc(1, 2, 3, 4); l->InvalidateLayer(&r); },
         "1,2,3,4"},
        {"text", [](CWceUiLayer* l, CWceUiLayer*) { l->SetText(u"x"); }, "10,10,20,20"},
        {"no draw stores only", [](CWceUiLayer* l, CWceUiLayer*) { l->SetLayerNoDraw(TRUE); }, "none"},
    };
    for (const Case& k : cases) {
        k.act(a, box);
        EXPECT_EQ(Dirty(), k.dirty) << k.what;
        a->ShowLayer(TRUE);
        ClearDirty();
    }
}

TEST_F(LayerTreeTest, TextFromTheProgramWinsOverTheResourceId)
{
    CWceUiLayer* a = Add(m_pDlg, u"a", Rc(0, 0, 10, 10));
    EXPECT_TRUE(a->SetTextResID(42u));
    EXPECT_EQ(Utf8(a->GetTextResID()), "42");
    EXPECT_TRUE(a->SetText(u"typed"));
    EXPECT_EQ(Utf8(a->GetText()), "typed");
    EXPECT_TRUE(a->SetTextResID(static_cast<LPCWSTR>(nullptr)));
    EXPECT_EQ(Utf8(a->GetText()), "");  // back to the (empty) id
}

// A layer that records what the window delivers to it.
class CProbeLayer : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CProbeLayer, CWceUiLayer)
public:
    std::vector<std::string> events;
    void OnTimer(WORD nTimerId) override { events.push_back("timer " + std::to_string(nTimerId)); }
    void OnLoseCapture() override { events.push_back("lose"); }
    LRESULT OnRegisteredMsg(UINT msg, WPARAM, LPARAM) override { events.push_back("msg " + std::to_string(msg)); return 7; }



};
WCEUI_DYNCREATE_END(CProbeLayer, CWceUiLayer)

TEST_F(LayerTreeTest, TimersMessagesAndCaptureGoThroughTheWindow)
{
    auto* a = static_cast<CProbeLayer*>(Add(m_pDlg, u"a", Rc(0, 0, 10, 10), u"CProbeLayer"));
    auto* b = static_cast<CProbeLayer*>(Add(m_pDlg, u"b", Rc(0, 0, 10, 10), u"CProbeLayer"));
    ASSERT_TRUE(a && b);
    UINT packed = (3u << 16) | a->GetLayerId();
    ASSERT_TRUE(a->SetTimer(3, 100));
    ASSERT_TRUE(a->SetTimer(3, 200));
    EXPECT_EQ(m_pWnd->GetTimers(), (std::map<UINT, UINT>{{packed, 200u}}));
    EXPECT_TRUE(m_pWnd->FireTimer(packed));
    EXPECT_TRUE(a->KillTimer(3));
    EXPECT_FALSE(a->KillTimer(3));
    EXPECT_FALSE(m_pWnd->FireTimer(packed));

    a->RegisterMsg(33768);
    a->RegisterMsg(33768);
    b->RegisterMsg(33768);
    EXPECT_EQ(m_pWnd->SendRegisteredMsg(33768, 0, 0), 7);  // once to a, though registered twice

    a->SetCapture();
    a->SetCapture();  // again: not told
    b->SetCapture();  // the old holder hears of it
    EXPECT_EQ(m_pWnd->GetCapture(), b);
    EXPECT_FALSE(a->ReleaseCapture());
    EXPECT_EQ(a->events, (Strings{"timer 3", "msg 33768", "lose"}));

    // Disabling an ancestor of the holder frees the capture.
    m_pDlg->EnableLayer(FALSE);
    EXPECT_EQ(m_pWnd->GetCapture(), nullptr);
    m_pDlg->EnableLayer(TRUE);

    // A deleted layer leaves no timer, message or capture behind.
    b->SetTimer(1, 10);
    b->SetCapture();
    m_pCtrl->DeleteLayer(b);
    m_pCtrl->DeleteLayer(a);
    EXPECT_TRUE(m_pWnd->GetTimers().empty());
    EXPECT_TRUE(m_pWnd->GetRegisteredMsgs().empty());
    EXPECT_EQ(m_pWnd->GetCapture(), nullptr);
}

}  // namespace
