#include "PackageSignature.h"

#include "sodium.h"

#include <cstring>

#include "wce/wstring.h"
#include <memory>
#include <new>

#include "JxHandle.h"
#include "wce/platform.h"

static_assert(sizeof(crypto_generichash_state) <= 384, "the hasher's state does not fit");

namespace {

// Key and signature files are small; anything larger is not one.
constexpr DWORD kMaxKeyFile = 64 * 1024;
constexpr DWORD kMaxSignatureFile = 16 * 1024;
constexpr DWORD kHashPiece = 64 * 1024;

crypto_generichash_state* State(unsigned char* p) { return reinterpret_cast<crypto_generichash_state*>(p); }

// A whole small device file. FALSE with the platform's error in dwError, ERROR_INVALID_DATA
// when the file is larger than dwMax.
BOOL ReadSmallFile(LPCWSTR pPath, DWORD dwMax, std::vector<BYTE>& bytes, DWORD& dwError)
{
    HANDLE h = CreateFileW(pPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        dwError = GetLastError();
        return FALSE;
    }
    bytes.clear();
    BYTE piece[4096];
    BOOL ok = TRUE;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, piece, sizeof piece, &got, nullptr)) {
            dwError = GetLastError();
            ok = FALSE;
            break;
        }
        if (got == 0) break;
        if (bytes.size() + got > dwMax) {
            dwError = ERROR_INVALID_DATA;
            ok = FALSE;
            break;
        }
        bytes.insert(bytes.end(), piece, piece + got);
    }
    CloseHandle(h);
    return ok;
}

// hPackage: the file at pPath, open for reading, or INVALID_HANDLE_VALUE to open it here.
BOOL HashDeviceFile(LPCWSTR pPath, HANDLE hPackage, BYTE hash[kMinisignHashSize], CString& strProblem)
{
    CJxPackageHandle package(hPackage, pPath);
    if (!package.IsValid()) {
        strProblem.Format(u"cannot open %s (error %u)", pPath, static_cast<unsigned>(GetLastError()));
        return FALSE;
    }
    HANDLE h = package.Get();
    std::unique_ptr<BYTE[]> piece(new (std::nothrow) BYTE[kHashPiece]);
    CMinisignHasher hasher;
    BOOL ok = piece != nullptr;
    while (ok) {
        DWORD got = 0;
        if (!ReadFile(h, piece.get(), kHashPiece, &got, nullptr)) {
            ok = FALSE;
        } else if (got == 0) {
            break;
        } else {
            hasher.Update(piece.get(), got);
        }
    }
    if (!ok) strProblem.Format(u"cannot read %s (error %u)", pPath, static_cast<unsigned>(GetLastError()));
    if (ok) hasher.Final(hash);
    return ok;
}

}  // namespace

CMinisignHasher::CMinisignHasher()
{
    // Hashing needs no random source: a failed start only leaves the portable code chosen.
    const int started = sodium_init();
    (void)started;
    crypto_generichash_init(State(m_state), nullptr, 0, kMinisignHashSize);
}

CMinisignHasher::~CMinisignHasher() { sodium_memzero(m_state, sizeof m_state); }

void CMinisignHasher::Update(const BYTE* pData, size_t nLength)
{
    crypto_generichash_update(State(m_state), pData, nLength);
}

void CMinisignHasher::Final(BYTE hash[kMinisignHashSize])
{
    crypto_generichash_final(State(m_state), hash, kMinisignHashSize);
}

