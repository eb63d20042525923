// The layer's data record, shared by the layer's files only.
#pragma once

#include "JXList.h"
#include "QuickString.h"
#include "WceUiHTList.h"
#include "WceUiLayer.h"
#include "WceUiLoadString.h"
#include "WceUiStyle.h"
#include "wce/types.h"

struct CWceUiLayerData {
    CWceUiStyle m_Style;
    CWceUiStyle m_CommonStyle;
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

    // The current style's record: the layer's own flags and position live there.
    CWceUiStyleData* Rec() const { return m_Style.GetData(); }
    // Where OnDraw limits the paint steps (window coordinates); large outside OnDraw.
    RECT m_rcPaintClip;

    CWceUiLayerData()
        : m_pLayerCtrl(NULL), m_bReDraw(TRUE),
          m_ChildList(WCEUI_LINK_OFFSET(m_pSiblingNext), WCEUI_LINK_OFFSET(m_pSiblingPre)), m_pParent(NULL),
          m_rcNeedDraw{0, 0, 0, 0}, m_nLayerId(0), m_bTextSet(FALSE), m_pLayerBitmap(NULL), m_TimerList(10),
          m_MsgList(10), m_dwUserData(0), m_rcPaintClip{-65535, -65535, 65535, 65535}
    {
    }
};

// The boolean value of a flag: any non-zero value is TRUE.
inline BOOL WceUiBool(BOOL b) { return b ? TRUE : FALSE; }
