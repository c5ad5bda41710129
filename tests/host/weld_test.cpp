// The vertex weld: which vertices merge, what the merged vertex keeps, what
// happens to faces and texture faces, and inputs that must not hang it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "host/mesh.h"
#include "host/mesh_delta.h"

namespace zenthor {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

Mesh MeshOf(const std::vector<Point3>& points) {
    Mesh mesh;
    mesh.setNumVerts(int(points.size()));
    for (int i = 0; i < int(points.size()); ++i) {
        mesh.setVert(i, points[std::size_t(i)]);
    }
    return mesh;
}

BitArray All(int n) {
    BitArray bits;
    bits.SetSize(n);
    bits.SetAll();
    return bits;
}

std::vector<DWORD> RemapOf(const std::vector<Point3>& points, float threshold) {
    Mesh mesh = MeshOf(points);
    MeshDelta delta(mesh);
    delta.WeldByThreshold(mesh, All(int(points.size())), threshold);
    std::vector<DWORD> remap = delta.VertexRemap();
    if (remap.empty()) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            remap.push_back(DWORD(i));
        }
    }
    return remap;
}

// The weld rule, pair by pair: each finite vertex, in index order,
// joins the nearest earlier representative within t (ties: lower index).
std::vector<DWORD> ReferenceRemap(const std::vector<Point3>& points, float threshold) {
    std::vector<DWORD> remap(points.size());
    std::vector<std::size_t> reps;
    const double t2 = double(threshold) * threshold;
    for (std::size_t i = 0; i < points.size(); ++i) {
        remap[i] = DWORD(i);
        if (!points[i].IsFinite()) {
            continue;
        }
        double best = 0.0;
        std::size_t found = points.size();
        for (std::size_t r : reps) {
            const double dx = double(points[i].x) - points[r].x;
            const double dy = double(points[i].y) - points[r].y;
            const double dz = double(points[i].z) - points[r].z;
            const double d2 = dx * dx + dy * dy + dz * dz;
            if (d2 <= t2 && (found == points.size() || d2 < best)) {
                best = d2;
                found = r;
            }
        }
        if (found == points.size()) {
            reps.push_back(i);
        } else {
            remap[i] = DWORD(found);
        }
    }
    return remap;
}

