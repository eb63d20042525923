// Windows shared between processes on one device root, so that a second instance finds the
// first one's window and asks it to come to the front. Each process lists its titled visible
// top-level windows in a folder below /tmp keyed by the device root ("PID.windows"), and takes
// raise requests from "PID.raise" there while it retrieves, waits or holds. A process removes
// its files at exit; those of processes that are gone are removed by the next one to look.
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "device_path.h"
#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace wce::detail {

std::string WindowListFolder()
{
    std::size_t rootHash = std::hash<std::string>{}(CanonicalDeviceRoot());
    char path[64];
    std::snprintf(path, sizeof path, "/tmp/wce-windows-%zx", rootHash);
    return path;
}

namespace {

std::string Folder() { return WindowListFolder(); }

std::string ListPath(const std::string& folder, int pid) { return folder + "/" + std::to_string(pid) + ".windows"; }
std::string RaisePath(const std::string& folder, int pid) { return folder + "/" + std::to_string(pid) + ".raise"; }

// When the process started, in clock ticks since boot (field 22 of its main thread's stat); 0
// when unknown. With the id it names one process: ids are reused. Read through the task
// folder: a user-mode emulator answers a process's own /proc/PID/stat with made-up fields, so
// the process and its peers would see different times.
unsigned long long StartTime(int pid)
{
    const std::string id = std::to_string(pid);
    std::ifstream in("/proc/" + id + "/task/" + id + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t close = text.rfind(')');  // the command name may hold spaces and brackets
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int number = 3; fields >> field; ++number)
        if (22 == number) return std::strtoull(field.c_str(), nullptr, 10);
    return 0;
}

bool IsAlive(int pid, unsigned long long start)
{
    return pid > 0 && (0 == kill(pid, 0) || EPERM == errno) && StartTime(pid) == start;
}

struct Listed {
    unsigned number = 0;
    std::u16string cls;
    std::u16string title;
};

struct WindowList {
    bool found = false;
    unsigned long long start = 0;  // of the process that wrote it
    std::vector<Listed> windows;
};

// "start TICKS" first, then "NUMBER<TAB>CLASS<TAB>TITLE" per line, UTF-8.
WindowList ReadList(const std::string& path)
{
    WindowList out;
    std::ifstream in(path);
    out.found = in.is_open();
    std::string line;
    while (std::getline(in, line)) {
        if (0 == line.compare(0, 6, "start ")) {
            out.start = std::strtoull(line.c_str() + 6, nullptr, 10);
            continue;
        }
        std::size_t a = line.find('\t');
        std::size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos) continue;
        Listed entry;
        entry.number = static_cast<unsigned>(std::strtoul(line.substr(0, a).c_str(), nullptr, 10));
        entry.cls = Utf8ToWide(line.substr(a + 1, b - a - 1));
        entry.title = Utf8ToWide(line.substr(b + 1));
        out.windows.push_back(entry);
    }
    return out;
}

// Removes a process's files, and the folder when nothing is left in it.
void RemoveFiles(const std::string& folder, int pid)
{
    unlink(ListPath(folder, pid).c_str());
    unlink(RaisePath(folder, pid).c_str());
    unlink((RaisePath(folder, pid) + ".taken").c_str());
    rmdir(folder.c_str());
}

// Calls visit for the list of each live process but this one. Lists of processes that are
// gone (killed ones cannot remove their own) are removed, so they do not pile up.
template <typename Visit>
void ForEachLiveList(const std::string& folder, Visit visit)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    int self = getpid();
    while (dirent* e = readdir(dir)) {
        std::string file = e->d_name;
        std::size_t dot = file.find(".windows");
        if (dot == std::string::npos || dot + 8 != file.size()) continue;
        int pid = std::atoi(file.substr(0, dot).c_str());
        if (pid == self) continue;
        WindowList list = ReadList(folder + "/" + file);
        if (!list.found) continue;  // removed meanwhile
        if (!IsAlive(pid, list.start)) {
            RemoveFiles(folder, pid);
            continue;
        }
        if (visit(pid, list)) break;
    }
    closedir(dir);
}

std::string g_published;  // what this process listed last
std::string g_publishedFolder;

bool IsListed(const ForeignWindow& proxy)
{
    std::string folder = Folder();
    WindowList list = ReadList(ListPath(folder, proxy.pid));
    if (!list.found) return false;
    if (!IsAlive(proxy.pid, list.start)) {
        RemoveFiles(folder, proxy.pid);
        return false;
    }
    if (list.start != proxy.start) return false;
    for (const auto& entry : list.windows)
        if (entry.number == proxy.number) return true;
    return false;
}

