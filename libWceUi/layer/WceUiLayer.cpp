// CWceUiLayer: construction, destruction, the tree, names and ids.
#include "WceUiLayer.h"

#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "QuickGrowStack.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"
#include "WceUiLayerPrivate.h"

CWceUiLayer::CWceUiLayer() : m_Links(), m_pData(NULL)
{
    m_Links.m_pLayer = this;
    m_pData = new (std::nothrow) CWceUiLayerData;
    WCEUI_CHECK("CWceUiLayer::CWceUiLayer", NULL != m_pData);
    // A style without its record leaves the layer as if its own record had failed.
    if (m_pData && (!m_pData->m_Style.GetData() || !m_pData->m_CommonStyle.GetData())) {
        delete m_pData;
        m_pData = NULL;
    }
    if (m_pData) impBindStyle(TRUE);
}

CWceUiLayer::~CWceUiLayer()
{
    if (NULL == m_pData) return;
    delete m_pData->m_pLayerBitmap;
    m_pData->m_pLayerBitmap = NULL;
    impBindStyle(FALSE);
    if (m_pData->m_pLayerCtrl) {
        KillAllTimers();
        UnRegisterAllMsg();
        ReleaseCapture();
        if (m_pData->m_pParent) m_pData->m_pParent->RemoveChild(this);
    }
    delete m_pData;
    m_pData = NULL;
}

// ---- Tree ----

BOOL WceUiCheckLayerCtrl(const CWceUiLayer* pLayer, LPCSTR pOperation)
{
    if (pLayer->GetData() && pLayer->GetData()->m_pLayerCtrl) return TRUE;
    JxCheckFailed(pOperation, "NULL != GetLayerCtrl()", __FILE__, __LINE__);
    return FALSE;
}

static BOOL IsSelfOrAncestorOf(const CWceUiLayer* pCandidate, const CWceUiLayer* pLayer)
{
    for (const CWceUiLayer* p = pLayer; p; p = p->GetParent())
        if (p == pCandidate) return TRUE;
    return FALSE;
}

BOOL CWceUiLayer::impCheckNewChild(LPCSTR pOperation, CWceUiLayer* pNewChild) const
{
    if (!WceUiCheckLayerCtrl(this, pOperation)) return FALSE;
    if (!WCEUI_CHECK(pOperation, NULL != pNewChild)) return FALSE;
    if (!WCEUI_CHECK(pOperation, NULL == pNewChild->GetParent())) {
        JxWriteLogA(JX_LOG_ERROR, "%s failed, pNewChild->GetParent() must be NULL", pOperation);
        return FALSE;
    }
    // A parentless layer may still be the root, this layer, the top of this layer's
    // detached subtree or a layer of another tree: each would make a cycle or mix trees.
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    if (!WCEUI_CHECK(pOperation, pNewChild != pCtrl->RootLayer())) return FALSE;
    if (!WCEUI_CHECK(pOperation, !IsSelfOrAncestorOf(pNewChild, this))) return FALSE;
    CWceUiLayerCtrl* pChildCtrl = pNewChild->GetData() ? pNewChild->GetData()->m_pLayerCtrl : NULL;
    if (!WCEUI_CHECK(pOperation, NULL == pChildCtrl || pChildCtrl == pCtrl)) return FALSE;
    return TRUE;
}

BOOL CWceUiLayer::IsInLayerTree() const
{
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    if (NULL == pCtrl) return FALSE;
    const CWceUiLayer* pTop = this;
    while (pTop->GetParent()) pTop = pTop->GetParent();
    return pTop == pCtrl->RootLayer();
}

void CWceUiLayer::impRebuildLists(BOOL bDraw, BOOL bInput)
{
    // The lists hold only the root's tree; a detached subtree (a dialog being built, a
    // subtree being deleted) changes nothing in them.
    if (!IsInLayerTree()) return;
    CWceUiLayerCtrl* pCtrl = m_pData->m_pLayerCtrl;
    if (bDraw) pCtrl->ReBuildDrawList();
    if (bInput) pCtrl->ReBuildInputList();
}

