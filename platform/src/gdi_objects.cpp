// The GDI's objects (DIB sections, brushes, fonts, regions, memory device contexts) in a
// table of their own, with the device contexts' selections, text state and clip. Keys are
// 2 modulo 4, so they never equal a kernel handle (multiples of 4).
#include "gdi_objects.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "wce/files.h"
#include "wce/host.h"
#include "wce/process.h"

namespace wce::detail {
namespace {

enum class Kind { Bitmap, Brush, Font, Region, Dc };

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;
    int selections = 0;  // device contexts holding it (bitmaps, brushes, fonts)
};

struct DibObject : GdiObject {
    DibObject() : GdiObject(Kind::Bitmap) {}
    ~DibObject() override { std::free(block); }
    void* block = nullptr;  // what was allocated; the pixels start some cache lines into it
    Surface surface;
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(Kind::Brush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(Kind::Font) {}
    LOGFONTW description{};
};

struct RegionObject : GdiObject {
    RegionObject() : GdiObject(Kind::Region) {}
    RECT rect{0, 0, 0, 0};
};

struct DcObject : GdiObject {
    DcObject() : GdiObject(Kind::Dc) {}
    std::uintptr_t bitmap = 0;
    std::uintptr_t brush = 0;
    std::uintptr_t font = 0;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    bool hasBase = false;
    RECT base{0, 0, 0, 0};
    bool hasRegion = false;
    RECT region{0, 0, 0, 0};
};

// Sizes past this are refused before anything is allocated.
constexpr std::int64_t kMaxDibBytes = 0x40000000;  // 1 GiB

struct Table {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
    std::uintptr_t next = 0x40000002;
    std::uintptr_t stockBitmap = 0;
    std::uintptr_t stockBrushes[NULL_BRUSH + 1] = {};
    std::uintptr_t systemFont = 0;

