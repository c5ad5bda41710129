#include "tests/support/large_models.h"

#include <utility>

namespace zenthor::test {
namespace {

Chunk GroundEntry(const std::vector<StaticVertexRecord>& vertices,
                  const std::vector<std::uint16_t>& indices) {
    return MeshEntry({MeshTexturesChunk("ground", "terrain\\ground", ""), StaticVerticesChunk(vertices),
                      IndicesChunk(indices)});
}

constexpr std::uint32_t kGridWidth = 1000;

StaticVertexRecord TerrainVertex(std::uint32_t x, std::uint32_t y) {
    StaticVertexRecord v;
    v.position[0] = static_cast<float>(x);
    v.position[1] = 0.1f * static_cast<float>((x * 7 + y * 3) % 5);
    v.position[2] = static_cast<float>(y);
    v.normal = PackVector(128, 255, 128);
    v.uv[0] = static_cast<float>(x) / kGridWidth;
    v.uv[1] = static_cast<float>(y) / kGridWidth;
    return v;
}

}  // namespace

Bytes UnweldedTriangleModel(std::uint32_t triangles, std::vector<std::uint32_t>* entryVertices) {
    std::vector<Chunk> entries;
    std::uint32_t remaining = triangles * 3;
    std::uint32_t triangle = 0;
    while (remaining > 0) {
        const std::uint32_t count = remaining < kMaxEntryVertices ? remaining : kMaxEntryVertices;
        std::vector<StaticVertexRecord> vertices(count);
        std::vector<std::uint16_t> indices(count);
        for (std::uint32_t i = 0; i < count; i += 3, ++triangle) {
            const float x = static_cast<float>(triangle % kGridWidth);
            const float y = static_cast<float>(triangle / kGridWidth);
            const float corners[3][2] = {{0, 0}, {1, 0}, {0, 1}};
            for (std::uint32_t k = 0; k < 3; ++k) {
                StaticVertexRecord& v = vertices[i + k];
                v.position[0] = x + corners[k][0];
                v.position[1] = y + corners[k][1];
                v.position[2] = 0.25f * static_cast<float>(k);
                v.normal = PackVector(128, 128, 255);
                v.auxVector1 = PackVector(255, 128, 128);
                v.auxVector2 = PackVector(128, 255, 128);
                v.uv[0] = corners[k][0];
                v.uv[1] = corners[k][1];
                indices[i + k] = static_cast<std::uint16_t>(i + k);
            }
        }
        entries.push_back(GroundEntry(vertices, indices));
        if (entryVertices != nullptr) entryVertices->push_back(count);
        remaining -= count;
    }
    return Serialize({MeshesChunk(std::move(entries))});
}

Bytes TerrainModel(std::uint32_t triangles) {
    constexpr std::uint32_t kWholeQuads = kMaxEntryVertices - kMaxEntryVertices % 6;
    std::vector<Chunk> entries;
    std::vector<StaticVertexRecord> vertices;
    std::vector<std::uint16_t> indices;
    for (std::uint32_t quad = 0; quad < triangles / 2; ++quad) {
        const std::uint32_t x = quad % kGridWidth;
        const std::uint32_t y = quad / kGridWidth;
        for (auto [dx, dy] : {std::pair{0u, 0u}, {1u, 0u}, {1u, 1u}, {0u, 0u}, {1u, 1u}, {0u, 1u}}) {
            indices.push_back(static_cast<std::uint16_t>(vertices.size()));
            vertices.push_back(TerrainVertex(x + dx, y + dy));
        }
        if (vertices.size() + 6 > kWholeQuads) {
            entries.push_back(GroundEntry(vertices, indices));
            vertices.clear();
            indices.clear();
        }
    }
    if (!vertices.empty()) entries.push_back(GroundEntry(vertices, indices));
    return Serialize({MeshesChunk(std::move(entries))});
}

}  // namespace zenthor::test
