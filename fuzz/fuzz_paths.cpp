// Device path lookups must answer the same whether or not they come from what the platform
// remembers (resolved paths, descriptors of files read before). Each input is a short
// program run on a fresh small tree: lookups, changes made on the host behind the
// platform's back and changes made through it. A checked lookup is repeated after the
// remembered state is dropped; both answers must be identical.
//
// Input: up to 32 operations, each an operation byte followed by its arguments. A device
// path takes 3 bytes: the low 2 bits of the first give 1 to 4 names, then 5 bits per name
// pick from kNames. A host path takes 1 byte (kHostPaths).
//   op % 16: 0 map, 1 attributes, 2 open and read, 3 find (path, pattern byte);
//            4 host rename (host, host), 5 host link inside (host, target byte),
//            6 host link outside (host, target byte), 7 host folder (host),
//            8 host new file (host, contents byte), 9 host chmod (host), 10 host delete
//            (host), 11 host create if missing (host, byte: folder when odd);
//            12 create folder (path), 13 delete file or folder (path, byte),
//            14 move (path, path), 15 create and write (path, contents byte)
//   op & 0x40: the (first) device path is the last one decoded, which takes no bytes.
//   op & 0x80 on a lookup: not checked, only fills what is remembered.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "device_path.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxOperations = 32;
constexpr DWORD kUntouched = 0xE0E0E0E0u;  // set as the last error before each call

const char* const kNames[32] = {
    "SDMMC",    "sdmmc",    "Sdmmc",   "app",    "APP",     "App",    "skin.pack", "SKIN.PACK",
    "main.exe", "Main.exe", "MAIN.EXE", "file.txt", "File.txt", "FILE.TXT", "Flash",   "flash",
    "sub",      "SUB",      "conf.xml", "inlink", "INLINK",  "outlink", "dangling",  "..",
    ".",        "new",      "NEW",      "x.bmp",  "data",    "Skin.Pack", "c:",      "a",
};

const char* const kHostPaths[32] = {
    "SDMMC",           "sdmmc",           "SDMMC/app",          "SDMMC/APP",
    "SDMMC/App",       "SDMMC/skin.pack", "SDMMC/Skin.pack",    "SDMMC/File.txt",
    "SDMMC/file.TXT",  "SDMMC/file.txt",  "SDMMC/FILE.TXT",     "SDMMC/app/Main.exe",
    "SDMMC/app/MAIN.exe", "SDMMC/app/main.exe", "SDMMC/new",    "Flash",
    "flash",           "Flash/conf.xml",  "Flash/sub",          "Flash/SUB",
    "Flash/sub/x.bmp", "inlink",          "outlink",            "dangling",
    "new",             "NEW",             "sdmmc/app",          "SDMMC/app/new",
    "Flash/sub/new",   "Inlink",          "Flash/Conf.xml",     "SDMMC/skin.pack/x",
};

const char* const kPatterns[8] = {"*", "*.*", "*.TXT", "MAIN*", "file.txt", "?ub", "s*", "new"};

// Where the trees live: base/dev is the device root, base/outside a folder off the device.
struct Place {
    std::string base;
    std::string root;
    std::string outside;
};

Place* g_place = nullptr;

void RemoveBase()
{
    if (!g_place) return;
    std::error_code ignored;
    fs::remove_all(g_place->base, ignored);
}

// In memory when the host offers it: on a disk, rebuilding the tree for each input costs
// far more than running the input.
Place* MakePlace()
{
    std::string pattern = "/dev/shm/wce-fuzz-paths-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        pattern = (fs::temp_directory_path() / "wce-fuzz-paths-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("fuzz_paths: mkdtemp");
            std::abort();
        }
    }
    return new Place{pattern, pattern + "/dev", pattern + "/outside"};
}

void WriteHost(const std::string& path, const std::string& contents)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t written = write(fd, contents.data(), contents.size());
    (void)written;  // a short file only changes what the lookups find, the same for both
    close(fd);
}

