#include "WceUiEditBox.h"

#include <new>

#include "JXCheck.h"
#include "JXEditLines.h"
#include "QuickString.h"
#include "WceUiCtrlPrivate.h"
#include "WceUiLayerData.h"
#include "WceUiLayerPrivate.h"
#include "WceUiStyle.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"
#include "wce/window.h"

// ---- Data ----

namespace {

enum { MSG_KEYDOWN = 256, MSG_CHAR = 258, KEY_DELETE = 46 };

// Measures with the style's font in a memory device context of its own.
class CFontMeasure : public CJxTextMeasure {
public:
    ~CFontMeasure() override
    {
        if (m_hdc) DeleteDC(m_hdc);
    }
    // FALSE when the font differs from the one measured with so far.
    BOOL Select(HFONT hFont)
    {
        if (NULL == m_hdc) m_hdc = CreateCompatibleDC(NULL);
        if (hFont == m_hFont) return TRUE;
        m_hFont = hFont;
        if (m_hdc) SelectObject(m_hdc, hFont);
        return FALSE;
    }
    int GetTextWidth(LPCWSTR pText, int nLength) override
    {
        SIZE size = {0, 0};
        if (NULL == m_hdc || !GetTextExtentPoint32W(m_hdc, pText, nLength, &size)) return 0;
        return size.cx;
    }

private:
    HDC m_hdc = NULL;
    HFONT m_hFont = NULL;
};

}  // namespace

struct CWceUiEditBoxData {
    CJxEditLines m_Lines;
    CFontMeasure m_Measure;
    int m_nLineHeight = WCEUI_EDIT_LINE_HEIGHT;
    BOOL m_bFocus = FALSE;
    CQuickString m_strFocusStyle;
    CQuickString m_strStyle;
    BOOL m_bCaretInView = TRUE;
    BOOL m_bCaretShown = FALSE;
    CWceUiLayerHost* m_pCaretWnd = NULL;  // the window the caret was made in
    POINT m_ptCaret = {0, 0};
    int m_nLayoutWidth = -2;  // the width the lines were laid out for
};

// ---- Life ----

CWceUiEditBox::CWceUiEditBox() : m_pData(new (std::nothrow) CWceUiEditBoxData())
{
    if (WCEUI_CHECK("CWceUiEditBox::CWceUiEditBox", NULL != m_pData)) m_pData->m_Lines.SetMeasure(&m_pData->m_Measure);
}

CWceUiEditBox::~CWceUiEditBox()
{
    if (m_pData && m_pData->m_pCaretWnd) m_pData->m_pCaretWnd->DestroyCaret();
    delete m_pData;
}

void CWceUiEditBox::OnInitLayer()
{
    CWceUiScrollLayer::OnInitLayer();
    RegisterMsg(MSG_CHAR);
    RegisterMsg(MSG_KEYDOWN);
    impSyncLayout(FALSE);
}

// ---- Properties ----

BOOL CWceUiEditBox::impReadEditProperties(CWceUiXmlElem* pCreateElem)
{
    if (!WCEUI_CHECK("CWceUiEditBox::SetProperties", NULL != pCreateElem && NULL != m_pData)) return FALSE;
    LPCWSTR p;
    if ((p = pCreateElem->GetAttribute(u"focus.style"))) m_pData->m_strFocusStyle = p;
    if ((p = pCreateElem->GetAttribute(u"style"))) m_pData->m_strStyle = p;
    return TRUE;
}

BOOL CWceUiEditBox::SetProperties(CWceUiXmlElem* pCreateElem)
{
    if (!impReadEditProperties(pCreateElem)) return FALSE;
    return CWceUiScrollLayer::SetProperties(pCreateElem);
}

