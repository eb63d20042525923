#include "registry_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_faults.h"
#include "wce/registry.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

const char* const kRootNames[kRegRootCount] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"};
const char* const kRootShortNames[kRegRootCount] = {"HKLM", "HKCU", "HKCR"};
const char kHeader[] = "REGEDIT4";
constexpr size_t kHexLineWidth = 76;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

// 1 to maxDigits hexadecimal digits and nothing else.
bool ParseHexNumber(std::string_view digits, size_t maxDigits, DWORD& value)
{
    if (digits.empty() || digits.size() > maxDigits) return false;
    value = 0;
    for (char c : digits) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return false;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return true;
}

// Offset of the first byte that is not valid UTF-8 or is a control character other than
// tab and line ends; npos when the text is clean.
size_t FindBadByte(const std::string& text)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            bool lineEnd = c == '\n' || (c == '\r' && i + 1 < n && text[i + 1] == '\n');
            if (c < 0x20 && c != '\t' && !lineEnd) return i;
            ++i;
            continue;
        }
        size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (len == 0 || n - i < len) return i;
        DWORD cp = c & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return i;
        i += len;
    }
    return std::string::npos;
}

class RegParser {
public:
    RegParser(const std::string& text, RegTree& tree, RegParseError& error) : m_text(text), m_tree(tree), m_error(error) {}

    bool Run()
    {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
        std::string_view line;
        do {
            if (!NextLine(line)) return Fail("the file is empty; its first line must be \"REGEDIT4\"");
        } while (line.empty());
        if (line != kHeader) return Fail("the first line must be \"REGEDIT4\"");
        while (NextLine(line)) {
            if (line.empty() || line[0] == ';') continue;
            bool ok = line[0] == '[' ? ParseKeyLine(line)
                      : line[0] == '"' || line[0] == '@'
                          ? ParseValueLine(line)
                          : Fail("expected a [key] line, a \"value\"= line, a ; comment or a blank line");
            if (!ok) return false;
        }
        return true;
    }

private:
    // The next line without surrounding blanks; false at the end of the text.
    bool NextLine(std::string_view& line)
    {
        if (m_pos >= m_text.size()) return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        line = Trim(m_text.substr(m_pos, end - m_pos));
        m_pos = end + 1;
        ++m_line;
        return true;
    }

    bool Fail(std::string message)
    {
        m_error.line = m_line ? m_line : 1;  // an empty file is wrong on its first line
        m_error.message = std::move(message);
        return false;
    }

