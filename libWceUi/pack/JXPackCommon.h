// The password key and the directory scrambling shared by MSK update packages and .pack
// resource archives. Packages and archives are readable only by builds with these values.
#pragma once

#include "wce/types.h"

// Seed of the key derivation: also the key of an empty or absent password.
constexpr DWORD kPackKeySeed = 0x5A3C96E1u;
// Fixed mask XORed into every scrambled word together with the key.
constexpr DWORD kPackScrambleMask = 0x3B9AC6D5u;

DWORD GetPackKey(LPCWSTR password);

// XORs each whole little-endian 32-bit word of the block with key ^ kPackScrambleMask; a
// trailing 1 to 3 bytes stay as they are. Its own inverse.
void JxScrambleWords(BYTE* block, size_t length, DWORD key);

// Little-endian field access that needs no alignment.
inline DWORD JxReadLe32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

inline void JxWriteLe32(BYTE* p, DWORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

inline WCHAR JxReadLe16(const BYTE* p) { return static_cast<WCHAR>(p[0] | (p[1] << 8)); }
