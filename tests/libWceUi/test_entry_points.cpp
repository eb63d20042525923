// WceUiInit, WceUIChangeLanguage and the screen configuration file.
#include "JXGlobalData.h"
#include "WceUiCommon.h"
#include "bitmap_helpers.h"

namespace {

// where: "exe" (the program's folder), "root" or "both"
struct ScreenCase { const char* where; const char16_t* xml; BOOL result; int width, height, bits; bool bLogged; };

}  // namespace

TEST_F(SkinTest, InitWinReadsTheScreenConfiguration)
{
    const ScreenCase cases[] = {
        {"exe", u"<screen width=\"800\" height=\"480\" bitspixel=\"32\"/>", TRUE, 800, 480, 32, false},
        {"root", u"<any width=\"320\" height=\"240\"/>", TRUE, 320, 240, 16, true},
        {"both", u"<s width=\"640\" height=\"400\" bitspixel=\"16\"/>", TRUE, 640, 400, 16, false},
        {"exe", u"<s width=\"800\" bitspixel=\"32\"/>", FALSE, 480, 272, 16, true},
        {"exe", u"<s width=\"800\" height=\"480\" bitspixel=\"24\"/>", TRUE, 800, 480, 16, true},
        {"exe", u"<s width=\"0\" height=\"480\" bitspixel=\"32\"/>", FALSE, 480, 272, 16, true},
        {"none", nullptr, FALSE, 480, 272, 16, true},
    };
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.xml ? Utf8(c.xml) : std::string("no file"));
        std::string where = c.where;
        m_device.WriteHostFile("SDMMC/wceui.xml", "");
        m_device.WriteHostFile("wceui.xml", "");
        if (where == "exe" || where == "both") WriteText("SDMMC/wceui.xml", c.xml);
        if (where == "root") WriteText("wceui.xml", c.xml);
        if (where == "both") WriteText("wceui.xml", u"<s width=\"1\" height=\"1\"/>");
        m_log.Clear();
        CJxGlobalData settings;
        EXPECT_EQ(c.result, settings.InitWin());
        EXPECT_EQ(c.width, settings.GetScreenWidth());
        EXPECT_EQ(c.height, settings.GetScreenHeight());
        EXPECT_EQ(c.bits, settings.GetBitsPixel());
        EXPECT_EQ(c.bLogged, !m_log.Messages().empty());
        // Once set, the settings stay.
        EXPECT_TRUE(settings.InitWin());
    }
}

TEST_F(SkinTest, InitStoresTheSettingsWhateverTheLanguageLoadGives)
{
    HINSTANCE hInstance = reinterpret_cast<HINSTANCE>(0x1000);
    EXPECT_TRUE(WceUiInit(hInstance, u"wnd", u"\\SDMMC\\res", u"language\\missing.ini", FALSE));
    EXPECT_EQ(hInstance, WceUiGetInstanceHandle());
    EXPECT_EQ(std::u16string(u"\\SDMMC\\wnd\\"), std::u16string(WceUiGetWndDir()));
    EXPECT_EQ(std::u16string(u"\\SDMMC\\res\\"), std::u16string(WceUiGetResDir()));

    m_log.Clear();
    EXPECT_FALSE(WceUiInit(NULL, u"w", u"r", u"l", FALSE));
    EXPECT_FALSE(WceUiInit(hInstance, u"w", u"r", NULL, FALSE));
    EXPECT_EQ(2u, m_log.Messages().size());

    m_log.Clear();
    EXPECT_FALSE(WceUIChangeLanguage(u"\\SDMMC\\none.ini", FALSE));
    EXPECT_TRUE(m_log.Contains("SetLanguage \\SDMMC\\none.ini failed"));
    WriteText("SDMMC/lang.ini", u"a=b\n");
    EXPECT_TRUE(WceUIChangeLanguage(u"\\SDMMC\\lang.ini", FALSE));
}
