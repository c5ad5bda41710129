#include "scene/mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/mesh.h"
#include "model_fixtures.h"
#include "tests/support/mesh_invariants.h"

namespace zenthor {
namespace {

using test::MakeMesh;
using test::OneTriangleMesh;
using test::VertexSpec;

// Builds and checks what must hold of any built mesh.
void BuildChecked(const ModelMesh& mesh, Mesh& host) {
    BuildMesh(mesh, host, 0);
    for (const std::string& fault : test::MeshInvariantFaults(host)) {
        ADD_FAILURE() << fault;
    }
}

void ExpectPoint(const Point3& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

TEST(BuildMesh, ExchangesAxesReversesCornersAndFlipsV) {
    auto mesh = OneTriangleMesh();
    mesh->vertices[1].position[1] = 2.0f;  // model (1, 2, 0) must land at host (1, 0, 2)
    mesh->vertices[1].position[2] = 0.0f;
    mesh->vertices[0].uv[0] = 0.25f;  // (0.25, 0) must become (0.25, 1, 0)
    Mesh host;
    EXPECT_EQ(BuildMesh(*mesh, host, 2), 1);

    ASSERT_EQ(host.getNumVerts(), 3);
    ASSERT_EQ(host.getNumFaces(), 1);
    ExpectPoint(host.getVert(0), 0, 0, 0);
    ExpectPoint(host.getVert(1), 1, 0, 2);
    ExpectPoint(host.getVert(2), 0, 0, 1);

    const Face& face = host.face(0);
    EXPECT_EQ(face.v[0], 2u);
    EXPECT_EQ(face.v[1], 1u);
    EXPECT_EQ(face.v[2], 0u);
    EXPECT_EQ(face.smGroup, 3u) << "the third mesh's faces carry the number 3, not a bit";
    for (int edge = 0; edge < 3; ++edge) EXPECT_TRUE(face.getEdgeVis(edge));

    ASSERT_EQ(host.getNumTVFaces(), 1);
    EXPECT_EQ(host.tvFace(0).t[0], 2u);
    EXPECT_EQ(host.tvFace(0).t[1], 1u);
    EXPECT_EQ(host.tvFace(0).t[2], 0u);
    ASSERT_EQ(host.getNumTVerts(), 3);
    ExpectPoint(host.getTVert(0), 0.25f, 1, 0);
    ExpectPoint(host.getTVert(1), 1, 1, 0);
    ExpectPoint(host.getTVert(2), 0, 0, 0);
    EXPECT_TRUE(host.normalsBuilt());
}

// Two triangles of a quad stored with six vertices, as exporters write them.
std::unique_ptr<ModelMesh> QuadWithDuplicates(float offset) {
    std::vector<VertexSpec> vertices = {
        {{0, 0, 0}, {0, 0}}, {{1, 0, 0}, {1, 0}}, {{1, 0, 1}, {1, 1}},
        {{0, 0, 0}, {0, 0}}, {{1, 0, 1}, {1, 1}}, {{0, 0, 1 + offset}, {0, 1}},
    };
    vertices[3].position[0] += offset;
    vertices[4].position[2] += offset;
    return MakeMesh(vertices, {0, 1, 2, 3, 4, 5});
}

TEST(BuildMesh, WeldsVerticesWithinTheThreshold) {
    struct Case {
        const char* what;
        float offset;
        int vertsAfterWeld;
    };
    const Case cases[] = {
        {"exactly shared", 0.0f, 4},
        {"within 0.001", 0.0004f, 4},
        {"beyond 0.001", 0.004f, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mesh host;
        BuildChecked(*QuadWithDuplicates(c.offset), host);
        EXPECT_EQ(host.getNumVerts(), c.vertsAfterWeld);
        EXPECT_EQ(host.getNumFaces(), 2);
        EXPECT_EQ(host.getNumTVerts(), 6) << "texture vertices are not welded";
    }
}

TEST(BuildMesh, FaceThatCollapsesInTheWeldIsRemoved) {
    std::vector<VertexSpec> vertices = {
        {{0, 0, 0}, {0, 0}},
        {{1, 0, 0}, {1, 0}},
        {{0, 0, 1}, {0, 1}},
        {{1.0002f, 0, 0}, {1, 0}},
    };
    Mesh host;
    BuildChecked(*MakeMesh(vertices, {0, 1, 2, 0, 1, 3}), host);
    EXPECT_EQ(host.getNumVerts(), 3);
    EXPECT_EQ(host.getNumFaces(), 1);
    EXPECT_EQ(host.getNumTVFaces(), 1) << "texture faces stay in step with faces";
}

// A triangle with an index outside the vertices is dropped and the rest import; indices
// left over after the last whole triangle build nothing.
TEST(BuildMesh, OnlyWholeTrianglesOfValidIndicesAreBuilt) {
    std::vector<VertexSpec> vertices = {{{0, 0, 0}, {0, 0}}, {{1, 0, 0}, {1, 0}}, {{0, 0, 1}, {0, 1}}};
    const struct {
        std::vector<std::uint16_t> indices;
        int faces;
    } cases[] = {{{0, 1, 3, 0, 1, 2, 65535, 0, 1}, 1}, {{0}, 0}, {{0, 1}, 0}, {{0, 1, 2, 2, 1, 0, 0}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.indices.size());
        Mesh host;
        BuildChecked(*MakeMesh(vertices, c.indices), host);
        ASSERT_EQ(host.getNumFaces(), c.faces);
        EXPECT_EQ(host.getNumTVFaces(), c.faces);
        EXPECT_TRUE(c.faces == 0 || host.face(0).v[0] == 2u) << "the first valid triangle, corners reversed";
    }
}

TEST(BuildMesh, NonFinitePositionsAndZeroNormalsImportWithoutNaNNormals) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<VertexSpec> vertices = {
        {{0, 0, 0}, {0, 0}, {0, 0, 0}},   {{1, 0, 0}, {1, 0}, {0, 0, 0}},
        {{0, 0, 1}, {0, 1}, {0, 0, 0}},   {{nan, 0, 0}, {0, 0}, {0, 0, 0}},
        {{inf, 0, 0}, {0, 0}, {0, 0, 0}}, {{-inf, nan, 0}, {0, 0}, {0, 0, 0}},
    };
    Mesh host;
    BuildChecked(*MakeMesh(vertices, {0, 1, 2, 3, 4, 5}), host);  // finite faces get finite normals
    EXPECT_EQ(host.getNumFaces(), 2);
}

}  // namespace
}  // namespace zenthor
