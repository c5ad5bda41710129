#include "host/host_heap.h"

#include <cstdlib>

namespace {

// Used, like every host call, on the host's user-interface thread only: no lock.
struct HeapFailures {
    std::function<bool(int)> fail;
    int calls = 0;
};

HeapFailures& Failures() {
    static HeapFailures failures;
    return failures;
}

void* Allocate(std::size_t size) noexcept {
    {
        HeapFailures& failures = Failures();
        const int call = failures.calls++;
        if (failures.fail && failures.fail(call)) {
            return nullptr;
        }
    }
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
    if (void* block = Allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}

}  // namespace

void SetHostHeapFailures(std::function<bool(int callIndex)> fail) {
    HeapFailures& failures = Failures();
    failures.fail = std::move(fail);
    failures.calls = 0;
}

void* HostHeapOperators::operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* HostHeapOperators::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* HostHeapOperators::operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* HostHeapOperators::operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void HostHeapOperators::operator delete(void* block) noexcept {
    std::free(block);
}
void HostHeapOperators::operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void HostHeapOperators::operator delete[](void* block) noexcept {
    std::free(block);
}
void HostHeapOperators::operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
