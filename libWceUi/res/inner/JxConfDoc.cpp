#include "JxConfDoc.h"

#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXWriteLogFile.h"
#include "JxFile.h"
#include "wce/format.h"
#include "wce/wstring.h"

namespace {

const WCHAR kClass[] = u"CJxConfDoc";

inline bool IsLineSpace(WCHAR c) { return u' ' == c || u'\t' == c || u'\r' == c; }

// The primes from 17 to 9973, sieved at compile time.
constexpr int kPrimeCount = 1223;
constexpr UINT kLargestPrime = 9973;

struct CPrimeTable {
    UINT primes[kPrimeCount];
    constexpr CPrimeTable() : primes()
    {
        bool composite[kLargestPrime + 1] = {};
        for (UINT d = 2; d * d <= kLargestPrime; ++d)
            if (!composite[d])
                for (UINT m = d * d; m <= kLargestPrime; m += d) composite[m] = true;
        int n = 0;
        for (UINT v = 17; v <= kLargestPrime; ++v)
            if (!composite[v] && n < kPrimeCount) primes[n++] = v;
    }
};
constexpr CPrimeTable kPrimeTable;
static_assert(17 == kPrimeTable.primes[0] && kLargestPrime == kPrimeTable.primes[kPrimeCount - 1],
              "the prime table runs from 17 to 9973");

}  // namespace

UINT CJxConfDoc::CalcHashTableSize(int nKeys)
{
    if (nKeys < 0) nKeys = 0;
    const UINT m = static_cast<UINT>(nKeys) + static_cast<UINT>(nKeys) / 4;
    if (m <= 17) return 17;
    if (nKeys >= 7978) return (m / 100) * 100 + 19;
    // The largest prime strictly below m (m is at most 9971 here).
    int nLow = 0;
    int nHigh = kPrimeCount - 1;
    while (nLow < nHigh) {
        int nMid = (nLow + nHigh + 1) / 2;
        if (kPrimeTable.primes[nMid] < m) nLow = nMid;
        else nHigh = nMid - 1;
    }
    return kPrimeTable.primes[nLow];
}

CJxConfDoc::CJxConfDoc() : m_pMemStr(NULL), m_bLoaded(FALSE), m_bEscape(FALSE) {}

CJxConfDoc::~CJxConfDoc() { Clean(); }

void CJxConfDoc::Clean()
{
    m_Map.RemoveAll();
    delete[] m_pMemStr;
    m_pMemStr = NULL;
    m_strPath.Empty();
    m_bLoaded = FALSE;
    m_bEscape = FALSE;
}

LPCWSTR CJxConfDoc::GetValue(LPCWSTR pKey) const
{
    if (!WCEUI_CHECK("CJxConfDoc::GetValue", m_bLoaded)) return NULL;
    if (!WCEUI_CHECK("CJxConfDoc::GetValue", NULL != pKey)) return NULL;
    const LPCWSTR* ppValue = m_Map.PLookup(pKey);
    return ppValue ? *ppValue : NULL;
}

LPCWSTR CJxConfDoc::GetValue(UINT nKey) const
{
    WCHAR szKey[16];
    WFormat(szKey, 16, u"%u", nKey);
    return GetValue(szKey);
}

BOOL CJxConfDoc::LoadFile(LPCWSTR pPath, BOOL bEscape)
{
    if (!WCEUI_CHECK("CJxConfDoc::LoadFile", NULL != pPath)) return FALSE;
    if (m_bLoaded) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile(%s), already loaded", kClass, pPath);
        return FALSE;
    }
    DWORD nSize = 0;
    BYTE* pData = WceUiReadFile(pPath, &nSize, CJxGVar::GetInstance()->GetCJxGlobalData()->GetPackPassword());
    if (NULL == pData) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile, Call WceUiReadFile %s fail", kClass, pPath);
        Clean();
        return FALSE;
    }
    BOOL bLoaded = LoadData(pData, nSize, pPath, bEscape);
    delete[] pData;
    return bLoaded;
}

