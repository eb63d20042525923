// Styles and caches against plain baselines, in the same run:
//   - building every style of a 200-style file (load and build) against parsing the same
//     bytes with CWceUiXmlDoc alone (target: at most 3 times the parse);
//   - getting and releasing a cached bitmap against a std::unordered_map<std::u16string, ...>
//     lookup (target: at most 2 times);
//   - CWUniqueID::GetID after the ids wrapped against std::set<unsigned>::insert (target: at
//     most 10 times); each side first frees the id it then takes (ReleaseID, erase).
// Prints the ratios at the end.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "JXGVar.h"
#include "JXGetBitmap.h"
#include "JXStyleFile.h"
#include "JXWUniqueID.h"
#include "WceUiCommon.h"
#include "WceUiInit.h"
#include "WceUiLoadBitmap.h"
#include "WceUiStyle.h"
#include "WceUiXml.h"
#include "benchmark/benchmark.h"
#include "wce/host.h"
#include "wce/wstring.h"
#include "bench_main.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStyles = 200;
constexpr int kBitmaps = 64;

std::string Utf16Bytes(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string W(const std::string& s) { return Utf8ToWide(s); }

// A dialog's style file: every fourth style overwrites the one before it.
const std::string& StyleFileBytes()
{
    static const std::string bytes = [] {
        std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<root>\r\n<style>\r\n";
        for (int i = 0; i < kStyles; ++i) {
            std::string n = std::to_string(i);
            std::string s = "  <style_" + n + (i % 4 == 3 ? " overwrite=\"style_" + std::to_string(i - 1) + "\"" : "") +
                            ">\r\n    <position way=\"relative\" rect=\"" + std::to_string(i % 40 * 10) +
                            ",20,120,48\"/>\r\n    <layout visibility=\"true\" disability=\"false\"/>\r\n"
                            "    <text res-id=\"TEXT_" + n + "\" color=\"0x" + (i % 2 ? "FFFFFF" : "text_color") +
                            "\">\r\n      <font id=\"font_24\"/>\r\n"
                            "      <drawtext rect=\"4,0,112,48\" valign=\"center\" align=\"left\"/>\r\n    </text>\r\n"
                            "    <background color=\"transparent\">\r\n"
                            "      <item name=\"bg\" id=\"button/normal_" + n + ".565a.conf\" zoom=\"true\"/>\r\n"
                            "      <item name=\"icon\" id=\"icon/i_" + n + ".565a.conf\" dst-rect=\"8,8,32,32\" align=\"left\"/>\r\n"
                            "    </background>\r\n  </style_" + n + ">\r\n";
            text += W(s);
        }
        text += u"</style>\r\n</root>\r\n";
        return Utf16Bytes(text);
    }();
    return bytes;
}

const std::vector<std::u16string>& StyleNames()
{
    static const std::vector<std::u16string> names = [] {
        std::vector<std::u16string> v;
        for (int i = 0; i < kStyles; ++i) v.push_back(W("style_" + std::to_string(i)));
        return v;
    }();
    return names;
}

void BM_StyleFile_BuildAll(benchmark::State& state)
{
    const std::string& bytes = StyleFileBytes();
    for (auto _ : state) {
        CJxStyleFile file;
        file.LoadStyleData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                           u"\\a.style.xml");
        for (const std::u16string& name : StyleNames()) {
            CWceUiStyle style;
            benchmark::DoNotOptimize(file.GetStyleData(name.c_str(), &style));
        }
    }
}

void BM_XmlDoc_Parse(benchmark::State& state)
{
    const std::string& bytes = StyleFileBytes();
    for (auto _ : state) {
        CWceUiXmlDoc doc;
        benchmark::DoNotOptimize(doc.LoadXmlData(reinterpret_cast<const BYTE*>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size()), u"\\a.style.xml"));
    }
}

// A resource folder of kBitmaps small bitmaps on a temporary device, all held in the cache.
struct BitmapSkin {
    std::string root;
    std::vector<std::u16string> ids;
    std::vector<CWceUiLoadBitmap*> holders;