    std::uintptr_t Add(std::unique_ptr<GdiObject> object)
    {
        std::uintptr_t key = next;
        next += 4;
        objects.emplace(key, std::move(object));
        return key;
    }
    template <class T>
    T* Find(std::uintptr_t key, Kind kind)
    {
        auto it = objects.find(key);
        if (it == objects.end() || it->second->kind != kind) return nullptr;
        return static_cast<T*>(it->second.get());
    }
    GdiObject* FindAny(std::uintptr_t key)
    {
        auto it = objects.find(key);
        return it == objects.end() ? nullptr : it->second.get();
    }
    // Moves a device context's selection from one object to another of the same kind.
    void Reselect(std::uintptr_t& slot, std::uintptr_t key)
    {
        if (GdiObject* old = FindAny(slot)) --old->selections;
        if (GdiObject* object = FindAny(key)) ++object->selections;
        slot = key;
    }
};

std::unique_ptr<DibObject> NewDib(int width, int height, int bitsPixel)
{
    std::int64_t stride = ((static_cast<std::int64_t>(width) * bitsPixel + 31) >> 5) * 4;
    std::int64_t bytes = stride * height;
    if (width <= 0 || height <= 0 || bytes > kMaxDibBytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Aligned and rounded up so that vector loops may read whole blocks.
    std::size_t allocated = (static_cast<std::size_t>(bytes) + 63) & ~static_cast<std::size_t>(63);
    // Large blocks all start at one offset in a page, so the same pixel of two same-size
    // bitmaps would share its address modulo 4096, and a loop reading one while writing the
    // other stalls on the processor's false matches of those addresses (a blended column ran
    // 40 % slower). Each large bitmap starts a different number of cache lines in.
    static std::atomic<unsigned> s_nextLine{0};
    const std::size_t skip = allocated >= 64 * 1024 ? (s_nextLine++ % 61) * 64 : 0;
    void* block = std::aligned_alloc(64, allocated + skip);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    BYTE* bits = static_cast<BYTE*>(block) + skip;
    std::memset(bits, 0, allocated);
    auto dib = std::make_unique<DibObject>();
    dib->block = block;
    dib->surface.bits = bits;
    dib->surface.width = width;
    dib->surface.height = height;
    dib->surface.stride = static_cast<int>(stride);
    dib->surface.bitsPixel = bitsPixel;
    return dib;
}

Table& GetTable()
{
    static Table* table = [] {
        auto* t = new Table;  // never destroyed: handles may be released from static destructors
        auto bitmap = NewDib(1, 1, 32);
        bitmap->stock = true;
        t->stockBitmap = t->Add(std::move(bitmap));
        const COLORREF grays[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                  RGB(64, 64, 64), RGB(0, 0, 0), 0};
        for (int i = WHITE_BRUSH; i <= NULL_BRUSH; ++i) {
            auto brush = std::make_unique<BrushObject>();
            brush->color = grays[i];
            brush->hollow = NULL_BRUSH == i;
            brush->stock = true;
            t->stockBrushes[i] = t->Add(std::move(brush));
        }
        auto font = std::make_unique<FontObject>();
        font->description = SystemFontDescription();
        font->stock = true;
        t->systemFont = t->Add(std::move(font));
        return t;
    }();
    return *table;
}

std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// The masks follow a 40-byte header and sit at the same place inside the larger headers.
bool ReadMasks(const BITMAPINFO* pbmi, DWORD& red, DWORD& green, DWORD& blue)
{
    const BYTE* masks = reinterpret_cast<const BYTE*>(pbmi) + sizeof(BITMAPINFOHEADER);
    std::memcpy(&red, masks, 4);
    std::memcpy(&green, masks + 4, 4);
    std::memcpy(&blue, masks + 8, 4);
    return true;
}

bool IsSupportedFormat(const BITMAPINFO* pbmi)
{
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    DWORD r = 0, g = 0, b = 0;
    if (h.biSize < sizeof(BITMAPINFOHEADER)) return false;
    if (16 == h.biBitCount)
        return BI_BITFIELDS == h.biCompression && ReadMasks(pbmi, r, g, b) && 0xF800 == r && 0x07E0 == g &&
               0x001F == b;
    if (32 == h.biBitCount) {
        if (BI_RGB == h.biCompression) return true;
        return BI_BITFIELDS == h.biCompression && ReadMasks(pbmi, r, g, b) && 0xFF0000 == r && 0xFF00 == g &&
               0xFF == b;
    }
    return false;
}

RECT Ordered(int left, int top, int right, int bottom)
{
    return RECT{left < right ? left : right, top < bottom ? top : bottom, left < right ? right : left,
                top < bottom ? bottom : top};
}

int RegionType(const RECT& rc) { return IsRectEmpty(&rc) ? NULLREGION : SIMPLEREGION; }

RECT BitmapBounds(Table& table, const DcObject& dc)
{
    DibObject* dib = table.Find<DibObject>(dc.bitmap, Kind::Bitmap);
    return dib ? RECT{0, 0, dib->surface.width, dib->surface.height} : RECT{0, 0, 0, 0};
}

// bitmap ∩ base ∩ region: what every drawing call of the device context may touch.
RECT DcClip(Table& table, const DcObject& dc)
{
    RECT clip = BitmapBounds(table, dc);
    if (dc.hasBase) clip = IntersectClip(clip, dc.base);
    if (dc.hasRegion) clip = IntersectClip(clip, dc.region);
    return clip;
}

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

}  // namespace

RECT IntersectClip(const RECT& a, const RECT& b)
{
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
           a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.right <= r.left || r.bottom <= r.top) return RECT{0, 0, 0, 0};
    return r;
}

const LOGFONTW& SystemFontDescription()
{
    static const LOGFONTW description = [] {
        LOGFONTW lf{};
        lf.lfHeight = -16;
        lf.lfWeight = FW_NORMAL;
        const char16_t name[] = u"DejaVu Sans";
        std::memcpy(lf.lfFaceName, name, sizeof name);
        return lf;
    }();
    return description;
}

bool GetBitmapSurface(HBITMAP hBitmap, Surface& surface)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DibObject* dib = table.Find<DibObject>(Key(hBitmap), Kind::Bitmap);
    if (!dib) return false;
    surface = dib->surface;
    return true;
}

