// Mesh clean-up, bounding box and normals: faces that must go, vertices that must not
// count, smoothing groups, and non-finite values that must not spread.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "host/mesh.h"

namespace zenthor {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Faces 1 and 3 are degenerate, face 2 uses vertex 3 of 3; texture faces tell them apart.
Mesh FourFaces() {
    Mesh mesh;
    mesh.setNumVerts(3);
    mesh.setNumFaces(4);
    mesh.setNumTVFaces(4);
    const DWORD faces[4][3] = {{0, 1, 2}, {0, 0, 1}, {2, 1, 3}, {1, 2, 1}};
    for (int f = 0; f < 4; ++f) {
        mesh.face(f).setVerts(int(faces[f][0]), int(faces[f][1]), int(faces[f][2]));
        mesh.tvFace(f).setTVerts(f, f, f);
    }
    return mesh;
}

TEST(MeshCleanUp, RemovesFacesAndKeepsTextureFacesInStep) {
    Mesh mesh = FourFaces();
    EXPECT_TRUE(mesh.RemoveDegenerateFaces());
    ASSERT_EQ(mesh.getNumFaces(), 2);
    ASSERT_EQ(mesh.getNumTVFaces(), 2);
    EXPECT_EQ(mesh.tvFace(1).t[0], 2u);
    EXPECT_FALSE(mesh.RemoveDegenerateFaces());

    EXPECT_TRUE(mesh.RemoveIllegalFaces());
    ASSERT_EQ(mesh.getNumFaces(), 1);
    EXPECT_EQ(mesh.tvFace(0).t[0], 0u);
    EXPECT_FALSE(mesh.RemoveIllegalFaces());

    // Texture faces out of step with the faces are left alone.
    Mesh outOfStep = FourFaces();
    outOfStep.setNumTVFaces(1);
    outOfStep.RemoveDegenerateFaces();
    outOfStep.RemoveIllegalFaces();
    EXPECT_EQ(outOfStep.getNumFaces(), 1);
    EXPECT_EQ(outOfStep.getNumTVFaces(), 1);
}

TEST(MeshBoundingBox, CoversFiniteVerticesOnly) {
    Mesh mesh;
    mesh.buildBoundingBox();
    EXPECT_TRUE(mesh.getBoundingBox().IsEmpty());

    mesh.setNumVerts(4);
    mesh.setVert(0, {-1, 2, 3});
    mesh.setVert(1, {4, -5, 6});
    mesh.setVert(2, {kNaN, 100, 100});
    mesh.setVert(3, {0, -kInf, 0});
    mesh.buildBoundingBox();
    const Box3& box = mesh.getBoundingBox();
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_EQ(box.pmin, Point3(-1, -5, 3));
    EXPECT_EQ(box.pmax, Point3(4, 2, 6));
}

// Three faces around vertex 0 with the normals +z, +y and +x; vertex 0 is
// corner 0 of each.
Mesh Corner(DWORD maskA, DWORD maskB, DWORD maskC) {
    Mesh mesh;
    mesh.setNumVerts(5);
    mesh.setVert(1, {1, 0, 0});
    mesh.setVert(2, {0, 1, 0});
    mesh.setVert(3, {0, 0, 1});
    mesh.setNormal(4, {0, 1, 0});  // vertex 4 is used by no face
    mesh.setNumFaces(3);
    mesh.face(0).setVerts(0, 1, 2);
    mesh.face(1).setVerts(0, 3, 1);
    mesh.face(2).setVerts(0, 2, 3);
    mesh.face(0).setSmGroup(maskA);
    mesh.face(1).setSmGroup(maskB);
    mesh.face(2).setSmGroup(maskC);
    return mesh;
}

void ExpectNear(const Point3& actual, const Point3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6f);
    EXPECT_NEAR(actual.y, expected.y, 1e-6f);
    EXPECT_NEAR(actual.z, expected.z, 1e-6f);
}

