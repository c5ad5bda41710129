// The host weld on a loader-shaped mesh of 3,000,000 vertices (1,000,000
// triangles of a height-field grid, three vertices of their own per
// triangle, so each grid position is shared by up to six vertices), next to
// meshoptimizer's exact vertex remap over the same 12-byte positions.
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>
#include <vector>

#include "host/mesh.h"
#include "host/mesh_delta.h"

namespace {

constexpr int kColumns = 1000;
constexpr int kRows = 500;  // 1000 x 500 quads, two triangles each
constexpr float kWeldThreshold = 0.001f;

// jitter > 0 moves every vertex by up to that much per axis, so shared
// positions are near, not equal (only the tolerant weld joins them).
Mesh MakeGrid(float jitter) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> offset(-jitter, jitter);
    auto position = [&](int column, int row) {
        const float x = float(column) * 0.01f;
        const float z = float(row) * 0.01f;
        Point3 p(x, std::sin(x * 3.0f) * std::cos(z * 2.0f), z);
        if (jitter > 0.0f) {
            p += Point3(offset(random), offset(random), offset(random));
        }
        return p;
    };
    Mesh mesh;
    mesh.setNumVerts(kColumns * kRows * 6);
    mesh.setNumFaces(kColumns * kRows * 2);
    int vertex = 0;
    int face = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int corners[2][3][2] = {{{0, 0}, {1, 0}, {1, 1}}, {{0, 0}, {1, 1}, {0, 1}}};
            for (const auto& triangle : corners) {
                for (const auto& corner : triangle) {
                    mesh.setVert(vertex++, position(column + corner[0], row + corner[1]));
                }
                mesh.face(face).setVerts(vertex - 3, vertex - 2, vertex - 1);
                ++face;
            }
        }
    }
    return mesh;
}

Mesh& Grid() {
    static Mesh mesh = MakeGrid(0.0f);
    return mesh;
}

const Mesh& JitteredGrid() {
    static const Mesh mesh = MakeGrid(0.0002f);
    return mesh;
}

BitArray AllSelected(int n) {
    BitArray bits(n);
    bits.SetAll();
    return bits;
}

void BM_MeshoptExactRemap(benchmark::State& state) {
    const Mesh& mesh = Grid();
    const std::size_t n = std::size_t(mesh.getNumVerts());
    std::vector<unsigned int> remap(n);
    std::size_t unique = 0;
    for (auto _ : state) {
        unique =
            meshopt_generateVertexRemap(remap.data(), nullptr, n, mesh.verts().data(), n, sizeof(Point3));
        benchmark::DoNotOptimize(remap.data());
    }
    state.counters["unique"] = double(unique);
    state.SetItemsProcessed(state.iterations() * std::int64_t(n));
}

void WeldOnly(benchmark::State& state, const Mesh& source) {
    Mesh mesh = source;
    const BitArray all = AllSelected(mesh.getNumVerts());
    std::vector<DWORD> remap;
    for (auto _ : state) {
        MeshDelta delta(mesh);
        delta.WeldByThreshold(mesh, all, kWeldThreshold);
        benchmark::DoNotOptimize(delta.VertexRemap().data());
        state.PauseTiming();
        remap = delta.VertexRemap();
        state.ResumeTiming();
    }
    std::size_t unique = 0;
    for (std::size_t i = 0; i < remap.size(); ++i) {
        unique += remap[i] == i ? 1 : 0;
    }
    state.counters["unique"] = double(unique);
    state.SetItemsProcessed(state.iterations() * mesh.getNumVerts());
}

void BM_WeldByThreshold(benchmark::State& state) {
    WeldOnly(state, Grid());
}
void BM_WeldByThresholdJittered(benchmark::State& state) {
    WeldOnly(state, JitteredGrid());
}

