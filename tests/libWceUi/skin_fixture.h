// A window over a skin written by the skin builder into the test's device: the set "s"
// below "\\SDMMC\\skin\\", with the window and resource directories pointing into it.
#pragma once

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "SkinBuilder.h"
#include "bitmap_helpers.h"
#include "layer_fixture.h"

// Every pixel, row by row from the top.
inline std::vector<unsigned> PixelsOf(const CWceUiGenericBitmap& bitmap)
{
    std::vector<unsigned> px;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x) px.push_back(PixelAt(bitmap, x, y));
    return px;
}

class LayerSkinTest : public LayerTest {
protected:
    // Writes the skin and builds the dialog of that class from it, attached to the root.
    CWceUiDlg* Build(const std::string& body, const std::string& styles, const char* pClass = "CWceUiDlg")
    {
        if (m_pBuilt) m_pCtrl->DeleteLayer(m_pBuilt);  // one built dialog at a time
        m_skin.Dialog("s", pClass, "<d><body name=\"main\">" + body + "</body></d>",
                      "<k><style>" + styles + "</style></k>");
        std::string error;
        EXPECT_TRUE(m_skin.WriteFolder(m_device.Host("SDMMC/skin"), error)) << error;
        CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
        pGlobal->SetWndDir(u"\\SDMMC\\skin\\s\\wnd\\");
        pGlobal->SetResDir(u"\\SDMMC\\skin\\s\\res\\");
        CWceUiDlg* pDlg = m_pCtrl->CreateDlg(Utf8ToWide(pClass).c_str());
        if (pDlg) {
            RECT rc = Rc(0, 0, 200, 100);
            pDlg->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
            m_pCtrl->RootLayer()->AppendChild(pDlg);
        }
        m_pBuilt = pDlg;
        return pDlg;
    }
    void TearDown() override
    {
        if (m_pBuilt) m_pCtrl->DeleteLayer(m_pBuilt);
        LayerTest::TearDown();
    }
    unsigned Px(int x, int y) const { return PixelAt(*m_pWnd->GetWndBitmap(), x, y); }
    void PaintAll()
    {
        m_pWnd->InvalidateAll();
        m_pWnd->Paint();
    }

    skinbuild::SkinBuilder m_skin;
    CWceUiDlg* m_pBuilt = nullptr;
};

// 565 values of a few exact colours.
enum : unsigned { k565Red = 0xF800, k565Green = 0x07E0, k565Blue = 0x001F, k565White = 0xFFFF, k565Black = 0 };
