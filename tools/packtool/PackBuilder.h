// Builds .pack archives in memory: used by packtool and by the tests, benchmarks and fuzz
// corpus, which also damage archives from the parts before they are assembled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct PackBuildEntry {
    std::u16string name;  // relative path as stored: lower case, "\\"-separated
    std::string data;     // plain contents
};

// The parts of an archive before the directory block is scrambled.
struct PackImage {
    std::vector<std::uint8_t> head;   // 12 bytes: tag, H, W
    std::vector<std::uint8_t> block;  // the plain directory block
    std::vector<std::uint8_t> data;   // the compressed entries, placed right after the block
    std::vector<std::size_t> recordOffsets;  // where each record starts in block
    std::uint32_t checkWord = 0;

    // The archive bytes, with the block scrambled under key. H is set from the block's
    // present length and W from checkWord; data offsets are not moved.
    std::vector<std::uint8_t> Assemble(std::uint32_t key) const;
};

// Called after each entry is compressed: (index, count, name).
using PackBuildProgress = std::function<void(std::size_t, std::size_t, const std::u16string&)>;

// Entries are stored in the order given: sort them first (SortPackEntries) for the reader's
// binary search. archiveName goes into the block's name field (not read by the framework).
// checkWord 0 picks the CRC-32 of the directory and data, so that a changed archive gets a
// new check word and readers reload it.
PackImage BuildPackImage(const std::vector<PackBuildEntry>& entries, const std::u16string& archiveName,
                         std::uint32_t checkWord = 0, int level = 9, const PackBuildProgress& progress = {});

// The stored form of a relative path: the framework's lower case, "/" turned into "\\".
std::u16string PackEntryName(const std::u16string& relativePath);

// The reader's order: unsigned 16-bit units, a text before every longer text it begins.
// Never UTF-8 bytes or the locale: they order characters beyond U+FFFF differently.
bool PackNameLess(const std::u16string& a, const std::u16string& b);
void SortPackEntries(std::vector<PackBuildEntry>& entries);

// Every regular file below folder, named by PackEntryName and sorted. skipPath (when not
// empty) is left out: an archive written into the folder it packs must not pack itself.
// Fails with error on unreadable files, names of 260 units or more, and two files that
// become the same entry ("A.txt" and "a.txt").
bool CollectPackEntries(const std::string& folder, std::vector<PackBuildEntry>& entries, std::string& error,
                        const std::string& skipPath = {});
