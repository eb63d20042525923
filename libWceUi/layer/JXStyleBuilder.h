// Builds one style from the groups of its element in a style file (position, layout, text,
// background, filters, advanced properties), each read into the style and marked as given.
// Messages name the style.
#pragma once

#include "wce/types.h"

class CWceUiBgItem;
class CWceUiLoadColor;
class CWceUiStyle;
class CWceUiXmlElem;

// The first element child of that tag name (ignoring case).
CWceUiXmlElem* FindElemChild(const CWceUiXmlElem* pParent, LPCWSTR pName);

// One style's groups, with the name for the messages.
class CStyleBuilder {
public:
    CStyleBuilder(CWceUiStyle* pStyle, LPCWSTR pName) : m_pStyle(pStyle), m_pName(pName) {}

    // Each reads its group's element into the style; FALSE (logged) stops the build.
    BOOL Position(const CWceUiXmlElem* pElem);
    BOOL Layout(const CWceUiXmlElem* pElem);
    BOOL Text(const CWceUiXmlElem* pElem);
    BOOL Background(const CWceUiXmlElem* pElem);
    BOOL Filters(const CWceUiXmlElem* pElem);
    BOOL AdvProperties(const CWceUiXmlElem* pElem);

private:
    void Specify(int nFlag);
    BOOL ReadRect(LPCWSTR pText, RECT* pRect);
    // An empty color text is neither a literal nor an id.
    void EmptyColor();
    BOOL SetColor(CWceUiLoadColor& color, LPCWSTR pValue);
    // An opacity that is given must be 0..255; an enabled filter must give one.
    BOOL ReadFilterOpacity(const CWceUiXmlElem* pFilter, BOOL bEnabled, int* pnAlpha);
    BOOL BgItem(const CWceUiXmlElem* pElem, CWceUiBgItem* pItem);

    CWceUiStyle* m_pStyle;
    LPCWSTR m_pName;
};
