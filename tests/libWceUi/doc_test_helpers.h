// Helpers for the tests of the XML and key=value documents: UTF-16 files and the messages
// the framework logs while a test runs.
#pragma once

#include <string>
#include <vector>

#include "JXWriteLogFile.h"
#include "log_helpers.h"
#include "wce/display.h"
#include "wce/wstring.h"

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
