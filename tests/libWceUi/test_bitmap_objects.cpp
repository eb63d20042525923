// The bitmap objects: shared pixels copied before a write, locking for direct access,
// attributes, the blit wrappers and the messages of bitmaps that are not loaded.
#include <functional>
#include <memory>

#include "bitmap_helpers.h"

namespace {

std::unique_ptr<CWceUiGenericBitmap> Copy(CWceUiGenericBitmap& bmp)
{
    CWceUiGenericBitmap* pCopy = nullptr;
    EXPECT_TRUE(bmp.MakeACopy(&pCopy));
    return std::unique_ptr<CWceUiGenericBitmap>(pCopy);
}

}  // namespace

TEST_F(BitmapTest, CopiesSharePixelsUntilOneWrites)
{
    for (int bits : {16, 32}) {
        std::unique_ptr<CWceUiGenericBitmap> bmp(WceUiCreateBitmapObject(bits));
        ASSERT_TRUE(bmp->CreateDIB(5, 3));
        ASSERT_TRUE(bmp->FillColor(RGB(0, 0, 255), nullptr));
        auto copy = Copy(*bmp);
        EXPECT_TRUE(copy->IsKindOf(16 == bits ? u"CWceUi565Bitmap" : u"CWceUi32Bitmap"));
        EXPECT_EQ(Bits(*bmp), Bits(*copy));  // one pixel array

        RECT rc = {1, 1, 3, 2};
        ASSERT_TRUE(copy->FillColor(RGB(255, 0, 0), &rc));
        EXPECT_NE(Bits(*bmp), Bits(*copy));
        EXPECT_EQ(16 == bits ? 0x001Fu : 0x000000FFu, PixelAt(*bmp, 1, 1)) << bits;
        EXPECT_EQ(16 == bits ? 0xF800u : 0x00FF0000u, PixelAt(*copy, 1, 1)) << bits;
        EXPECT_EQ(PixelAt(*bmp, 0, 0), PixelAt(*copy, 0, 0));

        // The source writing after the copy leaves the copy alone as well.
        auto second = Copy(*bmp);
        ASSERT_TRUE(bmp->SetGray());
        EXPECT_NE(PixelAt(*bmp, 0, 0), PixelAt(*second, 0, 0));
    }
    EXPECT_EQ(nullptr, WceUiCreateBitmapObject(24));
    EXPECT_TRUE(LoggedError(u"WceUiCreateBitmapObject,bmBitsPixel is invalid, neither 16 nor 32"));

    CWceUi32Bitmap bmp;  // premultiplying scales the colours by their alpha, in a private block
    DWORD pixels[2] = {0x80FF8040u, 0x00FFFFFFu};
    ASSERT_TRUE(bmp.CreateDIB32(2, 1, pixels, FALSE));
    auto copy = Copy(bmp);
    ASSERT_TRUE(bmp.PreMulAlpha());
    EXPECT_TRUE(bmp.HasPerPixelAlpha());
    EXPECT_EQ((Pixels{0x807F4020u, 0}), RowOf(bmp));
    EXPECT_EQ(0x80FF8040u, PixelAt(*copy, 0, 0));
}

TEST_F(BitmapTest, LockedPixelsAreNeverShared)
{
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.CreateDIB(4, 2));
    auto shared = Copy(bmp);
    void* bits = nullptr;
    // Locking a shared block gives the locker a private one.
    HBITMAP h = bmp.GetHBitmap(&bits);
    ASSERT_NE(nullptr, h);
    EXPECT_NE(Bits(*shared), bits);
    EXPECT_EQ(Bits(bmp), bits);

    // A copy made while locked gets its own pixels at once, with the same values.
    static_cast<WORD*>(bits)[0] = 0x1234;
    auto copy = Copy(bmp);
    EXPECT_NE(Bits(*copy), bits);
    EXPECT_EQ(0x1234u, PixelAt(*copy, 0, 1));
    static_cast<WORD*>(bits)[0] = 0x4321;  // the caller writes on through its pointer
    EXPECT_EQ(0x1234u, PixelAt(*copy, 0, 1));

    // Writes while locked stay in place: the pointer handed out remains valid.
    ASSERT_TRUE(bmp.FillColor(RGB(255, 255, 255), nullptr));
    EXPECT_EQ(Bits(bmp), bits);
    EXPECT_TRUE(bmp.Unlock());
    EXPECT_FALSE(bmp.Unlock());  // not locked any more
    EXPECT_TRUE(LoggedError(u"CJxBmp::Unlock,check(-1 == m_pData->nRefs)fail"));

    auto later = Copy(bmp);
    EXPECT_EQ(Bits(*later), Bits(bmp));  // shared again after Unlock
}

