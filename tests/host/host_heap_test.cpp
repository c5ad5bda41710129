// The host heap that importers and class descriptors live on, and its failure hook: the
// plug-in creates its importer with the nothrow form and must get null, not an exception,
// when the heap is empty.
#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "host/host_heap.h"

namespace zenthor {
namespace {

TEST(HostHeap, FailingAllocationGivesNullOrThrowsByForm) {
    SetHostHeapFailures([](int call) { return call == 0; });
    EXPECT_EQ(new (std::nothrow) HostHeapOperators, nullptr);
    SetHostHeapFailures([](int) { return true; });
    EXPECT_THROW(new HostHeapOperators, std::bad_alloc);
    SetHostHeapFailures(nullptr);
    const std::unique_ptr<HostHeapOperators> again(new (std::nothrow) HostHeapOperators);
    EXPECT_NE(again, nullptr);
}

}  // namespace
}  // namespace zenthor
