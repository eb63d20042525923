#include <string>

#include "JXGlobalData.h"
#include "WceUiCommon.h"
#include "gtest/gtest.h"
#include "doc_test_helpers.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace {

std::u16string RealPath(LPCWSTR pInput, LPCWSTR pBase)
{
    CQuickString strOut;
    EXPECT_TRUE(JxGetRealPath(strOut, pInput, pBase));
    return strOut.GetString();
}

}  // namespace

TEST(JxGetRealPath, RelativePartsDotsAndDoubleDots)
{
    const struct { const char16_t* pInput; const char16_t* pBase; const char16_t* pExpected; } cases[] = {
        {u"", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\"},
        {u".", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\"},
        {u"\\", u"\\SDMMC\\res\\", u"\\"},
        {u"/", u"\\SDMMC\\res\\", u"/"},
        {u"\\Residentflash2\\a\\..\\b", u"\\SDMMC\\", u"\\Residentflash2\\a\\..\\b"},  // absolute: as it is
        {u"c:\\wceui.xml", u"\\SDMMC\\", u"c:\\wceui.xml"},
        {u"c:", u"\\SDMMC\\", u"c:"},
        {u"wnd/a.xml", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\wnd\\a.xml"},
        {u".\\wnd\\.\\a.xml", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\wnd\\a.xml"},
        {u"..\\other\\a.xml", u"\\SDMMC\\res\\", u"\\SDMMC\\other\\a.xml"},
        {u"x\\..\\..\\a.xml", u"\\SDMMC\\res\\", u"\\SDMMC\\a.xml"},
        {u"dir\\", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\dir\\"},
        {u"a\\..", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\a\\.."},  // the last part is literal, even ".."
        {u"a\\..\\.", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\."},
        {u"..\\..\\..\\a", u"\\SDMMC\\res\\", u"\\a"},  // ".." stops at a root
        {u"..\\a", u"c:\\", u"c:\\a"},
        {u"..\\a", u"base\\", u"base\\a"},
        {u"/a//b", u"\\SDMMC\\res\\", u"\\SDMMC\\res\\a\\b"},  // "/" is not absolute; empty parts go
        {u"a", u"\\SDMMC\\res", u"\\SDMMC\\res\\a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(c.pExpected), RealPath(c.pInput, c.pBase)) << WideToUtf8(c.pInput);
}

// Relative paths start from the executable's folder and end in a separator.
TEST_F(LogTest, GlobalDirectoriesAndPassword)
{
    CQuickString strOut(u"unchanged");
    EXPECT_FALSE(JxGetRealPath(strOut, nullptr, u"\\"));
    EXPECT_EQ(u"unchanged", std::u16string(strOut.GetString()));
    EXPECT_NE(std::u16string::npos, LogText().find(u"JxGetRealPath,check(NULL != pInputPath)fail"));

    wce::host::SetModulePath(u"\\SDMMC\\bin\\brantel.exe");
    EXPECT_EQ(u"\\SDMMC\\skin\\", RealPath(u"..\\skin\\", nullptr));
    CJxGlobalData data;
    EXPECT_TRUE(data.SetWndDir(u"brantel.pack\\800x480\\wnd"));
    EXPECT_EQ(u"\\SDMMC\\bin\\brantel.pack\\800x480\\wnd\\", std::u16string(data.GetWndDir()));
    EXPECT_TRUE(data.SetResDir(u"\\Residentflash2\\skin/"));
    EXPECT_EQ(u"\\Residentflash2\\skin/", std::u16string(data.GetResDir()));
    EXPECT_TRUE(data.SetWndDir(u""));
    EXPECT_EQ(u"\\SDMMC\\bin\\", std::u16string(data.GetWndDir()));

    WCHAR szPassword[] = u"secret";
    EXPECT_TRUE(data.SetPackPassword(szPassword));
    szPassword[0] = u'X';
    EXPECT_EQ(u"secret", std::u16string(data.GetPackPassword()));
    EXPECT_TRUE(data.SetPackPassword(nullptr));
    EXPECT_EQ(nullptr, data.GetPackPassword());
}

TEST(CJxGlobalData, ScreenComesFromTheDeviceOnceUnlessFixedBefore)
{
    wce::host::SetScreenMetrics(480, 272, 32);
    CJxGlobalData device;
    EXPECT_EQ(272, device.GetScreenHeight());
    EXPECT_EQ(32, device.GetBitsPixel());
    // Read once: a later change of the device is not seen.
    wce::host::SetScreenMetrics(800, 480, 16);
    EXPECT_EQ(480, device.GetScreenWidth());

    CJxGlobalData fixed;
    EXPECT_TRUE(fixed.SetScreenInfo(320, 240, 16));
    EXPECT_EQ(240, fixed.GetScreenHeight());
}

TEST(WceUiCommon, VersionAndLargeRect)
{
    WCHAR szVersion[16];
    EXPECT_EQ(7, WceUiGetVerString(szVersion));
    EXPECT_EQ(u"1.3.0.0", std::u16string(szVersion));
    WCHAR szSmall[7];  // no room for the terminator
    EXPECT_EQ(0, WceUiGetVerString(szSmall));
    EXPECT_EQ(u"", std::u16string(szSmall));

    RECT rc, almost = {-65535, -65535, 65535, 65534};
    WceUiGetLargeRect(rc);
    EXPECT_TRUE(WceUiIsRectLarge(rc));
    EXPECT_FALSE(WceUiIsRectLarge(almost));
}
