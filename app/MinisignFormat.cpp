#include "MinisignFormat.h"

#include "sodium.h"

#include <cstring>

#include "wce/wstring.h"

static_assert(kMinisignSecretKeySize == crypto_sign_SECRETKEYBYTES && kMinisignPublicKeySize == crypto_sign_PUBLICKEYBYTES &&
                  kMinisignSignatureSize == crypto_sign_BYTES,
              "minisign stores libsodium's Ed25519 forms");

namespace {

// Algorithm ids as stored in the decoded key and signature lines.
constexpr BYTE kAlgEd25519[2] = {'E', 'd'};
constexpr BYTE kAlgPrehashed[2] = {'E', 'D'};
constexpr BYTE kKdfNone[2] = {0, 0};
constexpr BYTE kKdfScrypt[2] = {'S', 'c'};
constexpr BYTE kChecksumBlake2b[2] = {'B', '2'};

constexpr DWORD kPublicKeyBytes = 2 + kMinisignKeyIdSize + kMinisignPublicKeySize;
constexpr DWORD kSignatureBytes = 2 + kMinisignKeyIdSize + kMinisignSignatureSize;
constexpr DWORD kChecksumSize = 32;
constexpr DWORD kSecretKeyBytes = 2 + 2 + 2 + 32 + 8 + 8 + kMinisignKeyIdSize + kMinisignSecretKeySize + kChecksumSize;
constexpr DWORD kSecretKeyIdOffset = kSecretKeyBytes - kChecksumSize - kMinisignSecretKeySize - kMinisignKeyIdSize;

// Lines end in "\n" or "\r\n"; the last one may lack its end.
class CLineReader {
public:
    CLineReader(const BYTE* pText, DWORD dwLength) : m_pText(pText), m_dwLength(dwLength), m_dwPos(0), m_nLine(0) {}

