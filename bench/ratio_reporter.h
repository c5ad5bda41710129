// The console reporter of benchmarks that are read against each other: after the usual
// table it prints the ratios of their real times, measured in the same run.
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
    };

    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the mean stands for the benchmark; medians and spreads do not.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean") {
                continue;
            }
            m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& ratio : m_ratios) {
            const auto top = m_times.find(ratio.numerator);
            const auto bottom = m_times.find(ratio.denominator);
            if (top != m_times.end() && bottom != m_times.end() && bottom->second > 0) {
                std::printf("%s: %.2f\n", ratio.label.c_str(), top->second / bottom->second);
            }
        }
    }

private:
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_times;
};

}  // namespace zenthor::bench
