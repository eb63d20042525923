// The SDL display: one window of the screen's size times the scale (or the whole screen of
// the unit, the picture fitted into it), showing the presented screen through a streaming
// texture scaled nearest. The left button or the first finger on a touch screen is the pen;
// keys arrive as virtual keys.
//
// Presents keep in step with the display: SDL's vsync where the display has a refresh rate to
// wait for, otherwise paced on the real clock to that rate, or to 60 Hz where there is none (a
// virtual X server, the offscreen driver), so that animations play as the unit shows them.
//
// SDL stamps an event when it is pumped, not when it happened. So events are pumped at every
// retrieval and wait, inside Sleep, at every present and before each change that affects
// routing, and each is routed with the tick of that moment: input made while the program was
// busy (a transition, an update) is then older than the moment the program starts to listen.
#include "display_internal.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "display_clock.h"
#include "win_internal.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

class SdlBackend;
SdlBackend* g_sdl = nullptr;

UINT VirtualKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<UINT>(key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    default: return 0;
    }
}

class SdlBackend : public DisplayBackend {
public:
    explicit SdlBackend(const wce::host::DisplayOptions& o)
        : m_width(o.width), m_height(o.height), m_bpp(o.bitsPerPixel), m_scale(o.scale), m_fullscreen(o.fullscreen)
    {
    }

    bool Start(std::string& error)
    {
        if (0 != SDL_InitSubSystem(SDL_INIT_VIDEO)) {
            error = SDL_GetError();
            return false;
        }
        m_initialized = true;
        // Without a screen SDL falls back to drivers that show nothing; those only when asked.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = SDL_getenv("SDL_VIDEODRIVER");
        if (driver && (0 == SDL_strcmp(driver, "offscreen") || 0 == SDL_strcmp(driver, "dummy")) &&
            !(asked && 0 == SDL_strcmp(asked, driver))) {
            error = std::string("no video device (only the ") + driver + " driver started)";
            Stop();
            return false;
        }
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        // Hidden until the first frame: an empty window would show black while the program
        // builds its first picture.
        m_window = SDL_CreateWindow("WceUi", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, m_width * m_scale,
                                    m_height * m_scale,
                                    SDL_WINDOW_HIDDEN | (m_fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
        if (m_window) CreateRenderer();
        if (m_renderer) {
            m_texture = SDL_CreateTexture(m_renderer, 16 == m_bpp ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888,
                                          SDL_TEXTUREACCESS_STREAMING, m_width, m_height);
        }
        if (!m_texture) {
            error = SDL_GetError();
            Stop();
            return false;
        }
        SDL_StartTextInput();
        g_sdl = this;
        return true;
    }

    ~SdlBackend() override { Stop(); }

    const char* Name() const override { return "sdl"; }
    DWORD Now() override { return RealTick(); }

    void Present(const RECT& area, std::uint64_t) override
    {
        Upload(area);
        Show();
        Pump();
    }

    void Pump() override
    {
        if (m_pumping) return;  // routing may present, which pumps again
        m_pumping = true;
        SDL_Event e;
        while (SDL_PollEvent(&e)) Handle(e, RealTick());
        m_pumping = false;
    }

    bool Idle() override
    {
        PresentPending();
        TakeRaiseRequests();
        Blink();
        DWORD due = 0;
        std::int32_t wait = 100;  // raise requests and the caret are checked this often
        if (NextTimerDue(due)) wait = std::min<std::int32_t>(wait, std::max<std::int32_t>(0, static_cast<std::int32_t>(due - RealTick())));
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, wait)) {
            Handle(e, RealTick());
            Pump();
        }
        return true;
    }

    void Sleep(DWORD ms) override
    {
        DWORD end = RealTick() + ms;
        for (;;) {
            Pump();
            std::int32_t left = static_cast<std::int32_t>(end - RealTick());
            if (left <= 0) break;
            SDL_Event e;
            if (SDL_WaitEventTimeout(&e, left)) Handle(e, RealTick());
        }
        TakeRaiseRequests();
    }

