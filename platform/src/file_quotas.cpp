// Write quotas by host folder, for tests of a full flash: a write below a folder with a
// quota is cut short at the bytes left.
#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "device_path.h"
#include "files_internal.h"
#include "wce/host.h"

namespace {

// Quotas by host folder: bytes that may still be written to files below it.
struct Quotas {
    std::mutex lock;
    std::map<std::string, std::int64_t> remaining;
};

Quotas& GetQuotas()
{
    static Quotas quotas;
    return quotas;
}

bool IsBelow(const std::string& path, const std::string& folder)
{
    if (folder == "/") return true;
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

namespace wce::detail {

// Bytes a write may still put below the file's quota folders (all of them, when nested).
std::int64_t WritableBytes(const std::string& hostPath, std::int64_t wanted)
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    for (const auto& quota : quotas.remaining)
        if (IsBelow(hostPath, quota.first)) wanted = std::min(wanted, std::max<std::int64_t>(quota.second, 0));
    return wanted;
}

void ChargeQuotas(const std::string& hostPath, std::int64_t written)
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    for (auto& quota : quotas.remaining)
        if (IsBelow(hostPath, quota.first)) quota.second -= written;
}

}  // namespace wce::detail

namespace wce::host {

void SetWriteQuota(LPCWSTR deviceFolder, std::int64_t bytes)
{
    std::string hostFolder;
    DWORD error = ERROR_SUCCESS;
    if (!wce::detail::MapToHost(deviceFolder, hostFolder, error)) return;
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    if (bytes < 0)
        quotas.remaining.erase(hostFolder);
    else
        quotas.remaining[hostFolder] = bytes;
}

void ClearWriteQuotas()
{
    Quotas& quotas = GetQuotas();
    std::lock_guard<std::mutex> guard(quotas.lock);
    quotas.remaining.clear();
}

}  // namespace wce::host
