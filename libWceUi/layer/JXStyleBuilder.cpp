#include "JXStyleBuilder.h"

#include <new>

#include "JXGlobal.h"
#include "JXWriteLogFile.h"
#include "WceUiStyle.h"
#include "WceUiXml.h"
#include "wce/wstring.h"

namespace {

enum : UINT {
    kDtCenter = 1,
    kDtRight = 2,
    kDtVCenter = 4,
    kDtBottom = 8,
    kDtSingleLine = 32,
};

BOOL IsSameWord(LPCWSTR pValue, LPCWSTR pWord) { return pValue && 0 == WStrICmp(pValue, pWord); }

// Booleans are true only when "true", in any case.
BOOL IsTrue(LPCWSTR pValue) { return IsSameWord(pValue, u"true"); }

// Horizontal and vertical alignment words; FALSE for an unknown word.
BOOL ReadAlign(LPCWSTR pValue, UINT* pnAlign)
{
    if (IsSameWord(pValue, u"left")) *pnAlign = 0;
    else if (IsSameWord(pValue, u"right")) *pnAlign = kDtRight;
    else if (IsSameWord(pValue, u"center")) *pnAlign = kDtCenter;
    else return FALSE;
    return TRUE;
}

BOOL ReadVAlign(LPCWSTR pValue, UINT* pnAlign)
{
    if (IsSameWord(pValue, u"top")) *pnAlign = 0;
    else if (IsSameWord(pValue, u"bottom")) *pnAlign = kDtBottom;
    else if (IsSameWord(pValue, u"center")) *pnAlign = kDtVCenter;
    else return FALSE;
    return TRUE;
}

// 0..255 with at least one digit.
BOOL ReadOpacity(LPCWSTR pValue, int* pnAlpha)
{
    if (!pValue) return FALSE;
    BOOL bDigits = FALSE;
    int n = JxParseDecimal(pValue, &bDigits);
    if (!bDigits || n < 0 || n > 255) return FALSE;
    *pnAlpha = n;
    return TRUE;
}

// A name in lower case for the matching below; FALSE when it is too long to be one we know.
BOOL LowerName(LPCWSTR pName, WCHAR (&szLower)[24])
{
    int n = 0;
    for (; pName[n]; ++n) {
        if (n + 1 >= 24) return FALSE;
        WCHAR c = pName[n];
        szLower[n] = c < 0x80 ? static_cast<WCHAR>(c >= u'A' && c <= u'Z' ? c + 32 : c) : WCharLower(c);
    }
    szLower[n] = 0;
    return TRUE;
}

// The values of the attributes named in pNames (lower case), read in one pass over the
// element's attributes: pValues[i] is the first attribute of that name ignoring case, or
// null. One pass lowers each attribute name once, instead of once per name asked for.
template <int N>
void ReadAttributes(const CWceUiXmlElem* pElem, const char16_t* const (&pNames)[N], LPCWSTR (&pValues)[N])
{
    for (int i = 0; i < N; ++i) pValues[i] = NULL;
    for (CWceUiXmlAttr* pAttr = pElem->GetFirstAttribute(); pAttr; pAttr = pElem->GetNextAttribute(pAttr)) {
        WCHAR szLower[24];
        if (!pAttr->GetName() || !LowerName(pAttr->GetName(), szLower)) continue;
        for (int i = 0; i < N; ++i) {
            if (pValues[i] || 0 != WStrCmp(szLower, pNames[i])) continue;
            pValues[i] = pAttr->GetValue();
            break;
        }
    }
}

}  // namespace

CWceUiXmlElem* FindElemChild(const CWceUiXmlElem* pParent, LPCWSTR pName)
{
    CWceUiXmlElem* pChild = pParent->FindChild(pName);
    while (pChild && XML_ELEM_NODE != pChild->GetType()) {
        do pChild = pChild->GetNextSibling();
        while (pChild && 0 != WStrICmp(pChild->GetTagName() ? pChild->GetTagName() : u"", pName));
    }
    return pChild;
}

BOOL CStyleBuilder::Position(const CWceUiXmlElem* pElem)
{
    static const char16_t* const kNames[] = {u"rect", u"way"};
    LPCWSTR pValues[2];
    ReadAttributes(pElem, kNames, pValues);
    RECT rc = {0, 0, 0, 0};
    LPCWSTR pRect = pValues[0];
    if (pRect && !ReadRect(pRect, &rc)) return FALSE;
    // The position is set only here: a bound style would hand it to its layer.
    CWceUiStyleData* p = m_pStyle->GetData();
    p->m_rcPosition = rc;
    p->m_bRelative = IsSameWord(pValues[1], u"relative");
    Specify(WCEUI_SPECIFIED_POSITION);
    return TRUE;
}

