#include "BrantelDlg.h"

#include "DialogLayers.h"
#include "MsgBoxDlg.h"
#include "UpdateSystem.h"
#include "WceUiButton.h"
#include "WceUiCommon.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerHost.h"
#include "WceUiListBox.h"
#include "WceUiLoadString.h"
#include "WceUiSlider.h"
#include "WceUiStyle.h"
#include "wce/process.h"
#include "wce/window.h"

namespace {
constexpr WORD kFillTimer = 1;
constexpr WORD kAutoSelectTimer = 108;
constexpr UINT kMsgUnused = 28673;
constexpr DWORD kPowerReset = 0x00800000;
constexpr DWORD kPowerForce = 0x1000;
constexpr COLORREF kTextNormal = 0x000000;
constexpr COLORREF kTextGray = 0x808080;
constexpr COLORREF kTextKpt = 0xFFFFFF;
LPCWSTR const kControls[] = {u"update", u"reboot", u"back", u"calibrate"};
}  // namespace

// The update procedure's view of the dialog.
class CBrantelDlg::CScreen : public IUpdateScreen {
public:
    explicit CScreen(CBrantelDlg& dlg) : m_dlg(dlg) {}

    void SetStatusText(LPCWSTR pText) override { m_dlg.m_pStatus->SetText(pText); }
    void SetProgressPos(int nPos) override { m_dlg.m_pProgress->SetPos(nPos); }
    void UpdateWindow() override
    {
        if (CWceUiLayerHost* pHost = m_dlg.GetHost()) pHost->UpdateWindow();
    }
    void EnableWindow(BOOL bEnable) override
    {
        if (m_dlg.m_hMainWnd)
            ::EnableWindow(m_dlg.m_hMainWnd, bEnable);
    }
    HWND GetWindowHandle() override { return m_dlg.m_hMainWnd; }
    void EnableControls(BOOL bEnable) override { m_dlg.EnableControls(bEnable); }
    void ShowMessage(LPCWSTR pText, UINT nFlags) override { m_dlg.ShowMessage(pText, nFlags); }
    void ShowMessageResID(LPCWSTR pTextResID, LPCWSTR pDefaultText, UINT nFlags) override
    {
        CWceUiLoadString text(pTextResID);
        LPCWSTR pText = text.GetString();
        m_dlg.ShowMessage(pText && *pText ? pText : pDefaultText, nFlags);
    }
    void EndDialog(int nResult) override { m_dlg.EndDialog(nResult); }
    void HoldMessageBoxImage(BOOL bHold) override
    {
        if (bHold) {
            m_dlg.m_HeldImage.SetBitmapFromRes(u"messagebox\\button_down.565a.conf");
            m_dlg.m_HeldImage.GetBitmap();
        } else {
            m_dlg.m_HeldImage = CWceUiLoadBitmap();
        }
    }

private:
    CBrantelDlg& m_dlg;
};

CBrantelDlg::CBrantelDlg()
    : m_pList(NULL), m_pProgress(NULL), m_pStatus(NULL), m_hMainWnd(NULL), m_bInitFailed(FALSE)
{
}

CBrantelDlg::~CBrantelDlg() {}

void CBrantelDlg::OnInitDialog()
{
    RegisterMsg(kMsgSliderChanged);
    RegisterMsg(RegisterWindowMessageW(u"MV_WM_SDNOTIFY"));
    RegisterMsg(kMsgUnused);
    static const DIALOG_LAYER_SPEC kLayers[] = {
        {u"listbox", u"CWceUiListBox", FALSE}, {u"progress", u"CWceUiSlider", FALSE},
        {u"status", u"CWceUiLayer", FALSE},    {u"update", u"CWceUiButton", FALSE},
        {u"reboot", u"CWceUiButton", FALSE},   {u"calibrate", u"CWceUiButton", FALSE},
        {u"back", u"CWceUiButton", FALSE},     {u"background", u"CWceUiLayer", TRUE},
    };
    CWceUiLayer* layers[8] = {};
    if (!InitFileList() || !FindDialogLayers(this, kLayers, 8, layers)) {
        m_bInitFailed = TRUE;
        KillTimer(kFillTimer);
        EndDialog(0);
        return;
    }
    m_pList = static_cast<CWceUiListBox*>(layers[0]);
    m_pProgress = static_cast<CWceUiSlider*>(layers[1]);
    m_pStatus = layers[2];
    m_pProgress->SetRange(0, 100, FALSE);
    m_pProgress->SetPos(0);
    m_strAppPath = ReadInstalledAppPath();
    m_pScreen.reset(new CScreen(*this));
    m_pProcedure.reset(new CUpdateProcedure(*m_pScreen, m_strAppPath));
    m_pProcedure->SetRegistryProblem(m_strRegistryProblem);
    if (m_pProcedure->IsKpt())
        ApplyKptLayout();
}

