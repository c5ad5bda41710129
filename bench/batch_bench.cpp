// Batches converted by the zenthor program with --jobs 2, its long-lived workers importing
// file after file: models per second, whole process.
//
// BatchOfSmallModels: 1,000 small sample-like models (the sample model's bytes: three
// meshes, aliases and a reference to a mesh file, with its 4x4 textures) to .glb. The
// target is at least 1,500 per second on a 2-core machine. Each iteration also runs the
// first 100 of the models with a worker process per file (--worker-memory 1K: every worker
// retires after its file), untimed; "x process per file" is the first rate over the
// second, both measured in the same iterations so that the load of a shared machine weighs
// on both alike. With ZENTHOR_PEER_EXE naming another build of zenthor (an earlier one,
// say), "x peer program" is the rate over that program's on the same 1,000 models.
//
// BatchTextures: the same batch to .glb and .gltf with --textures keep (the floor) and
// png, and 200 of the models with 1024x1024 DXT5 textures to .gltf, where decoding matters.
// "PNG writes/texture" counts the PNG files written into the shared textures folder per
// texture: 1 when each texture is decoded once per batch, not once per file. "CPU ms/model"
// is the processor time of the program and its workers per model, steadier than the wall
// time on a machine that others share.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_main.h"
#include "bench/zenthor_run.h"
#include "tests/support/dds_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"
#include "tests/support/write_watch.h"

namespace {

using namespace zenthor::test;
namespace fs = std::filesystem;

constexpr int kModels = 1000;
constexpr int kModelsWithLargeTextures = 200;
constexpr int kTextures = 3;  // stone, crate, cloth
constexpr int kModelsPerFolder = 100;

struct Trees {
    TempContentTree small;
    TempContentTree large;
};

std::unique_ptr<Trees>& TheTrees() {
    static std::unique_ptr<Trees> trees;
    return trees;
}

void WriteModels(TempContentTree& tree, int count) {
    const Bytes sample = SampleContentFiles().at("models/sample.model");
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "batch/%02d/model_%04d.model", i / kModelsPerFolder, i);
        tree.Write(name, sample);
    }
}

void GenerateModels() {
    TheTrees() = std::make_unique<Trees>();
    WriteSampleContent(TheTrees()->small.Root());
    WriteModels(TheTrees()->small, kModels);
    TempContentTree& large = TheTrees()->large;
    WriteSampleContent(large.Root());
    for (const char* texture :
         {"textures/stone.2048.dds", "textures/crate.1024.dds", "textures/cloth.512.dds"}) {
        large.Write(texture, MakeDds(kDxt5, TestImage(1024, 1024)));
    }
    WriteModels(large, kModelsWithLargeTextures);
}

// Another run of a batch in each iteration, for a ratio measured in the same run: with
// another program, another folder or other arguments.
struct Peer {
    std::string counter;
    std::string program;
    std::string folder;
    int models = 0;
    std::vector<std::string> extra;
    double seconds = 0;
};

// The batch of the folder `in` into `out` with `extra` after the arguments; false with the
// benchmark told why when it fails.
bool RunOnce(benchmark::State& state, const std::string& program, const std::string& in, const fs::path& out,
             const std::vector<std::string>& extra, zenthor::bench::ZenthorRun& run) {
    std::vector<std::string> args{"import", in, "--out-dir", out.string(), "--jobs", "2"};
    args.insert(args.end(), extra.begin(), extra.end());
    run = zenthor::bench::RunZenthorProcess(args, program);
    if (run.exitCode != 0) {
        state.SkipWithError((program + " failed: " + run.err).c_str());
        return false;
    }
    return true;
}

// Runs the batch of `tree` as often as the benchmark asks; `extra` follows the arguments.
// Each of `peers` runs before it in every iteration; its counter is the batch's rate over
// the peer's.
void RunBatch(benchmark::State& state, TempContentTree& tree, int models,
              const std::vector<std::string>& extra, std::vector<Peer> peers = {}) {
    double seconds = 0;
    double cpuSeconds = 0;
    int pngWrites = 0;
    const std::string program = zenthor::bench::ZenthorProgram();
    // Every run writes a folder of its own, all removed at the end: removing a run's
    // thousand files just before the next would have the file system step over the
    // freshly freed inodes when it makes each new file, for a while after (a quarter of
    // the batch's time), which is not what a batch into a new folder meets.
    std::vector<fs::path> outs;
    const auto freshOut = [&] {
        outs.push_back(tree.Base() / ("out-" + std::to_string(outs.size())));
        return outs.back();
    };
    for (auto _ : state) {
        zenthor::bench::ZenthorRun run;
        for (Peer& peer : peers) {
            if (!RunOnce(state, peer.program, tree.Path(peer.folder), freshOut(), peer.extra, run)) {
                return;
            }
            peer.seconds += run.seconds;
        }
        const fs::path out = freshOut();
        WriteWatch pngs(out / "textures");
        if (!RunOnce(state, program, tree.Path("batch"), out, extra, run)) {
            return;
        }
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        cpuSeconds += run.cpuSeconds;
        for (const auto& [name, writes] : pngs.Written()) pngWrites += writes;
    }
    for (const fs::path& out : outs) {
        fs::remove_all(out);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["models/s"] = seconds > 0 ? models * iterations / seconds : 0;
    state.counters["CPU ms/model"] = 1000 * cpuSeconds / (models * iterations);
    state.counters["PNG writes/texture"] = pngWrites / (kTextures * iterations);
    for (const Peer& peer : peers) {
        state.counters[peer.counter] = seconds > 0 ? (models / seconds) / (peer.models / peer.seconds) : 0;
    }
}

void BM_BatchOfSmallModels(benchmark::State& state) {
    std::vector<Peer> peers{{"x process per file",
                             zenthor::bench::ZenthorProgram(),
                             "batch/00",
                             kModelsPerFolder,
                             {"--worker-memory", "1K"}}};
    if (const char* peer = std::getenv("ZENTHOR_PEER_EXE")) {
        peers.push_back({"x peer program", peer, "batch", kModels, {}});
    }
    RunBatch(state, TheTrees()->small, kModels, {}, std::move(peers));
}

void BM_BatchTextures(benchmark::State& state, const char* format, const char* textures, bool large) {
    RunBatch(state, large ? TheTrees()->large : TheTrees()->small, large ? kModelsWithLargeTextures : kModels,
             {"--format", format, "--textures", textures});
}

BENCHMARK(BM_BatchOfSmallModels)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, glb_keep, "glb", "keep", false)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, glb_png, "glb", "png", false)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, gltf_keep, "gltf", "keep", false)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, gltf_png, "gltf", "png", false)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, large_gltf_keep, "gltf", "keep", true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_BatchTextures, large_gltf_png, "gltf", "png", true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return zenthor::bench::RunBenchmarks(argc, argv, GenerateModels, [] { TheTrees().reset(); });
}
