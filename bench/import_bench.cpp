// A whole import of a large model, from file to finished host meshes: 1,000,000 triangles
// stored as 3,000,000 static vertices (entries of at most 65,535 vertices), laid out as a
// terrain grid whose triangles each carry their own copies of shared corners, so the weld
// has real work (about six copies of every position).
//
// Reports the load-only time and the whole import (load, build, weld, clean-up, normals,
// bounding box), each stage against its floor measured in the same run, and the peak memory
// of an import against the file size plus the in-memory model. The file is generated in a
// child process so that its buffers do not count in this process.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/large_model.h"
#include "host/host_scene.h"
#include "host/mesh.h"
#include "host/tri_object.h"
#include "import/import_job.h"
#include "scene/mesh_builder.h"
#include "tests/support/large_models.h"

namespace {

using namespace zenthor;
using namespace zenthor::test;
using namespace zenthor::bench;

std::uint64_t ModelBytes(const CZenthorModel& model) {
    std::uint64_t bytes = 0;
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh& mesh = *model.GetMesh(i);
        bytes += sizeof(ModelMesh) + mesh.vertexCount * sizeof(ModelVertex) +
                 mesh.indexCount * sizeof(std::uint16_t);
    }
    return bytes;
}

// Kilobytes of one line ("VmRSS:", "VmHWM:") of /proc/self/status; 0 when missing.
std::uint64_t StatusKilobytes(const char* key) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return 0;
    char line[256];
    std::uint64_t kb = 0;
    const std::size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, key, keyLength) == 0) kb = std::strtoull(line + keyLength, nullptr, 10);
    }
    std::fclose(status);
    return kb;
}

