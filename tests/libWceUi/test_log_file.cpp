#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "JXCheck.h"
#include "doc_test_helpers.h"
#include "wce/files.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

using namespace std::string_literals;

TEST_F(LogTest, LinesCarryTimeDateLevelAndEndInCrLf)
{
    JxWriteLogW(JX_LOG_INFO, u"started %d", 7);
    JxWriteLogW(JX_LOG_WARNING, u"%s is %S", u"wide", "narrow");
    JxWriteLogA(JX_LOG_ERROR, "narrow %s %d", "text", -3);
    JxWriteLogA(JX_LOG_INFO, "%s", "caf\xE9");  // each byte widens

    const std::string bytes = LogBytes();
    ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2));
    // "hh:mm:ss yyyy-mm-dd  " with two spaces at the end; digits are masked, the messages
    // hold none but "7" and "3".
    std::string text = WideToUtf8(ToUnits(bytes).substr(1));
    for (char& c : text)
        if (c >= '0' && c <= '9') c = '#';
    std::string expected;
    for (const char* line :
         {"info: started #", "warning: wide is narrow", "error: narrow text -#", "info: caf\xC3\xA9"})
        expected += std::string("##:##:## ####-##-##  ") + line + "\r\n";
    EXPECT_EQ(expected, text);
}

TEST_F(LogTest, MessagesOfUpTo192CharactersAreWrittenLongerOrEmptyOnesDropped)
{
    JxWriteLogW(JX_LOG_INFO, u"%s", std::u16string(192, u'a').c_str());
    JxWriteLogW(JX_LOG_INFO, u"%s", std::u16string(193, u'b').c_str());
    JxWriteLogA(JX_LOG_INFO, "%s", std::string(193, 'c').c_str());
    JxWriteLogW(JX_LOG_INFO, u"%s", u"");
    JxWriteLogA(JX_LOG_INFO, "%s", "");

    // Exactly one line: the empty messages wrote nothing either.
    const std::u16string text = LogText();
    EXPECT_EQ(1u + 21u, text.find(u"info: " + std::u16string(192, u'a') + u"\r\n"));
    EXPECT_EQ(1u + 21u + 6u + 192u + 2u, text.size());
}

TEST_F(LogTest, LevelsOutsideOneToThreeAreACallerError)
{
    JxWriteLogW(0, u"zero");
    JxWriteLogA(4, "four");
    EXPECT_EQ(std::u16string::npos, LogText().find(u"zero"));
    EXPECT_EQ(std::u16string::npos, LogText().find(u"four"));
    EXPECT_EQ(2u, ErrorCount());
}

TEST_F(LogTest, DirectoryWithOrWithoutSeparatorMissingParentsAndTheSizeLimits)
{
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\a\\b\\c", 512000));
    JxWriteLogW(JX_LOG_INFO, u"deep");
    EXPECT_NE(std::u16string::npos, ToUnits(m_device.ReadHostFile("SDMMC/a/b/c/app.exe.wceuilog")).find(u"deep"));
    const struct { const char16_t* dir; DWORD size; const char16_t* path; DWORD kept; } cases[] = {
        {u"\\SDMMC\\a\\b\\c", 512000, u"\\SDMMC\\a\\b\\c\\app.exe.wceuilog", 512000},
        {u"\\SDMMC\\a\\", 100, u"\\SDMMC\\a\\app.exe.wceuilog", 4096},
        {u"\\SDMMC\\a/", 4097, u"\\SDMMC\\a/app.exe.wceuilog", 4097},
        {u"\\SDMMC\\logs", 20000000, u"\\SDMMC\\logs\\app.exe.wceuilog", 10240000}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WceUiOpenLogFile(c.dir, c.size));
        EXPECT_EQ(c.path, std::u16string(GlobalLog()->GetLogFilePath()));
        EXPECT_EQ(c.kept, GlobalLog()->GetMaxLogFileSize());
    }
}

