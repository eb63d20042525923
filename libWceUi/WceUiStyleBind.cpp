// The bound side of a style: its layout setters go to the layer, whose operations
// (ShowLayer, EnableLayer, SetLayerContainer, SetLayerNoDraw, SetLayerNoInput,
// SetLayerPosition) write the record and do the rest (lists, invalidation). Until layers
// exist here, a bound style writes its record as an unbound one does.
#include "WceUiStyle.h"

void CWceUiStyle::impBoundSetPosition(LPCRECT lpRect, BOOL bRelative)
{
    GetData()->m_rcPosition = *lpRect;
    GetData()->m_bRelative = bRelative;
}

void CWceUiStyle::impBoundShow(BOOL bVisible) { GetData()->m_bVisible = bVisible; }

void CWceUiStyle::impBoundEnable(BOOL bEnabled) { GetData()->m_bEnabled = bEnabled; }

void CWceUiStyle::impBoundSetContainer(BOOL bContainer) { GetData()->m_bContainer = bContainer; }

void CWceUiStyle::impBoundSetNoDraw(BOOL bNoDraw) { GetData()->m_bNoDraw = bNoDraw; }

void CWceUiStyle::impBoundSetNoInput(BOOL bNoInput) { GetData()->m_bNoInput = bNoInput; }
