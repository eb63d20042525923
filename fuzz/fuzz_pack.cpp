// Feeds .pack archives to the framework's reader. The input is an archive whose directory
// block is plain: the harness scrambles it under the key of an empty password before the
// archive is written, so that mutations land on the fields themselves and not on their
// scrambled form. A changed check word then looks like a wrong password, as it should.
//
// Each archive is read twice: by a fresh archive object (Load, every record found and
// read), and through WceUiReadFile with the shared cache, whose directory from an earlier
// input is kept while the check word stays the same, so stale offsets meet a new file.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "JXPackedFile.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "wce/host.h"

namespace fs = std::filesystem;

namespace {

// Enough records to reach the end of any directory a small input can hold.
constexpr int kMaxItemsRead = 64;

// A broken promise of the reader: abort, so that libFuzzer keeps the input.
void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_pack: %s\n", what);
    std::abort();
}

// The device of this process: a temporary folder holding the archive in "SDMMC". Removed
// when the process ends normally.
class FuzzDevice {
public:
    FuzzDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-pack-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        m_root = pattern;
        fs::create_directories(m_root + "/SDMMC");
        wce::host::SetDeviceRoot(m_root);
        // Thousands of error lines a second would only measure the log.
        CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close();
    }
    ~FuzzDevice()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FuzzDevice(const FuzzDevice&) = delete;
    FuzzDevice& operator=(const FuzzDevice&) = delete;

    void WriteArchive(const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream out(m_root + "/SDMMC/f.pack", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        Require(static_cast<bool>(out), "cannot write the archive");
    }

private:
    std::string m_root;
};

// Scrambles the whole words of the block that H names, as far as the input reaches.
std::vector<std::uint8_t> ScrambleBlock(const std::uint8_t* data, size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size < kJxPackHeadSize) return bytes;
    const size_t end = std::min<size_t>(JxReadLe32(data + kJxPackHeadSizeOffset), size);
    if (end > kJxPackHeadSize) JxScrambleWords(bytes.data() + kJxPackHeadSize, end - kJxPackHeadSize, GetPackKey(u""));
    return bytes;
}

void CheckRead(BYTE* pData, DWORD dwSize, const BYTE* pRecord)
{
    if (pData) {
        Require(!pRecord || dwSize == JxPackRecordUncompressedSize(pRecord), "an entry of the wrong size");
        delete[] pData;
    } else {
        Require(0 == dwSize, "a failed read with a size");
    }
}

void FuzzFreshObject()
{
    CJxPackedFile pack(u"\\sdmmc\\f.pack");
    if (!pack.Load(nullptr)) {
        Require(!pack.IsLoaded() && 0 == pack.GetItemCount(), "a failed load left a directory");
        return;
    }
    Require(pack.IsLoaded(), "a load that is not loaded");
    const int count = std::min(pack.GetItemCount(), kMaxItemsRead);
    for (int i = 0; i < count; ++i) {
        const BYTE* pRecord = pack.GetItem(i);
        WCHAR szPath[kJxPackMaxNameUnits];
        JxCopyPackPath(pRecord, szPath, kJxPackMaxNameUnits);
        // An unsorted directory may hide an entry from the search, never show a wrong one.
        const BYTE* pFound = pack.FindItem(szPath);
        Require(!pFound || 0 == JxComparePackPath(szPath, pFound), "FindItem returned another path");
        DWORD dwSize = 1;
        BYTE* pData = pack.ReadItem(szPath, &dwSize, nullptr);
        CheckRead(pData, dwSize, pData ? pack.FindItem(szPath) : nullptr);
    }
}

void FuzzSharedCache()
{
    for (LPCWSTR path : {u"\\SDMMC\\f.pack\\a.txt", u"\\SDMMC\\f.pack\\Dir/Sub\\B.xml"}) {
        DWORD dwSize = 1;
        CheckRead(WceUiReadFile(path, &dwSize, nullptr), dwSize, nullptr);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static FuzzDevice device;
    device.WriteArchive(ScrambleBlock(data, size));
    FuzzFreshObject();
    FuzzSharedCache();
    return 0;
}
