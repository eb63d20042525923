// The script reader. Every line is checked before the run starts, so a script either runs
// whole or is refused with the line that is wrong.
#include "display_script.h"

#include <cctype>
#include <cstring>

#include "wce/window.h"

namespace wce::detail {
namespace {

constexpr std::uint64_t kMaxMs = 3600000;
constexpr std::uint64_t kMaxScriptTime = 0x7FFFFFFF;  // keeps every tick a positive 32-bit value

struct KeyName {
    const char* name;
    UINT vk;
};
const KeyName kKeys[] = {
    {"BACK", VK_BACK},     {"TAB", VK_TAB},       {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE},
    {"SPACE", VK_SPACE},   {"PRIOR", VK_PRIOR},   {"NEXT", VK_NEXT},     {"END", VK_END},
    {"HOME", VK_HOME},     {"INSERT", VK_INSERT}, {"DELETE", VK_DELETE}, {"LEFT", VK_LEFT},
    {"UP", VK_UP},         {"RIGHT", VK_RIGHT},   {"DOWN", VK_DOWN},     {"SHIFT", VK_SHIFT},
    {"CONTROL", VK_CONTROL},
};

// One line split into tokens; a string token keeps its decoded text.
struct Token {
    std::string text;
    bool quoted = false;
    std::u16string wide;
};

bool AppendUtf8(const std::string& s, std::size_t& i, std::u16string& out)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    std::uint32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
        cp = c;
    } else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        extra = 3;
    } else {
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= s.size() || (byte(i + k) & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<WCHAR>(0xD800 + (cp >> 10));
        out += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<WCHAR>(cp);
    }
    i += extra + 1;
    return true;
}

bool ReadString(const std::string& line, std::size_t& i, Token& token, std::string& error)
{
    ++i;  // the opening quote
    while (i < line.size()) {
        char c = line[i];
        if ('"' == c) {
            ++i;
            token.quoted = true;
            return true;
        }
        if ('\\' == c) {
            if (i + 1 >= line.size()) break;
            char e = line[i + 1];
            if ('"' == e || '\\' == e) {
                token.wide += static_cast<WCHAR>(e);
                i += 2;
            } else if ('n' == e) {
                token.wide += u'\n';
                i += 2;
            } else if ('u' == e) {
                if (i + 6 > line.size()) {
                    error = "bad \\u escape";
                    return false;
                }
                unsigned value = 0;
                for (int k = 2; k < 6; ++k) {
                    char h = line[i + k];
                    if (!std::isxdigit(static_cast<unsigned char>(h))) {
                        error = "bad \\u escape";
                        return false;
                    }
                    value = value * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
                }
                token.wide += static_cast<WCHAR>(value);
                i += 6;
            } else {
                error = std::string("unknown escape \\") + e;
                return false;
            }
            continue;
        }
        if (!AppendUtf8(line, i, token.wide)) {
            error = "text is not UTF-8";
            return false;
        }
    }
    error = "unclosed string";
    return false;
}

bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (' ' == c || '\t' == c) {
            ++i;
            continue;
        }
        if ('#' == c) break;
        Token token;
        if ('"' == c) {
            if (!ReadString(line, i, token, error)) return false;
        } else {
            while (i < line.size() && ' ' != line[i] && '\t' != line[i] && '"' != line[i]) token.text += line[i++];
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

class LineReader {
public:
    LineReader(const std::vector<Token>& tokens, int width, int height)
        : m_tokens(tokens), m_width(width), m_height(height)
    {
    }
    bool Number(const char* what, std::uint64_t max, std::uint64_t& value)
    {
        const Token* t = Next(what);
        if (!t) return false;
        value = 0;
        if (t->quoted || t->text.empty() || t->text.size() > 10) return Bad(what, t->text);
        for (char c : t->text) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return Bad(what, t->text);
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > max) return Bad(what, t->text);
        return true;
    }
    bool Ms(std::uint64_t& value) { return Number("milliseconds", kMaxMs, value); }
    bool Point(int& x, int& y)
    {
        std::uint64_t vx = 0, vy = 0;
        if (!Number("x", static_cast<std::uint64_t>(m_width - 1), vx) ||
            !Number("y", static_cast<std::uint64_t>(m_height - 1), vy))
            return false;
        x = static_cast<int>(vx);
        y = static_cast<int>(vy);
        return true;
    }
    bool Color(std::uint32_t& rgb)
    {
        const Token* t = Next("colour");
        if (!t) return false;
        if (t->quoted || t->text.size() != 6) return Bad("colour", t->text);
        rgb = 0;
        for (char c : t->text) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return Bad("colour", t->text);
            rgb = rgb * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
        }
        return true;
    }
    const Token* Next(const char* what)
    {
        if (m_next >= m_tokens.size()) {
            error = std::string("missing ") + what;
            return nullptr;
        }
        return &m_tokens[m_next++];
    }
    bool HasMore() const { return m_next < m_tokens.size(); }
    bool End()
    {
        if (!HasMore()) return true;
        error = "unexpected '" + m_tokens[m_next].text + "'";
        return false;
    }
    bool Bad(const char* what, const std::string& text)
    {
        error = std::string("bad ") + what + " '" + text + "'";
        return false;
    }
    std::string error;

