// An edit box of random width and kind, in an off-screen window, under random characters,
// keys, taps, drags, width changes and paints: its lines cover the text exactly, the caret
// stays inside, there are never more lines than the limit, and every call ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "WceUiDlg.h"
#include "WceUiEditBox.h"
#include "WceUiLayerCtrl.h"
#include "WceUiOffscreenWnd.h"
#include "wce/window.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_edit: %s\n", what);
    std::abort();
}

void Check(CWceUiEditBox* p)
{
    const int n = p->GetLineCount();
    Require(n <= WCEUI_EDIT_MAX_LINES, "too many lines");
    LPCWSTR pText = p->GetEditText();
    int nLength = 0;
    while (pText[nLength]) ++nLength;
    int nNext = 0;
    for (int i = 0; i < n; ++i) {
        int nStart = -1, nCount = -1;
        Require(p->GetLine(i, &nStart, &nCount) && nStart == nNext && nCount >= 0, "lines not contiguous");
        // Only the line after a closing line feed may be empty, and only as the last.
        if (0 == nCount) Require(i == n - 1 && i > 0 && u'\n' == pText[nStart - 1], "empty line inside");
        nNext += nCount;
    }
    Require(nNext == nLength, "lines do not cover the text");
    const int nLine = p->GetCaretLine(), nCol = p->GetCaretColumn();
    if (0 == n) {
        Require(0 == nLine && 0 == nCol, "caret without lines");
        return;
    }
    Require(nLine >= 0 && nLine < n, "caret line outside");
    int nStart = 0, nCount = 0;
    p->GetLine(nLine, &nStart, &nCount);
    if (nCount > 0 && u'\n' == pText[nStart + nCount - 1]) --nCount;
    Require(nCol >= 0 && nCol <= nCount, "caret column outside");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    CWceUiOffscreenWnd wnd(240, 120, 16);
    CWceUiLayerCtrl* pCtrl = wnd.GetLayerCtrl();
    CWceUiDlg* pDlg = new CWceUiDlg;
    pDlg->SetLayerCtrl(pCtrl);
    pCtrl->InitLayerInfo(pDlg, u"dlg");
    RECT rcDlg = {0, 0, 240, 120};
    pDlg->SetLayerPosition(&rcDlg, WCEUI_POS_WINDOW, FALSE);
    pCtrl->RootLayer()->AppendChild(pDlg);
    auto* p = static_cast<CWceUiEditBox*>(
        pCtrl->CreateLayer(pDlg, (data[0] & 1) ? u"CWceUiMEditBox" : u"CWceUiSEditBox", u"edit"));
    Require(p != nullptr, "no edit box");
    RECT rc = {10, 10, 10 + data[0] / 2, 110};
    p->SetLayerPosition(&rc, WCEUI_POS_WINDOW, FALSE);
    p->OnInitLayer();
    p->SetFocus(TRUE);
    static const UINT keys[] = {VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_DELETE};
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        const std::uint8_t op = data[i], arg = data[i + 1];
        switch (op % 8) {
        case 0: wnd.SendRegisteredMsg(WM_KEYDOWN, keys[arg % 7], 1); break;
        case 1: {  // a tap, or a drag when the two points are 20 pixels apart
            int x = 10 + arg % 64, y = arg / 4 - 10, y2 = (op & 0x80) ? y + 30 : y;
            p->OnLButtonDown(MK_LBUTTON, x, y);
            p->OnMouseMove(MK_LBUTTON, x, y2);
            p->OnLButtonUp(0, x, y2);
            break;
        }
        case 2: {
            RECT r = {10, 10, 10 + arg, 110};
            p->SetLayerPosition(&r, WCEUI_POS_WINDOW, FALSE);
            break;
        }
        case 3: wnd.InvalidateAll(); wnd.Paint(); break;
        case 4: wnd.SendRegisteredMsg(WM_CHAR, arg % 3 == 0 ? 8 : arg % 3 == 1 ? 13 : 10, 1); break;
        case 5: wnd.FireTimer(p->GetLayerId() | (1u << 16)); break;
        default: wnd.SendRegisteredMsg(WM_CHAR, arg, 1); break;
        }
        Check(p);
    }
    pCtrl->DeleteLayer(pDlg);
    return 0;
}
