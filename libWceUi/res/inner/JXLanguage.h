// The current language: one key=value document whose keys are text resource ids, and the
// text holders (CWceUiLoadString) that must look their text up again after a change.
#pragma once

#include "JXList.h"
#include "JxConfDoc.h"
#include "QuickString.h"
#include "wce/types.h"

// What the language needs of a text holder (CWceUiLoadString): to be told that its text is
// out of date. The holders live above this library, so the language knows only this.
class CJxLanguageItem {
public:
    virtual void OnLanguageChange() = 0;

protected:
    ~CJxLanguageItem() = default;
};

class CJxLanguage {
public:
    CJxLanguage();
    ~CJxLanguage();
    CJxLanguage(const CJxLanguage&) = delete;
    CJxLanguage& operator=(const CJxLanguage&) = delete;

    // Loads the language file (relative paths from the executable's directory). The old
    // texts are gone even when the load fails; on success every holder turns stale.
    BOOL SetLanguage(LPCWSTR pLangFilePath, BOOL bEscape);
    // The path given to the last successful SetLanguage.
    LPCWSTR GetLanguagePath() const { return m_strLangFilePath; }
    BOOL IsLoaded() const { return m_ConfDoc.IsLoaded(); }

    // The text of the id, or null (also while no language is loaded).
    LPCWSTR GetString(LPCWSTR pTextResID) const;
    LPCWSTR GetString(UINT nTextResID) const;

    void AddLoadStringItem(CJxLanguageItem* pItem);
    void DelLoadStringItem(CJxLanguageItem* pItem);
    int GetLoadStringItemCount() const { return m_LoadStringList.GetCount(); }

private:
    CQuickString m_strLangFilePath;
    CJxConfDoc m_ConfDoc;
    JXList<CJxLanguageItem*> m_LoadStringList;
};
