// A fresh, empty device root in a temporary folder for one test, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "wce/types.h"

// The whole content of a host file; empty when it cannot be read.
std::string ReadHostBytes(const std::string& hostPath);

// Whether the text holds every part; a failure shows the part missing and the whole text.
inline ::testing::AssertionResult Has(const std::string& text, std::initializer_list<std::string> parts)
{
    for (const std::string& part : parts)
        if (text.find(part) == std::string::npos)
            return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
    return ::testing::AssertionSuccess();
}

class TempDevice {
public:
    TempDevice();  // creates the folder and makes it the device root
    ~TempDevice();
    TempDevice(const TempDevice&) = delete;
    TempDevice& operator=(const TempDevice&) = delete;

    const std::string& Root() const { return m_root; }
    // Host path of a device-relative path written with '/', e.g. "SDMMC/a.msk".
    std::string Host(const std::string& relative) const { return m_root + "/" + relative; }
    // Creates a host file (and its parent folders) with the given bytes.
    void WriteHostFile(const std::string& relative, const std::string& bytes) const;
    // Writes bytes at offset into an existing host file, growing it (sparsely) as needed.
    void WriteHostFileAt(const std::string& relative, std::uint64_t offset, const std::string& bytes) const;
    std::string ReadHostFile(const std::string& relative) const;
    bool HostExists(const std::string& relative) const;
    void MakeHostDir(const std::string& relative) const;
    // A symbolic link at relative (parents made) to target, as a host-formatted card holds.
    void Link(const std::string& target, const std::string& relative) const;
    // A folder beside the root, off the device, for links that try to leave it; removed with the device.
    std::string Outside() const;

private:
    std::string m_root;
};
