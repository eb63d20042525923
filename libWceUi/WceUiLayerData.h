// The layer's data record, shared by the layer's files only.
#pragma once

#include "JXList.h"
#include "QuickString.h"
#include "WceUiHTList.h"
#include "WceUiLayer.h"
#include "WceUiLoadString.h"
#include "wce/types.h"

// Stand-in for the style record until styles exist: the layout part that the tree needs.
struct CWceUiLayerLayout {
    RECT m_rcPos;
    BOOL m_bRelative;
    BOOL m_bShown;
    BOOL m_bEnabled;
    BOOL m_bContainer;
    BOOL m_bNoDraw;
    BOOL m_bNoInput;
    CQuickString m_strTextResID;
    CWceUiLayerLayout()
        : m_rcPos{0, 0, 0, 0}, m_bRelative(FALSE), m_bShown(TRUE), m_bEnabled(TRUE), m_bContainer(FALSE),
          m_bNoDraw(FALSE), m_bNoInput(FALSE)
    {
    }
};

struct CWceUiLayerData {
    CWceUiLayerLayout m_Layout;
    CWceUiLayerCtrl* m_pLayerCtrl;
    CQuickString m_strText;
    CWceUiLoadString m_LoadString;
    BOOL m_bReDraw;
    CWceUiHTList m_ChildList;  // over the sibling links; head = bottom-most
    CWceUiLayer* m_pParent;
    CQuickString m_strName;
    RECT m_rcNeedDraw;
    WORD m_nLayerId;
    BOOL m_bTextSet;
    CWceUiGenericBitmap* m_pLayerBitmap;
    JXList<WORD> m_TimerList;
    JXList<UINT> m_MsgList;
    DWORD m_dwUserData;

    CWceUiLayerData()
        : m_pLayerCtrl(NULL), m_bReDraw(TRUE),
          m_ChildList(WCEUI_LINK_OFFSET(m_pSiblingNext), WCEUI_LINK_OFFSET(m_pSiblingPre)), m_pParent(NULL),
          m_rcNeedDraw{0, 0, 0, 0}, m_nLayerId(0), m_bTextSet(FALSE), m_pLayerBitmap(NULL), m_TimerList(10),
          m_MsgList(10), m_dwUserData(0)
    {
    }
};

// The boolean value of a flag: any non-zero value is TRUE.
inline BOOL WceUiBool(BOOL b) { return b ? TRUE : FALSE; }
