#include "temp_device.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "wce/host.h"

namespace fs = std::filesystem;

TempDevice::TempDevice()
{
    std::string pattern = (fs::temp_directory_path() / "wce-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    m_root = made ? made : pattern;
    wce::host::SetDeviceRoot(m_root);
}

TempDevice::~TempDevice()
{
    wce::host::ClearWriteQuotas();
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
    fs::remove_all(m_root + "-out", ignored);
}

void TempDevice::WriteHostFile(const std::string& relative, const std::string& bytes) const
{
    fs::path path = Host(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempDevice::WriteHostFileAt(const std::string& relative, std::uint64_t offset, const std::string& bytes) const
{
    // Seeking past the end leaves a hole: a file of gigabytes costs only what is written.
    std::fstream out(Host(relative), std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadHostBytes(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string TempDevice::ReadHostFile(const std::string& relative) const { return ReadHostBytes(Host(relative)); }

bool TempDevice::HostExists(const std::string& relative) const { return fs::exists(Host(relative)); }

void TempDevice::MakeHostDir(const std::string& relative) const { fs::create_directories(Host(relative)); }

void TempDevice::Link(const std::string& target, const std::string& relative) const
{
    fs::create_directories(fs::path(Host(relative)).parent_path());
    EXPECT_EQ(symlink(target.c_str(), Host(relative).c_str()), 0) << relative;
}

std::string TempDevice::Outside() const
{
    fs::create_directories(m_root + "-out");
    return m_root + "-out";
}
