// Builds MSK packages in memory: used by msktool and by the tests, which also craft damaged
// packages from the parts before they are assembled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MskBuildEntry {
    std::uint32_t type = 0;  // 0 directory, 1 file, anything else is carried as it is
    std::u16string name;     // relative path, "\\"-separated
    std::string data;        // file contents (files only)
};

// The parts of a package before the directory block is scrambled.
struct MskImage {
    std::vector<std::uint8_t> header;  // 44 bytes; directory end and check word filled in
    std::vector<std::uint8_t> block;   // the plain directory block
    std::vector<std::uint8_t> data;    // the compressed streams, placed right after the block
    std::vector<std::size_t> recordOffsets;  // where each entry record starts in block
    std::uint32_t checkWord = 0;

    // The package bytes, with the block scrambled under key. The header's directory end is
    // set from the block's present length; data offsets are not moved.
    std::vector<std::uint8_t> Assemble(std::uint32_t key) const;
};

// Called after each entry is compressed: (index, count, name).
using MskBuildProgress = std::function<void(std::size_t, std::size_t, const std::u16string&)>;

// Entries are stored in the order given. checkWord 0 picks the CRC-32 of the compressed data.
MskImage BuildMskImage(const std::vector<MskBuildEntry>& entries, const std::u16string& rootName,
                       std::uint32_t checkWord = 0, int level = 6, const MskBuildProgress& progress = {});

// The entries of a folder tree: every subfolder as a directory entry (parents first), then
// every file, each group sorted by name. Returns false and sets error when it cannot read.
bool CollectMskEntries(const std::string& folder, std::vector<MskBuildEntry>& entries, std::string& error);