    BOOL AtEnd() const { return m_dwPos >= m_dwLength; }
    int GetLineNumber() const { return m_nLine; }
    BOOL Next(std::string& line)
    {
        if (AtEnd()) return FALSE;
        DWORD end = m_dwPos;
        while (end < m_dwLength && m_pText[end] != '\n') ++end;
        DWORD stop = end;
        if (stop > m_dwPos && m_pText[stop - 1] == '\r') --stop;
        line.assign(reinterpret_cast<const char*>(m_pText) + m_dwPos, stop - m_dwPos);
        m_dwPos = end < m_dwLength ? end + 1 : end;
        ++m_nLine;
        return TRUE;
    }

private:
    const BYTE* m_pText;
    DWORD m_dwLength;
    DWORD m_dwPos;
    int m_nLine;
};

CString Problem(int nLine, const char* pWhat)
{
    CString text;
    text.Format(u"line %d: %s", nLine, Utf8ToWide(pWhat).c_str());
    return text;
}

// The text after the prefix, if the line has it and holds nothing that could fake a line.
BOOL ReadComment(const std::string& line, const char* pPrefix, DWORD dwMax, std::string& text)
{
    const size_t prefix = std::strlen(pPrefix);
    if (line.compare(0, prefix, pPrefix) != 0) return FALSE;
    text = line.substr(prefix);
    if (text.size() > dwMax) return FALSE;
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t') return FALSE;
    return TRUE;
}

// Standard base64 with its padding, decoding to exactly dwSize bytes.
BOOL DecodeExactly(const std::string& line, BYTE* pOut, DWORD dwSize)
{
    if (sodium_init() < 0) return FALSE;
    if (line.size() != sodium_base64_encoded_len(dwSize, sodium_base64_VARIANT_ORIGINAL) - 1) return FALSE;
    size_t decoded = 0;
    const char* end = nullptr;
    if (sodium_base642bin(pOut, dwSize, line.data(), line.size(), nullptr, &decoded, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return FALSE;
    return decoded == dwSize && end == line.data() + line.size();
}

std::string Encode(const BYTE* pData, DWORD dwSize)
{
    std::string text(sodium_base64_encoded_len(dwSize, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), pData, dwSize, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    return text;
}

void SecretKeyChecksum(const BYTE* pAlg, const MinisignSecretKey& key, BYTE out[kChecksumSize])
{
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, kChecksumSize);
    crypto_generichash_update(&state, pAlg, 2);
    crypto_generichash_update(&state, key.keyId, sizeof key.keyId);
    crypto_generichash_update(&state, key.key, sizeof key.key);
    crypto_generichash_final(&state, out, kChecksumSize);
}

}  // namespace

BOOL MinisignParsePublicKeys(const BYTE* pText, DWORD dwLength, std::vector<MinisignPublicKey>& keys,
                             CString& strProblem)
{
    keys.clear();
    CLineReader reader(pText, dwLength);
    std::string line, comment;
    while (reader.Next(line)) {
        if (line.empty()) continue;
        if (!ReadComment(line, kMinisignUntrustedPrefix, kMinisignMaxComment, comment)) {
            strProblem = Problem(reader.GetLineNumber(), "expected \"untrusted comment: \" and a short comment");
            return FALSE;
        }
        BYTE raw[kPublicKeyBytes];
        if (!reader.Next(line) || !DecodeExactly(line, raw, kPublicKeyBytes)) {
            strProblem = Problem(reader.GetLineNumber(), "expected a public key (56 base64 characters)");
            return FALSE;
        }
        if (std::memcmp(raw, kAlgEd25519, 2) != 0) {
            strProblem = Problem(reader.GetLineNumber(), "the key is not an Ed25519 key");
            return FALSE;
        }
        MinisignPublicKey key;
        std::memcpy(key.keyId, raw + 2, kMinisignKeyIdSize);
        std::memcpy(key.key, raw + 2 + kMinisignKeyIdSize, kMinisignPublicKeySize);
        keys.push_back(key);
    }
    if (keys.empty()) {
        strProblem = u"no public key in the file";
        return FALSE;
    }
    return TRUE;
}

BOOL MinisignParseSignature(const BYTE* pText, DWORD dwLength, MinisignSignature& signature, CString& strProblem)
{
    CLineReader reader(pText, dwLength);
    std::string line, comment;
    BYTE raw[kSignatureBytes];
    if (!reader.Next(line) || !ReadComment(line, kMinisignUntrustedPrefix, kMinisignMaxComment, comment)) {
        strProblem = Problem(1, "expected \"untrusted comment: \" and a short comment");
        return FALSE;
    }
    if (!reader.Next(line) || !DecodeExactly(line, raw, kSignatureBytes)) {
        strProblem = Problem(2, "expected a signature (100 base64 characters)");
        return FALSE;
    }
    if (std::memcmp(raw, kAlgPrehashed, 2) == 0) {
        signature.bPrehashed = TRUE;
    } else if (std::memcmp(raw, kAlgEd25519, 2) == 0) {
        signature.bPrehashed = FALSE;
    } else {
        strProblem = Problem(2, "unknown signature algorithm");
        return FALSE;
    }
    std::memcpy(signature.keyId, raw + 2, kMinisignKeyIdSize);
    std::memcpy(signature.signature, raw + 2 + kMinisignKeyIdSize, kMinisignSignatureSize);
    if (!reader.Next(line) ||
        !ReadComment(line, kMinisignTrustedPrefix, kMinisignMaxTrustedComment, signature.trustedComment)) {
        strProblem = Problem(3, "expected \"trusted comment: \" and a comment of at most 8192 bytes");
        return FALSE;
    }
    if (!reader.Next(line) || !DecodeExactly(line, signature.globalSignature, kMinisignSignatureSize)) {
        strProblem = Problem(4, "expected the global signature (88 base64 characters)");
        return FALSE;
    }
    if (!reader.AtEnd()) {
        strProblem = Problem(5, "text after the global signature");
        return FALSE;
    }
    return TRUE;
}

BOOL MinisignParseSecretKey(const BYTE* pText, DWORD dwLength, MinisignSecretKey& key, CString& strProblem)
{
    CLineReader reader(pText, dwLength);
    std::string line, comment;
    BYTE raw[kSecretKeyBytes];
    if (!reader.Next(line) || !ReadComment(line, kMinisignUntrustedPrefix, kMinisignMaxComment, comment)) {
        strProblem = Problem(1, "expected \"untrusted comment: \" and a short comment");
        return FALSE;
    }
    if (!reader.Next(line) || !DecodeExactly(line, raw, kSecretKeyBytes)) {
        strProblem = Problem(2, "expected a secret key (212 base64 characters)");
        return FALSE;
    }
    if (reader.Next(line) && !(line.empty() && reader.AtEnd())) {
        strProblem = Problem(3, "text after the secret key");
        return FALSE;
    }
    if (std::memcmp(raw, kAlgEd25519, 2) != 0 || std::memcmp(raw + 4, kChecksumBlake2b, 2) != 0) {
        strProblem = u"unknown secret key algorithms";
        return FALSE;
    }
    if (std::memcmp(raw + 2, kKdfScrypt, 2) == 0) {
        strProblem = u"the secret key is protected by a password; sign with minisign, or make an unprotected "
                     u"key for the build machine with msktool keygen";
        return FALSE;
    }
    if (std::memcmp(raw + 2, kKdfNone, 2) != 0) {
        strProblem = u"unknown key protection";
        return FALSE;
    }
    std::memcpy(key.keyId, raw + kSecretKeyIdOffset, kMinisignKeyIdSize);
    std::memcpy(key.key, raw + kSecretKeyIdOffset + kMinisignKeyIdSize, kMinisignSecretKeySize);
    // minisign leaves the checksum of a key without a password zero; the key's public half,
    // derived again from its seed, still shows a damaged file.
    BYTE checksum[kChecksumSize];
    SecretKeyChecksum(raw, key, checksum);
    const BYTE* pStored = raw + kSecretKeyBytes - kChecksumSize;
    const BOOL bChecksumOk = sodium_is_zero(pStored, kChecksumSize) || sodium_memcmp(checksum, pStored, kChecksumSize) == 0;
    BYTE derivedPublic[crypto_sign_PUBLICKEYBYTES];
    BYTE derivedSecret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(derivedPublic, derivedSecret, key.key);
    const BOOL bKeyOk = sodium_memcmp(derivedSecret, key.key, sizeof derivedSecret) == 0;
    sodium_memzero(derivedSecret, sizeof derivedSecret);
    sodium_memzero(raw, sizeof raw);
    if (!bChecksumOk || !bKeyOk) {
        sodium_memzero(key.key, sizeof key.key);
        strProblem = u"the secret key does not match its checksum: the file is damaged";
        return FALSE;
    }
    return TRUE;
}

std::string MinisignKeyIdText(const BYTE keyId[kMinisignKeyIdSize])
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (int i = kMinisignKeyIdSize - 1; i >= 0; --i) {
        text += kHex[keyId[i] >> 4];
        text += kHex[keyId[i] & 15];
    }
    return text;
}

std::string MinisignFormatPublicKey(const MinisignPublicKey& key)
{
    BYTE raw[kPublicKeyBytes];
    std::memcpy(raw, kAlgEd25519, 2);
    std::memcpy(raw + 2, key.keyId, kMinisignKeyIdSize);
    std::memcpy(raw + 2 + kMinisignKeyIdSize, key.key, kMinisignPublicKeySize);
    return std::string(kMinisignUntrustedPrefix) + "minisign public key " + MinisignKeyIdText(key.keyId) + "\n" +
           Encode(raw, kPublicKeyBytes) + "\n";
}

std::string MinisignFormatSecretKey(const MinisignSecretKey& key)
{
    // Without a password the salt and the scrypt limits are unused: zero.
    BYTE raw[kSecretKeyBytes] = {};
    std::memcpy(raw, kAlgEd25519, 2);
    std::memcpy(raw + 2, kKdfNone, 2);
    std::memcpy(raw + 4, kChecksumBlake2b, 2);
    std::memcpy(raw + kSecretKeyIdOffset, key.keyId, kMinisignKeyIdSize);
    std::memcpy(raw + kSecretKeyIdOffset + kMinisignKeyIdSize, key.key, kMinisignSecretKeySize);
    SecretKeyChecksum(raw, key, raw + kSecretKeyBytes - kChecksumSize);
    std::string text = std::string(kMinisignUntrustedPrefix) + "minisign secret key (no password)\n" +
                       Encode(raw, kSecretKeyBytes) + "\n";
    sodium_memzero(raw, sizeof raw);
    return text;
}

std::string MinisignFormatSignature(const MinisignSignature& signature, const std::string& strUntrustedComment)
{
    BYTE raw[kSignatureBytes];
    std::memcpy(raw, signature.bPrehashed ? kAlgPrehashed : kAlgEd25519, 2);
    std::memcpy(raw + 2, signature.keyId, kMinisignKeyIdSize);
    std::memcpy(raw + 2 + kMinisignKeyIdSize, signature.signature, kMinisignSignatureSize);
    return std::string(kMinisignUntrustedPrefix) + strUntrustedComment + "\n" + Encode(raw, kSignatureBytes) + "\n" +
           kMinisignTrustedPrefix + signature.trustedComment + "\n" +
           Encode(signature.globalSignature, kMinisignSignatureSize) + "\n";
}
