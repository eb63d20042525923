// The coverage mask of a paint pass: one mark per pixel of the dirty rectangle, set once an
// opaque layer covers the pixel. The marks are bits, 64 to a word, so a full-window pass
// touches a few dozen kilobytes; the mask counts the marks it sets, so knowing whether
// everything is covered never needs a rescan.
#pragma once

#include <cstdint>
#include <cstddef>

#include "wce/types.h"

class CTestFillRect {
public:
    CTestFillRect();
    ~CTestFillRect();
    CTestFillRect(const CTestFillRect&) = delete;
    CTestFillRect& operator=(const CTestFillRect&) = delete;

    // All uncovered. The blocks of an earlier Create are reused when they fit.
    BOOL Create(int nWidth, int nHeight);
    void Free();

    // Marks rc (mask coordinates, inside the mask) covered; TRUE when all is now covered.
    BOOL Fill(const RECT& rc);
    // TRUE when every pixel of rc is covered.
    BOOL Test(const RECT& rc) const;
    BOOL IsAllCovered() const { return m_nCovered == m_nSize && m_nSize > 0; }

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    int m_nWidth;
    int m_nHeight;
    int m_nWordsPerRow;
    long long m_nSize;     // width x height
    long long m_nCovered;  // marks set so far
    std::uint64_t* m_pBits;
    size_t m_nCapacity;  // words
};
