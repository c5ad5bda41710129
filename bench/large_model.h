// The large model that a benchmark executable loads, imports or converts: written once into
// a temporary content tree before the first benchmark, removed after the last.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/bench_main.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor::bench {

// Triangles of every large model.
inline constexpr std::uint32_t kLargeModelTriangles = 1000000;

struct LargeModel {
    std::unique_ptr<test::TempContentTree> tree;
    std::string path;
    std::uint64_t fileSize = 0;
};

inline LargeModel& TheLargeModel() {
    static LargeModel model;
    return model;
}

// Runs the benchmarks with TheLargeModel() holding the file that `generate` makes. It is
// made in a child process, so that none of the generator's memory stays in this process's
// heap to flatter what the benchmarks measure.
inline int RunWithLargeModel(int argc, char** argv, const std::function<test::Bytes()>& generate,
                             benchmark::BenchmarkReporter* reporter = nullptr) {
    const auto prepare = [&] {
        LargeModel& model = TheLargeModel();
        model.tree = std::make_unique<test::TempContentTree>();
        model.path = model.tree->Path("models/large.model");
        if (fork() == 0) {
            test::WriteFile(model.path, generate());
            _exit(0);
        }
        wait(nullptr);
        model.fileSize = std::filesystem::file_size(model.path);
        std::printf("generated %s: %llu bytes\n", model.path.c_str(),
                    static_cast<unsigned long long>(model.fileSize));
    };
    return RunBenchmarks(
        argc, argv, prepare, [] { TheLargeModel().tree.reset(); }, reporter);
}

}  // namespace zenthor::bench