TEST(Weld, PairsMergeExactlyWhenWithinThreshold) {
    struct Case {
        const char* name;
        Point3 a, b;
        bool merged;
    };
    const Case cases[] = {
        {"within 0.001 diagonally", {0, 0, 0}, {0.0005f, 0.0005f, 0.0005f}, true},
        {"just beyond on x", {1, 2, 3}, {1.0011f, 2, 3}, false},
        {"beyond diagonally, each axis within", {0, 0, 0}, {0.0007f, 0.0007f, 0.0007f}, false},
        {"-0 and +0", {-0.0f, 0.0f, -0.0f}, {0.0f, -0.0f, 0.0f}, true},
        {"across a cell border at 0", {-0.0004f, 0, 0}, {0.0004f, 0, 0}, true},
        {"large coordinates, same value", {3e38f, -3e38f, 1e20f}, {3e38f, -3e38f, 1e20f}, true},
        {"large coordinates, neighbouring floats", {1e20f, 0, 0}, {std::nextafter(1e20f, kInf), 0, 0}, false},
        {"NaN never merges", {kNaN, 0, 0}, {kNaN, 0, 0}, false},
        {"infinity never merges", {kInf, 0, 0}, {kInf, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto remap = RemapOf({c.a, c.b}, 0.001f);
        EXPECT_EQ(remap[1], c.merged ? 0u : 1u);
    }
}

TEST(Weld, ThresholdEdgeValues) {
    const std::vector<Point3> points = {{0, 0, 0}, {0, 0, 0}, {5, 0, 0}, {-5, 0, 0}};
    EXPECT_EQ(RemapOf(points, 0.0f), (std::vector<DWORD>{0, 0, 2, 3}));  // exact only
    EXPECT_EQ(RemapOf(points, -1.0f), (std::vector<DWORD>{0, 1, 2, 3}));
    EXPECT_EQ(RemapOf(points, kNaN), (std::vector<DWORD>{0, 1, 2, 3}));
    EXPECT_EQ(RemapOf(points, kInf), (std::vector<DWORD>{0, 0, 0, 0}));
    EXPECT_EQ(RemapOf(points, 3e38f), (std::vector<DWORD>{0, 0, 0, 0}));
    EXPECT_EQ(RemapOf(points, 1e-45f), (std::vector<DWORD>{0, 0, 2, 3}));
}

TEST(Weld, TieAcrossACellBorderGoesToTheLowerIndex) {
    // The last vertex lies on a cell border, as far from a representative in its own
    // cell as from one in the neighbouring cell: the lower index wins either way round.
    const Point3 own(0.0005f, 0, 0), across(-0.0005f, 0, 0), border(0, 0, 0);
    EXPECT_EQ(RemapOf({own, across, border}, 0.0009f), (std::vector<DWORD>{0, 1, 0}));
    EXPECT_EQ(RemapOf({across, own, border}, 0.0009f), (std::vector<DWORD>{0, 1, 0}));
}

TEST(Weld, ChainDoesNotCollapseAndSurvivorKeepsItsPosition) {
    // a~b and b~c, but a and c are 0.0016 apart: b joins a, c stays.
    Mesh mesh = MeshOf({{0, 0, 0}, {0.0008f, 0, 0}, {0.0016f, 0, 0}, {0.0017f, 0, 0}});
    MeshDelta delta(mesh);
    EXPECT_TRUE(delta.WeldByThreshold(mesh, All(4), 0.001f));
    delta.Apply(mesh);
    ASSERT_EQ(mesh.getNumVerts(), 2);
    EXPECT_EQ(mesh.getVert(0), Point3(0, 0, 0));        // not averaged
    EXPECT_EQ(mesh.getVert(1), Point3(0.0016f, 0, 0));  // the lower index represents
}

TEST(Weld, MatchesThePairwiseRuleOnRandomClusters) {
    // Clusters about one threshold wide, so that a vertex often lies within reach of
    // several representatives and must join the nearest; shuffled, at several scales:
    // near the origin, where floats are coarse next to the threshold, and where the grid
    // gives way to exact coordinate keys. {scale, threshold}
    const std::pair<float, float> cases[] = {{2, 0.001f},    {2, 0.01f},     {2, 0.3f},
                                             {1e4f, 0.001f}, {1e6f, 1e-10f}, {1e6f, 0.2f}};
    std::mt19937 random(7);
    for (const auto& [scale, threshold] : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << scale << ", threshold " << threshold);
        std::uniform_real_distribution<float> centre(-scale, scale);
        std::normal_distribution<float> spread(0.0f, threshold);
        std::vector<Point3> points;
        for (int cluster = 0; cluster < 150; ++cluster) {
            const Point3 p(centre(random), centre(random), centre(random));
            for (int k = 0; k < 8; ++k) {
                points.push_back(k % 3 == 0 ? p : p + Point3(spread(random), spread(random), spread(random)));
            }
        }
        std::shuffle(points.begin(), points.end(), random);
        EXPECT_EQ(RemapOf(points, threshold), ReferenceRemap(points, threshold));
    }
}

TEST(Weld, UvSeamKeepsTextureVerticesAndCollapsedFacesGoInCleanUp) {
    // Two triangles side by side, each with its own three vertices (as a loader gives
    // them); the shared edge is a texture seam. The third triangle is so small that it
    // collapses into one vertex.
    Mesh mesh = MeshOf({{0, 0, 0},
                        {1, 0, 0},
                        {0, 1, 0},  // face 0
                        {1, 0, 0},
                        {1, 1, 0},
                        {0, 1, 0},  // face 1
                        {5, 5, 5},
                        {5.0004f, 5, 5},
                        {5, 5.0004f, 5}});  // face 2, tiny
    mesh.setNumFaces(3);
    mesh.setNumTVerts(9);
    mesh.setNumTVFaces(3);
    for (int f = 0; f < 3; ++f) {
        mesh.face(f).setVerts(3 * f, 3 * f + 1, 3 * f + 2);
        mesh.tvFace(f).setTVerts(3 * f, 3 * f + 1, 3 * f + 2);
    }
    for (int t = 0; t < 9; ++t) {
        mesh.setTVert(t, Point3(float(t) / 10, 0, 0));
    }

    MeshDelta delta(mesh);
    delta.WeldByThreshold(mesh, All(9), 0.001f);
    delta.Apply(mesh);

    ASSERT_EQ(mesh.getNumVerts(), 5);
    EXPECT_EQ(mesh.face(0).v[0], 0u);
    EXPECT_EQ(mesh.face(1).v[0], 1u);  // shares vertex 1 with face 0
    EXPECT_EQ(mesh.face(1).v[2], 2u);
    EXPECT_EQ(mesh.getNumTVerts(), 9);  // texture side untouched
    EXPECT_EQ(mesh.tvFace(1).t[0], 3u);
    EXPECT_TRUE(mesh.RemoveDegenerateFaces());
    EXPECT_EQ(mesh.getNumFaces(), 2);
}

TEST(Weld, ApplyKeepsIllegalIndicesIllegalAndSkipsAChangedMesh) {
    Mesh mesh = MeshOf({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}});
    mesh.setNumFaces(1);
    mesh.face(0).setVerts(1, 2, 7);
    MeshDelta delta(mesh);
    delta.WeldByThreshold(mesh, All(3), 0.001f);
    delta.Apply(mesh);
    EXPECT_EQ(mesh.face(0).v[0], 0u);
    EXPECT_GE(mesh.face(0).v[2], DWORD(mesh.getNumVerts()));
    EXPECT_TRUE(mesh.RemoveIllegalFaces());

    Mesh other = MeshOf({{0, 0, 0}, {0, 0, 0}});
    MeshDelta stale(other);
    stale.WeldByThreshold(other, All(2), 0.001f);
    other.setNumVerts(3, TRUE);
    stale.Apply(other);  // recorded for 2 vertices: nothing happens
    EXPECT_EQ(other.getNumVerts(), 3);
}

TEST(Weld, ManyNonFiniteVerticesNeitherHangNorMerge) {
    // NaN and infinite vertices mixed with huge and repeated finite ones.
    std::vector<Point3> points;
    for (int i = 0; i < 20000; ++i) {
        const Point3 kinds[4] = {
            {kNaN, float(i), 0}, {kInf, -kInf, kInf}, {3.4e38f, -3.4e38f, 0}, {float(i % 8), 0, 0}};
        points.push_back(kinds[i % 4]);
    }
    for (const float threshold : {0.001f, 0.0f, kInf}) {
        SCOPED_TRACE(threshold);
        EXPECT_EQ(RemapOf(points, threshold), ReferenceRemap(points, threshold));
    }
}

}  // namespace
}  // namespace zenthor
