#include "win_dc_clip.h"

#include <unordered_map>

#include "gdi_objects.h"

namespace wce::detail {
namespace {
std::unordered_map<HDC, RECT>& BaseClips()
{
    static auto* clips = new std::unordered_map<HDC, RECT>;
    return *clips;
}
}  // namespace

void SetDcBaseClip(HDC dc, const RECT* clip)
{
    if (clip)
        BaseClips()[dc] = *clip;
    else
        BaseClips().erase(dc);
}

bool GetDcClipBox(HDC dc, RECT& box)
{
    Surface surface;
    if (!GetDcSurface(dc, surface)) return false;
    box = RECT{0, 0, surface.width, surface.height};
    auto it = BaseClips().find(dc);
    if (it != BaseClips().end()) IntersectRect(&box, &box, &it->second);
    return true;
}

}  // namespace wce::detail
