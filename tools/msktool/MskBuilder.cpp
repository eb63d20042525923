#include "MskBuilder.h"

#include <algorithm>

#include "BuildSupport.h"
#include "JXPackCommon.h"
#include "MskFormat.h"
#include "wce/wstring.h"
#include "zlib.h"

using tool::AppendLe32;
using tool::AppendName;
using tool::PutLe32;

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
            packed[i] = tool::Deflate(entries[i].data, level);
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
        tool::PadToWord(block);  // records keep 4-byte alignment
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
    std::vector<MskBuildEntry> dirs, files;
    bool walked = tool::WalkFolder(folder, [&](const tool::FolderItem& item, std::string& problem) {
        MskBuildEntry entry;
        entry.name = Utf8ToWide(item.relative);
        std::replace(entry.name.begin(), entry.name.end(), u'/', u'\\');
        if (item.isDirectory) {
            entry.type = kMskTypeDirectory;
            dirs.push_back(std::move(entry));
            return true;
        }
        if (!tool::ReadHostFile(item.path, entry.data)) {
            problem = "cannot read " + item.path.string();
            return false;
        }
        entry.type = kMskTypeFile;
        files.push_back(std::move(entry));
        return true;
    }, error);
    if (!walked) return false;
    auto byName = [](const MskBuildEntry& a, const MskBuildEntry& b) { return a.name < b.name; };
    std::sort(dirs.begin(), dirs.end(), byName);  // a parent sorts before its children
    std::sort(files.begin(), files.end(), byName);
    entries = std::move(dirs);
    entries.insert(entries.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
    return true;
}
