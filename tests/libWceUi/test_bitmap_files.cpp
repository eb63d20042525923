// BMP, ".alpha" and ".565a.conf" files: loading (also from archives), refusing damaged files
// with a logged error, and saving.
#include <memory>

#include "JXBmp.h"
#include "JXLoadRes.h"
#include "JXPackCommon.h"
#include "PackBuilder.h"
#include "bitmap_helpers.h"
#include "wce/format.h"

namespace {

unsigned Pattern565(int x, int y) { return static_cast<unsigned>((x * 7 + y * 1000 + 1) & 0xFFFF); }
unsigned Pattern32(int x, int y) { return 0x80000000u | static_cast<unsigned>(x << 16 | y << 8 | (x + y)); }

std::string Bmp565(int w, int h) { return BmpFile(w, h, 16, PixelArray(w, h, 16, Pattern565)); }
std::string Bmp32(int w, int h) { return BmpFile(w, h, 32, PixelArray(w, h, 32, Pattern32)); }

// A plane of ((w + 1) & ~1) x h bytes, value = x + 10 * image row, bottom-up like the pixels.
std::string AlphaPlane(int w, int h)
{
    int row = (w + 1) & ~1;
    std::string plane(static_cast<size_t>(row) * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < row; ++x) plane[static_cast<size_t>(h - 1 - y) * row + x] = static_cast<char>((x + 10 * y) % 64);
    return plane;
}

std::unique_ptr<CWceUiGenericBitmap> Load(LPCWSTR path, BOOL perPixel = FALSE, LPCWSTR alpha = nullptr)
{
    return std::unique_ptr<CWceUiGenericBitmap>(WceUiLoadBmpFromFile(path, perPixel, alpha));
}

}  // namespace

TEST_F(BitmapTest, OddWidth565RowsArePaddedAndTheAlphaPlaneFollowsThem)
{
    Write("SDMMC/a.bmp", Bmp565(5, 3));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3));
    auto bmp = Load(u"\\SDMMC\\a.bmp", TRUE, u"\\SDMMC\\a.alpha");
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->IsKindOf(u"CWceUi565Bitmap"));
    EXPECT_TRUE(bmp->HasPerPixelAlpha());
    EXPECT_EQ(5, bmp->GetWidth());
    EXPECT_EQ(12, bmp->GetRowLength());  // 6 pixels
    EXPECT_EQ(PixelArray(5, 3, 16, Pattern565), ArrayOf(*bmp));
    BYTE* alpha = nullptr;
    ASSERT_NE(nullptr, static_cast<CWceUi565Bitmap*>(bmp.get())->GetBmpData(nullptr, &alpha));
    EXPECT_EQ(AlphaPlane(5, 3), std::string(reinterpret_cast<char*>(alpha), 18));
    EXPECT_TRUE(bmp->Unlock());

    // The class's own loader: the plane is optional there.
    CWceUi565Bitmap plain;
    EXPECT_TRUE(plain.LoadFromFile(u"\\SDMMC\\a.bmp", nullptr));
    EXPECT_FALSE(plain.HasPerPixelAlpha());
    EXPECT_EQ(ArrayOf(*bmp), ArrayOf(plain));
}

// Also with the larger info headers of image programs: only the first 40 bytes count.
TEST_F(BitmapTest, BothDepthsLoadTheirPixelsAsTheyAre)
{
    for (int infoSize : {40, 108, 124})
        for (int bits : {16, 32}) {
            std::string pixels = PixelArray(3, 2, bits, 16 == bits ? Pattern565 : Pattern32);
            Write("SDMMC/v.bmp", BmpFile(3, 2, bits, pixels, infoSize));
            auto bmp = Load(u"\\SDMMC\\v.bmp", 32 == bits);
            ASSERT_NE(nullptr, bmp) << infoSize << " " << bits;
            EXPECT_EQ(bits, bmp->GetBitsPixel());
            EXPECT_EQ(32 == bits, bmp->HasPerPixelAlpha());
            EXPECT_EQ(pixels, ArrayOf(*bmp));
        }
    CWceUi32Bitmap own;
    EXPECT_TRUE(own.LoadFromFile(u"\\SDMMC\\v.bmp", FALSE));
    EXPECT_FALSE(own.HasPerPixelAlpha());
    EXPECT_EQ(PixelArray(3, 2, 32, Pattern32), ArrayOf(own));
}

