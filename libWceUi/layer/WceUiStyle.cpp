#include "WceUiStyle.h"

#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXGlobal.h"

CWceUiStyleData::CWceUiStyleData()
    : m_bRelative(FALSE),
      m_bVisible(TRUE),
      m_bEnabled(TRUE),
      m_bContainer(FALSE),
      m_bNoDraw(FALSE),
      m_bNoInput(FALSE),
      m_pLayer(NULL)
{
    SetRectEmpty(&m_rcPosition);
    memset(m_bSpecified, 0, sizeof(m_bSpecified));
}

// Without the record a style is empty: the getters answer FALSE, 0 or null, the setters do
// nothing, and copying to or from it copies nothing.
CWceUiStyle::CWceUiStyle() : m_pData(new (std::nothrow) CWceUiStyleData)
{
    WCEUI_CHECK("CWceUiStyle::CWceUiStyle", NULL != m_pData);
}

CWceUiStyle::CWceUiStyle(const CWceUiStyle& other) : CWceUiStyle()
{
    if (m_pData && other.m_pData) impCopyRecord(*other.m_pData);
}

CWceUiStyle& CWceUiStyle::operator=(const CWceUiStyle& other)
{
    if (&other != this && m_pData && other.m_pData) impCopyRecord(*other.m_pData);
    return *this;
}

CWceUiStyle::~CWceUiStyle() { delete m_pData; }

void CWceUiStyle::impCopyRecord(const CWceUiStyleData& src)
{
    CWceUiLayer* pLayer = m_pData->m_pLayer;
    CWceUiStyleData& dst = *m_pData;
    dst.m_rcPosition = src.m_rcPosition;
    dst.m_bRelative = src.m_bRelative;
    dst.m_bVisible = src.m_bVisible;
    dst.m_bEnabled = src.m_bEnabled;
    dst.m_bContainer = src.m_bContainer;
    dst.m_bNoDraw = src.m_bNoDraw;
    dst.m_bNoInput = src.m_bNoInput;
    dst.m_TextColor = src.m_TextColor;
    dst.m_strTextResID = src.m_strTextResID;
    dst.m_FontCtrl = src.m_FontCtrl;
    dst.m_DrawTextCtrl = src.m_DrawTextCtrl;
    dst.m_BgColorCtrl = src.m_BgColorCtrl;
    dst.m_BgItemCtrl = src.m_BgItemCtrl;
    dst.m_AlphaFilterCtrl = src.m_AlphaFilterCtrl;
    dst.m_MixColorFilterCtrl = src.m_MixColorFilterCtrl;
    memcpy(dst.m_bSpecified, src.m_bSpecified, sizeof(dst.m_bSpecified));
    dst.m_pLayer = pLayer;
}

void CWceUiStyle::SetPosition(LPCRECT lpRect, BOOL bRelative)
{
    if (!WCEUI_CHECK("CWceUiStyle::SetPosition", NULL != lpRect) || !GetData()) return;
    if (GetData()->m_pLayer) {
        impBoundSetPosition(lpRect, bRelative);
        return;
    }
    GetData()->m_rcPosition = *lpRect;
    GetData()->m_bRelative = bRelative;
}

BOOL CWceUiStyle::GetPosition(LPRECT lpRect) const
{
    if (!WCEUI_CHECK("CWceUiStyle::GetPosition", NULL != lpRect)) return GetData() ? GetData()->m_bRelative : FALSE;
    if (!GetData()) {
        SetRectEmpty(lpRect);
        return FALSE;
    }
    *lpRect = GetData()->m_rcPosition;
    return GetData()->m_bRelative;
}

void CWceUiStyle::SetVisible(BOOL bVisible)
{
    if (!GetData()) return;
    if (GetData()->m_pLayer) impBoundShow(bVisible);
    else GetData()->m_bVisible = bVisible;
}

void CWceUiStyle::SetEnabled(BOOL bEnabled)
{
    if (!GetData()) return;
    if (GetData()->m_pLayer) impBoundEnable(bEnabled);
    else GetData()->m_bEnabled = bEnabled;
}

void CWceUiStyle::SetContainer(BOOL bContainer)
{
    if (!GetData()) return;
    if (GetData()->m_pLayer) impBoundSetContainer(bContainer);
    else GetData()->m_bContainer = bContainer;
}

void CWceUiStyle::SetNoDraw(BOOL bNoDraw)
{
    if (!GetData()) return;
    if (GetData()->m_pLayer) impBoundSetNoDraw(bNoDraw);
    else GetData()->m_bNoDraw = bNoDraw;
}

