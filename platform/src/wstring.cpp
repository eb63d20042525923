#include "wce/wstring.h"

namespace {
const WCHAR kEmpty[1] = {0};
LPCWSTR OrEmpty(LPCWSTR s) { return s ? s : kEmpty; }
}  // namespace

size_t WStrLen(LPCWSTR s)
{
    if (!s) return 0;
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

size_t WStrCopy(LPWSTR dst, size_t cap, LPCWSTR src)
{
    if (!dst || cap == 0) return 0;
    src = OrEmpty(src);
    size_t n = 0;
    while (n + 1 < cap && src[n]) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return n;
}

size_t WStrCat(LPWSTR dst, size_t cap, LPCWSTR src)
{
    if (!dst || cap == 0) return 0;
    size_t used = 0;
    while (used < cap && dst[used]) ++used;
    if (used == cap) {  // not terminated within cap: terminate at the end
        dst[cap - 1] = 0;
        return cap - 1;
    }
    return used + WStrCopy(dst + used, cap - used, src);
}

WCHAR WCharLower(WCHAR c)
{
    if (c >= u'A' && c <= u'Z') return static_cast<WCHAR>(c + 32);
    // Latin-1 capitals, except the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<WCHAR>(c + 32);
    return c;
}

WCHAR WCharUpper(WCHAR c)
{
    if (c >= u'a' && c <= u'z') return static_cast<WCHAR>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 32);
    return c;
}

void WStrLowerInPlace(LPWSTR s)
{
    if (!s) return;
    for (; *s; ++s) *s = WCharLower(*s);
}

int WStrCmp(LPCWSTR a, LPCWSTR b) { return WStrNCmp(a, b, static_cast<size_t>(-1)); }

int WStrNCmp(LPCWSTR a, LPCWSTR b, size_t n)
{
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        if (!a[i]) return 0;
    }
    return 0;
}

int WStrICmp(LPCWSTR a, LPCWSTR b) { return WStrNICmp(a, b, static_cast<size_t>(-1)); }

int WStrNICmp(LPCWSTR a, LPCWSTR b, size_t n)
{
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (size_t i = 0; i < n; ++i) {
        WCHAR ca = WCharLower(a[i]);
        WCHAR cb = WCharLower(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (!ca) return 0;
    }
    return 0;
}

LPCWSTR WStrChr(LPCWSTR s, WCHAR c)
{
    if (!s) return nullptr;
    for (;; ++s) {
        if (*s == c) return s;
        if (!*s) return nullptr;
    }
}

LPCWSTR WStrRChr(LPCWSTR s, WCHAR c)
{
    if (!s) return nullptr;
    LPCWSTR found = nullptr;
    for (;; ++s) {
        if (*s == c) found = s;
        if (!*s) return found;
    }
}

LPCWSTR WStrStr(LPCWSTR haystack, LPCWSTR needle)
{
    if (!haystack) return nullptr;
    size_t n = WStrLen(needle);
    if (n == 0) return haystack;
    for (; *haystack; ++haystack)
        if (WStrNCmp(haystack, needle, n) == 0) return haystack;
    return nullptr;
}

std::u16string Utf8ToWide(const std::string& utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        char32_t cp;
        size_t extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string WideToUtf8(const std::u16string& wide)
{
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string WideToUtf8(LPCWSTR wide) { return wide ? WideToUtf8(std::u16string(wide)) : std::string(); }
