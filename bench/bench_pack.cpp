// Reading a skin from a .pack archive against reading the same files from a folder, both
// through WceUiReadFile: 500 entries of mixed sizes, 16 MiB in all. Then the directory
// lookup alone (CJxPackedFile::FindItem, a binary search over the sorted records) against
// std::map over the same paths. Prints the ratios at the end.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "JXPackedFile.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "PackBuilder.h"
#include "benchmark/benchmark.h"
#include "wce/host.h"
#include "wce/wstring.h"
#include "libdeflate.h"
#include "zlib.h"
#include "bench_times.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEntryCount = 500;
constexpr std::size_t kTotalPlain = 16u << 20;
const char16_t kPassword[] = u"bench";

struct Skin {
    std::string root;  // host folder, the device root
    std::vector<std::u16string> names;         // entry names, shuffled
    std::vector<std::u16string> packPaths;     // "\\SDMMC\\skin.pack\\" + name
    std::vector<std::u16string> plainPaths;    // "\\SDMMC\\skin\\" + name
    std::vector<std::string> packed;           // each entry's zlib stream, for the inflate-only line
    std::vector<std::size_t> packedPlainSizes; // and its plain size
    std::vector<std::size_t> packedOffsets;    // and where it starts in the archive file
    std::vector<std::size_t> sizes;
    std::size_t totalPacked = 0;
};

Skin g_skin;

// Skin-like contents: 16-bit bitmaps (gradients with a little noise) and XML-ish text.
std::string MakeContents(std::mt19937& random, std::size_t size, bool bitmap)
{
    std::string s;
    s.reserve(size);
    if (bitmap) {
        for (std::size_t i = 0; s.size() < size; ++i) {
            unsigned pixel = static_cast<unsigned>((i / 3) % 2048) + (random() % 4);
            s += static_cast<char>(pixel);
            s += static_cast<char>(pixel >> 8);
        }
    } else {
        static const char* const kWords[] = {"<layer ", "name=\"", "button", "\" type=\"", "CWceUiButton",
                                             "\" rect=\"", "10,20,200,48", "\"/>\r\n", "style", "bitmap\\"};
        while (s.size() < size) {
            s += kWords[random() % 10];
            s += std::to_string(random() % 1000);
        }
    }
    s.resize(size);
    return s;
}

bool MakeSkin(Skin& skin)
{
    std::string pattern = (fs::temp_directory_path() / "bench-pack-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return false;
    skin.root = pattern;
    wce::host::SetDeviceRoot(skin.root);
    // The benchmark measures reads, not error lines.
    CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close();

    std::mt19937 random(20240611);
    // Log-uniform sizes (a few hundred bytes to a few hundred KiB), scaled to the total.
    std::vector<double> weights(kEntryCount);
    double sum = 0;
    for (double& w : weights) sum += (w = std::exp(std::uniform_real_distribution<double>(0, std::log(1024.0))(random)));
    std::size_t assigned = 0;
    for (double w : weights) {
        skin.sizes.push_back(static_cast<std::size_t>(w / sum * kTotalPlain));
        assigned += skin.sizes.back();
    }
    skin.sizes.back() += kTotalPlain - assigned;

    static const char* const kDirs[] = {"bitmap\\button", "bitmap\\listbox", "bitmap\\main", "800x480\\res", "font"};
    std::vector<PackBuildEntry> entries;
    for (int i = 0; i < kEntryCount; ++i) {
        const bool bitmap = i % 5 != 3;
        std::string name = std::string(kDirs[i % 5]) + "\\item" + std::to_string(i) + (bitmap ? ".bmp" : ".xml");
        entries.push_back({Utf8ToWide(name), MakeContents(random, skin.sizes[i], bitmap)});
        std::string host = skin.root + "/SDMMC/skin/" + name;
        std::replace(host.begin(), host.end(), '\\', '/');
        fs::create_directories(fs::path(host).parent_path());
        std::ofstream out(host, std::ios::binary | std::ios::trunc);
        out.write(entries.back().data.data(), static_cast<std::streamsize>(entries.back().data.size()));
        if (!out) return false;
    }
    SortPackEntries(entries);
    const PackImage image = BuildPackImage(entries, u"skin.pack");
    const std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(kPassword));
    std::ofstream out(skin.root + "/SDMMC/skin.pack", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
    skin.totalPacked = image.data.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::uint8_t* record = image.block.data() + image.recordOffsets[i];
        const std::size_t at = JxPackRecordDataOffset(record) - kJxPackHeadSize - image.block.size();
        skin.packed.emplace_back(image.data.begin() + at, image.data.begin() + at + JxPackRecordCompressedSize(record));
        skin.packedPlainSizes.push_back(entries[i].data.size());
        skin.packedOffsets.push_back(JxPackRecordDataOffset(record));
    }

    for (const PackBuildEntry& entry : entries) skin.names.push_back(entry.name);
    std::shuffle(skin.names.begin(), skin.names.end(), random);
    for (const std::u16string& name : skin.names) {
        skin.packPaths.push_back(u"\\SDMMC\\skin.pack\\" + name);
        skin.plainPaths.push_back(u"\\SDMMC\\skin\\" + name);
    }
    return true;
}

