// A batch of 1,000 small sample-like models (the sample model's bytes: three meshes,
// aliases and a reference to a mesh file, with its textures) converted to .glb by the
// zenthor program with --jobs 2, each in a worker process of its own: models per second,
// whole process. The target is at least 200 per second on a 2-core machine.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_main.h"
#include "bench/zenthor_run.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace {

using namespace zenthor::test;

constexpr int kModels = 1000;

std::unique_ptr<TempContentTree>& Tree() {
    static std::unique_ptr<TempContentTree> tree;
    return tree;
}

void GenerateModels() {
    Tree() = std::make_unique<TempContentTree>();
    WriteSampleContent(Tree()->Root());
    const Bytes sample = SampleContentFiles().at("models/sample.model");
    for (int i = 0; i < kModels; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "batch/%02d/model_%04d.model", i / 100, i);
        Tree()->Write(name, sample);
    }
}

void BM_BatchOfSmallModels(benchmark::State& state) {
    const std::string models = Tree()->Path("batch");
    const std::string out = (Tree()->Base() / "out").string();
    double seconds = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(out);
        const zenthor::bench::ZenthorRun run =
            zenthor::bench::RunZenthorProcess({"import", models, "--out-dir", out, "--jobs", "2"});
        if (run.exitCode != 0) {
            state.SkipWithError(("zenthor failed: " + run.err).c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
    }
    state.counters["models/s"] =
        seconds > 0 ? kModels * static_cast<double>(state.iterations()) / seconds : 0;
}

BENCHMARK(BM_BatchOfSmallModels)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return zenthor::bench::RunBenchmarks(argc, argv, GenerateModels, [] { Tree().reset(); });
}