BOOL CStyleBuilder::Layout(const CWceUiXmlElem* pElem)
{
    CWceUiStyleData* p = m_pStyle->GetData();
    static const char16_t* const kNames[] = {u"visibility", u"disability", u"container"};
    LPCWSTR pValues[3];
    ReadAttributes(pElem, kNames, pValues);
    if (LPCWSTR pValue = pValues[0]) {
        p->m_bVisible = IsTrue(pValue);
        Specify(WCEUI_SPECIFIED_VISIBILITY);
    }
    if (LPCWSTR pValue = pValues[1]) {
        p->m_bEnabled = !IsTrue(pValue);
        Specify(WCEUI_SPECIFIED_DISABILITY);
    }
    if (LPCWSTR pValue = pValues[2]) {
        p->m_bContainer = IsTrue(pValue);
        Specify(WCEUI_SPECIFIED_CONTAINER);
    }
    return TRUE;
}

BOOL CStyleBuilder::Text(const CWceUiXmlElem* pElem)
{
    CWceUiStyleData* p = m_pStyle->GetData();
    static const char16_t* const kNames[] = {u"res-id", u"color"};
    LPCWSTR pValues[2];
    ReadAttributes(pElem, kNames, pValues);
    if (LPCWSTR pValue = pValues[0]) {
        p->m_strTextResID = pValue;
        Specify(WCEUI_SPECIFIED_TEXT_RES_ID);
    }
    if (LPCWSTR pValue = pValues[1]) {
        if (SetColor(p->m_TextColor, pValue)) Specify(WCEUI_SPECIFIED_TEXT_COLOR);
    }
    if (CWceUiXmlElem* pFont = FindElemChild(pElem, u"font")) {
        LPCWSTR pID = pFont->GetAttribute(u"id");
        if (pID && *pID) {
            p->m_FontCtrl.SetFontFromRes(pID);
            Specify(WCEUI_SPECIFIED_FONT);
        } else {
            JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, the font has no id", m_pName);
        }
    }
    if (CWceUiXmlElem* pDrawText = FindElemChild(pElem, u"drawtext")) {
        static const char16_t* const kDrawTextNames[] = {u"multiline", u"valign", u"align", u"rect"};
        LPCWSTR pDrawValues[4];
        ReadAttributes(pDrawText, kDrawTextNames, pDrawValues);
        UINT nFormat = 0;
        LPCWSTR pMultiLine = pDrawValues[0];
        if (pMultiLine && !IsTrue(pMultiLine)) nFormat |= kDtSingleLine;
        if (LPCWSTR pValue = pDrawValues[1]) {
            UINT nAlign;
            if (!ReadVAlign(pValue, &nAlign))
                JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not valid for valign", m_pName, pValue);
            else if (0 != nAlign)
                nFormat |= kDtSingleLine | nAlign;
        }
        if (LPCWSTR pValue = pDrawValues[2]) {
            UINT nAlign;
            if (!ReadAlign(pValue, &nAlign))
                JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not valid for align", m_pName, pValue);
            else
                nFormat |= nAlign;
        }
        if (LPCWSTR pRect = pDrawValues[3]) {
            RECT rc;
            if (!ReadRect(pRect, &rc)) return FALSE;
            p->m_DrawTextCtrl.SetRect(&rc);
        }
        p->m_DrawTextCtrl.SetFormat(nFormat);
        Specify(WCEUI_SPECIFIED_DRAWTEXT);
    }
    return TRUE;
}

BOOL CStyleBuilder::Background(const CWceUiXmlElem* pElem)
{
    CWceUiStyleData* p = m_pStyle->GetData();
    if (LPCWSTR pValue = pElem->GetAttribute(u"color")) {
        if (IsSameWord(pValue, u"transparent")) {
            p->m_BgColorCtrl.SetTransparent(TRUE);
            Specify(WCEUI_SPECIFIED_BG_COLOR);
        } else {
            COLORREF cr;
            if (JxParseColorLiteral(pValue, &cr)) p->m_BgColorCtrl.SetColor(cr);
            else if (*pValue) p->m_BgColorCtrl.SetColor(pValue);
            if (*pValue) Specify(WCEUI_SPECIFIED_BG_COLOR);
            else EmptyColor();
        }
    }
    CWceUiBgItemCtrl items;
    for (CWceUiXmlElem* pChild = pElem->GetFirstChild(); pChild; pChild = pChild->GetNextSibling()) {
        if (XML_ELEM_NODE != pChild->GetType()) continue;
        CWceUiBgItem* pItem = new (std::nothrow) CWceUiBgItem;
        if (!pItem) return FALSE;
        items.AddTail(pItem);
        if (!BgItem(pChild, pItem)) return FALSE;
    }
    if (items.GetCount() > 0) {
        p->m_BgItemCtrl.Swap(items);
        Specify(WCEUI_SPECIFIED_BG_ITEMS);
    }
    return TRUE;
}

