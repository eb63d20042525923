// Signing packages on the build machine, in minisign's file formats: key pairs, signatures
// beside packages, and the unit's check of them on host paths. Used by msktool and the tests.
#pragma once

#include <string>

#include "MinisignFormat.h"

// Writes a new key pair. The secret key is stored without a password (readable by its owner
// only), which suits a build machine that signs unattended. Refuses to replace either file.
bool MakeSigningKeys(const std::string& publicPath, const std::string& secretPath, std::string& problem);
// BLAKE2b-512 of a host file, read in pieces.
bool HashHostFile(const std::string& path, BYTE hash[kMinisignHashSize], std::string& problem);
// Writes PACKAGE.minisig; the trusted comment names the package and the signing time.
bool SignPackage(const std::string& secretPath, const std::string& packagePath, std::string& problem);
// The unit's check: the package against PACKAGE.minisig and the keys in publicPath. On
// success trustedComment holds the signed comment.
bool VerifyPackageSignature(const std::string& publicPath, const std::string& packagePath,
                            std::string& trustedComment, std::string& problem);
