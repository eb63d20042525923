#include "BuildSupport.h"

#include <fstream>
#include <sstream>

#include "zlib.h"

namespace fs = std::filesystem;

namespace tool {

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
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

void PadToWord(std::vector<std::uint8_t>& out) { out.resize((out.size() + 3) & ~std::size_t(3), 0); }

std::string Deflate(const std::string& plain, int level)
{
    uLongf size = compressBound(plain.size());
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              plain.size(), level);
    packed.resize(size);
    return packed;
}

bool ReadHostFile(const fs::path& path, std::string& data)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    if (!in) return false;
    data = all.str();
    return true;
}

bool WalkFolder(const std::string& folder, const std::function<bool(const FolderItem&, std::string&)>& visit,
                std::string& error)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "not a folder: " + folder;
        return false;
    }
    // One error code for the iterator and the queries on each item: any failure ends the
    // walk and is reported as a listing failure.
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        FolderItem item;
        item.isDirectory = it->is_directory(ec);
        if (!item.isDirectory && !it->is_regular_file(ec)) continue;
        item.path = it->path();
        item.relative = fs::relative(item.path, folder, ec).generic_string();
        if (!visit(item, error)) return false;
    }
    if (ec) {
        error = "cannot list " + folder + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace tool
