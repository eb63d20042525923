// The display options every program with windows takes, parsed in one place.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "wce/display.h"

namespace wce::host {

const char* const kDisplayOptionsHelp =
    "Display options:\n"
    "  --display sdl|headless  where windows show (default: sdl when it starts, else headless)\n"
    "  --screen WxH[xBPP]      screen size and depth, 16 or 32 (default 800x480x16)\n"
    "  --script FILE           headless input script (implies --display headless)\n"
    "  --frames DIR            write every presented frame as DIR/frame-000001.png ...\n"
    "  --trace FILE            write a line per input, dispatched message and frame\n"
    "  --scale 1..4            window scale of the sdl display\n"
    "  --fullscreen            the sdl display fills the screen, the picture scaled to fit\n";

namespace {

bool ParseInt(const char* text, int min, int max, int& value)
{
    if (!text || !*text) return false;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end || v < min || v > max || !std::isdigit(static_cast<unsigned char>(*text))) return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseScreen(const std::string& text, DisplayOptions& o)
{
    std::string parts[3];
    int count = 0;
    for (char c : text) {
        if ('x' == c || 'X' == c) {
            if (++count > 2) return false;
        } else {
            parts[count] += c;
        }
    }
    int w = 0, h = 0, bpp = 16;
    if (count < 1 || !ParseInt(parts[0].c_str(), 1, 8192, w) || !ParseInt(parts[1].c_str(), 1, 8192, h)) return false;
    if (2 == count && (!ParseInt(parts[2].c_str(), 16, 32, bpp) || (16 != bpp && 32 != bpp))) return false;
    o.width = w;
    o.height = h;
    o.bitsPerPixel = bpp;
    return true;
}

}  // namespace

bool ParseDisplayOptions(int& argc, char** argv, DisplayOptions& o, std::string& error)
{
    static const char* const kNames[] = {"--display", "--screen", "--script", "--frames", "--trace", "--scale"};
    int out = 1;
    bool explicitBackend = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string name = arg, value;
        bool hasValue = false;
        std::size_t eq = arg.find('=');
        if (0 == arg.rfind("--", 0) && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if ("--fullscreen" == arg) {  // the one option without a value
            o.fullscreen = true;
            continue;
        }
        bool ours = false;
        for (const char* n : kNames) ours = ours || name == n;
        if (!ours) {
            argv[out++] = argv[i];
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if ("--display" == name) {
            if ("sdl" == value) o.backend = DisplayOptions::Backend::Sdl;
            else if ("headless" == value) o.backend = DisplayOptions::Backend::Headless;
            else {
                error = "--display takes sdl or headless, not '" + value + "'";
                return false;
            }
            explicitBackend = true;
        } else if ("--screen" == name) {
            if (!ParseScreen(value, o)) {
                error = "--screen takes WxH or WxHxBPP (BPP 16 or 32), not '" + value + "'";
                return false;
            }
        } else if ("--script" == name) {
            o.scriptPath = value;
        } else if ("--frames" == name) {
            o.framesDir = value;
        } else if ("--trace" == name) {
            o.tracePath = value;
        } else if ("--scale" == name) {
            if (!ParseInt(value.c_str(), 1, 4, o.scale)) {
                error = "--scale takes 1 to 4, not '" + value + "'";
                return false;
            }
        }
        if (value.empty()) {
            error = name + " needs a value";
            return false;
        }
    }
    argv[out] = nullptr;
    argc = out;
    if (!o.scriptPath.empty()) {
        if (explicitBackend && DisplayOptions::Backend::Sdl == o.backend) {
            error = "--script needs the headless display";
            return false;
        }
        o.backend = DisplayOptions::Backend::Headless;
    }
    return true;
}

}  // namespace wce::host
