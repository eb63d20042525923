// Looking up the layers a dialog's code relies on: a dialog file that lacks one, or gives
// it another kind, is logged and refused instead of crashing later.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

struct DIALOG_LAYER_SPEC {
    LPCWSTR pName;
    LPCWSTR pKind;  // class the layer must be or derive from
    BOOL bOptional;
};

// Finds each named child of pDlg into ppLayers (same order as specs). FALSE after logging
// the first missing or mistyped layer; optional ones may be absent (null).
BOOL FindDialogLayers(CWceUiLayer* pDlg, const DIALOG_LAYER_SPEC* pSpecs, int nCount, CWceUiLayer** ppLayers);
