#include "tests/support/model_writer.h"

namespace zenthor::test {
namespace {

std::uint64_t PayloadSize(const Chunk& chunk) {
    std::uint64_t size = chunk.data.size();
    for (const Chunk& child : chunk.children) size += 8 + PayloadSize(child);
    return size;
}

void AppendChunk(Bytes& out, const Chunk& chunk) {
    const auto size = static_cast<std::uint32_t>(
        chunk.declaredSize.value_or(static_cast<std::uint32_t>(PayloadSize(chunk))));
    const Bytes header = ByteWriter().U32(chunk.id).U32(size).Raw(chunk.data).Take();
    out.insert(out.end(), header.begin(), header.end());
    for (const Chunk& child : chunk.children) AppendChunk(out, child);
}

}  // namespace

Bytes Serialize(const std::vector<Chunk>& chunks) {
    Bytes out;
    for (const Chunk& chunk : chunks) AppendChunk(out, chunk);
    return out;
}

std::uint32_t PackVector(std::uint8_t x, std::uint8_t y, std::uint8_t z, std::uint8_t top) {
    return std::uint32_t{top} << 24 | std::uint32_t{x} << 16 | std::uint32_t{y} << 8 | z;
}

Chunk MeshHeaderChunk(std::span<const std::uint8_t> header) {
    return {1, Bytes(header.begin(), header.end()), {}, {}};
}

Chunk MeshTexturesChunk(std::string_view texture, std::string_view material, std::string_view extra) {
    return {2, ByteWriter().String(texture).String(material).String(extra).Take(), {}, {}};
}

Chunk StaticVerticesChunk(std::span<const StaticVertexRecord> vertices,
                          std::optional<std::uint32_t> claimedCount) {
    ByteWriter w;
    // a word the reader does not interpret, then the count
    w.U32(0).U32(claimedCount.value_or(static_cast<std::uint32_t>(vertices.size())));
    for (const StaticVertexRecord& v : vertices) {
        w.F32(v.position[0]).F32(v.position[1]).F32(v.position[2]);
        w.U32(v.auxVector1).U32(v.normal).U32(v.auxVector2);
        w.F32(v.uv[0]).F32(v.uv[1]);
    }
    return {3, w.Take(), {}, {}};
}

Chunk SkinnedVerticesChunk(std::span<const SkinnedVertexRecord> vertices, std::uint8_t boneCount,
                           std::optional<std::uint32_t> claimedCount) {
    ByteWriter w;
    w.U8(boneCount);
    for (unsigned bone = 0; bone < boneCount; ++bone) w.U8(static_cast<std::uint8_t>(bone));
    for (unsigned bone = 0; bone < boneCount; ++bone) w.Raw(Bytes(60, static_cast<std::uint8_t>(bone)));
    w.U32(claimedCount.value_or(static_cast<std::uint32_t>(vertices.size())));
    for (const SkinnedVertexRecord& v : vertices) {
        w.I16(v.position[0]).I16(v.position[1]).I16(v.position[2]).U16(v.unread);
        w.U32(v.normal).U32(v.auxVector1).U32(v.auxVector2);
        w.Raw(std::span<const std::uint8_t>(v.boneIndices)).Raw(std::span<const std::uint8_t>(v.boneWeights));
        w.I16(v.uv[0]).I16(v.uv[1]);
    }
    return {5, w.Take(), {}, {}};
}

Chunk IndicesChunk(std::span<const std::uint16_t> indices, std::optional<std::uint32_t> claimedCount) {
    ByteWriter w;
    w.U32(claimedCount.value_or(static_cast<std::uint32_t>(indices.size())));
    for (std::uint16_t index : indices) w.U16(index);
    return {4, w.Take(), {}, {}};
}

Chunk MeshesChunk(std::vector<Chunk> entries) {
    return {9, {}, std::move(entries), {}};
}

Chunk MeshRefsChunk(const std::vector<std::string>& lists, std::optional<std::uint32_t> claimedCount) {
    ByteWriter w;
    w.U32(claimedCount.value_or(static_cast<std::uint32_t>(lists.size())));
    for (const std::string& list : lists) w.String(list);
    return {16, w.Take(), {}, {}};
}

Chunk TextureAliasesChunk(std::string_view text) {
    return {29, ByteWriter().String(text).Take(), {}, {}};
}

Chunk RawChunk(std::uint32_t id, Bytes data) {
    return {id, std::move(data), {}, {}};
}

Chunk MeshEntry(std::vector<Chunk> subChunks, std::uint32_t entryId) {
    return {entryId, {}, std::move(subChunks), {}};
}

Chunk MeshEntry(const MeshDesc& mesh) {
    std::vector<Chunk> parts;
    if (mesh.header) parts.push_back(MeshHeaderChunk(*mesh.header));
    if (mesh.names) parts.push_back(MeshTexturesChunk((*mesh.names)[0], (*mesh.names)[1], (*mesh.names)[2]));
    if (!mesh.skinnedVertices.empty()) {
        parts.push_back(SkinnedVerticesChunk(mesh.skinnedVertices, mesh.boneCount));
    } else if (!mesh.staticVertices.empty()) {
        parts.push_back(StaticVerticesChunk(mesh.staticVertices));
    }
    if (!mesh.indices.empty()) parts.push_back(IndicesChunk(mesh.indices));
    return MeshEntry(std::move(parts));
}

MeshDesc TriangleMesh(std::string_view texture, std::string_view material, std::string_view extra) {
    MeshDesc mesh;
    mesh.header = std::array<std::uint8_t, 64>{};
    mesh.names = std::array<std::string, 3>{std::string(texture), std::string(material), std::string(extra)};
    const std::uint32_t normal = PackVector(255, 128, 128);
    mesh.staticVertices = {
        {{0, 0, 0}, 0, normal, 0, {0, 0}},
        {{1, 0, 0}, 0, normal, 0, {1, 0}},
        {{0, 1, 0}, 0, normal, 0, {0, 1}},
    };
    mesh.indices = {0, 1, 2};
    return mesh;
}

MeshDesc SkinnedQuadMesh(std::string_view texture, std::string_view material, std::uint8_t boneCount) {
    MeshDesc mesh;
    mesh.header = std::array<std::uint8_t, 64>{};
    mesh.names = std::array<std::string, 3>{std::string(texture), std::string(material), std::string()};
    mesh.boneCount = boneCount;
    const std::uint32_t up = PackVector(128, 128, 255);
    // Positions in steps of 3/8192 (4096 is 1.5), uv in steps of 1/2048 (2048 is 1.0).
    const std::int16_t corners[4][2] = {{-4096, -4096}, {4096, -4096}, {4096, 4096}, {-4096, 4096}};
    const std::int16_t uvs[4][2] = {{0, 0}, {2048, 0}, {2048, 2048}, {0, 2048}};
    for (int i = 0; i < 4; ++i) {
        SkinnedVertexRecord v;
        v.position[0] = corners[i][0];
        v.position[1] = corners[i][1];
        v.normal = up;
        v.boneIndices[0] = 0;
        v.boneIndices[1] = 1;
        v.boneWeights[0] = static_cast<std::uint8_t>(i < 2 ? 255 : 128);
        v.boneWeights[1] = static_cast<std::uint8_t>(i < 2 ? 0 : 127);
        v.uv[0] = uvs[i][0];
        v.uv[1] = uvs[i][1];
        mesh.skinnedVertices.push_back(v);
    }
    mesh.indices = {0, 1, 2, 0, 2, 3};
    return mesh;
}

MeshDesc BoxMesh(std::string_view texture, std::string_view material, float size, const float centre[3]) {
    MeshDesc mesh;
    mesh.header = std::array<std::uint8_t, 64>{};
    mesh.names = std::array<std::string, 3>{std::string(texture), std::string(material), std::string()};
    const float h = size / 2;
    // Per face: the axis it faces along, its sign, and the two axes spanning it.
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = -1; sign <= 1; sign += 2) {
            const int u = (axis + 1) % 3;
            const int v = (axis + 2) % 3;
            std::uint8_t packed[3] = {128, 128, 128};
            packed[axis] = sign > 0 ? 255 : 0;
            const auto first = static_cast<std::uint16_t>(mesh.staticVertices.size());
            const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (const auto& corner : corners) {
                StaticVertexRecord vertex;
                vertex.position[axis] = centre[axis] + sign * h;
                vertex.position[u] = centre[u] + corner[0] * h;
                vertex.position[v] = centre[v] + corner[1] * h;
                vertex.normal = PackVector(packed[0], packed[1], packed[2]);
                vertex.uv[0] = (corner[0] + 1) / 2;
                vertex.uv[1] = (corner[1] + 1) / 2;
                mesh.staticVertices.push_back(vertex);
            }
            // Counter-clockwise seen from outside, on every face.
            const std::array<std::uint16_t, 6> quad =
                sign > 0 ? std::array<std::uint16_t, 6>{0, 1, 2, 0, 2, 3} : std::array<std::uint16_t, 6>{0, 2, 1, 0, 3, 2};
            for (std::uint16_t q : quad)
                mesh.indices.push_back(static_cast<std::uint16_t>(first + q));
        }
    }
    return mesh;
}

}  // namespace zenthor::test