BOOL CWceUiLayer::impInsertChild(CWceUiLayer* pBeforeThis, CWceUiLayer* pAfterThis, CWceUiLayer* pNewChild)
{
    CWceUiHTList& list = m_pData->m_ChildList;
    BOOL bOk;
    if (pBeforeThis)
        bOk = list.InsertBefore(pBeforeThis->GetLinks(), pNewChild->GetLinks());
    else if (pAfterThis)
        bOk = list.InsertAfter(pAfterThis->GetLinks(), pNewChild->GetLinks());
    else
        bOk = list.AddTail(pNewChild->GetLinks());
    if (!bOk) return FALSE;
    pNewChild->m_pData->m_pParent = this;
    if (NULL == pNewChild->m_pData->m_pLayerCtrl) pNewChild->m_pData->m_pLayerCtrl = m_pData->m_pLayerCtrl;
    if (IsInLayerTree()) {
        impRebuildLists(TRUE, TRUE);
        // What was below the new child is no longer what the window shows there.
        pNewChild->impInvalidateSubtree();
    }
    return TRUE;
}

BOOL CWceUiLayer::AppendChild(CWceUiLayer* pNewChild)
{
    if (!impCheckNewChild("CWceUiLayer::AppendChild", pNewChild)) return FALSE;
    return impInsertChild(NULL, NULL, pNewChild);
}

BOOL CWceUiLayer::AddHeadChild(CWceUiLayer* pNewChild)
{
    if (!impCheckNewChild("CWceUiLayer::AddHeadChild", pNewChild)) return FALSE;
    if (!WCEUI_CHECK("CWceUiLayer::AddHeadChild", this != GetLayerCtrl()->RootLayer())) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayer::AddHeadChild failed, RootLayer does not support AddHeadChild");
        return FALSE;
    }
    CWceUiLayer* pHead = GetFirstChild();
    if (NULL == pHead) return impInsertChild(NULL, NULL, pNewChild);
    return impInsertChild(pHead, NULL, pNewChild);
}

BOOL CWceUiLayer::InsertBefore(CWceUiLayer* pBeforeThis, CWceUiLayer* pNewChild)
{
    if (!impCheckNewChild("CWceUiLayer::InsertBefore", pNewChild)) return FALSE;
    if (this == GetLayerCtrl()->RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayer::InsertBefore failed, root layer does not support insert before");
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiLayer::InsertBefore", NULL == pBeforeThis || this == pBeforeThis->GetParent()))
        return FALSE;
    if (NULL == pBeforeThis) pBeforeThis = GetFirstChild();
    return impInsertChild(pBeforeThis, NULL, pNewChild);
}

BOOL CWceUiLayer::InsertAfter(CWceUiLayer* pAfterThis, CWceUiLayer* pNewChild)
{
    if (!impCheckNewChild("CWceUiLayer::InsertAfter", pNewChild)) return FALSE;
    if (this == GetLayerCtrl()->RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayer::InsertAfter failed, root layer does not support insert after");
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiLayer::InsertAfter", NULL == pAfterThis || this == pAfterThis->GetParent()))
        return FALSE;
    return impInsertChild(NULL, pAfterThis, pNewChild);
}

BOOL CWceUiLayer::RemoveChild(CWceUiLayer* pChild)
{
    if (!WceUiCheckLayerCtrl(this, "CWceUiLayer::RemoveChild")) return FALSE;
    if (!WCEUI_CHECK("CWceUiLayer::RemoveChild", NULL != pChild)) return FALSE;
    if (!WCEUI_CHECK("CWceUiLayer::RemoveChild", pChild->GetParent() == this)) return FALSE;
    BOOL bInTree = IsInLayerTree();
    // Its place must be repainted without it; afterwards its rectangle may be another.
    if (bInTree) pChild->impInvalidateSubtree();
    m_pData->m_ChildList.Remove(pChild->GetLinks());
    pChild->m_pData->m_pParent = NULL;
    if (bInTree) impRebuildLists(TRUE, TRUE);
    return TRUE;
}

BOOL CWceUiLayer::RemoveTail()
{
    CWceUiLayer* pLast = GetLastChild();
    if (NULL == pLast) return FALSE;
    return RemoveChild(pLast);
}

BOOL CWceUiLayer::MoveBefore(CWceUiLayer* pBeforeThis)
{
    if (!WCEUI_CHECK("CWceUiLayer::MoveBefore", this != pBeforeThis)) return FALSE;
    CWceUiLayer* pParent = GetParent();
    if (NULL == pParent) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveBefore, GetParent() return NULL", u"CWceUiLayer");
        return FALSE;
    }
    if (!WceUiCheckLayerCtrl(this, "CWceUiLayer::MoveBefore")) return FALSE;
    if (pParent == GetLayerCtrl()->RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveBefore, the parent is root", u"CWceUiLayer");
        return FALSE;
    }
    if (pBeforeThis && pBeforeThis->GetParent() != pParent) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveBefore, pBeforeThis is not a brother", u"CWceUiLayer");
        return FALSE;
    }
    CWceUiHTList& list = pParent->m_pData->m_ChildList;
    list.Remove(GetLinks());
    list.InsertBefore(pBeforeThis ? pBeforeThis->GetLinks() : NULL, GetLinks());
    impRebuildLists(TRUE, TRUE);
    InvalidateLayer(NULL);
    if (pBeforeThis) pBeforeThis->InvalidateLayer(NULL);
    return TRUE;
}

