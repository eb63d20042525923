// CWceUiLayer: style binding, texts and building children from XML.
#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "QuickGrowStack.h"
#include "WceUiLayer.h"
#include "WceUiDlg.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiLayerPrivate.h"
#include "WceUiXml.h"

// ---- Style ----

void CWceUiLayer::impBindStyle(BOOL bBind) { m_pData->m_Style.BindLayer(bBind ? this : NULL); }

void CWceUiLayer::impWriteCommonFlag(int nFlag, BOOL bValue)
{
    // Kept in the common style so that a later SetStyle, which starts from it, keeps it.
    CWceUiStyle& common = m_pData->m_CommonStyle;
    if (WCEUI_FLAG_SHOWN == nFlag) {
        common.SetVisible(bValue);
        common.SetSpecified(WCEUI_SPECIFIED_VISIBILITY, TRUE);
    } else {
        common.SetEnabled(bValue);
        common.SetSpecified(WCEUI_SPECIFIED_DISABILITY, TRUE);
    }
}

CWceUiStyle* CWceUiLayer::GetStyle() { return m_pData ? &m_pData->m_Style : NULL; }
CWceUiStyle* CWceUiLayer::GetCommonStyle() { return m_pData ? &m_pData->m_CommonStyle : NULL; }

BOOL CWceUiLayer::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetProperties", NULL != pCreateElem)) return FALSE;
    LPCWSTR pCommon = pCreateElem->GetAttribute(u"common.style");
    if (pCommon && *pCommon && !SetCommonStyle(pCommon))
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayer::SetProperties, Set common style %s failed", pCommon);
    LPCWSTR pStyle = pCreateElem->GetAttribute(u"style");
    if (pStyle && *pStyle && !SetStyle(pStyle))
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayer::SetProperties, Set style %s failed", pStyle);
    return TRUE;
}

static BOOL LoadFromDlg(CWceUiLayer* pLayer, LPCWSTR pStyleName, CWceUiStyle* pStyle)
{
    CWceUiLayer* pDlg = pLayer->GetDlg();
    return pDlg && static_cast<CWceUiDlg*>(pDlg)->GetStyleData(pStyleName, pStyle);
}

BOOL CWceUiLayer::SetStyle(LPCWSTR pStyleName)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetStyle", NULL != pStyleName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiLayer::SetStyle", *pStyleName)) return FALSE;
    CWceUiStyle loaded;
    if (!LoadFromDlg(this, pStyleName, &loaded)) {
        JxWriteLogW(JX_LOG_ERROR, u"Can not load style %s", pStyleName);
        return FALSE;
    }
    // The common style first: what was written into it (ShowLayer's bToCommonStyle) wins.
    CWceUiStyle merged;
    if (!merged.MergeStyle(m_pData->m_CommonStyle, loaded)) return FALSE;
    impApplyStyle(merged);
    return TRUE;
}

void CWceUiLayer::impApplyStyle(const CWceUiStyle& newStyle)
{
    const CWceUiStyleData& oldRec = *m_pData->Rec();
    const CWceUiStyleData& newRec = *newStyle.GetData();
    BOOL bMoved = !EqualRect(&oldRec.m_rcPosition, &newRec.m_rcPosition) ||
                  WceUiBool(oldRec.m_bRelative) != WceUiBool(newRec.m_bRelative);
    BOOL bShowEnable = WceUiBool(oldRec.m_bVisible) != WceUiBool(newRec.m_bVisible) ||
                       WceUiBool(oldRec.m_bEnabled) != WceUiBool(newRec.m_bEnabled) ||
                       WceUiBool(oldRec.m_bContainer) != WceUiBool(newRec.m_bContainer);
    BOOL bNoDraw = WceUiBool(oldRec.m_bNoDraw) != WceUiBool(newRec.m_bNoDraw);
    BOOL bNoInput = WceUiBool(oldRec.m_bNoInput) != WceUiBool(newRec.m_bNoInput);
    BOOL bLayout = bMoved || bShowEnable || bNoDraw || bNoInput;
    // A style may move the layer or change what shows and takes input: the old place and
    // the new one are both repainted, and the lists follow, as the single setters would do.
    if (bLayout) impInvalidateSubtree();
    m_pData->m_Style = newStyle;  // the record changes, the binding stays
    if (bLayout) {
        impRebuildLists(bShowEnable || bNoDraw, bShowEnable || bNoInput || bMoved);
        impInvalidateSubtree();
    } else {
        InvalidateLayer(NULL);
    }
}

BOOL CWceUiLayer::SetCommonStyle(LPCWSTR pCommonStyleName)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetCommonStyle", NULL != pCommonStyleName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiLayer::SetCommonStyle", *pCommonStyleName)) return FALSE;
    CWceUiStyle loaded;
    if (!LoadFromDlg(this, pCommonStyleName, &loaded)) {
        JxWriteLogW(JX_LOG_ERROR, u"Can not load the style %s", pCommonStyleName);
        return FALSE;
    }
    m_pData->m_CommonStyle = loaded;
    return TRUE;
}

