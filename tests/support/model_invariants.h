// What must hold of any model a load leaves behind, however hostile its files were. Run
// after every load in the loader tests and on every fuzz input, so a fault that leaves a
// plausible but broken model is caught where it happens, not where it is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/load_observer.h"
#include "model/zenthor_model.h"

namespace zenthor::test {

// Each broken invariant as one line; empty when the model is sound. `loaded` is what
// LoadFromFile returned, `largestFile` the size of the largest file the load could read:
// every array a mesh entry allocates must be backed by that many bytes at most.
std::vector<std::string> ModelInvariantFaults(const CZenthorModel& model, const LoadLog& log, bool loaded,
                                              std::uint64_t largestFile);

}  // namespace zenthor::test