TEST_F(BitmapTest, CopyKeepsAttributesAndCreateResetsThem)
{
    CWceUi565Bitmap bmp;
    ASSERT_TRUE(bmp.CreateDIB(2, 2));
    ASSERT_TRUE(bmp.SetPerPixelAlpha(TRUE));
    ASSERT_TRUE(bmp.SetTransColor(TRUE, RGB(1, 2, 3)));
    ASSERT_TRUE(bmp.SetConstantAlpha(TRUE, 200));
    CWceUi565Bitmap copy(bmp);
    EXPECT_EQ("pa tc=030201 ca=200", Attributes(copy));

    ASSERT_TRUE(copy.CreateDIB(3, 3));
    EXPECT_EQ("", Attributes(copy));
    COLORREF cr = 0;
    EXPECT_FALSE(copy.GetTransColor(&cr));
    EXPECT_EQ(WCEUI_INVALID_TRANS_COLOR, cr);
    EXPECT_FALSE(copy.CreateDIB(0, 5));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::CreateDIB565,check(nWidth > 0)fail"));

    // Refused values change nothing.
    EXPECT_FALSE(bmp.SetTransColor(TRUE, WCEUI_INVALID_TRANS_COLOR));
    EXPECT_TRUE(LoggedError(u"CWceUiGenericBitmap::SetTransColor,check(WCEUI_INVALID_TRANS_COLOR != crTrans)fail"));
    EXPECT_FALSE(bmp.SetConstantAlpha(TRUE, 0));
    EXPECT_FALSE(bmp.SetConstantAlpha(TRUE, 256));
    EXPECT_TRUE(LoggedError(u"CWceUiGenericBitmap::SetConstantAlpha,check(((nAlpha > 0) && (nAlpha <= 255)))fail"));
    EXPECT_EQ("pa tc=030201 ca=200", Attributes(bmp));

    CWceUi565Bitmap plain;  // per-pixel alpha on 565 makes a zero plane on a private block
    ASSERT_TRUE(plain.CreateDIB(5, 2));
    auto shared = Copy(plain);
    ASSERT_TRUE(plain.SetPerPixelAlpha(TRUE));
    EXPECT_NE(Bits(plain), Bits(*shared));
    EXPECT_FALSE(shared->HasPerPixelAlpha());
    BYTE* plane = nullptr;
    ASSERT_NE(nullptr, plain.GetBmpData(nullptr, &plane));
    ASSERT_NE(nullptr, plane);
    EXPECT_EQ(std::string(12, '\0'), std::string(reinterpret_cast<char*>(plane), 12));
    plain.Unlock();
}