void RemoveHost(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

// The tree every input starts from: two levels of folders, names that differ only in case,
// a regular file named like an archive, links inside, outside and to nowhere.
void BuildTree(const Place& place)
{
    RemoveHost(place.root);
    RemoveHost(place.outside);
    const std::string& r = place.root;
    mkdir(r.c_str(), 0755);
    mkdir(place.outside.c_str(), 0755);
    WriteHost(place.outside + "/f.txt", "outside");
    mkdir((r + "/SDMMC").c_str(), 0755);
    mkdir((r + "/SDMMC/app").c_str(), 0755);
    WriteHost(r + "/SDMMC/app/Main.exe", "main-1");
    WriteHost(r + "/SDMMC/app/MAIN.exe", "main-2");
    WriteHost(r + "/SDMMC/skin.pack", "pack-1");
    WriteHost(r + "/SDMMC/File.txt", "file-1");
    WriteHost(r + "/SDMMC/file.TXT", "file-2");
    mkdir((r + "/Flash").c_str(), 0755);
    mkdir((r + "/Flash/sub").c_str(), 0755);
    WriteHost(r + "/Flash/conf.xml", "conf");
    WriteHost(r + "/Flash/sub/x.bmp", "bmp");
    if (symlink("SDMMC/app", (r + "/inlink").c_str()) != 0 ||
        symlink(place.outside.c_str(), (r + "/outlink").c_str()) != 0 ||
        symlink("missing", (r + "/dangling").c_str()) != 0) {
        std::perror("fuzz_paths: symlink");
        std::abort();
    }
}

struct Input {
    Input(const std::uint8_t* bytes, size_t count) : data(bytes), size(count) {}
    const std::uint8_t* data;
    size_t size;
    bool again = false;  // the next device path is the last one again
    std::u16string last;
    std::uint8_t Byte()
    {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
};

std::u16string DevicePath(Input& in)
{
    if (in.again) {
        in.again = false;
        if (!in.last.empty()) return in.last;
    }
    std::uint32_t bits = in.Byte() | in.Byte() << 8 | static_cast<std::uint32_t>(in.Byte()) << 16;
    const int count = 1 + static_cast<int>(bits & 3);
    bits >>= 2;
    std::string path;
    for (int i = 0; i < count; ++i, bits >>= 5) path += std::string("\\") + kNames[bits & 31];
    in.last = Utf8ToWide(path);
    return in.last;
}

std::string HostPath(Input& in) { return g_place->root + "/" + kHostPaths[in.Byte() & 31]; }

std::string Text(DWORD value) { return std::to_string(value); }

// The answers, as text to compare and print.
std::string Map(const std::u16string& path)
{
    std::string host;
    DWORD error = kUntouched;
    const bool ok = wce::host::MapDevicePath(path.c_str(), host, error);
    return "map " + Text(ok) + " error " + Text(error) + " host " + host;
}

std::string Attributes(const std::u16string& path)
{
    SetLastError(kUntouched);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return "attributes " + Text(attributes) + " error " + Text(GetLastError());
}

std::string OpenAndRead(const std::u16string& path)
{
    SetLastError(kUntouched);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string answer = "open " + Text(file != INVALID_HANDLE_VALUE) + " error " + Text(GetLastError());
    if (file == INVALID_HANDLE_VALUE) return answer;
    char buffer[16];
    DWORD got = 0;
    SetLastError(kUntouched);
    const BOOL ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    answer += " read " + Text(ok) + " error " + Text(GetLastError()) + " bytes " + std::string(buffer, got);
    CloseHandle(file);
    return answer;
}

std::string Find(const std::u16string& pattern)
{
    WIN32_FIND_DATAW data;
    SetLastError(kUntouched);
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    std::string answer = "find " + Text(find != INVALID_HANDLE_VALUE);
    int listed = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            answer += " [" + WideToUtf8(data.cFileName) + " " + Text(data.dwFileAttributes) + " " +
                      Text(data.nFileSizeLow) + " " + Text(data.ftLastWriteTime.dwLowDateTime) + "]";
            SetLastError(kUntouched);
        } while (++listed < 64 && FindNextFileW(find, &data));
        FindClose(find);
    }
    return answer + " error " + Text(GetLastError());
}

