// The console reporter of benchmarks that are read against each other: after the usual
// table it prints the ratios of their real times, or of a counter they both set (a size),
// measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zenthor::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Ratio {
        std::string label;
        std::string numerator;  // benchmark function names
        std::string denominator;
        std::string counter = {};  // empty: real time
    };

    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // A skipped benchmark has no figures to compare.
            if (run.error_occurred) {
                continue;
            }
            // With repetitions, the mean stands for the benchmark; medians and spreads do not.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") {
                continue;
            }
            std::map<std::string, double>& values = m_values[run.run_name.function_name];
            values[""] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters) {
                values[name] = counter.value;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& ratio : m_ratios) {
            const double top = Value(ratio.numerator, ratio.counter);
            const double bottom = Value(ratio.denominator, ratio.counter);
            if (top >= 0 && bottom > 0) {
                std::printf("%s: %.2f\n", ratio.label.c_str(), top / bottom);
            }
        }
    }

private:
    // -1 when the benchmark did not run or has no such counter.
    double Value(const std::string& benchmark, const std::string& counter) const {
        const auto run = m_values.find(benchmark);
        if (run == m_values.end()) {
            return -1;
        }
        const auto value = run->second.find(counter);
        return value == run->second.end() ? -1 : value->second;
    }

    std::vector<Ratio> m_ratios;
    std::map<std::string, std::map<std::string, double>> m_values;  // benchmark, counter ("": time)
};

}  // namespace zenthor::bench
