// The bound side of a style: its layout setters go to the layer, whose operations
// (ShowLayer, EnableLayer, SetLayerContainer, SetLayerNoDraw, SetLayerNoInput,
// SetLayerPosition) write the record and do the rest (lists, invalidation).
#include "WceUiLayer.h"
#include "WceUiStyle.h"

void CWceUiStyle::impBoundSetPosition(LPCRECT lpRect, BOOL bRelative)
{
    GetData()->m_pLayer->SetLayerPosition(lpRect, bRelative ? WCEUI_POS_RELATIVE : WCEUI_POS_WINDOW, TRUE);
}

void CWceUiStyle::impBoundShow(BOOL bVisible) { GetData()->m_pLayer->ShowLayer(bVisible, FALSE); }

void CWceUiStyle::impBoundEnable(BOOL bEnabled) { GetData()->m_pLayer->EnableLayer(bEnabled, FALSE); }

void CWceUiStyle::impBoundSetContainer(BOOL bContainer) { GetData()->m_pLayer->SetLayerContainer(bContainer); }

void CWceUiStyle::impBoundSetNoDraw(BOOL bNoDraw) { GetData()->m_pLayer->SetLayerNoDraw(bNoDraw); }

void CWceUiStyle::impBoundSetNoInput(BOOL bNoInput) { GetData()->m_pLayer->SetLayerNoInput(bNoInput); }