TEST_F(BitmapTest, BlitsConvertClipAndKeyBetweenKinds)
{
    CWceUi32Bitmap src;  // green left column, magenta right
    ASSERT_TRUE(src.CreateDIB(2, 2));
    RECT left = {0, 0, 1, 2};
    ASSERT_TRUE(src.FillColor(RGB(255, 0, 255), nullptr));
    ASSERT_TRUE(src.FillColor(RGB(0, 255, 0), &left));

    CWceUi565Bitmap dst;
    ASSERT_TRUE(dst.CreateDIB(4, 4));
    EXPECT_TRUE(dst.BitBlt(3, 3, 2, 2, &src, 0, 0, SRCCOPY));  // one pixel lands inside
    EXPECT_EQ(0x07E0u, PixelAt(dst, 3, 3));
    EXPECT_TRUE(dst.StretchBlt(0, 0, 4, 2, &src, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ((Pixels{0x07E0, 0x07E0, 0xF81F, 0xF81F}), RowOf(dst, 1));
    ASSERT_TRUE(dst.FillColor(RGB(0, 0, 0), nullptr));
    EXPECT_TRUE(dst.TransBlt(0, 0, 2, 2, &src, 0, 0, 2, 2, RGB(255, 0, 255)));
    EXPECT_EQ((Pixels{0x07E0, 0, 0, 0}), RowOf(dst));  // the key was skipped

    // The same from a platform handle, and this bitmap as a source into a device context.
    EXPECT_TRUE(dst.BitBlt(2, 0, 2, 2, src.GetHBitmap(nullptr), 0, 0, SRCCOPY));
    EXPECT_EQ(0x07E0u, PixelAt(dst, 2, 1));
    src.Unlock();
    CWceUi32Bitmap screen;
    ASSERT_TRUE(screen.CreateDIB(4, 4));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, screen.GetHBitmap(nullptr));
    EXPECT_TRUE(dst.BltToDc(dc, 0, 0, 4, 4, 0, 0, SRCCOPY));
    EXPECT_EQ(0x0000FF00u, PixelAt(screen, 0, 0));
    EXPECT_TRUE(src.StretchToDc(dc, 0, 0, 4, 4, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(0x00FF00FFu, PixelAt(screen, 3, 3));
    EXPECT_TRUE(dst.TransToDc(dc, 0, 0, 4, 4, 0, 0, 4, 4, RGB(0, 255, 0)));
    SelectObject(dc, old);
    DeleteDC(dc);
    screen.Unlock();

    EXPECT_FALSE(dst.BitBlt(0, 0, 1, 1, reinterpret_cast<HBITMAP>(0x4444), 0, 0, SRCCOPY));
    EXPECT_TRUE(LoggedError(u"CWceUiGenericBitmap::BitBlt(hSrcBmp),::GetObject(hSrcBmp) return 0"));
    EXPECT_FALSE(dst.BitBlt(0, 0, 1, 1, &src, 0, 0, 0x00660046));
    EXPECT_TRUE(LoggedWarning(u"CWceUiGenericBitmap::BitBlt(pSrcBmp),call ::BitBlt failed, GetLastError is 50"));
}

TEST_F(BitmapTest, LoadFromHBitmapAndRotateMakeUnsharedBitmapsWithoutAlpha)
{
    CWceUi32Bitmap src;
    ASSERT_TRUE(src.CreateDIB(3, 2));
    ASSERT_TRUE(src.FillColor(RGB(8, 16, 24), nullptr));
    ASSERT_TRUE(src.SetPerPixelAlpha(TRUE));
    ASSERT_TRUE(src.SetTransColor(TRUE, 0));
    CWceUi565Bitmap from(src.GetHBitmap(nullptr));
    src.Unlock();
    EXPECT_EQ("", Attributes(from));
    EXPECT_EQ((8u >> 3) << 11 | (16u >> 2) << 5 | (24u >> 3), PixelAt(from, 2, 1));
    EXPECT_FALSE(from.LoadFromHBitmap(nullptr));
    EXPECT_TRUE(LoggedError(u"CJxBmp::CopyHBitmap, hBitMap is NULL"));
    EXPECT_FALSE(from.IsLoaded());

    CWceUiGenericBitmap* rotated = nullptr;
    ASSERT_TRUE(src.Rotate(WCEUI_ROTATE_90, &rotated));
    std::unique_ptr<CWceUiGenericBitmap> owner(rotated);
    EXPECT_EQ("", Attributes(*rotated));
    CWceUiGenericBitmap* again = rotated;  // not null: a warning, then overwritten
    ASSERT_TRUE(src.Rotate(WCEUI_ROTATE_180, &again));
    std::unique_ptr<CWceUiGenericBitmap> owner2(again);
    EXPECT_TRUE(LoggedWarning(u"CWceUi32Bitmap::Rotate, *ppRotatedBmp should be NULL to prevent possible memory leak"));
    CWceUiGenericBitmap* none = nullptr;
    EXPECT_FALSE(src.Rotate(static_cast<WCEUI_ROTATE_ANGLE>(4), &none));
    EXPECT_TRUE(LoggedError(u"CWceUi32Bitmap::Rotate, eAngle is Invalid"));
    EXPECT_EQ(nullptr, none);
}

// Every operation on a bitmap that is not loaded, or with such a source, refuses and logs.
TEST_F(BitmapTest, OperationsOnAnUnloadedBitmapAreRefusedAndLogged)
{
    CWceUi565Bitmap empty, loaded;
    ASSERT_TRUE(loaded.CreateDIB(2, 2));
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    CWceUiGenericBitmap* out = nullptr;
    COLORREF cr;
    BITMAP bm;
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"GetWidth", [&] { return 0 != empty.GetWidth(); }},
        {"GetHeight", [&] { return 0 != empty.GetHeight(); }},
        {"GetBitsPixel", [&] { return 0 != empty.GetBitsPixel(); }},
        {"GetBitMapInfo", [&] { return empty.GetBitMapInfo(&bm); }},
        {"SetHSLOffsetHue", [&] { return empty.SetHSLOffsetHue(10); }},
        {"SetGray", [&] { return empty.SetGray(); }},
        {"GetTransColor", [&] { return empty.GetTransColor(&cr); }},
        {"Lock", [&] { return empty.Lock(); }},
        {"FillColor", [&] { return empty.FillColor(0, nullptr); }},
        {"GetHBitmap", [&] { return nullptr != empty.GetHBitmap(nullptr); }},
        {"BitBlt", [&] { return empty.BitBlt(0, 0, 1, 1, &loaded, 0, 0, SRCCOPY); }},
        {"BitBlt from null", [&] { return loaded.BitBlt(0, 0, 1, 1, static_cast<CWceUiGenericBitmap*>(nullptr), 0, 0, SRCCOPY); }},
        {"StretchBlt from empty", [&] { return loaded.StretchBlt(0, 0, 1, 1, &empty, 0, 0, 1, 1, SRCCOPY); }},
        {"TransBlt from null", [&] { return loaded.TransBlt(0, 0, 1, 1, static_cast<HBITMAP>(nullptr), 0, 0, 1, 1, 0); }},
        {"BltToDc", [&] { return empty.BltToDc(reinterpret_cast<HDC>(1), 0, 0, 1, 1, 0, 0, SRCCOPY); }},
        {"AlphaBlend", [&] { return empty.AlphaBlend(0, 0, 1, 1, &loaded, 0, 0, blend); }},
        {"AlphaBlend from empty", [&] { return loaded.AlphaBlend(0, 0, 1, 1, &empty, 0, 0, blend); }},
        {"AlphaBlend per pixel without alpha", [&] { return loaded.AlphaBlend(0, 0, 1, 1, &loaded, 0, 0, blend); }},
        {"MixColor", [&] { return empty.MixColor(0, 0, 1, 1, 0, 100); }},
        {"Rotate", [&] { return empty.Rotate(WCEUI_ROTATE_90, &out); }},
        {"SetPerPixelAlpha", [&] { return empty.SetPerPixelAlpha(TRUE); }},
        {"GetBmpData", [&] { return nullptr != empty.GetBmpData(nullptr, nullptr); }},
        {"SaveFileAndAlpha", [&] { return empty.SaveFileAndAlpha(u"a.bmp", u"a.alpha"); }},
    };
    for (const auto& [name, call] : cases) {
        const size_t nBefore = LogText().size();
        EXPECT_FALSE(call()) << name;
        EXPECT_LT(nBefore, LogText().size()) << name;
    }
    EXPECT_FALSE(empty.IsLoaded());
    EXPECT_EQ(nullptr, out);

    CWceUi32Bitmap wide;
    ASSERT_TRUE(wide.CreateDIB(2, 2));
    EXPECT_FALSE(loaded.AlphaBlend(0, 0, 1, 1, &wide, 0, 0, BLENDFUNCTION{AC_SRC_OVER, 0, 100, 0}));
    EXPECT_TRUE(LoggedError(u"CWceUi565Bitmap::AlphaBlend,check(16 == pSrcBmp->GetBitsPixel())fail"));
}
