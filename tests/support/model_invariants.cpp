#include "tests/support/model_invariants.h"

#include <cmath>

#include "model/vertex_decoders.h"

namespace zenthor::test {
namespace {

class Faults {
public:
    void Check(bool holds, const std::string& what) {
        if (!holds) {
            m_lines.push_back(what);
        }
    }
    std::vector<std::string> Take() { return std::move(m_lines); }

private:
    std::vector<std::string> m_lines;
};

bool InUnitRange(const float (&v)[3]) {
    for (float c : v) {
        if (!(c >= 0.0f && c <= 1.0f)) {
            return false;
        }
    }
    return true;
}

// A string read from a file ends at its NUL, so none may hold one.
bool Terminated(const std::string& text) {
    return text.find('\0') == std::string::npos;
}

void CheckVertex(Faults& faults, const ModelVertex& v, bool skinned, const std::string& where) {
    faults.Check(InUnitRange(v.normal) && InUnitRange(v.auxVector1) && InUnitRange(v.auxVector2),
                 where + ": a packed vector decoded outside [0, 1]");
    if (skinned) {
        // 16-bit fixed point: positions within 32768 * 3/8192, uv within 32768/2048.
        bool bounded = true;
        for (float p : v.position) bounded = bounded && std::fabs(p) <= 12.0f;
        for (float t : v.uv) bounded = bounded && std::fabs(t) <= 16.0f;
        for (float w : v.boneWeights) bounded = bounded && w >= 0.0f && w <= 255.0f && w == std::floor(w);
        faults.Check(bounded, where + ": a skinned field outside what 16-bit or byte storage gives");
    } else {
        bool unset = true;
        for (int k = 0; k < 4; ++k) unset = unset && v.boneIndices[k] == 0 && v.boneWeights[k] == 0.0f;
        faults.Check(unset, where + ": a static vertex carries bone data");
    }
}

void CheckMesh(Faults& faults, const ModelMesh* mesh, std::uint64_t largestFile, const std::string& where) {
    faults.Check(mesh != nullptr, where + ": null record");
    if (mesh == nullptr) {
        return;
    }
    faults.Check(mesh->vertexCount > 0 && mesh->vertices != nullptr, where + ": kept without vertices");
    faults.Check(mesh->indexCount > 0 && mesh->indices != nullptr, where + ": kept without indices");
    const std::uint64_t backing = mesh->vertexCount * kStaticVertexSize + mesh->indexCount * std::uint64_t{2};
    faults.Check(backing <= largestFile, where + ": arrays of " + std::to_string(backing) +
                                             " bytes, more than any file holds");
    faults.Check(Terminated(mesh->textureName) && Terminated(mesh->materialName) && Terminated(mesh->extraName),
                 where + ": a name holds a NUL");
    if (mesh->vertices == nullptr || backing > largestFile) {
        return;  // the counts cannot be trusted to walk the array
    }
    for (std::uint32_t i = 0; i < mesh->vertexCount; ++i) {
        CheckVertex(faults, mesh->vertices[i], mesh->skinned, where + " vertex " + std::to_string(i));
    }
    // Indices beyond the vertices are kept as read; touching each shows a short array to
    // the sanitizers.
    volatile std::uint16_t sink = 0;
    for (std::uint32_t i = 0; mesh->indices != nullptr && i < mesh->indexCount; ++i) {
        sink = sink | mesh->indices[i];
    }
}

}  // namespace

std::vector<std::string> ModelInvariantFaults(const CZenthorModel& model, const LoadLog& log, bool loaded,
                                              std::uint64_t largestFile) {
    Faults faults;
    faults.Check(loaded == (model.GetMeshCount() > 0), "the result disagrees with the meshes kept");
    faults.Check(model.currentMesh == nullptr, "an entry is still being read after the load");
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        CheckMesh(faults, model.GetMesh(i), largestFile, "mesh " + std::to_string(i));
    }

    const std::string& root = model.contentRoot;
    const std::string folder = "\\content\\";
    faults.Check(root.empty() || (root.size() >= folder.size() &&
                                  root.compare(root.size() - folder.size(), folder.size(), folder) == 0 &&
                                  root.find('/') == std::string::npos),
                 "content root \"" + root + "\" does not end in its content folder");
    for (const auto& [key, value] : model.textureAliases) {
        faults.Check(key.find('=') == std::string::npos && Terminated(key) && Terminated(value),
                     "alias key \"" + key + "\" holds '=' or a NUL");
    }

    std::size_t opened = 0;
    for (const ReferenceRecord& ref : log.references) {
        faults.Check(ref.depth >= 1 && ref.depth <= CZenthorModel::kMaxReferenceDepth + 1,
                     "reference \"" + ref.name + "\" at depth " + std::to_string(ref.depth));
        faults.Check(Terminated(ref.name) && !ref.path.empty(), "reference \"" + ref.name + "\" has a broken name");
        opened += ref.outcome == ReferenceOutcome::Loaded ? 1 : 0;
    }
    faults.Check(opened <= CZenthorModel::kMaxReferencedFiles, "more referenced files opened than allowed");
    for (const Diagnostic& d : log.diagnostics) {
        faults.Check(d.offset <= largestFile && !d.detail.empty(),
                     std::string(ToString(d.reason)) + " at offset " + std::to_string(d.offset) +
                         " lies outside every file or says nothing");
    }
    return faults.Take();
}

}  // namespace zenthor::test
