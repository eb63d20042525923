// The bitmap, color and font caches and their holders, skin changes included.
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "JXGVar.h"
#include "JXGetBitmap.h"
#include "JXGetColor.h"
#include "JXGetFont.h"
#include "WceUiLoadBitmap.h"
#include "WceUiLoadColor.h"
#include "WceUiLoadFont.h"
#include "bitmap_helpers.h"

namespace {

CJxBitmapResLoader* Bitmaps() { return CJxGVar::GetInstance()->GetCJxBitmapResLoader(); }
CJxColorResLoader* Colors() { return CJxGVar::GetInstance()->GetCJxColorResLoader(); }
CJxFontResLoader* Fonts() { return CJxGVar::GetInstance()->GetCJxFontResLoader(); }

LOGFONTW SystemFont()
{
    LOGFONTW lf;
    JxGetSystemLogFont(&lf);
    return lf;
}

// Two skins: "res" and "res2", each with bitmaps, colors and a font.
class CacheTest : public SkinTest {
protected:
    void SetUp() override
    {
        SkinTest::SetUp();
        Bitmap("res", "a", 16, 0x001F);
        Bitmap("res", "dir/b", 16, 0xF800, u"tc=102030\nca=128\n");
        WriteText("SDMMC/res/color/wceui.color", u"text=0x0000FF\nback=0x102030\nodd=green\n");
        WriteText("SDMMC/res/font/title", u"height=-20\nweight=700\nfacename=DejaVu Serif\n");
        ASSERT_TRUE(UseRes("res"));
        m_log.Clear();
    }
};

}  // namespace

TEST_F(CacheTest, OneObjectPerIdDeletedAfterTheLastRelease)
{
    // '/' and '\\' name the same bitmap and font; colors are not file names.
    CWceUiGenericBitmap* p1 = WceUiGetBitmap(u"dir/b.conf");
    CWceUiGenericBitmap* p2 = WceUiGetBitmap(u"dir\\b.conf");
    ASSERT_NE(nullptr, p1);
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(2, Bitmaps()->GetRefCount(p1));
    EXPECT_EQ("tc=302010 ca=128", Attributes(*p1));
    WceUiReleaseBitmap(p1);
    EXPECT_EQ(1, Bitmaps()->GetRefCount(p1));
    WceUiReleaseBitmap(p2);
    EXPECT_EQ(-1, Bitmaps()->GetRefCount(p1));
    EXPECT_EQ(0, Bitmaps()->GetCount());

    CWceUiColor* c1 = WceUiGetColor(u"text");
    CWceUiColor* c2 = WceUiGetColor(u"text");
    ASSERT_NE(nullptr, c1);
    EXPECT_EQ(c1, c2);
    EXPECT_EQ(RGB(0, 0, 0xFF), c1->GetColor());
    EXPECT_EQ(nullptr, WceUiGetColor(u"TEXT"));  // ids are exact
    WceUiReleaseColor(c1);
    WceUiReleaseColor(c2);

    CWceUiFont* f1 = WceUiGetFont(u"title");
    ASSERT_NE(nullptr, f1);
    EXPECT_EQ(-20, f1->GetLogFont().lfHeight);
    EXPECT_NE(nullptr, f1->GetFont());
    WceUiReleaseFont(f1);
    EXPECT_EQ(0, Fonts()->GetCount() + Colors()->GetCount());
    EXPECT_TRUE(m_log.Messages().empty()) << m_log.Messages()[0];
}

TEST_F(CacheTest, MisuseAndMissingResourcesAreLogged)
{
    CWceUiColor color;
    CWceUiFont font;
    WceUiReleaseBitmap(reinterpret_cast<CWceUiGenericBitmap*>(&color));
    WceUiReleaseColor(&color);
    WceUiReleaseFont(&font);
    EXPECT_EQ(nullptr, WceUiGetBitmap(u"none.conf"));
    EXPECT_EQ(nullptr, WceUiGetColor(u"none"));  // no such key: no message
    EXPECT_EQ(nullptr, WceUiGetColor(u"odd"));
    EXPECT_EQ(nullptr, WceUiGetFont(u"none"));
    EXPECT_TRUE(m_log.Contains("the color odd of \\SDMMC\\res\\color\\wceui.color is not 0x"));
    EXPECT_EQ(0, Bitmaps()->GetCount() + Colors()->GetCount() + Fonts()->GetCount());
}

