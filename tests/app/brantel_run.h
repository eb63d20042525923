// Runs the brantel program on a device the test makes, with a headless script, and reads
// back what it left: exit status, dumps, frames and the device's record files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "msk_fixture.h"
#include "rgb_pixels.h"

namespace brantel_test {

namespace fs = std::filesystem;

struct Size {
    int w, h;
    const char* set;  // skin set folder
    int bpp = 16;     // the screen's depth, and so the skin's
};

// One dumped layer: the fields of its line.
struct Layer {
    std::vector<std::string> f;
    RECT Rect() const
    {
        RECT rc{};
        if (f.size() < 4) return rc;
        // RECT's LONG is 32 bits here: read into ints of that size, never through %ld.
        int l = 0, t = 0, r = 0, b = 0;
        std::sscanf(f[3].c_str(), "%d,%d,%d,%d", &l, &t, &r, &b);
        rc = RECT{l, t, r, b};
        return rc;
    }
    bool Visible() const { return F(4) == "1"; }
    std::string F(size_t i) const { return i < f.size() ? f[i] : std::string(); }
};

inline std::map<std::string, Layer> ReadDump(const std::string& path)
{
    std::map<std::string, Layer> out;
    std::istringstream in(ReadHostBytes(path));
    std::string line;
    while (std::getline(in, line)) {
        Layer l;
        std::string field;
        std::istringstream fields(line);
        while (std::getline(fields, field, '\t')) l.f.push_back(field);
        if (l.f.size() == 7)
            l.f.push_back("");  // an empty text ends the line
        if (l.f.size() >= 8)
            out[l.f[2]] = l;
    }
    return out;
}

// List box fields after the common eight: count, item height, selection, scroll, items.
inline std::vector<std::string> Items(const Layer& l)
{
    if (l.f.size() < 12) return {};
    return std::vector<std::string>(l.f.begin() + 12, l.f.end());
}

class Device {
public:
    explicit Device(Size size) : m_size(size)
    {
        fs::create_directories(Host("SDMMC"));
        fs::create_directories(Host("Residentflash2/app"));
        fs::copy_file(32 == size.bpp ? BRANTEL_PACK32 : BRANTEL_PACK, Host("SDMMC/brantel.pack"));
        Write("Residentflash2/app/NaviMain.exe", "old");
    }
    ~Device()
    {
        if (!std::getenv("BRANTEL_TEST_KEEP")) fs::remove_all(m_dir.Root());
    }

    std::string Host(const std::string& rel) const { return m_dir.Host(rel); }
    const TempDevice& Dir() const { return m_dir; }
    void Write(const std::string& rel, const std::string& bytes) const { m_dir.WriteHostFile(rel, bytes); }
    std::string Read(const std::string& rel) const { return m_dir.ReadHostFile(rel); }
    bool Exists(const std::string& rel) const { return fs::exists(Host(rel)); }
    void SetApp(const std::string& app) const
    {
        std::string escaped;
        for (char c : app) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        Write("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\OEM]\n\"APP\"=\"" + escaped + "\"\n");
    }
    void Package(const std::string& rel, LPCWSTR password) const
    {
        std::vector<MskBuildEntry> entries = SampleEntries();
        for (int i = 0; i < 97; ++i)
            entries.push_back(File(u"f" + std::u16string(1, char16_t(u'A' + i % 26)) + char16_t(u'a' + i / 26), "x"));
        WritePackage(m_dir, rel, BuildMskImage(entries, u"app"), password);
    }

    // Runs brantel with the script; frames go to "frames" below the device folder.
    int Run(const std::string& script, const std::string& extra = "", std::string* errors = nullptr) const
    {
        std::ofstream(Host("script.txt")) << script;
        fs::remove_all(Host("frames"));
        std::string screen = std::to_string(m_size.w) + "x" + std::to_string(m_size.h) + "x" + std::to_string(m_size.bpp);
        std::string cmd = "cd " + m_dir.Root() + " && " + std::string(BRANTEL_EXE) + " --device-root " + m_dir.Root() +
                          " --display headless --screen " + screen + " --script " + Host("script.txt") + " --frames " +
                          Host("frames") + " " + extra + " 2>" + Host("stderr.txt");
        int status = std::system(cmd.c_str());
        if (errors) *errors = Read("stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::map<std::string, Layer> Dump(const std::string& name) const { return ReadDump(Host(name)); }
    std::vector<wce::host::RgbaImage> Frames() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Host("frames"))) names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        std::vector<wce::host::RgbaImage> out(names.size());
        for (size_t i = 0; i < names.size(); ++i) wce::host::ReadPng(names[i], out[i]);
        return out;
    }

private:
    Size m_size;
    TempDevice m_dir;
};

// The smallest rectangle holding every differing pixel; empty when the images are equal.
inline RECT DiffBox(const wce::host::RgbaImage& a, const wce::host::RgbaImage& b)
{
    if (a.width != b.width || a.height != b.height)
        return RECT{0, 0, std::max(a.width, b.width), std::max(a.height, b.height)};
    RECT rc{a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (RgbAt(a, x, y) != RgbAt(b, x, y)) {
                rc.left = std::min<LONG>(rc.left, x), rc.top = std::min<LONG>(rc.top, y);
                rc.right = std::max<LONG>(rc.right, x + 1), rc.bottom = std::max<LONG>(rc.bottom, y + 1);
            }
    return rc;
}
inline bool IsEmpty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }
inline bool Inside(const RECT& in, const RECT& out)
{
    return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}
inline RECT Union(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace brantel_test
