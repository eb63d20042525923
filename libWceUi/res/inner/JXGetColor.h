// Shared colors: CWceUiColor, and the color cache that reads every color id from one table,
// "color\\wceui.color" below the resource directory (keys are ids, values 0xRRGGBB).
#pragma once

#include "JXResCache.h"
#include "JxConfDoc.h"
#include "wce/gdi.h"
#include "wce/types.h"

// A color value and a solid brush made on first request.
class CWceUiColor {
public:
    explicit CWceUiColor(COLORREF crColor = 0);
    ~CWceUiColor();
    CWceUiColor(const CWceUiColor&) = delete;
    CWceUiColor& operator=(const CWceUiColor&) = delete;

    COLORREF GetColor() const { return m_crColor; }
    // A different value drops the brush.
    void SetColor(COLORREF crColor);
    // Null when the platform cannot make one.
    HBRUSH GetBrush();

private:
    COLORREF m_crColor;
    HBRUSH m_hBrush;
};

class CJxColorResLoader : public CJxResCache {
public:
    CJxColorResLoader();
    ~CJxColorResLoader() override;

    CWceUiColor* GetColor(LPCWSTR pColorID);
    BOOL ReleaseColor(CWceUiColor* pColor);
    // Reads the table of the current resource directory and sets each cached color from it.
    BOOL ChangeSkin();

private:
    void* impLoad(LPCWSTR pID) override;
    void impDelete(void* pObject) override;
    // The table of the current resource directory, loaded when needed; null (logged) when
    // it does not load.
    const CJxConfDoc* impGetColorDoc();
    BOOL impReadColor(LPCWSTR pID, COLORREF* pcr);

    CJxConfDoc m_ColorDoc;
};

CWceUiColor* WceUiGetColor(LPCWSTR pColorID);
void WceUiReleaseColor(CWceUiColor* pColor);
