#include "PackBuilder.h"

#include <algorithm>

#include "BuildSupport.h"
#include "JXPackCommon.h"
#include "JXPackFormat.h"
#include "ToolSupport.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace fs = std::filesystem;

using tool::AppendLe32;
using tool::AppendName;
using tool::PadToWord;
using tool::PutLe32;

namespace {

std::uint32_t Crc(const std::string& bytes)
{
    return crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
}

}  // namespace

std::vector<std::uint8_t> PackImage::Assemble(std::uint32_t key) const
{
    std::vector<std::uint8_t> out(head);
    out.resize(kJxPackHeadSize, 0);
    PutLe32(out, kJxPackHeadSizeOffset, static_cast<std::uint32_t>(kJxPackHeadSize + block.size()));
    PutLe32(out, kJxPackCheckWordOffset, checkWord);
    std::vector<std::uint8_t> scrambled(block);
    JxScrambleWords(scrambled.data(), scrambled.size(), key);
    out.insert(out.end(), scrambled.begin(), scrambled.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

PackImage BuildPackImage(const std::vector<PackBuildEntry>& entries, const std::u16string& archiveName,
                         std::uint32_t checkWord, int level, const PackBuildProgress& progress)
{
    PackImage image;
    std::vector<std::uint8_t>& block = image.block;
    AppendLe32(block, checkWord);
    AppendLe32(block, static_cast<std::uint32_t>(entries.size()));
    AppendLe32(block, kJxPackToolMark);
    std::u16string name = archiveName.substr(0, kJxPackMaxNameUnits - 1);
    AppendLe32(block, static_cast<std::uint32_t>(name.size() + 1));
    AppendName(block, name);
    for (const PackBuildEntry& entry : entries) {
        image.recordOffsets.push_back(block.size());
        block.resize(block.size() + kJxPackRecordFixedSize, 0);
        AppendName(block, entry.name);
        PadToWord(block);  // keeps the block a whole number of words
        PutLe32(block, image.recordOffsets.back(),
                static_cast<std::uint32_t>(block.size() - image.recordOffsets.back()));
    }
    PadToWord(block);

    // The data follows the block; offsets are absolute.
    std::uint32_t offset = static_cast<std::uint32_t>(kJxPackHeadSize + block.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string packed = tool::Deflate(entries[i].data, level);
        std::size_t at = image.recordOffsets[i];
        PutLe32(block, at + 4, Crc(entries[i].data));
        PutLe32(block, at + 8, static_cast<std::uint32_t>(entries[i].data.size()));
        PutLe32(block, at + 12, static_cast<std::uint32_t>(packed.size()));
        PutLe32(block, at + 16, offset);
        image.data.insert(image.data.end(), packed.begin(), packed.end());
        offset += static_cast<std::uint32_t>(packed.size());
        if (progress) progress(i, entries.size(), entries[i].name);
    }
    if (0 == checkWord) {
        uLong crc = crc32(0, nullptr, 0);
        crc = crc32(crc, block.data() + 4, static_cast<uInt>(block.size() - 4));
        // zlib answers 0 for a null buffer, which an archive without entries would pass.
        if (!image.data.empty()) crc = crc32(crc, image.data.data(), static_cast<uInt>(image.data.size()));
        checkWord = static_cast<std::uint32_t>(crc);
    }
    image.checkWord = checkWord;
    PutLe32(block, 0, checkWord);
    image.head.assign(kJxPackHeadSize, 0);
    PutLe32(image.head, 0, kJxPackToolTag);
    PutLe32(image.head, kJxPackHeadSizeOffset, static_cast<std::uint32_t>(kJxPackHeadSize + block.size()));
    PutLe32(image.head, kJxPackCheckWordOffset, checkWord);
    return image;
}

std::u16string PackEntryName(const std::u16string& relativePath)
{
    std::u16string name(relativePath);
    for (char16_t& c : name) c = c == u'/' ? u'\\' : WCharLower(c);
    return name;
}

bool PackNameLess(const std::u16string& a, const std::u16string& b)
{
    // char16_t is unsigned, so this is the unit order the reader searches in.
    return a < b;
}

void SortPackEntries(std::vector<PackBuildEntry>& entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const PackBuildEntry& a, const PackBuildEntry& b) { return PackNameLess(a.name, b.name); });
}

bool CollectPackEntries(const std::string& folder, std::vector<PackBuildEntry>& entries, std::string& error,
                        const std::string& skipPath)
{
    std::vector<PackBuildEntry> found;
    std::vector<std::string> sources;  // host paths, for the messages
    bool walked = tool::WalkFolder(folder, [&](const tool::FolderItem& item, std::string& problem) {
        std::error_code ec;
        if (item.isDirectory || (!skipPath.empty() && fs::equivalent(item.path, skipPath, ec))) return true;
        PackBuildEntry entry;
        entry.name = PackEntryName(Utf8ToWide(item.relative));
        if (entry.name.size() >= static_cast<std::size_t>(kJxPackMaxNameUnits)) {
            problem = "path too long for an archive entry (259 UTF-16 units at most): " + item.relative;
            return false;
        }
        if (!tool::ReadHostFile(item.path, entry.data)) {
            problem = "cannot read " + item.path.string();
            return false;
        }
        if (!tool::FitsIn32Bits(entry.data.size())) {
            problem = "file too large for an archive entry: " + item.path.string();
            return false;
        }
        found.push_back(std::move(entry));
        sources.push_back(item.relative);
        return true;
    }, error);
    if (!walked) return false;
    std::vector<std::size_t> order(found.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return PackNameLess(found[a].name, found[b].name); });
    entries.clear();
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && found[order[k]].name == entries.back().name) {
            error = sources[order[k - 1]] + " and " + sources[order[k]] + " become the same entry " +
                    WideToUtf8(found[order[k]].name);
            return false;
        }
        entries.push_back(std::move(found[order[k]]));
    }
    return true;
}
