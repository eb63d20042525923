#include "LayerDump.h"

#include <cstdio>

#include "WceUiLayer.h"
#include "WceUiListBox.h"
#include "WceUiSlider.h"
#include "WceUiStyle.h"
#include "wce/wstring.h"

namespace {

std::string Text(LPCWSTR p)
{
    std::string out;
    for (char c : WideToUtf8(p ? p : u"")) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c != '\r')
            out += c;
    }
    return out;
}

void DumpOne(CWceUiLayer* pLayer, int nDepth, std::string& out)
{
    RECT rc = {};
    pLayer->GetWindowRect(&rc);
    COLORREF cr = 0;
    if (CWceUiStyle* pStyle = pLayer->GetStyle())
        cr = pStyle->GetTextColor();
    char head[160];
    std::snprintf(head, sizeof head, "%d\t%s\t%s\t%ld,%ld,%ld,%ld\t%d\t%d\t%02X%02X%02X\t", nDepth,
                  Text(pLayer->GetClassName()).c_str(), Text(pLayer->GetName()).c_str(), (long)rc.left, (long)rc.top,
                  (long)rc.right, (long)rc.bottom, pLayer->IsLayerVisible() ? 1 : 0, pLayer->IsLayerEnabled() ? 1 : 0,
                  GetRValue(cr), GetGValue(cr), GetBValue(cr));
    out += head;
    out += Text(pLayer->GetText());
    if (pLayer->IsKindOf(u"CWceUiListBox")) {
        CWceUiListBox* pList = static_cast<CWceUiListBox*>(pLayer);
        int nCount = pList->GetCount();
        out += "\t" + std::to_string(nCount) + "\t" + std::to_string(pList->GetItemHeight()) + "\t" +
               std::to_string(pList->GetCurSel()) + "\t" + std::to_string(pList->GetScrollPos());
        for (int i = 0; i < nCount; ++i)
            out += "\t" + Text(pList->GetItemText(i));
    } else if (pLayer->IsKindOf(u"CWceUiSlider")) {
        out += "\t" + std::to_string(static_cast<CWceUiSlider*>(pLayer)->GetPos());
    }
    out += "\n";
    for (CWceUiLayer* p = pLayer->GetFirstChild(); p; p = pLayer->NextChild(p))
        DumpOne(p, nDepth + 1, out);
}

}  // namespace

std::string DumpLayerChildren(CWceUiLayer* pParent)
{
    std::string out;
    for (CWceUiLayer* p = pParent->GetFirstChild(); p; p = pParent->NextChild(p))
        DumpOne(p, 0, out);
    return out;
}
