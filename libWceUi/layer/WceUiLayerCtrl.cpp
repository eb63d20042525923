#include "WceUiLayerCtrl.h"

#include <new>

#include "JXCheck.h"
#include "wce/gdi.h"
#include "JXMap.h"
#include "JXWUniqueID.h"
#include "JXWriteLogFile.h"
#include "QuickGrowStack.h"
#include "QuickString.h"
#include "TestFillRect.h"
#include "WceUiCommon.h"
#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiHList.h"
#include "WceUiHTList.h"
#include "WceUiLayerData.h"
#include "WceUiLayerHost.h"
#include "WceUiLayerPrivate.h"
#include "WceUiXml.h"

namespace {
const int kIdMapBuckets = 401;
const int kMaxPath = 259;
}  // namespace

struct CWceUiLayerCtrlData {
    CWUniqueID m_Ids;
    JXMap<DWORD, CWceUiLayer*> m_IdMap;
    CWceUiLayerHost* m_pWindow;
    CWceUiHTList m_DrawList;
    CWceUiHList m_InputList;
    CWceUiHList m_NeedDrawList;
    CWceUiLayer* m_pBody;
    CWceUiLayer* m_pFocusLayer = NULL;  // the layer that takes typed text
    CWceUiLayer* m_pLosingCapture = NULL;  // hearing OnLoseCapture: rebuilds in it must not tell it again
    CTestFillRect m_Mask;  // kept between paint passes, so its blocks are reused

    CWceUiLayerCtrlData()
        : m_IdMap(10), m_pWindow(NULL),
          m_DrawList(WCEUI_LINK_OFFSET(m_pDrawNext), WCEUI_LINK_OFFSET(m_pDrawPre)),
          m_InputList(WCEUI_LINK_OFFSET(m_pInputNext)), m_NeedDrawList(WCEUI_LINK_OFFSET(m_pNeedDrawNext)),
          m_pBody(NULL)
    {
    }
};

// ---- Construction ----

CWceUiLayerCtrl::CWceUiLayerCtrl() : m_pData(new (std::nothrow) CWceUiLayerCtrlData)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::CWceUiLayerCtrl", NULL != m_pData)) return;
    m_pData->m_IdMap.InitHashTable(kIdMapBuckets);
    InitBody();
}

CWceUiLayerCtrl::~CWceUiLayerCtrl()
{
    if (NULL == m_pData) return;
    CWceUiLayer* pBody = m_pData->m_pBody;
    if (pBody) {
        // The root's own id is no leftover: take it back before looking for those.
        WORD nId = pBody->GetLayerId();
        m_pData->m_IdMap.RemoveKey(nId);
        m_pData->m_Ids.ReleaseID(nId);
        delete pBody;
        m_pData->m_pBody = NULL;
    }
    if (!m_pData->m_IdMap.IsEmpty())
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::~CWceUiLayerCtrl, detect some layer is not free");
    delete m_pData;
    m_pData = NULL;
}

BOOL CWceUiLayerCtrl::InitBody()
{
    m_pData->m_pBody = new (std::nothrow) CWceUiLayer;
    if (!WCEUI_CHECK("CWceUiLayerCtrl::InitBody", NULL != GetData()->m_pBody)) return FALSE;
    CWceUiLayer* pBody = m_pData->m_pBody;
    pBody->SetLayerCtrl(this);
    InitLayerInfo(pBody, u"__root_of_body__");
    pBody->OnLoad();
    pBody->SetLayerContainer(TRUE);
    ReBuildList();
    return TRUE;
}

CWceUiLayer* CWceUiLayerCtrl::RootLayer() const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::RootLayer", NULL != GetData()->m_pBody)) return NULL;
    return m_pData->m_pBody;
}

CWceUiLayer* CWceUiLayerCtrl::GetTopDlg() const
{
    CWceUiLayer* pRoot = m_pData->m_pBody;
    return pRoot ? pRoot->GetLastChild() : NULL;
}

