// The list both list benchmarks flick (bench_list off screen, bench_sdl_flick on the SDL
// display): an 800 x 480 dialog with a 520 x 336 list box of 200 items 56 high, each with an
// image, skinned from a folder the benchmark writes. bench_list's list also has check marks
// and a scroll bar.
#pragma once

#include <filesystem>
#include <string>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "SkinBuilder.h"
#include "ToolSupport.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "wce/wstring.h"

namespace benchlist {

constexpr int kItems = 200;

inline void WriteSkin(skinbuild::SkinBuilder& b, LPCWSTR pDlgClass, bool bCheckAndBar)
{
    skinbuild::BitmapOptions alpha;
    alpha.perPixelAlpha = true;
    b.Bitmap565("800x480", "line", 520, 56, [](int x, int y) { return y == 55 ? 0xFFC0C0C8u : 0xFFF0F0F8u - (x & 1); });
    b.Bitmap565("800x480", "linesel", 520, 56, [](int, int) { return 0xFFD0E0FFu; });
    if (bCheckAndBar)
        b.Bitmap565("800x480", "check", 28, 28, [](int x, int y) { return ((x - 14) * (x - 14) + (y - 14) * (y - 14) < 160) ? 0xFF2070E0u : 0x002070E0u; }, alpha);
    b.Bitmap565("800x480", "icon", 40, 40, [](int x, int y) { return (x > 4 && x < 36 && y > 2 && y < 38) ? 0xFF3080E0u : 0x40000000u; }, alpha);
    if (bCheckAndBar) {
        b.Bitmap565("800x480", "bartop", 6, 3, [](int, int) { return 0xC0808080u; }, alpha);
        b.Bitmap565("800x480", "barmid", 6, 336, [](int, int) { return 0xC0808080u; }, alpha);
        b.Bitmap565("800x480", "barbot", 6, 3, [](int, int) { return 0xC0808080u; }, alpha);
    }
    const std::string checkAndBar = bCheckAndBar ? " item_check=\"check.565a.conf\""
                                                   " scrollbar_top=\"bartop.565a.conf\" scrollbar_middle=\"barmid.565a.conf\""
                                                   " scrollbar_bottom=\"barbot.565a.conf\""
                                                 : "";
    b.Dialog("800x480", WideToUtf8(pDlgClass),
             "<d><body name=\"main\" style=\"body\">"
             "<list name=\"list\" type=\"CWceUiListBox\" style=\"list\" item_height=\"56\" extra_scroll=\"60\""
             " linebg_normal=\"line.565a.conf\" linebg_select=\"linesel.565a.conf\"" + checkAndBar +
             " textcolor_select=\"000000\" draw_item_image=\"true\""
             " item_image_width=\"64\" default_item_image=\"icon.565a.conf\"/></body></d>",
             "<k><style><body><position rect=\"0,0,800,480\"/><background color=\"0x101828\"/></body>"
             "<list><position rect=\"140,72,520,336\"/><background color=\"0xF0F0F8\"/>"
             "<text color=\"0x000000\"/></list></style></k>");
}

// Writes the skin into folder, points the framework at it and registers the dialog class
// (the registry keeps the name: pass a literal).
inline bool UseSkin(const std::string& folder, LPCWSTR pDlgClass, bool bCheckAndBar, std::string& error)
{
    skinbuild::SkinBuilder builder;
    WriteSkin(builder, pDlgClass, bCheckAndBar);
    if (!builder.WriteFolder(folder, error)) return false;
    CJxGlobalData* pGlobal = CJxGVar::GetInstance()->GetCJxGlobalData();
    std::u16string set = tool::HostToDevicePath(std::filesystem::absolute(folder).string()) + u"\\800x480\\";
    pGlobal->SetWndDir((set + u"wnd\\").c_str());
    pGlobal->SetResDir((set + u"res\\").c_str());
    JxGetHandleDycInfo()->RegisterClassInfo(&CWceUiDlg::CreateWceUiObject, pDlgClass, u"CWceUiDlg");
    return true;
}

// The dialog in the window's layer tree, its list filled with kItems items; the list, or
// null (error) when the dialog does not build.
inline CWceUiListBox* BuildDialog(CWceUiLayerCtrl* pCtrl, LPCWSTR pDlgClass, CWceUiDlg*& pDlg, std::string& error)
{
    pDlg = pCtrl->CreateDlg(pDlgClass);
    if (!pDlg) {
        error = "cannot build the dialog";
        return nullptr;
    }
    pCtrl->RootLayer()->AppendChild(pDlg);
    pDlg->SendOnInitLayer();
    CWceUiListBox* pList = static_cast<CWceUiListBox*>(pDlg->GetLayerByName(u"list"));
    if (!pList) {
        error = "no list";
        return nullptr;
    }
    for (int i = 0; i < kItems; ++i)
        pList->AddString(Utf8ToWide("Update package " + std::to_string(i + 1) + ".msk").c_str(), FALSE);
    return pList;
}

}  // namespace benchlist
