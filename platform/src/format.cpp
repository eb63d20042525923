#include "wce/format.h"

#include <cstdio>
#include <cstring>

#include "wce/wstring.h"

namespace {

// Collects output units, keeping what fits and counting everything.
template <class Unit>
class Sink {
public:
    Sink(Unit* buffer, size_t cap) : m_buffer(buffer), m_cap(cap) {}
    void Put(Unit c)
    {
        if (m_buffer && m_count + 1 < m_cap) m_buffer[m_count] = c;
        ++m_count;
    }
    void Repeat(Unit c, int times)
    {
        for (int i = 0; i < times; ++i) Put(c);
    }
    int Finish()
    {
        if (m_buffer && m_cap > 0) m_buffer[m_count < m_cap ? m_count : m_cap - 1] = 0;
        return static_cast<int>(m_count);
    }

private:
    Unit* m_buffer;
    size_t m_cap;
    size_t m_count = 0;
};

struct Conversion {
    bool left = false;
    bool zero = false;
    char sign = 0;  // '+', ' ' or 0
    bool alt = false;
    int width = 0;
    int precision = -1;
    int longs = 0;  // 0 int, 1 long, 2 long long, -1 short, -2 char, 3 size_t
};

// Units of a string argument, either narrow or wide, with the conversion to the output kind:
// narrow bytes widen one to one; wide units beyond Latin-1 narrow to '?'.
template <class Unit, class Arg>
void PutString(Sink<Unit>& out, const Conversion& spec, const Arg* text)
{
    static const Arg kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    if (!text) text = kNull;
    size_t length = 0;
    while (text[length] && (spec.precision < 0 || length < static_cast<size_t>(spec.precision))) ++length;
    int pad = spec.width > static_cast<int>(length) ? spec.width - static_cast<int>(length) : 0;
    if (!spec.left) out.Repeat(' ', pad);
    for (size_t i = 0; i < length; ++i) {
        auto unit = static_cast<std::make_unsigned_t<Arg>>(text[i]);
        if (sizeof(Unit) == 1 && unit > 0xFF)
            out.Put('?');
        else
            out.Put(static_cast<Unit>(unit));
    }
    if (spec.left) out.Repeat(' ', pad);
}

// Numbers are formatted by the host's narrow printf, which knows every flag; the result is
// plain ASCII.
template <class Unit>
void PutNumber(Sink<Unit>& out, const Conversion& spec, char conversion, va_list& args)
{
    char format[32];
    char* f = format;
    *f++ = '%';
    if (spec.left) *f++ = '-';
    if (spec.zero) *f++ = '0';
    if (spec.sign) *f++ = spec.sign;
    if (spec.alt) *f++ = '#';
    f += std::snprintf(f, 12, "%d", spec.width);
    if (spec.precision >= 0) f += std::snprintf(f, 12, ".%d", spec.precision);
    char text[512];
    int length = 0;
    if (conversion == 'f' || conversion == 'e' || conversion == 'g' || conversion == 'E' || conversion == 'G') {
        *f++ = conversion;
        *f = 0;
        length = std::snprintf(text, sizeof text, format, va_arg(args, double));
    } else if (conversion == 'p') {
        *f++ = 'p';
        *f = 0;
        length = std::snprintf(text, sizeof text, format, va_arg(args, void*));
    } else {
        bool isSigned = conversion == 'd' || conversion == 'i';
        *f++ = 'l';
        *f++ = 'l';
        *f++ = conversion == 'i' ? 'd' : conversion;
        *f = 0;
        if (isSigned) {
            long long value;
            switch (spec.longs) {
            case 2: value = va_arg(args, long long); break;
            case 1: value = va_arg(args, long); break;
            case 3: value = static_cast<long long>(va_arg(args, size_t)); break;
            case -1: value = static_cast<short>(va_arg(args, int)); break;
            case -2: value = static_cast<signed char>(va_arg(args, int)); break;
            default: value = va_arg(args, int); break;
            }
            length = std::snprintf(text, sizeof text, format, value);
        } else {
            unsigned long long value;
            switch (spec.longs) {
            case 2: value = va_arg(args, unsigned long long); break;
            case 1: value = va_arg(args, unsigned long); break;
            case 3: value = va_arg(args, size_t); break;
            case -1: value = static_cast<unsigned short>(va_arg(args, unsigned)); break;
            case -2: value = static_cast<unsigned char>(va_arg(args, unsigned)); break;
            default: value = va_arg(args, unsigned); break;
            }
            length = std::snprintf(text, sizeof text, format, value);
        }
    }
    if (length < 0) return;
    if (length > static_cast<int>(sizeof text) - 1) length = sizeof text - 1;
    for (int i = 0; i < length; ++i) out.Put(static_cast<Unit>(static_cast<unsigned char>(text[i])));
}

template <class Unit>
int FormatImpl(Unit* buffer, size_t cap, const Unit* format, va_list& args)
{
    Sink<Unit> out(buffer, cap);
    if (!format) return out.Finish();
    const bool wideFormat = sizeof(Unit) == 2;
    for (const Unit* p = format; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        const Unit* start = p++;
        Conversion spec;
        for (;; ++p) {
            if (*p == '-') spec.left = true;
            else if (*p == '0') spec.zero = true;
            else if (*p == '+') spec.sign = '+';
            else if (*p == ' ') { if (spec.sign != '+') spec.sign = ' '; }
            else if (*p == '#') spec.alt = true;
            else break;
        }
        if (*p == '*') {
            spec.width = va_arg(args, int);
            if (spec.width < 0) {
                spec.left = true;
                spec.width = -spec.width;
            }
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') spec.width = spec.width * 10 + (*p++ - '0');
        }
        if (*p == '.') {
            ++p;
            spec.precision = 0;
            if (*p == '*') {
                spec.precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') spec.precision = spec.precision * 10 + (*p++ - '0');
            }
        }
        if (spec.width > 4096) spec.width = 4096;  // keeps absurd widths from flooding the sink
        if (spec.precision > 4096 && !(*p == 's' || *p == 'S')) spec.precision = 4096;
        if (*p == 'h') {
            spec.longs = -1;
            if (*++p == 'h') {
                spec.longs = -2;
                ++p;
            }
        } else if (*p == 'l') {
            spec.longs = 1;
            if (*++p == 'l') {
                spec.longs = 2;
                ++p;
            }
        } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
            spec.longs = 2;
            p += 3;
        } else if (*p == 'z') {
            spec.longs = 3;
            ++p;
        }
        switch (*p) {
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        case 'f': case 'e': case 'g': case 'E': case 'G': case 'p':
            PutNumber(out, spec, static_cast<char>(*p), args);
            break;
        case 's':
        case 'S': {
            // "%s" matches the format's width, "%S" the other one; "%ls" is always wide.
            bool wideArg = (*p == 's') == wideFormat;
            if (spec.longs == 1) wideArg = true;
            if (spec.longs == -1) wideArg = false;
            if (wideArg)
                PutString(out, spec, va_arg(args, const char16_t*));
            else
                PutString(out, spec, va_arg(args, const char*));
            break;
        }
        case 'c':
        case 'C': {
            int value = va_arg(args, int);
            const char16_t one[2] = {static_cast<char16_t>(value), 0};
            PutString(out, spec, one);
            break;
        }
        case '%':
            out.Put('%');
            break;
        default:  // unknown conversion or end of format: print it as written
            for (const Unit* q = start; q <= p && *q; ++q) out.Put(*q);
            if (!*p) return out.Finish();
            break;
        }
    }
    return out.Finish();
}