bool GetDcSurface(HDC hdc, Surface& surface)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return false;
    DibObject* dib = table.Find<DibObject>(dc->bitmap, Kind::Bitmap);
    if (!dib) return false;
    surface = dib->surface;
    return true;
}

bool GetDcTarget(HDC hdc, DcTarget& target)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return false;
    DibObject* dib = table.Find<DibObject>(dc->bitmap, Kind::Bitmap);
    if (!dib) return false;
    target.surface = dib->surface;
    target.clip = DcClip(table, *dc);
    return true;
}

bool SetDcBaseClip(HDC hdc, const RECT* base)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return false;
    dc->hasBase = base != nullptr;
    dc->base = base ? *base : RECT{0, 0, 0, 0};
    return true;
}

bool GetDcTextState(HDC hdc, DcTextState& state)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return false;
    FontObject* font = table.Find<FontObject>(dc->font, Kind::Font);
    state.font = font ? font->description : SystemFontDescription();
    state.textColor = dc->textColor;
    state.bkColor = dc->bkColor;
    state.bkMode = dc->bkMode;
    return true;
}

bool GetAnySurface(HANDLE handle, Surface& surface)
{
    return GetDcSurface(static_cast<HDC>(handle), surface) || GetBitmapSurface(static_cast<HBITMAP>(handle), surface);
}

bool GetBrushColor(HBRUSH hBrush, COLORREF& color, bool& hollow)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    BrushObject* brush = table.Find<BrushObject>(Key(hBrush), Kind::Brush);
    if (!brush) return false;
    color = brush->color;
    hollow = brush->hollow;
    return true;
}

}  // namespace wce::detail

