// printf-style formatting with the device's conventions.
//
// In a wide format "%s" takes a wide string and "%S" a narrow one; in a narrow format the
// reverse ("%s" narrow, "%S" wide), so format strings written for the device work as they
// stand. Supported: flags "-+ 0#", width and precision (also "*"), the length modifiers
// h, l, ll, I64, z, and the conversions d i u x X o c C s S p f e g %.
// The host's wchar_t functions are never used: wchar_t is 32-bit here.
#pragma once

#include <cstdarg>
#include <string>

#include "types.h"

// Like vsnprintf: writes at most cap - 1 units and a terminator (when cap > 0) and returns
// the number of units the whole result needs, without the terminator.
int WFormatV(LPWSTR buffer, size_t cap, LPCWSTR format, va_list args);
int WFormat(LPWSTR buffer, size_t cap, LPCWSTR format, ...);
std::u16string WFormatString(LPCWSTR format, ...);
std::u16string WFormatStringV(LPCWSTR format, va_list args);

// The same for narrow formats and narrow output (bytes are copied as they are).
int AFormatV(char* buffer, size_t cap, LPCSTR format, va_list args);
int AFormat(char* buffer, size_t cap, LPCSTR format, ...);
std::string AFormatString(LPCSTR format, ...);
std::string AFormatStringV(LPCSTR format, va_list args);
