// The drawing objects of a style: background color, background image items, font, text
// placement and the two filters. They hold bitmaps, colors and fonts through the holders,
// so copies name the same resources and acquire their own references on first use.
#pragma once

#include "JXGlobal.h"
#include "QuickString.h"
#include "WceUiLoadBitmap.h"
#include "WceUiLoadColor.h"
#include "WceUiLoadFont.h"
#include "wce/types.h"

class CWceUiGenericBitmap;

class CWceUiBgColorCtrl {
public:
    CWceUiBgColorCtrl();
    CWceUiBgColorCtrl(const CWceUiBgColorCtrl& other);
    CWceUiBgColorCtrl& operator=(const CWceUiBgColorCtrl& other);
    virtual ~CWceUiBgColorCtrl();

    // Both set has-color and clear transparent.
    void SetColor(LPCWSTR pColorID);
    void SetColor(COLORREF crColor);
    // Sets has-color and the transparent flag.
    void SetTransparent(BOOL bTransparent);
    BOOL IsHasBgColor() const { return m_bHasColor; }
    BOOL IsTransparent() const { return m_bTransparent; }
    // Logged as useless without a color or when transparent.
    COLORREF GetColor();
    const CWceUiLoadColor& GetLoadColor() const { return m_Color; }
    CWceUiLoadColor& GetLoadColor() { return m_Color; }
    void DoCopy(const CWceUiBgColorCtrl& other);

private:
    BOOL m_bHasColor;
    BOOL m_bTransparent;
    CWceUiLoadColor m_Color;
};

class CWceUiBgItem {
public:
    CWceUiBgItem();
    CWceUiBgItem(const CWceUiBgItem& other);
    CWceUiBgItem& operator=(const CWceUiBgItem& other);
    virtual ~CWceUiBgItem();

    void SetBitmapFromRes(LPCWSTR pBitmapID);
    CWceUiGenericBitmap* GetBitmap() { return m_Bitmap.GetBitmap(); }
    const CWceUiLoadBitmap& GetLoadBitmap() const { return m_Bitmap; }
    CWceUiLoadBitmap& GetLoadBitmap() { return m_Bitmap; }
    void FreeBmpRes() { m_Bitmap.FreeBmpRes(); }

    void SetName(LPCWSTR pBgItemName);
    LPCWSTR GetName() const { return m_strName; }
    void SetSrcRect(LPCRECT lpRect);
    void GetSrcRect(LPRECT lpRect) const;
    void SetDstRect(LPCRECT lpRect);
    void GetDstRect(LPRECT lpRect) const;
    // DT_RIGHT (2) wins over DT_CENTER (1), DT_VCENTER (4) over DT_BOTTOM (8); an axis
    // without any of its bits keeps its setting.
    void SetAlign(UINT nAlign);
    UINT GetAlign() const { return m_nAlign; }
    void SetZoom(BOOL bZoom) { m_bZoom = bZoom; }
    BOOL IsZoom() const { return m_bZoom; }
    void SetCommonIndex(int nCommonIndex) { m_nCommonIndex = nCommonIndex; }
    int GetCommonIndex() const { return m_nCommonIndex; }
    void DoCopy(const CWceUiBgItem& other);

private:
    friend class CWceUiBgItemCtrl;

    CWceUiLoadBitmap m_Bitmap;
    CQuickString m_strName;
    RECT m_rcSrc;
    RECT m_rcDst;
    UINT m_nAlign;
    BOOL m_bZoom;
    int m_nCommonIndex;
    // The list's links.
    CWceUiBgItem* m_pPre;
    CWceUiBgItem* m_pNext;
};

// An ordered list that owns its items; the head is painted first.
class CWceUiBgItemCtrl {
public:
    CWceUiBgItemCtrl();
    CWceUiBgItemCtrl(const CWceUiBgItemCtrl& other);
    CWceUiBgItemCtrl& operator=(const CWceUiBgItemCtrl& other);
    virtual ~CWceUiBgItemCtrl();

    int GetCount() const { return m_nCount; }
    CWceUiBgItem* GetHead() const { return m_pHead; }
    CWceUiBgItem* GetTail() const { return m_pTail; }
    CWceUiBgItem* GetNext(const CWceUiBgItem* pCurBgItem) const;
    CWceUiBgItem* GetPre(const CWceUiBgItem* pCurBgItem) const;
    // The first item of that name (exact comparison), or null.
    CWceUiBgItem* GetByName(LPCWSTR pName) const;