TEST_F(CacheTest, LeftoverEntriesAreReportedWhenACacheGoes)
{
    {
        CJxColorResLoader cache;
        ASSERT_NE(nullptr, cache.GetColor(u"back"));
        cache.GetColor(u"back");
    }
    EXPECT_TRUE(m_log.Contains("back is not released, reference count is 2"));
}

TEST_F(CacheTest, HoldersAcquireLazilyAndReleaseOnFreeCleanAndDestruction)
{
    {
        CWceUiLoadBitmap holder(u"a.conf");
        EXPECT_EQ(0, Bitmaps()->GetCount());
        CWceUiGenericBitmap* p = holder.GetBitmap();
        ASSERT_NE(nullptr, p);
        CWceUiLoadBitmap copy(holder);  // the id, its own reference on first use
        EXPECT_EQ(1, Bitmaps()->GetRefCount(p));
        EXPECT_EQ(p, copy.GetBitmap());
        EXPECT_EQ(2, Bitmaps()->GetRefCount(p));
        holder.FreeBmpRes();
        EXPECT_EQ(1, Bitmaps()->GetRefCount(p));
        EXPECT_EQ(std::u16string(u"a.conf"), std::u16string(holder.GetBitmapID()));
        EXPECT_EQ(p, holder.GetBitmap());
        holder.SetBitmapFromRes(u"A.CONF");  // the same id ignoring case: kept
        EXPECT_EQ(p, holder.PeekBitmap());
        holder.Clean();
        EXPECT_EQ(CWceUiLoadBitmap::SOURCE_APP, holder.GetSource());
        EXPECT_EQ(nullptr, holder.GetBitmap());
        EXPECT_EQ(1, Bitmaps()->GetRefCount(p));

        // A private copy of an application's bitmap stays through FreeBmpRes.
        CWceUiLoadBitmap own(p);
        CWceUiGenericBitmap* pOwn = own.GetBitmap();
        ASSERT_NE(nullptr, pOwn);
        EXPECT_NE(p, pOwn);
        own.FreeBmpRes();
        EXPECT_EQ(pOwn, own.GetBitmap());
    }
    EXPECT_EQ(0, Bitmaps()->GetCount());

    // A missing bitmap is tried again on every call.
    CWceUiLoadBitmap missing(u"gone.conf");
    EXPECT_EQ(nullptr, missing.GetBitmap());
    EXPECT_EQ(nullptr, missing.GetBitmap());
    int n = 0;
    for (const std::string& m : m_log.Messages()) n += m == "In CWceUiLoadBitmap::GetBitmap, load bitmap id gone.conf failed";
    EXPECT_EQ(2, n);
}

TEST_F(CacheTest, ColorAndFontHoldersFallBackOnceAndKeepTheFirstCaseOfAnId)
{
    CWceUiLoadColor color(u"missing");
    EXPECT_EQ(0u, color.GetColor());
    EXPECT_EQ(0u, color.GetColor());
    CWceUiLoadFont font(u"missing");
    LOGFONTW lf;
    ASSERT_TRUE(font.GetLogFont(&lf));
    LOGFONTW system = SystemFont();
    EXPECT_EQ(0, memcmp(&system, &lf, sizeof(lf)));
    EXPECT_NE(nullptr, font.GetFont());
    for (const char* message : {"load color id missing failed, use black", "load font id missing failed use default font"})
        EXPECT_EQ(1, std::count(m_log.Messages().begin(), m_log.Messages().end(), message)) << message;
    // The fallback is private: cleaning releases nothing.
    color.Clean();
    font.Clean();
    EXPECT_EQ(0, Colors()->GetCount() + Fonts()->GetCount());

    CWceUiLoadColor text(u"text");
    EXPECT_EQ(RGB(0, 0, 0xFF), text.GetColor());
    text.SetColor(u"TEXT");
    EXPECT_EQ(std::u16string(u"text"), std::u16string(text.GetColorID()));
    EXPECT_EQ(1, Colors()->GetCount());
}

