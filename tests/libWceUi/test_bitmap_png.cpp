// Bitmaps as PNG files for people (and test screenshots), and PNG images turned into the BMP,
// ".alpha" and ".565a.conf" files of a skin.
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <random>

#include "BitmapPng.h"
#include "PngToSkin.h"
#include "bitmap_helpers.h"
#include "wce/host.h"
#include "wce/png.h"

namespace {

wce::host::RgbaImage Image(int w, int h, const std::function<std::array<int, 4>(int, int)>& rgba)
{
    wce::host::RgbaImage image;
    image.width = w;
    image.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c : rgba(x, y)) image.pixels.push_back(static_cast<std::uint8_t>(c));
    return image;
}

std::vector<int> Px(const wce::host::RgbaImage& image, int x, int y)
{
    auto at = image.pixels.begin() + (static_cast<size_t>(y) * image.width + x) * 4;
    return std::vector<int>(at, at + 4);
}

}  // namespace

TEST_F(BitmapTest, PremultipliedPlanesNeverExceedTheirAlpha)
{
    std::mt19937 random(3);
    auto channel = [&] { return static_cast<int>(random() % 256); };
    auto image = Image(9, 4, [&](int, int) { return std::array<int, 4>{channel(), channel(), channel(), channel()}; });
    std::vector<WORD> pixels;
    std::vector<BYTE> alpha;
    EXPECT_TRUE(tool::RgbaTo565(image, pixels, alpha));
    ASSERT_EQ(10u * 4, pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        unsigned p = pixels[i];  // red and blue as 6-bit values
        EXPECT_LE(std::max({(p >> 11) * 2, (p >> 5) & 63, (p & 31) * 2}), alpha[i]) << i;
        EXPECT_LE(alpha[i], 63);
    }
    // Bottom-up: the image's top-left pixel is in the last row.
    EXPECT_EQ((Px(image, 0, 0)[3] * 63 + 127) / 255, alpha[3 * 10]);

    std::vector<DWORD> p32;
    EXPECT_TRUE(tool::RgbaTo32(image, p32));
    for (DWORD p : p32) EXPECT_LE(std::max({(p >> 16) & 255, (p >> 8) & 255, p & 255}), p >> 24);
    auto opaque = Image(2, 2, [](int x, int y) { return std::array<int, 4>{x * 255, y * 255, 7, 255}; });
    EXPECT_FALSE(tool::RgbaTo565(opaque, pixels, alpha));
    EXPECT_FALSE(tool::RgbaTo32(opaque, p32));
}

TEST_F(BitmapTest, ExportGivesStraightAlphaAndHidesTheKeyColor)
{
    // 565 with a plane: opaque white, half-covered red (premultiplied), nothing.
    WORD pixels[4] = {0xFFFF, (16u << 11), 0, 0};
    BYTE alpha[4] = {63, 32, 0, 0};
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.CreateDIB565(3, 1, pixels, alpha));
    wce::host::RgbaImage image;
    ASSERT_TRUE(tool::BitmapToRgba(bmp, image));
    EXPECT_EQ((std::vector<int>{255, 255, 255, 255}), Px(image, 0, 0));
    EXPECT_GE(Px(image, 1, 0)[0], 250);  // red divided back to full
    EXPECT_EQ(0, Px(image, 1, 0)[1]);
    EXPECT_EQ(129, Px(image, 1, 0)[3]);  // 32 of 63
    EXPECT_EQ(0, Px(image, 2, 0)[3]);

    // 32 bits without per-pixel alpha: opaque, except the transparent color.
    DWORD p32[2] = {0x00FF00FF, 0x00123456};
    CWceUi32Bitmap keyed;
    ASSERT_TRUE(keyed.CreateDIB32(2, 1, p32, FALSE));
    ASSERT_TRUE(keyed.SetTransColor(TRUE, RGB(255, 0, 255)));
    ASSERT_TRUE(tool::BitmapToRgba(keyed, image));
    EXPECT_EQ(0, Px(image, 0, 0)[3]);
    EXPECT_EQ((std::vector<int>{0x12, 0x34, 0x56, 255}), Px(image, 1, 0));

    // The PNG file holds exactly that.
    std::string path = m_device.Host("shot.png");
    ASSERT_TRUE(tool::SaveBitmapPng(keyed, path));
    wce::host::RgbaImage back;
    ASSERT_TRUE(wce::host::ReadPng(path, back));
    EXPECT_EQ(image.pixels, back.pixels);
    EXPECT_EQ(2, back.width);

    CWceUi565Bitmap empty;
    std::string error;
    EXPECT_FALSE(tool::SaveBitmapPng(empty, path, &error));
    m_device.WriteHostFile("not.png", "not a png at all");
    EXPECT_FALSE(wce::host::ReadPng(m_device.Host("not.png"), back, &error));
    EXPECT_FALSE(error.empty());
}