HFONT CWceUiEditBox::impGetFont()
{
    HFONT hFont = CWceUiLayer::GetData()->Rec()->m_FontCtrl.GetFont();
    return hFont ? hFont : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

BOOL CWceUiEditBox::impGetTextArea(RECT* pArea) const
{
    RECT rcText, rcClient;
    CWceUiLayer::GetData()->Rec()->m_DrawTextCtrl.GetRect(&rcText);
    GetClientRect(&rcClient);
    if (IntersectRect(pArea, &rcText, &rcClient)) return TRUE;
    SetRectEmpty(pArea);
    return FALSE;
}

// ---- Public calls ----

BOOL CWceUiEditBox::SetEditText(LPCWSTR pText)
{
    if (!WCEUI_CHECK("CWceUiEditBox::SetEditText", NULL != pText && NULL != m_pData)) return FALSE;
    impSyncLayout(FALSE);
    if (!m_pData->m_Lines.SetText(pText)) return FALSE;
    InvalidateLayer();
    UpdateScrollRange();
    UpdateCaretPos();
    EnsureCaretVisible();
    return TRUE;
}

LPCWSTR CWceUiEditBox::GetEditText() const { return m_pData ? m_pData->m_Lines.GetText() : u""; }

BOOL CWceUiEditBox::SetFocus(BOOL bFocus)
{
    if (NULL == m_pData || !WceUiCheckLayerCtrl(this, "CWceUiEditBox::SetFocus")) return FALSE;
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    if (!bFocus) {
        if (pCtrl->GetFocusLayer() == this) pCtrl->SetFocusLayer(NULL);  // tells OnKillFocus
        return TRUE;
    }
    if (m_pData->m_bFocus) return TRUE;
    if (!pCtrl->SetFocusLayer(this)) return FALSE;
    m_pData->m_bFocus = TRUE;
    if (!m_pData->m_strFocusStyle.IsEmpty()) SetStyle(m_pData->m_strFocusStyle);
    if (!m_pData->m_bFocus) return FALSE;  // the focused look hid or disabled the box
    impSyncLayout(TRUE);
    CWceUiLayerHost* pWnd = WceUiHostOf(this);
    if (pWnd && pWnd->CreateCaret(WCEUI_EDIT_CARET_WIDTH, m_pData->m_nLineHeight)) m_pData->m_pCaretWnd = pWnd;
    m_pData->m_bCaretShown = FALSE;  // a new caret starts hidden
    UpdateCaretPos();
    return TRUE;
}

BOOL CWceUiEditBox::IsFocused() const { return m_pData && m_pData->m_bFocus; }

int CWceUiEditBox::GetLineCount()
{
    if (NULL == m_pData) return 0;
    impSyncLayout(FALSE);
    return m_pData->m_Lines.GetLineCount();
}

BOOL CWceUiEditBox::GetLine(int nLine, int* pnStart, int* pnLength)
{
    JXEditLine line;
    if (NULL == m_pData || !m_pData->m_Lines.GetLine(nLine, &line)) return FALSE;
    if (pnStart) *pnStart = line.m_nStart;
    if (pnLength) *pnLength = line.m_nLength;
    return TRUE;
}

int CWceUiEditBox::GetCaretLine() { return m_pData ? m_pData->m_Lines.GetCaretLine() : 0; }
int CWceUiEditBox::GetCaretColumn() { return m_pData ? m_pData->m_Lines.GetCaretColumn() : 0; }
POINT CWceUiEditBox::GetCaretPoint() const { return m_pData ? m_pData->m_ptCaret : POINT{0, 0}; }
BOOL CWceUiEditBox::IsCaretShown() const { return m_pData && m_pData->m_bCaretShown; }
int CWceUiEditBox::GetLineHeight() const { return m_pData ? m_pData->m_nLineHeight : WCEUI_EDIT_LINE_HEIGHT; }

void CWceUiEditBox::UpdateCaretPos()
{
    if (NULL == m_pData) return;
    CWceUiEditBoxData* d = m_pData;
    // From the corner of the text area, where the lines start.
    RECT rc;
    BOOL bArea = impGetTextArea(&rc);
    ClientToWindow(&rc);
    long long x = (long long)rc.left + d->m_Lines.GetCaretX();
    long long y = (long long)rc.top + (long long)d->m_nLineHeight * d->m_Lines.GetCaretLine();
    if (IsVertical())
        y -= GetScrollPos();
    else
        x -= GetScrollPos();
    POINT pt = {WceUiClampToInt(x), WceUiClampToInt(y)};
    d->m_ptCaret = pt;
    d->m_bCaretInView = bArea && pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y <= rc.bottom;
    if (d->m_pCaretWnd) d->m_pCaretWnd->SetCaretPos(pt.x, pt.y);
    BOOL bShow = d->m_bFocus && d->m_bCaretInView;
    if (bShow && !d->m_bCaretShown) {
        d->m_bCaretShown = TRUE;
        if (d->m_pCaretWnd) d->m_pCaretWnd->ShowCaret(TRUE);
    } else if (!bShow && d->m_bCaretShown) {
        d->m_bCaretShown = FALSE;
        if (d->m_pCaretWnd) d->m_pCaretWnd->ShowCaret(FALSE);
    }
}

void CWceUiEditBox::EnsureCaretVisible()
{
    if (NULL == m_pData) return;
    POINT pt = m_pData->m_ptCaret;
    RECT rc;  // the text area: a caret outside it is not drawn over a line
    if (!impGetTextArea(&rc)) {
        UpdateCaretPos();
        return;
    }
    ClientToWindow(&rc);
    const int nLine = m_pData->m_nLineHeight;
    if (IsVertical()) {
        if ((long long)pt.y + nLine > rc.bottom)
            ScrollBy(WceUiClampToInt((long long)pt.y + nLine - rc.bottom), TRUE);
        else if (pt.y < rc.top)
            ScrollBy(WceUiClampToInt((long long)pt.y - rc.top), TRUE);
    } else {
        // The whole caret inside: one at the right edge would be drawn outside the box.
        if ((long long)pt.x + WCEUI_EDIT_CARET_WIDTH > rc.right)
            ScrollBy(WceUiClampToInt((long long)pt.x + WCEUI_EDIT_CARET_WIDTH - rc.right), TRUE);
        else if (pt.x < rc.left)
            ScrollBy(WceUiClampToInt((long long)pt.x - rc.left), TRUE);
    }
    UpdateCaretPos();
}

void CWceUiEditBox::UpdateScrollRange(BOOL bRedraw)
{
    if (NULL == m_pData) return;
    CJxEditLines& lines = m_pData->m_Lines;
    if (IsVertical()) {
        // No lines is no range, not one that ends above the start.
        int nLast = lines.GetLineCount() > 0 ? lines.GetLineCount() - 1 : 0;
        SetScrollRange(0, nLast * m_pData->m_nLineHeight, bRedraw);
    } else {
        int nWidth = m_pData->m_Measure.GetTextWidth(lines.GetText(), lines.GetTextLength());
        SetScrollRange(0, nWidth > 50 ? nWidth - 50 : 0, bRedraw);
    }
}

void CWceUiEditBox::impSyncLayout(BOOL bRedraw)
{
    if (NULL == m_pData) return;
    CWceUiEditBoxData* d = m_pData;
    BOOL bChanged = !d->m_Measure.Select(impGetFont());
    // Lines wrap where they are drawn: at the width of the text area.
    RECT rc;
    impGetTextArea(&rc);
    int nWidth = IsVertical() ? rc.right - rc.left : JX_EDIT_NO_WRAP;
    if (nWidth != d->m_nLayoutWidth) {
        d->m_nLayoutWidth = nWidth;
        bChanged = TRUE;
        if (nWidth == d->m_Lines.GetWrapWidth()) d->m_Lines.Relayout();
        d->m_Lines.SetWrapWidth(nWidth);
    } else if (bChanged) {
        d->m_Lines.Relayout();
    }
    if (bChanged) {
        UpdateScrollRange(bRedraw);
        UpdateCaretPos();
    }
}

// ---- Input ----

LRESULT CWceUiEditBox::OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (MSG_CHAR == msg)
        OnChar(static_cast<UINT>(wParam), 1, static_cast<UINT>(lParam));
    else if (MSG_KEYDOWN == msg)
        OnKeyDown(static_cast<UINT>(wParam), 1, static_cast<UINT>(lParam));
    return CWceUiScrollLayer::OnRegisteredMsg(msg, wParam, lParam);
}

