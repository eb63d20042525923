// Helpers for tests that read the framework's log.
#pragma once

#include <string>

#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "gtest/gtest.h"
#include "temp_device.h"
#include "wce/host.h"

// The bytes of a host file as UTF-16 units (little-endian), byte-order mark included.
inline std::u16string ToUnits(const std::string& bytes)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return units;
}

inline CJxWriteLogFile* GlobalLog() { return CJxGVar::GetInstance()->GetCJxWriteLogFile(); }

// A fresh device whose program is "\\SDMMC\\app.exe", with the framework's log opened in
// "\\SDMMC\\logs" so that nothing lands in a shared folder.
class LogTest : public ::testing::Test {
protected:
    static constexpr const char* kLogFile = "SDMMC/logs/app.exe.wceuilog";

    void SetUp() override
    {
        wce::host::SetModulePath(u"\\SDMMC\\app.exe");
        ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 512000));
    }
    void TearDown() override
    {
        WceUiCloseLogFile();
        wce::host::SetModulePath(nullptr);
    }

    std::string LogBytes() const { return m_device.ReadHostFile(kLogFile); }
    std::u16string LogText() const { return ToUnits(LogBytes()); }

    TempDevice m_device;
};
