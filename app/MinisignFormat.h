// The text files of minisign: public keys, signatures and unencrypted secret keys. Makers
// sign with that tool or with msktool; both read and write the same files. The parsers are
// strict (exact base64 lengths, known algorithm ids, the comment lines where they belong),
// since these files decide whether a package may replace the unit's program.
#pragma once

#include <string>
#include <vector>

#include "wce/cstring.h"
#include "wce/types.h"

constexpr DWORD kMinisignKeyIdSize = 8;
constexpr DWORD kMinisignPublicKeySize = 32;
constexpr DWORD kMinisignSecretKeySize = 64;
constexpr DWORD kMinisignSignatureSize = 64;
constexpr DWORD kMinisignHashSize = 64;  // BLAKE2b-512 of the signed file
// Longest comment lines accepted, the text after the prefix (minisign's own bounds).
constexpr DWORD kMinisignMaxComment = 1024;
constexpr DWORD kMinisignMaxTrustedComment = 8192;

constexpr const char* kMinisignUntrustedPrefix = "untrusted comment: ";
constexpr const char* kMinisignTrustedPrefix = "trusted comment: ";

struct MinisignPublicKey {
    BYTE keyId[kMinisignKeyIdSize];
    BYTE key[kMinisignPublicKeySize];
};

struct MinisignSecretKey {
    BYTE keyId[kMinisignKeyIdSize];
    BYTE key[kMinisignSecretKeySize];  // libsodium's seed + public key form
};

struct MinisignSignature {
    BOOL bPrehashed;  // "ED": over the file's BLAKE2b-512; "Ed" (legacy): over the file itself
    BYTE keyId[kMinisignKeyIdSize];
    BYTE signature[kMinisignSignatureSize];
    std::string trustedComment;  // the text after "trusted comment: "
    BYTE globalSignature[kMinisignSignatureSize];
};

// One or more public key files concatenated; blank lines may separate them. FALSE with the
// reason for anything else, an empty file included.
BOOL MinisignParsePublicKeys(const BYTE* pText, DWORD dwLength, std::vector<MinisignPublicKey>& keys,
                             CString& strProblem);
BOOL MinisignParseSignature(const BYTE* pText, DWORD dwLength, MinisignSignature& signature, CString& strProblem);
// Only keys stored without a password; an encrypted one is refused with that reason.
BOOL MinisignParseSecretKey(const BYTE* pText, DWORD dwLength, MinisignSecretKey& key, CString& strProblem);

// The key id as minisign prints it (16 hexadecimal digits, most significant byte first).
std::string MinisignKeyIdText(const BYTE keyId[kMinisignKeyIdSize]);
std::string MinisignFormatPublicKey(const MinisignPublicKey& key);
std::string MinisignFormatSecretKey(const MinisignSecretKey& key);
// A prehashed signature file; the comments must hold no line break.
std::string MinisignFormatSignature(const MinisignSignature& signature, const std::string& strUntrustedComment);
