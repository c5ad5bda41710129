#include "host/host_heap.h"

#include <cstdlib>

#include "host/failure_hook.h"

namespace {

zenthor::FailureHook& Failures() {
    static zenthor::FailureHook failures;
    return failures;
}

void* Allocate(std::size_t size) noexcept {
    if (Failures().NextCallFails()) {
        return nullptr;
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
    Failures().Set(std::move(fail));
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
