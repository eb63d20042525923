// Shared fonts: CWceUiFont, the font configuration files ("font\\" + id below the resource
// directory, key=value) and the font cache.
#pragma once

#include "JXResCache.h"
#include "wce/gdi.h"
#include "wce/gdi_text.h"
#include "wce/types.h"

class CJxConfDoc;

// A logical-font description (initially the system font's) and a handle made on first
// request.
class CWceUiFont {
public:
    CWceUiFont();
    explicit CWceUiFont(const LOGFONTW& lf);
    ~CWceUiFont();
    CWceUiFont(const CWceUiFont&) = delete;
    CWceUiFont& operator=(const CWceUiFont&) = delete;

    // A description equal to the current one keeps the handle; another drops it.
    void SetLogFont(const LOGFONTW& lf);
    const LOGFONTW& GetLogFont() const { return m_LogFont; }
    // Null when the platform cannot make the font.
    HFONT GetFont();

private:
    LOGFONTW m_LogFont;
    HFONT m_hFont;
};

// The system font's description (face name zero-filled after its end).
void JxGetSystemLogFont(LOGFONTW* pLogFont);
// Numeric fields and face names up to the terminator.
BOOL JxIsSameLogFont(const LOGFONTW& a, const LOGFONTW& b);
// A font configuration on top of the system font's description: numbers are an optional
// '-' and leading digits, saturated to 32 bits (byte fields keep the low 8 bits); the face
// name is cut to 31 units.
void JxReadFontConf(const CJxConfDoc& doc, LOGFONTW* pLogFont);
// Loads and reads a font configuration file; FALSE (logged) when it does not load.
BOOL JxLoadFontConfFile(LPCWSTR pFontConfPath, LOGFONTW* pLogFont);

class CJxFontResLoader : public CJxResCache {
public:
    CJxFontResLoader();
    ~CJxFontResLoader() override;

    // A '/' in the id counts as '\\'.
    CWceUiFont* GetFont(LPCWSTR pFontID);
    BOOL ReleaseFont(CWceUiFont* pFont);
    // Reads every cached font's configuration again into its CWceUiFont.
    BOOL ChangeSkin();

private:
    void* impLoad(LPCWSTR pID) override;
    void impDelete(void* pObject) override;
};

CWceUiFont* WceUiGetFont(LPCWSTR pFontID);
void WceUiReleaseFont(CWceUiFont* pFont);
