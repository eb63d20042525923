#include "MskSigner.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "PackageSignature.h"
#include "BuildSupport.h"
#include "ToolSupport.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxSmallFile = 64 * 1024;
constexpr std::size_t kHashPiece = 64 * 1024;

bool ReadSmallFile(const std::string& path, std::string& bytes, std::string& problem)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size > kMaxSmallFile || !tool::ReadHostFile(path, bytes)) {
        problem = "cannot read " + path + (ec || size <= kMaxSmallFile ? "" : " (too large for a key or signature)");
        return false;
    }
    return true;
}

const BYTE* Data(const std::string& bytes) { return reinterpret_cast<const BYTE*>(bytes.data()); }

}  // namespace

bool MakeSigningKeys(const std::string& publicPath, const std::string& secretPath, std::string& problem)
{
    std::error_code ec;
    for (const std::string& path : {publicPath, secretPath})
        if (fs::exists(path, ec)) {
            problem = path + " exists; remove it first";
            return false;
        }
    MinisignPublicKey publicKey;
    MinisignSecretKey secretKey;
    if (!MinisignMakeKeyPair(publicKey, secretKey)) {
        problem = "cannot make a key pair";
        return false;
    }
    const std::string secretText = MinisignFormatSecretKey(secretKey);
    const std::string publicText = MinisignFormatPublicKey(publicKey);
    // The secret file is made private before the key is written into it.
    bool ok = tool::WriteHostFile(secretPath, "", 0);
    fs::permissions(secretPath, fs::perms::owner_read | fs::perms::owner_write, ec);
    ok = ok && !ec && tool::WriteHostFile(secretPath, secretText.data(), secretText.size());
    if (!ok) {
        problem = "cannot write " + secretPath;
        return false;
    }
    if (!tool::WriteHostFile(publicPath, publicText.data(), publicText.size())) {
        problem = "cannot write " + publicPath;
        return false;
    }
    return true;
}

bool HashHostFile(const std::string& path, BYTE hash[kMinisignHashSize], std::string& problem)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot read " + path;
        return false;
    }
    std::vector<char> piece(kHashPiece);
    CMinisignHasher hasher;
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        hasher.Update(reinterpret_cast<const BYTE*>(piece.data()), static_cast<std::size_t>(in.gcount()));
    }
    if (!in.eof()) {
        problem = "cannot read " + path;
        return false;
    }
    hasher.Final(hash);
    return true;
}

bool SignPackage(const std::string& secretPath, const std::string& packagePath, std::string& problem)
{
    std::string text;
    if (!ReadSmallFile(secretPath, text, problem)) return false;
    MinisignSecretKey key;
    CString why;
    if (!MinisignParseSecretKey(Data(text), static_cast<DWORD>(text.size()), key, why)) {
        problem = secretPath + ": " + WideToUtf8(why.c_str());
        return false;
    }
    const std::string name = fs::path(packagePath).filename().string();
    for (unsigned char c : name)
        if (c < 0x20) {
            problem = "the package name holds a control character";
            return false;
        }
    BYTE hash[kMinisignHashSize];
    if (!HashHostFile(packagePath, hash, problem)) return false;
    const std::string comment =
        "timestamp:" + std::to_string(static_cast<long long>(std::time(nullptr))) + "\tfile:" + name + "\thashed";
    MinisignSignature signature;
    const bool signedOk = MinisignSignHash(key, hash, comment, signature);
    std::fill(std::begin(key.key), std::end(key.key), BYTE(0));
    if (!signedOk) {
        problem = "cannot sign " + packagePath;
        return false;
    }
    const std::string out = MinisignFormatSignature(signature, "signature from msktool secret key");
    const std::string outPath = packagePath + ".minisig";
    if (!tool::WriteHostFile(outPath, out.data(), out.size())) {
        problem = "cannot write " + outPath;
        return false;
    }
    return true;
}

bool VerifyPackageSignature(const std::string& publicPath, const std::string& packagePath,
                            std::string& trustedComment, std::string& problem)
{
    std::string text;
    if (!ReadSmallFile(publicPath, text, problem)) return false;
    std::vector<MinisignPublicKey> keys;
    CString why;
    if (!MinisignParsePublicKeys(Data(text), static_cast<DWORD>(text.size()), keys, why)) {
        problem = publicPath + " is malformed: " + WideToUtf8(why.c_str());
        return false;
    }
    const std::string signaturePath = packagePath + ".minisig";
    if (!ReadSmallFile(signaturePath, text, problem)) return false;
    MinisignSignature signature;
    if (!MinisignParseSignature(Data(text), static_cast<DWORD>(text.size()), signature, why)) {
        problem = signaturePath + " is malformed: " + WideToUtf8(why.c_str());
        return false;
    }
    BYTE hash[kMinisignHashSize];
    if (!HashHostFile(packagePath, hash, problem)) return false;
    if (!MinisignVerifyHash(keys, signature, hash, why)) {
        problem = signaturePath + ": " + WideToUtf8(why.c_str());
        return false;
    }
    trustedComment = signature.trustedComment;
    return true;
}
