#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace zenthor::test {
namespace {

long failAt = -1;
long counted = 0;

}  // namespace

long ArmAllocationFailure(long failingIndex) {
    const long before = counted;
    counted = 0;
    failAt = failingIndex;
    return before;
}

}  // namespace zenthor::test

void* operator new(std::size_t size) {
    using namespace zenthor::test;
    if (failAt >= 0 && counted++ == failAt) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