// The whole weld as the mesh builder runs it: record, then apply (vertex
// compaction and face remapping); the copy of the source mesh is not timed.
void BM_WeldAndApply(benchmark::State& state) {
    const Mesh& source = Grid();
    int remaining = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Mesh mesh = source;
        state.ResumeTiming();
        MeshDelta delta(mesh);
        delta.WeldByThreshold(mesh, AllSelected(mesh.getNumVerts()), kWeldThreshold);
        delta.Apply(mesh);
        remaining = mesh.getNumVerts();
        state.PauseTiming();
        mesh = Mesh();  // free outside the timing
        state.ResumeTiming();
    }
    state.counters["unique"] = remaining;
}

// The unfavourable case for a grid: 1,000,000 points scattered in a cube so
// densely that neighbours lie about one threshold apart.
Mesh& DenseCloud() {
    static Mesh mesh = [] {
        std::mt19937 random(5);
        std::uniform_real_distribution<float> coordinate(0.0f, 0.1f);
        Mesh cloud;
        cloud.setNumVerts(1000000);
        for (int i = 0; i < cloud.getNumVerts(); ++i) {
            cloud.setVert(i, Point3(coordinate(random), coordinate(random), coordinate(random)));
        }
        return cloud;
    }();
    return mesh;
}

void BM_WeldDenseCloud(benchmark::State& state) {
    Mesh& mesh = DenseCloud();
    const BitArray all = AllSelected(mesh.getNumVerts());
    std::size_t unique = 0;
    for (auto _ : state) {
        MeshDelta delta(mesh);
        delta.WeldByThreshold(mesh, all, kWeldThreshold);
        benchmark::DoNotOptimize(delta.VertexRemap().data());
        state.PauseTiming();
        unique = 0;
        for (std::size_t i = 0; i < delta.VertexRemap().size(); ++i) {
            unique += delta.VertexRemap()[i] == i ? 1 : 0;
        }
        state.ResumeTiming();
    }
    state.counters["unique"] = double(unique);
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

// The least of five runs of f, in this thread's CPU time (other work on a shared
// machine does not count).
template <typename F>
double LeastSeconds(F f) {
    double least = 1e300;
    for (int run = 0; run < 5; ++run) {
        const double start = ThreadSeconds();
        f();
        least = std::min(least, ThreadSeconds() - start);
    }
    return least;
}

double WeldSeconds(Mesh& mesh) {
    const BitArray all = AllSelected(mesh.getNumVerts());
    return LeastSeconds([&] {
        MeshDelta delta(mesh);
        delta.WeldByThreshold(mesh, all, kWeldThreshold);
        benchmark::DoNotOptimize(delta.VertexRemap().data());
    });
}

// The dense cloud's weld, and the grid's, against the exact-remap floor on the grid, in
// the same run. Each is timed on its own, so that one does not inherit the memory
// another has freed.
void BM_DenseCloudAgainstExactRemap(benchmark::State& state) {
    Mesh& grid = Grid();
    std::vector<unsigned int> remap(grid.verts().size());
    double floor = 0.0;
    double cloud = 0.0;
    double onGrid = 0.0;
    for (auto _ : state) {
        floor = LeastSeconds([&] {
            meshopt_generateVertexRemap(remap.data(), nullptr, remap.size(), grid.verts().data(), remap.size(),
                                        sizeof(Point3));
            benchmark::DoNotOptimize(remap.data());
        });
        cloud = WeldSeconds(DenseCloud());
        onGrid = WeldSeconds(grid);
    }
    state.counters["exact_remap_ms"] = 1000.0 * floor;
    state.counters["dense_cloud_ms"] = 1000.0 * cloud;
    state.counters["dense_cloud/exact_remap"] = cloud / floor;
    state.counters["grid/exact_remap"] = onGrid / floor;
}

BENCHMARK(BM_MeshoptExactRemap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldByThreshold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldAndApply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldByThresholdJittered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldDenseCloud)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseCloudAgainstExactRemap)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