    bool ParseKeyLine(std::string_view line)
    {
        if (line.back() != ']' || line.size() < 2) return Fail("a key line must end with ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        bool remove = !path.empty() && path[0] == '-';
        if (remove) path.remove_prefix(1);

        std::vector<std::u16string> names;
        int root = -1;
        for (size_t start = 0;;) {
            size_t end = path.find('\\', start);
            std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
            if (part.empty()) return Fail("empty key name in \"" + std::string(path) + "\"");
            if (root < 0) {
                for (int r = 0; r < kRegRootCount; ++r)
                    if (EqualsNoCase(part, kRootNames[r]) || EqualsNoCase(part, kRootShortNames[r])) root = r;
                if (root < 0)
                    return Fail("unknown root key \"" + std::string(part) +
                                "\"; expected HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT");
            } else {
                names.push_back(Utf8ToWide(std::string(part)));
            }
            if (end == std::string_view::npos) break;
            start = end + 1;
        }

        RegKeyNode* key = m_tree.roots[root].get();
        if (remove && names.empty()) return Fail("a root key cannot be deleted");
        size_t walk = remove ? names.size() - 1 : names.size();
        for (size_t i = 0; i < walk && key; ++i) {
            int found = FindRegChild(*key, names[i].c_str());
            if (found >= 0) {
                key = key->children[found].get();
            } else if (remove) {
                key = nullptr;
            } else {
                key->children.push_back(std::make_shared<RegKeyNode>());
                key = key->children.back().get();
                key->name = names[i];
            }
        }
        if (remove) {
            int found = key ? FindRegChild(*key, names.back().c_str()) : -1;
            if (found >= 0) key->children.erase(key->children.begin() + found);
            key = nullptr;
        }
        m_key = key;
        return true;
    }

    bool ParseValueLine(std::string_view line)
    {
        if (!m_key) return Fail("a value line must follow a [key] line");
        RegValue value;
        if (line[0] == '@') {
            line.remove_prefix(1);
        } else {
            std::string name;
            if (!ReadQuoted(line, name)) return false;
            value.name = Utf8ToWide(name);
        }
        line = Trim(line);
        if (line.empty() || line[0] != '=') return Fail("expected '=' after the value name");
        line = Trim(line.substr(1));

        int existing = FindRegValue(*m_key, value.name.c_str());
        if (line == "-") {
            if (existing >= 0) m_key->values.erase(m_key->values.begin() + existing);
            return true;
        }
        if (!ParseData(line, value)) return false;
        if (existing >= 0) {
            m_key->values[existing].type = value.type;
            m_key->values[existing].data = std::move(value.data);
        } else {
            m_key->values.push_back(std::move(value));
        }
        return true;
    }

    // Reads a quoted string at the start of s, with \\ and \" escapes, and moves s past it.
    bool ReadQuoted(std::string_view& s, std::string& text)
    {
        for (size_t i = 1; i < s.size(); ++i) {
            if (s[i] == '"') {
                s.remove_prefix(i + 1);
                return true;
            }
            if (s[i] == '\\') {
                if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                    return Fail("unknown escape in a string; write a backslash as \\\\ and a quote as \\\"");
                ++i;
            }
            text += s[i];
        }
        return Fail("the string has no closing quote");
    }

    bool ParseData(std::string_view s, RegValue& value)
    {
        if (s.empty()) return Fail("the value has no data after '='");
        if (s[0] == '"') {
            std::string text;
            if (!ReadQuoted(s, text)) return false;
            if (!Trim(s).empty()) return Fail("unexpected text after the closing quote");
            std::u16string wide = Utf8ToWide(text);
            value.type = REG_SZ;
            for (char16_t c : wide) {
                value.data.push_back(static_cast<BYTE>(c & 0xFF));
                value.data.push_back(static_cast<BYTE>(c >> 8));
            }
            value.data.insert(value.data.end(), 2, 0);
            return true;
        }
        if (StartsWithNoCase(s, "dword:")) {
            DWORD number = 0;
            if (!ParseHexNumber(s.substr(6), 8, number)) return Fail("dword: needs 1 to 8 hexadecimal digits");
            value.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<BYTE>(number >> shift));
            return true;
        }
        if (StartsWithNoCase(s, "hex:")) {
            value.type = REG_BINARY;
            return ParseHexList(s.substr(4), value.data);
        }
        if (StartsWithNoCase(s, "hex(")) {
            size_t close = s.find(')');
            if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != ':' ||
                !ParseHexNumber(s.substr(4, close - 4), 8, value.type))
                return Fail("hex(n): needs a hexadecimal type number n");
            return ParseHexList(s.substr(close + 2), value.data);
        }
        return Fail("unknown value data; expected \"text\", dword:, hex: or hex(n):");
    }

    // Comma-separated bytes; a line ending in '\' continues on the next line.
    bool ParseHexList(std::string_view first, std::vector<BYTE>& bytes)
    {
        std::string all(Trim(first));
        while (!all.empty() && all.back() == '\\') {
            all.pop_back();
            std::string_view next;
            if (!NextLine(next)) return Fail("the hex list goes on past the end of the file");
            all += next;
        }
        std::string_view list = Trim(all);
        if (list.empty()) return true;
        for (size_t start = 0;;) {
            size_t comma = list.find(',', start);
            std::string_view item = Trim(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
            DWORD byte = 0;
            if (!ParseHexNumber(item, 2, byte))
                return Fail("bad byte \"" + std::string(item) + "\" in a hex list; expected two hexadecimal digits");
            bytes.push_back(static_cast<BYTE>(byte));
            if (comma == std::string_view::npos) return true;
            start = comma + 1;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_line = 0;
    RegTree& m_tree;
    RegParseError& m_error;
    RegKeyNode* m_key = nullptr;
};

void AppendQuoted(std::string& out, const std::u16string& text)
{
    out += '"';
    for (char c : WideToUtf8(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// REG_SZ data that reads back bit for bit from a quoted string: one terminating zero at the
// end and nothing the file cannot hold.
bool AsPlainString(const std::vector<BYTE>& data, std::u16string& text)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 2] != 0 || data.back() != 0) return false;
    text.clear();
    for (size_t i = 0; i + 2 < data.size(); i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return IsStorableRegName(text);
}

void AppendValue(std::string& out, const RegValue& value)
{
    size_t lineStart = out.size();
    if (value.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, value.name);
    }
    out += '=';
    std::u16string text;
    if (value.type == REG_SZ && AsPlainString(value.data, text)) {
        AppendQuoted(out, text);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                      value.data[0]);
        out += number;
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, value.type == REG_BINARY ? "hex:" : "hex(%x):", static_cast<unsigned>(value.type));
        out += prefix;
        size_t column = out.size() - lineStart;
        for (size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                out += ',';
                if (++column > kHexLineWidth) {
                    out += "\\\n  ";
                    column = 2;
                }
            }
            char byte[4];
            std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
            out += byte;
            column += 2;
        }
    }
    out += '\n';
}

