// Fuzz target: loads a content tree of several virtual files (see fuzz_input.h) through
// the whole loader, references, aliases and observer included, and checks what must hold
// of any loaded model (the same checker the loader tests run). Each file sits in its own
// exactly-sized heap block.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "model/load_observer.h"
#include "model/zenthor_model.h"
#include "tests/support/model_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zenthor;
    MemoryFiles files;
    const std::vector<fuzz::VirtualFile> pieces = fuzz::SplitInput({data, size});
    fuzz::AddToSource(pieces, files);

    // The parity of the length chooses the option, so both settings are reached without
    // spending input bytes on it.
    const bool includeLods = (size & 1) != 0;
    CZenthorModel model;
    LoadLog log;
    const bool loaded = model.LoadFromFile(fuzz::kPickedPath, includeLods, &log, &files);

    std::uint64_t largest = 0;
    for (const fuzz::VirtualFile& file : pieces) {
        largest = std::max<std::uint64_t>(largest, file.bytes.size());
    }
    const auto faults = test::ModelInvariantFaults(model, log, loaded, largest);
    for (const std::string& fault : faults) {
        std::fprintf(stderr, "invariant broken: %s\n", fault.c_str());
    }
    if (!faults.empty()) {
        std::abort();
    }
    volatile float sink = 0;
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        // Read the last element of each array, so that a short one is caught.
        const ModelMesh* mesh = model.GetMesh(i);
        sink = sink + mesh->vertices[mesh->vertexCount - 1].uv[1] + mesh->indices[mesh->indexCount - 1];
    }
    return 0;
}
