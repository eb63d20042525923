// What a card formatted on a Linux host can hold and the device cannot: names it has no
// spelling for, and links. Listings hide the names, deletes remove them as what they are,
// and callers can compare the objects behind two paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "temp_device.h"
#include "wce/files.h"
#include "wce/process.h"
#include "wce/wstring.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> List(LPCWSTR pattern)
{
    std::set<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(WideToUtf8(data.cFileName));
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void Link(const TempDevice& device, const std::string& target, const std::string& relative)
{
    ASSERT_EQ(symlink(target.c_str(), device.Host(relative).c_str()), 0) << relative;
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

TEST(HostNames, ListingShowsOnlyNamesTheDeviceCanSpellAndLinksThatStayOnIt)
{
    TempDevice device;
    const fs::path outside = fs::path(device.Root()).parent_path() / (fs::path(device.Root()).filename().string() + "-out");
    fs::create_directories(outside);
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
    Link(device, "../ResidentFlash", "SDMMC/inside");
    Link(device, outside.string(), "SDMMC/outside");
    Link(device, "nowhere", "SDMMC/dangling");
    Link(device, "inside2", "SDMMC/inside2");  // a loop of one

    std::set<std::string> expected = {"inside"};
    for (const Entry& e : entries)
        if (e.shown) expected.insert(e.name);
    EXPECT_EQ(List(u"\\SDMMC\\*.*"), expected);
    // The case-blind lookup finds no name without spelling, so two bad names are not one.
    for (LPCWSTR path : {u"\\SDMMC\\bad\xFFFD.msk", u"\\SDMMC\\BAD\xFFFD.MSK", u"\\SDMMC\\\xFFFD.MSK"}) {
        SCOPED_TRACE(WideToUtf8(path));
        const bool realName = path[7] == u'\xFFFD';
        EXPECT_EQ(GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES, realName);
    }
    fs::remove_all(outside);
}

TEST(HostNames, DeleteRemovesHiddenEntriesAsWhatTheyAreAndNeverLeavesTheFolder)
{
    TempDevice device;
    const fs::path outside = fs::path(device.Root()).parent_path() / (fs::path(device.Root()).filename().string() + "-out");
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
    Link(device, "../../SDMMC", app + "card");                   // listed: removed as a link
    Link(device, outside.string(), app + "out");                 // hidden: off the device
    Link(device, outside.string() + "/data", app + "..\\data");  // hidden twice
    Link(device, "gone", app + "stale");
    Link(device, "../../SDMMC", app + "sub\xFF");
    device.WriteHostFile(app + "NaviMain.exe", "old");

    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = u"\\Residentflash2\\app\\*.*\0";
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    EXPECT_EQ(SHFileOperationW(&op), 0);
    EXPECT_TRUE(fs::is_empty(device.Host(app)));
    EXPECT_EQ(device.ReadHostFile("SDMMC/gpsApp.msk"), "package");
    EXPECT_EQ(device.ReadHostFile("registry.reg"), "REGEDIT4\n");
    EXPECT_EQ(device.ReadHostFile("Residentflash2/keep.txt"), "keep");
    EXPECT_TRUE(fs::exists(outside / "data/o.txt"));
    // A folder holding only hidden names goes as a whole.
    device.WriteHostFile("Residentflash2/app/sub/x\xFF/y", "y");
    op.pFrom = u"\\Residentflash2\\app\\sub\0";
    EXPECT_EQ(SHFileOperationW(&op), 0);
    EXPECT_FALSE(device.HostExists("Residentflash2/app/sub"));
    fs::remove_all(outside);
}

TEST(HostObjects, NoFollowOpensRefuseALinkAsTheLastName)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/real.log", "r");
    device.WriteHostFile("registry.reg", "REGEDIT4\n");
    Link(device, "../registry.reg", "SDMMC/link.log");
    Link(device, "/etc/passwd", "SDMMC/out.log");
    Link(device, "missing", "SDMMC/dangling.log");
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
    Link(device, "../Residentflash2/app/keep.msk", "SDMMC/gpsApp.msk");
    Link(device, "../Residentflash2/app", "SDMMC/upd");
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
