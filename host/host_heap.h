// Allocation through the host's heap, for plug-in objects that the host
// creates or deletes (importers, class descriptors). Every form of new has
// its matching delete; the nothrow forms give null when the heap has nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <new>

#include "host/host_api.h"

class HOST_API HostHeapOperators {
public:
    static void* operator new(std::size_t size);  // std::bad_alloc when the heap has nothing
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void* operator new[](std::size_t size);
    static void* operator new[](std::size_t size, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }

    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;
    static void operator delete[](void* block) noexcept;
    static void operator delete[](void* block, const std::nothrow_t&) noexcept;
    static void operator delete(void*, void*) noexcept {}
};

// Test hook: from now on each host-heap allocation whose index (from 0, since
// this call) fail returns true for finds the heap empty. An empty function
// lets every allocation through.
HOST_API void SetHostHeapFailures(std::function<bool(int callIndex)> fail);