void CWceUiStyle::SetNoInput(BOOL bNoInput)
{
    if (!GetData()) return;
    if (GetData()->m_pLayer) impBoundSetNoInput(bNoInput);
    else GetData()->m_bNoInput = bNoInput;
}

void CWceUiStyle::SetTextColor(LPCWSTR pColorID)
{
    if (!WCEUI_CHECK("CWceUiStyle::SetTextColor", NULL != pColorID && 0 != *pColorID) || !GetData()) return;
    GetData()->m_TextColor.SetColor(pColorID);
}

void CWceUiStyle::SetTextColor(COLORREF crColor)
{
    if (GetData()) GetData()->m_TextColor.SetColor(crColor);
}

void CWceUiStyle::SetTextResID(LPCWSTR pTextResID)
{
    if (GetData()) GetData()->m_strTextResID = pTextResID ? pTextResID : u"";
}

void CWceUiStyle::SetSpecified(int nFlag, BOOL bSpecified)
{
    if (!WCEUI_CHECK("CWceUiStyle::SetSpecified", nFlag >= 0 && nFlag < WCEUI_SPECIFIED_COUNT) || !GetData()) return;
    GetData()->m_bSpecified[nFlag] = bSpecified ? TRUE : FALSE;
}

BOOL CWceUiStyle::IsSpecified(int nFlag) const
{
    if (!WCEUI_CHECK("CWceUiStyle::IsSpecified", nFlag >= 0 && nFlag < WCEUI_SPECIFIED_COUNT) || !GetData())
        return FALSE;
    return GetData()->m_bSpecified[nFlag];
}

DWORD CWceUiStyle::GetSpecifiedBits() const
{
    DWORD dwBits = 0;
    if (!GetData()) return 0;
    for (int i = 0; i < WCEUI_SPECIFIED_COUNT; ++i)
        if (GetData()->m_bSpecified[i]) dwBits |= 1u << i;
    return dwBits;
}

BOOL CWceUiStyle::MergeStyle(const CWceUiStyle& first, const CWceUiStyle& second)
{
    // The result may be one of the inputs: merge into a fresh record first.
    if (!WCEUI_CHECK("CWceUiStyle::MergeStyle", NULL != GetData() && NULL != first.GetData() && NULL != second.GetData()))
        return FALSE;
    CWceUiStyle result(second);
    if (!result.GetData()) return FALSE;
    CWceUiStyleData& r = *result.GetData();
    const CWceUiStyleData& f = *first.GetData();
    const BOOL* pSpec = f.m_bSpecified;
    if (pSpec[WCEUI_SPECIFIED_POSITION]) {
        r.m_rcPosition = f.m_rcPosition;
        r.m_bRelative = f.m_bRelative;
    }
    if (pSpec[WCEUI_SPECIFIED_VISIBILITY]) r.m_bVisible = f.m_bVisible;
    if (pSpec[WCEUI_SPECIFIED_DISABILITY]) r.m_bEnabled = f.m_bEnabled;
    if (pSpec[WCEUI_SPECIFIED_CONTAINER]) r.m_bContainer = f.m_bContainer;
    if (pSpec[WCEUI_SPECIFIED_TEXT_RES_ID]) r.m_strTextResID = f.m_strTextResID;
    if (pSpec[WCEUI_SPECIFIED_TEXT_COLOR]) r.m_TextColor = f.m_TextColor;
    if (pSpec[WCEUI_SPECIFIED_FONT]) r.m_FontCtrl = f.m_FontCtrl;
    if (pSpec[WCEUI_SPECIFIED_DRAWTEXT]) r.m_DrawTextCtrl = f.m_DrawTextCtrl;
    if (pSpec[WCEUI_SPECIFIED_BG_COLOR]) r.m_BgColorCtrl = f.m_BgColorCtrl;
    if (pSpec[WCEUI_SPECIFIED_ALPHA]) r.m_AlphaFilterCtrl = f.m_AlphaFilterCtrl;
    if (pSpec[WCEUI_SPECIFIED_MIX_COLOR]) r.m_MixColorFilterCtrl = f.m_MixColorFilterCtrl;
    if (pSpec[WCEUI_SPECIFIED_NO_DRAW]) r.m_bNoDraw = f.m_bNoDraw;
    if (pSpec[WCEUI_SPECIFIED_NO_INPUT]) r.m_bNoInput = f.m_bNoInput;
    // Written like an assignment: no input's binding comes along, this style keeps its own.
    impCopyRecord(r);
    return TRUE;
}
