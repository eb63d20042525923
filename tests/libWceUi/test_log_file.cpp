#include <sys/stat.h>

#include <string>
#include <vector>

#include "JXCheck.h"
#include "log_helpers.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

using namespace std::string_literals;

namespace {

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

std::string Utf8(const std::u16string& s) { return WideToUtf8(s); }

// "hh:mm:ss yyyy-mm-dd  " with two spaces at the end.
bool IsTimeDatePrefix(const std::string& line)
{
    const std::string shape = "00:00:00 0000-00-00  ";
    if (line.size() < shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        bool digit = line[i] >= '0' && line[i] <= '9';
        if ('0' == shape[i] ? !digit : line[i] != shape[i]) return false;
    }
    return true;
}

}  // namespace

TEST_F(LogTest, LinesCarryTimeDateLevelAndEndInCrLf)
{
    JxWriteLogW(JX_LOG_INFO, u"started %d", 7);
    JxWriteLogW(JX_LOG_WARNING, u"%s is %S", u"wide", "narrow");
    JxWriteLogA(JX_LOG_ERROR, "narrow %s %d", "text", -3);

    std::string bytes = LogBytes();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ('\xFF', bytes[0]);
    EXPECT_EQ('\xFE', bytes[1]);

    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string text = Utf8(ToUnits(bytes).substr(1));
    std::vector<std::string> levels;
    std::vector<std::string> messages;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        ASSERT_TRUE(IsTimeDatePrefix(line)) << line;
        EXPECT_EQ(now.wYear, std::stoi(line.substr(9, 4)));
        size_t colon = line.find(": ", 21);
        ASSERT_NE(std::string::npos, colon) << line;
        levels.push_back(line.substr(21, colon - 21));
        messages.push_back(line.substr(colon + 2));
    }
    EXPECT_EQ(text.size(), start) << "text after the last CR LF";
    EXPECT_EQ((std::vector<std::string>{"info", "warning", "error"}), levels);
    EXPECT_EQ((std::vector<std::string>{"started 7", "wide is narrow", "narrow text -3"}), messages);
}

TEST_F(LogTest, NarrowMessagesWidenEachByte)
{
    JxWriteLogA(JX_LOG_INFO, "%s", "caf\xE9");
    std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"info: caf\u00E9\r\n"));
}

TEST_F(LogTest, MessagesOfUpTo192CharactersAreWrittenLongerOrEmptyOnesDropped)
{
    JxWriteLogW(JX_LOG_INFO, u"%s", Repeat(u'a', 192).c_str());
    JxWriteLogW(JX_LOG_INFO, u"%s", Repeat(u'b', 193).c_str());
    JxWriteLogA(JX_LOG_INFO, "%s", std::string(193, 'c').c_str());
    JxWriteLogW(JX_LOG_INFO, u"%s", u"");
    JxWriteLogA(JX_LOG_INFO, "%s", "");

    std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"info: " + Repeat(u'a', 192) + u"\r\n"));
    EXPECT_EQ(std::u16string::npos, text.find(u'b'));
    EXPECT_EQ(std::u16string::npos, text.find(u'c'));
    // Exactly one line: the empty messages wrote nothing either.
    EXPECT_EQ(1u + 21u + 6u + 192u + 2u, text.size());
}

TEST_F(LogTest, LevelsOutsideOneToThreeAreACallerError)
{
    JxWriteLogW(0, u"zero");
    JxWriteLogA(4, "four");
    std::u16string text = LogText();
    EXPECT_EQ(std::u16string::npos, text.find(u"zero"));
    EXPECT_EQ(std::u16string::npos, text.find(u"four"));
    EXPECT_NE(std::u16string::npos, text.find(u"error: JxWriteLogW,check(nLevel >= JX_LOG_INFO && nLevel <= JX_LOG_ERROR)fail"));
    EXPECT_NE(std::u16string::npos, text.find(u"error: JxWriteLogA,check(nLevel >= JX_LOG_INFO && nLevel <= JX_LOG_ERROR)fail"));
}

