#include "DialogLayers.h"

#include "JXWriteLogFile.h"

BOOL FindDialogLayers(CWceUiLayer* pDlg, const DIALOG_LAYER_SPEC* pSpecs, int nCount, CWceUiLayer** ppLayers)
{
    LPCWSTR pDlgName = pDlg->GetName() ? pDlg->GetName() : u"";
    for (int i = 0; i < nCount; ++i) {
        CWceUiLayer* pLayer = pDlg->GetChildByName(pSpecs[i].pName);
        ppLayers[i] = pLayer;
        if (!pLayer) {
            if (pSpecs[i].bOptional)
                continue;
            JxWriteLogW(JX_LOG_ERROR, u"%s: the dialog file has no layer \"%s\"", pDlgName, pSpecs[i].pName);
            return FALSE;
        }
        if (!pLayer->IsKindOf(pSpecs[i].pKind)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s: layer \"%s\" is a %s, not a %s", pDlgName, pSpecs[i].pName,
                        pLayer->GetClassName(), pSpecs[i].pKind);
            return FALSE;
        }
    }
    return TRUE;
}