    // The list takes the new item, which must not be in a list.
    BOOL AddHead(CWceUiBgItem* pNewBgItem);
    BOOL AddTail(CWceUiBgItem* pNewBgItem);
    BOOL InsertBefore(CWceUiBgItem* pCurBgItem, CWceUiBgItem* pNewBgItem);
    BOOL InsertAfter(CWceUiBgItem* pCurBgItem, CWceUiBgItem* pNewBgItem);
    // Deletes the item.
    BOOL Remove(CWceUiBgItem* pDelBgItem);
    void RemoveAll();
    void FreeBmpRes();
    BOOL Contains(const CWceUiBgItem* pBgItem) const;
    void DoCopy(const CWceUiBgItemCtrl& other);
    // Exchanges the items of the two lists (no copies).
    void Swap(CWceUiBgItemCtrl& other);

private:
    BOOL impLink(CWceUiBgItem* pPre, CWceUiBgItem* pNext, CWceUiBgItem* pNewBgItem);

    CWceUiBgItem* m_pHead;
    CWceUiBgItem* m_pTail;
    int m_nCount;
};

class CWceUiFontCtrl {
public:
    CWceUiFontCtrl();
    CWceUiFontCtrl(const CWceUiFontCtrl& other);
    CWceUiFontCtrl& operator=(const CWceUiFontCtrl& other);
    virtual ~CWceUiFontCtrl();

    void SetFontFromRes(LPCWSTR pFontID);
    void SetFontFromHFONT(HFONT hFont);
    // Without a font set, the system font.
    HFONT GetFont() { return m_Font.GetFont(); }
    const CWceUiLoadFont& GetLoadFont() const { return m_Font; }
    CWceUiLoadFont& GetLoadFont() { return m_Font; }
    void Clean() { m_Font.Clean(); }
    void DoCopy(const CWceUiFontCtrl& other);

private:
    CWceUiLoadFont m_Font;
};

// The text rectangle (default: large) and DrawText format (default 0x25).
class CWceUiDrawTextCtrl {
public:
    enum : UINT { DEFAULT_FORMAT = 0x25 };

    CWceUiDrawTextCtrl();
    virtual ~CWceUiDrawTextCtrl() = default;
    CWceUiDrawTextCtrl(const CWceUiDrawTextCtrl&) = default;
    CWceUiDrawTextCtrl& operator=(const CWceUiDrawTextCtrl&) = default;

    void SetRect(LPCRECT lpRect);
    void GetRect(LPRECT lpRect) const;
    void SetFormat(UINT nFormat) { m_nFormat = nFormat; }
    UINT GetFormat() const { return m_nFormat; }
    void DoCopy(const CWceUiDrawTextCtrl& other) { *this = other; }

private:
    RECT m_rc;
    UINT m_nFormat;
};

// The layer's opacity: alpha -1 when not used.
class CWceUiAlphaFilterCtrl {
public:
    CWceUiAlphaFilterCtrl();
    virtual ~CWceUiAlphaFilterCtrl() = default;
    CWceUiAlphaFilterCtrl(const CWceUiAlphaFilterCtrl&) = default;
    CWceUiAlphaFilterCtrl& operator=(const CWceUiAlphaFilterCtrl&) = default;

    void SetFilter(BOOL bUse, int nAlpha);
    // The enabled flag; the alpha only when enabled (pnAlpha may be null).
    BOOL GetFilter(int* pnAlpha) const;
    BOOL IsEnabled() const { return m_bEnabled; }
    void DoCopy(const CWceUiAlphaFilterCtrl& other) { *this = other; }

private:
    int m_nAlpha;
    BOOL m_bEnabled;
};

// The layer's tint: a color by id or value, mixed in with alpha (-1 when not used).
class CWceUiMixColorFilterCtrl {
public:
    CWceUiMixColorFilterCtrl();
    CWceUiMixColorFilterCtrl(const CWceUiMixColorFilterCtrl& other);
    CWceUiMixColorFilterCtrl& operator=(const CWceUiMixColorFilterCtrl& other);
    virtual ~CWceUiMixColorFilterCtrl();

    void SetFilterFromRes(BOOL bUse, LPCWSTR pMixColor, int nAlpha);
    void SetFilter(BOOL bUse, COLORREF crColor, int nAlpha);
    // The enabled flag; color and alpha only when enabled (either may be null).
    BOOL GetFilter(COLORREF* pcrColor, int* pnAlpha);
    BOOL IsEnabled() const { return m_bEnabled; }
    const CWceUiLoadColor& GetLoadColor() const { return m_Color; }
    int GetAlpha() const { return m_nAlpha; }
    void DoCopy(const CWceUiMixColorFilterCtrl& other);

private:
    CWceUiLoadColor m_Color;
    int m_nAlpha;
    BOOL m_bEnabled;
};