// Every key gets its own section, so that empty keys survive; a root only when it has values.
void AppendKey(std::string& out, const RegKeyNode& key, const std::string& path, bool isRoot)
{
    if (!isRoot || !key.values.empty()) {
        out += '[' + path + "]\n";
        for (const RegValue& value : key.values) AppendValue(out, value);
        out += '\n';
    }
    for (const RegKeyPtr& child : key.children) AppendKey(out, *child, path + '\\' + WideToUtf8(child->name), false);
}

}  // namespace

RegTree::RegTree()
{
    for (RegKeyPtr& root : roots) root = std::make_shared<RegKeyNode>();
}

int FindRegChild(const RegKeyNode& key, LPCWSTR name)
{
    for (size_t i = 0; i < key.children.size(); ++i)
        if (WStrICmp(key.children[i]->name.c_str(), name) == 0) return static_cast<int>(i);
    return -1;
}

int FindRegValue(const RegKeyNode& key, LPCWSTR name)
{
    for (size_t i = 0; i < key.values.size(); ++i)
        if (WStrICmp(key.values[i].name.c_str(), name) == 0) return static_cast<int>(i);
    return -1;
}

void MarkRegDeleted(RegKeyNode& key)
{
    key.deleted = true;
    for (RegKeyPtr& child : key.children) MarkRegDeleted(*child);
}

bool IsStorableRegName(const std::u16string& name)
{
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c < 0x20 && c != '\t') return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

bool ParseRegFile(const std::string& text, RegTree& tree, RegParseError& error)
{
    size_t bad = FindBadByte(text);
    if (bad != std::string::npos) {
        error.line = 1;
        for (size_t i = 0; i < bad; ++i) error.line += text[i] == '\n';
        error.message = "invalid UTF-8 or a control character";
        return false;
    }
    return RegParser(text, tree, error).Run();
}

std::string FormatRegFile(const RegTree& tree)
{
    std::string out = std::string(kHeader) + "\n\n";
    for (int r = 0; r < kRegRootCount; ++r) AppendKey(out, *tree.roots[r], kRootNames[r], true);
    return out;
}

HostFileRead ReadWholeHostFile(const std::string& path, std::string& bytes, std::string& error)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return HostFileRead::kMissing;
        error = std::strerror(errno);
        return HostFileRead::kFailed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        close(fd);
        return HostFileRead::kFailed;
    }
    bytes.clear();
    char buffer[8192];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = std::strerror(errno);
            close(fd);
            return HostFileRead::kFailed;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return HostFileRead::kOk;
}

bool ReplaceHostFile(const std::string& path, const std::string& bytes, std::string& error)
{
    std::string temp = path + ".XXXXXX";
    int fd = -1;
    if (const int fault = FileFault(wce::test::kFileCreate))
        errno = fault;
    else
        fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::string("cannot create a temporary file: ") + std::strerror(errno);
        return false;
    }
    // Keep the permissions of the file being replaced; mkstemp's 0600 would hide it.
    struct stat old {};
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const char* p = bytes.data();
    size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const int fault = CheckFileFault(wce::test::kFileWrite);
        if (fault == kFaultEndsProcess) {
            [[maybe_unused]] const ssize_t half = write(fd, p, left / 2);
            EndProcessForFault();
        }
        errno = fault;
        ssize_t put = fault ? -1 : write(fd, p, left);
        if (put < 0 && errno == EINTR) continue;
        if (put == 0) errno = EIO;
        ok = put > 0;
        if (ok) {
            p += put;
            left -= static_cast<size_t>(put);
        }
    }
    const int flushFault = ok ? FileFault(wce::test::kFileFlush) : 0;
    if (flushFault) errno = flushFault;
    if (!ok || flushFault || fsync(fd) != 0) {
        error = std::string("cannot write ") + temp + ": " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    const int closed = close(fd);
    const int renameFault = closed == 0 ? FileFault(wce::test::kFileRename) : 0;
    if (renameFault) errno = renameFault;
    if (closed != 0 || renameFault || rename(temp.c_str(), path.c_str()) != 0) {
        error = std::string("cannot replace the file: ") + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    // The rename itself lives in the folder; flush it too.
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace wce::detail