TEST_F(BitmapTest, RefusedVariantsAreLoggedAndLoadNothing)
{
    std::string topDown = Bmp32(2, 2);
    topDown.replace(22, 4, std::string("\xFE\xFF\xFF\xFF", 4));  // biHeight -2
    // error: after "WceUiLoadBmpFromFile, "
    const struct { const char* file; std::string bytes; const char16_t* error; } cases[] = {
        {"topdown", topDown, u"\\SDMMC\\topdown.bmp is not a valid bitmap"},
        {"rgb24", BmpFile(2, 2, 24, std::string(16, '\x40')), u"\\SDMMC\\rgb24.bmp is neither  16 nor 32 bitmap"},
        {"short", Bmp32(1, 1).substr(0, 46), u"\\SDMMC\\short.bmp is not a valid bitmap"},
        {"notbm", "XY" + Bmp32(2, 2).substr(2), u"\\SDMMC\\notbm.bmp is not a valid bitmap"},
        {"missing", "", u"WceUiReadFile \\SDMMC\\missing.bmp failed"},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty()) Write(std::string("SDMMC/") + c.file + ".bmp", c.bytes);
        EXPECT_EQ(nullptr, Load(Utf8ToWide(std::string("\\SDMMC\\") + c.file + ".bmp").c_str())) << c.file;
        EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, " + std::u16string(c.error))) << c.file;
    }
    CWceUi565Bitmap bmp565;
    EXPECT_FALSE(bmp565.LoadFromFile(u"\\SDMMC\\rgb24.bmp", nullptr));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::LoadFromFile, \\SDMMC\\rgb24.bmp is not a 16 bitmap"));
    CWceUi32Bitmap bmp32;
    Write("SDMMC/a565.bmp", Bmp565(2, 2));
    EXPECT_FALSE(bmp32.LoadFromFile(u"\\SDMMC\\a565.bmp", FALSE));
    EXPECT_TRUE(LoggedError(u"CWceUi32Bitmap::LoadFromFile, \\SDMMC\\a565.bmp is not a 32 bitmap"));
}

// Sizes and offsets that do not fit the file: nothing may be read past the buffer (the
// sanitizer build checks that), and each file is refused.
TEST_F(BitmapTest, HeadersThatDoNotFitTheFileAreRefused)
{
    const std::string good = Bmp32(4, 4);  // 54 + 64 bytes
    auto withField = [&](size_t at, unsigned value) {
        std::string f = good, v;
        Put32(v, value);
        return f.replace(at, 4, v);
    };
    struct Case { const char* what; std::string bytes; } cases[] = {
        {"pixels past the end", withField(10, 80)},
        {"pixel offset beyond the file", withField(10, 0x7FFFFFF0)},
        {"pixels inside the header", withField(10, 20)},
        {"pixel offset before the header ends", withField(10, 4)},
        {"height larger than the data", withField(22, 5)},
        {"width times height overflows", withField(22, 0x10000) .replace(18, 4, std::string("\0\0\1\0", 4))},
        {"absurd width", withField(18, 40000)},
        {"zero width", withField(18, 0)},
        {"zero bit count", good.substr(0, 28) + std::string(2, '\0') + good.substr(30)},
        {"truncated pixels", good.substr(0, good.size() - 1)},
        {"a good file", good},
    };
    for (const Case& c : cases) {
        BITMAPINFO info;
        const BYTE* bits = reinterpret_cast<const BYTE*>(1);
        const BYTE* data = reinterpret_cast<const BYTE*>(c.bytes.data());
        bool ok = GetBitmapInfoFromBuffer(data, static_cast<DWORD>(c.bytes.size()), &info, &bits);
        EXPECT_EQ(c.bytes == good, ok) << c.what;
        EXPECT_EQ(ok ? data + 54 : nullptr, bits) << c.what;
        EXPECT_EQ(ok ? 4 : 0, info.bmiHeader.biWidth) << c.what;
    }
}

