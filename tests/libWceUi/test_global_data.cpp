#include <string>

#include "JXGlobalData.h"
#include "WceUiCommon.h"
#include "gtest/gtest.h"
#include "log_helpers.h"
#include "wce/host.h"

namespace {

std::u16string RealPath(LPCWSTR pInput, LPCWSTR pBase)
{
    CQuickString strOut;
    EXPECT_TRUE(JxGetRealPath(strOut, pInput, pBase));
    return strOut.GetString();
}

}  // namespace

TEST(JxGetRealPath, EmptyDotAndLoneSeparators)
{
    EXPECT_EQ(u"\\SDMMC\\res\\", RealPath(u"", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\", RealPath(u".", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\", RealPath(u"\\", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"/", RealPath(u"/", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\x", RealPath(u"x", u"\\SDMMC\\res\\"));
}

TEST(JxGetRealPath, AbsoluteAndDrivePathsStayAsTheyAre)
{
    EXPECT_EQ(u"\\Residentflash2\\a\\..\\b", RealPath(u"\\Residentflash2\\a\\..\\b", u"\\SDMMC\\"));
    EXPECT_EQ(u"c:\\wceui.xml", RealPath(u"c:\\wceui.xml", u"\\SDMMC\\"));
    EXPECT_EQ(u"c:", RealPath(u"c:", u"\\SDMMC\\"));
}

TEST(JxGetRealPath, RelativePartsDotsAndDoubleDots)
{
    EXPECT_EQ(u"\\SDMMC\\res\\wnd\\a.xml", RealPath(u"wnd\\a.xml", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\wnd\\a.xml", RealPath(u"wnd/a.xml", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\wnd\\a.xml", RealPath(u".\\wnd\\.\\a.xml", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\other\\a.xml", RealPath(u"..\\other\\a.xml", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\a.xml", RealPath(u"x\\..\\..\\a.xml", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\dir\\", RealPath(u"dir\\", u"\\SDMMC\\res\\"));
    // The last part is taken literally, even "..".
    EXPECT_EQ(u"\\SDMMC\\res\\a\\..", RealPath(u"a\\..", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\.", RealPath(u"a\\..\\.", u"\\SDMMC\\res\\"));
    // ".." stops at a root.
    EXPECT_EQ(u"\\a", RealPath(u"..\\..\\..\\a", u"\\SDMMC\\res\\"));
    EXPECT_EQ(u"c:\\a", RealPath(u"..\\a", u"c:\\"));
    EXPECT_EQ(u"base\\a", RealPath(u"..\\a", u"base\\"));
    // A leading "/" is not absolute; empty parts are skipped.
    EXPECT_EQ(u"\\SDMMC\\res\\a\\b", RealPath(u"/a//b", u"\\SDMMC\\res\\"));
    // A base without its separator gets one.
    EXPECT_EQ(u"\\SDMMC\\res\\a", RealPath(u"a", u"\\SDMMC\\res"));
}

TEST(JxGetRealPath, DefaultBaseIsTheExecutablesDirectory)
{
    wce::host::SetModulePath(u"\\SDMMC\\bin\\app.exe");
    EXPECT_EQ(u"\\SDMMC\\bin\\", RealPath(u"", nullptr));
    EXPECT_EQ(u"\\SDMMC\\skin\\", RealPath(u"..\\skin\\", nullptr));
    wce::host::SetModulePath(nullptr);
}

TEST_F(LogTest, NullInputIsACheck)
{
    CQuickString strOut(u"unchanged");
    EXPECT_FALSE(JxGetRealPath(strOut, nullptr, u"\\"));
    EXPECT_EQ(u"unchanged", std::u16string(strOut.GetString()));
    EXPECT_NE(std::u16string::npos, LogText().find(u"JxGetRealPath,check(NULL != pInputPath)fail"));
}

TEST(CJxGlobalData, DirectoriesAreResolvedAndEndInASeparator)
{
    wce::host::SetModulePath(u"\\SDMMC\\brantel.exe");
    CJxGlobalData data;
    EXPECT_TRUE(data.SetWndDir(u"brantel.pack\\800x480\\wnd"));
    EXPECT_EQ(u"\\SDMMC\\brantel.pack\\800x480\\wnd\\", std::u16string(data.GetWndDir()));
    EXPECT_TRUE(data.SetResDir(u"res\\"));
    EXPECT_EQ(u"\\SDMMC\\res\\", std::u16string(data.GetResDir()));
    EXPECT_TRUE(data.SetResDir(u"\\Residentflash2\\skin/"));
    EXPECT_EQ(u"\\Residentflash2\\skin/", std::u16string(data.GetResDir()));
    EXPECT_TRUE(data.SetWndDir(u""));
    EXPECT_EQ(u"\\SDMMC\\", std::u16string(data.GetWndDir()));
    wce::host::SetModulePath(nullptr);
}

TEST(CJxGlobalData, ScreenComesFromTheDeviceOnceUnlessFixedBefore)
{
    wce::host::SetScreenMetrics(480, 272, 32);
    {
        CJxGlobalData data;
        EXPECT_FALSE(data.IsScreenInfoSet());
        EXPECT_EQ(480, data.GetScreenWidth());
        EXPECT_EQ(272, data.GetScreenHeight());
        EXPECT_EQ(32, data.GetBitsPixel());
        // Read once: a later change of the device is not seen.
        wce::host::SetScreenMetrics(800, 480, 16);
        EXPECT_EQ(480, data.GetScreenWidth());
    }
    {
        CJxGlobalData data;
        EXPECT_TRUE(data.SetScreenInfo(320, 240, 16));
        EXPECT_EQ(320, data.GetScreenWidth());
        EXPECT_EQ(240, data.GetScreenHeight());
        EXPECT_EQ(16, data.GetBitsPixel());
    }
}

TEST(CJxGlobalData, PasswordIsCopiedAndMayBeNone)
{
    CJxGlobalData data;
    EXPECT_EQ(nullptr, data.GetPackPassword());
    WCHAR szPassword[] = u"secret";
    EXPECT_TRUE(data.SetPackPassword(szPassword));
    szPassword[0] = u'X';
    EXPECT_EQ(u"secret", std::u16string(data.GetPackPassword()));
    EXPECT_TRUE(data.SetPackPassword(u"other"));
    EXPECT_EQ(u"other", std::u16string(data.GetPackPassword()));
    EXPECT_TRUE(data.SetPackPassword(nullptr));
    EXPECT_EQ(nullptr, data.GetPackPassword());
}

TEST(WceUiCommon, VersionAndLargeRect)
{
    WCHAR szVersion[16];
    EXPECT_EQ(7, WceUiGetVerString(szVersion));
    EXPECT_EQ(u"1.3.0.0", std::u16string(szVersion));
    WCHAR szSmall[7];
    EXPECT_EQ(0, WceUiGetVerString(szSmall));
    EXPECT_EQ(u"", std::u16string(szSmall));

    RECT rc;
    WceUiGetLargeRect(rc);
    EXPECT_TRUE(WceUiIsRectLarge(rc));
    RECT almost = {-65535, -65535, 65535, 65534};
    EXPECT_FALSE(WceUiIsRectLarge(almost));
    RECT screen = {0, 0, 800, 480};
    EXPECT_FALSE(WceUiIsRectLarge(screen));
}

TEST_F(LogTest, InstanceHandleBeforeInitIsACheck)
{
    EXPECT_EQ(nullptr, WceUiGetInstanceHandle());
    EXPECT_NE(std::u16string::npos, LogText().find(u"WceUiGetInstanceHandle,check(NULL != hInstance)fail"));
}