BOOL CWceUiLayerCtrl::SetWindow(CWceUiLayerHost* pWindow)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::SetWindow", NULL != pWindow)) return FALSE;
    m_pData->m_pWindow = pWindow;
    return TRUE;
}

CWceUiLayerHost* CWceUiLayerCtrl::GetWindow() const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetWindow", NULL != GetData()->m_pWindow)) return NULL;
    return m_pData->m_pWindow;
}

CWceUiLayerHost* CWceUiLayerCtrl::PeekWindow() const { return m_pData ? m_pData->m_pWindow : NULL; }

// ---- Creating ----

LPCWSTR CWceUiLayerCtrl::GetDlgLayerClassName(LPCWSTR pDlgPath)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetDlgLayerClassName", NULL != pDlgPath)) return NULL;
    LPCWSTR pName = pDlgPath;
    for (LPCWSTR p = pDlgPath; *p; ++p)
        if (u'\\' == *p || u'/' == *p) pName = p + 1;
    return pName;
}

CWceUiDlg* CWceUiLayerCtrl::CreateDlg(LPCWSTR pDlgPath)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::CreateDlg", NULL != pDlgPath)) return NULL;
    // A path cut to fit could name another dialog: refuse it whole.
    CQuickString strDlgPath(pDlgPath);
    LPCWSTR pWndDir = WceUiGetWndDir();
    if (NULL == pWndDir) pWndDir = u"";
    CQuickString strDlgFile, strStyleFile;
    strDlgFile.Format(u"%s%s.dlg.xml", pWndDir, pDlgPath);
    strStyleFile.Format(u"%s%s.style.xml", pWndDir, pDlgPath);
    if (strDlgPath.GetLength() > kMaxPath || strDlgFile.GetLength() > kMaxPath ||
        strStyleFile.GetLength() > kMaxPath) {
        // The path itself would not fit in a log line.
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::CreateDlg, the path of the dialog or its files is longer than %d characters", kMaxPath);
        return NULL;
    }
    LPCWSTR pClassName = GetDlgLayerClassName(strDlgPath);
    CWceUiObject* pObject = WceUiCreateObject(pClassName);
    if (NULL == pObject) {
        JxWriteLogW(JX_LOG_ERROR, u"in CWceUiLayerCtrl::CreateDlg, can not create class %s", pClassName);
        return NULL;
    }
    if (!pObject->IsKindOf(WCEUI_CLASS_NAME(CWceUiDlg))) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::CreateDlg, %s is not a kind of %s", pClassName,
                    WCEUI_CLASS_NAME(CWceUiDlg));
        delete pObject;
        return NULL;
    }
    CWceUiDlg* pDlg = static_cast<CWceUiDlg*>(pObject);
    pDlg->SetLayerCtrl(this);
    if (!pDlg->Init(strDlgFile, strStyleFile)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::CreateDlg, Create %s failed", pDlgPath);
        if (pDlg->GetLayerId())
            DeleteLayer(pDlg);
        else
            delete pDlg;  // never got an id: nothing of it is in the id map
        return NULL;
    }
    return pDlg;
}

CWceUiLayer* CWceUiLayerCtrl::impCreateLayer(CWceUiLayer* pParent, LPCWSTR pType)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::impCreateLayer", NULL != pType)) return NULL;
    if (!WCEUI_CHECK("CWceUiLayerCtrl::impCreateLayer", NULL != pParent)) return NULL;
    if (pParent == RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayerCtrl::impCreateLayer, pParent can not be root layer");
        return NULL;
    }
    CWceUiObject* pObject = WceUiCreateObject(pType);
    if (NULL == pObject) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayerCtrl::impCreateLayer, can not create layer, type is %s", pType);
        return NULL;
    }
    if (!pObject->IsKindOf(WCEUI_CLASS_NAME(CWceUiLayer))) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayerCtrl::impCreateLayer, the type is not a kind of CWceUiLayer");
        delete pObject;
        return NULL;
    }
    return static_cast<CWceUiLayer*>(pObject);
}

