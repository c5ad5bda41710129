// The two vertex formats decode as stored files expect, including their odd corners.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "model/vertex_decoders.h"
#include "tests/model/loader_test_util.h"

namespace zenthor {
namespace {

using namespace test;

TEST(PackedVector, UnsignedComponentsWithTheTopByteIgnored) {
    const struct {
        std::uint32_t packed;
        float x, y, z;
    } cases[] = {
        {0x00FF8000u, 1.0f, 0.50196081f, 0.0f},
        {0xFF010203u, 1 / 255.0f, 2 / 255.0f, 3 / 255.0f},
    };
    for (const auto& c : cases) {
        float v[3];
        DecodePackedVector(c.packed, v);
        EXPECT_FLOAT_EQ(v[0], c.x) << std::hex << c.packed;
        EXPECT_FLOAT_EQ(v[1], c.y) << std::hex << c.packed;
        EXPECT_FLOAT_EQ(v[2], c.z) << std::hex << c.packed;
    }
}

// The entry's names, and its vertices after the first two as loaded: floats bit for bit,
// each packed vector in its place. That no bone data is left is checked after every load.
TEST(StaticDecoding, NamesAndFloatsPassBitForBitAndFieldsLandInTheirPlaces) {
    StaticVertexRecord record;
    record.position[0] = std::numeric_limits<float>::quiet_NaN();
    record.position[1] = -0.0f;
    record.position[2] = std::numeric_limits<float>::denorm_min();
    record.auxVector1 = PackVector(255, 0, 0);
    record.normal = PackVector(0, 255, 0);
    record.auxVector2 = PackVector(0, 0, 255);
    record.uv[0] = -3.5f;
    record.uv[1] = std::numeric_limits<float>::infinity();
    MeshDesc triangle = TriangleMesh("brick", "walls\\brick", "x");
    triangle.staticVertices[2] = record;
    LoadResult r = LoadFile(Serialize({MeshesChunk({MeshEntry(triangle)})}));
    ASSERT_EQ(r.model->GetMeshCount(), 1);
    const ModelMesh& mesh = *r.model->GetMesh(0);
    EXPECT_EQ(mesh.textureName + " " + mesh.materialName + " " + mesh.extraName, "brick walls\\brick x");
    EXPECT_EQ(mesh.vertices[1].position[0], 1.0f);
    EXPECT_EQ(mesh.vertices[1].uv[0], 1.0f);
    const ModelVertex& v = mesh.vertices[2];
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v.position[k]),
                  std::bit_cast<std::uint32_t>(record.position[k]));
    }
    EXPECT_EQ(v.auxVector1[0], 1.0f);
    EXPECT_EQ(v.normal[1], 1.0f);
    EXPECT_EQ(v.auxVector2[2], 1.0f);
    EXPECT_EQ(v.uv[0], -3.5f);
    EXPECT_EQ(v.uv[1], std::numeric_limits<float>::infinity());
}

TEST(SkinnedDecoding, ScalesAndPlacesBehindTheBoneData) {
    SkinnedVertexRecord record;
    record.position[0] = 4096;
    record.position[1] = -4096;
    record.position[2] = -32768;
    record.unread = 0xFFFF;
    record.normal = PackVector(0, 0, 255);
    record.auxVector1 = PackVector(255, 0, 0);
    record.auxVector2 = PackVector(0, 255, 0);
    const std::uint8_t bones[4] = {3, 250, 0, 7};
    const std::uint8_t weights[4] = {255, 200, 0, 1};
    std::memcpy(record.boneIndices, bones, 4);
    std::memcpy(record.boneWeights, weights, 4);
    record.uv[0] = 2048;
    record.uv[1] = -1024;
    SkinnedVertexRecord top;
    top.position[0] = 32767;
    top.uv[0] = -32768;
    top.uv[1] = 32767;
    // Behind 255 bones, so that the vertices are found only when the bone data is stepped
    // over exactly.
    MeshDesc mesh;
    mesh.skinnedVertices = {record, top};
    mesh.boneCount = 255;
    mesh.indices = {0, 1, 0};
    LoadResult r = LoadFile(Serialize({MeshesChunk({MeshEntry(mesh)})}));
    ASSERT_EQ(r.model->GetMeshCount(), 1);
    ASSERT_TRUE(r.model->GetMesh(0)->skinned);
    const ModelVertex* v = r.model->GetMesh(0)->vertices.get();
    EXPECT_EQ(v[0].position[0], 1.5f);
    EXPECT_EQ(v[0].position[1], -1.5f);
    EXPECT_EQ(v[0].position[2], -12.0f);
    EXPECT_EQ(v[1].position[0], 11.9996337890625f);
    EXPECT_EQ(v[0].normal[2], 1.0f);  // the third word is the normal here
    EXPECT_EQ(v[0].auxVector1[0], 1.0f);
    EXPECT_EQ(v[0].auxVector2[1], 1.0f);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(v[0].boneIndices[k], bones[k]);
        EXPECT_EQ(v[0].boneWeights[k], static_cast<float>(weights[k]));  // not scaled
    }
    EXPECT_EQ(v[0].uv[0], 1.0f);
    EXPECT_EQ(v[0].uv[1], -0.5f);
    EXPECT_EQ(v[1].uv[0], -16.0f);
    EXPECT_EQ(v[1].uv[1], 15.99951171875f);
}