BOOL MinisignVerifyHash(const std::vector<MinisignPublicKey>& keys, const MinisignSignature& signature,
                        const BYTE hash[kMinisignHashSize], CString& strProblem)
{
    if (!signature.bPrehashed) {
        strProblem = u"legacy signature (over the whole file, not its hash): sign again with msktool sign or "
                     u"a current minisign";
        return FALSE;
    }
    const MinisignPublicKey* pKey = nullptr;
    for (const MinisignPublicKey& key : keys)
        if (std::memcmp(key.keyId, signature.keyId, kMinisignKeyIdSize) == 0) pKey = &key;
    if (!pKey) {
        strProblem.Format(u"signed with key %s, which is not trusted",
                          Utf8ToWide(MinisignKeyIdText(signature.keyId)).c_str());
        return FALSE;
    }
    if (sodium_init() < 0 ||
        crypto_sign_verify_detached(signature.signature, hash, kMinisignHashSize, pKey->key) != 0) {
        strProblem = u"the signature does not match the package";
        return FALSE;
    }
    std::vector<BYTE> global(signature.signature, signature.signature + kMinisignSignatureSize);
    global.insert(global.end(), signature.trustedComment.begin(), signature.trustedComment.end());
    if (crypto_sign_verify_detached(signature.globalSignature, global.data(), global.size(), pKey->key) != 0) {
        strProblem = u"the trusted comment does not match its signature";
        return FALSE;
    }
    return TRUE;
}

BOOL MinisignSignHash(const MinisignSecretKey& key, const BYTE hash[kMinisignHashSize],
                      const std::string& strTrustedComment, MinisignSignature& signature)
{
    if (sodium_init() < 0) return FALSE;
    signature.bPrehashed = TRUE;
    std::memcpy(signature.keyId, key.keyId, kMinisignKeyIdSize);
    signature.trustedComment = strTrustedComment;
    if (crypto_sign_detached(signature.signature, nullptr, hash, kMinisignHashSize, key.key) != 0) return FALSE;
    std::vector<BYTE> global(signature.signature, signature.signature + kMinisignSignatureSize);
    global.insert(global.end(), strTrustedComment.begin(), strTrustedComment.end());
    return crypto_sign_detached(signature.globalSignature, nullptr, global.data(), global.size(), key.key) == 0;
}

BOOL MinisignMakeKeyPair(MinisignPublicKey& publicKey, MinisignSecretKey& secretKey)
{
    if (sodium_init() < 0) return FALSE;
    randombytes_buf(secretKey.keyId, kMinisignKeyIdSize);
    std::memcpy(publicKey.keyId, secretKey.keyId, kMinisignKeyIdSize);
    return crypto_sign_keypair(publicKey.key, secretKey.key) == 0;
}

BOOL CheckPackageSignature(LPCWSTR pPackagePath, CString& strProblem, HANDLE hPackage)
{
    if (!pPackagePath) pPackagePath = u"";
    std::vector<BYTE> text;
    DWORD error = ERROR_SUCCESS;
    if (!ReadSmallFile(kTrustedKeysPath, kMaxKeyFile, text, error)) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return TRUE;  // no keys: no check
        strProblem.Format(u"the unit's key file %s cannot be read (error %u); every package is refused",
                          kTrustedKeysPath, static_cast<unsigned>(error));
        return FALSE;
    }
    std::vector<MinisignPublicKey> keys;
    CString why;
    if (!MinisignParsePublicKeys(text.data(), static_cast<DWORD>(text.size()), keys, why)) {
        strProblem.Format(u"the unit's key file %s is malformed (%s); every package is refused", kTrustedKeysPath,
                          why.c_str());
        return FALSE;
    }

    CString signaturePath = CString(pPackagePath) + kSignatureSuffix;
    if (!ReadSmallFile(signaturePath, kMaxSignatureFile, text, error)) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            strProblem.Format(u"the package has no signature %s", signaturePath.c_str());
        else
            strProblem.Format(u"the signature %s cannot be read (error %u)", signaturePath.c_str(),
                              static_cast<unsigned>(error));
        return FALSE;
    }
    MinisignSignature signature;
    if (!MinisignParseSignature(text.data(), static_cast<DWORD>(text.size()), signature, why)) {
        strProblem.Format(u"the signature %s is malformed (%s)", signaturePath.c_str(), why.c_str());
        return FALSE;
    }
    BYTE hash[kMinisignHashSize];
    if (!HashDeviceFile(pPackagePath, hPackage, hash, why) || !MinisignVerifyHash(keys, signature, hash, why)) {
        strProblem.Format(u"%s: %s", signaturePath.c_str(), why.c_str());
        return FALSE;
    }
    return TRUE;
}
