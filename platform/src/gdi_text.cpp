// Text drawing: placeholder until the FreeType renderer lands.
#include "gdi_objects.h"
#include "wce/files.h"
#include "wce/host.h"

int DrawTextW(HDC, LPCWSTR, int, LPRECT, UINT)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

BOOL GetTextExtentPoint32W(HDC, LPCWSTR, int, SIZE*)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL GetTextMetricsW(HDC, LPTEXTMETRICW)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

namespace wce::host {
void SetFontFile(const std::string&, bool, const std::string&) {}
}  // namespace wce::host
