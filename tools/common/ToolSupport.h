// Small pieces shared by the command-line tools.
#pragma once

#include <cstdio>
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

}  // namespace tool
