// Feeds MSK packages to the reader the way the updater uses it: VerifyPackage, then Unpack to
// "\\Residentflash2", under the key of an empty password and of the generic variant's
// password (the seed corpus is scrambled with both, so mutations keep a matching check word).
//
// An input whose first byte is 'D' is a plain directory block instead (the rest of the
// input): it goes straight to MskCheckDirectory and, when accepted, every entry is read, so
// the structure checks are reached without a matching check word.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "JXPackCommon.h"
#include "MskFormat.h"
#include "MskUnpacker.h"
#include "UpdateSystem.h"
#include "wce/host.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t kRawBlockMode = 'D';
// In raw mode data offsets are checked against a file this much longer than the block.
constexpr DWORD kRawDataRoom = 64 * 1024;
// What one unpack may write; a package of a few KiB can claim megabytes.
constexpr std::int64_t kWriteQuota = 1 << 20;

// A broken promise of the reader: abort, so that libFuzzer keeps the input.
void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_msk: %s\n", what);
    std::abort();
}

// The device of this process: a temporary folder with "SDMMC" for the package and
// "\\Residentflash2" as the unpack target. Removed when the process ends normally.
class FuzzDevice {
public:
    FuzzDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-msk-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        m_root = pattern;
        fs::create_directories(m_root + "/SDMMC");
        fs::create_directories(m_root + "/Residentflash2");
        wce::host::SetDeviceRoot(m_root);
    }
    ~FuzzDevice()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FuzzDevice(const FuzzDevice&) = delete;
    FuzzDevice& operator=(const FuzzDevice&) = delete;

    void WritePackage(const std::uint8_t* data, size_t size) const
    {
        std::ofstream out(m_root + "/SDMMC/p.msk", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        Require(static_cast<bool>(out), "cannot write the package");
    }

    // Empties the target, and checks that nothing was written anywhere else.
    void WipeTarget() const
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_root + "/Residentflash2", ec))
            fs::remove_all(entry.path(), ec);
        for (const auto& entry : fs::directory_iterator(m_root, ec)) {
            std::string name = entry.path().filename().string();
            Require(name == "SDMMC" || name == "Residentflash2", "the unpack wrote outside its target");
        }
        for (const auto& entry : fs::directory_iterator(m_root + "/SDMMC", ec))
            Require(entry.path().filename() == "p.msk", "the unpack wrote next to the package");
    }

private:
    std::string m_root;
};

struct ProgressCheck {
    DWORD next = 0;
};

int OnProgress(void* pContext, DWORD dwIndex, LPCWSTR pName, DWORD dwCount)
{
    auto* check = static_cast<ProgressCheck*>(pContext);
    Require(pName != nullptr, "progress without a name");
    Require(dwIndex == check->next, "progress indexes not consecutive");
    Require(dwIndex < dwCount, "progress index past the entry count");
    ++check->next;
    return 1;
}

void FuzzPackage(const FuzzDevice& device, const std::uint8_t* data, size_t size)
{
    device.WritePackage(data, size);
    static const DWORD keys[] = {GetPackKey(u""), GetPackKey(brantel::kGenericPassword)};
    for (DWORD key : keys) {
        CMskUnpacker unpacker;
        CString error = u"untouched";
        const int verified = unpacker.VerifyPackage(u"\\SDMMC\\p.msk", key, error);
        if (verified)
            Require(error == u"untouched", "VerifyPackage changed the error on success");
        else
            Require(!error.IsEmpty() && error != u"untouched", "VerifyPackage failed without an error");

        // The update's whole-package check: it agrees with VerifyPackage on the directory,
        // and what it accepts inflates in the unpack too.
        CString dataError = u"untouched";
        const int whole = unpacker.VerifyPackageData(u"\\SDMMC\\p.msk", key, dataError);
        Require(whole ? dataError == u"untouched" : !dataError.IsEmpty() && dataError != u"untouched",
                "VerifyPackageData's error does not match its result");
        Require(!whole || verified, "VerifyPackageData accepted what VerifyPackage refused");

        ProgressCheck progress;
        unpacker.SetProgressCallback(OnProgress, &progress);
        wce::host::SetWriteQuota(brantel::kUnpackTarget, kWriteQuota);
        error = u"untouched";
        const int unpacked = unpacker.Unpack(u"\\SDMMC\\p.msk", brantel::kUnpackTarget, key, error);
        if (unpacked)
            Require(error.IsEmpty(), "Unpack succeeded with an error");
        else
            Require(!error.IsEmpty() && error != u"untouched", "Unpack failed without an error");
        // Both read the same header and directory: a package VerifyPackage accepts has the
        // right password for Unpack too.
        if (verified)
            Require(error != u"check CRC failed, Wrong password?" && error != u"invalid_msk_file",
                    "Unpack refused a package that VerifyPackage accepted");
        if (whole) Require(error != u"uncompress failed", "Unpack could not inflate what the check inflated");
        device.WipeTarget();
    }
}

void FuzzDirectoryBlock(const std::uint8_t* block, size_t size)
{
    const DWORD length = static_cast<DWORD>(size);
    const DWORD fileSize = kMskHeaderSize + length + kRawDataRoom;
    CString problem;
    if (!MskCheckDirectory(block, length, fileSize, problem)) {
        Require(!problem.IsEmpty(), "a refused directory without a reason");
        return;
    }
    CString root;
    Require(MskReadRootName(block, length, root), "an accepted directory without a root name");
    DWORD seen = 0;
    DWORD count = MskForEachEntry(block, length, [&](const CMskEntryView& entry) {
        ++seen;
        CString name = entry.GetName();
        const DWORD type = entry.GetType();
        if (type == kMskTypeDirectory || type == kMskTypeFile)
            Require(MskIsSafeRelativePath(name), "an accepted entry with an unsafe name");
        if (type == kMskTypeFile)
            Require(static_cast<std::uint64_t>(entry.GetDataOffset()) + entry.GetCompressedSize() <= fileSize,
                    "an accepted file outside the package");
    });
    Require(count == seen, "entry count differs from the entries visited");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size > 0 && data[0] == kRawBlockMode) {
        FuzzDirectoryBlock(data + 1, size - 1);
        return 0;
    }
    static FuzzDevice device;
    FuzzPackage(device, data, size);
    return 0;
}
