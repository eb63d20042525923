// A global operator new that can be told to fail: g_allocationsLeft allocations succeed, then
// each one throws std::bad_alloc (-1: never fail). Include it in exactly one file of a test
// program: it replaces the program's allocation functions.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long> g_allocationsLeft{-1};

void* operator new(std::size_t size)
{
    if (g_allocationsLeft.load() == 0) throw std::bad_alloc();
    if (g_allocationsLeft.load() > 0) --g_allocationsLeft;
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
// As the standard library's own, but also where a sanitizer's runtime would bring its own allocator.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