TEST_F(BitmapTest, AlphaPlanesMustHoldTheWholePlane)
{
    Write("SDMMC/a.bmp", Bmp565(5, 3));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3).substr(0, 17));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\a.bmp", TRUE, u"\\SDMMC\\a.alpha"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, read \\SDMMC\\a.alpha failed, the length is not enough"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\a.bmp", TRUE, nullptr));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, load \\SDMMC\\a.bmp , bPerPixelAlpha is TRUE but pAlphaPath is NULL"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\a.bmp", TRUE, u"\\SDMMC\\none.alpha"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, read \\SDMMC\\none.alpha failed"));
    CWceUi565Bitmap bmp;
    EXPECT_FALSE(bmp.LoadFromFile(u"\\SDMMC\\a.bmp", u"\\SDMMC\\a.alpha"));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::LoadFromFile, the length of \"\\SDMMC\\a.alpha\"is not enough"));

    // Read565Alpha reads a plain file, exactly the plane's bytes.
    EXPECT_EQ(nullptr, Read565Alpha(5, 3, u"\\SDMMC\\a.alpha"));
    EXPECT_NE(std::u16string::npos,
              LogText().find(u"error: Read565Alpha, ReadFile (\\SDMMC\\a.alpha) fail, require: 18, readed: 17, GetLastError is"));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3) + "extra");
    BYTE* plane = Read565Alpha(5, 3, u"\\SDMMC\\a.alpha");
    ASSERT_NE(nullptr, plane);
    EXPECT_EQ(AlphaPlane(5, 3), std::string(reinterpret_cast<char*>(plane), 18));
    delete[] plane;
}

TEST_F(BitmapTest, AlphaAndDirectoryPaths)
{
    for (LPCWSTR refused : {u".bmp", u"bmp", u"a.bmp.x"}) {
        CQuickString p(refused);
        EXPECT_FALSE(GetAlphaPathFromBmpPath(p));
        EXPECT_EQ(p, refused);
    }
    CQuickString dir;
    EXPECT_TRUE(JxGetDirPathFromFilePath(dir, u"x/y.conf"));
    EXPECT_EQ(dir, u"x/");
    EXPECT_FALSE(JxGetDirPathFromFilePath(dir, u"plain.conf"));
    EXPECT_EQ(0u, JxGetBitmapDataLen(0x10000, 0x10000, 32));
    EXPECT_EQ(12u, JxGetBitmapDataLen(5, 1, 16));
}

// --- bitmap conf files -----------------------------------------------------------------------

class BitmapConfTest : public BitmapTest {
protected:
    void SetUp() override
    {
        BitmapTest::SetUp();
        Write("SDMMC/skin/bitmap/listbox/file.BMP", Bmp565(5, 3));
        Write("SDMMC/skin/bitmap/listbox/file.alpha", AlphaPlane(5, 3));
        Write("SDMMC/skin/bitmap/common/back.bmp", Bmp32(2, 2));
    }
    static constexpr const char16_t* kConfPath = u"\\SDMMC\\skin\\bitmap\\listbox\\file.565a.conf";
    void Conf(const std::u16string& text) const { Write("SDMMC/skin/bitmap/listbox/file.565a.conf", Utf16File(text)); }
    static std::unique_ptr<CWceUiGenericBitmap> LoadConf()
    {
        return std::unique_ptr<CWceUiGenericBitmap>(JxLoadBitmapFromConfFile(kConfPath));
    }
};

