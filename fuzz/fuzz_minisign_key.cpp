// Feeds key files to the unit's key parser (update.pub: one or more public keys) and to
// msktool's secret key parser. What is accepted must read back the same after it is written
// again, and a refusal must say why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "MinisignFormat.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_minisign_key: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const DWORD length = static_cast<DWORD>(size);
    std::vector<MinisignPublicKey> keys;
    CString problem;
    if (MinisignParsePublicKeys(data, length, keys, problem)) {
        Require(!keys.empty() && problem.IsEmpty(), "accepted without a key, or with a problem");
        std::string again;
        for (const MinisignPublicKey& key : keys) again += MinisignFormatPublicKey(key);
        std::vector<MinisignPublicKey> back;
        Require(MinisignParsePublicKeys(reinterpret_cast<const BYTE*>(again.data()), static_cast<DWORD>(again.size()),
                                        back, problem),
                "written keys do not read back");
        Require(back.size() == keys.size() && std::memcmp(back.data(), keys.data(), keys.size() * sizeof keys[0]) == 0,
                "keys changed on the way back");
    } else {
        Require(!problem.IsEmpty(), "refused without a reason");
    }

    MinisignSecretKey secret;
    problem.Empty();
    if (MinisignParseSecretKey(data, length, secret, problem)) {
        Require(problem.IsEmpty(), "secret key accepted with a problem");
        const std::string again = MinisignFormatSecretKey(secret);
        MinisignSecretKey back;
        Require(MinisignParseSecretKey(reinterpret_cast<const BYTE*>(again.data()), static_cast<DWORD>(again.size()),
                                       back, problem) &&
                    std::memcmp(&back, &secret, sizeof secret) == 0,
                "secret key does not read back");
    } else {
        Require(!problem.IsEmpty(), "secret key refused without a reason");
    }
    return 0;
}
