#include "JXStyleFile.h"

#include <new>

#include "JXCheck.h"
#include "JXGlobal.h"
#include "JXList.h"
#include "JXStyleBuilder.h"
#include "JXWriteLogFile.h"
#include "JxConfDoc.h"
#include "WceUiAnimateLimit.h"
#include "WceUiObject.h"
#include "WceUiStyle.h"
#include "WceUiWndAnimate.h"
#include "wce/wstring.h"

CJxStyleFile::CJxStyleFile() : m_pStyleElems(NULL), m_nStyleElems(0), m_bStyleLoaded(FALSE)
{
    m_StyleMap.InitHashTable(17, FALSE);
}

CJxStyleFile::~CJxStyleFile() { Clean(); }

void CJxStyleFile::Clean()
{
    for (JXPOSITION pos = m_StyleMap.GetStartPosition(); pos;) {
        LPCWSTR pKey;
        CWceUiStyle* pStyle;
        m_StyleMap.GetNextAssoc(pos, pKey, pStyle);
        delete pStyle;
    }
    m_StyleMap.RemoveAll();
    m_IndexMap.RemoveAll();
    delete[] m_pStyleElems;
    m_pStyleElems = NULL;
    m_nStyleElems = 0;
    m_bStyleLoaded = FALSE;
    CWceUiXmlDoc::Clean();
}

BOOL CJxStyleFile::LoadStyleFile(LPCWSTR pPath)
{
    if (!WCEUI_CHECK("CJxStyleFile::LoadStyleFile", NULL != pPath)) return FALSE;
    Clean();
    if (!LoadXmlFile(pPath, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"CJxStyleFile::LoadStyleFile load xml file %s failed", pPath);
        return FALSE;
    }
    return impAfterLoad();
}

BOOL CJxStyleFile::LoadStyleData(const BYTE* pData, DWORD nSize, LPCWSTR pPath)
{
    if (!WCEUI_CHECK("CJxStyleFile::LoadStyleData", NULL != pPath)) return FALSE;
    Clean();
    if (!LoadXmlData(pData, nSize, pPath, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"CJxStyleFile::LoadStyleFile load xml file %s failed", pPath);
        return FALSE;
    }
    return impAfterLoad();
}

BOOL CJxStyleFile::impAfterLoad()
{
    CWceUiXmlElem* pRoot = GetRootElem();
    CWceUiXmlElem* pStyles = pRoot ? FindElemChild(pRoot, u"style") : NULL;
    int nCount = 0;
    if (pStyles)
        for (CWceUiXmlElem* p = pStyles->GetFirstChild(); p; p = p->GetNextSibling())
            if (XML_ELEM_NODE == p->GetType()) ++nCount;
    if (nCount > 0) {
        m_pStyleElems = new (std::nothrow) CWceUiXmlElem*[nCount];
        if (!m_pStyleElems) {
            Clean();
            return FALSE;
        }
        m_IndexMap.InitHashTable(CJxConfDoc::CalcHashTableSize(nCount), FALSE);
        for (CWceUiXmlElem* p = pStyles->GetFirstChild(); p; p = p->GetNextSibling()) {
            if (XML_ELEM_NODE != p->GetType()) continue;
            // The first style of a name wins; the tag names live as long as the document.
            if (!m_IndexMap.PLookup(p->GetTagName())) m_IndexMap.SetAt(p->GetTagName(), m_nStyleElems);
            m_pStyleElems[m_nStyleElems++] = p;
        }
    }
    m_bStyleLoaded = TRUE;
    return TRUE;
}

int CJxStyleFile::GetStyleNameIndex(LPCWSTR pStyleName) const
{
    int nIndex = -1;
    if (pStyleName && m_IndexMap.Lookup(pStyleName, nIndex)) return nIndex;
    return -1;
}

CWceUiXmlElem* CJxStyleFile::GetStyleElem(int nIndex) const
{
    if (!WCEUI_CHECK("CJxStyleFile::GetStyleElem", nIndex >= 0 && nIndex < m_nStyleElems)) return NULL;
    return m_pStyleElems[nIndex];
}

BOOL CJxStyleFile::GetStyleData(LPCWSTR pStyleName, CWceUiStyle* pStyle)
{
    if (!WCEUI_CHECK("CJxStyleFile::GetStyleData", NULL != pStyleName && 0 != *pStyleName)) return FALSE;
    if (!WCEUI_CHECK("CJxStyleFile::GetStyleData", NULL != pStyle)) return FALSE;
    if (!pStyle->GetData()) return FALSE;  // a style without its record (logged when made)
    if (!WCEUI_CHECK("CJxStyleFile::GetStyleData", IsLoaded())) return FALSE;
    CWceUiStyle* pCached = NULL;
    if (!m_StyleMap.Lookup(pStyleName, pCached)) pCached = ReadStyleFromFile(pStyleName);
    if (!pCached) return FALSE;
    *pStyle = *pCached;
    return TRUE;
}

