// Parses a 1 MiB UTF-16 dialog-like document with CWceUiXmlDoc and, in the same run, the
// same bytes with pugixml (UTF-16LE into its DOM). Prints the time ratio (target: at most
// 0.7) and the heap each parsed document holds per element (target: at most pugixml's).
// With glibc's default heap a parse whose memory outgrows the heap's trim threshold (twice
// the largest block it ever mapped and unmapped, here the 1 MiB text) gives its pages back
// when the document goes, and the next parse faults them in again, which on a virtual
// machine costs more than the parse: each run counts its page faults per parse. So the pair
// runs again on a heap that keeps its pages: that ratio is the parsers' own. Also times
// loading a language file of 2 000 keys with CJxConfDoc.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include "JxConfDoc.h"
#include "WceUiCommon.h"
#include "WceUiXml.h"
#include "pugixml.hpp"
#include "wce/host.h"
#include "wce/wstring.h"
#include "bench_main.h"

namespace {

constexpr std::size_t kDocumentUnits = 512 * 1024;  // 1 MiB of UTF-16

// A dialog file as the skins write them: layers nested up to five deep, each with 3 to 8
// attributes, now and then a comment.
struct Document {
    std::u16string text;  // without byte-order mark
    std::string bytes;    // the same as UTF-16LE, as a file holds it after its mark
    int nElements = 0;
};

Document MakeDocument()
{
    static const char* const kNames[] = {"name", "type",  "x",    "y",     "w",        "h",
                                         "text", "color", "font", "image", "common.style"};
    static const char* const kTypes[] = {"CWceUiLayer", "CWceUiButton", "CWceUiListBox", "CWceUiSlider",
                                         "CWceUiSEditBox"};
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    Document doc;
    std::string text = "<?xml version=\"1.0\" encoding=\"unicode\"?>\r\n<dlg name=\"CBrantelDlg\" type=\"CWceUiDlg\" "
                       "x=\"0\" y=\"0\" w=\"800\" h=\"480\">\r\n";
    doc.nElements = 1;
    int depth = 1;
    std::string stack[8];
    while (text.size() < kDocumentUnits - 200 || depth > 1) {
        bool close = depth > 1 && (next(3) == 0 || depth >= 5 || text.size() >= kDocumentUnits - 200);
        if (close) {
            --depth;
            text += std::string(depth, '\t') + "</" + stack[depth] + ">\r\n";
            continue;
        }
        if (next(10) == 0) text += std::string(depth, '\t') + "<!-- layer group " + std::to_string(next(1000)) + " -->\r\n";
        const char* tag = next(4) == 0 ? "item" : "layer";
        text += std::string(depth, '\t') + "<" + tag;
        int nAttributes = 3 + static_cast<int>(next(6));
        for (int i = 0; i < nAttributes; ++i) {
            std::string value;
            switch (i) {
            case 0: value = "layer" + std::to_string(doc.nElements); break;
            case 1: value = kTypes[next(5)]; break;
            case 2: case 3: case 4: case 5: value = std::to_string(next(800)); break;
            default: value = "res\\" + std::string(1 + next(12), static_cast<char>('a' + next(26))) + ".bmp"; break;
            }
            text += std::string(" ") + kNames[i] + (next(2) ? "=\"" + value + "\"" : "='" + value + "'");
        }
        ++doc.nElements;
        if (next(2) == 0) {
            text += "/>\r\n";
        } else {
            text += ">\r\n";
            stack[depth++] = tag;
        }
    }
    text += "</dlg>\r\n";
    doc.text = Utf8ToWide(text);
    for (char16_t c : doc.text) doc.bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return doc;
}

const Document& TheDocument()
{
    static const Document s_doc = MakeDocument();
    return s_doc;
}

long PageFaults()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Minor page faults per parse, beside the time.
class FaultCounter {
public:
    explicit FaultCounter(benchmark::State& state) : m_state(state), m_nStart(PageFaults()) {}
    ~FaultCounter()
    {
        if (m_state.iterations() > 0)
            m_state.counters["faults"] = static_cast<double>(PageFaults() - m_nStart) / m_state.iterations();
    }

private:
    benchmark::State& m_state;
    long m_nStart;
};

void BM_WceUiXmlDoc(benchmark::State& state)
{
    const Document& doc = TheDocument();
    FaultCounter faults(state);
    for (auto _ : state) {
        CWceUiXmlDoc xml;
        if (!xml.LoadXmlStr(doc.text.c_str())) state.SkipWithError("the document does not load");
        benchmark::DoNotOptimize(xml.GetRootElem());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.bytes.size()));
}

void PugixmlParse(benchmark::State& state, unsigned int options)
{
    const Document& doc = TheDocument();
    FaultCounter faults(state);
    for (auto _ : state) {
        pugi::xml_document xml;
        pugi::xml_parse_result result = xml.load_buffer(doc.bytes.data(), doc.bytes.size(), options, pugi::encoding_utf16_le);
        if (!result) state.SkipWithError("pugixml does not load the document");
        benchmark::DoNotOptimize(xml.first_child());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.bytes.size()));
}

