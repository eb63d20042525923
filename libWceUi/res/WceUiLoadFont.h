// A font named by id (shared through the font cache, acquired on first use) or a private
// font description. A holder left without memory (logged) holds nothing and yields no font.
#pragma once

#include "wce/gdi.h"
#include "wce/gdi_text.h"
#include "wce/types.h"

class CWceUiFont;

class CWceUiLoadFont {
public:
    enum { SOURCE_RES = 100, SOURCE_APP = 101 };

    CWceUiLoadFont();  // the system font
    explicit CWceUiLoadFont(LPCWSTR pFontID);
    // Described with the platform's object query; the system font when that fails (logged).
    explicit CWceUiLoadFont(HFONT hFont);
    explicit CWceUiLoadFont(const LOGFONTW* pLogFont);
    CWceUiLoadFont(const CWceUiLoadFont& other);
    virtual ~CWceUiLoadFont();
    CWceUiLoadFont& operator=(const CWceUiLoadFont& other);

    // The same id again (ignoring case) changes nothing; otherwise the holder is cleaned and
    // keeps the id, acquiring nothing yet.
    void SetFontFromRes(LPCWSTR pFontID);
    void SetFontFromHFONT(HFONT hFont);
    void SetFontFromLogFont(const LOGFONTW* pLogFont);
    // Acquires the shared font on first use. An id that fails logs once and yields the
    // system font until the holder gets another id, is cleaned or copied. Null only when
    // the platform can make no font.
    HFONT GetFont();
    // The description of the font in use (acquiring it).
    BOOL GetLogFont(LOGFONTW* pLogFont);
    // Releases a shared font; afterwards SOURCE_APP with the system font.
    void Clean();

    int GetSource() const;
    // The id for SOURCE_RES, else empty.
    LPCWSTR GetFontID() const;

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    CWceUiFont* impAcquire();
    void impSetFromHFONT(HFONT hFont, LPCWSTR pOperation);

    CData* m_pData;
};
