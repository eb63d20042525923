#include "JXLoadRes.h"

#include "JXBmp.h"
#include "JXCheck.h"
#include "JXGlobalData.h"
#include "JXWriteLogFile.h"
#include "JxConfDoc.h"
#include "wce/wstring.h"

namespace {

const DWORD kNone = 0xFFFFFFFF;

BOOL IsBlank(WCHAR c) { return u' ' == c || u'\t' == c || u'\r' == c; }

// The value without the blanks a hand-edited line may end in.
int TrimmedLength(LPCWSTR pValue)
{
    int n = static_cast<int>(WStrLen(pValue));
    while (n > 0 && IsBlank(pValue[n - 1])) --n;
    return n;
}

// "true" or "false" in any case.
BOOL IsWord(LPCWSTR pValue, LPCWSTR pWord)
{
    int n = static_cast<int>(WStrLen(pWord));
    return n == TrimmedLength(pValue) && 0 == WStrNICmp(pValue, pWord, static_cast<size_t>(n));
}
BOOL IsFalse(LPCWSTR pValue) { return IsWord(pValue, u"false"); }

// One to six hexadecimal digits RRGGBB, turned into a COLORREF (0x00BBGGRR).
BOOL ParseTransColor(LPCWSTR pValue, COLORREF& cr)
{
    // Up to 8 digits: a COLORREF written whole; only the low 24 bits are a colour.
    int n = TrimmedLength(pValue);
    if (n < 1 || n > 8) return FALSE;
    DWORD v = 0;
    for (int i = 0; i < n; ++i) {
        WCHAR c = pValue[i];
        DWORD digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else return FALSE;
        v = (v << 4) | digit;
    }
    v &= 0xFFFFFF;
    cr = ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
    return TRUE;
}

// A decimal 0..255, leading zeros allowed.
BOOL ParseConstantAlpha(LPCWSTR pValue, DWORD& n)
{
    int nLength = TrimmedLength(pValue);
    if (nLength < 1) return FALSE;
    DWORD v = 0;
    for (int i = 0; i < nLength; ++i) {
        if (pValue[i] < u'0' || pValue[i] > u'9') return FALSE;
        v = v * 10 + (pValue[i] - u'0');
        if (v > 255) return FALSE;  // also keeps a long run of digits from overflowing
    }
    if (v > 255) return FALSE;
    n = v;
    return TRUE;
}

}  // namespace

CReadBitmapConfInfo::CReadBitmapConfInfo() { Reset(); }

void CReadBitmapConfInfo::Reset()
{
    m_strBitmapFullPath.Empty();
    m_strAlphaFullPath.Empty();
    m_crTrans = kNone;
    m_bPerPixelAlpha = FALSE;
    m_nConstantAlpha = kNone;
    m_bLoaded = FALSE;
}

BOOL CReadBitmapConfInfo::LoadBitmapConfFile(LPCWSTR pBitmapConfFile)
{
    Reset();
    if (!WCEUI_CHECK("CReadBitmapConfInfo::LoadBitmapConfFile", NULL != pBitmapConfFile)) return FALSE;
    CJxConfDoc doc;
    if (!doc.LoadFile(pBitmapConfFile, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"can not load file %s", pBitmapConfFile);
        return FALSE;
    }
    return impLoad(doc, pBitmapConfFile);
}

BOOL CReadBitmapConfInfo::LoadBitmapConfData(const BYTE* pData, DWORD nSize, LPCWSTR pBitmapConfFile)
{
    Reset();
    if (!WCEUI_CHECK("CReadBitmapConfInfo::LoadBitmapConfData", NULL != pBitmapConfFile)) return FALSE;
    CJxConfDoc doc;
    if (!doc.LoadData(pData, nSize, pBitmapConfFile, FALSE)) {
        JxWriteLogW(JX_LOG_ERROR, u"can not load file %s", pBitmapConfFile);
        return FALSE;
    }
    return impLoad(doc, pBitmapConfFile);
}

BOOL CReadBitmapConfInfo::impLoad(const CJxConfDoc& doc, LPCWSTR pBitmapConfFile)
{
    LPCWSTR pSrc = doc.GetValue(u"src");
    if (NULL == pSrc) {
        JxWriteLogW(JX_LOG_ERROR, u"Load %s failed no src item", pBitmapConfFile);
        return FALSE;
    }
    CQuickString strDir;
    if (!JxGetDirPathFromFilePath(strDir, pBitmapConfFile) || !JxGetRealPath(m_strBitmapFullPath, pSrc, strDir)) {
        JxWriteLogW(JX_LOG_ERROR, u"Load %s failed, can not resolve src %s", pBitmapConfFile, pSrc);
        Reset();
        return FALSE;
    }

    LPCWSTR pPerPixel = doc.GetValue(u"pa");
    if (pPerPixel && IsWord(pPerPixel, u"true")) {
        m_strAlphaFullPath = m_strBitmapFullPath;
        if (!GetAlphaPathFromBmpPath(m_strAlphaFullPath)) {
            JxWriteLogW(JX_LOG_ERROR, u"Load %s failed, pa needs a src ending in .bmp", pBitmapConfFile);
            Reset();
            return FALSE;
        }
        m_bPerPixelAlpha = TRUE;
    }

    LPCWSTR pTrans = doc.GetValue(u"tc");
    if (pTrans && !IsFalse(pTrans) && !ParseTransColor(pTrans, m_crTrans)) {
        JxWriteLogW(JX_LOG_ERROR, u"invalid tc in %s", pBitmapConfFile);
        Reset();
        return FALSE;
    }

    LPCWSTR pAlpha = doc.GetValue(u"ca");
    if (pAlpha && !IsFalse(pAlpha) && !ParseConstantAlpha(pAlpha, m_nConstantAlpha)) {
        JxWriteLogW(JX_LOG_ERROR, u"invalid ca in %s", pBitmapConfFile);
        Reset();
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

LPCWSTR CReadBitmapConfInfo::GetBitmapFullPath() const
{
    if (!WCEUI_CHECK("CReadBitmapConfInfo::GetBitmapFullPath", m_bLoaded)) return NULL;
    return m_strBitmapFullPath;
}

LPCWSTR CReadBitmapConfInfo::GetAlphaFullPath() const
{
    if (!WCEUI_CHECK("CReadBitmapConfInfo::GetAlphaFullPath", m_bLoaded)) return NULL;
    return m_strAlphaFullPath;
}

BOOL CReadBitmapConfInfo::HasPerPixelAlpha() const
{
    if (!WCEUI_CHECK("CReadBitmapConfInfo::HasPerPixelAlpha", m_bLoaded)) return FALSE;
    return m_bPerPixelAlpha;
}

BOOL CReadBitmapConfInfo::GetTransColor(COLORREF* pcr) const
{
    if (!WCEUI_CHECK("CReadBitmapConfInfo::GetTransColor", m_bLoaded && NULL != pcr)) return FALSE;
    *pcr = m_crTrans;
    return kNone != m_crTrans;
}

BOOL CReadBitmapConfInfo::GetConstantAlpha(DWORD* pn) const
{
    if (!WCEUI_CHECK("CReadBitmapConfInfo::GetConstantAlpha", m_bLoaded && NULL != pn)) return FALSE;
    *pn = m_nConstantAlpha;
    return kNone != m_nConstantAlpha;
}
