#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "temp_device.h"
#include "wce/host.h"
#include "wce/registry.h"

namespace {

std::vector<BYTE> StringBytes(const std::u16string& text)
{
    std::vector<BYTE> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

HKEY Create(HKEY parent, LPCWSTR path)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    return key;
}

LONG Open(HKEY parent, LPCWSTR path, HKEY& key) { return RegOpenKeyExW(parent, path, 0, 0x2001F, &key); }

LONG Set(HKEY key, LPCWSTR name, DWORD type, const std::vector<BYTE>& bytes)
{
    return RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

LONG SetString(HKEY key, LPCWSTR name, const std::u16string& text, DWORD type = REG_SZ)
{
    return Set(key, name, type, StringBytes(text));
}

// A value's type and bytes; the type is kFailed when the query fails.
using Value = std::pair<DWORD, std::vector<BYTE>>;
constexpr DWORD kFailed = 0xFFFFFFFF;
Value Query(HKEY key, LPCWSTR name)
{
    Value value{REG_NONE, {}};
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.first, nullptr, &size) != ERROR_SUCCESS) return {kFailed, {}};
    value.second.resize(size);
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &value.first, value.second.data(), &size), ERROR_SUCCESS);
    return value;
}

// Makes the next registry call read the file again.
void ReloadFrom(const TempDevice& device)
{
    {
        TempDevice elsewhere;
        HKEY key = nullptr;
        EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"OEM", key), ERROR_FILE_NOT_FOUND);
    }
    wce::host::SetDeviceRoot(device.Root());
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(Registry, RoundTripsEveryKindOfValueThroughTheFile)
{
    TempDevice device;
    HKEY oem = Create(HKEY_LOCAL_MACHINE, u"OEM");
    std::vector<BYTE> blob(100);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
    const struct {
        LPCWSTR name;  // null: the key's default value
        DWORD type;
        std::vector<BYTE> bytes;
        const char* line;  // in the file
    } values[] = {
        {u"APP", REG_SZ, StringBytes(u"\\residentflash2\\app\\kptmain.exe"),
         "\n\"APP\"=\"\\\\residentflash2\\\\app\\\\kptmain.exe\"\n"},
        {u"Count", REG_DWORD, {0x0A, 0, 0, 0}, "\n\"Count\"=dword:0000000a\n"},
        {u"Path", REG_EXPAND_SZ, StringBytes(u"%ROOT%\\x"), "\n\"Path\"=hex(2):25,00,52,00,"},
        {u"Blob", REG_BINARY, blob, "\n\"Blob\"=hex:00,07,0e,"},
        {nullptr, REG_SZ, StringBytes(u"say \"hi\" \u00e4\u20ac\U0001F600"),
         "\n@=\"say \\\"hi\\\" \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\"\n"},
        {u"Raw", REG_SZ, {'a', 0, 'b'}, "\n\"Raw\"=hex(1):61,00,62\n"},  // not a clean string: kept as bytes
        {u"@", REG_NONE, {}, "\n\"@\"=hex(0):\n"},
    };
    for (const auto& v : values) ASSERT_EQ(Set(oem, v.name, v.type, v.bytes), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, u"OEM\\ShellEx")), ERROR_SUCCESS);

    const std::string text = device.ReadHostFile("registry.reg");
    EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n", 0), 0u) << text;
    for (const auto& v : values) EXPECT_TRUE(Contains(text, v.line)) << v.line << "\n" << text;
    EXPECT_TRUE(Contains(text, ",\\\n  ")) << text;  // long lists continue on the next line
    EXPECT_TRUE(Contains(text, "\n[HKEY_CURRENT_USER\\OEM\\ShellEx]\n")) << text;

    ReloadFrom(device);
    EXPECT_EQ(RegQueryValueExW(oem, u"APP", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(oem), ERROR_SUCCESS);
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"OEM", oem), ERROR_SUCCESS);
    for (const auto& v : values) EXPECT_EQ(Query(oem, v.name ? v.name : u""), Value(v.type, v.bytes)) << v.line;
    HKEY shellEx = nullptr;
    EXPECT_EQ(Open(HKEY_CURRENT_USER, u"OEM\\ShellEx", shellEx), ERROR_SUCCESS);

    // Writing the same data again gives the same file: the format is stable.
    ASSERT_EQ(Set(oem, u"Count", REG_DWORD, {0x0A, 0, 0, 0}), ERROR_SUCCESS);
    EXPECT_EQ(device.ReadHostFile("registry.reg"), text);
    RegCloseKey(oem);
    RegCloseKey(shellEx);
}

