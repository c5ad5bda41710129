// Mesh arrays, clean-up, bounding box, and the small value types under them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "host/bit_array.h"
#include "host/mesh.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(MeshSize, NewEntriesAreZeroAndKeepDecidesAboutOldOnes) {
    Mesh mesh;
    ASSERT_TRUE(mesh.setNumVerts(2));
    mesh.setVert(0, {1, 2, 3});
    mesh.setVert(1, {4, 5, 6});
    mesh.setNormal(1, {0, 0, 1});

    ASSERT_TRUE(mesh.setNumVerts(3, TRUE));  // grow, keeping
    EXPECT_EQ(mesh.getVert(1), Point3(4, 5, 6));
    EXPECT_EQ(mesh.getNormal(1), Point3(0, 0, 1));
    EXPECT_EQ(mesh.getVert(2), Point3());
    EXPECT_EQ(mesh.getNormal(2), Point3());

    ASSERT_TRUE(mesh.setNumVerts(1, TRUE));  // shrink, keeping
    ASSERT_TRUE(mesh.setNumVerts(2, TRUE));  // the dropped entry comes back zero
    EXPECT_EQ(mesh.getVert(0), Point3(1, 2, 3));
    EXPECT_EQ(mesh.getVert(1), Point3());

    ASSERT_TRUE(mesh.setNumVerts(2));  // same size, not keeping: all zero
    EXPECT_EQ(mesh.getVert(0), Point3());

    EXPECT_FALSE(mesh.setNumVerts(-1));
    EXPECT_EQ(mesh.getNumVerts(), 2);
}

TEST(MeshSize, FacesAndTextureFaces) {
    Mesh mesh;
    mesh.setNumFaces(2);
    mesh.face(1).setVerts(4, 5, 6);
    mesh.face(1).setSmGroup(3);
    mesh.face(1).setEdgeVisFlags(1, 1, 1);
    mesh.setNumFaces(3, TRUE);
    EXPECT_EQ(mesh.face(1).v[2], 6u);
    EXPECT_EQ(mesh.face(1).smGroup, 3u);
    EXPECT_TRUE(mesh.face(1).getEdgeVis(0) && mesh.face(1).getEdgeVis(1) && mesh.face(1).getEdgeVis(2));
    EXPECT_EQ(mesh.face(2).flags, 0u);

    mesh.setNumTVFaces(3);
    for (int f = 0; f < 3; ++f) {
        mesh.tvFace(f).setTVerts(f, f, f);
    }
    mesh.setNumTVFaces(4, TRUE, 1);  // keeps only the first old entry
    EXPECT_EQ(mesh.tvFace(0).t[0], 0u);
    EXPECT_EQ(mesh.tvFace(1).t[0], 0u);
    EXPECT_EQ(mesh.tvFace(2).t[0], 0u);
    EXPECT_EQ(mesh.getNumTVFaces(), 4);
}

TEST(MeshSize, AccessOutsideTheArraysThrows) {
    Mesh mesh;
    mesh.setNumVerts(2);
    mesh.setNumFaces(1);
    EXPECT_THROW(mesh.setVert(2, {}), std::out_of_range);
    EXPECT_THROW(mesh.getVert(-1), std::out_of_range);
    EXPECT_THROW(mesh.setNormal(2, {}), std::out_of_range);
    EXPECT_THROW(mesh.face(1), std::out_of_range);
    EXPECT_THROW(mesh.tvFace(0), std::out_of_range);
    EXPECT_THROW(mesh.setTVert(0, {}), std::out_of_range);
    EXPECT_THROW(mesh.getCornerNormal(0, 3), std::out_of_range);
}

Mesh FourFaces() {
    Mesh mesh;
    mesh.setNumVerts(3);
    mesh.setNumFaces(4);
    mesh.setNumTVFaces(4);
    const DWORD faces[4][3] = {{0, 1, 2}, {0, 0, 1}, {2, 1, 3}, {1, 2, 1}};
    for (int f = 0; f < 4; ++f) {
        mesh.face(f).setVerts(int(faces[f][0]), int(faces[f][1]), int(faces[f][2]));
        mesh.tvFace(f).setTVerts(f, f, f);  // tells the faces apart
    }
    return mesh;
}

TEST(MeshCleanUp, RemovesFacesAndKeepsTextureFacesInStep) {
    Mesh mesh = FourFaces();
    EXPECT_TRUE(mesh.RemoveDegenerateFaces());  // faces 1 and 3
    ASSERT_EQ(mesh.getNumFaces(), 2);
    ASSERT_EQ(mesh.getNumTVFaces(), 2);
    EXPECT_EQ(mesh.tvFace(1).t[0], 2u);
    EXPECT_FALSE(mesh.RemoveDegenerateFaces());

    EXPECT_TRUE(mesh.RemoveIllegalFaces());  // face 2 uses vertex 3 of 3
    ASSERT_EQ(mesh.getNumFaces(), 1);
    EXPECT_EQ(mesh.tvFace(0).t[0], 0u);
    EXPECT_FALSE(mesh.RemoveIllegalFaces());
}

TEST(MeshCleanUp, TextureFacesOutOfStepAreLeftAlone) {
    Mesh mesh = FourFaces();
    mesh.setNumTVFaces(1);
    mesh.RemoveDegenerateFaces();
    mesh.RemoveIllegalFaces();
    EXPECT_EQ(mesh.getNumFaces(), 1);
    EXPECT_EQ(mesh.getNumTVFaces(), 1);
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

TEST(Point3Normalize, GivesUnitLengthOrZeroNeverNaN) {
    struct Case {
        Point3 in;
        Point3 out;
    };
    const Case cases[] = {
        {{3, 0, 4}, {0.6f, 0, 0.8f}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1e-30f, 0, 0}, {1, 0, 0}},  // would underflow squared in float
        {{3e30f, 0, 4e30f}, {0.6f, 0, 0.8f}},
        {{kNaN, 1, 0}, {0, 0, 0}},
        {{kInf, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Point3 n = c.in.Normalize();
        EXPECT_NEAR(n.x, c.out.x, 1e-6f);
        EXPECT_NEAR(n.y, c.out.y, 1e-6f);
        EXPECT_NEAR(n.z, c.out.z, 1e-6f);
    }
}

TEST(BitArray, SizeSaveAndCount) {
    BitArray bits(70);
    bits.SetAll();
    EXPECT_EQ(bits.NumberSet(), 70);
    bits.Clear(3);
    bits.SetSize(100, 1);  // grown bits are clear; old ones kept
    EXPECT_EQ(bits.NumberSet(), 69);
    EXPECT_FALSE(bits[3]);
    EXPECT_TRUE(bits[69]);
    EXPECT_FALSE(bits[70]);
    EXPECT_FALSE(bits[1000]);
    bits.SetSize(65, 1);
    EXPECT_EQ(bits.NumberSet(), 64);
    bits.SetSize(65);
    EXPECT_EQ(bits.NumberSet(), 0);
    EXPECT_THROW(bits.Set(65), std::out_of_range);
}

}  // namespace
