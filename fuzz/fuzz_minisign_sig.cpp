// Feeds signature files (PACKAGE.minisig) to the unit's parser, then to the check against a
// fixed key and hash: nothing random may pass it. What is accepted must read back the same
// after it is written again, and a refusal must say why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "MinisignFormat.h"
#include "PackageSignature.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_minisign_sig: %s\n", what);
    std::abort();
}

// The key of the seed corpus (fuzz/corpus/minisign_sig was signed with it over "seed").
const std::vector<MinisignPublicKey>& Keys()
{
    static std::vector<MinisignPublicKey> keys = [] {
        static const char kPub[] = "untrusted comment: minisign public key BC523415834179EE\n"
                                   "RWTueUGDFTRSvKVuel3jAm1Yipti/VjsUcEHe29mzMU9cdAJTQ1+Ypji\n";
        std::vector<MinisignPublicKey> parsed;
        CString problem;
        MinisignParsePublicKeys(reinterpret_cast<const BYTE*>(kPub), sizeof kPub - 1, parsed, problem);
        return parsed;
    }();
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    MinisignSignature signature;
    CString problem;
    if (!MinisignParseSignature(data, static_cast<DWORD>(size), signature, problem)) {
        Require(!problem.IsEmpty(), "refused without a reason");
        return 0;
    }
    Require(problem.IsEmpty(), "accepted with a problem");
    Require(signature.trustedComment.size() <= kMinisignMaxTrustedComment, "trusted comment over its bound");

    if (signature.bPrehashed) {
        const std::string again = MinisignFormatSignature(signature, "again");
        MinisignSignature back;
        Require(MinisignParseSignature(reinterpret_cast<const BYTE*>(again.data()), static_cast<DWORD>(again.size()),
                                       back, problem),
                "a written signature does not read back");
        Require(back.trustedComment == signature.trustedComment &&
                    std::memcmp(back.signature, signature.signature, sizeof back.signature) == 0 &&
                    std::memcmp(back.globalSignature, signature.globalSignature, sizeof back.globalSignature) == 0 &&
                    std::memcmp(back.keyId, signature.keyId, sizeof back.keyId) == 0,
                "a signature changed on the way back");
    }
    BYTE hash[kMinisignHashSize];
    CMinisignHasher hasher;
    hasher.Update(reinterpret_cast<const BYTE*>("seed"), 4);
    hasher.Final(hash);
    const BOOL good = MinisignVerifyHash(Keys(), signature, hash, problem);
    Require(good || !problem.IsEmpty(), "a failed check without a reason");
    return 0;
}
