#include "TestFillRect.h"

#include <cstring>
#include <new>

#include "JXCheck.h"

CTestFillRect::CTestFillRect()
    : m_nWidth(0), m_nHeight(0), m_nPitch(0), m_nSize(0), m_nCovered(0), m_pMask(NULL), m_pRefRow(NULL)
{
}

CTestFillRect::~CTestFillRect() { Free(); }

BOOL CTestFillRect::Create(int nWidth, int nHeight)
{
    Free();
    if (!WCEUI_CHECK("CTestFillRect::Create", nWidth > 0)) return FALSE;
    if (!WCEUI_CHECK("CTestFillRect::Create", nHeight > 0)) return FALSE;
    int nPitch = (nWidth + 3) & ~3;
    size_t nBytes = static_cast<size_t>(nPitch) * static_cast<size_t>(nHeight);
    m_pMask = new (std::nothrow) BYTE[nBytes];
    m_pRefRow = new (std::nothrow) BYTE[nPitch];
    if (NULL == m_pMask || NULL == m_pRefRow) {
        Free();
        return FALSE;
    }
    for (int y = 0; y < nHeight; ++y) {
        BYTE* pRow = m_pMask + static_cast<size_t>(y) * nPitch;
        memset(pRow, 0, nWidth);
        memset(pRow + nWidth, 0xFF, nPitch - nWidth);
    }
    memset(m_pRefRow, 0xFF, nPitch);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nPitch = nPitch;
    m_nSize = static_cast<long long>(nWidth) * nHeight;
    m_nCovered = 0;
    return TRUE;
}

void CTestFillRect::Free()
{
    delete[] m_pMask;
    delete[] m_pRefRow;
    m_pMask = m_pRefRow = NULL;
    m_nWidth = m_nHeight = m_nPitch = 0;
    m_nSize = m_nCovered = 0;
}

BOOL CTestFillRect::Fill(const RECT& rc)
{
    if (NULL == m_pMask) return FALSE;
    if (0 == rc.left && 0 == rc.top && m_nWidth == rc.right && m_nHeight == rc.bottom) {
        memset(m_pMask, 0xFF, static_cast<size_t>(m_nPitch) * m_nHeight);
        m_nCovered = m_nSize;
        return TRUE;
    }
    int nWidth = rc.right - rc.left;
    for (int y = rc.top; y < rc.bottom; ++y) {
        BYTE* p = m_pMask + static_cast<size_t>(y) * m_nPitch + rc.left;
        int nFree = 0;
        for (int x = 0; x < nWidth; ++x) nFree += 0 == p[x];
        if (0 == nFree) continue;
        m_nCovered += nFree;
        memset(p, 0xFF, nWidth);
    }
    return IsAllCovered();
}

BOOL CTestFillRect::Test(const RECT& rc) const
{
    if (NULL == m_pMask) return FALSE;
    int nWidth = rc.right - rc.left;
    for (int y = rc.top; y < rc.bottom; ++y)
        if (0 != memcmp(m_pMask + static_cast<size_t>(y) * m_nPitch + rc.left, m_pRefRow, nWidth)) return FALSE;
    return TRUE;
}
