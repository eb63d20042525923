#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "temp_device.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

HANDLE Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The error of a call that must fail; ERROR_SUCCESS when it did not (an opened file is closed).
DWORD ErrorOf(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }
DWORD ErrorOf(HANDLE file)
{
    if (INVALID_HANDLE_VALUE == file) return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

std::string MapOrEmpty(LPCWSTR path)
{
    std::string host;
    DWORD error = 0;
    return wce::host::MapDevicePath(path, host, error) ? host : std::string();
}

DWORD MapError(LPCWSTR path)
{
    std::string host;
    DWORD error = 0;
    EXPECT_FALSE(wce::host::MapDevicePath(path, host, error));
    return error;
}

std::string ReadAll(HANDLE file)
{
    char buffer[256];
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    return std::string(buffer, got);
}

// The contents of a device file, or nothing when it does not open for reading.
std::optional<std::string> ReadPath(LPCWSTR path)
{
    HANDLE file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (INVALID_HANDLE_VALUE == file) return std::nullopt;
    std::string text = ReadAll(file);
    CloseHandle(file);
    return text;
}

int ShellOp(UINT function, LPCWSTR from, LPCWSTR to = nullptr)
{
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = function;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationW(&operation);
}

// The names a search finds, folders marked with a trailing "/".
std::set<std::string> Names(LPCWSTR pattern)
{
    std::set<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(WideToUtf8(data.cFileName) + (FILE_ATTRIBUTE_DIRECTORY == data.dwFileAttributes ? "/" : ""));
    while (FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    FindClose(search);
    return names;
}

struct Identity {
    DWORD volume = 0, high = 0, low = 0, links = 0;
    std::u16string finalPath;
    bool operator==(const Identity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool Identify(LPCWSTR path, DWORD flags, Identity& id)
{
    HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    WCHAR buffer[MAX_PATH];
    const bool ok = GetFileInformationByHandle(h, &info) && GetFinalPathNameByHandleW(h, buffer, MAX_PATH, 0) > 0;
    CloseHandle(h);
    id = Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nNumberOfLinks, buffer};
    return ok;
}

}  // namespace

TEST(DevicePath, ResolvesNamesAsTheDeviceDoes)
{
    TempDevice device;
    device.WriteHostFile("Residentflash2/app/KptMain.exe", "x");
    device.WriteHostFile("SDMMC/\xC3\x84rger.txt", "x");  // "Ärger.txt"
    device.WriteHostFile("twins/File", "1");
    device.WriteHostFile("twins/file", "2");

    EXPECT_EQ(MapOrEmpty(u"\\residentflash2\\APP\\kptmain.exe"), device.Host("Residentflash2/app/KptMain.exe"));
    EXPECT_EQ(MapOrEmpty(u"C:/RESIDENTFLASH2//app\\KPTMAIN.EXE"), device.Host("Residentflash2/app/KptMain.exe"));
    EXPECT_EQ(MapOrEmpty(u"\\sdmmc\\\u00e4RGER.txt"), device.Host("SDMMC/\xC3\x84rger.txt"));
    EXPECT_EQ(MapOrEmpty(u"\\twins\\file"), device.Host("twins/file"));  // the exact name wins
    EXPECT_EQ(MapOrEmpty(u"\\twins\\FILE"), device.Host("twins/File"));
    // Missing names are kept as written, for creation.
    EXPECT_EQ(MapOrEmpty(u"\\residentflash2\\app\\New\\x.TXT"), device.Host("Residentflash2/app/New/x.TXT"));
    // "." is skipped and ".." never climbs above the root.
    EXPECT_EQ(MapOrEmpty(u"\\a\\.\\..\\..\\..\\sdmmc"), device.Host("SDMMC"));
    EXPECT_EQ(MapOrEmpty(u"\\"), device.Root());

    EXPECT_EQ(MapError(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MapError(u""), ERROR_PATH_NOT_FOUND);
    std::u16string tooLong = u"\\" + std::u16string(MAX_PATH - 1, u'a');
    EXPECT_EQ(MapError(tooLong.c_str()), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(MapOrEmpty(tooLong.substr(0, MAX_PATH - 1).c_str()).empty());
    EXPECT_EQ(MapError(u"\\a\\*.txt"), ERROR_INVALID_NAME);
}

TEST(DevicePath, SymbolicLinksMustStayOnTheDevice)
{
    TempDevice device;
    const std::string outside = device.Outside();
    device.WriteHostFile("inside/f.txt", "in");
    device.Link(outside, "out");
    device.Link(outside + "/absent", "dangling");
    device.Link("inside", "alias");

    EXPECT_EQ(MapError(u"\\out"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(MapError(u"\\OUT\\new.txt"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ErrorOf(Open(u"\\out\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ErrorOf(Open(u"\\dangling", GENERIC_WRITE, 0, CREATE_ALWAYS)), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(fs::is_empty(outside));

    EXPECT_EQ(ReadPath(u"\\alias\\F.TXT"), "in");

    // Deleting the link removes the link, never what it points to.
    EXPECT_TRUE(DeleteFileW(u"\\out"));
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(fs::symlink_status(device.Host("out"))));
}

TEST(Files, CreateDispositionsAndTheirErrors)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/old.txt", "old data");
    device.MakeHostDir("SDMMC/folder");

    ASSERT_EQ(mkfifo(device.Host("SDMMC/fifo").c_str(), 0666), 0);
    const struct {
        LPCWSTR path;
        DWORD access, disposition, error;
    } refused[] = {
        {u"\\sdmmc\\none.txt", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {u"\\sdmmc\\no\\none.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {u"\\sdmmc\\old.txt\\x", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {u"\\sdmmc\\folder", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {u"\\sdmmc\\fifo", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},  // must not hang
        {u"\\sdmmc\\OLD.txt", GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
        {u"\\sdmmc\\old.txt", GENERIC_READ, 99, ERROR_INVALID_PARAMETER},
    };
    for (const auto& r : refused)
        EXPECT_EQ(ErrorOf(Open(r.path, r.access, 0, r.disposition)), r.error) << WideToUtf8(r.path);

    // Opening or replacing an existing file succeeds and says so.
    HANDLE file = Open(u"\\sdmmc\\old.txt", GENERIC_READ, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadAll(file), "old data");
    EXPECT_TRUE(CloseHandle(file));
    file = Open(u"\\sdmmc\\old.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    EXPECT_TRUE(CloseHandle(file));

    SetLastError(1234);
    EXPECT_EQ(ErrorOf(Open(u"\\sdmmc\\new.txt", GENERIC_WRITE, 0, OPEN_ALWAYS)), ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);  // a new file clears the last error

    EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\SDMMC\\FOLDER", nullptr)), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ErrorOf(CreateDirectoryW(u"\\SDMMC\\a\\b", nullptr)), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ErrorOf(RemoveDirectoryW(u"\\SDMMC")), ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(RemoveDirectoryW(u"\\"));
    EXPECT_TRUE(RemoveDirectoryW(u"\\sdmmc\\Folder"));
    EXPECT_EQ(ErrorOf(DeleteFileW(u"\\sdmmc\\gone")), ERROR_FILE_NOT_FOUND);
}

TEST(Files, ShareModesConflictInBothDirections)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/pkg.msk", "package");

    HANDLE reader = Open(u"\\SDMMC\\pkg.msk", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf(Open(u"\\sdmmc\\PKG.MSK", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)), ERROR_SUCCESS);

    // The earlier reader does not share writing ...
    HANDLE writer = Open(u"\\SDMMC\\pkg.msk", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    EXPECT_EQ(ErrorOf(writer), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(device.ReadHostFile("SDMMC/pkg.msk"), "package");  // nor was it truncated
    // ... and a later opener that shares nothing refuses the earlier reader.
    EXPECT_EQ(ErrorOf(Open(u"\\SDMMC\\pkg.msk", GENERIC_READ, 0, OPEN_EXISTING)), ERROR_SHARING_VIOLATION);
    // An open file can be neither deleted nor moved.
    EXPECT_EQ(ErrorOf(DeleteFileW(u"\\SDMMC\\pkg.msk")), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ErrorOf(MoveFileW(u"\\SDMMC\\pkg.msk", u"\\SDMMC\\moved.msk")), ERROR_SHARING_VIOLATION);
    // Copying a file onto itself must not truncate it.
    EXPECT_FALSE(CopyFileW(u"\\SDMMC\\pkg.msk", u"\\sdmmc\\pkg.msk", FALSE));
    EXPECT_EQ(device.ReadHostFile("SDMMC/pkg.msk"), "package");

    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_EQ(ErrorOf(Open(u"\\SDMMC\\pkg.msk", GENERIC_WRITE, 0, OPEN_EXISTING)), ERROR_SUCCESS);
}

TEST(Files, ReadWriteAndSeek)
{
    TempDevice device;
    HANDLE file = Open(u"\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);

    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[32] = {};
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));  // short read at the end
    EXPECT_EQ(std::string(buffer, done), "world");
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr) && 0 == done);

    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(file, -7, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 6u);  // unchanged by the failure
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 2, &high, FILE_BEGIN), 2u);  // 4 GiB + 2
    EXPECT_EQ(high, 1);
    high = -1;
    EXPECT_EQ(SetFilePointer(file, -2, &high, FILE_CURRENT), 0u);  // back by 2 with 64-bit arithmetic
    EXPECT_EQ(high, 1);
    EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
    EXPECT_TRUE(SetEndOfFile(file));
    DWORD sizeHigh = 7;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 5u);
    EXPECT_EQ(sizeHigh, 0u);
    CloseHandle(file);
    EXPECT_EQ(device.ReadHostFile("data.bin"), "hello");

    HANDLE reader = Open(u"\\data.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(ErrorOf(WriteFile(reader, "x", 1, &done, nullptr)), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SetEndOfFile(reader));
    CloseHandle(reader);
}

// Nulls, made-up handles and handles of the wrong kind (a search handle is no file handle, and
// the other way round) are refused with an error code, never dereferenced.
TEST(Files, BadHandlesAndParametersFail)
{
    TempDevice device;
    device.WriteHostFile("f.txt", "abc");
    HANDLE file = Open(u"\\f.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"\\*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    const HANDLE bogus = reinterpret_cast<HANDLE>(0x7777);
    char buffer[4];
    DWORD done = 0;
    for (HANDLE bad : {find, bogus, INVALID_HANDLE_VALUE, HANDLE{}}) {
        EXPECT_EQ(ErrorOf(ReadFile(bad, buffer, 1, &done, nullptr)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(ErrorOf(WriteFile(bad, buffer, 1, &done, nullptr)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(ErrorOf(SetEndOfFile(bad)), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(FlushFileBuffers(bad));
    }
    for (HANDLE bad : {file, bogus}) {
        EXPECT_EQ(ErrorOf(FindNextFileW(bad, &data)), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(FindClose(bad));
    }

    EXPECT_EQ(ErrorOf(ReadFile(file, buffer, 1, nullptr, nullptr)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ErrorOf(ReadFile(file, nullptr, 4, &done, nullptr)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(FindNextFileW(find, nullptr));
    EXPECT_EQ(ErrorOf(Open(nullptr, GENERIC_READ, 0, OPEN_EXISTING)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(CreateDirectoryW(nullptr, nullptr));
    EXPECT_FALSE(DeleteFileW(nullptr));
    EXPECT_EQ(FindFirstFileW(nullptr, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopyFileW(nullptr, u"\\x", FALSE));
    EXPECT_FALSE(MoveFileW(u"\\f.txt", nullptr));
    EXPECT_TRUE(FindClose(find));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
}

TEST(Files, WriteQuotaGivesDiskFullAfterAPartialWrite)
{
    TempDevice device;
    device.MakeHostDir("Residentflash2/app");
    device.MakeHostDir("SDMMC");
    wce::host::SetWriteQuota(u"\\Residentflash2", 10);

    HANDLE file = Open(u"\\residentflash2\\APP\\a.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "123456", 6, &done, nullptr));
    EXPECT_EQ(ErrorOf(WriteFile(file, "abcdef", 6, &done, nullptr)), ERROR_DISK_FULL);
    EXPECT_EQ(done, 4u);
    EXPECT_FALSE(WriteFile(file, "x", 1, &done, nullptr));
    EXPECT_EQ(done, 0u);
    CloseHandle(file);
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/a.bin"), "123456abcd");

    // Elsewhere on the device there is room; a copy into the full folder leaves nothing.
    device.WriteHostFile("SDMMC/big.bin", std::string(100, 'b'));
    EXPECT_EQ(ErrorOf(CopyFileW(u"\\SDMMC\\big.bin", u"\\Residentflash2\\big.bin", FALSE)), ERROR_DISK_FULL);
    EXPECT_FALSE(device.HostExists("Residentflash2/big.bin"));
    EXPECT_TRUE(CopyFileW(u"\\SDMMC\\big.bin", u"\\SDMMC\\copy.bin", FALSE));

    wce::host::SetWriteQuota(u"\\Residentflash2", -1);
    EXPECT_TRUE(CopyFileW(u"\\SDMMC\\big.bin", u"\\Residentflash2\\big.bin", FALSE));
    EXPECT_EQ(device.ReadHostFile("Residentflash2/big.bin"), std::string(100, 'b'));
}

TEST(Files, FindMatchesTheLastComponentIgnoringCase)
{
    TempDevice device;
    for (const char* name : {"a.txt", "B.TXT", "noext", "c.dat", "cc.dat"}) device.WriteHostFile(std::string("d/") + name, "12345");
    device.MakeHostDir("d/Sub");

    using Set = std::set<std::string>;
    EXPECT_EQ(Names(u"\\D\\*.*"), (Set{"B.TXT", "Sub/", "a.txt", "c.dat", "cc.dat", "noext"}));
    EXPECT_EQ(Names(u"\\d\\*"), Names(u"\\d\\*.*"));
    EXPECT_EQ(Names(u"\\d\\*.txt"), (Set{"B.TXT", "a.txt"}));
    EXPECT_EQ(Names(u"/d/?.DAT"), (Set{"c.dat"}));
    EXPECT_EQ(Names(u"\\d\\NOEXT"), (Set{"noext"}));
    EXPECT_EQ(Names(u"\\d\\c*t"), (Set{"c.dat", "cc.dat"}));
    EXPECT_EQ(Names(u"\\d\\s*"), (Set{"Sub/"}));

    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"\\d\\*.xyz", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(u"\\nowhere\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    HANDLE search = FindFirstFileW(u"\\d\\a.txt", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    FindClose(search);
}

TEST(Files, AttributesMoveAndCopy)
{
    TempDevice device;
    device.WriteHostFile("app/a.txt", "A");
    device.WriteHostFile("app/b.txt", "B");
    device.WriteHostFile("app/locked.txt", "L");
    chmod(device.Host("app/locked.txt").c_str(), 0444);

    EXPECT_EQ(GetFileAttributesW(u"\\APP"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(u"\\app\\A.TXT"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"\\app\\locked.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(u"\\app\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(u"\\none\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ErrorOf(Open(u"\\app\\locked.txt", GENERIC_WRITE, 0, OPEN_EXISTING)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ErrorOf(DeleteFileW(u"\\app\\locked.txt")), ERROR_ACCESS_DENIED);

    EXPECT_EQ(ErrorOf(MoveFileW(u"\\app\\a.txt", u"\\app\\B.txt")), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFileW(u"\\app\\a.txt", u"\\app\\c.txt"));
    EXPECT_EQ(device.ReadHostFile("app/c.txt"), "A");
    EXPECT_EQ(ErrorOf(MoveFileW(u"\\app\\a.txt", u"\\app\\d.txt")), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(ErrorOf(CopyFileW(u"\\app\\c.txt", u"\\app\\b.txt", TRUE)), ERROR_FILE_EXISTS);
    EXPECT_TRUE(CopyFileW(u"\\app\\c.txt", u"\\app\\b.txt", FALSE));
    EXPECT_EQ(device.ReadHostFile("app/b.txt"), "A");
    EXPECT_EQ(ErrorOf(CopyFileW(u"\\app", u"\\app2", FALSE)), ERROR_ACCESS_DENIED);
}

// Lookups are remembered (names, and descriptors of files closed after reading): whatever
// changes afterwards, through the platform or on the host behind its back, the next lookup
// answers as a first one would. Each row runs below a short and below a long folder.
TEST(DevicePath, RememberedLookupsFollowEveryChange)
{
    using Change = void (*)(TempDevice&, const std::string& dir, const std::u16string& device);
    const struct {
        const char* what;
        Change change;
        const char* host;          // what the device file maps to now, below dir; "" when refused
        std::optional<std::string> contents;
        DWORD below = ERROR_PATH_NOT_FOUND;  // attributes of a name below the file, or its error
    } rows[] = {
        {"unchanged", [](auto&, auto&, auto&) {}, "File.txt", "one"},
        {"deleted", [](auto&, auto&, auto& d) { DeleteFileW((d + u"\\file.txt").c_str()); }, "file.txt", std::nullopt},
        {"renamed and a new one made in another case", [](auto&, auto&, auto& d) {
             MoveFileW((d + u"\\file.txt").c_str(), (d + u"\\old.txt").c_str());
             CopyFileW((d + u"\\old.txt").c_str(), (d + u"\\FILE.TXT").c_str(), TRUE);
         }, "FILE.TXT", "one"},
        {"renamed on the host to another case",
         [](auto& t, auto& dir, auto&) { fs::rename(t.Host(dir + "/File.txt"), t.Host(dir + "/FILE.txt")); },
         "FILE.txt", "one"},
        {"a smaller case variant made on the host",
         [](auto& t, auto& dir, auto&) { t.WriteHostFile(dir + "/FILE.TXT", "two"); }, "FILE.TXT", "two"},
        {"replaced on the host by a new file", [](auto& t, auto& dir, auto&) {
             t.WriteHostFile(dir + "/new", "two");
             fs::rename(t.Host(dir + "/new"), t.Host(dir + "/File.txt"));
         }, "File.txt", "two"},
        {"rewritten on the host", [](auto& t, auto& dir, auto&) { t.WriteHostFile(dir + "/File.txt", "three"); },
         "File.txt", "three"},
        {"replaced on the host by a folder", [](auto& t, auto& dir, auto&) {
             fs::remove(t.Host(dir + "/File.txt"));
             t.WriteHostFile(dir + "/File.txt/below", "");
         }, "File.txt", std::nullopt, FILE_ATTRIBUTE_NORMAL},
        {"folder renamed on the host", [](auto& t, auto&, auto&) { fs::rename(t.Host("Dir"), t.Host("Moved")); },
         nullptr, std::nullopt},
        {"folder replaced on the host by a link leaving the device", [](auto& t, auto&, auto&) {
             fs::rename(t.Host("Dir"), t.Host("../" + fs::path(t.Root()).filename().string() + "-gone"));
             fs::create_directory_symlink(t.Root() + "-gone", t.Host("Dir"));
         }, "", std::nullopt, ERROR_ACCESS_DENIED},
    };
    const std::string longName(239, 'L');  // the name below the file makes 259 units
    for (const std::string& dir : {std::string("Dir"), "Dir/" + longName})
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.what) + (dir.size() > 3 ? ", long" : ""));
            TempDevice device;
            device.WriteHostFile(dir + "/File.txt", "one");
            std::u16string folder = u"\\" + Utf8ToWide(dir);
            for (auto& c : folder) c = c == u'/' ? u'\\' : WCharLower(c);
            const std::u16string file = folder + u"\\file.txt";
            const std::u16string below = file + u"\\below";
            ASSERT_LT(below.size(), static_cast<size_t>(MAX_PATH));
            for (int twice = 0; twice < 2; ++twice) {  // fills what is remembered
                EXPECT_EQ(MapOrEmpty(file.c_str()), device.Host(dir + "/File.txt"));
                EXPECT_EQ(ReadPath(file.c_str()), "one");
                EXPECT_EQ(GetFileAttributesW(below.c_str()), INVALID_FILE_ATTRIBUTES);
            }

            row.change(device, dir, folder);

            // Without its folder the path is kept as written.
            std::string asWritten = device.Root() + WideToUtf8(file);
            std::replace(asWritten.begin(), asWritten.end(), '\\', '/');
            const std::string expected = !row.host    ? asWritten
                                         : *row.host ? device.Host(dir + "/" + row.host)
                                                     : std::string();
            EXPECT_EQ(MapOrEmpty(file.c_str()), expected);
            EXPECT_EQ(ReadPath(file.c_str()), row.contents);
            const DWORD attributes = GetFileAttributesW(below.c_str());
            EXPECT_EQ(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : attributes, row.below);
            std::error_code ignored;
            fs::remove_all(device.Root() + "-gone", ignored);
        }
}

// Upper-case host names found ignoring case are remembered too; the name as written, made
// later on the host at any level, wins over them as it would on a first lookup.
TEST(DevicePath, RememberedUpperCaseNamesGiveWayToTheNameAsWritten)
{
    for (const char* written : {"DIR/file.txt", "dir/file.txt"}) {
        SCOPED_TRACE(written);
        TempDevice device;
        device.WriteHostFile("DIR/FILE.TXT", "one");
        EXPECT_EQ(ReadPath(u"\\dir\\file.txt"), "one");
        EXPECT_EQ(ReadPath(u"\\dir\\file.txt"), "one");  // now remembered
        device.WriteHostFile(written, "two");
        EXPECT_EQ(ReadPath(u"\\dir\\file.txt"), "two");
        EXPECT_EQ(MapOrEmpty(u"\\dir\\file.txt"), device.Host(written));
    }
}

// The shell's file operation: deletes by pattern, plain paths and lists, copies.
TEST(ShellFileOperation, DeleteByPatternEmptiesTheFolderAndKeepsIt)
{
    TempDevice device;
    device.WriteHostFile("Residentflash2/app/KptMain.exe", "exe");
    device.WriteHostFile("Residentflash2/app/noext", "x");
    device.WriteHostFile("Residentflash2/app/sub/deeper/c.txt", "c");
    device.WriteHostFile("Residentflash2/app/locked.dll", "l");
    chmod(device.Host("Residentflash2/app/locked.dll").c_str(), 0444);
    device.WriteHostFile("Residentflash2/keep/k.txt", "k");
    // A link inside the tree goes, what it points to stays.
    device.Link("../keep", "Residentflash2/app/link");

    EXPECT_EQ(ShellOp(FO_DELETE, u"\\RESIDENTFLASH2\\APP\\*.*\0"), 0);
    EXPECT_TRUE(fs::is_directory(device.Host("Residentflash2/app")));
    EXPECT_TRUE(fs::is_empty(device.Host("Residentflash2/app")));
    EXPECT_EQ(device.ReadHostFile("Residentflash2/keep/k.txt"), "k");

    // Nothing left to match is no failure; a missing folder is.
    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Residentflash2\\app\\*.*\0"), 0);
    EXPECT_NE(ShellOp(FO_DELETE, u"\\Residentflash2\\gone\\*.*\0"), 0);
}

TEST(ShellFileOperation, DeletePlainPathsAndLists)
{
    TempDevice device;
    device.WriteHostFile("tree/a/b/c.txt", "c");
    device.WriteHostFile("one.txt", "1");
    device.WriteHostFile("two.txt", "2");

    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Tree\0\\ONE.txt\0"), 0);
    EXPECT_FALSE(device.HostExists("tree"));
    EXPECT_FALSE(device.HostExists("one.txt"));
    EXPECT_TRUE(device.HostExists("two.txt"));
    EXPECT_NE(ShellOp(FO_DELETE, u"\\one.txt\0"), 0);

    // An open file survives and is reported.
    HANDLE open = CreateFileW(u"\\two.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(ShellOp(FO_DELETE, u"\\*.txt\0"), static_cast<int>(ERROR_SHARING_VIOLATION));
    CloseHandle(open);
    EXPECT_TRUE(device.HostExists("two.txt"));
}

TEST(ShellFileOperation, CopyOverwritesAndCreatesParents)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/FactoryConfig.xml", "<new/>");
    device.MakeHostDir("Residentflash2");

    EXPECT_EQ(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", u"\\Residentflash2\\app\\config\\FactoryConfig.xml\0"), 0);
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/FactoryConfig.xml"), "<new/>");

    device.WriteHostFile("SDMMC/FactoryConfig.xml", "<newer/>");
    EXPECT_EQ(ShellOp(FO_COPY, u"\\sdmmc\\factoryconfig.xml\0", u"\\residentflash2\\APP\\config\\FACTORYCONFIG.XML\0"), 0);
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/FactoryConfig.xml"), "<newer/>");

    EXPECT_EQ(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", u"\\Residentflash2\0"), 0);  // into the folder
    EXPECT_EQ(device.ReadHostFile("Residentflash2/FactoryConfig.xml"), "<newer/>");

    EXPECT_NE(ShellOp(FO_COPY, u"\\SDMMC\\missing.xml\0", u"\\Residentflash2\\x.xml\0"), 0);
    EXPECT_FALSE(device.HostExists("Residentflash2/x.xml"));
    EXPECT_NE(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", nullptr), 0);
}

TEST(ShellFileOperation, IsOrdinal14OfTheShellLibraryAndRefusesBadRequests)
{
    TempDevice device;
    HMODULE shell = LoadLibraryW(u"CeShell.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(reinterpret_cast<PFN_SHFileOperationW>(GetProcAddressW(shell, MAKEINTRESOURCEW(14))), &SHFileOperationW);
    FreeLibrary(shell);
    EXPECT_NE(SHFileOperationW(nullptr), 0);
    EXPECT_NE(ShellOp(FO_DELETE, nullptr), 0);
    EXPECT_NE(ShellOp(FO_DELETE, u"\0"), 0);
    EXPECT_NE(ShellOp(99, u"\\a\0"), 0);
}

// What a card formatted on a Linux host can hold and the device cannot: names it has no
// spelling for, and links. Listings hide the names, deletes remove them as what they are,
// and callers can compare the objects behind two paths.
TEST(HostNames, ListingShowsOnlyNamesTheDeviceCanSpellAndLinksThatStayOnIt)
{
    TempDevice device;
    const std::string outside = device.Outside();
    struct Entry {
        std::string name;
        bool shown;
    } entries[] = {
        {"plain.msk", true},       {"caf\xC3\xA9.msk", true}, {"\xEF\xBF\xBD.msk", true},  // a real U+FFFD
        {"..\\ResidentFlash\\y.msk", false}, {"\\", false},   {"\\\\", false},
        {"bad\xFF.msk", false},    {"\xC0\xAE.msk", false},   {"half\xE2\x82.msk", false},
        {"a<b.msk", false},        {"a:b.msk", false},        {"a|b", false},  {"a\"b", false},
        {"a?b", false},            {"a*b", false},            {"tab\t.msk", false},
    };
    for (const Entry& e : entries) device.WriteHostFile("SDMMC/" + e.name, "x");
    device.WriteHostFile("ResidentFlash/y.msk", "y");
    device.Link("../ResidentFlash", "SDMMC/inside");
    device.Link(outside, "SDMMC/outside");
    device.Link("nowhere", "SDMMC/dangling");
    device.Link("inside2", "SDMMC/inside2");  // a loop of one

    std::set<std::string> expected = {"inside/"};
    for (const Entry& e : entries)
        if (e.shown) expected.insert(e.name);
    EXPECT_EQ(Names(u"\\SDMMC\\*.*"), expected);
    // The case-blind lookup finds no name without spelling, so two bad names are not one.
    for (LPCWSTR path : {u"\\SDMMC\\bad\xFFFD.msk", u"\\SDMMC\\BAD\xFFFD.MSK", u"\\SDMMC\\\xFFFD.MSK"}) {
        SCOPED_TRACE(WideToUtf8(path));
        const bool realName = path[7] == u'\xFFFD';
        EXPECT_EQ(GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES, realName);
    }
}

TEST(HostNames, DeleteRemovesHiddenEntriesAsWhatTheyAreAndNeverLeavesTheFolder)
{
    TempDevice device;
    const fs::path outside = device.Outside();
    device.WriteHostFile("registry.reg", "REGEDIT4\n");
    device.WriteHostFile("SDMMC/gpsApp.msk", "package");
    device.WriteHostFile("Residentflash2/keep.txt", "keep");
    fs::create_directories(outside / "data");
    std::ofstream(outside / "data/o.txt") << "o";
    const std::string app = "Residentflash2/app/";
    const char* hidden[] = {"..\\..\\SDMMC", "..\\..", "x\xFF", "q?", "deep\\"};
    for (const char* name : hidden) device.WriteHostFile(app + name + "/f.txt", "f");  // folders
    device.WriteHostFile(app + "..\\..\\registry.reg", "file");
    device.WriteHostFile(app + "deep\\/a\\b/c\xFF/d.txt", "d");
    device.Link("../../SDMMC", app + "card");                   // listed: removed as a link
    device.Link(outside.string(), app + "out");                 // hidden: off the device
    device.Link(outside.string() + "/data", app + "..\\data");  // hidden twice
    device.Link("gone", app + "stale");
    device.Link("../../SDMMC", app + "sub\xFF");
    device.WriteHostFile(app + "NaviMain.exe", "old");

    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Residentflash2\\app\\*.*\0"), 0);
    EXPECT_TRUE(fs::is_empty(device.Host(app)));
    EXPECT_EQ(device.ReadHostFile("SDMMC/gpsApp.msk"), "package");
    EXPECT_EQ(device.ReadHostFile("registry.reg"), "REGEDIT4\n");
    EXPECT_EQ(device.ReadHostFile("Residentflash2/keep.txt"), "keep");
    EXPECT_TRUE(fs::exists(outside / "data/o.txt"));
    // A folder holding only hidden names goes as a whole.
    device.WriteHostFile("Residentflash2/app/sub/x\xFF/y", "y");
    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Residentflash2\\app\\sub\0"), 0);
    EXPECT_FALSE(device.HostExists("Residentflash2/app/sub"));
}

TEST(HostObjects, NoFollowOpensRefuseALinkAsTheLastName)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/real.log", "r");
    device.WriteHostFile("registry.reg", "REGEDIT4\n");
    device.Link("../registry.reg", "SDMMC/link.log");
    device.Link("/etc/passwd", "SDMMC/out.log");
    device.Link("missing", "SDMMC/dangling.log");
    struct Case {
        const char* name;
        DWORD access, disposition;
    } cases[] = {
        {"read existing", GENERIC_READ, OPEN_EXISTING},
        {"write always", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS},
        {"create always", GENERIC_WRITE, CREATE_ALWAYS},
        {"truncate", GENERIC_WRITE, TRUNCATE_EXISTING},
    };
    for (const Case& c : cases) {
        for (LPCWSTR link : {u"\\SDMMC\\link.log", u"\\SDMMC\\out.log", u"\\SDMMC\\dangling.log"}) {
            SCOPED_TRACE(std::string(c.name) + " " + WideToUtf8(link));
            SetLastError(0);
            EXPECT_EQ(CreateFileW(link, c.access, 0, nullptr, c.disposition, FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                      INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), DWORD{ERROR_CANT_RESOLVE_FILENAME});
        }
        HANDLE h = CreateFileW(u"\\SDMMC\\real.log", c.access, 0, nullptr, c.disposition, FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << c.name;
        CloseHandle(h);
    }
    EXPECT_EQ(device.ReadHostFile("registry.reg"), "REGEDIT4\n");
}

TEST(HostObjects, PathsThroughLinksNameOneObjectAndItsFinalPath)
{
    TempDevice device;
    device.WriteHostFile("Residentflash2/app/keep.msk", "k");
    device.WriteHostFile("SDMMC/other.msk", "o");
    device.Link("../Residentflash2/app/keep.msk", "SDMMC/gpsApp.msk");
    device.Link("../Residentflash2/app", "SDMMC/upd");
    ASSERT_EQ(link(device.Host("SDMMC/other.msk").c_str(), device.Host("SDMMC/hard.msk").c_str()), 0);
    struct Case {
        LPCWSTR a, b;
        DWORD flags;
        bool same;
        const char16_t* finalA;
    } cases[] = {
        {u"\\SDMMC\\gpsApp.msk", u"\\Residentflash2\\APP\\keep.msk", 0, true, u"\\Residentflash2\\app\\keep.msk"},
        {u"\\SDMMC\\upd\\keep.msk", u"\\SDMMC\\gpsApp.msk", 0, true, u"\\Residentflash2\\app\\keep.msk"},
        {u"\\SDMMC\\upd", u"\\Residentflash2\\app", FILE_FLAG_BACKUP_SEMANTICS, true, u"\\Residentflash2\\app"},
        {u"\\SDMMC\\hard.msk", u"\\SDMMC\\other.msk", 0, true, u"\\SDMMC\\hard.msk"},
        {u"\\SDMMC", u"\\Residentflash2\\app", FILE_FLAG_BACKUP_SEMANTICS, false, u"\\SDMMC"},
        {u"\\SDMMC\\other.msk", u"\\Residentflash2\\app\\keep.msk", 0, false, u"\\SDMMC\\other.msk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.a) + " / " + WideToUtf8(c.b));
        Identity a, b;
        ASSERT_TRUE(Identify(c.a, c.flags, a));
        ASSERT_TRUE(Identify(c.b, c.flags, b));
        EXPECT_EQ(a == b, c.same);
        EXPECT_EQ(a.finalPath, c.finalA);
    }
    Identity hard;
    ASSERT_TRUE(Identify(u"\\SDMMC\\hard.msk", 0, hard));
    EXPECT_EQ(hard.links, 2u);
    // A folder opens only with the flag, and its handle reads nothing.
    EXPECT_EQ(CreateFileW(u"\\SDMMC", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    HANDLE folder = CreateFileW(u"\\SDMMC", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(folder, INVALID_HANDLE_VALUE);
    char byte;
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(folder, &byte, 1, &got, nullptr));
    WCHAR small[4];
    EXPECT_EQ(GetFinalPathNameByHandleW(folder, small, 4, 0), 7u);  // "\SDMMC" and its terminator
    CloseHandle(folder);
}
