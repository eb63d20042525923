// A style file (".style.xml"): the children of the root's "style" element are styles, each
// named by its tag (exactly, case-sensitively); the children of "animate" are the window
// transitions of the dialog. Styles are built on first request and cached by name; callers
// always get copies.
#pragma once

#include "JXMapStringToType.h"
#include "WceUiXml.h"
#include "wce/types.h"

class CWceUiStyle;
class CWceUiWndAnimate;

class CJxStyleFile : public CWceUiXmlDoc {
public:
    CJxStyleFile();
    ~CJxStyleFile();

    // Clears everything, then loads the file (comments dropped). A file without a "style"
    // element loads and has no styles. FALSE (logged) when the XML does not load.
    BOOL LoadStyleFile(LPCWSTR pPath);
    // The same for bytes already read.
    BOOL LoadStyleData(const BYTE* pData, DWORD nSize, LPCWSTR pPath);
    BOOL IsLoaded() const { return m_bStyleLoaded; }
    void Clean();

    // Copies the named style into pStyle, building and caching it on first request.
    BOOL GetStyleData(LPCWSTR pStyleName, CWceUiStyle* pStyle);
    // A new style built from the file and cached under its name (the file owns it); null
    // (logged) when it is missing or does not build.
    CWceUiStyle* ReadStyleFromFile(LPCWSTR pStyleName);
    // Builds pNewStyle from a style element: its "overwrite" base first, then its groups.
    BOOL LoadStyle(CWceUiStyle* pNewStyle, CWceUiXmlElem* pStyleElem);
    // The index of the first style of that name, or -1.
    int GetStyleNameIndex(LPCWSTR pStyleName) const;
    int GetStyleCount() const { return m_nStyleElems; }
    CWceUiXmlElem* GetStyleElem(int nIndex) const;

    // A new transition described under that name (the caller owns it), or null.
    CWceUiWndAnimate* GetWndAnimate(LPCWSTR pName);
    // The "animate" child of that name (ignoring case), or null (logged).
    CWceUiXmlElem* GetAnimateElem(LPCWSTR pName);
    BOOL DoesHaveAnimate(LPCWSTR pName);

private:
    BOOL impAfterLoad();
    CWceUiXmlElem* impFindAnimate(LPCWSTR pName) const;
    // Applies the groups of pElem to pStyle, in file order; logs why one fails.
    BOOL impApplyGroups(CWceUiStyle* pStyle, CWceUiXmlElem* pElem);

    JXMapStringToType<CWceUiStyle*> m_StyleMap;  // built styles by name
    JXMapStringToType<int> m_IndexMap;  // first index of each name, keys in the document
    CWceUiXmlElem** m_pStyleElems;
    int m_nStyleElems;
    BOOL m_bStyleLoaded;
};
