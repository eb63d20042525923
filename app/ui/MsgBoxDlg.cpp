#include "MsgBoxDlg.h"

#include "DialogLayers.h"
#include "TextWrap.h"
#include "WceUiButton.h"
#include "WceUiStyle.h"

LPCWSTR MsgBoxIconName(UINT nFlags)
{
    switch (nFlags & kMsgBoxIconMask) {
    case 0x10: return u"error_icon";
    case 0x20: return u"question_icon";
    case 0x30: return u"warning_icon";
    case 0x40: return u"info_icon";
    default: return NULL;
    }
}

CMsgBoxDlg::CMsgBoxDlg()
    : m_pYes(NULL), m_pNo(NULL), m_pOk(NULL), m_pMsg(NULL), m_pDetail(NULL), m_pInfoIcon(NULL), m_pQuestionIcon(NULL),
      m_pWarningIcon(NULL), m_pErrorIcon(NULL), m_bTextIsID(FALSE), m_nFlags(0)
{
    m_szText[0] = 0;
}

CMsgBoxDlg::~CMsgBoxDlg() {}

int CMsgBoxDlg::ShowMessage(LPCWSTR pText, BOOL bTextIsID, UINT nFlags)
{
    int n = 0;
    for (; pText && pText[n] && n < MAX_TEXT - 1; ++n)
        m_szText[n] = pText[n];
    if (pText && pText[n] && !bTextIsID) {
        // Cut: say so, and never leave half of a surrogate pair before the dots.
        n = MAX_TEXT - 4;
        if (m_szText[n - 1] >= 0xD800 && m_szText[n - 1] <= 0xDBFF)
            --n;
        for (int i = 0; i < 3; ++i)
            m_szText[n++] = u'.';
    }
    m_szText[n] = 0;
    m_bTextIsID = bTextIsID;
    m_nFlags = nFlags;
    return DoModal();
}

int CMsgBoxDlg::DoModal() { return CWceUiDlg::DoModal(); }

void CMsgBoxDlg::OnInitDialog()
{
    static const DIALOG_LAYER_SPEC kLayers[] = {
        {u"yes", u"CWceUiButton", FALSE},        {u"no", u"CWceUiButton", FALSE},
        {u"ok", u"CWceUiButton", FALSE},         {u"msg", u"CWceUiLayer", FALSE},
        {u"info_icon", u"CWceUiLayer", FALSE},   {u"question_icon", u"CWceUiLayer", FALSE},
        {u"warning_icon", u"CWceUiLayer", FALSE}, {u"error_icon", u"CWceUiLayer", FALSE},
        {u"detail", u"CWceUiLayer", TRUE},
    };
    CWceUiLayer* layers[9] = {};
    if (!FindDialogLayers(this, kLayers, 9, layers)) {
        EndDialog(0);
        return;
    }
    m_pYes = layers[0], m_pNo = layers[1], m_pOk = layers[2], m_pMsg = layers[3];
    m_pInfoIcon = layers[4], m_pQuestionIcon = layers[5], m_pWarningIcon = layers[6], m_pErrorIcon = layers[7];
    m_pDetail = layers[8];

    // Both looks of "ok" loaded, the normal one showing.
    CWceUiButton* pOk = static_cast<CWceUiButton*>(m_pOk);
    if (pOk->GetDownStyle() && *pOk->GetDownStyle())
        m_pOk->SetStyle(pOk->GetDownStyle());
    if (pOk->GetNormalStyle() && *pOk->GetNormalStyle())
        m_pOk->SetStyle(pOk->GetNormalStyle());

    for (int i = 4; i < 8; ++i)
        layers[i]->ShowLayer(FALSE);
    if (LPCWSTR pIcon = MsgBoxIconName(m_nFlags))
        GetChildByName(pIcon)->ShowLayer(TRUE);

    if (m_bTextIsID)
        m_pMsg->SetTextResID(m_szText);
    else
        impSetText();

    BOOL bYesNo = (m_nFlags & kMsgBoxYesNo) != 0;
    m_pOk->ShowLayer(!bYesNo);
    m_pYes->ShowLayer(bYesNo);
    m_pNo->ShowLayer(bYesNo);
}

void CMsgBoxDlg::impSetText()
{
    // A failure reads "what failed \n(why, with paths)": the second part goes to the detail
    // layer, whose smaller font has room for paths, broken where drawing would cut them.
    LPCWSTR pFeed = m_szText;
    while (*pFeed && *pFeed != u'\n')
        ++pFeed;
    if (!m_pDetail || !*pFeed) {
        m_pMsg->SetText(m_szText);
        return;
    }
    LPCWSTR pEnd = pFeed;
    while (pEnd > m_szText && pEnd[-1] == u' ')
        --pEnd;
    m_pMsg->SetText(CString(m_szText, (int)(pEnd - m_szText)));
    RECT rc = {0, 0, 0, 0};
    m_pDetail->GetClientRect(&rc);
    CWceUiStyle* pStyle = m_pDetail->GetStyle();
    HFONT hFont = pStyle ? pStyle->GetFontCtrl()->GetFont() : NULL;
    // One pixel to spare: drawing breaks before a word that reaches the right edge.
    m_pDetail->SetText(WrapToWidth(hFont, pFeed + 1, rc.right - rc.left - 1));
}

void CMsgBoxDlg::OnChildClick(CWceUiLayer* pChild)
{
    if (pChild->IsEqualName(u"yes") || pChild->IsEqualName(u"ok"))
        EndDialog(kMsgBoxResultYes);
    else if (pChild->IsEqualName(u"no"))
        EndDialog(kMsgBoxResultNo);
}
