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

class BitmapFileTest : public BitmapTest {};

}  // namespace

TEST_F(BitmapFileTest, OddWidth565RowsArePaddedAndTheAlphaPlaneFollowsThem)
{
    Write("SDMMC/a.bmp", Bmp565(5, 3));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3));
    auto bmp = Load(u"\\SDMMC\\a.bmp", TRUE, u"\\SDMMC\\a.alpha");
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->IsKindOf(u"CWceUi565Bitmap"));
    EXPECT_TRUE(bmp->HasPerPixelAlpha());
    EXPECT_EQ(5, bmp->GetWidth());
    EXPECT_EQ(3, bmp->GetHeight());
    EXPECT_EQ(12, bmp->GetRowLength());  // 6 pixels
    EXPECT_EQ(36u, bmp->GetTotalSize());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Pattern565(x, y), PixelAt(*bmp, x, y)) << x << "," << y;

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

TEST_F(BitmapFileTest, ThirtyTwoBitPixelsLoadAsTheyAre)
{
    Write("SDMMC/b.bmp", Bmp32(3, 2));
    auto bmp = Load(u"\\SDMMC\\b.bmp", TRUE);
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->IsKindOf(u"CWceUi32Bitmap"));
    EXPECT_TRUE(bmp->HasPerPixelAlpha());
    EXPECT_EQ(Pattern32(2, 1), PixelAt(*bmp, 2, 1));
    CWceUi32Bitmap own;
    EXPECT_TRUE(own.LoadFromFile(u"\\SDMMC\\b.bmp", FALSE));
    EXPECT_FALSE(own.HasPerPixelAlpha());
    EXPECT_EQ(ArrayOf(*bmp), ArrayOf(own));
}

TEST_F(BitmapFileTest, LargerInfoHeadersOfImageProgramsLoad)
{
    for (int infoSize : {108, 124}) {
        Write("SDMMC/v.bmp", BmpFile(3, 2, 16, PixelArray(3, 2, 16, Pattern565), infoSize));
        auto bmp565 = Load(u"\\SDMMC\\v.bmp");
        ASSERT_NE(nullptr, bmp565) << infoSize;
        EXPECT_EQ(Pattern565(2, 1), PixelAt(*bmp565, 2, 1));
        Write("SDMMC/v.bmp", BmpFile(3, 2, 32, PixelArray(3, 2, 32, Pattern32), infoSize));
        auto bmp32 = Load(u"\\SDMMC\\v.bmp");
        ASSERT_NE(nullptr, bmp32) << infoSize;
        EXPECT_EQ(Pattern32(0, 1), PixelAt(*bmp32, 0, 1));
    }
}

TEST_F(BitmapFileTest, RefusedVariantsAreLoggedAndLoadNothing)
{
    std::string topDown = Bmp32(2, 2);
    topDown.replace(22, 4, std::string("\xFE\xFF\xFF\xFF", 4));  // biHeight -2
    Write("SDMMC/topdown.bmp", topDown);
    Write("SDMMC/rgb24.bmp", BmpFile(2, 2, 24, std::string(16, '\x40')));
    Write("SDMMC/short.bmp", Bmp32(1, 1).substr(0, 46));
    Write("SDMMC/notbm.bmp", "XY" + Bmp32(2, 2).substr(2));

    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\topdown.bmp"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, \\SDMMC\\topdown.bmp is not a valid bitmap"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\rgb24.bmp"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, \\SDMMC\\rgb24.bmp is neither  16 nor 32 bitmap"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\short.bmp"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, \\SDMMC\\short.bmp is not a valid bitmap"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\notbm.bmp"));
    EXPECT_EQ(nullptr, Load(u"\\SDMMC\\missing.bmp"));
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile, WceUiReadFile \\SDMMC\\missing.bmp failed"));

    CWceUi565Bitmap bmp565;
    EXPECT_FALSE(bmp565.LoadFromFile(u"\\SDMMC\\rgb24.bmp", nullptr));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::LoadFromFile, \\SDMMC\\rgb24.bmp is not a 16 bitmap"));
    EXPECT_FALSE(bmp565.IsLoaded());
    CWceUi32Bitmap bmp32;
    Write("SDMMC/a565.bmp", Bmp565(2, 2));
    EXPECT_FALSE(bmp32.LoadFromFile(u"\\SDMMC\\a565.bmp", FALSE));
    EXPECT_TRUE(LoggedError(u"CWceUi32Bitmap::LoadFromFile, \\SDMMC\\a565.bmp is not a 32 bitmap"));
}

