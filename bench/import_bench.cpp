// A whole import of a large model, from file to finished host meshes: 1,000,000 triangles
// stored as 3,000,000 static vertices (entries of at most 65,535 vertices), laid out as a
// terrain grid whose triangles each carry their own copies of shared corners, so the weld
// has real work (about six copies of every position).
//
// Reports the load-only time and the whole import (load, build, weld, clean-up, normals,
// bounding box) in the same run, the time of each stage, and peak memory against the file
// size plus the in-memory model. The file is generated in a child process so that its
// buffers do not count in this process's peak.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/host_scene.h"
#include "host/mesh.h"
#include "host/tri_object.h"
#include "import/import_job.h"
#include "scene/mesh_builder.h"
#include "bench/large_models.h"
#include "tests/support/temp_content_tree.h"

namespace {

using namespace zenthor;
using namespace zenthor::test;
using namespace zenthor::bench;

constexpr std::uint32_t kTriangles = 1000000;

struct Fixture {
    std::unique_ptr<TempContentTree> tree;
    std::string path;
    std::uint64_t fileSize = 0;
};

Fixture& TheFixture() {
    static Fixture fixture = [] {
        Fixture f;
        f.tree = std::make_unique<TempContentTree>();
        f.path = f.tree->Path("models/terrain.model");
        if (fork() == 0) {
            f.tree->Write("models/terrain.model", TerrainModel(kTriangles));
            _exit(0);
        }
        int status = 0;
        wait(&status);
        FILE* file = std::fopen(f.path.c_str(), "rb");
        if (file != nullptr) {
            std::fseek(file, 0, SEEK_END);
            f.fileSize = static_cast<std::uint64_t>(std::ftell(file));
            std::fclose(file);
        }
        return f;
    }();
    return fixture;
}

std::uint64_t ModelBytes(const CZenthorModel& model) {
    std::uint64_t bytes = 0;
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh& mesh = *model.GetMesh(i);
        bytes += sizeof(ModelMesh) + mesh.vertexCount * sizeof(ModelVertex) +
                 mesh.indexCount * sizeof(std::uint16_t);
    }
    return bytes;
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_LoadOnly(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    for (auto _ : state) {
        ImportJob job;
        if (!job.LoadModel(fixture.path, false)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(job.model.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.fileSize));
}

void BM_WholeImport(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    std::uint64_t modelBytes = 0;
    for (auto _ : state) {
        HostScene scene;
        ImportJob job;
        if (!job.LoadModel(fixture.path, false)) state.SkipWithError("load failed");
        job.BuildScene(&scene);
        modelBytes = ModelBytes(*job.model);
        benchmark::DoNotOptimize(scene.NodeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.fileSize));
    const double fileAndModelMb = static_cast<double>(fixture.fileSize + modelBytes) / (1024.0 * 1024.0);
    state.counters["file+model_MB"] = fileAndModelMb;
    state.counters["peak_RSS_MB"] = PeakResidentMegabytes();
    state.counters["peak/(file+model)"] = PeakResidentMegabytes() / fileAndModelMb;
}

// One import taken apart, each stage timed on its own (manual time: the sum of stages).
void BM_ImportStages(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const Fixture& fixture = TheFixture();
    double seconds[6] = {};
    auto sum = [&] {
        double total = 0;
        for (double s : seconds) total += s;
        return total;
    };
    for (auto _ : state) {
        const double before = sum();
        HostScene scene;
        ImportJob job;
        auto mark = Clock::now();
        auto lap = [&](int stage) {
            const auto now = Clock::now();
            seconds[stage] += std::chrono::duration<double>(now - mark).count();
            mark = now;
        };
        job.LoadModel(fixture.path, false);
        lap(0);
        std::vector<TriObject*> objects;
        for (int i = 0; i < job.model->GetMeshCount(); ++i) {
            objects.push_back(CreateNewTriObject());
            FillHostMesh(*job.model->GetMesh(i), objects.back()->GetMesh(), static_cast<std::uint32_t>(i));
        }
        lap(1);
        for (int i = 0; i < job.model->GetMeshCount(); ++i) {
            WeldHostMesh(objects[i]->GetMesh(), job.model->GetMesh(i)->vertexCount);
        }
        lap(2);
        for (TriObject* object : objects) {
            object->GetMesh().RemoveDegenerateFaces();
            object->GetMesh().RemoveIllegalFaces();
        }
        lap(3);
        for (TriObject* object : objects) object->GetMesh().buildNormals();
        lap(4);
        for (TriObject* object : objects) {
            object->GetMesh().buildBoundingBox();
            object->GetMesh().InvalidateEdgeList();
        }
        lap(5);
        state.SetIterationTime(sum() - before);
    }
    const char* names[6] = {"load_ms", "fill_ms", "weld_ms", "cleanup_ms", "normals_ms", "bbox_ms"};
    for (int stage = 0; stage < 6; ++stage) {
        state.counters[names[stage]] = 1000.0 * seconds[stage] / static_cast<double>(state.iterations());
    }
}

BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WholeImport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImportStages)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
