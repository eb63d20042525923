// The decompression library's ordinal 2 keeps zlib uncompress's contract on every kind of
// stream the archive reader can meet: the same result code, and on success the same bytes
// and length.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "wce/process.h"
#include "zlib.h"

namespace {

using Uncompress = int (*)(BYTE*, DWORD*, const BYTE*, DWORD);

std::vector<BYTE> Deflate(const std::string& plain, int level = 6)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::vector<BYTE> out(size);
    compress2(out.data(), &size, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()), level);
    out.resize(size);
    return out;
}

std::string Plain()
{
    std::mt19937 random(5);
    std::string s;
    while (s.size() < 100000) s += "<layer name=\"item" + std::to_string(random() % 500) + "\"/>\r\n";
    return s;
}

struct Case {
    const char* pName;
    std::vector<BYTE> stream;
    DWORD dwDestSize;
};

std::vector<Case> Cases()
{
    const std::string plain = Plain();
    const DWORD n = static_cast<DWORD>(plain.size());
    const std::vector<BYTE> good = Deflate(plain);
    std::vector<Case> cases = {
        {"exact size", good, n},
        {"stored blocks", Deflate(plain, 0), n},
        {"room to spare", good, n + 100},
        {"one byte short", good, n - 1},
        {"no room", good, 0},
        {"empty input", {}, n},
        {"truncated", std::vector<BYTE>(good.begin(), good.end() - 10), n},
        {"only the header", std::vector<BYTE>(good.begin(), good.begin() + 2), n},
        {"empty plain text", Deflate(""), 0},
    };
    Case trailing{"bytes after the stream", good, n};
    trailing.stream.insert(trailing.stream.end(), {1, 2, 3});
    cases.push_back(trailing);
    Case checksum{"wrong checksum", good, n};
    checksum.stream.back() ^= 0x55;
    cases.push_back(checksum);
    Case header{"bad header check", good, n};
    header.stream[1] ^= 1;
    cases.push_back(header);
    Case dictionary{"preset dictionary flag", good, n};
    dictionary.stream[1] |= 0x20;
    dictionary.stream[1] = static_cast<BYTE>(dictionary.stream[1] + (31 - (dictionary.stream[0] * 256 + dictionary.stream[1]) % 31) % 31);
    cases.push_back(dictionary);
    Case corrupt{"damaged data", good, n};
    corrupt.stream[corrupt.stream.size() / 2] ^= 0xFF;
    cases.push_back(corrupt);
    return cases;
}

TEST(Decompressor, GivesZlibUncompressResults)
{
    HMODULE dll = LoadLibraryW(u"WceUiDll.dll");
    ASSERT_NE(dll, nullptr);
    auto inflate = reinterpret_cast<Uncompress>(GetProcAddressW(dll, MAKEINTRESOURCEW(2)));
    ASSERT_NE(inflate, nullptr);
    for (const Case& c : Cases()) {
        std::vector<BYTE> expected(c.dwDestSize + 1), actual(c.dwDestSize + 1);
        uLongf zlibLength = c.dwDestSize;
        int zlibResult = uncompress(expected.data(), &zlibLength, c.stream.data(), static_cast<uLong>(c.stream.size()));
        DWORD length = c.dwDestSize;
        int result = inflate(actual.data(), &length, c.stream.data(), static_cast<DWORD>(c.stream.size()));
        EXPECT_EQ(result, zlibResult) << c.pName;
        if (Z_OK == zlibResult && Z_OK == result) {
            EXPECT_EQ(length, zlibLength) << c.pName;
            EXPECT_TRUE(std::equal(actual.begin(), actual.begin() + length, expected.begin())) << c.pName;
        }
    }
    DWORD length = 1;
    BYTE b = 0;
    EXPECT_NE(inflate(&b, nullptr, &b, 1), Z_OK);
    EXPECT_EQ(length, 1u);
    FreeLibrary(dll);
}

}  // namespace
