#include "ToolSupport.h"

#include <cstring>
#include <fstream>
#include <unistd.h>

#include "wce/host.h"
#include "wce/wstring.h"

namespace tool {

void UseHostFileSystem() { wce::host::SetDeviceRoot("/"); }

std::u16string HostToDevicePath(const std::string& hostPath)
{
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(hostPath, ec).lexically_normal().string();
    if (ec) absolute = hostPath;
    std::u16string device = Utf8ToWide(absolute);
    for (auto& c : device)
        if (c == u'/') c = u'\\';
    // A folder given with a trailing separator keeps none: callers add their own.
    while (device.size() > 1 && device.back() == u'\\') device.pop_back();
    return device;
}

void Progress::Update(std::size_t done, std::size_t total, const std::string& item)
{
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    // Every tenth step is enough to show that long work moves.
    if (m_lastPercent >= 0 && percent / 10 == m_lastPercent / 10) return;
    m_lastPercent = percent;
    std::fprintf(stderr, "%s [%3d%%] %s\n", m_label.c_str(), percent, item.c_str());
}

void Progress::Finish() { std::fflush(stderr); }

int UsageError(const char* program, const std::string& message)
{
    std::fprintf(stderr, "%s: %s (try --help)\n", program, message.c_str());
    return 2;
}

bool HelpAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

std::string ReadPackageCommand(int argc, char** argv, std::string& command)
{
    if (argc < 2) return "missing command";
    command = argv[1];
    const std::string& c = command;
    if (c != "create" && c != "list" && c != "verify" && c != "extract" &&
        c != "keygen" && c != "sign") return "unknown command '" + c + "'";
    return "";
}

bool WriteHostFile(const std::filesystem::path& path, const void* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    return !file.fail();
}

}  // namespace tool
