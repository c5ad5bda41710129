// Whole-process conversion of a 1,000,000-triangle model to .glb by the zenthor program:
// wall time, the process's peak memory, and the split between the import (the plug-in's
// DoImport: load, scene construction with weld and normals) and the writing (vertex
// splitting, buffer, GLB file), as the program reports them with --timings. The target is
// writing no slower than the import.
//
// The model: 1,000,000 separate triangles in mesh entries of at most 65,535 vertices
// (indices are 16-bit), each vertex with its own position, normal and texture coordinate.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/zenthor_run.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"

namespace {

using namespace zenthor::test;

constexpr std::uint32_t kTriangles = 1000000;
constexpr std::uint32_t kMaxEntryVertices = 65535;

struct Fixture {
    std::unique_ptr<TempContentTree> tree;
    std::string model;
    std::string output;
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void GenerateModel(Fixture& fixture) {
    fixture.tree = std::make_unique<TempContentTree>();
    std::vector<Chunk> entries;
    std::uint32_t remaining = kTriangles * 3;
    std::uint32_t triangle = 0;
    while (remaining > 0) {
        const std::uint32_t count = remaining < kMaxEntryVertices ? remaining : kMaxEntryVertices;
        std::vector<StaticVertexRecord> vertices(count);
        std::vector<std::uint16_t> indices(count);
        for (std::uint32_t i = 0; i < count; i += 3, ++triangle) {
            const float x = static_cast<float>(triangle % 1000);
            const float y = static_cast<float>(triangle / 1000);
            const float corners[3][2] = {{0, 0}, {1, 0}, {0, 1}};
            for (std::uint32_t k = 0; k < 3; ++k) {
                StaticVertexRecord& v = vertices[i + k];
                v.position[0] = x + corners[k][0];
                v.position[1] = y + corners[k][1];
                v.position[2] = 0.25f * static_cast<float>(k);
                v.normal = PackVector(128, 128, 255);
                v.uv[0] = corners[k][0];
                v.uv[1] = corners[k][1];
                indices[i + k] = static_cast<std::uint16_t>(i + k);
            }
        }
        entries.push_back(MeshEntry({MeshTexturesChunk("ground", "terrain\\ground", ""),
                                     StaticVerticesChunk(vertices), IndicesChunk(indices)}));
        remaining -= count;
    }
    fixture.model = fixture.tree->Write("models/large.model", Serialize({MeshesChunk(std::move(entries))}));
    fixture.output = (fixture.tree->Base() / "large.glb").string();
}

void BM_ConvertLargeModelToGlb(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    double importSeconds = 0, writeSeconds = 0, peakMiB = 0;
    for (auto _ : state) {
        const zenthor::bench::ZenthorRun run = zenthor::bench::RunZenthorProcess(
            {"import", fixture.model, "-o", fixture.output, "--yes", "--timings"});
        if (run.exitCode != 0) {
            state.SkipWithError(("zenthor failed: " + run.err).c_str());
            return;
        }
        double import = 0, write = 0;
        const std::size_t at = run.err.find("import ");
        if (at == std::string::npos ||
            std::sscanf(run.err.c_str() + at, "import %lf s, write %lf s", &import, &write) != 2) {
            state.SkipWithError("no timings in zenthor's output");
            return;
        }
        state.SetIterationTime(run.seconds);
        importSeconds += import;
        writeSeconds += write;
        peakMiB = std::max(peakMiB, run.peakMiB);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["import_s"] = importSeconds / n;
    state.counters["write_s"] = writeSeconds / n;
    state.counters["write/import"] = importSeconds > 0 ? writeSeconds / importSeconds : 0;
    state.counters["peak_MiB"] = peakMiB;
    state.counters["triangles"] = kTriangles;
}

BENCHMARK(BM_ConvertLargeModelToGlb)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    GenerateModel(TheFixture());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheFixture().tree.reset();
    return 0;
}
