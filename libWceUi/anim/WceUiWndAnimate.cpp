#include "WceUiWndAnimate.h"

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "JXCheck.h"
#include "JXGlobal.h"
#include "JXWriteLogFile.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/timesync.h"
#include "wce/wstring.h"

struct CWceUiWndAnimateData {
    BOOL bEnable = TRUE;
    RECT rcAnimate = {-65535, -65535, 65535, 65535};
    int nFrameCount = 12;
    DWORD nFrameLength = 0;
    UINT nDirection = 0;
    WCHAR szName[64] = {};
};

namespace {

// The random candidates, filled here rather than by each kind's static registration, whose
// order across files C++ does not fix: rand() % count must pick the same kind on every build.
std::vector<std::u16string>& RandomList()
{
    static std::vector<std::u16string> s_list = {u"CWceUiBarnAni", u"CWceUiBlendAni", u"CWceUiSliderAni",
                                                 u"CWceUiComeAni", u"CWceUiGoAni"};
    return s_list;
}

const char16_t* const kDirectionTexts[] = {u"left",   u"right",  u"up",     u"down",
                                           u"lr-mid", u"mid-lr", u"ud-mid", u"mid-ud"};

}  // namespace

int CalcAnidisplacement(int nCurFrame, int nFrameCount, int nStotal)
{
    if (!WCEUI_CHECK("CalcAnidisplacement", ((nCurFrame >= 0) && (nCurFrame < nFrameCount)))) return 0;
    if (!WCEUI_CHECK("CalcAnidisplacement", nFrameCount > 0)) return 0;
    if (!WCEUI_CHECK("CalcAnidisplacement", nStotal > 0)) return 0;
    const int k = nCurFrame + 1;
    if (k == nFrameCount) return nStotal;
    int h = nFrameCount / 2;
    if (h < 1) h = 1;
    const double a = (double)nStotal / ((double)h * (double)h);
    double s;
    if (k <= h) {
        s = a * k * k / 2;
    } else {
        const double n = (double)(nFrameCount - k);
        s = nStotal - a * n * n / 2;
    }
    const double dTrunc = s < 0 ? 0 : s;  // truncation toward zero; below 1 gives 0 anyway
    int nResult = dTrunc >= nStotal ? nStotal : (int)dTrunc;
    return nResult < 1 ? 0 : nResult;
}

// Without the record an animation is disabled, has no frames and never plays.
CWceUiWndAnimate::CWceUiWndAnimate() : m_pData(new (std::nothrow) CWceUiWndAnimateData)
{
    WCEUI_CHECK("CWceUiWndAnimate::CWceUiWndAnimate", NULL != m_pData);
}

CWceUiWndAnimate::CWceUiWndAnimate(DWORD nFrameLength, UINT nDirection) : CWceUiWndAnimate()
{
    if (!m_pData) return;
    m_pData->nFrameLength = nFrameLength;
    m_pData->nDirection = nDirection;
}

CWceUiWndAnimate::~CWceUiWndAnimate() { delete m_pData; }

BOOL CWceUiWndAnimate::Init(CWceUiXmlElem* pElem)
{
    if (!WCEUI_CHECK("CWceUiWndAnimate::Init", NULL != pElem)) return FALSE;
    SetName(pElem->GetTagName());
    if (LPCWSTR pCount = pElem->GetAttribute(u"frame-count")) SetFrameCount(JxParseDecimal(pCount));
    if (LPCWSTR pRect = pElem->GetAttribute(u"rect")) {
        RECT rc;
        if (!ConvertRectStrToRect(pRect, &rc)) {
            JxWriteLogW(JX_LOG_ERROR, u"CWceUiWndAnimate::Init, Convert %s to RECT failed", pRect);
            return FALSE;
        }
        SetRect(rc);
    }
    return TRUE;
}

