// The headless display's script: one command per line, read whole before anything runs, and
// turned into input events at fixed ticks of the virtual clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wce/types.h"

namespace wce::detail {

struct ScriptCommand {
    enum class Kind { PenDown, PenMove, PenUp, KeyDown, KeyUp, Text, Screenshot, Expect, ExpectRect, Close, Quit, Hold, Dump };
    Kind kind = Kind::Quit;
    DWORD tick = 0;
    int line = 0;
    int x = 0, y = 0, width = 1, height = 1;
    UINT vk = 0;
    std::u16string text;
    std::string file;
    std::uint32_t rgb = 0;  // 0xRRGGBB
    DWORD ms = 0;
};

struct Script {
    std::vector<ScriptCommand> commands;  // in tick order
    DWORD endTick = 1000;  // the script's time after its last line
};

constexpr DWORD kScriptStartTick = 1000;

// False with "script:LINE: reason" when a line is bad; coordinates must lie on a screen of
// the given size.
bool ParseScript(const std::string& text, int screenWidth, int screenHeight, Script& script, std::string& error);
// A virtual-key name ("RETURN", "f5", "A") or a decimal code 1 to 254; 0 when neither.
UINT ParseKeyName(const std::string& name);

}  // namespace wce::detail
