// The trace: one line per event, prefixed with the tick, flushed at once so that a run that
// ends abruptly (a reset ends the process) still leaves every line.
#include <cstdarg>
#include <cstdio>

#include "display_internal.h"

namespace wce::detail {
namespace {
std::FILE* g_trace = nullptr;
}

void OpenTrace(const std::string& path)
{
    CloseTrace();
    g_trace = std::fopen(path.c_str(), "w");
    if (!g_trace) std::fprintf(stderr, "cannot write the trace %s\n", path.c_str());
}

void CloseTrace()
{
    if (g_trace) std::fclose(g_trace);
    g_trace = nullptr;
}

bool TraceOn() { return g_trace != nullptr; }

void Trace(const char* format, ...)
{
    if (!g_trace) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fprintf(g_trace, "%lu %s\n", static_cast<unsigned long>(Now()), text);
    std::fflush(g_trace);
}

}  // namespace wce::detail
