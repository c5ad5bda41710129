// The in-memory model's records: one ModelMesh per kept mesh entry, with its decoded
// vertices.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace zenthor {

// One decoded vertex. Fields that a file format does not fill are zero.
struct ModelVertex {
    float position[3];
    float normal[3];      // each component a byte / 255, so never negative
    float auxVector1[3];  // decoded like normal; not used by scene construction
    float auxVector2[3];
    std::uint8_t boneIndices[4];  // skinned vertices only
    float boneWeights[4];         // byte values 0 to 255, not scaled; skinned vertices only
    float uv[2];
};

struct ModelMesh {
    std::array<std::uint8_t, 64> header{};  // the entry's mesh header as read, never interpreted
    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    std::unique_ptr<ModelVertex[]> vertices;  // vertexCount entries
    // indexCount entries, three per triangle (indexCount / 3 triangles, rounded down).
    // Kept exactly as read: an index may be >= vertexCount, and whoever looks vertices up
    // by index must check it (the mesh builder drops such triangles).
    std::unique_ptr<std::uint16_t[]> indices;
    std::string textureName;   // after alias resolution
    std::string materialName;  // after alias resolution; its part after the last '\' names the object
    std::string extraName;     // after alias resolution; stored, used by nothing
    bool skinned = false;      // the vertices came from a skinned vertex sub-chunk
};

}  // namespace zenthor
