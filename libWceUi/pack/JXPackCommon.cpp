#include "JXPackCommon.h"

DWORD GetPackKey(LPCWSTR password)
{
    DWORD h = kPackKeySeed;
    if (!password) return h;
    for (DWORD i = 0; password[i]; ++i) {
        DWORD c = password[i];
        switch (i % 4) {
        case 0: h += c; break;
        case 1: h |= c << 16; break;
        case 2: h *= c; break;
        default: h += c << 16; break;
        }
    }
    return h;
}

void JxScrambleWords(BYTE* block, size_t length, DWORD key)
{
    if (!block) return;
    const DWORD x = key ^ kPackScrambleMask;
    for (size_t i = 0; i + 4 <= length; i += 4) JxWriteLe32(block + i, JxReadLe32(block + i) ^ x);
}