TEST_F(LogTest, ReopeningAppendsWithoutASecondMarkAndClosingIsFinal)
{
    JxWriteLogW(JX_LOG_INFO, u"one");
    ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", 512000));
    JxWriteLogW(JX_LOG_INFO, u"two");
    WceUiCloseLogFile();
    JxWriteLogW(JX_LOG_INFO, u"dropped");
    const std::u16string text = LogText();
    EXPECT_EQ(u'\xFEFF', text[0]);
    EXPECT_EQ(std::u16string::npos, text.find(u'\xFEFF', 1));
    EXPECT_NE(std::u16string::npos, text.find(u"info: two\r\n", text.find(u"info: one\r\n")));
    EXPECT_EQ(std::u16string::npos, text.find(u"dropped"));
    // The default log next to the executable is not opened either.
    EXPECT_FALSE(m_device.HostExists("SDMMC/app.exe.wceuilog"));
}

TEST_F(LogTest, OpenRefusesMissingDirectoryOrZeroSizeAndKeepsTheOpenLog)
{
    EXPECT_FALSE(WceUiOpenLogFile(nullptr, 512000));
    EXPECT_FALSE(WceUiOpenLogFile(u"", 512000));
    EXPECT_FALSE(WceUiOpenLogFile(u"\\SDMMC\\other", 0));
    EXPECT_FALSE(m_device.HostExists("SDMMC/other"));
    // The refusals are checks, logged into the log that is still open.
    EXPECT_TRUE(LoggedError(u"WceUiOpenLogFile,check(NULL != pLogDir && 0 != *pLogDir)fail"));
    EXPECT_TRUE(LoggedError(u"WceUiOpenLogFile,check(0 != nMaxLogFileSize)fail"));
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

// The trim starts when the size reaches the maximum, not only past it.
TEST_F(LogTest, TrimStartsAtExactlyTheMaximum)
{
    const size_t kLine = (27 + 1 + 2) * 2;  // "hh:mm:ss yyyy-mm-dd  info: " "x" CRLF
    for (size_t total : {4094u, 4096u}) {
        std::string start = "\xFF\xFE";
        for (size_t i = 2; i < total - kLine; i += 2) start += std::string("a\0", 2);
        m_device.WriteHostFile("SDMMC/full/app.exe.wceuilog", start);
        ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\full", 4096));
        JxWriteLogA(JX_LOG_INFO, "x");
        WceUiCloseLogFile();
        const size_t size = m_device.ReadHostFile("SDMMC/full/app.exe.wceuilog").size();
        EXPECT_EQ(total < 4096 ? total : 2 + ((total - total / 4) & ~size_t{1}), size) << total;
    }
}

// A write through a handle that went away reopens the log where it was and writes again.
TEST_F(LogTest, FailedWriteReopensAndRetriesOnce)
{
    JxWriteLogW(JX_LOG_INFO, u"first");
    ASSERT_TRUE(CloseHandle(GlobalLog()->GetFileHandle()));  // as if the card went away and came back
    JxWriteLogW(JX_LOG_INFO, u"second");
    EXPECT_TRUE(GlobalLog()->IsOpen());
    const std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"info: first\r\n"));
    EXPECT_NE(std::u16string::npos, text.find(u"info: second\r\n"));
    EXPECT_EQ(1u, std::count(text.begin(), text.end(), u'\xFEFF'));  // no second mark
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

