#include <string>

#include "JXCheck.h"
#include "JXGlobalData.h"
#include "doc_test_helpers.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

TEST_F(LogTest, FailedCheckLogsAssertsAndLetsTheCallerReturnItsFailure)
{
    EXPECT_TRUE(WCEUI_CHECK("CTest::Fine", 2 > 1));
    EXPECT_TRUE(JX_ASSERT(2 > 1));
    EXPECT_EQ(2u, LogBytes().size());  // passing checks write nothing: the byte-order mark alone

    wce::host::SetDebugOutputEnabled(true);
    testing::internal::CaptureStderr();
    int nLine = __LINE__ + 1;
    bool bResult = WCEUI_CHECK("CTest::Direct", 1 + 1 == 3);
    std::string debugOutput = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    bool bAssert = JX_ASSERT(0 > 1);  // the containers' assertion reaches only the debug output
    std::string assertOutput = testing::internal::GetCapturedStderr();
    wce::host::SetDebugOutputEnabled(false);

    EXPECT_FALSE(bResult);
    EXPECT_EQ("\r\n*** ASSERTION FAILED in " + std::string(__FILE__) + "(" + std::to_string(nLine) + "):\r\n1 + 1 == 3\r\n",
              debugOutput);
    EXPECT_FALSE(bAssert);
    EXPECT_NE(std::string::npos, assertOutput.find("):\r\n0 > 1\r\n"));
    EXPECT_EQ(std::u16string::npos, LogText().find(u"0 > 1"));

    CJxGlobalData data;
    EXPECT_FALSE(data.SetWndDir(nullptr));
    const std::u16string text = LogText();
    for (const char16_t* line : {u"CTest::Direct,check(1 + 1 == 3)fail", u"CJxGlobalData::SetWndDir,check(NULL != pWndDir)fail"})
        EXPECT_NE(std::u16string::npos, text.find(u"error: " + std::u16string(line) + u"\r\n")) << WideToUtf8(line);
}
