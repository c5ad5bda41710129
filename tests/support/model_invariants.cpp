#include "tests/support/model_invariants.h"

#include <algorithm>
#include <cmath>

#include "model/vertex_decoders.h"

namespace zenthor::test {
namespace {

using Faults = std::vector<std::string>;

void Check(Faults& faults, bool holds, const std::string& what) {
    if (!holds) faults.push_back(what);
}

bool InUnitRange(const float (&v)[3]) {
    return std::all_of(std::begin(v), std::end(v), [](float c) { return c >= 0.0f && c <= 1.0f; });
}

// A string read from a file ends at its NUL, so none may hold one.
bool Terminated(const std::string& text) {
    return text.find('\0') == std::string::npos;
}

void CheckVertex(Faults& faults, const ModelVertex& v, bool skinned, const std::string& where) {
    Check(faults, InUnitRange(v.normal) && InUnitRange(v.auxVector1) && InUnitRange(v.auxVector2),
          where + ": a packed vector decoded outside [0, 1]");
    if (skinned) {
        // 16-bit fixed point: positions within 32768 * 3/8192, uv within 32768/2048.
        bool bounded = true;
        for (float p : v.position) bounded = bounded && std::fabs(p) <= 12.0f;
        for (float t : v.uv) bounded = bounded && std::fabs(t) <= 16.0f;
        for (float w : v.boneWeights) bounded = bounded && w >= 0.0f && w <= 255.0f && w == std::floor(w);
        Check(faults, bounded, where + ": a skinned field outside what 16-bit or byte storage gives");
    } else {
        bool unset = true;
        for (int k = 0; k < 4; ++k) unset = unset && v.boneIndices[k] == 0 && v.boneWeights[k] == 0.0f;
        Check(faults, unset, where + ": a static vertex carries bone data");
    }
}

void CheckMesh(Faults& faults, const ModelMesh* mesh, std::uint64_t largestFile, const std::string& where) {
    Check(faults, mesh != nullptr, where + ": null record");
    if (mesh == nullptr) return;
    Check(faults, mesh->vertexCount > 0 && mesh->vertices != nullptr, where + ": kept without vertices");
    Check(faults, mesh->indexCount > 0 && mesh->indices != nullptr, where + ": kept without indices");
    const std::uint64_t backing = mesh->vertexCount * kStaticVertexSize + mesh->indexCount * std::uint64_t{2};
    Check(faults, backing <= largestFile,
          where + ": arrays of " + std::to_string(backing) + " bytes, more than any file holds");
    Check(faults,
          Terminated(mesh->textureName) && Terminated(mesh->materialName) && Terminated(mesh->extraName),
          where + ": a name holds a NUL");
    if (mesh->vertices == nullptr || mesh->indices == nullptr || backing > largestFile) {
        return;  // the counts cannot be trusted to walk the arrays
    }
    for (std::uint32_t i = 0; i < mesh->vertexCount; ++i) {
        CheckVertex(faults, mesh->vertices[i], mesh->skinned, where + " vertex " + std::to_string(i));
    }
    // Indices beyond the vertices are kept as read; touching each shows a short array to the
    // sanitizers.
    volatile std::uint16_t sink = 0;
    for (std::uint32_t i = 0; i < mesh->indexCount; ++i) sink = sink | mesh->indices[i];
}

}  // namespace

std::vector<std::string> ModelInvariantFaults(const CZenthorModel& model, const LoadLog& log, bool loaded,
                                              std::uint64_t largestFile) {
    Faults faults;
    Check(faults, loaded == (model.GetMeshCount() > 0), "the result disagrees with the meshes kept");
    Check(faults, model.currentMesh == nullptr, "an entry is still being read after the load");
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        CheckMesh(faults, model.GetMesh(i), largestFile, "mesh " + std::to_string(i));
    }

    const std::string& root = model.contentRoot;
    Check(faults, root.empty() || (root.ends_with("\\content\\") && root.find('/') == std::string::npos),
          "content root \"" + root + "\" does not end in its content folder");
    for (const auto& [key, value] : model.textureAliases) {
        Check(faults, key.find('=') == std::string::npos && Terminated(key) && Terminated(value),
              "alias key \"" + key + "\" holds '=' or a NUL");
    }

    std::size_t opened = 0;
    for (const ReferenceRecord& ref : log.references) {
        Check(faults, ref.depth >= 1 && ref.depth <= CZenthorModel::kMaxReferenceDepth + 1,
              "reference \"" + ref.name + "\" at depth " + std::to_string(ref.depth));
        Check(faults, Terminated(ref.name) && !ref.path.empty(),
              "reference \"" + ref.name + "\" has a broken name");
        opened += ref.outcome == ReferenceOutcome::Loaded ? 1 : 0;
    }
    Check(faults, opened <= CZenthorModel::kMaxReferencedFiles, "more referenced files opened than allowed");
    for (const Diagnostic& d : log.diagnostics) {
        Check(faults, d.offset <= largestFile && !d.detail.empty(),
              std::string(ToString(d.reason)) + " at offset " + std::to_string(d.offset) +
                  " lies outside every file or says nothing");
    }
    return faults;
}

}  // namespace zenthor::test