void ReadAll(benchmark::State& state, const std::vector<std::u16string>& paths)
{
    for (auto _ : state) {
        for (const std::u16string& path : paths) {
            DWORD size = 0;
            BYTE* data = WceUiReadFile(path.c_str(), &size, kPassword);
            if (!data) {
                state.SkipWithError("a read failed");
                return;
            }
            benchmark::DoNotOptimize(data);
            delete[] data;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotalPlain));
}

void BM_ReadAll_Pack(benchmark::State& state) { ReadAll(state, g_skin.packPaths); }
void BM_ReadAll_PlainFolder(benchmark::State& state) { ReadAll(state, g_skin.plainPaths); }

// What the archive reads cost at least: inflating the same streams from memory into one
// buffer, with the library the reader uses (libdeflate), and with zlib for comparison.
void BM_InflateOnly_Libdeflate(benchmark::State& state)
{
    std::vector<std::uint8_t> out(*std::max_element(g_skin.sizes.begin(), g_skin.sizes.end()));
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        for (std::size_t i = 0; i < g_skin.packed.size(); ++i) {
            std::size_t length = 0;
            libdeflate_zlib_decompress(decompressor, g_skin.packed[i].data(), g_skin.packed[i].size(), out.data(),
                                       out.size(), &length);
            benchmark::DoNotOptimize(out.data());
        }
    }
    libdeflate_free_decompressor(decompressor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotalPlain));
}

// The same, each entry into a new buffer of its own, as a read must hand out.
void BM_InflateOnly_LibdeflateNewBuffers(benchmark::State& state)
{
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        for (std::size_t i = 0; i < g_skin.packed.size(); ++i) {
            std::uint8_t* out = new std::uint8_t[g_skin.packedPlainSizes[i]];
            std::size_t length = 0;
            libdeflate_zlib_decompress(decompressor, g_skin.packed[i].data(), g_skin.packed[i].size(), out,
                                       g_skin.packedPlainSizes[i], &length);
            benchmark::DoNotOptimize(out);
            delete[] out;
        }
    }
    libdeflate_free_decompressor(decompressor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotalPlain));
}

// The least any reader that checks the archive on each read can do here: per entry the
// 12-byte head and the stream read from an archive kept open, no path looked up, then
// inflated into a new buffer. What the reader costs beyond this is its own.
void BM_ReadFloor_PreadInflate(benchmark::State& state)
{
    const int fd = open((g_skin.root + "/SDMMC/skin.pack").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        state.SkipWithError("cannot open the archive");
        return;
    }
    std::size_t largest = 0;
    for (const std::string& stream : g_skin.packed) largest = std::max(largest, stream.size());
    std::vector<std::uint8_t> compressed(largest);
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        for (std::size_t i = 0; i < g_skin.packed.size(); ++i) {
            std::uint8_t head[kJxPackHeadSize];
            const std::size_t size = g_skin.packed[i].size();
            if (pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head) ||
                pread(fd, compressed.data(), size, static_cast<off_t>(g_skin.packedOffsets[i])) !=
                    static_cast<ssize_t>(size)) {
                state.SkipWithError("a read failed");
                break;
            }
            std::uint8_t* out = new std::uint8_t[g_skin.packedPlainSizes[i]];
            std::size_t length = 0;
            libdeflate_zlib_decompress(decompressor, compressed.data(), size, out, g_skin.packedPlainSizes[i], &length);
            benchmark::DoNotOptimize(out);
            delete[] out;
        }
    }
    libdeflate_free_decompressor(decompressor);
    close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotalPlain));
}

void BM_InflateOnly_Zlib(benchmark::State& state)
{
    std::vector<std::uint8_t> out(*std::max_element(g_skin.sizes.begin(), g_skin.sizes.end()));
    for (auto _ : state) {
        for (std::size_t i = 0; i < g_skin.packed.size(); ++i) {
            uLongf length = static_cast<uLongf>(out.size());
            uncompress(out.data(), &length, reinterpret_cast<const Bytef*>(g_skin.packed[i].data()),
                       static_cast<uLong>(g_skin.packed[i].size()));
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotalPlain));
}