// Inserts a fresh layer, names it and gives it an id; undone whole when any step fails.
static CWceUiLayer* AttachNewLayer(CWceUiLayerCtrl* pCtrl, CWceUiLayer* pParent, CWceUiLayer* pAfter,
                                   BOOL bAfterMode, CWceUiLayer* pLayer, LPCWSTR pName)
{
    pLayer->SetLayerCtrl(pCtrl);
    BOOL bInserted;
    if (!bAfterMode)
        bInserted = pParent->AppendChild(pLayer);
    else if (pAfter)
        bInserted = pParent->InsertAfter(pAfter, pLayer);
    else
        bInserted = pParent->AddHeadChild(pLayer);
    if (!bInserted) {
        delete pLayer;
        return NULL;
    }
    if (!pCtrl->InitLayerInfo(pLayer, pName)) {
        pParent->RemoveChild(pLayer);
        delete pLayer;
        return NULL;
    }
    pLayer->OnLoad();
    return pLayer;
}

CWceUiLayer* CWceUiLayerCtrl::CreateLayer(CWceUiLayer* pParent, LPCWSTR pType, LPCWSTR pName)
{
    CWceUiLayer* pLayer = impCreateLayer(pParent, pType);
    if (NULL == pLayer) return NULL;
    return AttachNewLayer(this, pParent, NULL, FALSE, pLayer, pName);
}

CWceUiLayer* CWceUiLayerCtrl::CreateLayerAfter(CWceUiLayer* pParent, CWceUiLayer* pAfter, LPCWSTR pType,
                                               LPCWSTR pName)
{
    CWceUiLayer* pLayer = impCreateLayer(pParent, pType);
    if (NULL == pLayer) return NULL;
    return AttachNewLayer(this, pParent, pAfter, TRUE, pLayer, pName);
}

CWceUiLayer* CWceUiLayerCtrl::CreateLayerByXmlStr(CWceUiLayer* pParent, LPCWSTR pXmlStr)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::CreateLayerByXmlStr", NULL != pXmlStr)) return NULL;
    if (!WCEUI_CHECK("CWceUiLayerCtrl::CreateLayerByXmlStr", NULL != pParent)) return NULL;
    if (pParent == RootLayer()) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiLayerCtrl::CreateLayerByXmlStr, pParent can not be root layer");
        return NULL;
    }
    CWceUiXmlDoc doc;
    if (!doc.LoadXmlStr(pXmlStr)) return NULL;
    CWceUiXmlElem* pRootElem = doc.GetRootElem();
    if (!WCEUI_CHECK("CWceUiLayerCtrl::CreateLayerByXmlStr", NULL != pRootElem)) return NULL;
    CWceUiLayer* pFirst = NULL;
    if (!pParent->CreateAllChilds(pRootElem, &pFirst)) return NULL;
    return pFirst;
}

BOOL CWceUiLayerCtrl::InitLayerInfo(CWceUiLayer* pNode, LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::InitLayerInfo", NULL != pNode)) return FALSE;
    DWORD dwId = m_pData->m_Ids.GetID();
    if (dwId < 1 || dwId > 65534) {
        // The allocator's failure value is no layer id: creating the layer fails instead.
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::InitLayerInfo, no free layer id for %s", pName ? pName : u"");
        return FALSE;
    }
    if (!m_pData->m_IdMap.SetAt(dwId, pNode)) {
        m_pData->m_Ids.ReleaseID(dwId);
        return FALSE;
    }
    pNode->SetLayerId(static_cast<WORD>(dwId));
    pNode->SetName(pName ? pName : u"");
    return TRUE;
}

CWceUiLayer* CWceUiLayerCtrl::GetLayerById(DWORD dwId) const
{
    CWceUiLayer* pLayer = NULL;
    m_pData->m_IdMap.Lookup(dwId & 0xFFFF, pLayer);
    return pLayer;
}

// ---- Deleting ----

