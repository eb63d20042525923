// Helpers for zero-terminated UTF-16 strings and conversion to and from UTF-8.
// Every function accepts null pointers and treats them as empty strings.
#pragma once

#include <string>

#include "types.h"

size_t WStrLen(LPCWSTR s);
// Copies at most cap - 1 units and always terminates (when cap > 0). Returns the units copied.
size_t WStrCopy(LPWSTR dst, size_t cap, LPCWSTR src);
// Appends src to the string in dst, within cap units in all. Returns the new length.
size_t WStrCat(LPWSTR dst, size_t cap, LPCWSTR src);
// Comparisons by unsigned 16-bit units; the result is <0, 0 or >0.
int WStrCmp(LPCWSTR a, LPCWSTR b);
int WStrNCmp(LPCWSTR a, LPCWSTR b, size_t n);
// Case-insensitive for ASCII and Latin-1 letters.
int WStrICmp(LPCWSTR a, LPCWSTR b);
int WStrNICmp(LPCWSTR a, LPCWSTR b, size_t n);
WCHAR WCharLower(WCHAR c);
WCHAR WCharUpper(WCHAR c);
void WStrLowerInPlace(LPWSTR s);
LPCWSTR WStrChr(LPCWSTR s, WCHAR c);
LPCWSTR WStrRChr(LPCWSTR s, WCHAR c);
LPCWSTR WStrStr(LPCWSTR haystack, LPCWSTR needle);

// Invalid sequences become U+FFFD; conversion never fails.
std::u16string Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::u16string& wide);
std::string WideToUtf8(LPCWSTR wide);