TEST(Registry, ReadsAHandWrittenFile)
{
    TempDevice device;
    const std::string text =
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "; edited by hand\r\n"
        "\r\n"
        "[hklm\\oem]\r\n"
        "\"App\" = \"c:\\\\x \\\"y\\\"\"\r\n"
        "@=dword:1\r\n"
        "\"Bytes\"=hex:01, 2,\\\r\n"
        "    FF\r\n"
        "\"Multi\"=hex(7):41,00,00,00,00,00\n"
        "[HKCU\\OEM\\ShellEx]\n"
        "\"gone\"=\"x\"\n"
        "\"gone\"=-\n"
        "[HKCU\\Temp\\Sub]\n"
        "[-HKEY_CURRENT_USER\\TEMP]\n";
    device.WriteHostFile("registry.reg", text);

    HKEY oem = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"OEM", oem), ERROR_SUCCESS);
    EXPECT_EQ(Query(oem, u"APP"), Value(REG_SZ, StringBytes(u"c:\\x \"y\"")));
    EXPECT_EQ(Query(oem, nullptr), Value(REG_DWORD, {1, 0, 0, 0}));
    EXPECT_EQ(Query(oem, u"Bytes"), Value(REG_BINARY, {1, 2, 0xFF}));
    EXPECT_EQ(Query(oem, u"Multi"), Value(REG_MULTI_SZ, {0x41, 0, 0, 0, 0, 0}));
    HKEY key = nullptr;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, u"OEM\\ShellEx", key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, u"gone", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Temp", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(device.ReadHostFile("registry.reg"), text);  // reading never rewrites
    RegCloseKey(oem);
}

