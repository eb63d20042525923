// Styles on layers: merging with the common style, bound setters, and what a new style
// changes in the window and the lists.
#include <algorithm>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "WceUiStyle.h"
#include "layer_fixture.h"

namespace {

class LayerStyleTest : public LayerTest {
protected:
    void SetUp() override
    {
        LayerTest::SetUp();
        CJxGVar::GetInstance()->GetCJxGlobalData()->SetWndDir(u"\\SDMMC\\wnd\\");
        WriteText("SDMMC/wnd/CWceUiDlg.dlg.xml",
                  u"<d><body name='main'>"
                  u"<a type='CWceUiLayer' name='a' common.style='common' style='plain'/>"
                  u"<b type='CWceUiLayer' name='b' style='plain'/>"
                  u"</body></d>");
        WriteText("SDMMC/wnd/CWceUiDlg.style.xml",
                  u"<s><style>"
                  u"<common><position rect='0,0,10,10'/><text res-id='from_common'/></common>"
                  u"<plain><position rect='20,20,30,30'/><text res-id='plain'/></plain>"
                  u"<moved><position rect='50,50,10,10'/><layout visibility='true'/></moved>"
                  u"<hidden><position rect='20,20,30,30'/><layout visibility='false'/></hidden>"
                  u"<deaf><position rect='20,20,30,30'/><adv-properties no-input='true'/></deaf>"
                  u"</style></s>");
        m_pMain = m_pCtrl->CreateDlg(u"CWceUiDlg");
        ASSERT_NE(m_pMain, nullptr);
        m_pCtrl->RootLayer()->AppendChild(m_pMain);
        ClearDirty();
    }
    void TearDown() override { m_pCtrl->DeleteLayer(m_pMain); LayerTest::TearDown(); }
    CWceUiLayer* Layer(LPCWSTR pName) { return m_pMain->GetLayerByName(pName); }
    CWceUiDlg* m_pMain = nullptr;
};

TEST_F(LayerStyleTest, CommonStyleGroupsWinAndValuesWrittenIntoItSurvive)
{
    EXPECT_EQ(WndRect(Layer(u"a")), "0,0,10,10");  // the common style specified the position
    EXPECT_EQ(Utf8(Layer(u"a")->GetTextResID()), "from_common");
    EXPECT_EQ(WndRect(Layer(u"b")), "20,20,50,50");

    Layer(u"a")->ShowLayer(FALSE, TRUE);
    EXPECT_TRUE(Layer(u"a")->SetStyle(u"moved"));
    EXPECT_FALSE(Layer(u"a")->IsLayerVisible());  // kept from the common style
    Layer(u"b")->ShowLayer(FALSE, FALSE);
    EXPECT_TRUE(Layer(u"b")->SetStyle(u"moved"));
    EXPECT_TRUE(Layer(u"b")->IsLayerVisible());

    EXPECT_FALSE(Layer(u"b")->SetStyle(u"nope"));
    EXPECT_FALSE(Layer(u"b")->SetCommonStyle(u"nope"));
    EXPECT_TRUE(Logged({"Can not load style nope", "Can not load the style nope"}));
    EXPECT_EQ(WndRect(Layer(u"b")), "50,50,60,60");  // a failed style leaves the last one
}

TEST_F(LayerStyleTest, NewStylesRepaintOldAndNewPlacesAndRebuildTheLists)
{
    CWceUiLayer* b = Layer(u"b");
    struct Case { const char* style; const char* dirty; bool inInput; } cases[] = {
        {"moved", "20,20,60,60", true},
        {"hidden", "20,20,60,60", false},
        {"plain", "20,20,50,50", true},
        {"deaf", "20,20,50,50", false},
        {"deaf", "20,20,50,50", false},  // nothing moves: the layer alone
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(b->SetStyle(Utf8ToWide(k.style).c_str())) << k.style;
        EXPECT_EQ(Dirty(), k.dirty) << k.style;
        Strings input = InputNames();
        EXPECT_EQ(std::find(input.begin(), input.end(), "b") != input.end(), k.inInput) << k.style;
        ClearDirty();
    }
}

TEST_F(LayerStyleTest, BoundStyleSettersActThroughTheLayer)
{
    CWceUiLayer* b = Layer(u"b");
    CWceUiStyle* pStyle = b->GetStyle();
    pStyle->SetVisible(FALSE);
    EXPECT_FALSE(b->IsLayerVisible());
    EXPECT_EQ(Dirty(), "20,20,50,50");
    EXPECT_EQ(InputNames(), (Strings{"a", "main"}));
    RECT rc = Rc(1, 2, 3, 4);
    pStyle->SetPosition(&rc, FALSE);
    EXPECT_EQ(WndRect(b), "1,2,3,4");
    pStyle->SetContainer(TRUE);
    EXPECT_TRUE(b->IsLayerNoDraw());
    // A copy is free of the layer.
    CWceUiStyle copy(*pStyle);
    copy.SetVisible(TRUE);
    EXPECT_FALSE(b->IsLayerVisible());
}

}  // namespace