TEST(Normals, CornersAverageOnlyFacesThatShareASmoothingGroup) {
    const Point3 z(0, 0, 1), y(0, 1, 0), x(1, 0, 0);
    const Point3 all = Point3(1, 1, 1).Normalize();
    struct Case {
        const char* name;
        DWORD masks[3];
        Point3 corner[3];  // at vertex 0, for faces 0, 1, 2
    };
    const Case cases[] = {
        {"one group", {1, 1, 1}, {all, all, all}},
        {"separate groups", {1, 2, 4}, {z, y, x}},
        {"no group: faceted", {0, 0, 0}, {z, y, x}},
        {"two smooth, one faceted", {1, 1, 0}, {(z + y).Normalize(), (z + y).Normalize(), x}},
        {"overlapping masks", {1, 3, 2}, {(z + y).Normalize(), all, (y + x).Normalize()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh mesh = Corner(c.masks[0], c.masks[1], c.masks[2]);
        mesh.buildNormals();
        ASSERT_TRUE(mesh.normalsBuilt());
        ExpectNear(mesh.getFaceNormal(0), z);
        ExpectNear(mesh.getFaceNormal(1), y);
        ExpectNear(mesh.getFaceNormal(2), x);
        for (int f = 0; f < 3; ++f) {
            ExpectNear(mesh.getCornerNormal(f, 0), c.corner[f]);
        }
        // The vertex's own normal averages every face, whatever the groups;
        // an unused vertex keeps what it was given.
        ExpectNear(mesh.getNormal(0), all);
        ExpectNear(mesh.getNormal(4), y);
    }
}

// A roof worked out by hand: faces A = (0, 2, 1) and B = (0, 1, 3) meet at the ridge
// from vertex 0 (0, 0, 1) to vertex 1 (1, 0, 1); eaves at vertex 2 (0, -1, 0) and vertex
// 3 (0, 2, -1). A's normal is (0, -1, 1) / sqrt 2 and B's (0, 1, 1) / sqrt 2, though B has
// twice A's area: unit normals are averaged, so the smooth ridge points straight up.
// Face 2 names a vertex past the end, in A's group.
TEST(Normals, RoofRidgeIsSmoothOnlyWhereTheSlopesShareAGroup) {
    const float h = 1.0f / std::sqrt(2.0f);
    const Point3 a(0, -h, h), b(0, h, h), up(0, 0, 1);
    struct Case {
        const char* name;
        DWORD maskA, maskB;
        Point3 ridgeA, ridgeB;  // corner normals at vertex 0 in A and in B
    };
    const Case cases[] = {
        {"one group", 1, 1, up, up},
        {"overlapping groups", 1, 3, up, up},
        {"separate groups: a crease", 1, 2, a, b},
        {"faceted", 0, 0, a, b},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh mesh;
        mesh.setNumVerts(4);
        mesh.setVert(0, {0, 0, 1});
        mesh.setVert(1, {1, 0, 1});
        mesh.setVert(2, {0, -1, 0});
        mesh.setVert(3, {0, 2, -1});
        mesh.setNumFaces(3);
        mesh.face(0).setVerts(0, 2, 1);
        mesh.face(1).setVerts(0, 1, 3);
        mesh.face(2).setVerts(0, 1, 9);
        mesh.face(0).setSmGroup(c.maskA);
        mesh.face(1).setSmGroup(c.maskB);
        mesh.face(2).setSmGroup(c.maskA);
        mesh.buildNormals();
        ExpectNear(mesh.getFaceNormal(0), a);
        ExpectNear(mesh.getFaceNormal(1), b);
        ExpectNear(mesh.getCornerNormal(0, 0), c.ridgeA);
        ExpectNear(mesh.getCornerNormal(1, 0), c.ridgeB);
        ExpectNear(mesh.getCornerNormal(0, 1), a);  // an eave has one face
        ExpectNear(mesh.getNormal(0), up);
        ExpectNear(mesh.getNormal(3), b);
        ExpectNear(mesh.getFaceNormal(2), Point3());
        ExpectNear(mesh.getCornerNormal(2, 0), Point3());
    }
}

TEST(Normals, DegenerateAndIllegalFacesAddNothing) {
    Mesh mesh = Corner(1, 2, 4);
    mesh.setNumFaces(5, TRUE);
    mesh.face(3).setVerts(1, 1, 2);  // zero area, shares group 1 with face 0
    mesh.face(3).setSmGroup(1);
    mesh.face(4).setVerts(0, 1, 9);  // index past the vertices
    mesh.face(4).setSmGroup(1);
    mesh.buildNormals();
    ExpectNear(mesh.getFaceNormal(3), Point3());
    ExpectNear(mesh.getFaceNormal(4), Point3());
    ExpectNear(mesh.getCornerNormal(0, 1), Point3(0, 0, 1));
    ExpectNear(mesh.getCornerNormal(4, 0), Point3());
    for (int f = 0; f < 5; ++f) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_FALSE(std::isnan(mesh.getCornerNormal(f, c).x));
        }
    }
}

TEST(Point3Normalize, GivesUnitLengthOrZeroNeverNaN) {
    const std::pair<Point3, Point3> cases[] = {
        {{3, 0, 4}, {0.6f, 0, 0.8f}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1e-30f, 0, 0}, {1, 0, 0}},  // would underflow squared in float
        {{3e30f, 0, 4e30f}, {0.6f, 0, 0.8f}},
        {{kNaN, 1, 0}, {0, 0, 0}},
        {{kInf, 0, 0}, {0, 0, 0}},
    };
    for (const auto& [in, out] : cases) {
        ExpectNear(in.Normalize(), out);
    }
}

}  // namespace
}  // namespace zenthor