// The parser's defaults: entities and line ends are decoded, which ours never does.
void BM_Pugixml(benchmark::State& state) { PugixmlParse(state, pugi::parse_default); }
// The nearest to ours: no decoding at all.
void BM_PugixmlMinimal(benchmark::State& state) { PugixmlParse(state, pugi::parse_minimal); }

// The same on a heap that keeps its pages (set once, for the rest of the program).
void KeepHeapPages()
{
    static const bool done = [] {
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        return true;
    }();
    (void)done;
}
void BM_WceUiXmlDoc_KeptPages(benchmark::State& state)
{
    KeepHeapPages();
    BM_WceUiXmlDoc(state);
}
void BM_Pugixml_KeptPages(benchmark::State& state)
{
    KeepHeapPages();
    BM_Pugixml(state);
}

// Several runs each: on a shared machine the best and the median say more than one run. The
// kept-pages pair comes last, as it changes the heap for good.
BENCHMARK(BM_WceUiXmlDoc)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_Pugixml)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_PugixmlMinimal)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_WceUiXmlDoc_KeptPages)->Unit(benchmark::kMillisecond)->Repetitions(7);
BENCHMARK(BM_Pugixml_KeptPages)->Unit(benchmark::kMillisecond)->Repetitions(7);

// A language file of 2 000 keys on a device folder, read through WceUiReadFile.
class LanguageFile {
public:
    LanguageFile()
    {
        m_root = (std::filesystem::temp_directory_path() / ("bench-xml-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(m_root);
        wce::host::SetDeviceRoot(m_root);
        WceUiCloseLogFile();
        std::u16string text = u"; english\r\n[strings]\r\n";
        for (int i = 0; i < 2000; ++i)
            text += u"text_" + Utf8ToWide(std::to_string(i)) + u" = " +
                    Utf8ToWide("The text number " + std::to_string(i) + " of the updater") + u"\r\n";
        m_bytes = "\xFF\xFE";
        for (char16_t c : text) m_bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        std::ofstream(m_root + "/english.ini", std::ios::binary).write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    }
    ~LanguageFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_root;
    std::string m_bytes;
};

const LanguageFile& TheLanguageFile()
{
    static const LanguageFile s_file;
    return s_file;
}

void BM_LanguageFile2000Keys(benchmark::State& state)
{
    TheLanguageFile();
    for (auto _ : state) {
        CJxConfDoc doc;
        if (!doc.LoadFile(u"\\english.ini", FALSE) || doc.GetCount() != 2000) state.SkipWithError("the file does not load");
    }
}
BENCHMARK(BM_LanguageFile2000Keys)->Unit(benchmark::kMicrosecond);

void BM_LanguageText2000Keys(benchmark::State& state)
{
    const std::string& bytes = TheLanguageFile().Bytes();
    for (auto _ : state) {
        CJxConfDoc doc;
        if (!doc.LoadData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), u"\\english.ini",
                          FALSE))
            state.SkipWithError("the text does not load");
    }
}
BENCHMARK(BM_LanguageText2000Keys)->Unit(benchmark::kMicrosecond);


// Bytes in use: in the heap and in blocks mapped on their own (large blocks are, until the
// allocator raises its threshold).
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The heap a parsed document holds, per element (glibc's count of bytes in use, the
// allocator's own chunk headers included, the same for both).
void PrintHeapPerElement()
{
    const Document& doc = TheDocument();
    std::size_t nBefore = HeapInUse();
    std::size_t nOurs;
    {
        CWceUiXmlDoc xml;
        xml.LoadXmlStr(doc.text.c_str());
        nOurs = HeapInUse() - nBefore;
    }
    nBefore = HeapInUse();
    std::size_t nPugi;
    {
        pugi::xml_document xml;
        xml.load_buffer(doc.bytes.data(), doc.bytes.size(), pugi::parse_default, pugi::encoding_utf16_le);
        nPugi = HeapInUse() - nBefore;
    }
    std::printf("document: %zu bytes of UTF-16, %d elements\n", doc.bytes.size(), doc.nElements);
    const double ours = static_cast<double>(nOurs) / doc.nElements, pugi = static_cast<double>(nPugi) / doc.nElements;
    std::printf("heap held per element after the parse: CWceUiXmlDoc %.1f bytes (its copy of the text included), "
                "pugixml %.1f bytes (target: at most pugixml's): %s\n",
                ours, pugi, ours <= pugi ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv)
{
    return RunRatioBenchmarks(
        argc, argv,
        {{"parse: BM_WceUiXmlDoc / BM_Pugixml", "BM_WceUiXmlDoc", "BM_Pugixml", 0.7},
         {"parse, no decoding: BM_WceUiXmlDoc / BM_PugixmlMinimal", "BM_WceUiXmlDoc", "BM_PugixmlMinimal", 0,
          "for scale"},
         {"parse, heap keeping its pages", "BM_WceUiXmlDoc_KeptPages", "BM_Pugixml_KeptPages", 0.7}},
        PrintHeapPerElement);
}
