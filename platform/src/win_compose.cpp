// Window surfaces and the composed screen: black, then the shown top-level windows bottom to
// top, each followed by its children. Only a changed area is composed and presented.
#include <cstring>

#include "display_internal.h"
#include "win_internal.h"

namespace wce::detail {
namespace {

RECT g_pending{};  // screen area changed by showing, hiding, moving or restacking

struct Layer {
    Window* window;
    RECT visible;  // on the screen, clipped by the parents
};

void AddLayers(Window& w, const RECT& parentClip, std::vector<Layer>& out)
{
    if (!w.visible) return;
    RECT rc = ScreenRect(w);
    IntersectRect(&rc, &rc, &parentClip);
    out.push_back(Layer{&w, rc});
    for (HWND child : w.children)
        if (Window* c = FindWin(child)) AddLayers(*c, rc, out);
}

HBITMAP NewSurfaceBitmap(int width, int height, int bitsPixel)
{
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPixel);
    info.header.biCompression = 16 == bitsPixel ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
}

// Copies the rectangle src (in from's pixels) to (x, y) in to; callers clip. A window that
// outlived its display keeps the old depth until it is resized, so the depths may differ.
void CopyPixels(const Surface& from, const RECT& src, const Surface& to, int x, int y)
{
    const int cols = src.right - src.left;
    if (from.bitsPixel == to.bitsPixel) {
        int bytes = from.bitsPixel / 8;
        std::size_t rowBytes = static_cast<std::size_t>(cols) * bytes;
        for (int row = src.top; row < src.bottom; ++row)
            std::memcpy(to.Row(y + row - src.top) + static_cast<std::size_t>(x) * bytes,
                        from.Row(row) + static_cast<std::size_t>(src.left) * bytes, rowBytes);
        return;
    }
    for (int row = src.top; row < src.bottom; ++row) {
        const BYTE* in = from.Row(row);
        BYTE* out = to.Row(y + row - src.top);
        if (16 == from.bitsPixel) {
            auto* d = reinterpret_cast<std::uint32_t*>(out) + x;
            const auto* s = reinterpret_cast<const std::uint16_t*>(in) + src.left;
            for (int i = 0; i < cols; ++i) d[i] = Pixel565To32(s[i]);
        } else {
            auto* d = reinterpret_cast<std::uint16_t*>(out) + x;
            const auto* s = reinterpret_cast<const std::uint32_t*>(in) + src.left;
            for (int i = 0; i < cols; ++i) d[i] = Pixel32To565(s[i]);
        }
    }
}

RECT ScreenBounds()
{
    const Surface& s = Display().screen;
    return RECT{0, 0, s.width, s.height};
}

}  // namespace

HBITMAP NewScreenBitmap(int width, int height, int bitsPixel) { return NewSurfaceBitmap(width, height, bitsPixel); }

bool MakeSurface(Window& w, int width, int height, bool copyScreen)
{
    w.surface = nullptr;
    if (width <= 0 || height <= 0) return true;
    const Surface& screen = Display().screen;
    w.surface = NewSurfaceBitmap(width, height, screen.bitsPixel);
    if (!w.surface) return false;
    if (copyScreen) {
        // A new window starts as the picture beneath it, so that an unpainted window shows
        // nothing new.
        Surface mine;
        GetBitmapSurface(w.surface, mine);
        RECT onScreen = ScreenRect(w);
        RECT src{};
        RECT bounds{0, 0, screen.width, screen.height};
        if (IntersectRect(&src, &onScreen, &bounds))
            CopyPixels(screen, src, mine, src.left - onScreen.left, src.top - onScreen.top);
    }
    return true;
}

void FreeSurface(Window& w)
{
    if (w.surface) DeleteObject(w.surface);
    w.surface = nullptr;
}

