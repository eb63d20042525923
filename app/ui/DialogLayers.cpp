#include "DialogLayers.h"

#include "WceUiCommon.h"
#include "wce/cstring.h"

BOOL FindDialogLayers(CWceUiLayer* pDlg, const DIALOG_LAYER_SPEC* pSpecs, int nCount, CWceUiLayer** ppLayers)
{
    LPCWSTR pDlgName = pDlg->GetName() ? pDlg->GetName() : u"";
    for (int i = 0; i < nCount; ++i) {
        CWceUiLayer* pLayer = pDlg->GetChildByName(pSpecs[i].pName);
        ppLayers[i] = pLayer;
        if (!pLayer) {
            if (pSpecs[i].bOptional)
                continue;
            CString message;
            message.Format(u"%s: the dialog file has no layer \"%s\"", pDlgName, pSpecs[i].pName);
            WceUiWriteLog(WCEUI_LOG_ERROR, message);
            return FALSE;
        }
        if (!pLayer->IsKindOf(pSpecs[i].pKind)) {
            CString message;
            message.Format(u"%s: layer \"%s\" is a %s, not a %s", pDlgName, pSpecs[i].pName,
                           pLayer->GetClassName(), pSpecs[i].pKind);
            WceUiWriteLog(WCEUI_LOG_ERROR, message);
            return FALSE;
        }
    }
    return TRUE;
}
