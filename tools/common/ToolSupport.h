// Small pieces shared by the command-line tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tool {

// Makes the host's whole file system the device, so that device code reads and writes host
// paths: "/tmp/a.msk" becomes "\\tmp\\a.msk".
void UseHostFileSystem();
std::u16string HostToDevicePath(const std::string& hostPath);

// Prints "[ 45%] text" lines on standard error, one per 10 % step.
class Progress {
public:
    explicit Progress(std::string label) : m_label(std::move(label)) {}
    void Update(std::size_t done, std::size_t total, const std::string& item);
    void Finish();

private:
    std::string m_label;
    int m_lastPercent = -1;
};

// The exit status for a wrong command line, after a one-line message.
int UsageError(const char* program, const std::string& message);

// Whether "--help" or "-h" stands anywhere on the command line.
bool HelpAsked(int argc, char** argv);

// The package tools' first argument: create, list, verify or extract. Returns an empty
// string when command is one of them, else what is wrong.
std::string ReadPackageCommand(int argc, char** argv, std::string& command);

// Whether n bytes fit the formats' 32-bit sizes. Always true on a 32-bit host, where the same
// comparison written in place would be one that is always false.
inline bool FitsIn32Bits(std::uint64_t n) { return n <= 0xFFFFFFFFull; }

// Replaces path with size bytes from data; false when they cannot all be written.
bool WriteHostFile(const std::filesystem::path& path, const void* data, std::size_t size);

}  // namespace tool
