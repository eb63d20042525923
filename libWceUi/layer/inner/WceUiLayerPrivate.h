// Helpers shared by the layer's files and the controller.
#pragma once

#include "WceUiLayer.h"

// The check "NULL != GetLayerCtrl()" under pOperation's name, without a second check line.
BOOL WceUiCheckLayerCtrl(const CWceUiLayer* pLayer, LPCSTR pOperation);
// The layer after pLayer in a pre-order walk of pTop's subtree, or null at its end.
CWceUiLayer* WceUiNextInPreOrder(CWceUiLayer* pLayer, const CWceUiLayer* pTop);

#include "QuickGrowStack.h"

// Calls fn on every layer below pTop: all children of a layer in order, pushing those with
// children, then the children of the most recently pushed one, until none is left. Every
// layer comes after its parent. FALSE when the stack could not grow.
template <class FN>
BOOL WceUiVisitBelow(CWceUiLayer* pTop, FN fn)
{
    CQuickGrowStack<CWceUiLayer*> tmpStack;
    CWceUiLayer* pParent = pTop;
    for (;;) {
        for (CWceUiLayer* p = pParent->GetFirstChild(); p; p = CWceUiLayer::FromLinks(p->GetLinks()->m_pSiblingNext)) {
            fn(p);
            if (p->GetFirstChild() && !tmpStack.Push(p)) return FALSE;
        }
        if (tmpStack.IsStackEmpty()) return TRUE;
        tmpStack.Pop(pParent);
    }
}
