// What the XML document's files share: its class name for messages and the comparison of
// names, which ignores case.
#pragma once

#include <cstddef>

#include "wce/types.h"
#include "wce/wstring.h"

const WCHAR kXmlDocClass[] = u"CWceUiXmlDoc";

// Names compare case-insensitively; most pairs are equal as written, so test that first.
inline bool SameNameUnit(WCHAR a, WCHAR b) { return a == b || WCharLower(a) == WCharLower(b); }

// pName (terminated) against the nLength units at pOther.
inline bool NameEquals(LPCWSTR pName, LPCWSTR pOther, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i)
        if (0 == pName[i] || !SameNameUnit(pName[i], pOther[i])) return false;
    return 0 == pName[nLength];
}

inline bool NameEquals(LPCWSTR pName, LPCWSTR pOther)
{
    for (; *pName; ++pName, ++pOther)
        if (!SameNameUnit(*pName, *pOther)) return false;
    return 0 == *pOther;
}