BOOL CWceUiWndAnimate::ReStart(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                               CWceUiGenericBitmap* pToBitmap)
{
    if (!CheckParameter(pMixedBitmap, pFromBitmap, pToBitmap)) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiWndAnimate::ReStart, CheckParameter failed");
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiWndAnimate::SetName(LPCWSTR pName)
{
    if (!WCEUI_CHECK("CWceUiWndAnimate::SetName", NULL != pName) || !m_pData) return FALSE;
    const int nMax = (int)(sizeof(m_pData->szName) / sizeof(m_pData->szName[0])) - 1;
    int i = 0;
    for (; i < nMax && pName[i]; ++i) m_pData->szName[i] = pName[i];
    m_pData->szName[i] = 0;
    return TRUE;
}

LPCWSTR CWceUiWndAnimate::GetName() const { return m_pData ? m_pData->szName : u""; }

void CWceUiWndAnimate::SetFrameCount(int nFrameCount)
{
    WCEUI_CHECK("CWceUiWndAnimate::SetFrameCount", nFrameCount > 0);
    if (m_pData) m_pData->nFrameCount = nFrameCount;
}

int CWceUiWndAnimate::GetFrameCount() const { return m_pData ? m_pData->nFrameCount : 0; }
void CWceUiWndAnimate::SetRect(const RECT& rc)
{
    if (m_pData) m_pData->rcAnimate = rc;
}
void CWceUiWndAnimate::GetRect(RECT& rc) const { rc = GetRect(); }
const RECT& CWceUiWndAnimate::GetRect() const
{
    static const RECT kEmpty = {0, 0, 0, 0};
    return m_pData ? m_pData->rcAnimate : kEmpty;
}
void CWceUiWndAnimate::SetEnable(BOOL bEnable)
{
    if (m_pData) m_pData->bEnable = bEnable;
}
BOOL CWceUiWndAnimate::IsEnable() const { return m_pData ? m_pData->bEnable : FALSE; }
void CWceUiWndAnimate::SetFrameLength(DWORD nFrameLength)
{
    if (m_pData) m_pData->nFrameLength = nFrameLength;
}
DWORD CWceUiWndAnimate::GetFrameLength() const { return m_pData ? m_pData->nFrameLength : 0; }
void CWceUiWndAnimate::SetDirection(UINT nDirection)
{
    if (m_pData) m_pData->nDirection = nDirection;
}
UINT CWceUiWndAnimate::GetDirection() const { return m_pData ? m_pData->nDirection : 0; }

BOOL CWceUiWndAnimate::CheckParameter(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                                      CWceUiGenericBitmap* pToBitmap)
{
    const char* const op = "CWceUiWndAnimate::CheckParameter";
    if (!WCEUI_CHECK(op, NULL != m_pData)) return FALSE;
    if (!WCEUI_CHECK(op, NULL != pMixedBitmap) || !WCEUI_CHECK(op, pMixedBitmap->IsLoaded())) return FALSE;
    if (!WCEUI_CHECK(op, NULL != pFromBitmap) || !WCEUI_CHECK(op, pFromBitmap->IsLoaded())) return FALSE;
    if (!WCEUI_CHECK(op, NULL != pToBitmap) || !WCEUI_CHECK(op, pToBitmap->IsLoaded())) return FALSE;
    if (pMixedBitmap->GetWidth() != pFromBitmap->GetWidth() || pMixedBitmap->GetHeight() != pFromBitmap->GetHeight()) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiWndAnimate::CheckParameter, the size of pMixedBitmap is not equal pFromBitmap");
        return FALSE;
    }
    if (pFromBitmap->GetWidth() != pToBitmap->GetWidth() || pFromBitmap->GetHeight() != pToBitmap->GetHeight()) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiWndAnimate::CheckParameter, the size of pFromBitmap is not equal pToBitmap");
        return FALSE;
    }
    const RECT rcWndBitmap = {0, 0, pMixedBitmap->GetWidth(), pMixedBitmap->GetHeight()};
    RECT rc;
    if (!IntersectRect(&rc, &m_pData->rcAnimate, &rcWndBitmap)) {
        JxWriteLogW(JX_LOG_ERROR,
                    u"In CWceUiWndAnimate::CheckParameter, there is no IntersectRect in m_rcAnimate and rcWndBitmap");
        return FALSE;
    }
    if (GetFrameCount() < 1) {
        JxWriteLogW(JX_LOG_ERROR, u"In CWceUiWndAnimate::CheckParameter, GetFrameCount() must equal or more than 1");
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiWndAnimate::impPlay(LPCWSTR pClassName, CWceUiGenericBitmap* pMixedBitmap,
                               CWceUiGenericBitmap* pFromBitmap, CWceUiGenericBitmap* pToBitmap, int nCurFrame,
                               DWORD* lpPlayTime)
{
    std::string strOp;
    try {
        strOp = WideToUtf8(pClassName) + "::Play";
    } catch (const std::bad_alloc&) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Play failed, no memory", pClassName);
        return FALSE;
    }
    if (!WCEUI_CHECK(strOp.c_str(), NULL != lpPlayTime)) return FALSE;
    if (!WCEUI_CHECK(strOp.c_str(), nCurFrame < GetFrameCount())) return FALSE;
    // A negative frame would draw a travel of 0 or an alpha of 0 as if it were a frame.
    if (!WCEUI_CHECK(strOp.c_str(), nCurFrame >= 0)) return FALSE;
    if (!CheckParameter(pMixedBitmap, pFromBitmap, pToBitmap)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Play failed, CheckParameter return FALSE", pClassName);
        return FALSE;
    }
    const RECT rcWndBitmap = {0, 0, pMixedBitmap->GetWidth(), pMixedBitmap->GetHeight()};
    RECT rc;
    if (!IntersectRect(&rc, &m_pData->rcAnimate, &rcWndBitmap)) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Play failed, no valid rect", pClassName);
        return FALSE;
    }
    if (nCurFrame + 1 == GetFrameCount())
        impCopy(pMixedBitmap, pToBitmap, rc.left, rc.top, rc.right, rc.bottom, rc.left, rc.top);
    else if (!impDrawFrame(pMixedBitmap, pFromBitmap, pToBitmap, nCurFrame, rc))
        return FALSE;
    *lpPlayTime = m_pData->nFrameLength;
    return TRUE;
}