BOOL CJxConfDoc::LoadData(const BYTE* pData, DWORD nSize, LPCWSTR pPath, BOOL bEscape)
{
    if (!WCEUI_CHECK("CJxConfDoc::LoadData", NULL != pPath)) return FALSE;
    if (!WCEUI_CHECK("CJxConfDoc::LoadData", NULL != pData || 0 == nSize)) return FALSE;
    if (m_bLoaded) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile(%s), already loaded", kClass, pPath);
        return FALSE;
    }
    if (nSize < 2 || (nSize & 1)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile, %s is not a valid UNICODE file, the length is %u", kClass, pPath,
                    static_cast<unsigned>(nSize));
        Clean();
        return FALSE;
    }
    if (0xFF != pData[0] || 0xFE != pData[1]) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile %s is not a valid UNICODE format file", kClass, pPath);
        Clean();
        return FALSE;
    }
    Clean();
    m_strPath = pPath;
    m_bEscape = bEscape;

    size_t nUnits = (nSize - 2) / 2;
    WCHAR* pText = new (std::nothrow) WCHAR[nUnits + 1];
    BOOL bParsed = FALSE;
    if (pText) {
        for (size_t i = 0; i < nUnits; ++i)
            pText[i] = static_cast<WCHAR>(pData[2 + 2 * i] | (pData[3 + 2 * i] << 8));
        pText[nUnits] = 0;
        bParsed = ParseStr(pText, static_cast<int>(WStrLen(pText)));
        delete[] pText;
    }
    if (!bParsed) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::LoadFile, Parse %s fail", kClass, pPath);
        Clean();
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

BOOL CJxConfDoc::PrePareLine(LPCWSTR pLine, LPCWSTR pLineEnd, LPCWSTR& pEqual, BOOL& bSlash) const
{
    pEqual = pLine;
    while (pEqual < pLineEnd && u'=' != *pEqual) ++pEqual;
    if (pEqual >= pLineEnd) return FALSE;
    bSlash = FALSE;
    if (m_bEscape)
        for (LPCWSTR p = pEqual + 1; p < pLineEnd && !bSlash; ++p) bSlash = u'\\' == *p;
    return TRUE;
}

// The key runs to the first '=' or space; only spaces may follow it before the '='.
BOOL CJxConfDoc::CopyKey(LPCWSTR pLine, LPCWSTR pEqual, LPWSTR pOut, int& nOut, LPCWSTR pFunction) const
{
    LPCWSTR pKeyEnd = pLine;
    while (pKeyEnd < pEqual && !IsLineSpace(*pKeyEnd)) ++pKeyEnd;
    for (LPCWSTR p = pKeyEnd; p < pEqual; ++p) {
        if (!IsLineSpace(*p)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::%s, Parse %s fail 2", kClass, pFunction, m_strPath.GetString());
            return FALSE;
        }
    }
    if (pKeyEnd == pLine) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::%s, Parse %s fail 3", kClass, pFunction, m_strPath.GetString());
        return FALSE;
    }
    int nKey = static_cast<int>(pKeyEnd - pLine);
    memcpy(pOut + nOut, pLine, static_cast<size_t>(nKey) * sizeof(WCHAR));
    nOut += nKey;
    pOut[nOut++] = 0;
    return TRUE;
}

BOOL CJxConfDoc::ParseLineNoSlash(LPCWSTR pLine, LPCWSTR pEqual, LPCWSTR pLineEnd, LPWSTR pOut, int& nOut,
                                  CPair& pair) const
{
    pair.nKey = nOut;
    if (!CopyKey(pLine, pEqual, pOut, nOut, u"ParseLineNoSlash")) return FALSE;
    LPCWSTR pValue = pEqual + 1;
    while (pValue < pLineEnd && IsLineSpace(*pValue)) ++pValue;
    pair.nValue = nOut;
    int nValue = static_cast<int>(pLineEnd - pValue);
    memcpy(pOut + nOut, pValue, static_cast<size_t>(nValue) * sizeof(WCHAR));
    nOut += nValue;
    pOut[nOut++] = 0;
    return TRUE;
}

