// Feeds BMP files, ".alpha" planes and ".565a.conf" files to the framework's bitmap loaders,
// then runs the pixel loops over whatever loaded. The first input byte picks the case:
//   0: the rest is a BMP file (loaded with and without per-pixel alpha, by both kinds);
//   1: two bytes give the BMP's length (little-endian), then the BMP, then its ".alpha";
//   2: the rest is a ".565a.conf" file; small valid "a.bmp", "a.alpha" and "b.bmp" lie
//      beside it for "src" to name.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "JXBmp.h"
#include "JXGVar.h"
#include "JXLoadRes.h"
#include "JXWriteLogFile.h"
#include "WceUi32Bitmap.h"
#include "WceUi565Bitmap.h"
#include "wce/host.h"

namespace fs = std::filesystem;

namespace {

// A broken promise of the loaders: abort, so that libFuzzer keeps the input.
void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_bmp: %s\n", what);
    std::abort();
}

std::string Le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A 565 bitmap of 3 x 2 (rows of 4 pixels) or a 32-bit one of 2 x 2.
std::string SmallBmp(int bits)
{
    int w = 16 == bits ? 3 : 2, h = 2;
    std::string pixels(static_cast<size_t>(((w * bits + 31) >> 5) * 4 * h), '\x5A');
    std::string info = Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(bits) + Le32(16 == bits ? 3 : 0) +
                       Le32(static_cast<unsigned>(pixels.size())) + std::string(16, '\0');
    if (16 == bits) info += Le32(0xF800) + Le32(0x07E0) + Le32(0x001F) + Le32(0);
    return "BM" + Le32(static_cast<unsigned>(14 + info.size() + pixels.size())) + Le32(0) +
           Le32(static_cast<unsigned>(14 + info.size())) + info + pixels;
}

// The device of this process: a temporary folder, removed when the process ends normally.
class FuzzDevice {
public:
    FuzzDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-bmp-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        m_root = pattern;
        fs::create_directories(m_root + "/SDMMC/skin");
        wce::host::SetDeviceRoot(m_root);
        // Thousands of error lines a second would only measure the log.
        CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close();
        Write("SDMMC/skin/a.bmp", SmallBmp(16));
        Write("SDMMC/skin/a.alpha", std::string(8, '\x20'));
        Write("SDMMC/skin/b.bmp", SmallBmp(32));
    }
    ~FuzzDevice()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FuzzDevice(const FuzzDevice&) = delete;
    FuzzDevice& operator=(const FuzzDevice&) = delete;

    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::ofstream out(m_root + "/" + relative, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        Require(static_cast<bool>(out), "cannot write a file");
    }

private:
    std::string m_root;
};

// Whatever loaded must be a sound bitmap that the pixel loops can run over.
void Exercise(CWceUiGenericBitmap* pBitmap)
{
    if (!pBitmap) return;
    Require(pBitmap->IsLoaded(), "a loader returned a bitmap that is not loaded");
    int w = pBitmap->GetWidth(), h = pBitmap->GetHeight(), bits = pBitmap->GetBitsPixel();
    Require(w > 0 && h > 0 && w <= JX_MAX_BITMAP_SIDE && h <= JX_MAX_BITMAP_SIDE, "a bitmap of an impossible size");
    Require(16 == bits || 32 == bits, "a bitmap of an impossible depth");
    Require(pBitmap->GetTotalSize() == JxGetBitmapDataLen(w, h, bits), "a pixel array of the wrong size");
    if (static_cast<long long>(w) * h > 1 << 16) return;  // large ones only cost time

    CWceUiGenericBitmap* pCopy = nullptr;
    Require(pBitmap->MakeACopy(&pCopy), "MakeACopy failed");
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 100, static_cast<BYTE>(pBitmap->HasPerPixelAlpha() ? AC_SRC_ALPHA : 0)};
    Require(pCopy->AlphaBlend(1, 1, w, h, pBitmap, 0, 0, blend), "AlphaBlend failed");
    Require(pCopy->MixColor(0, 0, w, h, RGB(10, 200, 30), 150), "MixColor failed");
    Require(pCopy->SetHSLOffsetHue(-90), "SetHSLOffsetHue failed");
    CWceUiGenericBitmap* pRotated = nullptr;
    Require(pCopy->Rotate(WCEUI_ROTATE_90, &pRotated), "Rotate failed");
    delete pRotated;
    delete pCopy;
}

void LoadBmp(BOOL bPerPixelAlpha, LPCWSTR pAlphaPath)
{
    std::unique_ptr<CWceUiGenericBitmap> loaded(WceUiLoadBmpFromFile(u"\\SDMMC\\f.bmp", bPerPixelAlpha, pAlphaPath));
    Exercise(loaded.get());
    CWceUi565Bitmap bmp565;
    if (bmp565.LoadFromFile(u"\\SDMMC\\f.bmp", pAlphaPath)) Exercise(&bmp565);
    CWceUi32Bitmap bmp32;
    if (bmp32.LoadFromFile(u"\\SDMMC\\f.bmp", bPerPixelAlpha)) Exercise(&bmp32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static FuzzDevice device;
    if (size < 1) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0: {
        // The parser straight on an exact-size buffer, then the loaders through files.
        std::vector<BYTE> exact(input.begin(), input.end());
        BITMAPINFO info;
        const BYTE* pBits = nullptr;
        if (GetBitmapInfoFromBuffer(exact.data(), static_cast<DWORD>(exact.size()), &info, &pBits))
            Require(pBits + JxGetBitmapDataLen(info.bmiHeader.biWidth, info.bmiHeader.biHeight, info.bmiHeader.biBitCount) <=
                        exact.data() + exact.size(),
                    "pixels past the end of the file");
        device.Write("SDMMC/f.bmp", input);
        LoadBmp(FALSE, nullptr);
        LoadBmp(TRUE, nullptr);
        break;
    }
    case 1: {
        size_t length = input.size() >= 2 ? (static_cast<unsigned char>(input[0]) | static_cast<unsigned char>(input[1]) << 8) : 0;
        std::string rest = input.size() >= 2 ? input.substr(2) : std::string();
        if (length > rest.size()) length = rest.size();
        device.Write("SDMMC/f.bmp", rest.substr(0, length));
        device.Write("SDMMC/f.alpha", rest.substr(length));
        LoadBmp(TRUE, u"\\SDMMC\\f.alpha");
        break;
    }
    default: {
        device.Write("SDMMC/skin/f.565a.conf", input);
        CReadBitmapConfInfo conf;
        if (conf.LoadBitmapConfData(data + 1, static_cast<DWORD>(size - 1), u"\\SDMMC\\skin\\f.565a.conf"))
            Require(0 != *conf.GetBitmapFullPath(), "a loaded conf without a bitmap path");
        std::unique_ptr<CWceUiGenericBitmap> loaded(JxLoadBitmapFromConfFile(u"\\SDMMC\\skin\\f.565a.conf"));
        Exercise(loaded.get());
        break;
    }
    }
    return 0;
}