TEST_F(LogTest, DirectoryWithOrWithoutSeparatorAndMissingParents)
{
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\a\\b\\c", 512000));
    EXPECT_EQ(u"\\SDMMC\\a\\b\\c\\app.exe.wceuilog", std::u16string(GlobalLog()->GetLogFilePath()));
    JxWriteLogW(JX_LOG_INFO, u"deep");
    EXPECT_NE(std::u16string::npos, ToUnits(m_device.ReadHostFile("SDMMC/a/b/c/app.exe.wceuilog")).find(u"deep"));

    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\a\\", 512000));
    EXPECT_EQ(u"\\SDMMC\\a\\app.exe.wceuilog", std::u16string(GlobalLog()->GetLogFilePath()));
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\a/", 512000));
    EXPECT_EQ(u"\\SDMMC\\a/app.exe.wceuilog", std::u16string(GlobalLog()->GetLogFilePath()));
}

TEST_F(LogTest, ReopeningAppendsWithoutASecondByteOrderMark)
{
    JxWriteLogW(JX_LOG_INFO, u"one");
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 512000));
    JxWriteLogW(JX_LOG_INFO, u"two");
    std::u16string text = LogText();
    EXPECT_EQ(u'\xFEFF', text[0]);
    EXPECT_EQ(std::u16string::npos, text.find(u'\xFEFF', 1));
    size_t one = text.find(u"info: one\r\n");
    size_t two = text.find(u"info: two\r\n");
    ASSERT_NE(std::u16string::npos, one);
    ASSERT_NE(std::u16string::npos, two);
    EXPECT_LT(one, two);
}

TEST_F(LogTest, OpenRefusesMissingDirectoryOrZeroSizeAndKeepsTheOpenLog)
{
    EXPECT_FALSE(WceUiOpenLogFile(nullptr, 512000));
    EXPECT_FALSE(WceUiOpenLogFile(u"", 512000));
    EXPECT_FALSE(WceUiOpenLogFile(u"\\SDMMC\\other", 0));
    EXPECT_FALSE(m_device.HostExists("SDMMC/other"));
    // The refusals are checks, logged into the log that is still open.
    std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"error: WceUiOpenLogFile,check(NULL != pLogDir && 0 != *pLogDir)fail"));
    EXPECT_NE(std::u16string::npos, text.find(u"error: WceUiOpenLogFile,check(0 != nMaxLogFileSize)fail"));
}

TEST_F(LogTest, MaximumSizeIsClamped)
{
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 100));
    EXPECT_EQ(4096u, GlobalLog()->GetMaxLogFileSize());
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 4097));
    EXPECT_EQ(4097u, GlobalLog()->GetMaxLogFileSize());
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 20000000));
    EXPECT_EQ(10240000u, GlobalLog()->GetMaxLogFileSize());
}

TEST_F(LogTest, ClosedLogDropsMessages)
{
    JxWriteLogW(JX_LOG_INFO, u"kept");
    WceUiCloseLogFile();
    JxWriteLogW(JX_LOG_INFO, u"dropped");
    std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"kept"));
    EXPECT_EQ(std::u16string::npos, text.find(u"dropped"));
    // Closing is final: the default log next to the executable is not opened either.
    EXPECT_FALSE(m_device.HostExists("SDMMC/app.exe.wceuilog"));
}

TEST_F(LogTest, FullLogKeepsItsNewestThreeQuartersEvenSized)
{
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 4096));
    // Lines of varying length, so that the sizes at which the trim happens vary.
    int trims = 0;
    for (int i = 0; i < 200 && trims < 3; ++i) {
        std::string before = LogBytes();
        JxWriteLogA(JX_LOG_INFO, "line %d %.*s", i, i % 37, "abcdefghijklmnopqrstuvwxyz0123456789!");
        std::string after = LogBytes();
        ASSERT_LT(after.size(), 4096u);
        ASSERT_EQ(0u, after.size() % 2);
        ASSERT_EQ("\xFF\xFE", after.substr(0, 2));
        if (after.size() > before.size()) continue;

        // Trimmed: the whole log had grown to before + the new line, S bytes.
        ++trims;
        size_t lineBytes = (21 + 6 + (std::string("line ") + std::to_string(i) + " ").size() + i % 37 + 2) * 2;
        std::string whole = before + after.substr(after.size() - lineBytes);
        size_t size = whole.size();
        ASSERT_GE(size, 4096u);
        size_t keep = (size - size / 4) & ~static_cast<size_t>(1);
        EXPECT_EQ("\xFF\xFE" + whole.substr(size - keep), after);
    }
    EXPECT_EQ(3, trims);
    // The log goes on after trimming.
    JxWriteLogW(JX_LOG_INFO, u"after trim");
    EXPECT_NE(std::u16string::npos, LogText().find(u"info: after trim\r\n"));
}

