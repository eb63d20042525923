// The framework's own string: owned, zero-terminated UTF-16, never shared.
#pragma once

#include <cstdarg>

#include "wce/types.h"

class CQuickString {
public:
    CQuickString();
    CQuickString(LPCWSTR pText);  // NOLINT: converts implicitly, like the platform's string
    CQuickString(LPCWSTR pText, int nLength);
    CQuickString(const CQuickString& other);
    CQuickString(CQuickString&& other) noexcept;
    ~CQuickString();

    CQuickString& operator=(const CQuickString& other);
    CQuickString& operator=(CQuickString&& other) noexcept;
    CQuickString& operator=(LPCWSTR pText);

    // Replaces the text with nLength units of pText (-1: up to its terminator). FALSE when
    // memory runs out; the old text is then kept.
    BOOL SetString(LPCWSTR pText, int nLength = -1);
    BOOL Append(LPCWSTR pText, int nLength = -1);
    BOOL AppendChar(WCHAR c);
    CQuickString& operator+=(LPCWSTR pText);
    CQuickString& operator+=(WCHAR c);

    // Formats with the device's conventions. FALSE (text unchanged) when the format fails.
    BOOL Format(LPCWSTR pFormat, ...);
    BOOL FormatV(LPCWSTR pFormat, va_list args);

    void Empty();
    // Keeps the first nLength units (no effect when the text is not longer).
    void Truncate(int nLength);

    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return 0 == m_nLength; }
    LPCWSTR GetString() const { return m_pText ? m_pText : u""; }
    operator LPCWSTR() const { return GetString(); }  // NOLINT
    // The unit at nIndex, or 0 outside the text.
    WCHAR GetAt(int nIndex) const;
    WCHAR GetLast() const { return GetAt(m_nLength - 1); }

    int Compare(LPCWSTR pOther) const;
    int CompareNoCase(LPCWSTR pOther) const;
    friend bool operator==(const CQuickString& a, LPCWSTR b) { return 0 == a.Compare(b); }
    friend bool operator!=(const CQuickString& a, LPCWSTR b) { return 0 != a.Compare(b); }

private:
    BOOL Reserve(int nLength);  // room for nLength units and the terminator

    WCHAR* m_pText;  // null until the first non-empty text
    int m_nLength;
    int m_nCapacity;  // units, terminator excluded
};