void CWceUiEditBox::OnLButtonUp(UINT nFlags, int x, int y)
{
    if (m_pData && IsPressed() && !IsDragging()) {
        impSyncLayout(TRUE);
        SetFocus(TRUE);
        POINT pt = {x, y};
        WindowToClient(&pt);
        RECT rcArea;  // the lines start at its corner
        impGetTextArea(&rcArea);
        pt.x -= rcArea.left;
        pt.y -= rcArea.top;
        if (IsVertical())
            pt.y += GetScrollPos();
        else
            pt.x += GetScrollPos();
        m_pData->m_Lines.HitTest(pt.x, pt.y, m_pData->m_nLineHeight);
        UpdateCaretPos();
        EnsureCaretVisible();
    }
    CWceUiScrollLayer::OnLButtonUp(nFlags, x, y);
}

void CWceUiEditBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt, (void)nFlags;
    if (NULL == m_pData) return;
    impSyncLayout(TRUE);
    if (KEY_DELETE == nChar) {
        // Deleting is typing: only the focused box.
        if (m_pData->m_bFocus && m_pData->m_Lines.DeleteChar()) {
            InvalidateLayer();
            UpdateScrollRange();
            UpdateCaretPos();
        }
    } else if (m_pData->m_Lines.MoveCaret(nChar)) {
        UpdateCaretPos();
    }
    EnsureCaretVisible();
}

void CWceUiEditBox::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt, (void)nFlags;
    if (NULL == m_pData || !m_pData->m_bFocus) return;
    impSyncLayout(TRUE);
    if (m_pData->m_Lines.TypeChar(static_cast<WCHAR>(nChar))) {
        InvalidateLayer();
        UpdateScrollRange();
    }
    UpdateCaretPos();
    EnsureCaretVisible();
}

void CWceUiEditBox::OnScrollPosChanged() { UpdateCaretPos(); }

void CWceUiEditBox::OnKillFocus()
{
    if (NULL == m_pData || !m_pData->m_bFocus) return;
    m_pData->m_bFocus = FALSE;
    if (m_pData->m_pCaretWnd) m_pData->m_pCaretWnd->DestroyCaret();
    m_pData->m_pCaretWnd = NULL;
    m_pData->m_bCaretShown = FALSE;
    if (!m_pData->m_strStyle.IsEmpty()) SetStyle(m_pData->m_strStyle);
}
