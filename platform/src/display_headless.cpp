// The headless display: an in-memory screen, a virtual clock and the script's input. The
// clock moves only when the program waits for a message (to the next command or due timer)
// or sleeps, so a run gives the same trace and frames every time.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "display_clock.h"
#include "display_internal.h"
#include "display_script.h"
#include "win_internal.h"

namespace wce::detail {
namespace {

// How long a program may go on after the script's last command.
constexpr DWORD kGraceMs = 60000;

std::string Hex6(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "%06X", rgb & 0xFFFFFF);
    return text;
}

class HeadlessBackend : public DisplayBackend {
public:
    explicit HeadlessBackend(Script script) : m_script(std::move(script)) {}
    const char* Name() const override { return "headless"; }
    DWORD Now() override { return m_clock; }

    bool Idle() override
    {
        PresentPending();
        TakeRaiseRequests();
        if (Display().ended) return false;
        DWORD timerDue = 0;
        bool haveTimer = NextTimerDue(timerDue);
        if (m_next < m_script.commands.size()) {
            DWORD tick = m_script.commands[m_next].tick;
            if (static_cast<std::int32_t>(tick - m_clock) <= 0) {
                RunTick(m_script.commands[m_next].tick);
                return true;
            }
            // At equal ticks commands come before timers.
            if (haveTimer && static_cast<std::int32_t>(timerDue - tick) < 0) {
                m_clock = timerDue;
                return true;
            }
            m_clock = tick;
            RunTick(tick);
            return true;
        }
        bool due = haveTimer && static_cast<std::int32_t>(timerDue - (m_script.endTick + kGraceMs)) <= 0;
        if (m_closeSent) {
            if (haveTimer && static_cast<std::int32_t>(timerDue - m_closeDeadline) <= 0) {
                m_clock = timerDue;
                return true;
            }
            m_clock = m_closeDeadline;
            Display().scriptEndTimedOut = true;
            Trace("close timed out");
            return false;
        }
        if (!due) {
            if (!Display().options.closeAtScriptEnd) return false;
            // Used up: ask the program to close, as a user would, and give it a second.
            if (static_cast<std::int32_t>(m_script.endTick - m_clock) > 0) m_clock = m_script.endTick;
            m_closeSent = true;
            m_closeDeadline = m_clock + 1000;
            if (!PostCloseRequest()) return false;
            return true;
        }
        m_clock = timerDue;
        return true;
    }

    void Sleep(DWORD ms) override
    {
        DWORD end = m_clock + ms;
        while (m_next < m_script.commands.size() && !Display().ended) {
            DWORD tick = m_script.commands[m_next].tick;
            if (static_cast<std::int32_t>(tick - end) >= 0) break;
            if (static_cast<std::int32_t>(tick - m_clock) > 0) m_clock = tick;
            RunOne(m_script.commands[m_next++]);
        }
        m_clock = end;
        TakeRaiseRequests();
    }

    bool Close() override
    {
        for (std::size_t i = m_next; i < m_script.commands.size(); ++i) {
            // One report per line, however many events the line made.
            if (i > m_next && m_script.commands[i].line == m_script.commands[i - 1].line) continue;
            std::fprintf(stderr, "script:%d: not reached\n", m_script.commands[i].line);
            m_failed = true;
        }
        return !m_failed;
    }

private:
    // Every command of one tick is routed before any message is handled.
    void RunTick(DWORD tick)
    {
        while (m_next < m_script.commands.size() && m_script.commands[m_next].tick == tick && !Display().ended)
            RunOne(m_script.commands[m_next++]);
    }

    void RunOne(const ScriptCommand& c)
    {
        using Kind = ScriptCommand::Kind;
        switch (c.kind) {
        case Kind::PenDown: RoutePen(PenEvent::Down, c.x, c.y, m_clock); break;
        case Kind::PenMove: RoutePen(PenEvent::Move, c.x, c.y, m_clock); break;
        case Kind::PenUp: RoutePen(PenEvent::Up, c.x, c.y, m_clock); break;
        case Kind::KeyDown: RouteKey(true, c.vk, false, m_clock); break;
        case Kind::KeyUp: RouteKey(false, c.vk, false, m_clock); break;
        case Kind::Text:
            for (WCHAR ch : c.text) RouteChar(ch, m_clock);
            break;
        case Kind::Screenshot: Screenshot(c); break;
        case Kind::Dump: Dump(c); break;
        case Kind::Expect:
        case Kind::ExpectRect: Expect(c); break;
        case Kind::Close:
            if (!PostCloseRequest()) {
                std::fprintf(stderr, "script:%d: close: no window\n", c.line);
                m_failed = true;
            }
            break;
        case Kind::Quit: EndRun(); break;
        case Kind::Hold:
            Trace("hold %lu", static_cast<unsigned long>(c.ms));
            for (DWORD left = c.ms; left > 0;) {
                DWORD step = left < 50 ? left : 50;
                RealSleep(step);
                left -= step;
                TakeRaiseRequests();
            }
            break;
        }
    }

    void Screenshot(const ScriptCommand& c)
    {
        wce::host::RgbaImage image;
        ScreenToRgba(image);
        std::string error;
        if (!WriteFramePng(c.file, image, error)) {
            std::fprintf(stderr, "script:%d: screenshot %s: %s\n", c.line, c.file.c_str(), error.c_str());
            m_failed = true;
            return;
        }
        Trace("screenshot %s", c.file.c_str());
    }

    void Dump(const ScriptCommand& c)
    {
        std::string error = "nothing writes dumps";
        if (!Display().dumpHook || !Display().dumpHook(c.file, error)) {
            std::fprintf(stderr, "script:%d: dump %s: %s\n", c.line, c.file.c_str(), error.c_str());
            m_failed = true;
            return;
        }
        Trace("dump %s", c.file.c_str());
    }

    void Expect(const ScriptCommand& c)
    {
        wce::host::RgbaImage image;
        ScreenToRgba(image);
        for (int y = c.y; y < c.y + c.height; ++y) {
            for (int x = c.x; x < c.x + c.width; ++x) {
                const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
                std::uint32_t rgb = (static_cast<std::uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2];
                if (rgb == c.rgb) continue;
                std::fprintf(stderr, "script:%d: expect %d %d %s: screen has %s\n", c.line, x, y, Hex6(c.rgb).c_str(),
                             Hex6(rgb).c_str());
                Trace("expect fail %d", c.line);
                m_failed = true;
                return;
            }
        }
        Trace("expect ok %d", c.line);
    }

    Script m_script;
    std::size_t m_next = 0;
    DWORD m_clock = kScriptStartTick;
    bool m_failed = false;
    bool m_closeSent = false;
    DWORD m_closeDeadline = 0;
};

}  // namespace

std::unique_ptr<DisplayBackend> MakeHeadlessBackend(const wce::host::DisplayOptions& options, std::string& error)
{
    std::string text = options.scriptText;
    if (!options.scriptPath.empty()) {
        std::ifstream in(options.scriptPath, std::ios::binary);
        if (!in) {
            error = "cannot read the script " + options.scriptPath;
            return nullptr;
        }
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    Script script;
    if (!ParseScript(text, options.width, options.height, script, error)) return nullptr;
    return std::make_unique<HeadlessBackend>(std::move(script));
}

}  // namespace wce::detail