// "src" resolves beside the conf and "pa" replaces an upper-case ".BMP"; "tc" may be a whole
// COLORREF (up to 8 digits, the top byte dropped); "ca" may have leading zeros; "false" means
// none, and ca 0 passes the conf's own range but is no constant alpha for a bitmap.
TEST_F(BitmapConfTest, ValuesSetTheBitmapsAttributes)
{
    CReadBitmapConfInfo info;
    Conf(u"; a skin bitmap\r\nsrc=file.BMP\r\npa=True\r\ntc=102030\r\nca=128\r\n");
    ASSERT_TRUE(info.LoadBitmapConfFile(kConfPath));
    EXPECT_EQ(std::u16string(u"\\SDMMC\\skin\\bitmap\\listbox\\file.BMP"), info.GetBitmapFullPath());
    EXPECT_EQ(std::u16string(u"\\SDMMC\\skin\\bitmap\\listbox\\file.alpha"), info.GetAlphaFullPath());
    const std::pair<std::u16string, const char*> cases[] = {
        {u"src=file.BMP\r\npa=True\r\ntc=102030\r\nca=128\r\n", "pa tc=302010 ca=128"},  // red 0x10, blue 0x30
        {u"src=file.BMP\ntc=FF102030\nca=0128\n", "tc=302010 ca=128"},
        {u"src=file.BMP\ntc=1\nca=000000000000255\n", "tc=010000 ca=255"},
        {u"src=file.BMP\ntc=00abcdef\nca=007\n", "tc=EFCDAB ca=7"},
        {u"src=..\\common\\back.bmp\npa=false\ntc=FALSE\nca=false\n", ""},
        {u"src=..\\common\\back.bmp\npa=false\ntc=FALSE\nca=0\n", ""},
    };
    for (const auto& [text, attributes] : cases) {
        Conf(text);
        auto bmp = LoadConf();
        ASSERT_NE(nullptr, bmp) << WideToUtf8(text);
        const bool b32 = text.find(u"back") != std::u16string::npos;
        EXPECT_TRUE(bmp->IsKindOf(b32 ? u"CWceUi32Bitmap" : u"CWceUi565Bitmap")) << WideToUtf8(text);
        EXPECT_EQ(attributes, Attributes(*bmp)) << WideToUtf8(text);
    }
    EXPECT_TRUE(LoggedWarning(u"ca 0 in " + std::u16string(kConfPath) + u", the bitmap gets no constant alpha"));
}

TEST_F(BitmapConfTest, BadValuesFailTheConfWithTheirMessages)
{
    const std::u16string path(kConfPath);
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"src=file.BMP\nca=256\n", u"invalid ca in " + path},
        {u"src=file.BMP\nca=-1\n", u"invalid ca in " + path},
        {u"src=file.BMP\ntc=red\n", u"invalid tc in " + path},
        {u"src=file.BMP\ntc=100203040\n", u"invalid tc in " + path},  // 9 digits
        {u"src=file.BMP\nca=00000000000000000000256\n", u"invalid ca in " + path},
        {u"pa=true\n", u"Load " + path + u" failed no src item"},
        {u"src=file.png\npa=TRUE\n", u"Load " + path + u" failed, pa needs a src ending in .bmp"},
        {u"src=gone.bmp\n", u"WceUiLoadBmpFromFile \\SDMMC\\skin\\bitmap\\listbox\\gone.bmp failed"},
        {u"src=file.BMP\nno equal sign\n", u"can not load file " + path},
    };
    for (const auto& [text, error] : cases) {
        Conf(text);
        EXPECT_EQ(nullptr, LoadConf()) << WideToUtf8(text);
        EXPECT_TRUE(LoggedError(error)) << WideToUtf8(text);
    }
    EXPECT_TRUE(LoggedError(u"load file " + path + u" failed"));
    CReadBitmapConfInfo info;
    EXPECT_FALSE(info.LoadBitmapConfFile(kConfPath));
    EXPECT_EQ(nullptr, info.GetBitmapFullPath());  // a failed load answers nothing
}

