// The table of open kernel objects (files, searches, mutexes, processes). A HANDLE is a
// key into it, never a pointer, so a stale or made-up handle is refused with
// ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once

#include <memory>

#include "wce/types.h"

namespace wce::detail {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

HANDLE AddHandle(std::unique_ptr<KernelObject> object);

// Null when the handle is unknown or of another type. The object is shared: it stays alive
// while the caller holds it, even if another thread or a timer closes the handle meanwhile.
template <class T>
std::shared_ptr<T> FindHandle(HANDLE handle);
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);

template <class T>
std::shared_ptr<T> FindHandle(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(FindKernelObject(handle));
}

// Removes the handle; its object is destroyed when the last user lets it go. False when
// unknown.
bool RemoveHandle(HANDLE handle);

// Calls fn(object) for every open object of type T (to find share-mode conflicts).
template <class T, class Fn>
void ForEachHandle(Fn&& fn);
void ForEachKernelObject(void (*visit)(KernelObject*, void*), void* context);

template <class T, class Fn>
void ForEachHandle(Fn&& fn)
{
    ForEachKernelObject(
        [](KernelObject* object, void* context) {
            if (auto* typed = dynamic_cast<T*>(object)) (*static_cast<Fn*>(context))(*typed);
        },
        &fn);
}

}  // namespace wce::detail