CWceUiStyle* CJxStyleFile::ReadStyleFromFile(LPCWSTR pStyleName)
{
    if (!WCEUI_CHECK("CJxStyleFile::ReadStyleFromFile", NULL != pStyleName && 0 != *pStyleName)) return NULL;
    int nIndex = GetStyleNameIndex(pStyleName);
    if (nIndex < 0) {
        JxWriteLogW(JX_LOG_ERROR, u"Load style %s failed, can not find", pStyleName);
        return NULL;
    }
    CWceUiStyle* pStyle = new (std::nothrow) CWceUiStyle;
    if (!pStyle || !pStyle->GetData()) {
        delete pStyle;
        return NULL;
    }
    if (!LoadStyle(pStyle, m_pStyleElems[nIndex]) || !m_StyleMap.SetAt(pStyleName, pStyle, TRUE)) {
        JxWriteLogW(JX_LOG_ERROR, u"can not load style %s", pStyleName);
        delete pStyle;
        return NULL;
    }
    return pStyle;
}

BOOL CJxStyleFile::LoadStyle(CWceUiStyle* pNewStyle, CWceUiXmlElem* pStyleElem)
{
    if (!WCEUI_CHECK("CJxStyleFile::LoadStyle", NULL != pNewStyle && NULL != pStyleElem)) return FALSE;
    if (!pNewStyle->GetData()) return FALSE;
    if (!pStyleElem->GetAttribute(u"overwrite")) return impApplyGroups(pNewStyle, pStyleElem);
    // An "overwrite" chain is resolved without recursion (it may be as long as the file):
    // walk down to a cached style or one without a base, then build upwards, caching each
    // base as a recursive read would. Every base lies earlier in the file, so the chain has
    // at most GetStyleCount() + 1 links.
    JXList<CWceUiXmlElem*> chain;
    chain.AddTail(pStyleElem);
    CWceUiStyle* pBase = NULL;
    BOOL bFailed = FALSE;
    for (CWceUiXmlElem* pElem = pStyleElem;;) {
        LPCWSTR pOverwrite = pElem->GetAttribute(u"overwrite");
        if (!pOverwrite) break;
        int nOwnIndex = GetStyleNameIndex(pElem->GetTagName());
        int nBaseIndex = GetStyleNameIndex(pOverwrite);
        if (nBaseIndex < 0) {
            JxWriteLogW(JX_LOG_ERROR, u"overwrite: can not find style %s", pOverwrite);
            bFailed = TRUE;
            break;
        }
        if (nBaseIndex >= nOwnIndex) {
            JxWriteLogW(JX_LOG_ERROR, u"style %s can not overwrite %s, not right order", pElem->GetTagName(),
                        pOverwrite);
            bFailed = TRUE;
            break;
        }
        if (m_StyleMap.Lookup(pOverwrite, pBase)) break;
        pElem = m_pStyleElems[nBaseIndex];
        chain.AddTail(pElem);
    }

    // Build from the deepest link up; the first link is pNewStyle itself.
    JXPOSITION pos = chain.GetTailPosition();
    while (!bFailed && pos) {
        JXPOSITION posThis = pos;
        CWceUiXmlElem* pElem = chain.GetPrev(pos);
        BOOL bFirst = NULL == pos;
        CWceUiStyle* pStyle = bFirst ? pNewStyle : new (std::nothrow) CWceUiStyle;
        if (!pStyle || !pStyle->GetData()) {
            if (!bFirst) delete pStyle;
            bFailed = TRUE;
            break;
        }
        if (pBase) *pStyle = *pBase;
        if (!impApplyGroups(pStyle, pElem) || (!bFirst && !m_StyleMap.SetAt(pElem->GetTagName(), pStyle, TRUE))) {
            if (!bFirst) delete pStyle;
            bFailed = TRUE;
            pos = posThis;  // the failed link logs below
            break;
        }
        pBase = pStyle;
    }
    if (!bFailed) return TRUE;
    // Each base that did not build says so, innermost first, as its own read would.
    for (; pos;) {
        CWceUiXmlElem* pElem = chain.GetPrev(pos);
        if (pos) JxWriteLogW(JX_LOG_ERROR, u"can not load style %s", pElem->GetTagName());
    }
    return FALSE;
}

