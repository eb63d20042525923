// DIB sections, brushes and memory device contexts, kept in a table of their own. Keys are
// 2 modulo 4, so they never equal a kernel handle (multiples of 4).
#include "gdi_objects.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "wce/files.h"

namespace wce::detail {
namespace {

enum class Kind { Bitmap, Brush, Dc };

struct GdiObject {
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;
};

struct DibObject : GdiObject {
    DibObject() : GdiObject(Kind::Bitmap) {}
    ~DibObject() override { std::free(surface.bits); }
    Surface surface;
    int selections = 0;  // device contexts holding it
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(Kind::Brush) {}
    COLORREF color = 0;
    int selections = 0;
};

struct DcObject : GdiObject {
    DcObject() : GdiObject(Kind::Dc) {}
    std::uintptr_t bitmap = 0;
    std::uintptr_t brush = 0;
};

// Sizes past this are refused before anything is allocated.
constexpr std::int64_t kMaxDibBytes = 0x40000000;  // 1 GiB

struct Table {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
    std::uintptr_t next = 0x40000002;
    std::uintptr_t stockBitmap = 0;
    std::uintptr_t stockBrush = 0;

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
    void* bits = std::aligned_alloc(64, allocated);
    if (!bits) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memset(bits, 0, allocated);
    auto dib = std::make_unique<DibObject>();
    dib->surface.bits = static_cast<BYTE*>(bits);
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
        auto brush = std::make_unique<BrushObject>();
        brush->color = RGB(255, 255, 255);
        brush->stock = true;
        t->stockBrush = t->Add(std::move(brush));
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

}  // namespace

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

bool GetAnySurface(HANDLE handle, Surface& surface)
{
    return GetDcSurface(static_cast<HDC>(handle), surface) || GetBitmapSurface(static_cast<HBITMAP>(handle), surface);
}

bool GetBrushColor(HBRUSH hBrush, COLORREF& color)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    BrushObject* brush = table.Find<BrushObject>(Key(hBrush), Kind::Brush);
    if (!brush) return false;
    color = brush->color;
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
    dc->bitmap = table.stockBitmap;
    dc->brush = table.stockBrush;
    return reinterpret_cast<HDC>(table.Add(std::move(dc)));
}

BOOL DeleteDC(HDC hdc)
{
    std::unique_ptr<GdiObject> doomed;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    DcObject* dc = table.Find<DcObject>(Key(hdc), Kind::Dc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (DibObject* dib = table.Find<DibObject>(dc->bitmap, Kind::Bitmap)) --dib->selections;
    if (BrushObject* brush = table.Find<BrushObject>(dc->brush, Kind::Brush)) --brush->selections;
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
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::uintptr_t key = Key(hObject);
    if (DibObject* dib = table.Find<DibObject>(key, Kind::Bitmap)) {
        std::uintptr_t old = dc->bitmap;
        if (DibObject* oldDib = table.Find<DibObject>(old, Kind::Bitmap)) --oldDib->selections;
        ++dib->selections;
        dc->bitmap = key;
        return reinterpret_cast<HGDIOBJ>(old);
    }
    if (BrushObject* brush = table.Find<BrushObject>(key, Kind::Brush)) {
        std::uintptr_t old = dc->brush;
        if (BrushObject* oldBrush = table.Find<BrushObject>(old, Kind::Brush)) --oldBrush->selections;
        ++brush->selections;
        dc->brush = key;
        return reinterpret_cast<HGDIOBJ>(old);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ hObject)
{
    std::unique_ptr<GdiObject> doomed;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(Key(hObject));
    if (it == table.objects.end() || Kind::Dc == it->second->kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    GdiObject* object = it->second.get();
    if (object->stock) return TRUE;
    int selections = Kind::Bitmap == object->kind ? static_cast<DibObject*>(object)->selections
                                                  : static_cast<BrushObject*>(object)->selections;
    if (selections > 0) {
        // Still selected: deleting it would leave the device context drawing into freed memory.
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    doomed = std::move(it->second);
    table.objects.erase(it);
    return TRUE;
}

int GetObject(HGDIOBJ hObject, int cbBuffer, LPVOID pv)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::uintptr_t key = Key(hObject);
    if (DibObject* dib = table.Find<DibObject>(key, Kind::Bitmap)) {
        if (!pv) return static_cast<int>(sizeof(BITMAP));
        if (cbBuffer < static_cast<int>(sizeof(BITMAP))) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        BITMAP bm{};
        bm.bmWidth = dib->surface.width;
        bm.bmHeight = dib->surface.height;
        bm.bmWidthBytes = dib->surface.stride;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(dib->surface.bitsPixel);
        bm.bmBits = dib->surface.bits;
        std::memcpy(pv, &bm, sizeof bm);
        return static_cast<int>(sizeof bm);
    }
    if (BrushObject* brush = table.Find<BrushObject>(key, Kind::Brush)) {
        if (!pv) return static_cast<int>(sizeof(LOGBRUSH));
        if (cbBuffer < static_cast<int>(sizeof(LOGBRUSH))) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        LOGBRUSH lb{BS_SOLID, brush->color, 0};
        std::memcpy(pv, &lb, sizeof lb);
        return static_cast<int>(sizeof lb);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

HBRUSH CreateSolidBrush(COLORREF crColor)
{
    auto brush = std::make_unique<BrushObject>();
    brush->color = crColor & 0x00FFFFFF;
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return reinterpret_cast<HBRUSH>(table.Add(std::move(brush)));
}
