#include "TestFillRect.h"

#include <cstring>
#include <new>

#include "JXCheck.h"

namespace {

// Bits lo..hi-1 of a word (0 <= lo < hi <= 64).
inline std::uint64_t Span(int lo, int hi)
{
    std::uint64_t upper = hi >= 64 ? ~0ull : ((1ull << hi) - 1);
    return upper & ~((1ull << lo) - 1);
}

// Without a popcount instruction in the build's target, a few shifts beat the library call.
inline int CountBits(std::uint64_t v)
{
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

}  // namespace

CTestFillRect::CTestFillRect()
    : m_nWidth(0), m_nHeight(0), m_nWordsPerRow(0), m_nSize(0), m_nCovered(0), m_pBits(NULL), m_nCapacity(0)
{
}

CTestFillRect::~CTestFillRect() { Free(); }

BOOL CTestFillRect::Create(int nWidth, int nHeight)
{
    if (!WCEUI_CHECK("CTestFillRect::Create", nWidth > 0)) return FALSE;
    if (!WCEUI_CHECK("CTestFillRect::Create", nHeight > 0)) return FALSE;
    int nWords = (nWidth + 63) / 64;
    size_t nTotal = static_cast<size_t>(nWords) * static_cast<size_t>(nHeight);
    if (NULL == m_pBits || nTotal > m_nCapacity) {
        Free();
        m_pBits = new (std::nothrow) std::uint64_t[nTotal];
        if (NULL == m_pBits) return FALSE;
        m_nCapacity = nTotal;
    }
    memset(m_pBits, 0, nTotal * sizeof(std::uint64_t));
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nWordsPerRow = nWords;
    m_nSize = static_cast<long long>(nWidth) * nHeight;
    m_nCovered = 0;
    return TRUE;
}

void CTestFillRect::Free()
{
    delete[] m_pBits;
    m_pBits = NULL;
    m_nCapacity = 0;
    m_nWidth = m_nHeight = m_nWordsPerRow = 0;
    m_nSize = m_nCovered = 0;
}

BOOL CTestFillRect::Fill(const RECT& rc)
{
    if (NULL == m_pBits) return FALSE;
    if (0 == rc.left && 0 == rc.top && m_nWidth == rc.right && m_nHeight == rc.bottom) {
        // Everything is covered: the walk ends here, so the marks need not be written.
        m_nCovered = m_nSize;
        return TRUE;
    }
    const int w0 = rc.left >> 6, w1 = (rc.right - 1) >> 6;
    for (int y = rc.top; y < rc.bottom; ++y) {
        std::uint64_t* row = m_pBits + static_cast<size_t>(y) * m_nWordsPerRow;
        for (int w = w0; w <= w1; ++w) {
            int lo = w == w0 ? (rc.left & 63) : 0;
            int hi = w == w1 ? rc.right - (w << 6) : 64;
            std::uint64_t m = Span(lo, hi);
            std::uint64_t fresh = m & ~row[w];
            if (0 == fresh) continue;
            // Usually a word is all new or all covered already.
            m_nCovered += fresh == m ? hi - lo : CountBits(fresh);
            row[w] |= m;
        }
    }
    return IsAllCovered();
}

BOOL CTestFillRect::Test(const RECT& rc) const
{
    if (NULL == m_pBits) return FALSE;
    // Fewer marks in all than rc holds: rc cannot be covered.
    if (m_nCovered < static_cast<long long>(rc.right - rc.left) * (rc.bottom - rc.top)) return FALSE;
    if (m_nCovered == m_nSize) return TRUE;
    const int w0 = rc.left >> 6, w1 = (rc.right - 1) >> 6;
    for (int y = rc.top; y < rc.bottom; ++y) {
        const std::uint64_t* row = m_pBits + static_cast<size_t>(y) * m_nWordsPerRow;
        for (int w = w0; w <= w1; ++w) {
            int lo = w == w0 ? (rc.left & 63) : 0;
            int hi = w == w1 ? rc.right - (w << 6) : 64;
            std::uint64_t m = Span(lo, hi);
            if ((row[w] & m) != m) return FALSE;
        }
    }
    return TRUE;
}