template <class Lookup>
void Check(bool checked, Lookup lookup, const std::u16string& path)
{
    const std::string first = lookup(path);
    if (!checked) return;
    wce::detail::ForgetResolvedPaths();
    wce::detail::CloseParkedFiles();
    const std::string again = lookup(path);
    if (first == again) return;
    std::fprintf(stderr, "fuzz_paths: a remembered lookup answers differently for %s\n  remembered: %s\n  fresh:      %s\n",
                 WideToUtf8(path).c_str(), first.c_str(), again.c_str());
    std::abort();
}

std::string Contents(std::uint8_t byte) { return "new-" + std::to_string(byte % 4); }

// A changed file is a new file (another inode) with other contents, made aside and moved in.
void ReplaceFile(const std::string& path, std::uint8_t byte)
{
    const std::string aside = g_place->base + "/aside";
    WriteHost(aside, Contents(byte));
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) RemoveHost(path);
    if (rename(aside.c_str(), path.c_str()) != 0) unlink(aside.c_str());
}

void LinkInstead(const std::string& path, const std::string& target)
{
    RemoveHost(path);
    const int made = symlink(target.c_str(), path.c_str());
    (void)made;  // a failed change is only another state to look at
}

void Run(Input& in, std::uint8_t op)
{
    const bool checked = (op & 0x80) == 0;
    in.again = (op & 0x40) != 0;
    switch (op % 16) {
    case 0: Check(checked, Map, DevicePath(in)); break;
    case 1: Check(checked, Attributes, DevicePath(in)); break;
    case 2: Check(checked, OpenAndRead, DevicePath(in)); break;
    case 3: {
        const std::u16string folder = DevicePath(in);
        Check(checked, Find, folder + u"\\" + Utf8ToWide(kPatterns[in.Byte() % 8]));
        break;
    }
    case 4: {
        const std::string from = HostPath(in);
        rename(from.c_str(), HostPath(in).c_str());
        break;
    }
    case 5: {
        const std::string path = HostPath(in);
        const char* const targets[4] = {"/Flash", "/SDMMC/app", "/SDMMC/skin.pack", "/SDMMC"};
        LinkInstead(path, g_place->root + targets[in.Byte() % 4]);
        break;
    }
    case 6: {
        const std::string path = HostPath(in);
        LinkInstead(path, g_place->outside + (in.Byte() % 2 ? "/f.txt" : ""));
        break;
    }
    case 7: {
        const std::string path = HostPath(in);
        RemoveHost(path);
        mkdir(path.c_str(), 0755);
        break;
    }
    case 8: {
        const std::string path = HostPath(in);
        ReplaceFile(path, in.Byte());
        break;
    }
    case 9: {
        // Only files lose their write right, so the tree can always be removed.
        const std::string path = HostPath(in);
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) chmod(path.c_str(), (st.st_mode ^ S_IWUSR) & 07777);
        break;
    }
    case 10: RemoveHost(HostPath(in)); break;
    case 11: {
        const std::string path = HostPath(in);
        if (in.Byte() % 2)
            mkdir(path.c_str(), 0755);
        else if (access(path.c_str(), F_OK) != 0)
            WriteHost(path, "made");
        break;
    }
    case 12: CreateDirectoryW(DevicePath(in).c_str(), nullptr); break;
    case 13: {
        const std::u16string path = DevicePath(in);
        if (in.Byte() % 2)
            RemoveDirectoryW(path.c_str());
        else
            DeleteFileW(path.c_str());
        break;
    }
    case 14: {
        const std::u16string from = DevicePath(in);
        MoveFileW(from.c_str(), DevicePath(in).c_str());
        break;
    }
    case 15: {
        const std::u16string path = DevicePath(in);
        const std::string contents = Contents(in.Byte());
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD put = 0;
            WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &put, nullptr);
            CloseHandle(file);
        }
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_place) {
        g_place = MakePlace();
        std::atexit(RemoveBase);
    }
    BuildTree(*g_place);
    wce::detail::CloseParkedFiles();
    wce::host::SetDeviceRoot(g_place->root);  // also empties the remembered paths
    Input in{data, size};
    for (int i = 0; i < kMaxOperations && in.size > 0; ++i) Run(in, in.Byte());
    return 0;
}