BOOL CWceUiLayerCtrl::impDeleteElement(CWceUiLayer* pNode)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::impDeleteElement", NULL != pNode)) return FALSE;
    // The id goes back only when it is this layer's entry: another controller's layer, or
    // one that never got an id, must not take a living layer's id with it.
    if (pNode == m_pData->m_pFocusLayer) m_pData->m_pFocusLayer = NULL;
    WORD nId = pNode->GetLayerId();
    CWceUiLayer* pMapped = NULL;
    if (m_pData->m_IdMap.Lookup(nId, pMapped) && pMapped == pNode) {
        m_pData->m_IdMap.RemoveKey(nId);
        m_pData->m_Ids.ReleaseID(nId);
    }
    delete pNode;
    return TRUE;
}

BOOL CWceUiLayerCtrl::DeleteLayer(CWceUiLayer* pNode)
{
    if (NULL == pNode) return TRUE;
    if (!WCEUI_CHECK("CWceUiLayerCtrl::DeleteLayer", pNode != RootLayer())) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiLayerCtrl::DeleteLayer, dont call delete root layer directly");
        return FALSE;
    }
    if (!WCEUI_CHECK("CWceUiLayerCtrl::DeleteLayer", this == pNode->GetData()->m_pLayerCtrl)) return FALSE;
    // While its layers still live: a layer's destructor can only release the capture.
    EndCaptureBelow(pNode);
    if (pNode->GetParent()) pNode->GetParent()->RemoveChild(pNode);
    // Post-order, last child first, by the layers' own links: a deleted layer leaves its
    // parent's child list, so an emptied parent becomes a leaf in turn.
    CWceUiLayer* pCur = pNode;
    for (;;) {
        while (pCur->GetLastChild()) pCur = pCur->GetLastChild();
        CWceUiLayer* pPre = CWceUiLayer::FromLinks(pCur->GetLinks()->m_pSiblingPre);
        CWceUiLayer* pParent = pCur->GetParent();
        BOOL bLast = pCur == pNode;
        impDeleteElement(pCur);
        if (bLast) break;
        pCur = pPre ? pPre : pParent;
    }
    return TRUE;
}

// ---- Lists ----

void CWceUiLayerCtrl::ReBuildDrawList()
{
    CWceUiLayer* pRoot = RootLayer();
    if (NULL == pRoot) return;
    CWceUiHTList& list = m_pData->m_DrawList;
    list.RemoveAll();
    for (CWceUiLayer* p = pRoot; p; p = WceUiNextInPreOrder(p, pRoot)) list.AddTail(p->GetLinks());
}

void CWceUiLayerCtrl::ReBuildInputList()
{
    CWceUiLayer* pRoot = RootLayer();
    if (NULL == pRoot) return;
    CWceUiHList& list = m_pData->m_InputList;
    list.RemoveAll();
    // Pre-order over the top dialog, entering only the children of eligible layers and of
    // visible, enabled containers; each eligible layer goes to the head, topmost first.
    CWceUiLayer* pTop = pRoot->GetLastChild();
    CWceUiLayer* p = pTop;
    while (p) {
        BOOL bVisibleEnabled = p->IsLayerVisible() && p->IsLayerEnabled();
        BOOL bEligible = bVisibleEnabled && !p->IsLayerNoInput();
        if (bEligible) list.AddHead(p->GetLinks());
        CWceUiLayer* pNext = NULL;
        if (p->GetFirstChild() && (bEligible || (p->IsLayerContainer() && bVisibleEnabled)))
            pNext = p->GetFirstChild();
        for (CWceUiLayer* q = p; NULL == pNext && q && q != pTop; q = q->GetParent())
            pNext = CWceUiLayer::FromLinks(q->GetLinks()->m_pSiblingNext);
        p = pNext;
    }
    // Also when the last dialog went: focus and capture must not stay with its layers.
    impCheckFocus();
    impCheckCapture();
}

