// The update itself: verify the package, replace the installed application, clean up and
// start the new program. It runs synchronously on the UI thread; the screen is refreshed
// only by the explicit repaints below.
#pragma once

#include "UpdateScreen.h"
#include "wce/cstring.h"
#include "wce/types.h"

class CUpdateProcedure {
public:
    // strAppPath is the "APP" registry value read when the dialog starts; it selects the
    // variant.
    CUpdateProcedure(IUpdateScreen& screen, const CString& strAppPath);

    // Updates from the package, then launches or resets. Does nothing for an empty path (no
    // selection, or a line that is no entry).
    void OnUpdate(LPCWSTR pPackagePath);
    // 1 on success; on failure the user has been told (except for a cancel).
    int DoUpdate(LPCWSTR pPackagePath);
    // The unpacker's progress callback; the context is the procedure.
    static int OnUnpackProgress(void* pContext, DWORD dwIndex, LPCWSTR pName, DWORD dwCount);

    BOOL IsKpt() const { return m_bKpt; }
    const CString& GetAppPath() const { return m_strAppPath; }
    // The message shown for an unpacker error; empty for a cancel.
    static CString MessageForError(const CString& strError);

    // After OnUpdate on the generic variant: whether the new program was started, and the
    // platform's error when it was not.
    BOOL HasLaunched() const { return m_bLaunched; }
    DWORD GetLaunchError() const { return m_dwLaunchError; }
    // Why the last DoUpdate refused its package before deleting anything (empty if it did not).
    const CString& GetRefusal() const { return m_strRefusal; }
    // Set when the unit's registry cannot be read ("registry.reg:5: why"): every update is
    // then refused with it, before anything is deleted.
    void SetRegistryProblem(const CString& strProblem) { m_strRegistryProblem = strProblem; }

private:
    IUpdateScreen& m_screen;
    CString m_strAppPath;
    BOOL m_bKpt;
    BOOL m_bLaunched;
    DWORD m_dwLaunchError;
    CString m_strRefusal;
    CString m_strRegistryProblem;
    int m_nProgressPos;  // what the screen's progress shows
};
