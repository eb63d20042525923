// What the XML document's files share: its class name for messages and the comparison of
// names, which ignores case.
#pragma once

#include <cstddef>

#include "wce/types.h"
#include "wce/wstring.h"

const WCHAR kXmlDocClass[] = u"CWceUiXmlDoc";

// Names are nearly always ASCII: fold those here, the rest as the platform does.
inline WCHAR FoldNameUnit(WCHAR c)
{
    if (c < 0x80) return u'A' <= c && c <= u'Z' ? static_cast<WCHAR>(c + 32) : c;
    return WCharLower(c);
}

// Names compare case-insensitively; most pairs are equal as written, so test that first.
inline bool SameNameUnit(WCHAR a, WCHAR b) { return a == b || FoldNameUnit(a) == FoldNameUnit(b); }

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