BOOL CWceUiLayerCtrl::CanTakeFocus(CWceUiLayer* pLayer) const
{
    CWceUiLayer* pRoot = RootLayer();
    if (NULL == pLayer || NULL == pRoot || !pLayer->IsLayerVisible() || !pLayer->IsLayerEnabled()) return FALSE;
    // Only the top dialog's layers: a dialog run over them takes the focus away.
    CWceUiLayer* p = pLayer;
    while (p->GetParent() && p->GetParent() != pRoot) p = p->GetParent();
    return p->GetParent() == pRoot && p == pRoot->GetLastChild();
}

BOOL CWceUiLayerCtrl::SetFocusLayer(CWceUiLayer* pLayer)
{
    if (pLayer && !CanTakeFocus(pLayer)) return FALSE;
    CWceUiLayer* pOld = m_pData->m_pFocusLayer;
    m_pData->m_pFocusLayer = pLayer;
    if (pOld && pOld != pLayer) pOld->OnKillFocus();
    return TRUE;
}

CWceUiLayer* CWceUiLayerCtrl::GetFocusLayer() const { return m_pData->m_pFocusLayer; }

void CWceUiLayerCtrl::impCheckFocus()
{
    // Hidden, disabled or covered by another dialog: every list rebuild follows such a change.
    CWceUiLayer* pFocus = m_pData->m_pFocusLayer;
    if (pFocus && !CanTakeFocus(pFocus)) {
        m_pData->m_pFocusLayer = NULL;
        pFocus->OnKillFocus();
    }
}

void CWceUiLayerCtrl::EndCaptureBelow(CWceUiLayer* pTop)
{
    CWceUiLayerHost* pWnd = PeekWindow();
    CWceUiLayer* pCapture = pWnd ? pWnd->GetCapture() : NULL;
    for (const CWceUiLayer* p = pCapture; p && pTop; p = p->GetParent())
        if (p == pTop) {
            impEndCapture(pWnd, pCapture);
            return;
        }
}

void CWceUiLayerCtrl::impEndCapture(CWceUiLayerHost* pWnd, CWceUiLayer* pCapture)
{
    if (pCapture == m_pData->m_pLosingCapture) return;
    // Told before the release, as a window that loses the platform capture tells it: a
    // button released silently would keep its down look and click on a later pen-up.
    CWceUiLayer* pOuter = m_pData->m_pLosingCapture;
    m_pData->m_pLosingCapture = pCapture;
    pCapture->OnLoseCapture();
    if (pWnd->GetCapture() == pCapture) pWnd->ReleaseCapture(pCapture);
    m_pData->m_pLosingCapture = pOuter;
}

void CWceUiLayerCtrl::impCheckCapture()
{
    // Pen input goes to the top dialog's shown, enabled layers only (the focus rule); a
    // capture layer outside them would keep its press, or take pens meant for others.
    CWceUiLayerHost* pWnd = PeekWindow();
    CWceUiLayer* pCapture = pWnd ? pWnd->GetCapture() : NULL;
    if (pCapture && pCapture->GetLayerCtrl() == this && !CanTakeFocus(pCapture)) impEndCapture(pWnd, pCapture);
}

void CWceUiLayerCtrl::ReBuildList()
{
    ReBuildDrawList();
    ReBuildInputList();
}

CWceUiLayer* CWceUiLayerCtrl::GetDrawHead() const { return CWceUiLayer::FromLinks(m_pData->m_DrawList.GetHead()); }
CWceUiLayer* CWceUiLayerCtrl::GetDrawTail() const { return CWceUiLayer::FromLinks(m_pData->m_DrawList.GetTail()); }

CWceUiLayer* CWceUiLayerCtrl::GetDrawNext(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetDrawNext", NULL != pCurLayer)) return NULL;
    return CWceUiLayer::FromLinks(pCurLayer->GetLinks()->m_pDrawNext);
}

CWceUiLayer* CWceUiLayerCtrl::GetDrawPre(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetDrawPre", NULL != pCurLayer)) return NULL;
    return CWceUiLayer::FromLinks(pCurLayer->GetLinks()->m_pDrawPre);
}

