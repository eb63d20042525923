// CMskUnpacker::Unpack of a 64 MiB package against the least any unpacker has to do: the
// same zlib streams read from the package, inflated with uncompress into a buffer of the
// exact size and written with open/write/close. Also the peak heap use of the unpack against
// the bound "directory block + largest compressed file + largest uncompressed file", counted
// by replacing the global allocation operators of this program. And the update's whole-package
// check before the unpack, against the unpack alone; and the signed update's cost: the
// signature check (the package hashed in pieces) followed by the unpack, against the unpack
// alone.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "MskBuilder.h"
#include "MskFormat.h"
#include "MskSigner.h"
#include "MskUnpacker.h"
#include "PackageSignature.h"
#include "UpdateSystem.h"
#include "wce/host.h"
#include "zlib.h"

// ---- Heap accounting -------------------------------------------------------------------
// Every block carries its size in front, so the unsized deletes can subtract it. Over-aligned
// allocations keep the library's own operators; nothing on the measured path makes them.

namespace {

std::atomic<std::size_t> g_heapNow{0};
std::atomic<std::size_t> g_heapPeak{0};
constexpr std::size_t kSizeHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t size) noexcept
{
    void* block = std::malloc(size + kSizeHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const std::size_t now = g_heapNow.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t peak = g_heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + kSizeHeader;
}

void CountedFree(void* p) noexcept
{
    if (!p) return;
    void* block = static_cast<char*>(p) - kSizeHeader;
    g_heapNow.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* CountedAllocOrThrow(std::size_t size)
{
    void* p = CountedAlloc(size);
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocOrThrow(size); }
void* operator new[](std::size_t size) { return CountedAllocOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFileCount = 200;
constexpr std::size_t kTotalPlain = 64u << 20;
constexpr int kIterations = 10;
constexpr double kTimeTarget = 1.05;
constexpr double kCheckTarget = 1.6;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr std::size_t kHeapSlack = 1u << 20;
constexpr double kSignedTarget = 1.15;

// ---- The package -----------------------------------------------------------------------

struct PackedFile {
    std::string name;  // relative, '/'-separated
    DWORD offset = 0;
    DWORD packedSize = 0;
    DWORD plainSize = 0;
};

struct BenchPackage {
    std::string root;         // host folder of the device
    std::string packagePath;  // host path of the package
    DWORD key = 0;
    std::vector<std::string> dirs;  // relative, parents first
    std::vector<PackedFile> files;
    std::size_t blockLength = 0;
    std::size_t largestPacked = 0;
    std::size_t largestPlain = 0;
    std::size_t totalPlain = 0;
    std::size_t totalPacked = 0;
};

BenchPackage g_package;
std::vector<double> g_checkedSeconds;  // VerifyPackageData + Unpack, as an update runs them
std::size_t g_checkPeakHeap = 0;
std::vector<double> g_unpackSeconds;
std::vector<double> g_baselineSeconds;
std::size_t g_unpackPeakHeap = 0;
std::vector<double> g_checkSeconds;         // the signature check of each signed update
std::vector<double> g_signedUnpackSeconds;  // and its unpack
std::size_t g_signedPeakHeap = 0;

// xorshift64*: fast and the same on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1DULL;
    }
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>((Next() >> 32) % bound); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t m_state;
};

// Text-like filler: words of a random vocabulary, frequent ones more often, with
// punctuation, numbers and line breaks. Deflate packs it a little over 2:1.
class TextMaker {
public:
    explicit TextMaker(Random& random) : m_random(random)
    {
        for (auto& word : m_words) {
            const std::uint32_t length = 2 + m_random.Below(9);
            for (std::uint32_t i = 0; i < length; ++i) word += static_cast<char>('a' + m_random.Below(26));
        }
    }

    std::string Make(std::size_t size)
    {
        std::string text;
        text.reserve(size + 32);
        while (text.size() < size) {
            // The smaller of two draws favours the low indexes, as in real text.
            const std::uint32_t index = std::min(m_random.Below(kWords), m_random.Below(kWords));
            text += m_words[index];
            const std::uint32_t mark = m_random.Below(100);
            if (mark < 6)
                text += ", ";
            else if (mark < 9)
                text += ". ";
            else if (mark < 10)
                text += ".\n";
            else if (mark < 12)
                text += " " + std::to_string(m_random.Below(100000)) + " ";
            else
                text += ' ';
        }
        text.resize(size);
        return text;
    }

private:
    static constexpr std::uint32_t kWords = 4096;
    Random& m_random;
    std::string m_words[kWords];
};

std::u16string ToDeviceName(const std::string& name)
{
    std::u16string device(name.begin(), name.end());
    std::replace(device.begin(), device.end(), u'/', u'\\');
    return device;
}

bool WriteHostFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A unit that holds a key, and the package's signature beside it.
bool SignForUnit(const BenchPackage& package)
{
    MinisignPublicKey publicKey;
    MinisignSecretKey secretKey;
    BYTE hash[kMinisignHashSize];
    MinisignSignature signature;
    std::string problem;
    if (!MinisignMakeKeyPair(publicKey, secretKey) || !HashHostFile(package.packagePath, hash, problem) ||
        !MinisignSignHash(secretKey, hash, "file:bench.msk", signature))
        return false;
    const std::string keys = MinisignFormatPublicKey(publicKey);
    const std::string text = MinisignFormatSignature(signature, "bench");
    std::ofstream(package.root + "/Residentflash2/update.pub", std::ios::binary) << keys;
    std::ofstream(package.packagePath + ".minisig", std::ios::binary) << text;
    return true;
}

// 200 files of log-uniform sizes (about 1 KiB to 2.5 MiB) adding up to 64 MiB, spread over
// the root and a few directories, packed under the generic variant's password.
bool MakePackage(BenchPackage& package)
{
    std::string pattern = (fs::temp_directory_path() / "bench-unpack-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return false;
    package.root = pattern;
    fs::create_directories(package.root + "/SDMMC");
    fs::create_directories(package.root + "/Residentflash2");
    fs::create_directories(package.root + "/baseline");
    package.packagePath = package.root + "/SDMMC/bench.msk";
    package.key = GetPackKey(brantel::kGenericPassword);
    package.dirs = {"bin", "data", "data/maps", "data/voice", "res", "res/skin"};

    Random random(20240611);
    std::vector<double> weights(kFileCount);
    for (double& weight : weights) weight = std::exp(random.Unit() * std::log(2048.0));
    double weightSum = 0;
    for (double weight : weights) weightSum += weight;
    std::vector<std::size_t> sizes(kFileCount);
    std::size_t assigned = 0;
    for (int i = 0; i < kFileCount; ++i) {
        sizes[i] = static_cast<std::size_t>(weights[i] / weightSum * static_cast<double>(kTotalPlain));
        assigned += sizes[i];
    }
    sizes.back() += kTotalPlain - assigned;

    std::vector<MskBuildEntry> entries;
    for (const std::string& dir : package.dirs) entries.push_back({kMskTypeDirectory, ToDeviceName(dir), ""});
    static const char* const kExtensions[] = {".dat", ".txt", ".xml", ".bin", ".map"};
    TextMaker text(random);
    for (int i = 0; i < kFileCount; ++i) {
        const std::size_t slot = i % (package.dirs.size() + 1);
        std::string name = slot == package.dirs.size() ? "" : package.dirs[slot] + "/";
        name += "file" + std::to_string(i) + kExtensions[i % 5];
        entries.push_back({kMskTypeFile, ToDeviceName(name), text.Make(sizes[i])});
        package.files.push_back({name, 0, 0, static_cast<DWORD>(sizes[i])});
    }

    const MskImage image = BuildMskImage(entries, u"app");
    entries.clear();
    package.blockLength = image.block.size();
    for (int i = 0; i < kFileCount; ++i) {
        PackedFile& file = package.files[i];
        const BYTE* record = image.block.data() + image.recordOffsets[package.dirs.size() + i];
        CMskEntryView entry(record);
        file.offset = entry.GetDataOffset();
        file.packedSize = entry.GetCompressedSize();
        package.largestPacked = std::max<std::size_t>(package.largestPacked, file.packedSize);
        package.largestPlain = std::max<std::size_t>(package.largestPlain, file.plainSize);
        package.totalPacked += file.packedSize;
        package.totalPlain += file.plainSize;
    }
    if (!WriteHostFile(package.packagePath, image.Assemble(package.key))) return false;
    wce::host::SetDeviceRoot(package.root);
    return SignForUnit(package);
}

void RemoveTree(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

// ---- Benchmarks ------------------------------------------------------------------------

// Pauses the clock and removes the tree the iteration before unpacked.
benchmark::State& PauseAndClear(benchmark::State& state)
{
    state.PauseTiming();
    RemoveTree(g_package.root + "/Residentflash2/app");
    return state;
}

// The start of one iteration of the unpack benchmarks, made with the clock running: it
// pauses the clock, clears the target, makes the unpacker, marks the heap and starts the
// clock again, so that only the work after it is timed.
struct UnpackIteration {
    explicit UnpackIteration(benchmark::State& state) : timing(PauseAndClear(state))
    {
        heapBefore = g_heapNow.load();
        g_heapPeak.store(heapBefore);
        start = Clock::now();
        state.ResumeTiming();
    }
    // The heap's peak above what was in use at the start.
    std::size_t PeakHeap() const { return g_heapPeak.load() - heapBefore; }

    benchmark::State& timing;  // first: the clock is paused before the unpacker is made
    CMskUnpacker unpacker;
    CString error;
    std::size_t heapBefore = 0;
    Clock::time_point start;
};

void BM_MskUnpack(benchmark::State& state)
{
    const BenchPackage& package = g_package;
    for (auto _ : state) {
        UnpackIteration run(state);

        const int result = run.unpacker.Unpack(u"\\SDMMC\\bench.msk", brantel::kUnpackTarget, package.key, run.error);

        state.PauseTiming();
        g_unpackSeconds.push_back(std::chrono::duration<double>(Clock::now() - run.start).count());
        g_unpackPeakHeap = std::max(g_unpackPeakHeap, run.PeakHeap());
        state.ResumeTiming();
        if (!result) {
            state.SkipWithError("Unpack failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * package.totalPlain));
    state.counters["peak_heap_MiB"] = static_cast<double>(g_unpackPeakHeap) / kMiB;
    state.counters["bound_MiB"] =
        static_cast<double>(package.blockLength + package.largestPacked + package.largestPlain) / kMiB;
}

// The update's way: every entry inflated into nothing first, then the unpack. Measured
// against BM_MskUnpack of the same run.
void BM_MskCheckThenUnpack(benchmark::State& state)
{
    const BenchPackage& package = g_package;
    for (auto _ : state) {
        UnpackIteration run(state);

        const int checked = run.unpacker.VerifyPackageData(u"\\SDMMC\\bench.msk", package.key, run.error);

        state.PauseTiming();
        g_checkPeakHeap = std::max(g_checkPeakHeap, run.PeakHeap());
        state.ResumeTiming();
        const int result =
            checked && run.unpacker.Unpack(u"\\SDMMC\\bench.msk", brantel::kUnpackTarget, package.key, run.error);

        state.PauseTiming();
        g_checkedSeconds.push_back(std::chrono::duration<double>(Clock::now() - run.start).count());
        state.ResumeTiming();
        if (!result) {
            state.SkipWithError("check or unpack failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * package.totalPlain));
}

// What a unit holding a key does: the signature check, then the same unpack. The two are timed
// apart in each iteration, so that the disk's drift on a shared machine falls on both alike.
void BM_VerifyAndUnpack(benchmark::State& state)
{
    const BenchPackage& package = g_package;
    for (auto _ : state) {
        UnpackIteration run(state);

        const BOOL verified = CheckPackageSignature(u"\\SDMMC\\bench.msk", run.error);
        const Clock::time_point checked = Clock::now();
        const int result =
            verified && run.unpacker.Unpack(u"\\SDMMC\\bench.msk", brantel::kUnpackTarget, package.key, run.error);

        state.PauseTiming();
        const Clock::time_point end = Clock::now();
        g_checkSeconds.push_back(std::chrono::duration<double>(checked - run.start).count());
        g_signedUnpackSeconds.push_back(std::chrono::duration<double>(end - checked).count());
        g_signedPeakHeap = std::max(g_signedPeakHeap, run.PeakHeap());
        state.ResumeTiming();
        if (!result) {
            state.SkipWithError(verified ? "Unpack failed" : "the signature check failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * package.totalPlain));
    state.counters["peak_heap_MiB"] = static_cast<double>(g_signedPeakHeap) / kMiB;
}

bool ReadAt(int fd, Bytef* buffer, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const Bytef* buffer, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, buffer + done, size - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The unpack with nothing but zlib and POSIX: the entry list is known in advance.
bool UnpackBaseline(const BenchPackage& package, const std::string& target)
{
    const int in = open(package.packagePath.c_str(), O_RDONLY);
    if (in < 0) return false;
    bool ok = mkdir(target.c_str(), 0777) == 0;
    for (std::size_t i = 0; ok && i < package.dirs.size(); ++i)
        ok = mkdir((target + "/" + package.dirs[i]).c_str(), 0777) == 0;
    for (std::size_t i = 0; ok && i < package.files.size(); ++i) {
        const PackedFile& file = package.files[i];
        std::unique_ptr<Bytef[]> packed(new Bytef[file.packedSize]);
        std::unique_ptr<Bytef[]> plain(new Bytef[file.plainSize]);
        uLongf produced = file.plainSize;
        ok = ReadAt(in, packed.get(), file.packedSize, file.offset) &&
             uncompress(plain.get(), &produced, packed.get(), file.packedSize) == Z_OK && produced == file.plainSize;
        if (!ok) break;
        packed.reset();
        const int out = open((target + "/" + file.name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ok = out >= 0 && WriteAll(out, plain.get(), file.plainSize);
        if (out >= 0) ok = close(out) == 0 && ok;
    }
    close(in);
    return ok;
}

// Where the time of an unpack goes: the baseline's steps timed one by one.
struct Phases {
    double mkdir = 0, read = 0, inflate = 0, write = 0;
};
std::vector<Phases> g_phases;

bool UnpackTimed(const BenchPackage& package, const std::string& target, Phases& phases)
{
    auto since = [](Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); };
    const int in = open(package.packagePath.c_str(), O_RDONLY);
    if (in < 0) return false;
    Clock::time_point t = Clock::now();
    bool ok = mkdir(target.c_str(), 0777) == 0;
    for (std::size_t i = 0; ok && i < package.dirs.size(); ++i)
        ok = mkdir((target + "/" + package.dirs[i]).c_str(), 0777) == 0;
    phases.mkdir += since(t);
    for (std::size_t i = 0; ok && i < package.files.size(); ++i) {
        const PackedFile& file = package.files[i];
        std::unique_ptr<Bytef[]> packed(new Bytef[file.packedSize]);
        std::unique_ptr<Bytef[]> plain(new Bytef[file.plainSize]);
        t = Clock::now();
        ok = ReadAt(in, packed.get(), file.packedSize, file.offset);
        phases.read += since(t);
        t = Clock::now();
        uLongf produced = file.plainSize;
        ok = ok && uncompress(plain.get(), &produced, packed.get(), file.packedSize) == Z_OK &&
             produced == file.plainSize;
        phases.inflate += since(t);
        if (!ok) break;
        t = Clock::now();
        const int out = open((target + "/" + file.name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ok = out >= 0 && WriteAll(out, plain.get(), file.plainSize);
        if (out >= 0) ok = close(out) == 0 && ok;
        phases.write += since(t);
    }
    close(in);
    return ok;
}

void BM_UnpackPhases(benchmark::State& state)
{
    const BenchPackage& package = g_package;
    const std::string target = package.root + "/phases/app";
    for (auto _ : state) {
        state.PauseTiming();
        RemoveTree(target);
        fs::create_directories(package.root + "/phases");
        state.ResumeTiming();
        Phases phases;
        if (!UnpackTimed(package, target, phases)) {
            state.SkipWithError("timed unpack failed");
            break;
        }
        g_phases.push_back(phases);
    }
}

// Both benchmarks leave their last tree behind: they must hold the same bytes.
bool SameTrees(const BenchPackage& package)
{
    for (const PackedFile& file : package.files) {
        std::ifstream a(package.root + "/Residentflash2/app/" + file.name, std::ios::binary);
        std::ifstream b(package.root + "/baseline/app/" + file.name, std::ios::binary);
        std::string textA((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
        std::string textB((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
        if (!a || !b || textA.size() != file.plainSize || textA != textB) return false;
    }
    return true;
}

double Best(const std::vector<double>& seconds) { return *std::min_element(seconds.begin(), seconds.end()); }

double Median(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    const std::size_t n = seconds.size();
    return n % 2 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
}

void BM_ZlibPosixBaseline(benchmark::State& state)
{
    const BenchPackage& package = g_package;
    const std::string target = package.root + "/baseline/app";
    for (auto _ : state) {
        state.PauseTiming();
        RemoveTree(target);
        const Clock::time_point start = Clock::now();
        state.ResumeTiming();

        const bool ok = UnpackBaseline(package, target);

        state.PauseTiming();
        g_baselineSeconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        state.ResumeTiming();
        if (!ok) {
            state.SkipWithError("baseline unpack failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * package.totalPlain));
    if (!g_unpackSeconds.empty() && !g_baselineSeconds.empty())
        state.counters["unpack/baseline"] = Best(g_unpackSeconds) / Best(g_baselineSeconds);
}

BENCHMARK(BM_MskUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kIterations);
BENCHMARK(BM_MskCheckThenUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kIterations);
BENCHMARK(BM_VerifyAndUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kIterations);
BENCHMARK(BM_ZlibPosixBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kIterations);
BENCHMARK(BM_UnpackPhases)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kIterations);

void PrintSummary(const BenchPackage& package)
{
    std::printf("\nMSK unpack: %d files in %zu directories, %.1f MiB plain, %.1f MiB packed (%.2f:1), "
                "directory block %zu bytes\n",
                kFileCount, package.dirs.size(), static_cast<double>(package.totalPlain) / kMiB,
                static_cast<double>(package.totalPacked) / kMiB,
                static_cast<double>(package.totalPlain) / static_cast<double>(package.totalPacked),
                package.blockLength);
    if (!g_unpackSeconds.empty() && !g_baselineSeconds.empty()) {
        const double bestRatio = Best(g_unpackSeconds) / Best(g_baselineSeconds);
        const double medianRatio = Median(g_unpackSeconds) / Median(g_baselineSeconds);
        std::printf("time: Unpack best %.1f ms, median %.1f ms; zlib+POSIX best %.1f ms, median %.1f ms\n",
                    Best(g_unpackSeconds) * 1e3, Median(g_unpackSeconds) * 1e3, Best(g_baselineSeconds) * 1e3,
                    Median(g_baselineSeconds) * 1e3);
        std::printf("time ratio Unpack/baseline: %.3f (best of %zu), %.3f (median); target <= %.2f: %s\n",
                    bestRatio, g_unpackSeconds.size(), medianRatio, kTimeTarget,
                    bestRatio <= kTimeTarget ? "met" : "MISSED");
    }
    if (!g_checkSeconds.empty()) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < g_checkSeconds.size(); ++i)
            ratios.push_back((g_checkSeconds[i] + g_signedUnpackSeconds[i]) / g_signedUnpackSeconds[i]);
        const double bestRatio = (Best(g_checkSeconds) + Best(g_signedUnpackSeconds)) / Best(g_signedUnpackSeconds);
        std::printf("signed update: check best %.1f ms, median %.1f ms (%.1f MiB hashed); its Unpack best %.1f ms\n",
                    Best(g_checkSeconds) * 1e3, Median(g_checkSeconds) * 1e3,
                    static_cast<double>(fs::file_size(package.packagePath)) / kMiB, Best(g_signedUnpackSeconds) * 1e3);
        std::printf("time ratio (check + Unpack)/Unpack: %.3f (best of %zu), %.3f (median of the runs' ratios); "
                    "target <= %.2f: %s; peak heap %.2f MiB\n",
                    bestRatio, ratios.size(), Median(ratios), kSignedTarget,
                    bestRatio <= kSignedTarget ? "met" : "MISSED", static_cast<double>(g_signedPeakHeap) / kMiB);
    }
    std::printf("unpacked trees identical to the baseline's: %s\n", SameTrees(package) ? "yes" : "NO");
    if (!g_checkedSeconds.empty() && !g_unpackSeconds.empty()) {
        const double ratio = Best(g_checkedSeconds) / Best(g_unpackSeconds);
        std::printf("time: check + Unpack best %.1f ms, median %.1f ms; ratio to Unpack alone %.3f (best), %.3f "
                    "(median); target <= %.2f: %s\n",
                    Best(g_checkedSeconds) * 1e3, Median(g_checkedSeconds) * 1e3, ratio,
                    Median(g_checkedSeconds) / Median(g_unpackSeconds), kCheckTarget, ratio <= kCheckTarget ? "met" : "MISSED");
        const std::size_t bound = package.blockLength + package.largestPacked + package.largestPlain;
        std::printf("peak heap during the check: %zu bytes (%.2f MiB); within %.0f MiB of the unpack's bound: %s\n",
                    g_checkPeakHeap, static_cast<double>(g_checkPeakHeap) / kMiB, static_cast<double>(kHeapSlack) / kMiB,
                    g_checkPeakHeap <= bound + kHeapSlack ? "met" : "MISSED");
    }
    if (!g_phases.empty()) {
        // The run with the least total shows the work with the least noise.
        const Phases* best = &g_phases[0];
        auto total = [](const Phases& p) { return p.mkdir + p.read + p.inflate + p.write; };
        for (const Phases& p : g_phases)
            if (total(p) < total(*best)) best = &p;
        const double sum = total(*best);
        std::printf("where an unpack's time goes (best of %zu): inflate %.1f ms (%.0f %%), write (open, write, "
                    "close) %.1f ms (%.0f %%), read %.1f ms (%.0f %%), directory creation %.2f ms (%.1f %%)\n",
                    g_phases.size(), best->inflate * 1e3, 100 * best->inflate / sum, best->write * 1e3,
                    100 * best->write / sum, best->read * 1e3, 100 * best->read / sum, best->mkdir * 1e3,
                    100 * best->mkdir / sum);
        // Writing the previous file while the next inflates hides at most the smaller of the two.
        const double overlapped = sum - std::min(best->inflate, best->write);
        std::printf("a write-behind could at best take %.1f ms, %.0f %% less (worth building at 20 %% or more)\n",
                    overlapped * 1e3, 100 * (1 - overlapped / sum));
    }
    const std::size_t bound = package.blockLength + package.largestPacked + package.largestPlain;
    std::printf("peak heap during Unpack: %zu bytes (%.2f MiB); bound block %zu + largest packed %zu + "
                "largest plain %zu = %zu bytes (%.2f MiB)\n",
                g_unpackPeakHeap, static_cast<double>(g_unpackPeakHeap) / kMiB, package.blockLength,
                package.largestPacked, package.largestPlain, bound, static_cast<double>(bound) / kMiB);
    const double over = static_cast<double>(g_unpackPeakHeap) - static_cast<double>(bound);
    std::printf("peak - bound: %+.0f bytes; target within %.0f MiB of the bound: %s\n", over,
                static_cast<double>(kHeapSlack) / kMiB, over <= static_cast<double>(kHeapSlack) ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const Clock::time_point start = Clock::now();
    const bool made = MakePackage(g_package);
    if (made) {
        std::printf("package made in %.1f s\n", std::chrono::duration<double>(Clock::now() - start).count());
        benchmark::RunSpecifiedBenchmarks();
        PrintSummary(g_package);
    } else {
        std::fprintf(stderr, "bench_unpack: cannot make the package in %s\n", g_package.root.c_str());
    }
    benchmark::Shutdown();
    if (!g_package.root.empty()) RemoveTree(g_package.root);
    return made ? 0 : 1;
}
