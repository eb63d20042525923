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

// Null when the handle is unknown or of another type.
template <class T>
T* FindHandle(HANDLE handle);
KernelObject* FindKernelObject(HANDLE handle);

template <class T>
T* FindHandle(HANDLE handle)
{
    return dynamic_cast<T*>(FindKernelObject(handle));
}

// Removes the handle and destroys its object; false when unknown.
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