BOOL CWceUiLayer::MoveAfter(CWceUiLayer* pAfterThis)
{
    if (!WCEUI_CHECK("CWceUiLayer::MoveAfter", this != pAfterThis)) return FALSE;
    CWceUiLayer* pParent = GetParent();
    if (NULL == pParent) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveAfter, GetParent() return NULL", u"CWceUiLayer");
        return FALSE;
    }
    if (!WceUiCheckLayerCtrl(this, "CWceUiLayer::MoveAfter")) return FALSE;
    if (pParent == GetLayerCtrl()->RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveAfter, the parent is root", u"CWceUiLayer");
        return FALSE;
    }
    if (pAfterThis && pAfterThis->GetParent() != pParent) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::MoveAfter, pAfterThis is not a brother", u"CWceUiLayer");
        return FALSE;
    }
    CWceUiHTList& list = pParent->m_pData->m_ChildList;
    list.Remove(GetLinks());
    list.InsertAfter(pAfterThis ? pAfterThis->GetLinks() : NULL, GetLinks());
    impRebuildLists(TRUE, TRUE);
    InvalidateLayer(NULL);
    if (pAfterThis) pAfterThis->InvalidateLayer(NULL);
    return TRUE;
}

// ---- Navigation ----

CWceUiLayer* CWceUiLayer::GetParent() const { return m_pData ? m_pData->m_pParent : NULL; }
CWceUiLayer* CWceUiLayer::GetFirstChild() const { return FromLinks(m_pData->m_ChildList.GetHead()); }
CWceUiLayer* CWceUiLayer::GetLastChild() const { return FromLinks(m_pData->m_ChildList.GetTail()); }
int CWceUiLayer::GetChildCount() const { return m_pData->m_ChildList.GetCount(); }
CWceUiLayer* CWceUiLayer::GetChildByIndex(int nIndex) const { return FromLinks(m_pData->m_ChildList.GetAt(nIndex)); }

CWceUiLayer* CWceUiLayer::PreChild(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayer::PreChild", NULL != pCurLayer)) return NULL;
    return FromLinks(pCurLayer->m_Links.m_pSiblingPre);
}

CWceUiLayer* CWceUiLayer::NextChild(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayer::NextChild", NULL != pCurLayer)) return NULL;
    return FromLinks(pCurLayer->m_Links.m_pSiblingNext);
}