BOOL CWceUiWndAnimate::impDrawFrame(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int,
                                    const RECT&)
{
    return TRUE;
}

BOOL CWceUiWndAnimate::impInitKind(LPCWSTR pClassName, CWceUiXmlElem* pElem, DWORD dwDirections)
{
    if (!CWceUiWndAnimate::Init(pElem)) {
        JxWriteLogW(JX_LOG_ERROR, u"In %s::Init, CWceUiWndAnimate::Init return FALSE", pClassName);
        return FALSE;
    }
    if (dwDirections && !impReadDirection(pClassName, pElem, dwDirections)) return FALSE;
    return impReadFrameLength(pClassName, pElem);
}

void CWceUiWndAnimate::impSetDirection(LPCWSTR pClassName, DWORD dwDirections, UINT nDirection)
{
    if (nDirection > 8 || 0 == (dwDirections & (1u << nDirection))) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SetDirection, direction is ivalid, use default right", pClassName);
        nDirection = WCEUI_ANIMATE_RIGHT;
    }
    if (m_pData) m_pData->nDirection = nDirection;
}

BOOL CWceUiWndAnimate::impReadFrameLength(LPCWSTR pClassName, CWceUiXmlElem* pElem)
{
    LPCWSTR pText = pElem->GetAttribute(u"frame-length");
    if (!pText) return TRUE;
    const int nLength = JxParseDecimal(pText);
    if (nLength < 1) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::Init, the frame-length %s is not valid", pClassName, pText);
        return FALSE;
    }
    SetFrameLength((DWORD)nLength);
    return TRUE;
}

