// Loading from content trees held in memory, for the loader tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "model/file_source.h"
#include "model/load_observer.h"
#include "model/zenthor_model.h"
#include "tests/support/model_invariants.h"
#include "tests/support/model_writer.h"

namespace zenthor::test {

// Paths below the in-memory content root used by the tests.
inline const std::string kRoot = "C:\\game\\content\\";
inline std::string MeshPath(const std::string& name) {
    return kRoot + "meshes\\" + name + ".mesh";
}
inline std::string ModelPath(const std::string& name) {
    return kRoot + "models\\" + name + ".model";
}

struct LoadResult {
    std::unique_ptr<CZenthorModel> model = std::make_unique<CZenthorModel>();
    LoadLog log;
    bool loaded = false;

    // The material names of the kept meshes, in order, joined by spaces.
    std::string Materials() const {
        std::string joined;
        for (int i = 0; i < model->GetMeshCount(); ++i) {
            joined += (i ? " " : "") + model->GetMesh(i)->materialName;
        }
        return joined;
    }
};

// Loads `picked` out of `files` (path -> bytes), and fails the test when the model breaks
// an invariant.
inline LoadResult LoadFromMemory(const std::map<std::string, Bytes>& files, const std::string& picked,
                                 bool includeLods = false) {
    MemoryFiles memory;
    std::uint64_t largest = 0;
    for (const auto& [path, bytes] : files) {
        memory.Add(path, bytes);
        largest = std::max<std::uint64_t>(largest, bytes.size());
    }
    LoadResult result;
    result.loaded = result.model->LoadFromFile(picked, includeLods, &result.log, &memory);
    for (const std::string& fault : ModelInvariantFaults(*result.model, result.log, result.loaded, largest)) {
        ADD_FAILURE() << picked << ": " << fault;
    }
    return result;
}

// Loads one file on its own.
inline LoadResult LoadFile(const Bytes& bytes, const std::string& path = MeshPath("x")) {
    return LoadFromMemory({{path, bytes}}, path);
}

// A mesh entry whose material name tags it, for order tests.
inline Chunk Tagged(const std::string& tag) {
    return MeshEntry(TriangleMesh("t_" + tag, tag));
}

}  // namespace zenthor::test
