// The application's string: UTF-16, reference-counted and copied on write, so strings
// passed around by value share one buffer until one of them changes.
#pragma once

#include <cstdarg>

#include "types.h"

class CString {
public:
    CString();
    CString(LPCWSTR text);  // NOLINT: converts implicitly, as the application expects
    CString(LPCWSTR text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCWSTR text);

    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();
    operator LPCWSTR() const { return c_str(); }  // NOLINT
    LPCWSTR c_str() const;
    WCHAR GetAt(int index) const;
    WCHAR operator[](int index) const { return GetAt(index); }
    void SetAt(int index, WCHAR c);

    CString& operator+=(const CString& other);
    CString& operator+=(LPCWSTR text);
    CString& operator+=(WCHAR c);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCWSTR b);
    friend CString operator+(LPCWSTR a, const CString& b);

    int Compare(LPCWSTR other) const;
    int CompareNoCase(LPCWSTR other) const;
    friend bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
    friend bool operator!=(const CString& a, LPCWSTR b) { return a.Compare(b) != 0; }

    CString Left(int count) const;
    CString Mid(int first, int count = -1) const;
    CString Right(int count) const;
    int Find(WCHAR c, int start = 0) const;
    int Find(LPCWSTR text, int start = 0) const;
    int ReverseFind(WCHAR c) const;
    void MakeLower();
    void MakeUpper();

    // Direct access for writing at most minLength units; ReleaseBuffer(-1) takes the length
    // from the terminator.
    LPWSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // Formats with the device's conventions; the result is cut at kFormatLimit units.
    static constexpr int kFormatLimit = 1024;
    void Format(LPCWSTR format, ...);
    void FormatV(LPCWSTR format, va_list args);

    // True when both strings share one buffer (for tests of the sharing).
    bool SharesBufferWith(const CString& other) const { return m_pData == other.m_pData; }

private:
    struct Data;
    Data* m_pData;  // null for the empty string

    void Assign(LPCWSTR text, int length);
    void Release();
    LPWSTR MakeUnique(int capacity);  // owns a private buffer of at least capacity units
};
