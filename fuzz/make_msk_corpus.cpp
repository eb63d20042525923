// Writes the seed corpus of fuzz_msk: a few tiny, valid packages scrambled with the keys the
// fuzzer tries, and their plain directory blocks for its raw mode. Run it again when the key
// seed or the scrambling mask changes:  make_msk_corpus fuzz/corpus/msk
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "JXPackCommon.h"
#include "MskBuilder.h"
#include "MskFormat.h"
#include "UpdateSystem.h"

namespace {

bool WriteSeed(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "make_msk_corpus: cannot write %s/%s\n", folder.c_str(), name.c_str());
    return static_cast<bool>(out);
}

// The fuzzer's raw mode: 'D' and then the plain block.
std::vector<std::uint8_t> RawBlock(const MskImage& image)
{
    std::vector<std::uint8_t> raw{'D'};
    raw.insert(raw.end(), image.block.begin(), image.block.end());
    return raw;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_msk_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const DWORD emptyKey = GetPackKey(u"");
    const DWORD passwordKey = GetPackKey(brantel::kGenericPassword);

    const std::vector<MskBuildEntry> tree = {
        {kMskTypeDirectory, u"bin", ""},
        {kMskTypeDirectory, u"bin\\res", ""},
        {kMskTypeFile, u"main.exe", "MZ main program, version 1.0.0.0 main program main program"},
        {kMskTypeFile, u"bin\\res\\text.ini", "[text]\r\nok=OK\r\ncancel=Cancel\r\nok=OK\r\n"},
    };
    const MskImage treeImage = BuildMskImage(tree, u"app");

    // An unknown type, an empty file and a file in a folder made two levels at once.
    const std::vector<MskBuildEntry> odd = {
        {kMskTypeDirectory, u"a\\b", ""},
        {2, u"skipped", ""},
        {kMskTypeFile, u"empty.dat", ""},
        {kMskTypeFile, u"a\\b\\c.txt", "c c c c c c c c"},
    };
    const MskImage oddImage = BuildMskImage(odd, u"app", 0x12345678);

    // No entries and an odd root name length: the block ends in 2 unscrambled bytes.
    const MskImage emptyImage = BuildMskImage({}, u"ab", 0xCAFEF00D);

    bool ok = WriteSeed(folder, "tree_empty_password.msk", treeImage.Assemble(emptyKey)) &&
              WriteSeed(folder, "tree_password.msk", treeImage.Assemble(passwordKey)) &&
              WriteSeed(folder, "odd_entries_password.msk", oddImage.Assemble(passwordKey)) &&
              WriteSeed(folder, "odd_entries_empty_password.msk", oddImage.Assemble(emptyKey)) &&
              WriteSeed(folder, "no_entries.msk", emptyImage.Assemble(emptyKey)) &&
              WriteSeed(folder, "raw_tree.bin", RawBlock(treeImage)) &&
              WriteSeed(folder, "raw_odd_entries.bin", RawBlock(oddImage));
    return ok ? 0 : 1;
}
