#include "ConsoleScreen.h"

#include <cstdio>

#include "wce/wstring.h"

void ConsoleScreen::UpdateWindow()
{
    if (m_progress != m_shownProgress && m_progress > 0) {
        constexpr int kWidth = 40;
        int filled = m_progress * kWidth / 100;
        std::printf("[%s%s] %s\n", std::string(static_cast<size_t>(filled), '#').c_str(),
                    std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), WideToUtf8(m_status).c_str());
    } else if (!m_status.empty() && m_status != m_shownStatus) {
        std::printf("%s\n", WideToUtf8(m_status).c_str());
    }
    m_shownProgress = m_progress;
    m_shownStatus = m_status;
    std::fflush(stdout);
}

void ConsoleScreen::ShowMessage(LPCWSTR text, UINT flags)
{
    if (flags & kMsgBoxError) {
        std::fprintf(stderr, "ERROR: %s\n", WideToUtf8(text).c_str());
        std::fflush(stderr);
        return;
    }
    std::printf("%s\n", WideToUtf8(text).c_str());
    std::fflush(stdout);
}
