// JXMapStringToType lookups of 10 000 class-name-like keys against std::unordered_map, in
// the same run. Prints the time ratio of each pair at the end (target: at most 1.2).
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "JXMapStringToType.h"
#include "benchmark/benchmark.h"
#include "wce/format.h"
#include "bench_main.h"

namespace {

constexpr int kKeyCount = 10000;
// The map never grows: give it a prime table a little above the key count, as a caller
// expecting this many keys would.
constexpr UINT kTableSize = 10007;

struct Keys {
    std::vector<std::u16string> present;  // in a shuffled lookup order
    std::vector<std::u16string> absent;  // the same names with a suffix, shuffled too
};

const Keys& GetKeys()
{
    static const Keys keys = [] {
        static const char16_t* const kPrefixes[] = {u"CWceUi", u"CReal", u"CJx", u"CBrantel", u"CFileList", u"CMsgBox"};
        static const char16_t* const kWords[] = {u"Layer", u"Button",  u"Slider", u"ListBox", u"Dlg",
                                                 u"Bitmap", u"BlendAni", u"EditBox", u"Wnd",    u"ScrollLayer"};
        Keys k;
        for (int i = 0; i < kKeyCount; ++i) {
            k.present.push_back(WFormatString(u"%s%s%d", kPrefixes[i % 6], kWords[(i / 6) % 10], i));
            k.absent.push_back(WFormatString(u"%s%s%dX", kPrefixes[i % 6], kWords[(i / 6) % 10], i));
        }
        std::mt19937 random(1);
        std::shuffle(k.present.begin(), k.present.end(), random);
        std::shuffle(k.absent.begin(), k.absent.end(), random);
        return k;
    }();
    return keys;
}

struct Maps {
    JXMapStringToType<void*> jx;
    std::unordered_map<std::u16string, void*> stl;
    Maps()
    {
        const Keys& keys = GetKeys();
        jx.InitHashTable(kTableSize);
        stl.reserve(kKeyCount);
        for (size_t i = 0; i < keys.present.size(); ++i) {
            void* value = reinterpret_cast<void*>(i + 1);
            jx.SetAt(keys.present[i].c_str(), value);  // the keys outlive the map
            stl.emplace(keys.present[i], value);
        }
    }
};

Maps& GetMaps()
{
    static Maps maps;
    return maps;
}

void BM_JXMapStringToType_Hit(benchmark::State& state)
{
    const auto& keys = GetKeys().present;
    const auto& map = GetMaps().jx;
    for (auto _ : state) {
        for (const auto& key : keys) {
            void* value = nullptr;
            benchmark::DoNotOptimize(map.Lookup(key.c_str(), value));
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

void BM_UnorderedMap_Hit(benchmark::State& state)
{
    const auto& keys = GetKeys().present;
    const auto& map = GetMaps().stl;
    for (auto _ : state) {
        for (const auto& key : keys) {
            auto it = map.find(key);
            benchmark::DoNotOptimize(it);
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

void BM_JXMapStringToType_Miss(benchmark::State& state)
{
    const auto& keys = GetKeys().absent;
    const auto& map = GetMaps().jx;
    for (auto _ : state) {
        for (const auto& key : keys) {
            void* value = nullptr;
            benchmark::DoNotOptimize(map.Lookup(key.c_str(), value));
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

void BM_UnorderedMap_Miss(benchmark::State& state)
{
    const auto& keys = GetKeys().absent;
    const auto& map = GetMaps().stl;
    for (auto _ : state) {
        for (const auto& key : keys) {
            auto it = map.find(key);
            benchmark::DoNotOptimize(it);
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

BENCHMARK(BM_JXMapStringToType_Hit);
BENCHMARK(BM_UnorderedMap_Hit);
BENCHMARK(BM_JXMapStringToType_Miss);
BENCHMARK(BM_UnorderedMap_Miss);


}  // namespace

int main(int argc, char** argv)
{
    return RunRatioBenchmarks(
        argc, argv,
        {{"hits: JXMapStringToType / std::unordered_map", "BM_JXMapStringToType_Hit", "BM_UnorderedMap_Hit", 1.2},
         {"misses: JXMapStringToType / std::unordered_map", "BM_JXMapStringToType_Miss", "BM_UnorderedMap_Miss", 1.2}});
}