TEST_F(LogTest, ExistingReadOnlyLogOrAFileForADirectoryLeavesTheLogClosed)
{
    m_device.WriteHostFile("SDMMC/ro/app.exe.wceuilog", "\xFF\xFEx\0"s);
    ASSERT_EQ(0, chmod(m_device.Host("SDMMC/ro/app.exe.wceuilog").c_str(), 0444));
    EXPECT_FALSE(WceUiOpenLogFile(u"\\SDMMC\\ro", 512000));
    EXPECT_FALSE(GlobalLog()->IsOpen());
    JxWriteLogW(JX_LOG_INFO, u"lost");
    EXPECT_EQ("\xFF\xFEx\0"s, m_device.ReadHostFile("SDMMC/ro/app.exe.wceuilog"));

    m_device.WriteHostFile("SDMMC/plainfile", "data");
    EXPECT_FALSE(WceUiOpenLogFile(u"\\SDMMC\\plainfile", 512000));
    EXPECT_FALSE(GlobalLog()->IsOpen());
    JxWriteLogW(JX_LOG_INFO, u"lost too");
    EXPECT_EQ("data", m_device.ReadHostFile("SDMMC/plainfile"));
    EXPECT_FALSE(m_device.HostExists("SDMMC/app.exe.wceuilog"));
}

TEST_F(LogTest, FailedWriteLeavesNoPartialLineAndTheLogGoesOn)
{
    JxWriteLogW(JX_LOG_INFO, u"before");
    std::string before = LogBytes();
    // Room for 11 bytes: the next line is cut short, once and again after the reopen.
    wce::host::SetWriteQuota(u"\\SDMMC\\logs", 11);
    JxWriteLogW(JX_LOG_INFO, u"does not fit");
    EXPECT_EQ(before, LogBytes());

    wce::host::ClearWriteQuotas();
    JxWriteLogW(JX_LOG_INFO, u"space again");
    std::u16string text = LogText();
    EXPECT_EQ(std::u16string::npos, text.find(u"does not fit"));
    EXPECT_NE(std::u16string::npos, text.find(u"info: space again\r\n"));
    EXPECT_EQ(0u, LogBytes().size() % 2);
}

// Without Open or Close, the first message opens the log next to the executable.
TEST(LogDefault, FirstMessageOpensTheLogNextToTheExecutable)
{
    TempDevice device;
    wce::host::SetModulePath(u"\\SDMMC\\tools\\app.exe");
    {
        CJxWriteLogFile log;
        EXPECT_FALSE(log.IsOpen());
        EXPECT_FALSE(device.HostExists("SDMMC/tools/app.exe.wceuilog"));
        log.WriteMessage(JX_LOG_WARNING, u"hello", 5);
        EXPECT_TRUE(log.IsOpen());
        EXPECT_EQ(512000u, log.GetMaxLogFileSize());
        EXPECT_EQ(u"\\SDMMC\\tools\\app.exe.wceuilog", std::u16string(log.GetLogFilePath()));
    }
    std::u16string text = ToUnits(device.ReadHostFile("SDMMC/tools/app.exe.wceuilog"));
    EXPECT_EQ(u'\xFEFF', text[0]);
    EXPECT_NE(std::u16string::npos, text.find(u"  warning: hello\r\n"));
    wce::host::SetModulePath(nullptr);
}