// CPU time of this thread: other work on a shared machine does not count, page faults do.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs `measure` in a fresh child process and gives back the figures it wrote (all -1 when
// the child failed). Each measurement so starts from the same small heap, as an import in
// a fresh host process does: memory freed by an earlier measurement cannot make a later
// one cheaper.
template <std::size_t N, class Measure>
std::array<double, N> InChild(Measure measure) {
    std::array<double, N> figures{};
    int ends[2];
    if (pipe(ends) != 0) return figures;
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        measure(figures);
        (void)!write(ends[1], figures.data(), sizeof figures);
        _exit(0);
    }
    close(ends[1]);
    if (child < 0 || read(ends[0], figures.data(), sizeof figures) != sizeof figures) figures.fill(-1);
    close(ends[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return figures;
}

void BM_LoadOnly(benchmark::State& state) {
    const LargeModel& fixture = TheLargeModel();
    for (auto _ : state) {
        ImportJob job;
        if (!job.LoadModel(fixture.path, false)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(job.model.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.fileSize));
}

void BM_WholeImport(benchmark::State& state) {
    const LargeModel& fixture = TheLargeModel();
    for (auto _ : state) {
        HostScene scene;
        ImportJob job;
        if (!job.LoadModel(fixture.path, false)) state.SkipWithError("load failed");
        job.BuildScene(&scene);
        benchmark::DoNotOptimize(scene.NodeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.fileSize));
}

// The floor of the fill: a plain copy of the bytes it writes (positions, normals, texture
// vertices, faces and texture faces), either into fresh memory that stays, as the mesh's
// arrays do, or into `warm`, memory already in use (the copy alone, without page faults).
void CopyFilledBytes(const Mesh& mesh, std::vector<std::unique_ptr<char[]>>& copies, std::vector<char>* warm) {
    const std::size_t vertexBytes = mesh.verts().size() * sizeof(Point3);
    const std::size_t sizes[5] = {vertexBytes, vertexBytes, mesh.tVerts().size() * sizeof(Point3),
                                  mesh.faces().size() * sizeof(Face), mesh.tvFaces().size() * sizeof(TVFace)};
    const void* sources[5] = {mesh.verts().data(), mesh.verts().data(), mesh.tVerts().data(),
                              mesh.faces().data(), mesh.tvFaces().data()};
    std::size_t offset = 0;
    for (int array = 0; array < 5; ++array) {
        char* target = nullptr;
        if (warm != nullptr) {
            target = warm->data() + offset;
            offset += sizes[array];
        } else {
            copies.emplace_back(new char[sizes[array]]);
            target = copies.back().get();
        }
        std::memcpy(target, sources[array], sizes[array]);
        benchmark::DoNotOptimize(target);
    }
}

// The floor of the normals: one plain pass that adds each face's unit normal to its corners'
// vertices, then makes the sums unit length.
void AccumulateFaceNormals(const Mesh& mesh) {
    std::vector<Point3> sums(mesh.verts().size());
    const std::vector<Point3>& verts = mesh.verts();
    for (const Face& face : mesh.faces()) {
        const Point3& a = verts[face.v[0]];
        const Point3 n = CrossProd(verts[face.v[1]] - a, verts[face.v[2]] - a).Normalize();
        for (DWORD v : face.v) sums[v] += n;
    }
    for (Point3& sum : sums) sum = sum.Normalize();
    benchmark::DoNotOptimize(sums.data());
}

enum Figure {
    Load, Whole, Fill, FillFloor, FillWarm, FillFloorWarm, Weld, CleanUp, Normals, NormalsFloor, Bbox,
    PeakMb, FileAndModelMb, kFigures
};

// A whole import as the plug-in runs it, in this (fresh) process: its time and its peak
// memory above what the process held before.
void MeasureWholeImport(const LargeModel& fixture, std::array<double, kFigures>& figures) {
    if (std::FILE* reset = std::fopen("/proc/self/clear_refs", "w")) {  // "5": peak := current
        std::fputs("5", reset);
        std::fclose(reset);
    }
    const std::uint64_t before = StatusKilobytes("VmRSS:");
    HostScene scene;
    ImportJob job;
    const double start = ThreadSeconds();
    job.LoadModel(fixture.path, false);
    job.BuildScene(&scene);
    figures[Whole] = ThreadSeconds() - start;
    figures[PeakMb] = static_cast<double>(StatusKilobytes("VmHWM:") - before) / 1024.0;
    figures[FileAndModelMb] = static_cast<double>(fixture.fileSize + ModelBytes(*job.model)) / (1024.0 * 1024.0);
}

// One import taken apart, each stage next to its floor, in this (fresh) process.
void MeasureStages(const LargeModel& fixture, std::array<double, kFigures>& figures) {
    HostScene scene;
    ImportJob job;
    double mark = ThreadSeconds();
    auto lap = [&](Figure figure) {
        const double now = ThreadSeconds();
        figures[figure] += now - mark;
        mark = now;
    };
    job.LoadModel(fixture.path, false);
    lap(Load);
    std::vector<std::unique_ptr<char[]>> fillCopies;
    // The fill and its copy once more into memory already in use, before the timed ones.
    Mesh warmMesh;
    std::vector<char> warmCopy(5 * 65536 * sizeof(Face));
    for (int i = 0; i < job.model->GetMeshCount(); ++i) {
        const ModelMesh& modelMesh = *job.model->GetMesh(i);
        Mesh& mesh = CreateNewTriObject()->GetMesh();
        FillHostMesh(modelMesh, warmMesh, static_cast<std::uint32_t>(i));
        CopyFilledBytes(warmMesh, fillCopies, &warmCopy);
        mark = ThreadSeconds();
        FillHostMesh(modelMesh, warmMesh, static_cast<std::uint32_t>(i));
        lap(FillWarm);
        CopyFilledBytes(warmMesh, fillCopies, &warmCopy);
        lap(FillFloorWarm);
        FillHostMesh(modelMesh, mesh, static_cast<std::uint32_t>(i));
        lap(Fill);
        CopyFilledBytes(mesh, fillCopies, nullptr);
        lap(FillFloor);
        WeldHostMesh(mesh, modelMesh.vertexCount);
        lap(Weld);
        mesh.RemoveDegenerateFaces();
        mesh.RemoveIllegalFaces();
        lap(CleanUp);
        mesh.buildNormals();
        lap(Normals);
        AccumulateFaceNormals(mesh);
        lap(NormalsFloor);
        mesh.buildBoundingBox();
        mesh.InvalidateEdgeList();
        lap(Bbox);
    }
}

// Each stage against its floor, measured in the same run: the fill against a plain copy of
// what it writes (into fresh memory, and once more into memory in use, which leaves out
// the page faults that dominate on a virtual machine), the normals against one plain accumulating pass, a whole import (as the
// plug-in runs it) against loading alone; and the peak memory of the whole import against
// the file plus the in-memory model. Every measurement runs in a fresh process (see
// InChild); times are its thread's CPU time (page faults included), and each figure is the
// least over the iterations, which the other work on a shared machine disturbs least.
void BM_StagesAgainstFloors(benchmark::State& state) {
    const LargeModel& fixture = TheLargeModel();
    const char* names[kFigures] = {"load_ms",       "import_ms",     "fill_ms",          "fill_floor_ms",
                                   "fill_warm_ms",  "fill_floor_warm_ms", "weld_ms",   "cleanup_ms",
                                   "normals_ms",    "normals_floor_ms",   "bbox_ms",   "peak_MB",
                                   "file+model_MB"};
    std::array<double, kFigures> best;
    best.fill(1e300);
    for (auto _ : state) {
        const auto stages = InChild<kFigures>([&](auto& figures) { MeasureStages(fixture, figures); });
        const auto whole = InChild<kFigures>([&](auto& figures) { MeasureWholeImport(fixture, figures); });
        const auto loadOnly = InChild<kFigures>([&](auto& figures) {
            ImportJob job;
            const double start = ThreadSeconds();
            job.LoadModel(fixture.path, false);
            figures[Load] = ThreadSeconds() - start;
        });
        if (stages[Fill] < 0 || whole[Whole] < 0 || loadOnly[Load] < 0) {
            state.SkipWithError("a measuring process failed");
            break;
        }
        for (int figure = 0; figure < kFigures; ++figure) {
            const double value = figure == Load                        ? loadOnly[Load]
                                 : figure == Whole || figure >= PeakMb ? whole[figure]
                                                                       : stages[figure];
            best[figure] = std::min(best[figure], value);
        }
        state.SetIterationTime(whole[Whole]);
    }
    for (int figure = 0; figure < kFigures; ++figure) {
        state.counters[names[figure]] = figure < PeakMb ? 1000.0 * best[figure] : best[figure];
    }
    state.counters["fill/floor"] = best[Fill] / best[FillFloor];
    state.counters["fill/floor_warm"] = best[FillWarm] / best[FillFloorWarm];
    state.counters["normals/floor"] = best[Normals] / best[NormalsFloor];
    state.counters["import/load"] = best[Whole] / best[Load];
    state.counters["peak/(file+model)"] = best[PeakMb] / best[FileAndModelMb];
}

BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StagesAgainstFloors)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    return RunWithLargeModel(argc, argv, [] { return TerrainModel(kLargeModelTriangles); });
}
