// Writes model and mesh files from a description, for tests, fuzz seeds, benchmarks and
// the sample content. Everything the reader accepts can be written, and so can what it
// must survive: wrong declared sizes, counts that claim more than is there, unknown ids.
//
//   Bytes file = Serialize({TextureAliasesChunk("a=b"),
//                           MeshesChunk({MeshEntry(TriangleMesh("brick", "walls\\brick"))}),
//                           MeshRefsChunk({"wall,door"})});
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zenthor::test {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian values to a byte buffer.
class ByteWriter {
public:
    ByteWriter& U8(std::uint8_t value) { return Raw(std::span(&value, 1)); }
    ByteWriter& U16(std::uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
    ByteWriter& I16(std::int16_t value) { return U16(static_cast<std::uint16_t>(value)); }
    ByteWriter& U32(std::uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    ByteWriter& F32(float value) { return U32(std::bit_cast<std::uint32_t>(value)); }
    ByteWriter& String(std::string_view text) { return Raw(text).U8(0); }  // the text and its NUL
    ByteWriter& Raw(std::span<const std::uint8_t> bytes) { return Append(bytes.begin(), bytes.end()); }
    ByteWriter& Raw(std::string_view bytes) { return Append(bytes.begin(), bytes.end()); }  // no NUL added
    ByteWriter& Zeros(std::size_t count) { return Raw(Bytes(count, 0)); }
    const Bytes& bytes() const { return m_bytes; }
    Bytes Take() { return std::move(m_bytes); }

private:
    template <typename It>
    ByteWriter& Append(It first, It last) {
        m_bytes.insert(m_bytes.end(), first, last);
        return *this;
    }
    Bytes m_bytes;
};

// One chunk: an 8-byte header, then `data`, then the chunks of `children` (a payload may
// have both, for files that mix flat data and sub-chunks). `declaredSize`, when set, is
// written into the header instead of the true payload size.
struct Chunk {
    std::uint32_t id = 0;
    Bytes data;
    std::vector<Chunk> children;
    std::optional<std::uint32_t> declaredSize;
};

Bytes Serialize(const std::vector<Chunk>& chunks);

// Vertex records exactly as stored (see the decoders for the field meanings).
struct StaticVertexRecord {
    float position[3] = {0, 0, 0};
    std::uint32_t auxVector1 = 0;
    std::uint32_t normal = 0;
    std::uint32_t auxVector2 = 0;
    float uv[2] = {0, 0};
};
struct SkinnedVertexRecord {
    std::int16_t position[3] = {0, 0, 0};
    std::uint16_t unread = 0;
    std::uint32_t normal = 0;
    std::uint32_t auxVector1 = 0;
    std::uint32_t auxVector2 = 0;
    std::uint8_t boneIndices[4] = {0, 0, 0, 0};
    std::uint8_t boneWeights[4] = {0, 0, 0, 0};
    std::int16_t uv[2] = {0, 0};
};

// x in bits 16-23, y in 8-15, z in 0-7, `top` in the ignored top byte.
std::uint32_t PackVector(std::uint8_t x, std::uint8_t y, std::uint8_t z, std::uint8_t top = 0);

// Mesh sub-chunks. `claimedCount` writes a count other than the number of items given.
Chunk MeshHeaderChunk(std::span<const std::uint8_t> header);
Chunk MeshTexturesChunk(std::string_view texture, std::string_view material, std::string_view extra);
Chunk StaticVerticesChunk(std::span<const StaticVertexRecord> vertices,
                          std::optional<std::uint32_t> claimedCount = {});
// `boneCount` bones: one byte each (their index), then a 60-byte record each (filled with
// the bone's index), then the vertex count and the vertices.
Chunk SkinnedVerticesChunk(std::span<const SkinnedVertexRecord> vertices, std::uint8_t boneCount = 0,
                           std::optional<std::uint32_t> claimedCount = {});
Chunk IndicesChunk(std::span<const std::uint16_t> indices, std::optional<std::uint32_t> claimedCount = {});

// Top-level chunks.
Chunk MeshesChunk(std::vector<Chunk> entries);
Chunk MeshRefsChunk(const std::vector<std::string>& lists, std::optional<std::uint32_t> claimedCount = {});
Chunk TextureAliasesChunk(std::string_view text);
Chunk RawChunk(std::uint32_t id, Bytes data);

// A mesh entry from its parts; written in the order header, textures, vertices, indices,
// each only when present (no names, no vertices or no indices leave that sub-chunk out).
struct MeshDesc {
    std::optional<std::array<std::uint8_t, 64>> header;
    std::optional<std::array<std::string, 3>> names;  // texture, material, extra
    std::vector<StaticVertexRecord> staticVertices;
    std::vector<SkinnedVertexRecord> skinnedVertices;  // written instead of static ones when non-empty
    std::uint8_t boneCount = 0;
    std::vector<std::uint16_t> indices;
};
Chunk MeshEntry(const MeshDesc& mesh);
Chunk MeshEntry(std::vector<Chunk> subChunks, std::uint32_t entryId = 0);

// A static triangle (0,0,0), (1,0,0), (0,1,0) with indices 0 1 2, normal (1, 0.5, 0.5).
MeshDesc TriangleMesh(std::string_view texture, std::string_view material, std::string_view extra = "");
// A skinned quad: four vertices on bones 0 and 1, two triangles.
MeshDesc SkinnedQuadMesh(std::string_view texture, std::string_view material, std::uint8_t boneCount = 2);
// An axis-aligned box of side `size` centred at `centre`: 24 static vertices, 12 triangles.
MeshDesc BoxMesh(std::string_view texture, std::string_view material, float size, const float centre[3]);

}  // namespace zenthor::test
