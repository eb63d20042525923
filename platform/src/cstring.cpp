#include "wce/cstring.h"

#include <cstring>
#include <new>

#include "wce/format.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

// One heap block: header, then capacity + 1 units.
struct CString::Data {
    LONG refs;
    int length;
    int capacity;
    WCHAR* Units() { return reinterpret_cast<WCHAR*>(this + 1); }

    static Data* Allocate(int capacity)
    {
        void* block = ::operator new(sizeof(Data) + (static_cast<size_t>(capacity) + 1) * sizeof(WCHAR));
        Data* data = static_cast<Data*>(block);
        data->refs = 1;
        data->length = 0;
        data->capacity = capacity;
        data->Units()[0] = 0;
        return data;
    }
};

namespace {
const WCHAR kEmpty[1] = {0};

int ClampedLength(LPCWSTR text, int length)
{
    if (!text) return 0;
    int full = static_cast<int>(WStrLen(text));
    return (length < 0 || length > full) ? full : length;
}
}  // namespace

CString::CString() : m_pData(nullptr) {}
CString::CString(LPCWSTR text) : m_pData(nullptr) { Assign(text, -1); }
CString::CString(LPCWSTR text, int length) : m_pData(nullptr) { Assign(text, length); }

CString::CString(const CString& other) : m_pData(other.m_pData)
{
    if (m_pData) InterlockedIncrement(&m_pData->refs);
}

CString::CString(CString&& other) noexcept : m_pData(other.m_pData) { other.m_pData = nullptr; }

CString::~CString() { Release(); }

CString& CString::operator=(const CString& other)
{
    if (m_pData != other.m_pData) {
        if (other.m_pData) InterlockedIncrement(&other.m_pData->refs);
        Release();
        m_pData = other.m_pData;
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pData = other.m_pData;
        other.m_pData = nullptr;
    }
    return *this;
}

CString& CString::operator=(LPCWSTR text)
{
    Assign(text, -1);
    return *this;
}

void CString::Release()
{
    if (m_pData && InterlockedDecrement(&m_pData->refs) == 0) ::operator delete(m_pData);
    m_pData = nullptr;
}

void CString::Assign(LPCWSTR text, int length)
{
    length = ClampedLength(text, length);
    if (length == 0) {
        Release();
        return;
    }
    // text may point into our own buffer: build the new one before letting go of the old.
    Data* fresh = Data::Allocate(length);
    std::memcpy(fresh->Units(), text, static_cast<size_t>(length) * sizeof(WCHAR));
    fresh->Units()[length] = 0;
    fresh->length = length;
    Release();
    m_pData = fresh;
}

LPWSTR CString::MakeUnique(int capacity)
{
    int length = GetLength();
    if (capacity < length) capacity = length;
    if (m_pData && m_pData->refs == 1 && m_pData->capacity >= capacity) return m_pData->Units();
    Data* fresh = Data::Allocate(capacity);
    if (m_pData) {
        std::memcpy(fresh->Units(), m_pData->Units(), (static_cast<size_t>(length) + 1) * sizeof(WCHAR));
        fresh->length = length;
    }
    Release();
    m_pData = fresh;
    return fresh->Units();
}

int CString::GetLength() const { return m_pData ? m_pData->length : 0; }
void CString::Empty() { Release(); }
LPCWSTR CString::c_str() const { return m_pData ? m_pData->Units() : kEmpty; }

WCHAR CString::GetAt(int index) const
{
    return (index >= 0 && index < GetLength()) ? m_pData->Units()[index] : WCHAR(0);
}

void CString::SetAt(int index, WCHAR c)
{
    if (index < 0 || index >= GetLength() || c == 0) return;
    MakeUnique(GetLength())[index] = c;
}

CString& CString::operator+=(LPCWSTR text)
{
    int add = ClampedLength(text, -1);
    if (add == 0) return *this;
    int length = GetLength();
    // Text from our own buffer must outlive MakeUnique, which may replace that buffer. Only
    // then is a reference kept: an extra one always makes MakeUnique copy the whole string.
    const bool fromSelf = m_pData && text >= m_pData->Units() && text <= m_pData->Units() + length;
    CString keep = fromSelf ? *this : CString();
    LPWSTR units = MakeUnique(length + add + (length + add) / 2);
    std::memcpy(units + length, text, static_cast<size_t>(add) * sizeof(WCHAR));
    units[length + add] = 0;
    m_pData->length = length + add;
    return *this;
}

CString& CString::operator+=(const CString& other) { return *this += other.c_str(); }

CString& CString::operator+=(WCHAR c)
{
    const WCHAR one[2] = {c, 0};
    return *this += one;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(LPCWSTR a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(LPCWSTR other) const { return WStrCmp(c_str(), other); }
int CString::CompareNoCase(LPCWSTR other) const { return WStrICmp(c_str(), other); }

CString CString::Mid(int first, int count) const
{
    int length = GetLength();
    if (first < 0) first = 0;
    if (first >= length) return CString();
    if (count < 0 || count > length - first) count = length - first;
    if (first == 0 && count == length) return *this;
    return CString(c_str() + first, count);
}

CString CString::Left(int count) const { return Mid(0, count < 0 ? 0 : count); }

CString CString::Right(int count) const
{
    int length = GetLength();
    if (count <= 0) return CString();
    if (count > length) count = length;
    return Mid(length - count, count);
}

int CString::Find(WCHAR c, int start) const
{
    if (start < 0) start = 0;
    for (int i = start; i < GetLength(); ++i)
        if (m_pData->Units()[i] == c) return i;
    return -1;
}

int CString::Find(LPCWSTR text, int start) const
{
    if (start < 0 || start > GetLength()) return -1;
    LPCWSTR found = WStrStr(c_str() + start, text);
    return found ? static_cast<int>(found - c_str()) : -1;
}

int CString::ReverseFind(WCHAR c) const
{
    for (int i = GetLength() - 1; i >= 0; --i)
        if (m_pData->Units()[i] == c) return i;
    return -1;
}

void CString::MakeLower()
{
    if (IsEmpty()) return;
    WStrLowerInPlace(MakeUnique(GetLength()));
}

void CString::MakeUpper()
{
    if (IsEmpty()) return;
    LPWSTR units = MakeUnique(GetLength());
    for (int i = 0; units[i]; ++i) units[i] = WCharUpper(units[i]);
}

LPWSTR CString::GetBuffer(int minLength)
{
    return MakeUnique(minLength < 0 ? 0 : minLength);
}

void CString::ReleaseBuffer(int newLength)
{
    if (!m_pData) return;
    if (newLength < 0 || newLength > m_pData->capacity) {
        newLength = 0;
        while (newLength < m_pData->capacity && m_pData->Units()[newLength]) ++newLength;
    }
    m_pData->Units()[newLength] = 0;
    m_pData->length = newLength;
    if (newLength == 0) Release();
}

void CString::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR format, va_list args)
{
    WCHAR buffer[kFormatLimit + 1];
    int needed = WFormatV(buffer, sizeof buffer / sizeof buffer[0], format, args);
    Assign(buffer, needed > kFormatLimit ? kFormatLimit : needed);
}
