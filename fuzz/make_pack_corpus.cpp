// Writes the seed corpus of fuzz_pack: a few tiny, valid archives with their directory
// blocks left plain (the fuzzer scrambles them itself). Run it again when the archive
// layout changes:  make_pack_corpus fuzz/corpus/pack
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "PackBuilder.h"

namespace {

// The archive as the fuzzer takes it: everything but the block as written, the block plain.
std::vector<std::uint8_t> PlainArchive(std::vector<PackBuildEntry> entries, std::uint32_t checkWord = 0)
{
    SortPackEntries(entries);
    const PackImage image = BuildPackImage(entries, u"seed.pack", checkWord);
    std::vector<std::uint8_t> bytes = image.Assemble(0);
    JxScrambleWords(bytes.data() + kJxPackHeadSize, image.block.size(), 0);  // its own inverse
    return bytes;
}

bool WriteSeed(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "make_pack_corpus: cannot write %s/%s\n", folder.c_str(), name.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pack_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    // The paths the fuzzer also reads through the shared cache.
    const std::vector<PackBuildEntry> tree = {
        {u"a.txt", "alpha alpha alpha"},
        {u"dir\\sub\\b.xml", "<dlg><layer name=\"b\" type=\"CWceUiLayer\"/></dlg>"},
        {u"empty.txt", ""},
        {u"z.bin", std::string(64, 'z')},
    };
    // Prefixes, '.' against '\\', and units beyond ASCII in the unit order.
    const std::vector<PackBuildEntry> order = {
        {u"a", "1"}, {u"a.b", "2"}, {u"a\\b", "3"}, {u"ab", "4"}, {u"\u00E9", "5"}, {u"\U0001F600", "6"}, {u"\uE000", "7"},
    };
    bool ok = WriteSeed(folder, "tree.pack", PlainArchive(tree)) &&
              WriteSeed(folder, "tree_same_check_word.pack", PlainArchive({{u"a.txt", "other"}}, 0x5EED)) &&
              WriteSeed(folder, "order.pack", PlainArchive(order, 0x5EED)) &&
              WriteSeed(folder, "no_entries.pack", PlainArchive({}));
    return ok ? 0 : 1;
}