// Sizes and offsets that do not fit the file: nothing may be read past the buffer (the
// sanitizer build checks that), and each file is refused.
TEST_F(BitmapFileTest, HeadersThatDoNotFitTheFileAreRefused)
{
    const std::string good = Bmp32(4, 4);  // 54 + 64 bytes
    auto withField = [&](size_t at, unsigned value) {
        std::string f = good, v;
        Put32(v, value);
        return f.replace(at, 4, v);
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
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
    };
    for (const Case& c : cases) {
        BITMAPINFO info;
        const BYTE* bits = reinterpret_cast<const BYTE*>(1);
        EXPECT_FALSE(GetBitmapInfoFromBuffer(reinterpret_cast<const BYTE*>(c.bytes.data()), static_cast<DWORD>(c.bytes.size()),
                                             &info, &bits))
            << c.what;
        EXPECT_EQ(nullptr, bits) << c.what;
        EXPECT_EQ(0, info.bmiHeader.biWidth) << c.what;
    }
    BITMAPINFO info;
    const BYTE* bits = nullptr;
    ASSERT_TRUE(GetBitmapInfoFromBuffer(reinterpret_cast<const BYTE*>(good.data()), static_cast<DWORD>(good.size()), &info, &bits));
    EXPECT_EQ(reinterpret_cast<const BYTE*>(good.data()) + 54, bits);
}

TEST_F(BitmapFileTest, AlphaPlanesMustHoldTheWholePlane)
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

TEST_F(BitmapFileTest, AlphaAndDirectoryPaths)
{
    CQuickString path(u"dir\\Pic.BMP");
    EXPECT_TRUE(GetAlphaPathFromBmpPath(path));
    EXPECT_EQ(path, u"dir\\Pic.alpha");
    for (LPCWSTR refused : {u".bmp", u"bmp", u"a.png", u"a.bmp.x"}) {
        CQuickString p(refused);
        EXPECT_FALSE(GetAlphaPathFromBmpPath(p));
        EXPECT_EQ(p, refused);
    }
    CQuickString dir;
    EXPECT_TRUE(JxGetDirPathFromFilePath(dir, u"\\a\\b\\c.conf"));
    EXPECT_EQ(dir, u"\\a\\b\\");
    EXPECT_TRUE(JxGetDirPathFromFilePath(dir, u"x/y.conf"));
    EXPECT_EQ(dir, u"x/");
    EXPECT_FALSE(JxGetDirPathFromFilePath(dir, u"plain.conf"));
    EXPECT_EQ(0u, JxGetBitmapDataLen(0x10000, 0x10000, 32));
    EXPECT_EQ(12u, JxGetBitmapDataLen(5, 1, 16));
    EXPECT_EQ(16u, JxGetBitmapDataLen(2, 2, 24));
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
    void Conf(const std::u16string& text) const
    {
        Write("SDMMC/skin/bitmap/listbox/file.565a.conf", Utf16File(text));
    }
    static std::unique_ptr<CWceUiGenericBitmap> LoadConf()
    {
        return std::unique_ptr<CWceUiGenericBitmap>(
            JxLoadBitmapFromConfFile(u"\\SDMMC\\skin\\bitmap\\listbox\\file.565a.conf"));
    }
    static constexpr const char16_t* kConfPath = u"\\SDMMC\\skin\\bitmap\\listbox\\file.565a.conf";
};

TEST_F(BitmapConfTest, SrcResolvesBesideTheConfAndPaReplacesAnUpperCaseBmp)
{
    Conf(u"; a skin bitmap\r\nsrc=file.BMP\r\npa=True\r\ntc=102030\r\nca=128\r\n");
    CReadBitmapConfInfo info;
    ASSERT_TRUE(info.LoadBitmapConfFile(kConfPath));
    EXPECT_EQ(std::u16string(u"\\SDMMC\\skin\\bitmap\\listbox\\file.BMP"), info.GetBitmapFullPath());
    EXPECT_EQ(std::u16string(u"\\SDMMC\\skin\\bitmap\\listbox\\file.alpha"), info.GetAlphaFullPath());
    COLORREF cr = 0;
    EXPECT_TRUE(info.GetTransColor(&cr));
    EXPECT_EQ(0x00302010u, cr);  // red 0x10, green 0x20, blue 0x30

    auto bmp = LoadConf();
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->HasPerPixelAlpha());
    EXPECT_TRUE(bmp->GetTransColor(&cr));
    EXPECT_EQ(0x00302010u, cr);
    DWORD alpha = 0;
    EXPECT_TRUE(bmp->GetConstantAlpha(&alpha));
    EXPECT_EQ(128u, alpha);
}

TEST_F(BitmapConfTest, FalseMeansNoneAndRelativePathsClimb)
{
    Conf(u"src=..\\common\\back.bmp\npa=false\ntc=FALSE\nca=false\n");
    auto bmp = LoadConf();
    ASSERT_NE(nullptr, bmp);
    EXPECT_TRUE(bmp->IsKindOf(u"CWceUi32Bitmap"));
    EXPECT_FALSE(bmp->HasPerPixelAlpha());
    COLORREF cr;
    DWORD alpha;
    EXPECT_FALSE(bmp->GetTransColor(&cr));
    EXPECT_FALSE(bmp->GetConstantAlpha(&alpha));
}