BOOL CWceUiWndAnimate::impReadDirection(LPCWSTR pClassName, CWceUiXmlElem* pElem, DWORD dwValidMask)
{
    LPCWSTR pText = pElem->GetAttribute(u"direction");
    if (!pText) return TRUE;
    for (UINT n = 1; n <= 8; ++n) {
        if (0 == WStrICmp(pText, kDirectionTexts[n - 1]) && (dwValidMask & (1u << n))) {
            if (m_pData) m_pData->nDirection = n;
            return TRUE;
        }
    }
    JxWriteLogW(JX_LOG_ERROR, u"%s::Init, the direction %s is not valid", pClassName, pText);
    return FALSE;
}

int CWceUiWndAnimate::impTravel(int nCurFrame, int nFrameCount, int nTotal)
{
    return nTotal > 0 ? CalcAnidisplacement(nCurFrame, nFrameCount, nTotal) : 0;
}

void CWceUiWndAnimate::impCopy(CWceUiGenericBitmap* pDst, CWceUiGenericBitmap* pSrc, int l, int t, int r, int b,
                               int x, int y)
{
    if (r <= l || b <= t) return;
    pDst->BitBlt(x, y, r - l, b - t, pSrc, l, t, SRCCOPY);
}

CWceUiWndAnimate* CWceUiWndAnimate::GetRandomAnimate()
{
    static bool s_bSeeded = false;
    if (!s_bSeeded) {
        std::srand((unsigned)GetTickCount());
        s_bSeeded = true;
    }
    const std::vector<std::u16string>& list = RandomList();
    if (list.empty()) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiWndAnimate::GetRandomAnimate failed, no animate is registered");
        return NULL;
    }
    const std::u16string& strName = list[(size_t)std::rand() % list.size()];
    CWceUiObject* pObject = WceUiCreateObject(strName.c_str());
    if (!pObject) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiWndAnimate::GetRandomAnimate failed, can not create %s", strName.c_str());
        return NULL;
    }
    CWceUiObject* pAnimate = pObject;
    if (!WCEUI_CHECK("CWceUiWndAnimate::GetRandomAnimate", pAnimate->IsKindOf(WCEUI_CLASS_NAME(CWceUiWndAnimate)))) {
        delete pObject;
        return NULL;
    }
    CWceUiWndAnimate* pResult = static_cast<CWceUiWndAnimate*>(pObject);
    pResult->SetRandomParameter();
    return pResult;
}

BOOL CWceUiWndAnimate::RegisterRandomAnimate(LPCWSTR pClassName)
{
    if (!WCEUI_CHECK("CWceUiWndAnimate::RegisterRandomAnimate", NULL != pClassName && 0 != *pClassName)) return FALSE;
    std::vector<std::u16string>& list = RandomList();
    for (const std::u16string& str : list)
        if (str == pClassName) return FALSE;
    try {
        list.emplace_back(pClassName);
    } catch (const std::bad_alloc&) {
        JxWriteLogW(JX_LOG_ERROR, u"CWceUiWndAnimate::RegisterRandomAnimate %s failed, no memory", pClassName);
        return FALSE;
    }
    return TRUE;
}

BOOL CWceUiWndAnimate::UnregisterRandomAnimate(LPCWSTR pClassName)
{
    if (!pClassName) return FALSE;
    std::vector<std::u16string>& list = RandomList();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it == pClassName) {
            list.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

int CWceUiWndAnimate::GetRandomAnimateCount() { return (int)RandomList().size(); }

LPCWSTR CWceUiWndAnimate::GetRandomAnimateName(int nIndex)
{
    const std::vector<std::u16string>& list = RandomList();
    if (nIndex < 0 || nIndex >= (int)list.size()) return NULL;
    return list[(size_t)nIndex].c_str();
}
