// zenthor browse under load, as clients see it, each figure beside a floor measured in the
// same run:
// - the first view of the 1,000,000-triangle model: the request for its import (made now,
//   the model just changed) and the download of its view, against the same conversion by
//   `zenthor import` as a whole process;
// - a cached model's answer, eight clients at once, against the page's index file served
//   the same way.
// (What the page then does in a browser is timed by bench/browse_page.mjs.)
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "bench/bench_main.h"
#include "bench/browse_process.h"
#include "tests/support/large_models.h"
#include "bench/zenthor_run.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace zenthor::test;
using namespace zenthor::bench;

constexpr std::uint32_t kTriangles = 1000000;
constexpr int kClients = 8;

struct Fixture {
    std::unique_ptr<TempContentTree> tree;
    std::unique_ptr<BrowseProcess> server;
    std::string model;
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

std::size_t Get(httplib::Client& client, const std::string& target) {
    const httplib::Result result = client.Get(target);
    return result && result->status == 200 ? result->body.size() : 0;
}

void BM_LargeModelFirstView(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    httplib::Client client("127.0.0.1", fixture.server->Port());
    client.set_read_timeout(600, 0);
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A changed file makes the kept import stale.
        fs::last_write_time(fixture.model, fs::file_time_type::clock::now());
        state.ResumeTiming();
        bytes = Get(client, "/api/model?path=models/large.model&lods=0") +
                Get(client, "/api/view?path=models/large.model&lods=0");
    }
    state.counters["view_MiB"] = static_cast<double>(bytes) / (1 << 20);
}

void BM_LargeModelConvertedByImport(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    const std::string output = (fixture.tree->Base() / "large.glb").string();
    for (auto _ : state) {
        RunZenthorProcess({"import", fixture.model, "-o", output, "--yes"});
    }
}

// Requests for `target` from kClients clients at once; items are answers.
void Serve(benchmark::State& state, const std::string& target) {
    Fixture& fixture = TheFixture();
    Get(*std::make_unique<httplib::Client>("127.0.0.1", fixture.server->Port()),
        target);  // made and kept first
    for (auto _ : state) {
        std::atomic<std::int64_t> answered{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c) {
            clients.emplace_back([&] {
                httplib::Client client("127.0.0.1", fixture.server->Port());
                client.set_keep_alive(true);
                for (int i = 0; i < 250; ++i) answered += Get(client, target) > 0;
            });
        }
        for (std::thread& client : clients) client.join();
        state.SetItemsProcessed(state.items_processed() + answered);
    }
}

void BM_CachedModelAnswers(benchmark::State& state) {
    Serve(state, "/api/model?path=models/sample.model&lods=0");
}

void BM_IndexFileAnswers(benchmark::State& state) {
    Serve(state, "/");
}

BENCHMARK(BM_LargeModelFirstView)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeModelConvertedByImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CachedModelAnswers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IndexFileAnswers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(
        argc, argv,
        [] {
            Fixture& fixture = TheFixture();
            fixture.tree = std::make_unique<TempContentTree>();
            WriteSampleContent(fixture.tree->Root());
            fixture.model = fixture.tree->Write("models/large.model", TerrainModel(kTriangles));
            fixture.server = std::make_unique<BrowseProcess>(
                std::vector<std::string>{fixture.tree->Root().string(), "--port", "0", "--cache-dir",
                                         (fixture.tree->Base() / "cache").string(), "--timeout", "600"});
        },
        [] {
            TheFixture().server.reset();
            TheFixture().tree.reset();
        });
}
