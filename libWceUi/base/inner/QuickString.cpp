#include "QuickString.h"

#include <cstring>
#include <new>

#include "wce/format.h"
#include "wce/wstring.h"

CQuickString::CQuickString() : m_pText(NULL), m_nLength(0), m_nCapacity(0) {}

CQuickString::CQuickString(LPCWSTR pText) : CQuickString() { SetString(pText); }

CQuickString::CQuickString(LPCWSTR pText, int nLength) : CQuickString() { SetString(pText, nLength); }

CQuickString::CQuickString(const CQuickString& other) : CQuickString() { SetString(other.m_pText, other.m_nLength); }

CQuickString::CQuickString(CQuickString&& other) noexcept
    : m_pText(other.m_pText), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity)
{
    other.m_pText = NULL;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CQuickString::~CQuickString() { delete[] m_pText; }

CQuickString& CQuickString::operator=(const CQuickString& other)
{
    if (this != &other) SetString(other.m_pText, other.m_nLength);
    return *this;
}

CQuickString& CQuickString::operator=(CQuickString&& other) noexcept
{
    if (this != &other) {
        delete[] m_pText;
        m_pText = other.m_pText;
        m_nLength = other.m_nLength;
        m_nCapacity = other.m_nCapacity;
        other.m_pText = NULL;
        other.m_nLength = 0;
        other.m_nCapacity = 0;
    }
    return *this;
}

CQuickString& CQuickString::operator=(LPCWSTR pText)
{
    SetString(pText);
    return *this;
}

BOOL CQuickString::Reserve(int nLength)
{
    if (nLength <= m_nCapacity) return TRUE;
    int nCapacity = m_nCapacity < 16 ? 16 : m_nCapacity;
    while (nCapacity < nLength) nCapacity = nCapacity > 0x3FFFFFFF ? nLength : nCapacity * 2;
    WCHAR* pNew = new (std::nothrow) WCHAR[static_cast<size_t>(nCapacity) + 1];
    if (NULL == pNew) return FALSE;
    if (m_pText) memcpy(pNew, m_pText, (static_cast<size_t>(m_nLength) + 1) * sizeof(WCHAR));
    else pNew[0] = 0;
    delete[] m_pText;
    m_pText = pNew;
    m_nCapacity = nCapacity;
    return TRUE;
}

BOOL CQuickString::SetString(LPCWSTR pText, int nLength)
{
    if (nLength < 0) nLength = static_cast<int>(WStrLen(pText));
    if (NULL == pText) nLength = 0;
    // The source may lie inside our own buffer: copy before giving the buffer up.
    if (pText && m_pText && pText >= m_pText && pText <= m_pText + m_nLength) {
        CQuickString copy(pText, nLength);
        *this = static_cast<CQuickString&&>(copy);
        return GetLength() == nLength;
    }
    if (!Reserve(nLength)) return FALSE;
    if (m_pText) {
        if (nLength > 0) memcpy(m_pText, pText, static_cast<size_t>(nLength) * sizeof(WCHAR));
        m_pText[nLength] = 0;
    }
    m_nLength = nLength;
    return TRUE;
}

BOOL CQuickString::Append(LPCWSTR pText, int nLength)
{
    if (nLength < 0) nLength = static_cast<int>(WStrLen(pText));
    if (NULL == pText || 0 == nLength) return TRUE;
    if (m_pText && pText >= m_pText && pText <= m_pText + m_nLength) {
        CQuickString copy(pText, nLength);
        return Append(copy.GetString(), copy.GetLength());
    }
    if (nLength > 0x7FFFFFFE - m_nLength || !Reserve(m_nLength + nLength)) return FALSE;
    memcpy(m_pText + m_nLength, pText, static_cast<size_t>(nLength) * sizeof(WCHAR));
    m_nLength += nLength;
    m_pText[m_nLength] = 0;
    return TRUE;
}

BOOL CQuickString::AppendChar(WCHAR c) { return Append(&c, 1); }

CQuickString& CQuickString::operator+=(LPCWSTR pText)
{
    Append(pText);
    return *this;
}

CQuickString& CQuickString::operator+=(WCHAR c)
{
    AppendChar(c);
    return *this;
}

BOOL CQuickString::Format(LPCWSTR pFormat, ...)
{
    va_list args;
    va_start(args, pFormat);
    BOOL bResult = FormatV(pFormat, args);
    va_end(args);
    return bResult;
}

BOOL CQuickString::FormatV(LPCWSTR pFormat, va_list args)
{
    if (NULL == pFormat) return FALSE;
    va_list measure;
    va_copy(measure, args);
    int nLength = WFormatV(NULL, 0, pFormat, measure);
    va_end(measure);
    if (nLength < 0) return FALSE;
    WCHAR* pNew = new (std::nothrow) WCHAR[static_cast<size_t>(nLength) + 1];
    if (NULL == pNew) return FALSE;
    WFormatV(pNew, static_cast<size_t>(nLength) + 1, pFormat, args);
    delete[] m_pText;
    m_pText = pNew;
    m_nLength = nLength;
    m_nCapacity = nLength;
    return TRUE;
}

void CQuickString::Empty()
{
    m_nLength = 0;
    if (m_pText) m_pText[0] = 0;
}

void CQuickString::Truncate(int nLength)
{
    if (nLength < 0) nLength = 0;
    if (nLength >= m_nLength) return;
    m_nLength = nLength;
    m_pText[nLength] = 0;
}

WCHAR CQuickString::GetAt(int nIndex) const
{
    return (nIndex >= 0 && nIndex < m_nLength) ? m_pText[nIndex] : 0;
}

int CQuickString::Compare(LPCWSTR pOther) const { return WStrCmp(GetString(), pOther); }

int CQuickString::CompareNoCase(LPCWSTR pOther) const { return WStrICmp(GetString(), pOther); }