CWceUiLayer* CWceUiLayerCtrl::GetNeedDrawHead() const
{
    return CWceUiLayer::FromLinks(m_pData->m_NeedDrawList.GetHead());
}

CWceUiLayer* CWceUiLayerCtrl::GetNeedDrawNext(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetNeedDrawNext", NULL != pCurLayer)) return NULL;
    return CWceUiLayer::FromLinks(pCurLayer->GetLinks()->m_pNeedDrawNext);
}

CWceUiLayer* CWceUiLayerCtrl::GetInputHead() const { return CWceUiLayer::FromLinks(m_pData->m_InputList.GetHead()); }

CWceUiLayer* CWceUiLayerCtrl::GetInputNext(CWceUiLayer* pCurLayer) const
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::GetInputNext", NULL != pCurLayer)) return NULL;
    return CWceUiLayer::FromLinks(pCurLayer->GetLinks()->m_pInputNext);
}

CWceUiLayer* CWceUiLayerCtrl::HitTest(POINT pt) const
{
    for (CWceUiLayer* p = GetInputHead(); p; p = CWceUiLayer::FromLinks(p->GetLinks()->m_pInputNext)) {
        RECT rc;
        if (p->GetWindowRect(&rc) && PtInRect(&rc, pt)) return p;
    }
    return NULL;
}

// ---- Painting ----

void CWceUiLayerCtrl::impBuildNeedDrawList(const RECT& rcDirty)
{
    CWceUiHList& list = m_pData->m_NeedDrawList;
    list.RemoveAll();
    CTestFillRect& mask = m_pData->m_Mask;
    if (!mask.Create(rcDirty.right - rcDirty.left, rcDirty.bottom - rcDirty.top)) return;
    for (CWceUiLayer* p = GetDrawTail(); p; p = CWceUiLayer::FromLinks(p->GetLinks()->m_pDrawPre)) {
        if (p->IsLayerNoDraw() || !p->IsLayerVisible()) continue;
        RECT rcWnd, rcI;
        if (!p->GetWindowRect(&rcWnd) || !IntersectRect(&rcI, &rcWnd, &rcDirty)) continue;
        RECT rcL = rcI;
        OffsetRect(&rcL, -rcDirty.left, -rcDirty.top);
        if (mask.Test(rcL)) continue;  // opaque layers above hide it
        p->SetNeedDrawRect(&rcI);
        list.AddHead(p->GetLinks());
        if (!p->IsLayerTransparent() && mask.Fill(rcL)) break;
    }
}

BOOL CWceUiLayerCtrl::Draw(CWceUiGenericBitmap* pWndBmp, RECT rcDirty)
{
    if (!WCEUI_CHECK("CWceUiLayerCtrl::Draw", NULL != pWndBmp)) return FALSE;
    // The mask is sized by the dirty rectangle: the large rectangle would ask for gigabytes.
    RECT rcBmp = {0, 0, pWndBmp->GetWidth(), pWndBmp->GetHeight()};
    RECT rcClip;
    if (!IntersectRect(&rcClip, &rcDirty, &rcBmp)) {
        m_pData->m_NeedDrawList.RemoveAll();
        return TRUE;
    }
    impBuildNeedDrawList(rcClip);
    for (CWceUiLayer* p = GetNeedDrawHead(); p; p = CWceUiLayer::FromLinks(p->GetLinks()->m_pNeedDrawNext)) {
        RECT rc;
        p->GetNeedDrawRect(&rc);
        p->OnDraw(pWndBmp, rc);
    }
    return TRUE;
}

void CWceUiLayerCtrl::FreeBmpRes()
{
    CWceUiLayer* pRoot = RootLayer();
    if (NULL == pRoot) return;
    WceUiVisitBelow(pRoot, [](CWceUiLayer* pLayer) { pLayer->FreeBmpRes(); });
}