BOOL CJxConfDoc::ParseLineWithSlash(LPCWSTR pLine, LPCWSTR pEqual, LPCWSTR pLineEnd, LPWSTR pOut, int& nOut,
                                    CPair& pair) const
{
    pair.nKey = nOut;
    if (!CopyKey(pLine, pEqual, pOut, nOut, u"ParseLineWithSlash")) return FALSE;
    LPCWSTR p = pEqual + 1;
    while (p < pLineEnd && IsLineSpace(*p)) ++p;
    pair.nValue = nOut;
    for (; p < pLineEnd; ++p) {
        WCHAR c = *p;
        if (u'\\' == c) {
            WCHAR next = p + 1 < pLineEnd ? p[1] : 0;
            switch (next) {
            case u'\\': c = u'\\'; break;
            case u'n': c = u'\n'; break;
            case u'r': c = u'\r'; break;
            case u't': c = u'\t'; break;
            default: {
                // A backslash that ends the line names no character.
                WCHAR szNext[2] = {next, 0};
                JxWriteLogW(JX_LOG_ERROR, u"%s::ParseLineWithSlash, Parse %s fail, \\%s is not valid", kClass,
                            m_strPath.GetString(), szNext);
                return FALSE;
            }
            }
            ++p;
        }
        pOut[nOut++] = c;
    }
    pOut[nOut++] = 0;
    return TRUE;
}

BOOL CJxConfDoc::ParseStr(LPCWSTR pText, int nLength)
{
    LPCWSTR pEnd = pText + nLength;
    int nLines = 1;
    for (LPCWSTR p = pText; p < pEnd; ++p)
        if (u'\n' == *p) ++nLines;

    // A pair takes at most its line and the line's end (or the terminator, for the last
    // line): key, NUL, value, NUL from "key=value\n".
    CPair* pPairs = new (std::nothrow) CPair[nLines];
    WCHAR* pOut = new (std::nothrow) WCHAR[static_cast<size_t>(nLength) + 1];
    int nPairs = 0;
    int nOut = 0;
    BOOL bParsed = NULL != pPairs && NULL != pOut;

    for (LPCWSTR pLine = pText; bParsed && pLine < pEnd;) {
        LPCWSTR pLineEnd = pLine;
        while (pLineEnd < pEnd && u'\n' != *pLineEnd) ++pLineEnd;
        LPCWSTR pNextLine = pLineEnd < pEnd ? pLineEnd + 1 : pEnd;
        if (pLineEnd < pEnd && pLineEnd > pLine && u'\r' == pLineEnd[-1]) --pLineEnd;

        LPCWSTR p = pLine;
        while (p < pLineEnd && IsLineSpace(*p)) ++p;
        pLine = pNextLine;
        if (p == pLineEnd || u';' == *p || u'[' == *p) continue;

        LPCWSTR pEqual = NULL;
        BOOL bSlash = FALSE;
        if (!PrePareLine(p, pLineEnd, pEqual, bSlash)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ParseStr, PrePareLine(%s) fail", kClass, m_strPath.GetString());
            bParsed = FALSE;
        } else if (bSlash) {
            if (!ParseLineWithSlash(p, pEqual, pLineEnd, pOut, nOut, pPairs[nPairs])) {
                JxWriteLogW(JX_LOG_ERROR, u"%s::ParseStr, ParseLineWithSlash(%s) fail", kClass, m_strPath.GetString());
                bParsed = FALSE;
            }
        } else if (!ParseLineNoSlash(p, pEqual, pLineEnd, pOut, nOut, pPairs[nPairs])) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ParseStr, ParseLineNoSlash(%s) fail", kClass, m_strPath.GetString());
            bParsed = FALSE;
        }
        if (bParsed) ++nPairs;
    }

    if (bParsed) {
        // Keep only the used part of the output.
        m_pMemStr = new (std::nothrow) WCHAR[nOut > 0 ? nOut : 1];
        bParsed = NULL != m_pMemStr && m_Map.InitHashTable(CalcHashTableSize(nPairs));
        if (bParsed && nOut > 0) memcpy(m_pMemStr, pOut, static_cast<size_t>(nOut) * sizeof(WCHAR));
    }
    for (int i = 0; bParsed && i < nPairs; ++i) {
        LPCWSTR pKey = m_pMemStr + pPairs[i].nKey;
        // The map holds one value per key: a second one would silently replace the first.
        if (m_Map.PLookup(pKey)) {
            JxWriteLogW(JX_LOG_ERROR, u"%s::ParseStr, key %.64s is not unique", kClass, pKey);
            bParsed = FALSE;
        } else {
            bParsed = m_Map.SetAt(pKey, m_pMemStr + pPairs[i].nValue);
        }
    }
    delete[] pPairs;
    delete[] pOut;
    return bParsed;
}
