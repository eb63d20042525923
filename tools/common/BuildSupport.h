// Byte-level pieces shared by the package builders (MSK and .pack): both formats keep
// little-endian words and NUL-terminated UTF-16 names in a directory block, and both pack
// files with zlib.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tool {

// out must already hold the four bytes at at.
void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v);
void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v);
// The name's UTF-16LE units and a terminating zero unit.
void AppendName(std::vector<std::uint8_t>& out, const std::u16string& name);
// Zero bytes up to the next multiple of four.
void PadToWord(std::vector<std::uint8_t>& out);

// A zlib stream of plain at level (0-9).
std::string Deflate(const std::string& plain, int level);

// The whole of a host file; false when it cannot be opened or read.
bool ReadHostFile(const std::filesystem::path& path, std::string& data);

struct FolderItem {
    std::filesystem::path path;  // the host path
    std::string relative;        // below the walked folder, "/"-separated
    bool isDirectory = false;    // else a regular file
};

// Calls visit for every subfolder and regular file below folder, a folder before what it
// holds; other kinds are passed over. visit returns false, with error set, to stop the walk.
// Fails with "not a folder: ..." or "cannot list ...: why" as well.
bool WalkFolder(const std::string& folder, const std::function<bool(const FolderItem&, std::string&)>& visit,
                std::string& error);

}  // namespace tool