using namespace wce::detail;

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT, void** ppvBits, HANDLE hSection, DWORD)
{
    if (ppvBits) *ppvBits = nullptr;
    if (!pbmi || hSection || !IsSupportedFormat(pbmi) || pbmi->bmiHeader.biHeight <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto dib = NewDib(pbmi->bmiHeader.biWidth, pbmi->bmiHeader.biHeight, pbmi->bmiHeader.biBitCount);
    if (!dib) return nullptr;
    BYTE* bits = dib->surface.bits;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    HBITMAP handle = reinterpret_cast<HBITMAP>(table.Add(std::move(dib)));
    if (ppvBits) *ppvBits = bits;
    return handle;
}

HDC CreateCompatibleDC(HDC hdc)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    if (hdc && !table.Find<DcObject>(Key(hdc), Kind::Dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto dc = std::make_unique<DcObject>();
    table.Reselect(dc->bitmap, table.stockBitmap);
    table.Reselect(dc->brush, table.stockBrushes[WHITE_BRUSH]);
    table.Reselect(dc->font, table.systemFont);
    return reinterpret_cast<HDC>(table.Add(std::move(dc)));
}

BOOL DeleteDC(HDC hdc)
{
    std::unique_ptr<GdiObject> doomed;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return Fail(ERROR_INVALID_HANDLE);
    table.Reselect(dc->bitmap, 0);
    table.Reselect(dc->brush, 0);
    table.Reselect(dc->font, 0);
    auto it = table.objects.find(Key(hdc));
    doomed = std::move(it->second);
    table.objects.erase(it);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ hObject)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    GdiObject* object = table.FindAny(Key(hObject));
    if (dc && object && Kind::Region == object->kind) {
        dc->hasRegion = true;
        dc->region = static_cast<RegionObject*>(object)->rect;
        return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(RegionType(DcClip(table, *dc))));
    }
    std::uintptr_t* slot = nullptr;
    if (dc && object) {
        if (Kind::Bitmap == object->kind) slot = &dc->bitmap;
        else if (Kind::Brush == object->kind) slot = &dc->brush;
        else if (Kind::Font == object->kind) slot = &dc->font;
    }
    if (!slot) {  // also a device context given as the object
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::uintptr_t old = *slot;
    table.Reselect(*slot, Key(hObject));
    return reinterpret_cast<HGDIOBJ>(old);
}

BOOL DeleteObject(HGDIOBJ hObject)
{
    std::unique_ptr<GdiObject> doomed;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(Key(hObject));
    if (it == table.objects.end() || Kind::Dc == it->second->kind) return Fail(ERROR_INVALID_HANDLE);
    GdiObject* object = it->second.get();
    if (object->stock) return TRUE;
    // Still selected: deleting it would leave the device context drawing with freed memory.
    if (object->selections > 0) return Fail(ERROR_INVALID_PARAMETER);
    doomed = std::move(it->second);
    table.objects.erase(it);
    return TRUE;
}

namespace {

template <class T>
int CopyOut(const T& value, int cbBuffer, LPVOID pv)
{
    if (!pv) return static_cast<int>(sizeof(T));
    if (cbBuffer < static_cast<int>(sizeof(T))) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(pv, &value, sizeof(T));
    return static_cast<int>(sizeof(T));
}

}  // namespace

int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID pv)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    GdiObject* object = table.FindAny(Key(hObject));
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    switch (object->kind) {
    case Kind::Bitmap: {
        const Surface& surface = static_cast<DibObject*>(object)->surface;
        BITMAP bm{};
        bm.bmWidth = surface.width;
        bm.bmHeight = surface.height;
        bm.bmWidthBytes = surface.stride;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(surface.bitsPixel);
        bm.bmBits = surface.bits;
        return CopyOut(bm, cbBuffer, pv);
    }
    case Kind::Brush: {
        auto* brush = static_cast<BrushObject*>(object);
        LOGBRUSH lb{brush->hollow ? static_cast<UINT>(BS_NULL) : static_cast<UINT>(BS_SOLID), brush->color, 0};
        return CopyOut(lb, cbBuffer, pv);
    }
    case Kind::Font: return CopyOut(static_cast<FontObject*>(object)->description, cbBuffer, pv);
    default: return Fail(ERROR_INVALID_HANDLE);
    }
}

HBRUSH CreateSolidBrush(COLORREF crColor)
{
    auto brush = std::make_unique<BrushObject>();
    brush->color = crColor & 0x00FFFFFF;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HBRUSH>(table.Add(std::move(brush)));
}