TEST_F(BitmapConfTest, ConfBitmapAndPlaneComeOutOfAnArchive)
{
    std::vector<PackBuildEntry> entries = {
        {u"bitmap\\file.565a.conf", Utf16File(u"src=file.bmp\r\npa=true\r\n")},
        {u"bitmap\\file.bmp", Bmp565(5, 3)},
        {u"bitmap\\file.alpha", AlphaPlane(5, 3)},
    };
    SortPackEntries(entries);
    std::vector<std::uint8_t> pack = BuildPackImage(entries, u"skin.pack").Assemble(GetPackKey(nullptr));
    Write("SDMMC/skin.pack", std::string(pack.begin(), pack.end()));
    std::unique_ptr<CWceUiGenericBitmap> bmp(JxLoadBitmapFromConfFile(u"\\SDMMC\\skin.pack\\bitmap\\file.565a.conf"));
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->HasPerPixelAlpha());
    EXPECT_EQ(PixelArray(5, 3, 16, Pattern565), ArrayOf(*bmp));
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(BitmapTest, SavedFilesHaveTheirHeadersAndLoadBackTheSame)
{
    Write("SDMMC/a.bmp", Bmp565(5, 2));
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(u"\\SDMMC\\a.bmp", nullptr));
    ASSERT_TRUE(bmp.SaveFile(u"\\SDMMC\\out.bmp"));
    // The 54 bytes of headers, then the three masks and a zero word: the pixels start at 70.
    std::string file = m_device.ReadHostFile("SDMMC/out.bmp");
    EXPECT_EQ(70u, Get32(file, 10));
    EXPECT_EQ(Bmp565(5, 2), file);
    // No per-pixel alpha: no alpha file, and success.
    EXPECT_TRUE(bmp.SaveFileAndAlpha(u"\\SDMMC\\out2.bmp", u"\\SDMMC\\out2.alpha"));
    EXPECT_FALSE(m_device.HostExists("SDMMC/out2.alpha"));

    Write("SDMMC/a.bmp", Bmp565(5, 3));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3));
    ASSERT_TRUE(bmp.LoadFromFile(u"\\SDMMC\\a.bmp", u"\\SDMMC\\a.alpha"));
    ASSERT_TRUE(bmp.SaveFileAndAlpha(u"\\SDMMC\\c.bmp", u"\\SDMMC\\c.alpha"));
    EXPECT_EQ(AlphaPlane(5, 3), m_device.ReadHostFile("SDMMC/c.alpha"));
    auto again = Load(u"\\SDMMC\\c.bmp", TRUE, u"\\SDMMC\\c.alpha");
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(ArrayOf(bmp), ArrayOf(*again));

    Write("SDMMC/b.bmp", Bmp32(3, 2));
    CWceUi32Bitmap bmp32;
    ASSERT_TRUE(bmp32.LoadFromFile(u"\\SDMMC\\b.bmp", TRUE));
    ASSERT_TRUE(bmp32.SaveFile(u"\\SDMMC\\d.bmp"));
    // The same headers, but a zero word after them: the pixels start at 58.
    file = m_device.ReadHostFile("SDMMC/d.bmp");
    EXPECT_EQ(58u, Get32(file, 10));
    EXPECT_EQ(Bmp32(3, 2).substr(14, 40) + std::string(4, '\0') + Bmp32(3, 2).substr(54), file.substr(14));

    CWceUi565Bitmap empty;
    EXPECT_FALSE(empty.SaveFile(u"\\SDMMC\\e.bmp"));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::SaveFile \"\\SDMMC\\e.bmp\", IsLoaded() return FALSE"));
    EXPECT_FALSE(bmp.SaveFile(u"\\NoSuchDir\\x\\e.bmp"));
    EXPECT_NE(std::u16string::npos, LogText().find(u"error: Save565BmpFile, CreateFile (\\NoSuchDir\\x\\e.bmp) fail"));
}