void RemoveOwnFiles()
{
    if (g_publishedFolder.empty()) return;
    RemoveFiles(g_publishedFolder, getpid());
}

}  // namespace

void PublishWindows()
{
    std::ostringstream list;
    for (HWND top : Wins().topLevel) {
        Window* w = FindWin(top);
        if (!w || !w->visible || w->destroying || w->text.empty()) continue;
        std::string title = WideToUtf8(w->text), cls = WideToUtf8(w->cls->name);
        if (title.find_first_of("\t\n") != std::string::npos || cls.find_first_of("\t\n") != std::string::npos) continue;
        list << w->number << '\t' << cls << '\t' << title << '\n';
    }
    std::string folder = Folder();
    if (list.str() == g_published && folder == g_publishedFolder) return;
    if (folder != g_publishedFolder) {
        RemoveOwnFiles();  // the device root changed: the old device no longer has these windows
        ForEachLiveList(folder, [](int, const WindowList&) { return false; });
    }
    g_published = list.str();
    g_publishedFolder = folder;
    std::string path = ListPath(folder, getpid());
    if (g_published.empty()) {
        RemoveFiles(folder, getpid());
        return;
    }
    static const bool s_cleanup = [] { return 0 == std::atexit(RemoveOwnFiles); }();
    (void)s_cleanup;
    std::string temp = path + ".tmp";
    bool written = false;
    // Another process may remove the folder when it finds it empty: make it once more then.
    for (int attempt = 0; attempt < 2 && !written; ++attempt) {
        mkdir(folder.c_str(), 0777);
        std::ofstream out(temp, std::ios::trunc);
        out << "start " << StartTime(getpid()) << '\n' << g_published;
        out.close();
        written = out && 0 == std::rename(temp.c_str(), path.c_str());
    }
    if (!written) g_published.clear();  // the next change tries again
}

void TakeRaiseRequests()
{
    if (g_published.empty()) return;  // nobody can name a window of this process
    std::string path = RaisePath(g_publishedFolder, getpid());
    std::string taken = path + ".taken";
    if (0 != std::rename(path.c_str(), taken.c_str())) return;
    std::ifstream in(taken);
    unsigned number = 0;
    while (in >> number) {
        for (auto& entry : Wins().windows) {
            Window& w = *entry.second;
            if (w.number != number || w.parent || w.destroying) continue;
            Trace("raise %s", WindowName(w.handle).c_str());
            if (!w.visible) ShowWindow(w.handle, SW_SHOW);
            Activate(w.handle);
            if (IsDisplayOpen()) Display().backend->RaiseWindow();
        }
    }
    unlink(taken.c_str());
}

HWND FindForeignWindow(LPCWSTR className, LPCWSTR title)
{
    std::u16string cls = className ? LowerName(className) : u"";
    std::u16string name = title ? LowerName(title) : u"";
    HWND found = nullptr;
    ForEachLiveList(Folder(), [&](int pid, const WindowList& list) {
        for (const auto& entry : list.windows) {
            if (className && LowerName(entry.cls.c_str()) != cls) continue;
            if (title && LowerName(entry.title.c_str()) != name) continue;
            WindowSystem& s = Wins();
            for (auto& proxy : s.foreign)
                if (proxy.second.pid == pid && proxy.second.start == list.start && proxy.second.number == entry.number)
                    found = reinterpret_cast<HWND>(proxy.first);
            if (!found) {
                found = reinterpret_cast<HWND>(s.nextKey);
                s.foreign.emplace(s.nextKey, ForeignWindow{pid, list.start, entry.number});
                s.nextKey += 4;
            }
            return true;
        }
        return false;
    });
    return found;
}

bool IsForeignWindow(HWND hwnd)
{
    auto& foreign = Wins().foreign;
    auto it = foreign.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it != foreign.end() && IsListed(it->second);
}

bool RaiseForeignWindow(HWND hwnd)
{
    auto& foreign = Wins().foreign;
    auto it = foreign.find(reinterpret_cast<std::uintptr_t>(hwnd));
    if (it == foreign.end() || !IsListed(it->second)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    std::ofstream out(RaisePath(Folder(), it->second.pid), std::ios::app);
    out << it->second.number << '\n';
    return static_cast<bool>(out);
}

}  // namespace wce::detail
