// Placeholder until the shared window table lands.
#include "win_internal.h"

namespace wce::detail {
void PublishWindows() {}
void TakeRaiseRequests() {}
HWND FindForeignWindow(LPCWSTR, LPCWSTR) { return nullptr; }
bool IsForeignWindow(HWND) { return false; }
bool RaiseForeignWindow(HWND) { return false; }
}  // namespace wce::detail
