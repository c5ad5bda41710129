// Loading a large model: 1,000,000 triangles stored as 3,000,000 static vertices in mesh
// entries of at most 65,535 vertices (indices are 16-bit), about 100 MB on disk, read into
// the in-memory model. Measured against writing the same number of output bytes into
// freshly allocated arrays of the same sizes, in the same run; the closing line gives the
// ratio. Peak memory is reported as the model's arrays plus the mapping, and as the
// process's peak resident size.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/large_model.h"
#include "bench/ratio_reporter.h"
#include "model/zenthor_model.h"
#include "tests/support/large_models.h"

namespace {

using namespace zenthor;
using namespace zenthor::test;
using namespace zenthor::bench;

// Vertices of each mesh entry as the loader reads them; indices are as many.
const std::vector<std::uint32_t>& EntryVertices() {
    static const std::vector<std::uint32_t> counts = [] {
        CZenthorModel model;
        model.LoadFromFile(TheLargeModel().path, false);
        std::vector<std::uint32_t> made;
        for (int i = 0; i < model.GetMeshCount(); ++i) made.push_back(model.GetMesh(i)->vertexCount);
        return made;
    }();
    return counts;
}

std::uint64_t OutputBytes() {
    std::uint64_t bytes = 0;
    for (std::uint32_t count : EntryVertices()) {
        bytes += std::uint64_t{count} * sizeof(ModelVertex) + std::uint64_t{count} * sizeof(std::uint16_t);
    }
    return bytes;
}

// The process's peak resident size (VmHWM), after ResetPeakResident() when it worked.
long PeakResidentKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    }
    long kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kib;
}

// Sets the peak back to the current resident size, so that what ran before does not count.
void ResetPeakResident() {
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

long ResidentKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long kib = 0;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1) {
            break;
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return kib;
}

void BM_LoadLargeModel(benchmark::State& state) {
    const LargeModel& fixture = TheLargeModel();
    ResetPeakResident();
    const long residentBefore = ResidentKiB();
    std::uint64_t arrays = 0;
    for (auto _ : state) {
        CZenthorModel model;
        if (!model.LoadFromFile(fixture.path, false)) {
            state.SkipWithError("the generated model did not load");
            return;
        }
        arrays = 0;
        for (int i = 0; i < model.GetMeshCount(); ++i) {
            const ModelMesh& mesh = *model.GetMesh(i);
            arrays +=
                std::uint64_t{mesh.vertexCount} * sizeof(ModelVertex) + std::uint64_t{mesh.indexCount} * 2;
        }
        benchmark::DoNotOptimize(model.GetMesh(0)->vertices[0].normal[2]);
    }
    const double mib = 1024.0 * 1024.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.fileSize));
    state.counters["file_MiB"] = static_cast<double>(fixture.fileSize) / mib;
    state.counters["arrays_MiB"] = static_cast<double>(arrays) / mib;
    state.counters["peak_arrays+mapping_MiB"] = static_cast<double>(arrays + fixture.fileSize) / mib;
    state.counters["peak_rss_growth_MiB"] = static_cast<double>(PeakResidentKiB() - residentBefore) / 1024.0;
}

// The reference: the same output bytes, in arrays of the same sizes, freshly allocated
// and written once.
void BM_WriteSameBytes(benchmark::State& state) {
    const std::vector<std::uint32_t>& entryVertices = EntryVertices();
    for (auto _ : state) {
        std::vector<std::unique_ptr<ModelVertex[]>> vertices;
        std::vector<std::unique_ptr<std::uint16_t[]>> indices;
        for (std::uint32_t count : entryVertices) {
            vertices.push_back(std::make_unique_for_overwrite<ModelVertex[]>(count));
            std::memset(vertices.back().get(), 0x3F, std::size_t{count} * sizeof(ModelVertex));
            indices.push_back(std::make_unique_for_overwrite<std::uint16_t[]>(count));
            std::memset(indices.back().get(), 0x01, std::size_t{count} * sizeof(std::uint16_t));
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(vertices.back()[0].uv[0]);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * OutputBytes()));
}

BENCHMARK(BM_LoadLargeModel)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_WriteSameBytes)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter(
        {{"load / write-same-bytes (target at most 1.3)", "BM_LoadLargeModel", "BM_WriteSameBytes"}});
    return RunWithLargeModel(
        argc, argv, [] { return UnweldedTriangleModel(kLargeModelTriangles); }, &reporter);
}