void ResizeSurface(Window& w, int width, int height)
{
    HBITMAP old = w.surface;
    Surface before;
    bool hadPixels = old && GetBitmapSurface(old, before);
    MakeSurface(w, width, height, false);  // zeroed: black where the old picture does not reach
    Surface after;
    if (hadPixels && w.surface && GetBitmapSurface(w.surface, after)) {
        RECT keep{0, 0, std::min(before.width, after.width), std::min(before.height, after.height)};
        CopyPixels(before, keep, after, 0, 0);
    }
    for (HDC dc : w.dcs) SelectObject(dc, w.surface);
    if (old) DeleteObject(old);
}

void MarkScreenDirty(const RECT& screenRect)
{
    RECT bounds = ScreenBounds();
    RECT area{};
    if (!IntersectRect(&area, &screenRect, &bounds)) return;
    if (IsRectEmpty(&g_pending))
        g_pending = area;
    else
        UnionRect(&g_pending, &g_pending, &area);
}

void ForgetPendingArea() { SetRectEmpty(&g_pending); }

void PresentPending()
{
    if (IsRectEmpty(&g_pending)) return;
    RECT area = g_pending;
    SetRectEmpty(&g_pending);
    PresentArea(area);
}

void ComposeArea(const RECT& screenArea)
{
    DisplayState& display = Display();
    RECT bounds = ScreenBounds();
    RECT area{};
    if (!IntersectRect(&area, &screenArea, &bounds)) return;
    std::vector<Layer> layers;
    for (HWND top : Wins().topLevel)
        if (Window* w = FindWin(top)) AddLayers(*w, bounds, layers);
    // Start at the topmost layer that covers the whole area: nothing below it shows.
    std::size_t start = 0;
    bool covered = false;
    for (std::size_t i = layers.size(); i-- > 0;) {
        RECT both{};
        if (layers[i].window->surface && IntersectRect(&both, &layers[i].visible, &area) && EqualRect(&both, &area)) {
            start = i;
            covered = true;
            break;
        }
    }
    const Surface& screen = display.screen;
    if (!covered) {
        int bytes = screen.bitsPixel / 8;
        for (int y = area.top; y < area.bottom; ++y)
            std::memset(screen.Row(y) + static_cast<std::size_t>(area.left) * bytes, 0,
                        static_cast<std::size_t>(area.right - area.left) * bytes);
    }
    for (std::size_t i = start; i < layers.size(); ++i) {
        Window& w = *layers[i].window;
        Surface pixels;
        RECT part{};
        if (!w.surface || !GetBitmapSurface(w.surface, pixels) || !IntersectRect(&part, &layers[i].visible, &area))
            continue;
        RECT origin = ScreenRect(w);
        RECT src = part;
        OffsetRect(&src, -origin.left, -origin.top);
        CopyPixels(pixels, src, screen, part.left, part.top);
    }
}

void PresentArea(const RECT& screenArea, bool compose)
{
    DisplayState& display = Display();
    RECT bounds = ScreenBounds();
    RECT area{};
    if (!IntersectRect(&area, &screenArea, &bounds)) return;
    if (compose) {
        ComposeArea(area);
        RECT both{};
        if (IntersectRect(&both, &g_pending, &area) && EqualRect(&both, &g_pending)) SetRectEmpty(&g_pending);
    }
    std::uint64_t frame = ++display.frames;
    std::string file;
    char name[32] = "";
    if (!display.options.framesDir.empty()) {
        std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(frame));
        file = display.options.framesDir + name;
        name[0] = ' ';  // the trace names the file without its folder, so runs compare
        wce::host::RgbaImage image;
        ScreenToRgba(image);
        std::string error;
        if (!WriteFramePng(file, image, error)) std::fprintf(stderr, "frame %s: %s\n", file.c_str(), error.c_str());
    }
    if (TraceOn())
        Trace("frame %llu %d %d %d %d%s", static_cast<unsigned long long>(frame), static_cast<int>(area.left),
              static_cast<int>(area.top), static_cast<int>(area.right - area.left),
              static_cast<int>(area.bottom - area.top), name);
    display.backend->Present(area, frame);
    if (display.presentHook) display.presentHook(frame, area);
}

}  // namespace wce::detail
