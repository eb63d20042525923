// The updater's modal message box: a text, one of four icons, and "ok" or "yes"/"no".
#pragma once

#include "WceUiDlg.h"
#include "wce/types.h"

// Flag bits, with the platform's message-box values.
constexpr UINT kMsgBoxYesNo = 0x04;
constexpr UINT kMsgBoxIconMask = 0xF0;
// End codes.
constexpr int kMsgBoxResultYes = 6;  // also "ok"
constexpr int kMsgBoxResultNo = 7;

// The icon layer the flags show, or null for none.
LPCWSTR MsgBoxIconName(UINT nFlags);

class CMsgBoxDlg : public CWceUiDlg {
    WCEUI_DYNCREATE_BEGIN(CMsgBoxDlg, CWceUiDlg)

public:
    enum { MAX_TEXT = 256 };

    CMsgBoxDlg();
    virtual ~CMsgBoxDlg();

    void OnChildClick(CWceUiLayer* pChild) override;
    void OnInitDialog() override;
    int DoModal() override;

    // Copies at most 255 units of the text (a longer one ends in "..."), then runs the box;
    // returns its end code.
    int ShowMessage(LPCWSTR pText, BOOL bTextIsID, UINT nFlags);
    LPCWSTR GetMessageText() const { return m_szText; }

private:
    // The message into "msg", or its first line there and the rest into "detail".
    void impSetText();

    CWceUiLayer* m_pYes;
    CWceUiLayer* m_pNo;
    CWceUiLayer* m_pOk;
    CWceUiLayer* m_pMsg;
    CWceUiLayer* m_pDetail;  // optional
    CWceUiLayer* m_pInfoIcon;
    CWceUiLayer* m_pQuestionIcon;
    CWceUiLayer* m_pWarningIcon;
    CWceUiLayer* m_pErrorIcon;
    WCHAR m_szText[MAX_TEXT];
    BOOL m_bTextIsID;
    UINT m_nFlags;
};
WCEUI_DYNCREATE_END(CMsgBoxDlg, CWceUiDlg)