    void TitleChanged() override
    {
        Window* w = FindWin(Wins().active);
        std::string title = w && !w->text.empty() ? WideToUtf8(w->text) : std::string("WceUi");
        SDL_SetWindowTitle(m_window, title.c_str());
    }

    void RaiseWindow() override
    {
        if (m_shown) SDL_RaiseWindow(m_window);
    }

    bool Close() override
    {
        Stop();
        return true;
    }

    bool PushTestEvent(const std::string& kind, int x, int y)
    {
        SDL_Event e{};
        if ("close" == kind) {
            e.type = SDL_QUIT;
        } else if (0 == kind.rfind("finger-", 0)) {
            // x and y are window points, as fractions of the window like SDL's.
            int w = 0, h = 0;
            SDL_GetWindowSize(m_window, &w, &h);
            e.type = "finger-down" == kind ? SDL_FINGERDOWN : "finger-up" == kind ? SDL_FINGERUP : SDL_FINGERMOTION;
            e.tfinger.touchId = 1;
            e.tfinger.fingerId = 1;
            e.tfinger.x = w > 0 ? (x + 0.5f) / static_cast<float>(w) : 0.f;
            e.tfinger.y = h > 0 ? (y + 0.5f) / static_cast<float>(h) : 0.f;
            e.tfinger.windowID = SDL_GetWindowID(m_window);
        } else if ("touch-down" == kind || "touch-up" == kind) {
            // The mouse event SDL makes of a finger as well.
            e.type = "touch-down" == kind ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            e.button.windowID = SDL_GetWindowID(m_window);
            e.button.which = SDL_TOUCH_MOUSEID;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = "touch-down" == kind ? SDL_PRESSED : SDL_RELEASED;
            e.button.x = x;
            e.button.y = y;
        } else if ("down" == kind || "up" == kind) {
            e.type = "down" == kind ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            e.button.windowID = SDL_GetWindowID(m_window);
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = "down" == kind ? SDL_PRESSED : SDL_RELEASED;
            e.button.x = x * m_scale;
            e.button.y = y * m_scale;
        } else if ("move" == kind) {
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = SDL_GetWindowID(m_window);
            e.motion.x = x * m_scale;
            e.motion.y = y * m_scale;
        } else {
            return false;
        }
        return 1 == SDL_PushEvent(&e);
    }

private:
    // Vsync only where the display has a refresh rate: a virtual X server claims it but
    // blocks at its own slow pace.
    void CreateRenderer()
    {
        SDL_DisplayMode mode{};
        int display = SDL_GetWindowDisplayIndex(m_window);
        bool refresh = display >= 0 && 0 == SDL_GetCurrentDisplayMode(display, &mode) && mode.refresh_rate > 0;
        if (refresh) {
            m_frameTicks = SDL_GetPerformanceFrequency() / static_cast<Uint64>(mode.refresh_rate);
            m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_PRESENTVSYNC);
        }
        if (!m_renderer) m_renderer = SDL_CreateRenderer(m_window, -1, 0);
        SDL_RendererInfo info{};
        m_vsync = m_renderer && 0 == SDL_GetRendererInfo(m_renderer, &info) && (info.flags & SDL_RENDERER_PRESENTVSYNC);
        if (!m_frameTicks) m_frameTicks = SDL_GetPerformanceFrequency() / 60;
    }

    void Stop()
    {
        if (g_sdl == this) g_sdl = nullptr;
        if (m_texture) SDL_DestroyTexture(m_texture);
        if (m_renderer) SDL_DestroyRenderer(m_renderer);
        if (m_window) {
            SDL_StopTextInput();
            SDL_DestroyWindow(m_window);
        }
        if (m_initialized) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_texture = nullptr;
        m_renderer = nullptr;
        m_window = nullptr;
        m_initialized = false;
    }

    // Copies an area of the screen buffer (bottom-up rows) into the texture, caret inverted.
    void Upload(const RECT& area)
    {
        const Surface& s = Display().screen;
        int bytes = s.bitsPixel / 8;
        int w = area.right - area.left, h = area.bottom - area.top;
        if (w <= 0 || h <= 0) return;
        m_rows.resize(static_cast<std::size_t>(w) * h * bytes);
        RECT caret{};
        bool hasCaret = m_blinkOn && CaretScreenRect(caret);
        for (int y = 0; y < h; ++y) {
            BYTE* out = &m_rows[static_cast<std::size_t>(y) * w * bytes];
            std::memcpy(out, s.Row(area.top + y) + static_cast<std::size_t>(area.left) * bytes, static_cast<std::size_t>(w) * bytes);
            int sy = area.top + y;
            if (!hasCaret || sy < caret.top || sy >= caret.bottom) continue;
            for (int x = std::max(area.left, caret.left); x < std::min(area.right, caret.right); ++x)
                for (int b = 0; b < bytes; ++b) out[(x - area.left) * bytes + b] ^= 0xFF;
        }
        SDL_Rect rect{area.left, area.top, w, h};
        SDL_UpdateTexture(m_texture, &rect, m_rows.data(), w * bytes);
    }

    void Show()
    {
        if (!m_shown) {
            SDL_ShowWindow(m_window);
            m_shown = true;
        }
        SDL_RenderClear(m_renderer);
        if (m_fullscreen) {
            int w = 0, h = 0;
            SDL_GetRendererOutputSize(m_renderer, &w, &h);
            RECT fit = FitPicture(w, h, m_width, m_height);
            SDL_Rect dest{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
            SDL_RenderCopy(m_renderer, m_texture, nullptr, &dest);
        } else {
            SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
        }
        if (!m_vsync) WaitForFrameSlot();
        Uint64 before = SDL_GetPerformanceCounter();
        SDL_RenderPresent(m_renderer);
        Uint64 now = SDL_GetPerformanceCounter();
        // A present right after another that did not block has no vsync behind it, whatever
        // the driver says: pace on the clock from then on.
        if (m_vsync && m_lastShown && now - m_lastShown < m_frameTicks / 2 && now - before < m_frameTicks / 4 &&
            ++m_vsyncMisses >= 3)
            m_vsync = false;
        m_lastShown = now;
    }

    // Waits until a frame has passed since the last present, as a display that shows each
    // picture for a frame at least; input arriving meanwhile is routed with its own tick.
    void WaitForFrameSlot()
    {
        Uint64 freq = SDL_GetPerformanceFrequency();
        for (;;) {
            Uint64 now = SDL_GetPerformanceCounter();
            if (now >= m_nextSlot || m_nextSlot - now > m_frameTicks) {  // due, or the clock jumped
                m_nextSlot = now + m_frameTicks;
                return;
            }
            Uint32 ms = static_cast<Uint32>((m_nextSlot - now) * 1000 / freq);
            SDL_Event e;
            if (0 == ms) {
                std::this_thread::yield();  // the last fraction of a millisecond
            } else if (m_pumping) {
                SDL_Delay(ms);  // routing presented: the events wait for the pump that runs
            } else {
                m_pumping = true;
                if (SDL_WaitEventTimeout(&e, static_cast<int>(ms))) Handle(e, RealTick());
                m_pumping = false;
            }
        }
    }

    void Blink()
    {
        RECT caret{};
        if (!CaretScreenRect(caret)) {
            m_blinkOn = true;
            return;
        }
        DWORD now = RealTick();
        if (static_cast<std::int32_t>(now - m_nextBlink) < 0) return;
        m_nextBlink = now + GetCaretBlinkTime();
        m_blinkOn = !m_blinkOn;
        Upload(caret);
        Show();
    }

    // Through the window's real size: a window manager may have resized it, and the texture
    // is stretched over whatever size it has.
    POINT ToScreen(int x, int y) const
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(m_window, &w, &h);
        if (!m_fullscreen) return WindowPointToScreen(x, y, w, h, m_width, m_height, m_scale);
        RECT fit = FitPicture(w, h, m_width, m_height);
        return WindowPointToScreen(x - fit.left, y - fit.top, fit.right - fit.left, fit.bottom - fit.top, m_width,
                                   m_height, m_scale);
    }

    POINT FingerToScreen(const SDL_TouchFingerEvent& f) const
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(m_window, &w, &h);
        return ToScreen(static_cast<int>(f.x * static_cast<float>(w)), static_cast<int>(f.y * static_cast<float>(h)));
    }

    void Handle(const SDL_Event& e, DWORD tick)
    {
        switch (e.type) {
        // A finger also arrives as the mouse (which == SDL_TOUCH_MOUSEID): taken as the finger
        // alone. One pen at a time: what starts while another holds it is ignored.
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (SDL_BUTTON_LEFT != e.button.button || SDL_TOUCH_MOUSEID == e.button.which || Pen::Finger == m_pen)
                break;
            m_pen = SDL_MOUSEBUTTONDOWN == e.type ? Pen::Mouse : Pen::None;
            POINT pt = ToScreen(e.button.x, e.button.y);
            RoutePen(Pen::Mouse == m_pen ? PenEvent::Down : PenEvent::Up, pt.x, pt.y, tick);
            break;
        }
        case SDL_MOUSEMOTION:
            if (Pen::Mouse == m_pen && SDL_TOUCH_MOUSEID != e.motion.which) {
                POINT pt = ToScreen(e.motion.x, e.motion.y);
                RoutePen(PenEvent::Move, pt.x, pt.y, tick);
            }
            break;
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: {
            if (SDL_MOUSE_TOUCHID == e.tfinger.touchId) break;  // the mouse made into a finger
            bool ours = Pen::Finger == m_pen && e.tfinger.touchId == m_touch && e.tfinger.fingerId == m_finger;
            POINT pt = FingerToScreen(e.tfinger);
            if (SDL_FINGERDOWN == e.type && Pen::None == m_pen) {
                m_pen = Pen::Finger;
                m_touch = e.tfinger.touchId;
                m_finger = e.tfinger.fingerId;
                RoutePen(PenEvent::Down, pt.x, pt.y, tick);
            } else if (SDL_FINGERMOTION == e.type && ours) {
                RoutePen(PenEvent::Move, pt.x, pt.y, tick);
            } else if (SDL_FINGERUP == e.type && ours) {
                m_pen = Pen::None;
                RoutePen(PenEvent::Up, pt.x, pt.y, tick);
            }
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (UINT vk = VirtualKey(e.key.keysym.sym))
                RouteKey(SDL_KEYDOWN == e.type, vk, SDL_KEYDOWN == e.type && e.key.repeat, tick);
            break;
        case SDL_TEXTINPUT:
            for (WCHAR unit : Utf8ToWide(e.text.text)) RouteChar(unit, tick);
            break;
        case SDL_QUIT: PostCloseRequest(); break;
        case SDL_WINDOWEVENT:
            if (SDL_WINDOWEVENT_EXPOSED == e.window.event) Show();  // the same picture: no new frame
            break;
        default: break;
        }
    }

    enum class Pen { None, Mouse, Finger };

    int m_width, m_height, m_bpp, m_scale;
    bool m_fullscreen;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    std::vector<BYTE> m_rows;
    Pen m_pen = Pen::None;
    SDL_TouchID m_touch = 0;
    SDL_FingerID m_finger = 0;
    bool m_vsync = false;
    int m_vsyncMisses = 0;
    Uint64 m_frameTicks = 0;  // one frame in performance counter ticks
    Uint64 m_nextSlot = 0;
    Uint64 m_lastShown = 0;
    bool m_pumping = false;
    bool m_shown = false;
    bool m_initialized = false;
    bool m_blinkOn = true;
    DWORD m_nextBlink = 0;
};

std::unique_ptr<DisplayBackend> MakeBackend(const wce::host::DisplayOptions& options, std::string& error)
{
    auto backend = std::make_unique<SdlBackend>(options);
    if (!backend->Start(error)) return nullptr;
    return backend;
}

bool PushTestEvent(const char* kind, int x, int y)
{
    return g_sdl && kind && g_sdl->PushTestEvent(kind, x, y);
}

// Linking this library (whole, see platform/CMakeLists.txt) gives the program its SDL display.
const SdlDisplayHooks g_hooks = {&MakeBackend, &PushTestEvent};
const bool g_registered = RegisterSdlDisplay(&g_hooks);

}  // namespace
}  // namespace wce::detail