BOOL CJxStyleFile::impApplyGroups(CWceUiStyle* pStyle, CWceUiXmlElem* pElem)
{
    CStyleBuilder builder(pStyle, pElem->GetTagName());
    CWceUiXmlElem* pGroup;
    if ((pGroup = FindElemChild(pElem, u"position")) && !builder.Position(pGroup)) return FALSE;
    if ((pGroup = FindElemChild(pElem, u"layout")) && !builder.Layout(pGroup)) return FALSE;
    if ((pGroup = FindElemChild(pElem, u"text")) && !builder.Text(pGroup)) return FALSE;
    if ((pGroup = FindElemChild(pElem, u"background")) && !builder.Background(pGroup)) return FALSE;
    if ((pGroup = FindElemChild(pElem, u"filters")) && !builder.Filters(pGroup)) return FALSE;
    if ((pGroup = FindElemChild(pElem, u"adv-properties")) && !builder.AdvProperties(pGroup)) return FALSE;
    return TRUE;
}

CWceUiXmlElem* CJxStyleFile::impFindAnimate(LPCWSTR pName) const
{
    CWceUiXmlElem* pRoot = GetRootElem();
    CWceUiXmlElem* pAnimate = pRoot ? FindElemChild(pRoot, u"animate") : NULL;
    return pAnimate ? FindElemChild(pAnimate, pName) : NULL;
}

CWceUiXmlElem* CJxStyleFile::GetAnimateElem(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CJxStyleFile::GetAnimateElem", NULL != pName && 0 != *pName)) return NULL;
    if (!IsLoaded()) return NULL;
    CWceUiXmlElem* pRoot = GetRootElem();
    CWceUiXmlElem* pAnimate = pRoot ? FindElemChild(pRoot, u"animate") : NULL;
    if (!pAnimate) {
        JxWriteLogW(JX_LOG_ERROR, u"Can not load animate element in style file");
        return NULL;
    }
    CWceUiXmlElem* pElem = FindElemChild(pAnimate, pName);
    if (!pElem) JxWriteLogW(JX_LOG_ERROR, u"Can not load %s element  in style file", pName);
    return pElem;
}

BOOL CJxStyleFile::DoesHaveAnimate(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CJxStyleFile::DoesHaveAnimate", NULL != pName)) return FALSE;
    return IsLoaded() && NULL != impFindAnimate(pName);
}

CWceUiWndAnimate* CJxStyleFile::GetWndAnimate(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CJxStyleFile::GetWndAnimate", NULL != pName && 0 != *pName)) return NULL;
    if (!IsLoaded()) {
        JxWriteLogW(JX_LOG_ERROR, u"CJxStyleFile::GetWndAnimate failed, the xml file is not loaded");
        return NULL;
    }
    CWceUiXmlElem* pElem = GetAnimateElem(pName);
    if (!pElem) {
        JxWriteLogW(JX_LOG_ERROR, u"Can not load animate item %s", pName);
        return NULL;
    }
    LPCWSTR pType = pElem->GetAttribute(u"type");
    if (!pType) {
        JxWriteLogW(JX_LOG_ERROR, u"Load animate %s failed, can not find type attribute", pName);
        return NULL;
    }
    CWceUiObject* pObject = WceUiCreateObject(pType);
    if (!pObject) {
        JxWriteLogW(JX_LOG_ERROR, u"Load animate %s failed, can not create object from type: %s", pName, pType);
        return NULL;
    }
    if (!pObject->IsKindOf(u"CWceUiWndAnimate")) {
        JxWriteLogW(JX_LOG_ERROR, u"Load animate %s failed, the type %s is not a kind of CWceUiWndAnimate", pName,
                    pType);
        delete pObject;
        return NULL;
    }
    CWceUiWndAnimate* pNewAnimate = static_cast<CWceUiWndAnimate*>(pObject);
    if (!pNewAnimate->Init(pElem)) {
        JxWriteLogW(JX_LOG_ERROR, u"Load animate %s failed, call pNewAnimate->Init failed", pName);
        delete pNewAnimate;
        return NULL;
    }
    // Played with input blocked: a transition that would hold the screen too long is none.
    if (!WceUiIsAnimateWithinLimit(pNewAnimate)) {
        JxWriteLogW(JX_LOG_ERROR, u"Load animate %s failed, %d frames of %u ms are more than %d frames or %d ms", pName,
                    pNewAnimate->GetFrameCount(), static_cast<unsigned>(pNewAnimate->GetFrameLength()),
                    int(WCEUI_ANIMATE_MAX_FRAMES), int(WCEUI_ANIMATE_MAX_TIME));
        delete pNewAnimate;
        return NULL;
    }
    pNewAnimate->SetName(pName);
    return pNewAnimate;
}