template <class Unit>
std::basic_string<Unit> FormatToString(const Unit* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    int needed = FormatImpl<Unit>(nullptr, 0, format, measure);
    va_end(measure);
    std::basic_string<Unit> result(static_cast<size_t>(needed) + 1, Unit(0));
    va_list write;
    va_copy(write, args);
    FormatImpl<Unit>(&result[0], result.size(), format, write);
    va_end(write);
    result.resize(static_cast<size_t>(needed));
    return result;
}

}  // namespace

int WFormatV(LPWSTR buffer, size_t cap, LPCWSTR format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = FormatImpl<char16_t>(buffer, cap, format, copy);
    va_end(copy);
    return n;
}

int WFormat(LPWSTR buffer, size_t cap, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = WFormatV(buffer, cap, format, args);
    va_end(args);
    return n;
}

std::u16string WFormatStringV(LPCWSTR format, va_list args) { return FormatToString<char16_t>(format, args); }

std::u16string WFormatString(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string s = WFormatStringV(format, args);
    va_end(args);
    return s;
}

int AFormatV(char* buffer, size_t cap, LPCSTR format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = FormatImpl<char>(buffer, cap, format, copy);
    va_end(copy);
    return n;
}

int AFormat(char* buffer, size_t cap, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = AFormatV(buffer, cap, format, args);
    va_end(args);
    return n;
}

std::string AFormatStringV(LPCSTR format, va_list args) { return FormatToString<char>(format, args); }

std::string AFormatString(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    std::string s = AFormatStringV(format, args);
    va_end(args);
    return s;
}