// png2skin's work: the files it writes load through the framework's conf loader.
TEST_F(BitmapTest, ConvertedSkinFilesLoadAsTheFrameworkReadsThem)
{
    auto image = Image(5, 3, [](int x, int y) { return std::array<int, 4>{x * 60, y * 100, 200, (x * 50 + y * 30) % 256}; });
    m_device.MakeHostDir("SDMMC/skin");
    ASSERT_TRUE(wce::host::WritePng(m_device.Host("SDMMC/skin/in.png"), image));

    // The tool sees the host's file system as the device, as on the command line.
    const std::string root = m_device.Root();
    wce::host::SetDeviceRoot("/");
    tool::SkinOptions options;
    options.transColor = "FF00FF";
    options.constantAlpha = 200;
    std::string error;
    bool converted = tool::ConvertPngToSkin(root + "/SDMMC/skin/in.png", root + "/SDMMC/skin/Out.BMP", options, error);
    options = tool::SkinOptions();
    bool opaque = tool::ConvertPngToSkin(root + "/SDMMC/skin/in.png", root + "/SDMMC/skin/out.png", options, error);
    wce::host::SetDeviceRoot(root);
    ASSERT_TRUE(converted) << error;
    EXPECT_FALSE(opaque);  // the output must be a .bmp

    EXPECT_TRUE(m_device.HostExists("SDMMC/skin/Out.alpha"));
    std::unique_ptr<CWceUiGenericBitmap> bmp(JxLoadBitmapFromConfFile(u"\\SDMMC\\skin\\Out.565a.conf"));
    ASSERT_NE(nullptr, bmp);
    EXPECT_EQ("pa tc=FF00FF ca=200", Attributes(*bmp));
    std::vector<WORD> pixels;
    std::vector<BYTE> alpha;
    tool::RgbaTo565(image, pixels, alpha);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 2), ArrayOf(*bmp));
}

// Opaque images keep a plane only when asked: alpha-blending draws refuse a source without one.
TEST_F(BitmapTest, OpaqueImagesKeepAnAlphaPlaneOnlyWhenAsked)
{
    auto image = Image(3, 2, [](int x, int y) { return std::array<int, 4>{x * 80, y * 90, 40, 255}; });
    m_device.MakeHostDir("SDMMC/skin");
    ASSERT_TRUE(wce::host::WritePng(m_device.Host("SDMMC/skin/in.png"), image));
    struct Case { const char* name; bool thirtyTwoBits, keepAlpha, perPixel, alphaFile; };
    const Case cases[] = {
        {"plain565", false, false, false, false},
        {"kept565", false, true, true, true},
        {"plain32", true, false, false, false},
        {"kept32", true, true, true, false},  // the plane is the pixels' top byte
    };
    const std::string root = m_device.Root();
    for (const Case& c : cases) {
        tool::SkinOptions options;
        options.thirtyTwoBits = c.thirtyTwoBits;
        options.keepAlpha = c.keepAlpha;
        std::string error;
        wce::host::SetDeviceRoot("/");
        bool converted = tool::ConvertPngToSkin(root + "/SDMMC/skin/in.png", root + "/SDMMC/skin/" + c.name + ".bmp",
                                                options, error);
        wce::host::SetDeviceRoot(root);
        ASSERT_TRUE(converted) << c.name << ": " << error;
        EXPECT_EQ(c.alphaFile, m_device.HostExists(std::string("SDMMC/skin/") + c.name + ".alpha")) << c.name;
        std::u16string conf = u"\\SDMMC\\skin\\" + Utf8ToWide(c.name) + u".565a.conf";
        std::unique_ptr<CWceUiGenericBitmap> bmp(JxLoadBitmapFromConfFile(conf.c_str()));
        ASSERT_NE(nullptr, bmp) << c.name;
        EXPECT_EQ(c.perPixel, !!bmp->HasPerPixelAlpha()) << c.name;
    }
}

// Dithering spreads an off-grid color over each 4x4 tile so that the tile's mean is the color;
// colors on the 565 grid and pixels with alpha come out as without it.
TEST_F(BitmapTest, DitherKeepsTheMeanOfEveryTileAndLeavesGridColorsExact)
{
    // meanR, meanG, meanB: of the 565 fields over a tile, in 8-bit units
    struct Case { int r, g, b, a; double meanR, meanG, meanB; };
    const Case cases[] = {
        {0x0E, 0x18, 0x22, 255, 14, 24, 34},        // off the grid in red and blue
        {0x10, 0x1C, 0xF8, 255, 16, 28, 248},       // on the grid: exact
        {0xFF, 0xFE, 0xFD, 255, 248, 252, 248},     // near the top: clamped, never wraps
        {0x0E, 0x18, 0x22, 128, -1, -1, -1},        // with alpha: not dithered
    };
    for (const Case& c : cases) {
        auto image = Image(8, 4, [&](int, int) { return std::array<int, 4>{c.r, c.g, c.b, c.a}; });
        std::vector<WORD> plain, dithered;
        std::vector<BYTE> alpha;
        tool::RgbaTo565(image, plain, alpha, false);
        tool::RgbaTo565(image, dithered, alpha, true);
        if (c.meanR < 0) {
            EXPECT_EQ(plain, dithered);
            continue;
        }
        double r = 0, g = 0, b = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                WORD p = dithered[static_cast<size_t>(y) * 8 + x];
                r += (p >> 11) * 8;
                g += ((p >> 5) & 63) * 4;
                b += (p & 31) * 8;
            }
        EXPECT_DOUBLE_EQ(c.meanR, r / 16) << c.r;
        EXPECT_DOUBLE_EQ(c.meanG, g / 16) << c.g;
        EXPECT_DOUBLE_EQ(c.meanB, b / 16) << c.b;
    }
}