CWceUiLayer* CWceUiLayer::GetParentOrSelf()
{
    CWceUiLayer* pParent = GetParent();
    if (NULL == pParent) return this;
    if (m_pData->m_pLayerCtrl && pParent == m_pData->m_pLayerCtrl->RootLayer()) return this;
    return pParent;
}

CWceUiLayer* CWceUiLayer::GetDlg()
{
    CWceUiLayer* pLayer = this;
    while (pLayer && !pLayer->IsKindOf(WCEUI_CLASS_NAME(CWceUiDlg))) pLayer = pLayer->GetParent();
    if (!WCEUI_CHECK("CWceUiLayer::GetDlg", NULL != pLayer)) return NULL;
    return pLayer;
}

CWceUiLayerCtrl* CWceUiLayer::GetLayerCtrl() const
{
    if (!WCEUI_CHECK("CWceUiLayer::GetLayerCtrl", NULL != GetData()->m_pLayerCtrl)) return NULL;
    return m_pData->m_pLayerCtrl;
}

BOOL CWceUiLayer::SetLayerCtrl(CWceUiLayerCtrl* pLayerCtrl)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetLayerCtrl", NULL != pLayerCtrl)) return FALSE;
    m_pData->m_pLayerCtrl = pLayerCtrl;
    return TRUE;
}

// ---- Names, ids, user data ----

BOOL CWceUiLayer::SetName(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiLayer::SetName", NULL != pName)) return FALSE;
    return m_pData->m_strName.SetString(pName);
}

LPCWSTR CWceUiLayer::GetName() const { return m_pData->m_strName.GetString(); }

BOOL CWceUiLayer::IsEqualName(LPCWSTR pName) const
{
    if (!WCEUI_CHECK("CWceUiLayer::IsEqualName", NULL != pName)) return FALSE;
    return 0 == m_pData->m_strName.CompareNoCase(pName);
}

CWceUiLayer* CWceUiLayer::GetChildByName(LPCWSTR pChildName) const
{
    if (!WCEUI_CHECK("CWceUiLayer::GetChildByName", NULL != pChildName)) return NULL;
    if (!WCEUI_CHECK("CWceUiLayer::GetChildByName", *pChildName)) return NULL;
    for (CWceUiLayer* p = GetFirstChild(); p; p = FromLinks(p->m_Links.m_pSiblingNext))
        if (!p->m_pData->m_strName.IsEmpty() && p->IsEqualName(pChildName)) return p;
    return NULL;
}

CWceUiLayer* CWceUiLayer::GetLayerByName(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiLayer::GetLayerByName", NULL != pName)) return NULL;
    if (!WCEUI_CHECK("CWceUiLayer::GetLayerByName", *pName)) return NULL;
    // Pre-order by links: children first, then the next sibling of the nearest ancestor
    // below this layer.
    CWceUiLayer* p = this;
    while (p) {
        if (!p->m_pData->m_strName.IsEmpty() && p->IsEqualName(pName)) return p;
        p = WceUiNextInPreOrder(p, this);
    }
    return NULL;
}

CWceUiLayer* WceUiNextInPreOrder(CWceUiLayer* pLayer, const CWceUiLayer* pTop)
{
    CWceUiLayer* pChild = pLayer->GetFirstChild();
    if (pChild) return pChild;
    for (CWceUiLayer* p = pLayer; p && p != pTop; p = p->GetParent()) {
        CWceUiLayer* pNext = CWceUiLayer::FromLinks(p->GetLinks()->m_pSiblingNext);
        if (pNext) return pNext;
    }
    return NULL;
}

void CWceUiLayer::SetLayerId(WORD nLayerId) { m_pData->m_nLayerId = nLayerId; }
WORD CWceUiLayer::GetLayerId() const { return m_pData->m_nLayerId; }
void CWceUiLayer::SetUserData(DWORD dwUserData) { m_pData->m_dwUserData = dwUserData; }
DWORD CWceUiLayer::GetUserData() const { return m_pData->m_dwUserData; }
