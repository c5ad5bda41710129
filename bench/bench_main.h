// The main of a benchmark executable whose benchmarks need data made first.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>

namespace zenthor::bench {

// Runs the benchmarks asked for on the command line: `prepare` makes their data before
// the first, `cleanUp` removes it after the last; `reporter`, when given, shows the results.
inline int RunBenchmarks(int argc, char** argv, const std::function<void()>& prepare,
                         const std::function<void()>& cleanUp,
                         benchmark::BenchmarkReporter* reporter = nullptr) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    prepare();
    if (reporter != nullptr) {
        benchmark::RunSpecifiedBenchmarks(reporter);
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    cleanUp();
    return 0;
}

}  // namespace zenthor::bench