// Assembling entries: which sub-chunk wins, what is skipped, what is kept.
TEST(MeshAssembly, LaterSubChunksWinAndEntriesWithoutVerticesOrIndicesAreDropped) {
    const MeshDesc tri = TriangleMesh("t", "m");
    const MeshDesc quad = SkinnedQuadMesh("q", "s", 0);
    Bytes longHeader(80, 0);
    for (std::size_t i = 0; i < longHeader.size(); ++i) {
        longHeader[i] = static_cast<std::uint8_t>(i);
    }
    const std::vector<Chunk> entries = {
        // static then skinned: the later vertices win
        MeshEntry({StaticVerticesChunk(tri.staticVertices), SkinnedVerticesChunk(quad.skinnedVertices, 0),
                   IndicesChunk(quad.indices)},
                  7),
        // an 80-byte header keeps 64, the next sub-chunk is read normally; id 6 is skipped
        MeshEntry({MeshHeaderChunk(longHeader), RawChunk(6, {1, 2, 3}), MeshTexturesChunk("h", "h", "h"),
                   StaticVerticesChunk(tri.staticVertices),
                   IndicesChunk(std::vector<std::uint16_t>{0, 1, 2, 0})}),
        // no vertices, zero vertices, no indices, zero indices: dropped
        MeshEntry({IndicesChunk(tri.indices)}),
        MeshEntry({StaticVerticesChunk({}), IndicesChunk(tri.indices)}),
        MeshEntry({StaticVerticesChunk(tri.staticVertices)}),
        MeshEntry({StaticVerticesChunk(tri.staticVertices), IndicesChunk({})}),
        // repeated textures: the second wins
        MeshEntry({MeshTexturesChunk("a", "a", "a"), MeshTexturesChunk("b", "b", "b"),
                   StaticVerticesChunk(tri.staticVertices), IndicesChunk(tri.indices)}),
        // indices beyond the vertices are kept as read
        MeshEntry(
            {StaticVerticesChunk(tri.staticVertices), IndicesChunk(std::vector<std::uint16_t>{0, 1, 65535})}),
        MeshEntry(std::vector<Chunk>{}),
    };
    LoadResult r = LoadFile(Serialize({MeshesChunk(entries), RawChunk(12, {0})}));
    ASSERT_EQ(r.model->GetMeshCount(), 4);
    const ModelMesh& skinned = *r.model->GetMesh(0);
    EXPECT_EQ(skinned.vertexCount, 4u);
    EXPECT_EQ(skinned.vertices[1].position[0], 1.5f);
    EXPECT_EQ(skinned.textureName, "");
    const ModelMesh& headed = *r.model->GetMesh(1);
    EXPECT_EQ(headed.header[63], 63);
    EXPECT_EQ(headed.textureName, "h");
    EXPECT_EQ(headed.indexCount, 4u);
    EXPECT_EQ(r.model->GetMesh(2)->textureName, "b");
    EXPECT_EQ(r.model->GetMesh(3)->indices[2], 65535);
    EXPECT_EQ(r.log.Count(SkipReason::MeshDropped), 5u);
    EXPECT_EQ(r.log.Count(SkipReason::UnknownChunk), 2u);  // sub-chunk 6, top-level 12
}

}  // namespace
}  // namespace zenthor