void CBrantelDlg::ApplyKptLayout()
{
    m_pList->ShowLayer(FALSE);
    for (LPCWSTR pName : {u"calibrate", u"update", u"reboot", u"back", u"background"}) {
        if (CWceUiLayer* p = GetChildByName(pName))
            p->ShowLayer(FALSE);
    }
    RECT rcSlider;
    m_pProgress->GetWindowRect(&rcSlider);
    RECT rcStatus;
    int nUp;
    if (WceUiGetScreenWidth() == 800) {
        rcStatus = RECT{630, 200, 797, 270};
        nUp = 200;
    } else {
        rcStatus = RECT{390, 135, 494, 155};
        nUp = 100;
    }
    m_pStatus->MoveLayer(&rcStatus);
    if (CWceUiStyle* pStyle = m_pStatus->GetStyle())
        pStyle->SetTextColor(kTextKpt);
    rcSlider.top -= nUp;
    rcSlider.bottom -= nUp;
    m_pProgress->MoveLayer(&rcSlider);
}

void CBrantelDlg::EnableControls(BOOL bEnable)
{
    COLORREF cr = bEnable ? kTextNormal : kTextGray;
    for (LPCWSTR pName : kControls) {
        if (CWceUiLayer* p = GetChildByName(pName)) {
            if (CWceUiStyle* pStyle = p->GetStyle())
                pStyle->SetTextColor(cr);
        }
    }
    if (CWceUiStyle* pStyle = m_pList->GetStyle())
        pStyle->SetTextColor(cr);
    m_pList->InvalidateCache();
    InvalidateLayer();
}

void CBrantelDlg::OnTimer(WORD nTimerId)
{
    if (nTimerId == kFillTimer) {
        SetTimer(kAutoSelectTimer, 10);
    } else if (nTimerId == kAutoSelectTimer) {
        KillTimer(kAutoSelectTimer);
        AutoSelectPackage();
    }
    CFileListDlg::OnTimer(nTimerId);
}

void CBrantelDlg::AutoSelectPackage()
{
    if (m_strInitPath.IsEmpty() || !m_pProcedure)
        return;
    int nIndex = GetModel().FindFileItem(m_strInitPath);
    if (nIndex >= 0) {
        m_pList->SetCurSel(nIndex, TRUE);
        OnFileSelected(m_pList);
        OnUpdate();
    } else if (m_pProcedure->IsKpt()) {
        ShowMessage(brantel::kNoPackageMessage, kMsgBoxError);
    }
}

void CBrantelDlg::OnUpdate()
{
    if (m_pProcedure)
        m_pProcedure->OnUpdate(GetSelectedPath());
}

void CBrantelDlg::OnChildClick(CWceUiLayer* pChild)
{
    if (pChild->IsEqualName(u"calibrate")) {
        RunTouchCalibrate();
    } else if (pChild->IsEqualName(u"reboot")) {
        SetSystemPowerState(NULL, kPowerReset, kPowerForce);
        EndDialog(0);
    } else if (pChild->IsEqualName(u"update")) {
        OnUpdate();
    }
    CFileListDlg::OnChildClick(pChild);
}

LRESULT CBrantelDlg::OnRegisteredMsg(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The progress slider only displays.
    if (msg == kMsgSliderChanged)
        return 0;
    return CFileListDlg::OnRegisteredMsg(msg, wParam, lParam);
}

void CBrantelDlg::OnFileSelected(CWceUiListBox* pListBox)
{
    pListBox->SetCurSel(pListBox->GetCurSel(), TRUE);
}

void CBrantelDlg::ShowMessage(LPCWSTR pText, UINT nFlags)
{
    CWceUiLayerCtrl* pCtrl = GetLayerCtrl();
    if (!pCtrl)
        return;
    // The box starts from the screen as it now should look (the controls just ungrayed).
    m_pScreen->UpdateWindow();
    CWceUiDlg* pDlg = pCtrl->CreateDlg(u"CMsgBoxDlg");
    if (!pDlg)
        return;
    if (pDlg->IsKindOf(u"CMsgBoxDlg"))
        static_cast<CMsgBoxDlg*>(pDlg)->ShowMessage(pText, FALSE, nFlags);
    pCtrl->DeleteLayer(pDlg);
}
