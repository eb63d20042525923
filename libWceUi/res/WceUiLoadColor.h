// A color named by id (shared through the color cache, acquired on first use) or a
// private value. A holder left without memory (logged) holds nothing and yields black and
// no brush.
#pragma once

#include "wce/gdi.h"
#include "wce/types.h"

class CWceUiColor;

class CWceUiLoadColor {
public:
    enum { SOURCE_RES = 100, SOURCE_APP = 101 };

    CWceUiLoadColor();  // black
    explicit CWceUiLoadColor(LPCWSTR pColorID);
    explicit CWceUiLoadColor(COLORREF crColor);
    CWceUiLoadColor(const CWceUiLoadColor& other);
    virtual ~CWceUiLoadColor();
    CWceUiLoadColor& operator=(const CWceUiLoadColor& other);

    // The same id again (ignoring case) changes nothing; otherwise the holder is cleaned and
    // keeps the id, acquiring nothing yet.
    void SetColor(LPCWSTR pColorID);
    void SetColor(COLORREF crColor);
    // Acquires the shared color on first use. An id that fails logs once and yields black
    // until the holder gets another id, is cleaned or copied.
    COLORREF GetColor();
    HBRUSH GetBrush();
    // Releases a shared color; afterwards SOURCE_APP with black.
    void Clean();

    int GetSource() const;
    // The id for SOURCE_RES, else empty.
    LPCWSTR GetColorID() const;
    // The private value (SOURCE_APP), without acquiring anything.
    COLORREF GetAppColor() const;

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    CWceUiColor* impAcquire();

    CData* m_pData;
};