TEST_F(CacheTest, FontConfigurationKeys)
{
    WriteText("SDMMC/res/font/all",
         u"height=-99999999999\nwidth=12\nescapement=900\norientation=-900\nweight=bold\nitalic=257\n"
         u"underline=1\nstrikeout=-1\ncharset=134\noutprecision=3\nclipprecision=2\nquality=3\n"
         u"pitchandfamily=34\nfacename=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\n");
    CWceUiFont* pFont = WceUiGetFont(u"all");
    ASSERT_NE(nullptr, pFont);
    const LOGFONTW& lf = pFont->GetLogFont();
    // In the file's order: the height saturates, "bold" has no digits, 257 keeps its low 8 bits.
    EXPECT_EQ((std::vector<long>{INT_MIN, 12, 900, -900, 0, 1, 1, 255, 134, 3, 2, 3, 34}),
              (std::vector<long>{lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight, lf.lfItalic,
                                 lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision, lf.lfClipPrecision,
                                 lf.lfQuality, lf.lfPitchAndFamily}));
    EXPECT_EQ(std::u16string(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde"), std::u16string(lf.lfFaceName));
    WceUiReleaseFont(pFont);

    // Missing keys keep the system font's values.
    WriteText("SDMMC/res/font/empty", u"; nothing\n");
    pFont = WceUiGetFont(u"empty");
    ASSERT_NE(nullptr, pFont);
    LOGFONTW system = SystemFont();
    EXPECT_TRUE(JxIsSameLogFont(system, pFont->GetLogFont()));
    WceUiReleaseFont(pFont);
}

TEST_F(CacheTest, SkinChangeReloadsInPlaceAndKeepsWhatFails)
{
    Bitmap("res", "c", 16, 0x07E0, u"pa=true\n");
    m_device.WriteHostFile("SDMMC/res/bitmap/c.alpha", std::string(8, '\x3F'));
    Bitmap("res", "d", 32, 0xFF102030, u"tc=000000\nca=9\n");
    CWceUiLoadBitmap a(u"a.conf"), b(u"dir/b.conf"), c(u"c.conf"), d(u"d.conf");
    CWceUiLoadColor text(u"text");
    CWceUiLoadFont title(u"title");
    ASSERT_TRUE(a.GetBitmap() && b.GetBitmap() && c.GetBitmap() && d.GetBitmap());
    title.GetFont();
    text.GetColor();
    const std::string oldA = ArrayOf(*a.GetBitmap());
    const std::string oldC = ArrayOf(*c.GetBitmap());

    // The new skin: a turned 32-bit, b without transparent color or constant alpha, c with a
    // short alpha file, d's pixels changed, new color and font values.
    Bitmap("res2", "a", 32, 0xFF0000FF);
    Bitmap("res2", "dir/b", 16, 0x0001);
    Bitmap("res2", "c", 16, 0x0002, u"pa=true\n");
    m_device.WriteHostFile("SDMMC/res2/bitmap/c.alpha", std::string(7, '\x3F'));
    Bitmap("res2", "d", 32, 0x80112233, u"pa=true\n");
    WriteText("SDMMC/res2/color/wceui.color", u"text=0x00FF00\n");
    WriteText("SDMMC/res2/font/title", u"height=-30\n");
    m_log.Clear();
    EXPECT_FALSE(UseRes("res2"));

    EXPECT_EQ(oldA, ArrayOf(*a.GetBitmap()));
    EXPECT_EQ(16, a.GetBitmap()->GetBitsPixel());
    EXPECT_EQ(oldC, ArrayOf(*c.GetBitmap()));
    EXPECT_EQ("pa", Attributes(*c.GetBitmap()));
    EXPECT_EQ(Pixels({1, 1, 1}), RowOf(*b.GetBitmap()));
    EXPECT_EQ("", Attributes(*b.GetBitmap()));
    // A reloaded bitmap equals a fresh load of the new configuration.
    std::unique_ptr<CWceUiGenericBitmap> pFresh(JxLoadBitmapFromConfFile(u"\\SDMMC\\res2\\bitmap\\d.conf"));
    ASSERT_NE(nullptr, pFresh);
    EXPECT_EQ(ArrayOf(*pFresh), ArrayOf(*d.GetBitmap()));
    EXPECT_EQ("pa", Attributes(*d.GetBitmap()));

    EXPECT_EQ(RGB(0, 0xFF, 0), text.GetColor());
    LOGFONTW lf;
    title.GetLogFont(&lf);
    EXPECT_EQ(-30, lf.lfHeight);
    EXPECT_EQ(SystemFont().lfWeight, lf.lfWeight);  // from the system font, not the old one
    EXPECT_NE(nullptr, title.GetFont());

    EXPECT_EQ(4u, m_log.Messages().size());  // a and c, each the cause and the failed reload

    // A skin without the color or the font fails those and keeps their values.
    m_log.Clear();
    for (const char* name : {"a", "dir/b", "c"}) Bitmap("res3", name, 16, 1);
    Bitmap("res3", "d", 32, 1);
    WriteText("SDMMC/res3/color/wceui.color", u"other=0x000000\n");
    EXPECT_FALSE(UseRes("res3"));
    EXPECT_EQ(RGB(0, 0xFF, 0), text.GetColor());
    EXPECT_TRUE(m_log.Contains("load text color failed when changing skin"));
    EXPECT_TRUE(m_log.Contains("change skin load \\SDMMC\\res3\\font\\title failed"));
}

TEST_F(SkinTest, ResourceDirectoryMustBeSet)
{
    if (*WceUiGetResDir()) GTEST_SKIP() << "another test of this process set it";
    EXPECT_EQ(nullptr, WceUiGetBitmap(u"a.conf"));
    EXPECT_EQ(nullptr, WceUiGetColor(u"a"));
    EXPECT_EQ(nullptr, WceUiGetFont(u"a"));
    EXPECT_EQ(3u, m_log.Messages().size());
    for (const std::string& m : m_log.Messages())
        EXPECT_EQ("please set the resource directory use WceUiInit or WceUiChangeResDir", m);
}

// At exit the caches go before holders in static objects made earlier: such holders must
// then neither reach the caches nor the objects they held. The log is still open at this
// exit and closes its file after the platform's other statics are gone.
TEST_F(CacheTest, HoldersThatOutliveTheCachesReleaseNothing)
{
    auto outlive = [this] {
        CWceUiLoadBitmap* pBitmap = new CWceUiLoadBitmap(u"a.conf");
        CWceUiLoadColor* pColor = new CWceUiLoadColor(u"text");
        CWceUiLoadFont* pFont = new CWceUiLoadFont(u"title");
        CWceUiGenericBitmap* p = pBitmap->GetBitmap();
        pColor->GetColor();
        pFont->GetFont();
        CJxBitmapResLoader* pBitmaps = Bitmaps();
        CJxGVar::GetInstance()->ForgetService(Bitmaps());
        CJxGVar::GetInstance()->ForgetService(Colors());
        CJxGVar::GetInstance()->ForgetService(Fonts());
        m_log.Clear();
        delete pBitmap;
        delete pColor;
        delete pFont;
        bool quiet = m_log.Messages().empty() && nullptr == WceUiGetBitmap(u"a.conf") && 1 == pBitmaps->GetRefCount(p);
        std::exit(quiet ? 0 : 1);
    };
    EXPECT_EXIT(outlive(), ::testing::ExitedWithCode(0), "");
}