private:
    const std::vector<Token>& m_tokens;
    int m_width;
    int m_height;
    std::size_t m_next = 1;
};

}  // namespace

UINT ParseKeyName(const std::string& name)
{
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const KeyName& k : kKeys)
        if (upper == k.name) return k.vk;
    if (upper.size() >= 2 && upper.size() <= 3 && 'F' == upper[0]) {
        int n = 0;
        for (std::size_t i = 1; i < upper.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(upper[i]))) return 0;
            n = n * 10 + (upper[i] - '0');
        }
        return n >= 1 && n <= 12 && '0' != upper[1] ? VK_F1 + n - 1 : 0;
    }
    if (1 == upper.size() && upper[0] >= 'A' && upper[0] <= 'Z') return static_cast<UINT>(upper[0]);
    if (upper.empty() || upper.size() > 3) return 0;
    int n = 0;
    for (char c : upper) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= 254 ? static_cast<UINT>(n) : 0;
}

bool ParseScript(const std::string& text, int width, int height, Script& script, std::string& error)
{
    script = Script{};
    std::uint64_t now = kScriptStartTick;
    std::size_t start = 0;
    int lineNo = 0;
    auto fail = [&](const std::string& reason) {
        error = "script:" + std::to_string(lineNo) + ": " + reason;
        script = Script{};
        return false;
    };
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && '\r' == line.back()) line.pop_back();
        if (line.find('\0') != std::string::npos) return fail("NUL character");
        std::vector<Token> tokens;
        std::string reason;
        if (!Tokenize(line, tokens, reason)) return fail(reason);
        if (tokens.empty()) {
            if (end == text.size()) break;
            continue;
        }
        if (tokens[0].quoted) return fail("a command is expected");
        const std::string& name = tokens[0].text;
        LineReader r(tokens, width, height);
        ScriptCommand c;
        c.line = lineNo;
        auto add = [&](ScriptCommand::Kind kind, std::uint64_t tick) {
            ScriptCommand copy = c;
            copy.kind = kind;
            copy.tick = static_cast<DWORD>(tick);
            script.commands.push_back(copy);
        };
        std::uint64_t ms = 0, steps = 0;
        bool ok = true;
        if ("wait" == name) {
            ok = r.Ms(ms) && r.End();
            now += ms;
        } else if ("down" == name || "move" == name || "up" == name) {
            ok = r.Point(c.x, c.y) && r.End();
            if (ok)
                add("down" == name ? ScriptCommand::Kind::PenDown
                    : "move" == name ? ScriptCommand::Kind::PenMove
                                     : ScriptCommand::Kind::PenUp,
                    now);
        } else if ("tap" == name) {
            ms = 50;
            ok = r.Point(c.x, c.y) && (!r.HasMore() || r.Ms(ms)) && r.End();
            if (ok) {
                add(ScriptCommand::Kind::PenDown, now);
                add(ScriptCommand::Kind::PenUp, now + ms);
                now += ms;
            }
        } else if ("drag" == name) {
            int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            ok = r.Point(x1, y1) && r.Point(x2, y2) && r.Ms(ms);
            if (ok) {
                steps = std::max<std::uint64_t>(1, ms / 10);
                ok = (!r.HasMore() || r.Number("steps", 1000, steps)) && r.End();
                if (ok && 0 == steps) ok = r.Bad("steps", "0");
            }
            if (ok) {
                c.x = x1;
                c.y = y1;
                add(ScriptCommand::Kind::PenDown, now);
                for (std::uint64_t i = 1; i < steps; ++i) {
                    // Integer division toward zero.
                    c.x = x1 + static_cast<int>(static_cast<std::int64_t>(x2 - x1) * static_cast<std::int64_t>(i) /
                                                static_cast<std::int64_t>(steps));
                    c.y = y1 + static_cast<int>(static_cast<std::int64_t>(y2 - y1) * static_cast<std::int64_t>(i) /
                                                static_cast<std::int64_t>(steps));
                    add(ScriptCommand::Kind::PenMove, now + ms * i / steps);
                }
                // The last step moves to the end point, and the pen leaves there.
                c.x = x2;
                c.y = y2;
                add(ScriptCommand::Kind::PenMove, now + ms);
                add(ScriptCommand::Kind::PenUp, now + ms);
                now += ms;
            }
        } else if ("key" == name || "keydown" == name || "keyup" == name) {
            const Token* t = r.Next("key name");
            ok = t != nullptr;
            if (ok) {
                c.vk = t->quoted ? 0 : ParseKeyName(t->text);
                if (0 == c.vk) ok = r.Bad("key name", t->text);
            }
            ok = ok && r.End();
            if (ok) {
                if ("keyup" != name) add(ScriptCommand::Kind::KeyDown, now);
                if ("keydown" != name) add(ScriptCommand::Kind::KeyUp, now);
            }
        } else if ("text" == name) {
            const Token* t = r.Next("string");
            ok = t != nullptr;
            if (ok && !t->quoted) ok = r.Bad("string", t->text);
            if (ok) c.text = t->wide;
            ok = ok && r.End();
            if (ok) add(ScriptCommand::Kind::Text, now);
        } else if ("screenshot" == name || "dump" == name) {
            const Token* t = r.Next("file name");
            ok = t != nullptr;
            if (ok) {
                c.file = t->quoted ? std::string() : t->text;
                if (t->quoted) {
                    // A quoted name may hold spaces; it is kept as UTF-8.
                    for (WCHAR u : t->wide) {
                        if (u < 0x80) c.file += static_cast<char>(u);
                        else ok = r.Bad("file name", "non-ASCII quoted name");
                    }
                }
                if (ok && c.file.empty()) ok = r.Bad("file name", "");
            }
            ok = ok && r.End();
            if (ok) add("dump" == name ? ScriptCommand::Kind::Dump : ScriptCommand::Kind::Screenshot, now);
        } else if ("expect" == name) {
            ok = r.Point(c.x, c.y) && r.Color(c.rgb) && r.End();
            if (ok) add(ScriptCommand::Kind::Expect, now);
        } else if ("expect-rect" == name) {
            std::uint64_t w = 0, h = 0;
            ok = r.Point(c.x, c.y) && r.Number("width", static_cast<std::uint64_t>(width - c.x), w) &&
                 r.Number("height", static_cast<std::uint64_t>(height - c.y), h) && r.Color(c.rgb) && r.End();
            if (ok && (0 == w || 0 == h)) ok = r.Bad("size", "0");
            c.width = static_cast<int>(w);
            c.height = static_cast<int>(h);
            if (ok) add(ScriptCommand::Kind::ExpectRect, now);
        } else if ("close" == name || "quit" == name) {
            ok = r.End();
            if (ok) add("close" == name ? ScriptCommand::Kind::Close : ScriptCommand::Kind::Quit, now);
        } else if ("hold" == name) {
            ok = r.Ms(ms) && r.End();
            c.ms = static_cast<DWORD>(ms);
            if (ok) add(ScriptCommand::Kind::Hold, now);
        } else {
            return fail("unknown command '" + name + "'");
        }
        if (!ok) return fail(r.error);
        if (now > kMaxScriptTime) return fail("the script runs too long");
        if (end == text.size()) break;
    }
    script.endTick = static_cast<DWORD>(now);
    return true;
}

}  // namespace wce::detail
