// The headless display's script reader: any bytes are read or refused with a line number,
// never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wce/display.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (!wce::host::CheckDisplayScript(text, 800, 480, error) && 0 != error.compare(0, 7, "script:")) __builtin_trap();
    return 0;
}
