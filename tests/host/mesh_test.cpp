// Mesh clean-up and bounding box: faces that must go, and vertices that must not count.
#include <gtest/gtest.h>

#include <limits>

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

}  // namespace
}  // namespace zenthor