TEST_F(BitmapConfTest, BadValuesFailTheConfWithTheirMessages)
{
    const std::u16string path(kConfPath);
    Conf(u"src=file.BMP\nca=256\n");
    EXPECT_EQ(nullptr, LoadConf());
    EXPECT_TRUE(LoggedError(u"invalid ca in " + path));
    EXPECT_TRUE(LoggedError(u"load file " + path + u" failed"));

    Conf(u"src=file.BMP\nca=-1\n");
    EXPECT_EQ(nullptr, LoadConf());
    Conf(u"src=file.BMP\ntc=red\n");
    EXPECT_EQ(nullptr, LoadConf());
    EXPECT_TRUE(LoggedError(u"invalid tc in " + path));
    Conf(u"pa=true\n");
    EXPECT_EQ(nullptr, LoadConf());
    EXPECT_TRUE(LoggedError(u"Load " + path + u" failed no src item"));
    Conf(u"src=file.png\npa=TRUE\n");
    EXPECT_EQ(nullptr, LoadConf());
    Conf(u"src=gone.bmp\n");
    EXPECT_EQ(nullptr, LoadConf());
    EXPECT_TRUE(LoggedError(u"WceUiLoadBmpFromFile \\SDMMC\\skin\\bitmap\\listbox\\gone.bmp failed"));
    Conf(u"src=file.BMP\nno equal sign\n");
    EXPECT_EQ(nullptr, LoadConf());
    EXPECT_TRUE(LoggedError(u"can not load file " + path));

    CReadBitmapConfInfo info;
    EXPECT_FALSE(info.LoadBitmapConfFile(kConfPath));
    EXPECT_EQ(nullptr, info.GetBitmapFullPath());  // a failed load answers nothing
}

// 0 passes the conf's own range but is no constant alpha for a bitmap: none is set.
TEST_F(BitmapConfTest, ConstantAlphaZeroLeavesTheBitmapWithoutOne)
{
    Conf(u"src=file.BMP\nca=0\n");
    auto bmp = LoadConf();
    ASSERT_NE(nullptr, bmp);
    DWORD alpha;
    EXPECT_FALSE(bmp->GetConstantAlpha(&alpha));
    EXPECT_TRUE(LoggedWarning(u"ca 0 in " + std::u16string(kConfPath) + u", the bitmap gets no constant alpha"));
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
    EXPECT_EQ(Pattern565(4, 2), PixelAt(*bmp, 4, 2));
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(BitmapFileTest, SaveFileWritesA70ByteHeaderFor565)
{
    Write("SDMMC/a.bmp", Bmp565(5, 2));
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.LoadFromFile(u"\\SDMMC\\a.bmp", nullptr));
    ASSERT_TRUE(bmp.SaveFile(u"\\SDMMC\\out.bmp"));
    std::string file = m_device.ReadHostFile("SDMMC/out.bmp");
    ASSERT_EQ(70u + 24u, file.size());
    EXPECT_EQ("BM", file.substr(0, 2));
    EXPECT_EQ(94u, Get32(file, 2));
    EXPECT_EQ(0u, Get32(file, 6));
    EXPECT_EQ(70u, Get32(file, 10));
    EXPECT_EQ(40u, Get32(file, 14));
    EXPECT_EQ(5u, Get32(file, 18));
    EXPECT_EQ(2u, Get32(file, 22));
    EXPECT_EQ(1u, Get16(file, 26));
    EXPECT_EQ(16u, Get16(file, 28));
    EXPECT_EQ(3u, Get32(file, 30));
    EXPECT_EQ(24u, Get32(file, 34));
    for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(0u, Get32(file, at));
    EXPECT_EQ(0xF800u, Get32(file, 54));
    EXPECT_EQ(0x07E0u, Get32(file, 58));
    EXPECT_EQ(0x001Fu, Get32(file, 62));
    EXPECT_EQ(0u, Get32(file, 66));
    EXPECT_EQ(ArrayOf(bmp), file.substr(70));

    // No per-pixel alpha: no alpha file, and success.
    EXPECT_TRUE(bmp.SaveFileAndAlpha(u"\\SDMMC\\out2.bmp", u"\\SDMMC\\out2.alpha"));
    EXPECT_TRUE(m_device.HostExists("SDMMC/out2.bmp"));
    EXPECT_FALSE(m_device.HostExists("SDMMC/out2.alpha"));
}

TEST_F(BitmapFileTest, SavedFilesLoadBackTheSame)
{
    Write("SDMMC/a.bmp", Bmp565(5, 3));
    Write("SDMMC/a.alpha", AlphaPlane(5, 3));
    CWceUi565Bitmap bmp;
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
    std::string file = m_device.ReadHostFile("SDMMC/d.bmp");
    EXPECT_EQ(58u + 24u, file.size());
    EXPECT_EQ(58u, Get32(file, 10));
    EXPECT_EQ(0u, Get32(file, 30));
    EXPECT_EQ(0u, Get32(file, 54));
    EXPECT_EQ(Bmp32(3, 2).substr(54), file.substr(58));

    CWceUi565Bitmap empty;
    EXPECT_FALSE(empty.SaveFile(u"\\SDMMC\\e.bmp"));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::SaveFile \"\\SDMMC\\e.bmp\", IsLoaded() return FALSE"));
    EXPECT_FALSE(bmp.SaveFile(u"\\NoSuchDir\\x\\e.bmp"));
    EXPECT_NE(std::u16string::npos, LogText().find(u"error: Save565BmpFile, CreateFile (\\NoSuchDir\\x\\e.bmp) fail"));
}
