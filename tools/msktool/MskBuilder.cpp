#include "MskBuilder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "JXPackCommon.h"
#include "MskFormat.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace fs = std::filesystem;

namespace {

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    JxWriteLe32(out.data() + at, v);
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.resize(out.size() + 4);
    PutLe32(out, out.size() - 4, v);
}

void AppendName(std::vector<std::uint8_t>& out, const std::u16string& name)
{
    for (char16_t c : name) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

std::string Deflate(const std::string& plain, int level)
{
    uLongf size = compressBound(plain.size());
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              plain.size(), level);
    packed.resize(size);
    return packed;
}

}  // namespace

std::vector<std::uint8_t> MskImage::Assemble(std::uint32_t key) const
{
    std::vector<std::uint8_t> out(header);
    out.resize(kMskHeaderSize, 0);
    PutLe32(out, kMskDirEndOffset, static_cast<std::uint32_t>(kMskHeaderSize + block.size()));
    PutLe32(out, kMskDirEndOffset + 8, checkWord);
    std::vector<std::uint8_t> scrambled(block);
    JxScrambleWords(scrambled.data(), scrambled.size(), key);
    out.insert(out.end(), scrambled.begin(), scrambled.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

MskImage BuildMskImage(const std::vector<MskBuildEntry>& entries, const std::u16string& rootName,
                       std::uint32_t checkWord, int level, const MskBuildProgress& progress)
{
    MskImage image;
    std::vector<std::string> packed(entries.size());
    std::uint32_t crc = crc32(0, nullptr, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type == kMskTypeFile) {
            packed[i] = Deflate(entries[i].data, level);
            crc = crc32(crc, reinterpret_cast<const Bytef*>(packed[i].data()), packed[i].size());
        }
        if (progress) progress(i, entries.size(), entries[i].name);
    }
    image.checkWord = checkWord ? checkWord : crc;

    std::vector<std::uint8_t>& block = image.block;
    AppendLe32(block, image.checkWord);
    AppendLe32(block, 0);
    AppendLe32(block, 0);
    AppendLe32(block, static_cast<std::uint32_t>(rootName.size() + 1));
    AppendName(block, rootName);
    for (const MskBuildEntry& entry : entries) {
        image.recordOffsets.push_back(block.size());
        block.resize(block.size() + kMskEntryFixedSize, 0);
        AppendName(block, entry.name);
        block.resize((block.size() + 3) & ~std::size_t(3), 0);  // records keep 4-byte alignment
        PutLe32(block, image.recordOffsets.back(), static_cast<std::uint32_t>(block.size() - image.recordOffsets.back()));
    }
    // The data follows the block; offsets are absolute.
    std::uint32_t offset = static_cast<std::uint32_t>(kMskHeaderSize + block.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t at = image.recordOffsets[i];
        PutLe32(block, at + 4, entries[i].type);
        if (entries[i].type != kMskTypeFile) continue;
        PutLe32(block, at + 8, static_cast<std::uint32_t>(entries[i].data.size()));
        PutLe32(block, at + 12, static_cast<std::uint32_t>(packed[i].size()));
        PutLe32(block, at + 16, offset);
        image.data.insert(image.data.end(), packed[i].begin(), packed[i].end());
        offset += static_cast<std::uint32_t>(packed[i].size());
    }
    image.header.assign(kMskHeaderSize, 0);
    image.header[0] = static_cast<std::uint8_t>(kMskMagic);
    image.header[1] = static_cast<std::uint8_t>(kMskMagic >> 8);
    return image;
}

bool CollectMskEntries(const std::string& folder, std::vector<MskBuildEntry>& entries, std::string& error)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "not a folder: " + folder;
        return false;
    }
    std::vector<MskBuildEntry> dirs, files;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string relative = fs::relative(it->path(), folder, ec).generic_string();
        std::u16string name = Utf8ToWide(relative);
        std::replace(name.begin(), name.end(), u'/', u'\\');
        MskBuildEntry entry;
        entry.name = name;
        if (it->is_directory(ec)) {
            entry.type = kMskTypeDirectory;
            dirs.push_back(std::move(entry));
        } else if (it->is_regular_file(ec)) {
            std::ifstream in(it->path(), std::ios::binary);
            std::ostringstream all;
            all << in.rdbuf();
            if (!in) {
                error = "cannot read " + it->path().string();
                return false;
            }
            entry.type = kMskTypeFile;
            entry.data = all.str();
            files.push_back(std::move(entry));
        }
    }
    if (ec) {
        error = "cannot list " + folder + ": " + ec.message();
        return false;
    }
    auto byName = [](const MskBuildEntry& a, const MskBuildEntry& b) { return a.name < b.name; };
    std::sort(dirs.begin(), dirs.end(), byName);  // a parent sorts before its children
    std::sort(files.begin(), files.end(), byName);
    entries = std::move(dirs);
    entries.insert(entries.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
    return true;
}
