// Makes one chosen allocation of the whole process fail, to test what a failed
// allocation leaves behind. The test executable replaces the global operator new, which
// every library loaded into it then uses too.
#pragma once

#include <cstddef>

namespace zenthor::test {

// From now on the allocation with this index (0: the next one) throws std::bad_alloc;
// -1 turns the failure off. Returns how many allocations were counted since the last call.
long ArmAllocationFailure(long failingIndex);

}  // namespace zenthor::test