CJxPackedFile& LoadedPack()
{
    static CJxPackedFile pack(u"\\sdmmc\\skin.pack");
    static const bool loaded = pack.Load(kPassword);
    (void)loaded;
    return pack;
}

void BM_FindItem(benchmark::State& state)
{
    CJxPackedFile& pack = LoadedPack();
    if (pack.GetItemCount() != kEntryCount) {
        state.SkipWithError("the archive did not load");
        return;
    }
    for (auto _ : state)
        for (const std::u16string& name : g_skin.names) benchmark::DoNotOptimize(pack.FindItem(name.c_str()));
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

void BM_StdMap_Find(benchmark::State& state)
{
    CJxPackedFile& pack = LoadedPack();
    std::map<std::u16string, const BYTE*> map;
    for (int i = 0; i < pack.GetItemCount(); ++i) {
        WCHAR szPath[kJxPackMaxNameUnits];
        JxCopyPackPath(pack.GetItem(i), szPath, kJxPackMaxNameUnits);
        map.emplace(szPath, pack.GetItem(i));
    }
    for (auto _ : state)
        for (const std::u16string& name : g_skin.names) benchmark::DoNotOptimize(map.find(name));
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

BENCHMARK(BM_ReadAll_Pack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAll_PlainFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateOnly_Libdeflate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateOnly_LibdeflateNewBuffers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFloor_PreadInflate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateOnly_Zlib)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindItem)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StdMap_Find)->Unit(benchmark::kMicrosecond);

// Best against best and median against median, in wall and in CPU time; the target applies
// to the median wall time: file reads wait on the kernel.
void PrintRatio(const BenchTimes& t, const char* pLabel, const std::string& ours, const std::string& baseline,
                double target = 0)
{
    const double medianReal = t.Median(ours, true) / t.Median(baseline, true);
    if (!(medianReal > 0) || !std::isfinite(medianReal)) return;  // a line filtered out
    std::printf("ratio %s = %.3f median, %.3f best (cpu %.3f median, %.3f best; %zu runs)", pLabel, medianReal,
                t.Min(ours, true) / t.Min(baseline, true), t.Median(ours, false) / t.Median(baseline, false),
                t.Min(ours, false) / t.Min(baseline, false), t.Count(ours));
    if (target > 0) std::printf(" (target <= %.2f): %s", target, medianReal <= target ? "met" : "NOT met");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::error_code ignored;
    if (!MakeSkin(g_skin)) {
        std::fprintf(stderr, "bench_pack: cannot make the skin in %s\n", g_skin.root.c_str());
        if (!g_skin.root.empty()) fs::remove_all(g_skin.root, ignored);
        return 1;
    }
    std::printf("skin: %d entries, %.1f MiB plain, %.1f MiB packed (%.2f:1)\n", kEntryCount,
                static_cast<double>(kTotalPlain) / (1 << 20), static_cast<double>(g_skin.totalPacked) / (1 << 20),
                static_cast<double>(kTotalPlain) / static_cast<double>(g_skin.totalPacked));
    BenchTimes times;
    const int status = RunBenchmarks(argc, argv, times, [](const BenchTimes& t) {
        PrintRatio(t, "read all: archive / plain folder", "BM_ReadAll_Pack/real_time", "BM_ReadAll_PlainFolder/real_time");
        PrintRatio(t, "read all: archive / inflate alone (libdeflate)", "BM_ReadAll_Pack/real_time",
                   "BM_InflateOnly_Libdeflate/real_time", 1.1);
        PrintRatio(t, "read all: archive / inflate alone into new buffers (libdeflate)", "BM_ReadAll_Pack/real_time",
                   "BM_InflateOnly_LibdeflateNewBuffers/real_time", 1.1);
        PrintRatio(t, "floor (head and stream read, no lookups) / inflate alone (libdeflate)",
                   "BM_ReadFloor_PreadInflate/real_time", "BM_InflateOnly_Libdeflate/real_time");
        PrintRatio(t, "read all: archive / floor", "BM_ReadAll_Pack/real_time", "BM_ReadFloor_PreadInflate/real_time");
        PrintRatio(t, "inflate alone: libdeflate / zlib", "BM_InflateOnly_Libdeflate/real_time",
                   "BM_InflateOnly_Zlib/real_time");
        PrintRatio(t, "lookup: FindItem / std::map::find", "BM_FindItem", "BM_StdMap_Find");
    });
    fs::remove_all(g_skin.root, ignored);
    return status;
}
