// Fuzz target: loads a content tree of several virtual files (see fuzz_input.h) through
// the whole loader, references, aliases and observer included, and checks what must hold
// of any loaded model. Each file sits in its own exactly-sized heap block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "model/load_observer.h"
#include "model/zenthor_model.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zenthor;
    MemoryFiles files;
    fuzz::AddToSource(fuzz::SplitInput({data, size}), files);

    // The parity of the length chooses the option, so both settings are reached without
    // spending input bytes on it.
    const bool includeLods = (size & 1) != 0;
    CZenthorModel model;
    LoadLog log;
    const bool loaded = model.LoadFromFile(fuzz::kPickedPath, includeLods, &log, &files);

    Check(loaded == (model.GetMeshCount() > 0));
    Check(model.currentMesh == nullptr);
    volatile float sink = 0;
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh* mesh = model.GetMesh(i);
        Check(mesh != nullptr && mesh->vertexCount > 0 && mesh->indexCount > 0);
        Check(mesh->vertices != nullptr && mesh->indices != nullptr);
        // Read the last element of each array, so that a short one is caught.
        sink = sink + mesh->vertices[mesh->vertexCount - 1].uv[1] + mesh->indices[mesh->indexCount - 1];
    }
    for (const ReferenceRecord& ref : log.references) {
        Check(ref.depth >= 1 && ref.depth <= CZenthorModel::kMaxReferenceDepth + 1);
    }
    return 0;
}