    BitmapSkin()
    {
        std::string pattern = (fs::temp_directory_path() / "bench-style-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        wce::host::SetDeviceRoot(root);
        WceUiCloseLogFile();
        fs::create_directories(root + "/res/bitmap/button");
        // A 1 x 1 32-bit BMP.
        const unsigned char file[] = {0x42, 0x4D, 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                      0,    0,    1,  0, 32, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0,    0,    0,  0, 0,  0, 0x11, 0x22, 0x33, 0};
        std::ofstream(root + "/res/bitmap/button/p.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(file), sizeof(file));
        for (int i = 0; i < kBitmaps; ++i) {
            std::string id = "button\\state_" + std::to_string(i) + ".565a.conf";
            std::string conf = Utf16Bytes(u"src=p.bmp\r\n");
            std::ofstream(root + "/res/bitmap/button/state_" + std::to_string(i) + ".565a.conf", std::ios::binary)
                .write(conf.data(), static_cast<std::streamsize>(conf.size()));
            ids.push_back(W(id));
        }
        WceUiChangeResDir(u"\\res");
        for (const std::u16string& id : ids) {
            holders.push_back(new CWceUiLoadBitmap(id.c_str()));
            if (!holders.back()->GetBitmap()) std::abort();
        }
    }
    ~BitmapSkin()
    {
        for (CWceUiLoadBitmap* p : holders) delete p;
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

BitmapSkin& Skin()
{
    static BitmapSkin skin;
    return skin;
}

void BM_BitmapCache_GetRelease(benchmark::State& state)
{
    const std::vector<std::u16string>& ids = Skin().ids;
    for (auto _ : state) {
        for (const std::u16string& id : ids) {
            CWceUiGenericBitmap* p = WceUiGetBitmap(id.c_str());
            benchmark::DoNotOptimize(p);
            WceUiReleaseBitmap(p);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBitmaps);
}

void BM_UnorderedMap_Lookup(benchmark::State& state)
{
    const std::vector<std::u16string>& ids = Skin().ids;
    std::unordered_map<std::u16string, void*> map;
    for (size_t i = 0; i < ids.size(); ++i) map.emplace(ids[i], reinterpret_cast<void*>(i + 1));
    for (auto _ : state) {
        for (const std::u16string& id : ids) {
            auto it = map.find(id);
            benchmark::DoNotOptimize(it);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBitmaps);
}

// Ids released in a random order, each to be taken again.
const std::vector<unsigned>& ReleaseOrder()
{
    static const std::vector<unsigned> order = [] {
        std::vector<unsigned> v;
        std::mt19937 random(7);
        for (int i = 0; i < 4096; ++i) v.push_back(1 + random() % 65534);
        return v;
    }();
    return order;
}

void BM_UniqueID_GetAfterWrap(benchmark::State& state)
{
    CWUniqueID ids;
    for (int i = 1; i < 65535; ++i) ids.GetID();
    const std::vector<unsigned>& order = ReleaseOrder();
    for (auto _ : state) {
        for (unsigned id : order) {
            ids.ReleaseID(id);
            benchmark::DoNotOptimize(ids.GetID());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(order.size()));
}

void BM_StdSet_Insert(benchmark::State& state)
{
    std::set<unsigned> ids;
    for (unsigned i = 1; i < 65535; ++i) ids.insert(i);
    const std::vector<unsigned>& order = ReleaseOrder();
    for (auto _ : state) {
        for (unsigned id : order) {
            ids.erase(id);
            benchmark::DoNotOptimize(ids.insert(id));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(order.size()));
}

BENCHMARK(BM_StyleFile_BuildAll);
BENCHMARK(BM_XmlDoc_Parse);
BENCHMARK(BM_BitmapCache_GetRelease);
BENCHMARK(BM_UnorderedMap_Lookup);
BENCHMARK(BM_UniqueID_GetAfterWrap);
BENCHMARK(BM_StdSet_Insert);


}  // namespace

int main(int argc, char** argv)
{
    return RunRatioBenchmarks(
        argc, argv,
        {{"style file build / XML parse", "BM_StyleFile_BuildAll", "BM_XmlDoc_Parse", 3},
         {"bitmap get+release / unordered_map lookup", "BM_BitmapCache_GetRelease", "BM_UnorderedMap_Lookup", 2},
         {"GetID after wrap / std::set insert", "BM_UniqueID_GetAfterWrap", "BM_StdSet_Insert", 10}});
}
