#include "UpdateProcedure.h"

#include "JxHandle.h"
#include "MskFormat.h"
#include "MskUnpacker.h"
#include "PackageSignature.h"
#include "UpdateSystem.h"
#include "wce/platform.h"

CUpdateProcedure::CUpdateProcedure(IUpdateScreen& screen, const CString& strAppPath)
    : m_screen(screen), m_strAppPath(strAppPath), m_bKpt(IsKptVariant(strAppPath)), m_bLaunched(FALSE),
      m_dwLaunchError(ERROR_SUCCESS), m_nProgressPos(0)
{
}

void CUpdateProcedure::OnUpdate(LPCWSTR pPackagePath)
{
    if (!pPackagePath || !*pPackagePath) return;
    const CString strPackage = pPackagePath;
    m_nProgressPos = 0;
    m_screen.SetProgressPos(0);
    m_screen.SetStatusText(u"");
    m_screen.UpdateWindow();
    if (!DoUpdate(strPackage)) return;

    if (!m_bKpt) {
        // A failed launch is not shown: the updater ends either way.
        m_bLaunched = LaunchProgram(m_strAppPath, brantel::kLaunchArguments);
        m_dwLaunchError = m_bLaunched ? ERROR_SUCCESS : GetLastError();
        m_screen.EndDialog(0);
        return;
    }
    RunTouchCalibrate();
    m_screen.HoldMessageBoxImage(TRUE);
    m_screen.ShowMessage(brantel::kKptSuccessMessage, kMsgBoxInformation);
    SetSystemPowerState(nullptr, POWER_STATE_RESET, POWER_FORCE);
    m_screen.EndDialog(0);
    m_screen.HoldMessageBoxImage(FALSE);
}

int CUpdateProcedure::DoUpdate(LPCWSTR pPackagePath)
{
    LPCWSTR password = m_bKpt ? brantel::kKptPassword : brantel::kGenericPassword;
    const DWORD key = GetPackKey(password);

    m_screen.EnableWindow(FALSE);
    HCURSOR previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_screen.EnableControls(FALSE);

    CString error;
    int result = 0;
    BOOL bUnsure = FALSE;
    m_strRefusal.Empty();
    // The path is looked up once: the checks and the unpack read the one file it led to. When
    // it does not open, each check tries the path itself and says why it failed.
    const HANDLE hPackage = JxOpenForReading(pPackagePath);
    const DWORD dwOpenError = hPackage == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    CJxAutoHandle packageCloser(hPackage);
    // On a unit that holds keys, an unsigned package is refused before it is even read.
    const BOOL bSigned = CheckPackageSignature(pPackagePath, m_strRefusal, hPackage);
    if (!bSigned) {
        CString line = m_strRefusal + u"\n";
        OutputDebugStringW(line);
    } else {
        CMskUnpacker unpacker;
        unpacker.SetProgressCallback(&CUpdateProcedure::OnUnpackProgress, this);
        // A wrong or damaged package is refused here, before anything is deleted; so is a
        // package that the delete itself would remove.
        if (!m_strRegistryProblem.IsEmpty()) {
            // The variant and the start-up key live there: an update would guess both.
            error = m_strRegistryProblem;
            m_strRefusal = error;
        } else if (IsInsideFolder(pPackagePath, brantel::kInstalledFolder, &bUnsure, hPackage)) {
            if (bUnsure)
                error.Format(u"cannot tell whether the package %s lies in %s, which the update deletes first",
                             pPackagePath, brantel::kInstalledFolder);
            else
                error.Format(u"the package %s lies in %s, which the update deletes first", pPackagePath,
                             brantel::kInstalledFolder);
            m_strRefusal = error;
            CString line = error + u"\n";
            OutputDebugStringW(line);
        } else if (!unpacker.VerifyPackageData(hPackage, pPackagePath, key, error)) {
            m_strRefusal = unpacker.GetProblem();
        } else if (hPackage == INVALID_HANDLE_VALUE) {
            // The checks found a file the update could not open: nothing is deleted for it.
            error.Format(u"open file %s failed, error code is %d", pPackagePath, static_cast<int>(dwOpenError));
        } else {
            m_screen.SetStatusText(u"Delete...");
            m_screen.UpdateWindow();
            ShellFileOperation(m_screen.GetWindowHandle(), FO_DELETE, brantel::kInstalledFiles, nullptr);
            m_screen.SetStatusText(u"");
            m_screen.UpdateWindow();
            result = unpacker.Unpack(hPackage, pPackagePath, brantel::kUnpackTarget, key, error);
            if (result) {
                DeleteShellExKey();
                CopyFactoryConfig();
            }
        }
    }

    m_screen.EnableWindow(TRUE);
    SetCursor(previousCursor);
    m_screen.EnableControls(TRUE);

    if (!bSigned)
        m_screen.ShowMessageResID(kSignatureErrorTextId, kSignatureErrorMessage, kMsgBoxError);
    else if (!result) {
        CString message = MessageForError(error);
        if (!message.IsEmpty()) m_screen.ShowMessage(message, kMsgBoxError);
    }
    return result;
}

int CUpdateProcedure::OnUnpackProgress(void* pContext, DWORD dwIndex, LPCWSTR /*pName*/, DWORD dwCount)
{
    auto* self = static_cast<CUpdateProcedure*>(pContext);
    if (!self || dwCount == 0) return 1;
    int percent = static_cast<int>((static_cast<std::uint64_t>(dwIndex) + 1) * 100 / dwCount);
    if (percent == self->m_nProgressPos || percent % 5 != 0) return 1;
    self->m_nProgressPos = percent;
    self->m_screen.SetProgressPos(percent);
    CString status;
    status.Format(u"%d%%", percent);
    self->m_screen.SetStatusText(status);
    self->m_screen.UpdateWindow();
    return 1;
}

CString CUpdateProcedure::MessageForError(const CString& strError)
{
    for (const MskErrorText& text : kMskErrorTexts)
        if (strError == text.pKey) return text.pMessage ? CString(text.pMessage) : CString();
    CString message;
    message.Format(u"Update fail. \n(%s)", strError.c_str());
    return message;
}
