// A text shown by resource id. The text is looked up in the current language on the first
// GetString after construction, after each id change and after each language change, so
// that layers follow a language change without being told. A holder left without memory
// (logged) has the empty id.
#pragma once

#include "JXLanguage.h"
#include "wce/types.h"

class CWceUiLoadString : private CJxLanguageItem {
public:
    CWceUiLoadString();
    // The id must not be empty.
    explicit CWceUiLoadString(LPCWSTR pTextResID);
    // A numeric id n stands for the id written "%u".
    explicit CWceUiLoadString(UINT nTextResID);
    CWceUiLoadString(const CWceUiLoadString& other);
    virtual ~CWceUiLoadString();
    // Copies the id; the copy looks its text up again.
    CWceUiLoadString& operator=(const CWceUiLoadString& other);

    // Nothing happens when the id is the current one (compared exactly).
    void SetTextResID(LPCWSTR pTextResID);
    void SetTextResID(UINT nTextResID);
    LPCWSTR GetTextResID() const;

    // The language's text for the id; empty when the id is empty or has no text (logged).
    LPCWSTR GetString();

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    void OnLanguageChange() override;
    void Register();

    CData* m_pData;
};
