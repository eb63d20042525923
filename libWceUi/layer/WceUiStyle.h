// A layer style: position, layout flags, text, font, background and filters, with the flags
// that tell which properties its style file specified, so that two styles can be merged
// property by property.
#pragma once

#include "QuickString.h"
#include "WceUiLoadColor.h"
#include "WceUiStyleCtrl.h"
#include "wce/types.h"

class CWceUiLayer;

// The specified flags, in record order.
enum WCEUI_STYLE_SPECIFIED {
    WCEUI_SPECIFIED_POSITION = 0,
    WCEUI_SPECIFIED_VISIBILITY,
    WCEUI_SPECIFIED_DISABILITY,
    WCEUI_SPECIFIED_CONTAINER,
    WCEUI_SPECIFIED_TEXT_COLOR,
    WCEUI_SPECIFIED_TEXT_RES_ID,
    WCEUI_SPECIFIED_NO_DRAW,
    WCEUI_SPECIFIED_NO_INPUT,
    WCEUI_SPECIFIED_RESERVED,  // never set
    WCEUI_SPECIFIED_FONT,
    WCEUI_SPECIFIED_DRAWTEXT,
    WCEUI_SPECIFIED_BG_COLOR,
    WCEUI_SPECIFIED_BG_ITEMS,
    WCEUI_SPECIFIED_ALPHA,
    WCEUI_SPECIFIED_MIX_COLOR,
    WCEUI_SPECIFIED_COUNT
};

// The record, in field order. A layer bound to the style writes the layout fields directly.
struct CWceUiStyleData {
    CWceUiStyleData();
    // Copies go through CWceUiStyle, which leaves the binding alone.
    CWceUiStyleData(const CWceUiStyleData&) = delete;
    CWceUiStyleData& operator=(const CWceUiStyleData&) = delete;

    RECT m_rcPosition;
    BOOL m_bRelative;
    BOOL m_bVisible;
    BOOL m_bEnabled;
    BOOL m_bContainer;
    BOOL m_bNoDraw;
    BOOL m_bNoInput;
    CWceUiLoadColor m_TextColor;
    CQuickString m_strTextResID;
    CWceUiFontCtrl m_FontCtrl;
    CWceUiDrawTextCtrl m_DrawTextCtrl;
    CWceUiBgColorCtrl m_BgColorCtrl;
    CWceUiBgItemCtrl m_BgItemCtrl;
    CWceUiAlphaFilterCtrl m_AlphaFilterCtrl;
    CWceUiMixColorFilterCtrl m_MixColorFilterCtrl;
    CWceUiLayer* m_pLayer;  // the bound layer; never copied
    BOOL m_bSpecified[WCEUI_SPECIFIED_COUNT];
};

class CWceUiStyle {
public:
    CWceUiStyle();
    // Copies the record; the copy is not bound to any layer.
    CWceUiStyle(const CWceUiStyle& other);
    // Copies the record into this style, which keeps its own binding.
    CWceUiStyle& operator=(const CWceUiStyle& other);
    virtual ~CWceUiStyle();

    // Null when the record could not be made; so are the group getters below then.
    CWceUiStyleData* GetData() const { return m_pData; }

    // Binding: while bound, the layout and position setters act through the layer's own
    // operations, which write the record; the getters always read the record.
    void BindLayer(CWceUiLayer* pLayer)
    {
        if (GetData()) GetData()->m_pLayer = pLayer;
    }
    CWceUiLayer* GetBoundLayer() const { return GetData() ? GetData()->m_pLayer : NULL; }

    void SetPosition(LPCRECT lpRect, BOOL bRelative);
    // The way: TRUE when relative to the parent.
    BOOL GetPosition(LPRECT lpRect) const;
    void SetVisible(BOOL bVisible);
    BOOL IsVisible() const { return GetData() ? GetData()->m_bVisible : FALSE; }
    void SetEnabled(BOOL bEnabled);
    BOOL IsEnabled() const { return GetData() ? GetData()->m_bEnabled : FALSE; }
    void SetContainer(BOOL bContainer);
    BOOL IsContainer() const { return GetData() ? GetData()->m_bContainer : FALSE; }
    void SetNoDraw(BOOL bNoDraw);
    BOOL IsNoDraw() const { return GetData() ? GetData()->m_bNoDraw : FALSE; }
    void SetNoInput(BOOL bNoInput);
    BOOL IsNoInput() const { return GetData() ? GetData()->m_bNoInput : FALSE; }

    void SetTextColor(LPCWSTR pColorID);
    void SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() { return GetData() ? GetData()->m_TextColor.GetColor() : 0; }
    CWceUiLoadColor* GetTextLoadColor() const { return GetData() ? &GetData()->m_TextColor : NULL; }
    // Null stores the empty id.
    void SetTextResID(LPCWSTR pTextResID);
    LPCWSTR GetTextResID() const { return GetData() ? GetData()->m_strTextResID.GetString() : u""; }

    CWceUiFontCtrl* GetFontCtrl() const { return GetData() ? &GetData()->m_FontCtrl : NULL; }
    CWceUiDrawTextCtrl* GetDrawTextCtrl() const { return GetData() ? &GetData()->m_DrawTextCtrl : NULL; }
    CWceUiBgColorCtrl* GetBgColorCtrl() const { return GetData() ? &GetData()->m_BgColorCtrl : NULL; }
    CWceUiBgItemCtrl* GetBgItemCtrl() const { return GetData() ? &GetData()->m_BgItemCtrl : NULL; }
    CWceUiAlphaFilterCtrl* GetAlphaFilterCtrl() const { return GetData() ? &GetData()->m_AlphaFilterCtrl : NULL; }
    CWceUiMixColorFilterCtrl* GetMixColorFilterCtrl() const { return GetData() ? &GetData()->m_MixColorFilterCtrl : NULL; }
    BOOL HasAlphaFilter() const { return GetData() ? GetData()->m_AlphaFilterCtrl.IsEnabled() : FALSE; }

    void SetSpecified(int nFlag, BOOL bSpecified);
    BOOL IsSpecified(int nFlag) const;
    // The specified flags as bits (bit n: flag n).
    DWORD GetSpecifiedBits() const;

    // This style becomes first's value of every group that first specified, second's of the
    // others; background items always come from second, the flags too. As in an assignment,
    // neither input's binding comes along and this style keeps its own.
    BOOL MergeStyle(const CWceUiStyle& first, const CWceUiStyle& second);

    // Lets go of the shared bitmaps of the background items (ids kept).
    void FreeBmpRes()
    {
        if (GetData()) GetData()->m_BgItemCtrl.FreeBmpRes();
    }

private:
    void impCopyRecord(const CWceUiStyleData& src);
    // What a bound style does for each layout setter: hand the value to the layer, whose
    // operation writes the record (WceUiStyleBind.cpp).
    void impBoundSetPosition(LPCRECT lpRect, BOOL bRelative);
    void impBoundShow(BOOL bVisible);
    void impBoundEnable(BOOL bEnabled);
    void impBoundSetContainer(BOOL bContainer);
    void impBoundSetNoDraw(BOOL bNoDraw);
    void impBoundSetNoInput(BOOL bNoInput);

    CWceUiStyleData* m_pData;
};
