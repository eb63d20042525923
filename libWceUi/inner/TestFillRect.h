// The coverage mask of a paint pass: one byte per pixel of the dirty rectangle, 0 while
// uncovered and 0xFF once an opaque layer covers it. It counts the covered bytes as it
// fills, so knowing whether everything is covered never needs a rescan.
#pragma once

#include "wce/types.h"

class CTestFillRect {
public:
    CTestFillRect();
    ~CTestFillRect();
    CTestFillRect(const CTestFillRect&) = delete;
    CTestFillRect& operator=(const CTestFillRect&) = delete;

    BOOL Create(int nWidth, int nHeight);
    void Free();

    // Marks rc (mask coordinates, inside the mask) covered; TRUE when all is now covered.
    BOOL Fill(const RECT& rc);
    // TRUE when every byte of rc is covered.
    BOOL Test(const RECT& rc) const;
    BOOL IsAllCovered() const { return m_nCovered == m_nSize && m_nSize > 0; }

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    int m_nWidth;
    int m_nHeight;
    int m_nPitch;
    long long m_nSize;     // width x height: the bytes that can be covered
    long long m_nCovered;  // of those, how many are
    BYTE* m_pMask;
    BYTE* m_pRefRow;  // pitch bytes of 0xFF
};
