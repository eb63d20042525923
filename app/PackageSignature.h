// Signed packages. A unit that holds \Residentflash2\update.pub (one or more minisign public
// keys) installs only packages signed by one of them: the package password is in every unit
// of a variant, so it proves nothing about who built a package. Without that file nothing is
// checked, as before. The update deletes only the app folder, so the keys survive updates.
#pragma once

#include <string>
#include <vector>

#include "MinisignFormat.h"
#include "wce/cstring.h"
#include "wce/types.h"

constexpr const WCHAR* kTrustedKeysPath = u"\\Residentflash2\\update.pub";
constexpr const WCHAR* kSignatureSuffix = u".minisig";
// The message box text: its id in the language file, and the text where there is none.
constexpr const WCHAR* kSignatureErrorTextId = u"msg_signature_error";
constexpr const WCHAR* kSignatureErrorMessage = u"MSK file signature error. Update fail.";

// BLAKE2b-512 of a file fed in pieces, so a package of any size costs a fixed buffer.
class CMinisignHasher {
public:
    CMinisignHasher();
    ~CMinisignHasher();
    CMinisignHasher(const CMinisignHasher&) = delete;
    CMinisignHasher& operator=(const CMinisignHasher&) = delete;

    void Update(const BYTE* pData, size_t nLength);
    void Final(BYTE hash[kMinisignHashSize]);

private:
    alignas(64) unsigned char m_state[384];
};

// Checks a prehashed signature of a file whose hash is given against the trusted keys: the
// key id, the signature over the hash, then the global signature over the signature and the
// trusted comment. FALSE with the reason otherwise (a legacy signature included).
BOOL MinisignVerifyHash(const std::vector<MinisignPublicKey>& keys, const MinisignSignature& signature,
                        const BYTE hash[kMinisignHashSize], CString& strProblem);
// A prehashed signature of the file with this hash, and its global signature.
BOOL MinisignSignHash(const MinisignSecretKey& key, const BYTE hash[kMinisignHashSize],
                      const std::string& strTrustedComment, MinisignSignature& signature);
// A fresh key pair with a random key id.
BOOL MinisignMakeKeyPair(MinisignPublicKey& publicKey, MinisignSecretKey& secretKey);

// The unit's rule for a package on the device: TRUE when the unit holds no key file, or the
// package's signature (PACKAGE.minisig) is good. FALSE with the reason for a missing, malformed
// or wrong signature, an unknown key, and a key file that cannot be read or parsed. A package
// the caller opened for reading (hPackage) is hashed from its start instead of opened again.
BOOL CheckPackageSignature(LPCWSTR pPackagePath, CString& strProblem, HANDLE hPackage = INVALID_HANDLE_VALUE);
