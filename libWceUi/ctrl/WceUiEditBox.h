// Text entry on a scroll layer. CWceUiEditBox keeps the text, its lines and a caret (line and
// column), edits the text from WM_CHAR and moves the caret from WM_KEYDOWN (both through
// registered messages), and scrolls so that the caret stays in view. CWceUiMEditBox is the
// multi-line kind (vertical, word wrap at the client width), CWceUiSEditBox the single-line
// one (horizontal, no wrap).
//
// Focus: a tap inside a box or the owner's SetFocus(TRUE) gives it and takes it from the
// window's other boxes; hiding, disabling or a dialog run over the box takes it away. Only a
// focused box takes typed text and shows the platform caret (2 pixels x one line).
#pragma once

#include "WceUiScrollLayer.h"
#include "wce/types.h"

struct CWceUiEditBoxData;
struct HFONT__;

enum {
    WCEUI_EDIT_MAX_LINES = 500,
    WCEUI_EDIT_LINE_HEIGHT = 17,
    WCEUI_EDIT_CARET_WIDTH = 2,
};

class CWceUiEditBox : public CWceUiScrollLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiEditBox, CWceUiScrollLayer)

public:
    // ---- Life ----
    CWceUiEditBox();
    virtual ~CWceUiEditBox();
    void OnInitLayer() override;

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;

    // ---- Public calls ----
    // FALSE (text unchanged) for a text that needs more than WCEUI_EDIT_MAX_LINES lines.
    // The caret goes to the end.
    BOOL SetEditText(LPCWSTR pText);
    LPCWSTR GetEditText() const;
    // FALSE when the box cannot take the focus (hidden, disabled, not in the top dialog).
    BOOL SetFocus(BOOL bFocus);
    BOOL IsFocused() const;

    int GetLineCount();
    BOOL GetLine(int nLine, int* pnStart, int* pnLength);
    int GetCaretLine();
    int GetCaretColumn();
    // Where the caret is, in window coordinates, and whether it shows.
    POINT GetCaretPoint() const;
    BOOL IsCaretShown() const;
    int GetLineHeight() const;

    void UpdateCaretPos();
    void EnsureCaretVisible();
    void UpdateScrollRange(BOOL bRedraw = TRUE);

    // ---- Input ----
    LRESULT OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnScrollPosChanged() override;
    void OnKillFocus() override;

protected:
    BOOL impReadEditProperties(CWceUiXmlElem* pCreateElem);
    // The style's font, else the system font.
    HFONT__* impGetFont();
    // Where the lines are drawn: the style's text rectangle within the client rectangle, in
    // client coordinates; FALSE when they do not meet.
    BOOL impGetTextArea(RECT* pArea) const;
    // Lines follow the client width (multi-line) and the style's font.
    void impSyncLayout(BOOL bRedraw);

public:
    CWceUiEditBoxData* GetData() const { return m_pData; }

private:
    CWceUiEditBoxData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiEditBox, CWceUiScrollLayer)

struct CWceUiMEditBoxData;

class CWceUiMEditBox : public CWceUiEditBox {
    WCEUI_DYNCREATE_BEGIN(CWceUiMEditBox, CWceUiEditBox)

public:
    // ---- Life ----
    CWceUiMEditBox();
    virtual ~CWceUiMEditBox();

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;

    // ---- Painting ----
    void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) override;

    CWceUiMEditBoxData* GetData() const { return m_pData; }

private:
    CWceUiMEditBoxData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiMEditBox, CWceUiEditBox)

struct CWceUiSEditBoxData;

class CWceUiSEditBox : public CWceUiEditBox {
    WCEUI_DYNCREATE_BEGIN(CWceUiSEditBox, CWceUiEditBox)

public:
    // ---- Life ----
    CWceUiSEditBox();
    virtual ~CWceUiSEditBox();

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;

    // ---- Painting ----
    void OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) override;

    CWceUiSEditBoxData* GetData() const { return m_pData; }

private:
    CWceUiSEditBoxData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiSEditBox, CWceUiEditBox)