// Without Open or Close, the framework's start (OpenDefault) or the first message opens the
// log next to the executable; after Close neither does.
TEST(LogDefault, StartOrFirstMessageOpensTheLogNextToTheExecutable)
{
    enum Step { kOpenDefault, kMessage, kClose };
    struct Case { const char* name; std::vector<Step> steps; bool bornBeforeMessage, open; } cases[] = {
        {"start", {kOpenDefault, kMessage}, true, true},
        {"message", {kMessage}, false, true},
        {"closed first", {kClose, kOpenDefault, kMessage}, false, false},
    };
    for (const Case& c : cases) {
        TempDevice device;
        wce::host::SetModulePath(u"\\SDMMC\\tools\\app.exe");
        {
            CJxWriteLogFile log;
            EXPECT_FALSE(device.HostExists("SDMMC/tools/app.exe.wceuilog")) << c.name;
            for (Step step : c.steps) {
                if (step == kMessage) {
                    EXPECT_EQ(c.bornBeforeMessage, device.HostExists("SDMMC/tools/app.exe.wceuilog")) << c.name;
                    if (c.bornBeforeMessage) {
                        EXPECT_EQ(std::string("\xFF\xFE"), device.ReadHostFile("SDMMC/tools/app.exe.wceuilog"));
                    }
                    log.WriteMessage(JX_LOG_WARNING, u"hello", 5);
                } else if (step == kClose) {
                    log.Close();
                } else {
                    EXPECT_EQ(c.open, log.OpenDefault() != FALSE) << c.name;
                }
            }
            EXPECT_EQ(c.open, log.IsOpen() != FALSE) << c.name;
            EXPECT_EQ(512000u, log.GetMaxLogFileSize());
        }
        if (c.open) {
            const std::u16string text = ToUnits(device.ReadHostFile("SDMMC/tools/app.exe.wceuilog"));
            EXPECT_EQ(u'\xFEFF', text[0]) << c.name;
            EXPECT_NE(std::u16string::npos, text.find(u"  warning: hello\r\n")) << c.name;
            EXPECT_EQ(1u, std::count(text.begin(), text.end(), u'\xFEFF')) << c.name;
        }
    }
    wce::host::SetModulePath(nullptr);
}

// A card formatted elsewhere may hold a link or a second name where the log goes: the log
// replaces it with a file of its own, and neither its lines nor its trims reach the target.
TEST(LogOwnFile, LinkOrSecondNameIsReplacedAndItsTargetNeverTouched)
{
    const std::string big(600000, 'b');
    // target: relative to the log's folder, "" for none
    struct Case { const char* name; const char* target; bool hard; } cases[] = {
        {"link to the registry", "../../registry.reg", false},
        {"link to an installed file", "../../Residentflash2/app/big.dat", false},
        {"link off the device", "/etc/hostname", false},
        {"dangling link", "missing", false},
        {"second name of an installed file", "../../Residentflash2/app/big.dat", true},
        {"fifo", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        device.WriteHostFile("registry.reg", "REGEDIT4\n");
        device.WriteHostFile("Residentflash2/app/big.dat", big);
        device.MakeHostDir("SDMMC/logs");
        const std::string log = device.Host("SDMMC/logs/app.exe.wceuilog");
        if (!*c.target)
            ASSERT_EQ(0, mkfifo(log.c_str(), 0644));
        else if (c.hard)
            ASSERT_EQ(0, link(device.Host("Residentflash2/app/big.dat").c_str(), log.c_str()));
        else
            ASSERT_EQ(0, symlink(c.target, log.c_str()));
        wce::host::SetModulePath(u"\\SDMMC\\app.exe");
        ASSERT_TRUE(WceUiOpenLogFile(u"\\SDMMC\\logs", CJxWriteLogFile::MIN_LOG_FILE_SIZE));
        for (int i = 0; i < 100; ++i) JxWriteLogW(JX_LOG_INFO, u"line %d", i);  // trims several times
        WceUiCloseLogFile();
        wce::host::SetModulePath(nullptr);
        EXPECT_EQ("REGEDIT4\n", device.ReadHostFile("registry.reg"));
        EXPECT_TRUE(device.ReadHostFile("Residentflash2/app/big.dat") == big);
        struct stat st;
        ASSERT_EQ(0, lstat(log.c_str(), &st));
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(1u, st.st_nlink);
        EXPECT_NE(std::u16string::npos, ToUnits(device.ReadHostFile("SDMMC/logs/app.exe.wceuilog")).find(u"line 99\r\n"));
    }
}
