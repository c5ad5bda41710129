// Model meshes built in memory for scene tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/model_mesh.h"
#include "model/file_source.h"
#include "model/zenthor_model.h"
#include "tests/support/model_writer.h"

namespace zenthor::test {

struct VertexSpec {
    float position[3];
    float uv[2];
    float normal[3] = {0.0f, 1.0f, 0.0f};
};

inline std::unique_ptr<ModelMesh> MakeMesh(const std::vector<VertexSpec>& vertices,
                                           const std::vector<std::uint16_t>& indices,
                                           std::string materialName = "", std::string textureName = "") {
    auto mesh = std::make_unique<ModelMesh>();
    mesh->vertexCount = static_cast<std::uint32_t>(vertices.size());
    mesh->vertices = std::make_unique<ModelVertex[]>(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        ModelVertex& v = mesh->vertices[i];
        for (int k = 0; k < 3; ++k) {
            v.position[k] = vertices[i].position[k];
            v.normal[k] = vertices[i].normal[k];
        }
        v.uv[0] = vertices[i].uv[0];
        v.uv[1] = vertices[i].uv[1];
    }
    mesh->indexCount = static_cast<std::uint32_t>(indices.size());
    mesh->indices = std::make_unique<std::uint16_t[]>(indices.size());
    std::copy(indices.begin(), indices.end(), mesh->indices.get());
    mesh->materialName = std::move(materialName);
    mesh->textureName = std::move(textureName);
    return mesh;
}

// The one-triangle mesh as the loader reads it from the writer's file: (0,0,0), (1,0,0),
// (0,1,0), uv (0,0), (1,0), (0,1), normal bytes (255, 128, 128), texture "brick",
// material "walls\brick".
inline std::unique_ptr<ModelMesh> OneTriangleMesh() {
    MemoryFiles files;
    files.Add("a.mesh", Serialize({MeshesChunk({MeshEntry(TriangleMesh("brick", "walls\\brick"))})}));
    CZenthorModel model;
    model.LoadFromFile("a.mesh", false, nullptr, &files);
    return std::move(model.meshes.at(0));
}

}  // namespace zenthor::test