// ---- Text ----

BOOL CWceUiLayer::SetText(LPCWSTR pText)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetText", NULL != pText)) return FALSE;
    if (!m_pData->m_strText.SetString(pText)) return FALSE;
    m_pData->m_bTextSet = TRUE;
    InvalidateLayer(NULL);
    return TRUE;
}

BOOL CWceUiLayer::SetTextResID(LPCWSTR pTextResID)
{
    m_pData->m_bTextSet = FALSE;
    m_pData->m_Style.SetTextResID(pTextResID);
    InvalidateLayer(NULL);
    return TRUE;
}

BOOL CWceUiLayer::SetTextResID(UINT nTextResID)
{
    CQuickString strId;
    if (!strId.Format(u"%u", nTextResID)) return FALSE;
    return SetTextResID(strId.GetString());
}

LPCWSTR CWceUiLayer::GetTextResID() const { return m_pData->m_Style.GetTextResID(); }

void CWceUiLayer::OnUpdateText()
{
    if (m_pData->m_bTextSet) return;
    LPCWSTR pId = GetTextResID();
    if (NULL == pId || 0 == *pId) {
        m_pData->m_strText.Empty();
        return;
    }
    m_pData->m_LoadString.SetTextResID(pId);
    LPCWSTR pText = m_pData->m_LoadString.GetString();
    if (m_pData->m_strText != pText) m_pData->m_strText.SetString(pText);
}

LPCWSTR CWceUiLayer::GetText()
{
    OnUpdateText();
    return m_pData->m_strText.GetString();
}

// ---- Building children from XML ----

namespace {
struct CreateEntry {
    CWceUiXmlElem* pElem;
    CWceUiLayer* pLayer;
};

CWceUiXmlElem* FirstChildElem(CWceUiXmlElem* pElem)
{
    CWceUiXmlElem* p = pElem->GetFirstChild();
    while (p && XML_ELEM_NODE != p->GetType()) p = p->GetNextSibling();
    return p;
}

CWceUiXmlElem* NextSiblingElem(CWceUiXmlElem* pElem)
{
    CWceUiXmlElem* p = pElem->GetNextSibling();
    while (p && XML_ELEM_NODE != p->GetType()) p = p->GetNextSibling();
    return p;
}
}  // namespace

BOOL CWceUiLayer::CreateAllChilds(CWceUiXmlElem* pElem, CWceUiLayer** ppFirst)
{
    if (!WCEUI_CHECK("CWceUiLayer::CreateAllChilds", NULL != pElem)) return FALSE;
    if (ppFirst) *ppFirst = NULL;
    CWceUiXmlElem* pCur = FirstChildElem(pElem);
    if (NULL == pCur) return TRUE;
    if (!WceUiCheckLayerCtrl(this, "CWceUiLayer::CreateAllChilds")) return FALSE;
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();

    CQuickGrowStack<CreateEntry> tmpStack;
    if (!tmpStack.Push(CreateEntry{pElem, this})) return FALSE;
    CWceUiLayer* pParent = this;
    CWceUiLayer* pFirst = NULL;
    while (pCur) {
        LPCWSTR pType = pCur->GetAttribute(u"type");
        if (NULL == pType) {
            JxWriteLogW(JX_LOG_ERROR, u"Create layer from XML element failed, no type attributes");
            return FALSE;
        }
        CWceUiLayer* pNew = pCtrl->CreateLayer(pParent, pType, pCur->GetAttribute(u"name"));
        if (NULL == pNew) {
            JxWriteLogW(JX_LOG_ERROR, u"Create layer from XML element failed, the type is %s", pType);
            return FALSE;
        }
        pNew->SetProperties(pCur);
        if (NULL == pFirst) pFirst = pNew;

        CWceUiXmlElem* pChild = FirstChildElem(pCur);
        if (pChild) {
            if (!tmpStack.Push(CreateEntry{pCur, pNew})) return FALSE;
            pParent = pNew;
            pCur = pChild;
            continue;
        }
        // Up until an element with a next sibling; the walk ends at pElem's own entry.
        CWceUiXmlElem* pNext = NextSiblingElem(pCur);
        while (NULL == pNext) {
            CreateEntry top = {NULL, NULL};
            if (!tmpStack.Pop(top) || top.pElem == pElem) break;
            pNext = NextSiblingElem(top.pElem);
        }
        if (NULL == pNext) break;
        CreateEntry parentEntry = {NULL, NULL};
        if (!tmpStack.GetTop(parentEntry)) break;
        pParent = parentEntry.pLayer;
        pCur = pNext;
    }
    if (!tmpStack.IsStackEmpty()) {
        JxWriteLogW(JX_LOG_ERROR, u"exception in CWceUiLayer::CreateAllChilds, the stack must be empty");
        return FALSE;
    }
    if (ppFirst) *ppFirst = pFirst;
    return TRUE;
}
