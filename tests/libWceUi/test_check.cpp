#include <string>

#include "JXCheck.h"
#include "JXGlobalData.h"
#include "log_helpers.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

namespace {

int CheckedOperation(const WCHAR* pName)
{
    if (!WCEUI_CHECK("CTest::Operation", NULL != pName)) return -1;
    return 1;
}

}  // namespace

TEST_F(LogTest, FailedCheckLogsAssertsAndLetsTheCallerReturnItsFailure)
{
    wce::host::SetDebugOutputEnabled(true);
    testing::internal::CaptureStderr();
    int nLine = __LINE__ + 1;
    bool bResult = WCEUI_CHECK("CTest::Direct", 1 + 1 == 3);
    std::string debugOutput = testing::internal::GetCapturedStderr();
    wce::host::SetDebugOutputEnabled(false);

    EXPECT_FALSE(bResult);
    EXPECT_NE(std::u16string::npos, LogText().find(u"error: CTest::Direct,check(1 + 1 == 3)fail\r\n"));
    std::string expected = "\r\n*** ASSERTION FAILED in " + std::string(__FILE__) + "(" + std::to_string(nLine) +
                           "):\r\n1 + 1 == 3\r\n";
    EXPECT_EQ(expected, debugOutput);

    EXPECT_EQ(-1, CheckedOperation(nullptr));
    EXPECT_EQ(1, CheckedOperation(u"x"));
    EXPECT_NE(std::u16string::npos, LogText().find(u"error: CTest::Operation,check(NULL != pName)fail\r\n"));
}

TEST_F(LogTest, PassingCheckWritesNothing)
{
    EXPECT_TRUE(WCEUI_CHECK("CTest::Fine", 2 > 1));
    EXPECT_TRUE(JX_ASSERT(2 > 1));
    EXPECT_EQ(2u, LogBytes().size());  // the byte-order mark alone
}

TEST_F(LogTest, ContainerAssertionOnlyReachesTheDebugOutput)
{
    wce::host::SetDebugOutputEnabled(true);
    testing::internal::CaptureStderr();
    bool bResult = JX_ASSERT(0 > 1);
    std::string debugOutput = testing::internal::GetCapturedStderr();
    wce::host::SetDebugOutputEnabled(false);

    EXPECT_FALSE(bResult);
    EXPECT_NE(std::string::npos, debugOutput.find("*** ASSERTION FAILED in "));
    EXPECT_NE(std::string::npos, debugOutput.find("):\r\n0 > 1\r\n"));
    EXPECT_EQ(2u, LogBytes().size());
}

TEST_F(LogTest, SettingsChecksNameTheOperation)
{
    CJxGlobalData data;
    EXPECT_FALSE(data.SetWndDir(nullptr));
    EXPECT_FALSE(data.SetResDir(nullptr));
    std::u16string text = LogText();
    EXPECT_NE(std::u16string::npos, text.find(u"error: CJxGlobalData::SetWndDir,check(NULL != pWndDir)fail\r\n"));
    EXPECT_NE(std::u16string::npos, text.find(u"error: CJxGlobalData::SetResDir,check(NULL != pResDir)fail\r\n"));
}