TEST(Registry, NamesMatchWithoutCaseAndKeepTheirFirstSpelling)
{
    TempDevice device;
    HKEY first = Create(HKEY_CURRENT_USER, u"Oem\\ShellEx\\\u00c4rger");
    HKEY second = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"OEM\\SHELLEX\\\u00e4RGER\\", 0, nullptr, 0, 0, nullptr, &second,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(SetString(first, u"Value", u"1"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(second, u"VALUE", u"2"), ERROR_SUCCESS);
    EXPECT_EQ(Query(first, u"value"), Value(REG_SZ, StringBytes(u"2")));

    const std::string text = device.ReadHostFile("registry.reg");
    EXPECT_TRUE(Contains(text, "[HKEY_CURRENT_USER\\Oem\\ShellEx\\\xC3\x84rger]\n\"Value\"=\"2\"\n")) << text;
    EXPECT_FALSE(Contains(text, "VALUE")) << text;
    RegCloseKey(first);
    RegCloseKey(second);
}

TEST(Registry, DeletingAKeyRemovesEverythingBelowIt)
{
    TempDevice device;
    HKEY deep = Create(HKEY_CURRENT_USER, u"OEM\\ShellEx\\Deep");
    ASSERT_EQ(SetString(deep, u"v", u"1"), ERROR_SUCCESS);
    HKEY oem = Create(HKEY_CURRENT_USER, u"OEM");

    EXPECT_EQ(RegDeleteKeyW(oem, u"SHELLEX"), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(Open(HKEY_CURRENT_USER, u"OEM\\ShellEx", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(HKEY_CURRENT_USER, u"OEM", key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(device.ReadHostFile("registry.reg"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\OEM]\n\n");

    // The open handle below the deleted key refuses every use but closing.
    EXPECT_EQ(RegQueryValueExW(deep, u"v", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(deep, u"v", u"2"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKeyExW(deep, u"x", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(deep), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(oem, u"ShellEx"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(oem, u""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"OEM"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(oem, u"v", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(oem);
}

TEST(Registry, MalformedFileIsReportedAndLeftAlone)
{
    struct Case {
        const char* text;
        int line;
        const char* what;
    };
    const Case cases[] = {
        {"[HKLM\\OEM]\n", 1, "REGEDIT4"},
        {"", 1, "empty"},
        {"REGEDIT4\n\n\"a\"=\"b\"\n", 3, "[key]"},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=\"c:\\x\"\n", 3, "escape"},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=\"open\n", 3, "closing quote"},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=hex:01,\\\n  zz\n", 4, "\"zz\""},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=hex:01,\\\n", 3, "end of the file"},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=dword:123456789\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_NOWHERE\\OEM]\n", 2, "HKEY_NOWHERE"},
        {"REGEDIT4\n[HKLM\\\\OEM]\n", 2, "empty key name"},
        {"REGEDIT4\n[HKLM\\OEM]\n\"a\"=\"\xFF\"\n", 3, "UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TempDevice device;
        device.WriteHostFile("registry.reg", c.text);
        testing::internal::CaptureStderr();
        HKEY key = nullptr;
        EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"OEM", key), ERROR_BADDB);
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"New", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_BADDB);
        EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, u"a", u"b"), ERROR_BADDB);
        EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"OEM"), ERROR_BADDB);
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Contains(report, device.Host("registry.reg") + ":" + std::to_string(c.line) + ": ")) << report;
        EXPECT_TRUE(Contains(report, c.what)) << report;
        EXPECT_EQ(device.ReadHostFile("registry.reg"), c.text);
    }
}

TEST(Registry, RewritesAtomicallyAndKeepsNoChangeItCouldNotWrite)
{
    TempDevice device;
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"OEM\\A");
    for (int i = 0; i < 5; ++i) ASSERT_EQ(Set(key, u"n", REG_DWORD, {static_cast<BYTE>(i), 0, 0, 0}), ERROR_SUCCESS);
    RegCloseKey(key);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(device.Root()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"registry.reg"});

    // A device root that does not exist cannot take the file: the change is refused.
    wce::host::SetDeviceRoot(device.Host("missing"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"OEM", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_CANTWRITE);
    EXPECT_EQ(SetString(HKEY_LOCAL_MACHINE, u"a", u"b"), ERROR_CANTWRITE);
    EXPECT_TRUE(Contains(testing::internal::GetCapturedStderr(), "cannot save the registry"));
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"OEM", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(HKEY_LOCAL_MACHINE, u"a", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, RefusesShortBuffersBadHandlesAndParameters)
{
    TempDevice device;
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"OEM");
    ASSERT_EQ(SetString(key, u"APP", u"abc"), ERROR_SUCCESS);
    BYTE buffer[16] = {};
    DWORD size = 7;
    EXPECT_EQ(RegQueryValueExW(key, u"APP", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(RegQueryValueExW(key, u"APP", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key, u"other", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetString(key, u"line\nbreak", u"x"), ERROR_INVALID_PARAMETER);  // the file could not hold it
    EXPECT_EQ(RegDeleteValueW(key, u"app"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, u"APP"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Contains(device.ReadHostFile("registry.reg"), "APP"));
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(key, u"a", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);

    for (HKEY handle : {HKEY(nullptr), reinterpret_cast<HKEY>(std::uintptr_t{0x80000003u}),  // no such root
                        reinterpret_cast<HKEY>(std::uintptr_t{0x7777})}) {
        EXPECT_EQ(Open(handle, u"OEM", key), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetString(handle, u"a", u"b"), ERROR_INVALID_HANDLE);
    }
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"OEM", 0, 0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"\\OEM", key), ERROR_INVALID_PARAMETER);
    key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"A\\\\B", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}
