// Writes the seed corpus of fuzz_bmp: one small valid input for each of its cases. Run it
// again when the input layout of the fuzzer changes:  make_bmp_corpus fuzz/corpus/bmp
#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string Le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A BMP file with an info header of infoSize bytes; 16-bit files carry the 565 masks.
std::string Bmp(int w, int h, int bits, int infoSize)
{
    std::string pixels;
    int stride = ((w * bits + 31) >> 5) * 4;
    for (int i = 0; i < stride * h; ++i) pixels += static_cast<char>(i * 37 + 11);
    std::string info = Le32(static_cast<unsigned>(infoSize)) + Le32(static_cast<unsigned>(w)) +
                       Le32(static_cast<unsigned>(h)) + Le16(1) + Le16(static_cast<unsigned>(bits)) +
                       Le32(16 == bits ? 3 : 0) + Le32(static_cast<unsigned>(pixels.size())) + std::string(16, '\0');
    if (16 == bits) info += Le32(0xF800) + Le32(0x07E0) + Le32(0x001F) + Le32(0);
    if (static_cast<int>(info.size()) < infoSize) info.resize(static_cast<size_t>(infoSize), '\0');
    return "BM" + Le32(static_cast<unsigned>(14 + info.size() + pixels.size())) + Le32(0) +
           Le32(static_cast<unsigned>(14 + info.size())) + info + pixels;
}

std::string Utf16(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

bool WriteSeed(const std::string& folder, const std::string& name, const std::string& bytes)
{
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "make_bmp_corpus: cannot write %s/%s\n", folder.c_str(), name.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bmp_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string bmp565 = Bmp(5, 3, 16, 40);
    bool ok = WriteSeed(folder, "bmp565_odd_width", std::string(1, '\0') + bmp565) &&
              WriteSeed(folder, "bmp32_v5_header", std::string(1, '\0') + Bmp(3, 2, 32, 124)) &&
              WriteSeed(folder, "bmp565_with_alpha",
                        "\x01" + Le16(static_cast<unsigned>(bmp565.size())) + bmp565 + std::string(18, '\x3F')) &&
              WriteSeed(folder, "conf_all_keys", "\x02" + Utf16("src=a.bmp\r\npa=true\r\ntc=102030\r\nca=128\r\n")) &&
              WriteSeed(folder, "conf_32_none", "\x02" + Utf16("; none\n[bitmap]\nsrc=b.bmp\ntc=false\nca=false\n"));
    return ok ? 0 : 1;
}
