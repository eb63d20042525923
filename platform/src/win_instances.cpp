// Windows shared between processes on one device root, so that a second instance finds the
// first one's window and asks it to come to the front. Each process lists its titled visible
// top-level windows in a folder below /tmp keyed by the device root ("PID.windows"), and takes
// raise requests from "PID.raise" there while it retrieves, waits or holds. Entries of
// processes that no longer exist are ignored.
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "display_internal.h"
#include "win_internal.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

std::string Folder()
{
    std::size_t rootHash = std::hash<std::string>{}(wce::host::GetDeviceRoot());
    char path[64];
    std::snprintf(path, sizeof path, "/tmp/wce-windows-%zx", rootHash);
    return path;
}

std::string ListPath(const std::string& folder, int pid) { return folder + "/" + std::to_string(pid) + ".windows"; }
std::string RaisePath(const std::string& folder, int pid) { return folder + "/" + std::to_string(pid) + ".raise"; }

bool IsAlive(int pid) { return pid > 0 && (0 == kill(pid, 0) || EPERM == errno); }

struct Listed {
    unsigned number = 0;
    std::u16string cls;
    std::u16string title;
};

// "NUMBER<TAB>CLASS<TAB>TITLE" per line, UTF-8.
std::vector<Listed> ReadList(const std::string& path)
{
    std::vector<Listed> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t a = line.find('\t');
        std::size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos) continue;
        Listed entry;
        entry.number = static_cast<unsigned>(std::strtoul(line.substr(0, a).c_str(), nullptr, 10));
        entry.cls = Utf8ToWide(line.substr(a + 1, b - a - 1));
        entry.title = Utf8ToWide(line.substr(b + 1));
        out.push_back(entry);
    }
    return out;
}

std::string g_published;  // what this process listed last
std::string g_publishedFolder;

bool IsListed(int pid, unsigned number)
{
    if (!IsAlive(pid)) return false;
    for (const auto& entry : ReadList(ListPath(Folder(), pid)))
        if (entry.number == number) return true;
    return false;
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
    g_published = list.str();
    g_publishedFolder = folder;
    std::string path = ListPath(folder, getpid());
    if (g_published.empty()) {
        unlink(path.c_str());
        return;
    }
    mkdir(folder.c_str(), 0777);
    static const bool s_cleanup = [] { return 0 == std::atexit([] { unlink(ListPath(g_publishedFolder, getpid()).c_str()); }); }();
    (void)s_cleanup;
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << g_published;
        if (!out) return;
    }
    std::rename(temp.c_str(), path.c_str());
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
    std::string folder = Folder();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return nullptr;
    std::u16string cls = className ? LowerName(className) : u"";
    std::u16string name = title ? LowerName(title) : u"";
    int self = getpid();
    HWND found = nullptr;
    while (dirent* e = readdir(dir)) {
        std::string file = e->d_name;
        std::size_t dot = file.find(".windows");
        if (dot == std::string::npos || dot + 8 != file.size()) continue;
        int pid = std::atoi(file.substr(0, dot).c_str());
        if (pid == self || !IsAlive(pid)) continue;
        for (const auto& entry : ReadList(folder + "/" + file)) {
            if (className && LowerName(entry.cls.c_str()) != cls) continue;
            if (title && LowerName(entry.title.c_str()) != name) continue;
            WindowSystem& s = Wins();
            for (auto& proxy : s.foreign)
                if (proxy.second.pid == pid && proxy.second.number == entry.number)
                    found = reinterpret_cast<HWND>(proxy.first);
            if (!found) {
                found = reinterpret_cast<HWND>(s.nextKey);
                s.foreign.emplace(s.nextKey, ForeignWindow{pid, entry.number});
                s.nextKey += 4;
            }
            break;
        }
        if (found) break;
    }
    closedir(dir);
    return found;
}

bool IsForeignWindow(HWND hwnd)
{
    auto& foreign = Wins().foreign;
    auto it = foreign.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it != foreign.end() && IsListed(it->second.pid, it->second.number);
}

bool RaiseForeignWindow(HWND hwnd)
{
    auto& foreign = Wins().foreign;
    auto it = foreign.find(reinterpret_cast<std::uintptr_t>(hwnd));
    if (it == foreign.end() || !IsListed(it->second.pid, it->second.number)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    std::ofstream out(RaisePath(Folder(), it->second.pid), std::ios::app);
    out << it->second.number << '\n';
    return static_cast<bool>(out);
}

}  // namespace wce::detail
