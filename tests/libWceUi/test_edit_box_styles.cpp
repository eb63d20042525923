// Edit boxes from a dialog file: a tap gives the focus and its look, and takes both from the
// other box; the style attributes are read from the element.
#include "WceUiEditBox.h"
#include "controls_fixture.h"
#include "wce/window.h"

namespace {

const char* const kEditStyles =
    "<pos_e><position rect=\"10,10,100,40\"/></pos_e><pos_f><position rect=\"10,50,100,80\"/></pos_f>"
    "<n><background color=\"0xFF0000\"/></n><fo><background color=\"0x00FF00\"/></fo>";

class EditStyleTest : public ControlsTest {
protected:
    void Tap(int x, int y)
    {
        Pen('d', x, y);
        Pen('u', x, y);
    }
    std::string Looks() { return std::string(Px(50, 20) == k565Green ? "G" : "r") + (Px(50, 60) == k565Green ? "G" : "r"); }
};

TEST_F(EditStyleTest, TapsMoveTheFocusAndItsLook)
{
    ASSERT_TRUE(BuildDlg("<e name=\"e\" type=\"CWceUiSEditBox\" common.style=\"pos_e\" style=\"n\" focus.style=\"fo\"/>"
                         "<f name=\"f\" type=\"CWceUiMEditBox\" common.style=\"pos_f\" style=\"n\" focus.style=\"fo\"/>",
                         kEditStyles));
    auto* e = Layer<CWceUiEditBox>(u"e");
    auto* f = Layer<CWceUiEditBox>(u"f");
    ASSERT_TRUE(e && f);
    EXPECT_FALSE(f->IsVertical() == e->IsVertical());
    EXPECT_EQ("rr", Looks());
    Tap(50, 20);
    EXPECT_EQ("Gr", Looks());
    m_pWnd->SendRegisteredMsg(WM_CHAR, 'q', 1);
    Tap(50, 60);
    EXPECT_EQ("rG", Looks());
    m_pWnd->SendRegisteredMsg(WM_CHAR, 'z', 1);
    EXPECT_EQ("q", Utf8(e->GetEditText()));
    EXPECT_EQ("z", Utf8(f->GetEditText()));
    f->EnableLayer(FALSE);
    PaintAll();
    EXPECT_EQ("rr", Looks());
}

}  // namespace
