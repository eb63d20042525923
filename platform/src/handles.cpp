#include "handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "wce/files.h"

namespace wce::detail {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

Table& GetTable()
{
    static Table table;
    return table;
}

}  // namespace

HANDLE AddHandle(std::unique_ptr<KernelObject> object)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    std::uintptr_t key = table.next;
    table.next += 4;  // never 0 nor INVALID_HANDLE_VALUE, never reused
    table.objects.emplace(key, std::shared_ptr<KernelObject>(std::move(object)));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> doomed;
    {
        Table& table = GetTable();
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == table.objects.end()) return false;
        doomed = std::move(it->second);
        table.objects.erase(it);
    }
    return true;  // the object closes itself outside the lock
}

void ForEachKernelObject(void (*visit)(KernelObject*, void*), void* context)
{
    Table& table = GetTable();
    std::lock_guard<std::mutex> guard(table.lock);
    for (auto& entry : table.objects) visit(entry.second.get(), context);
}

}  // namespace wce::detail

BOOL CloseHandle(HANDLE object)
{
    if (!wce::detail::RemoveHandle(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
