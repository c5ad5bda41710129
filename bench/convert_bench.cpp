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

#include "bench/large_model.h"
#include "bench/zenthor_run.h"
#include "tests/support/large_models.h"

namespace {

using namespace zenthor::test;
using namespace zenthor::bench;

void BM_ConvertLargeModelToGlb(benchmark::State& state) {
    const LargeModel& model = TheLargeModel();
    const std::string output = (model.tree->Base() / "large.glb").string();
    double importSeconds = 0, writeSeconds = 0, peakMiB = 0;
    for (auto _ : state) {
        const zenthor::bench::ZenthorRun run =
            zenthor::bench::RunZenthorProcess({"import", model.path, "-o", output, "--yes", "--timings"});
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
    state.counters["triangles"] = kLargeModelTriangles;
}

BENCHMARK(BM_ConvertLargeModelToGlb)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return zenthor::bench::RunWithLargeModel(argc, argv,
                                             [] { return UnweldedTriangleModel(kLargeModelTriangles); });
}
