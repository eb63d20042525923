#include "display_internal.h"
namespace wce::detail {
std::unique_ptr<DisplayBackend> MakeSdlBackend(const wce::host::DisplayOptions&, std::string& error)
{
    error = "not built";
    return nullptr;
}
}  // namespace wce::detail
namespace wce::host {
bool PushSdlTestEvent(const char*, int, int) { return false; }
}