BOOL CStyleBuilder::Filters(const CWceUiXmlElem* pElem)
{
    CWceUiStyleData* p = m_pStyle->GetData();
    if (CWceUiXmlElem* pAlpha = FindElemChild(pElem, u"alpha")) {
        BOOL bEnabled = IsTrue(pAlpha->GetAttribute(u"enabled"));
        int nAlpha = -1;
        if (!ReadFilterOpacity(pAlpha, bEnabled, &nAlpha)) return FALSE;
        p->m_AlphaFilterCtrl.SetFilter(bEnabled, nAlpha);
        Specify(WCEUI_SPECIFIED_ALPHA);
    }
    if (CWceUiXmlElem* pMix = FindElemChild(pElem, u"mixcolor")) {
        BOOL bEnabled = IsTrue(pMix->GetAttribute(u"enabled"));
        int nAlpha = -1;
        if (!ReadFilterOpacity(pMix, bEnabled, &nAlpha)) return FALSE;
        LPCWSTR pColor = pMix->GetAttribute(u"color");
        COLORREF cr = 0;
        if (pColor && *pColor && !JxParseColorLiteral(pColor, &cr))
            p->m_MixColorFilterCtrl.SetFilterFromRes(bEnabled, pColor, nAlpha);
        else
            p->m_MixColorFilterCtrl.SetFilter(bEnabled, cr, nAlpha);
        Specify(WCEUI_SPECIFIED_MIX_COLOR);
    }
    return TRUE;
}

BOOL CStyleBuilder::AdvProperties(const CWceUiXmlElem* pElem)
{
    CWceUiStyleData* p = m_pStyle->GetData();
    if (LPCWSTR pValue = pElem->GetAttribute(u"no-draw")) {
        p->m_bNoDraw = IsTrue(pValue);
        Specify(WCEUI_SPECIFIED_NO_DRAW);
    }
    if (LPCWSTR pValue = pElem->GetAttribute(u"no-input")) {
        p->m_bNoInput = IsTrue(pValue);
        Specify(WCEUI_SPECIFIED_NO_INPUT);
    }
    return TRUE;
}

void CStyleBuilder::Specify(int nFlag) { m_pStyle->SetSpecified(nFlag, TRUE); }

BOOL CStyleBuilder::ReadRect(LPCWSTR pText, RECT* pRect)
{
    if (ConvertRectStrToRect(pText, pRect)) return TRUE;
    JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not a valid rect", m_pName, pText);
    return FALSE;
}

// An empty color text is neither a literal nor an id.
void CStyleBuilder::EmptyColor() { JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, an empty color is ignored", m_pName); }

BOOL CStyleBuilder::SetColor(CWceUiLoadColor& color, LPCWSTR pValue)
{
    COLORREF cr;
    if (JxParseColorLiteral(pValue, &cr)) {
        color.SetColor(cr);
    } else if (*pValue) {
        color.SetColor(pValue);
    } else {
        EmptyColor();
        return FALSE;
    }
    return TRUE;
}

// An opacity that is given must be 0..255; an enabled filter must give one.
BOOL CStyleBuilder::ReadFilterOpacity(const CWceUiXmlElem* pFilter, BOOL bEnabled, int* pnAlpha)
{
    LPCWSTR pValue = pFilter->GetAttribute(u"opacity");
    if (!pValue && !bEnabled) return TRUE;
    if (ReadOpacity(pValue, pnAlpha)) return TRUE;
    JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not valid alpha value", m_pName,
                pValue ? pValue : u"");
    return FALSE;
}

BOOL CStyleBuilder::BgItem(const CWceUiXmlElem* pElem, CWceUiBgItem* pItem)
{
    static const char16_t* const kNames[] = {u"common-index", u"name", u"id",     u"src-rect",
                                             u"dst-rect",     u"align", u"valign", u"zoom"};
    LPCWSTR pValues[8];
    ReadAttributes(pElem, kNames, pValues);
    if (LPCWSTR pValue = pValues[0]) pItem->SetCommonIndex(JxParseDecimal(pValue));
    if (LPCWSTR pValue = pValues[1]) pItem->SetName(pValue);
    LPCWSTR pID = pValues[2];
    if (pID && *pID) pItem->SetBitmapFromRes(pID);
    RECT rc;
    if (LPCWSTR pValue = pValues[3]) {
        if (!ReadRect(pValue, &rc)) return FALSE;
        pItem->SetSrcRect(&rc);
    }
    if (LPCWSTR pValue = pValues[4]) {
        if (!ReadRect(pValue, &rc)) return FALSE;
        pItem->SetDstRect(&rc);
    }
    // Missing or unknown: centred. Set once on the fresh item, so "left" and "top" (no
    // bits) stay as they are.
    UINT nHorz = kDtCenter, nVert = kDtVCenter;
    if (LPCWSTR pValue = pValues[5]) {
        if (!ReadAlign(pValue, &nHorz)) {
            JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not valid for align", m_pName, pValue);
            nHorz = kDtCenter;
        }
    }
    if (LPCWSTR pValue = pValues[6]) {
        if (!ReadVAlign(pValue, &nVert)) {
            JxWriteLogW(JX_LOG_ERROR, u"can not load style %s, %s is not valid for valign", m_pName, pValue);
            nVert = kDtVCenter;
        }
    }
    pItem->SetAlign(nHorz | nVert);
    pItem->SetZoom(IsTrue(pValues[7]));
    return TRUE;
}