HGDIOBJ GetStockObject(int fnObject)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    if (fnObject >= WHITE_BRUSH && fnObject <= NULL_BRUSH)
        return reinterpret_cast<HGDIOBJ>(table.stockBrushes[fnObject]);
    if (SYSTEM_FONT == fnObject || DEFAULT_GUI_FONT == fnObject) return reinterpret_cast<HGDIOBJ>(table.systemFont);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HFONT CreateFontIndirectW(const LOGFONTW* lplf)
{
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGFONTW lf = *lplf;
    // INT_MIN has no magnitude: compare in 64 bits.
    std::int64_t height = lf.lfHeight, width = lf.lfWidth;
    if (height < -kMaxFontPixels || height > kMaxFontPixels || width < -kMaxFontPixels || width > kMaxFontPixels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (lf.lfWidth < 0) lf.lfWidth = -lf.lfWidth;
    if (lf.lfWeight < 0) lf.lfWeight = 0;
    if (lf.lfWeight > 1000) lf.lfWeight = 1000;
    // The name need not be terminated: keep what precedes a terminator in the first 31 units.
    bool ended = false;
    for (WCHAR& c : lf.lfFaceName) {
        if (!c) ended = true;
        if (ended) c = 0;
    }
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    auto font = std::make_unique<FontObject>();
    font->description = lf;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HFONT>(table.Add(std::move(font)));
}

// Text state -----------------------------------------------------------------------------

namespace {

// Runs fn on the device context under the lock; false (ERROR_INVALID_HANDLE) when bad.
template <class Fn>
bool WithDc(HDC hdc, Fn&& fn)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    fn(table, *dc);
    return true;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF crColor)
{
    COLORREF old = CLR_INVALID;
    WithDc(hdc, [&](Table&, DcObject& dc) {
        old = dc.textColor;
        dc.textColor = crColor & 0x00FFFFFF;
    });
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    COLORREF color = CLR_INVALID;
    WithDc(hdc, [&](Table&, DcObject& dc) { color = dc.textColor; });
    return color;
}

COLORREF SetBkColor(HDC hdc, COLORREF crColor)
{
    COLORREF old = CLR_INVALID;
    WithDc(hdc, [&](Table&, DcObject& dc) {
        old = dc.bkColor;
        dc.bkColor = crColor & 0x00FFFFFF;
    });
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    COLORREF color = CLR_INVALID;
    WithDc(hdc, [&](Table&, DcObject& dc) { color = dc.bkColor; });
    return color;
}

int SetBkMode(HDC hdc, int iBkMode)
{
    if (TRANSPARENT != iBkMode && OPAQUE != iBkMode) return Fail(ERROR_INVALID_PARAMETER);
    int old = 0;
    WithDc(hdc, [&](Table&, DcObject& dc) {
        old = dc.bkMode;
        dc.bkMode = iBkMode;
    });
    return old;
}

int GetBkMode(HDC hdc)
{
    int mode = 0;
    WithDc(hdc, [&](Table&, DcObject& dc) { mode = dc.bkMode; });
    return mode;
}

// Clip regions ----------------------------------------------------------------------------

HRGN CreateRectRgn(int nLeftRect, int nTopRect, int nRightRect, int nBottomRect)
{
    auto region = std::make_unique<RegionObject>();
    region->rect = Ordered(nLeftRect, nTopRect, nRightRect, nBottomRect);
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HRGN>(table.Add(std::move(region)));
}

HRGN CreateRectRgnIndirect(const RECT* lprc)
{
    if (!lprc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprc->left, lprc->top, lprc->right, lprc->bottom);
}

int SelectClipRgn(HDC hdc, HRGN hrgn)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) return Fail(ERROR_INVALID_HANDLE);
    if (hrgn) {
        RegionObject* region = table.Find<RegionObject>(Key(hrgn), Kind::Region);
        if (!region) return Fail(ERROR_INVALID_HANDLE);
        dc->hasRegion = true;
        dc->region = region->rect;
    } else {
        dc->hasRegion = false;
    }
    return RegionType(DcClip(table, *dc));
}

int IntersectClipRect(HDC hdc, int nLeftRect, int nTopRect, int nRightRect, int nBottomRect)
{
    int type = ERROR;
    WithDc(hdc, [&](Table& table, DcObject& dc) {
        RECT rect = Ordered(nLeftRect, nTopRect, nRightRect, nBottomRect);
        dc.region = dc.hasRegion ? IntersectClip(dc.region, rect) : rect;
        dc.hasRegion = true;
        type = RegionType(DcClip(table, dc));
    });
    return type;
}

int GetClipBox(HDC hdc, LPRECT lprc)
{
    if (!lprc) return Fail(ERROR_INVALID_PARAMETER);
    int type = ERROR;
    WithDc(hdc, [&](Table& table, DcObject& dc) {
        *lprc = DcClip(table, dc);
        type = RegionType(*lprc);
    });
    return type;
}

int GetDeviceCaps(HDC hdc, int nIndex)
{
    if (!WithDc(hdc, [](Table&, DcObject&) {})) return 0;
    switch (nIndex) {
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return wce::host::GetScreenBitsPerPixel();
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}
