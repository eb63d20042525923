// A fresh device with the framework's log in it for each test, UTF-16 files, the messages
// logged while a test runs, and a headless display.
#pragma once

#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "gtest/gtest.h"
#include "temp_device.h"
#include "wce/display.h"
#include "wce/host.h"
#include "wce/wstring.h"

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
    void TearDown() override { WceUiCloseLogFile(); wce::host::SetModulePath(nullptr); }

    std::string LogBytes() const { return m_device.ReadHostFile(kLogFile); }
    std::u16string LogText() const { return ToUnits(LogBytes()); }
    // Whether a whole line "<level>: <message>" was logged.
    bool Logged(const char* level, const std::u16string& message) const
    {
        return LogText().find(Utf8ToWide(level) + u": " + message + u"\r\n") != std::u16string::npos;
    }
    bool LoggedError(const std::u16string& message) const { return Logged("error", message); }
    bool LoggedWarning(const std::u16string& message) const { return Logged("warning", message); }
    size_t ErrorCount() const
    {
        const std::u16string text = LogText();
        size_t n = 0;
        for (size_t at = text.find(u"error: "); at != std::u16string::npos; at = text.find(u"error: ", at + 1)) ++n;
        return n;
    }

    TempDevice m_device;
};

// UTF-8 for messages and comparisons; a null string shows as "(null)".
inline std::string Utf8(LPCWSTR s) { return s ? WideToUtf8(s) : std::string("(null)"); }

// The bytes of a UTF-16LE file holding text, with the byte-order mark unless told not to.
inline std::string Utf16File(const std::u16string& text, bool bByteOrderMark = true)
{
    std::string bytes = bByteOrderMark ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// A headless display of w x h pixels that runs the script.
inline ::testing::AssertionResult OpenHeadless(int w, int h, const std::string& script = "")
{
    wce::host::DisplayOptions options;
    options.backend = wce::host::DisplayOptions::Backend::Headless;
    options.width = w;
    options.height = h;
    options.scriptText = script;
    std::string error;
    if (wce::host::OpenDisplay(options, error)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << error;
}

// Every message logged while it lives, as UTF-8 without time or level.
class LogCapture {
public:
    LogCapture() { JxSetLogObserver(&LogCapture::Observe, this); }
    ~LogCapture() { JxSetLogObserver(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }
    // True when some message contains the text.
    bool Contains(const std::string& text) const
    {
        for (const std::string& m : m_messages)
            if (m.find(text) != std::string::npos) return true;
        return false;
    }

private:
    static void Observe(void* pContext, int nLevel, LPCWSTR pMessage, int nLength)
    {
        auto* self = static_cast<LogCapture*>(pContext);
        if (JX_LOG_ERROR == nLevel) self->m_messages.push_back(WideToUtf8(std::u16string(pMessage, nLength)));
        else self->m_messages.push_back("(level " + std::to_string(nLevel) + ") " +
                                        WideToUtf8(std::u16string(pMessage, nLength)));
    }

    std::vector<std::string> m_messages;
};

// A fresh device and log for each test, with the messages captured.
class DocTest : public LogTest {
protected:
    // Writes a UTF-16 file with its mark below the device root ("SDMMC/a.xml").
    void WriteText(const std::string& relative, const std::u16string& text) const
    {
        m_device.WriteHostFile(relative, Utf16File(text, true));
    }

    LogCapture m_log;
};
