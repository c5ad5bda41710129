#include "app/worker_report.h"

#include <cstdlib>

#include "app/text_encoding.h"

namespace zenthor {

std::string FormatWorkerReport(const WorkerReport& report) {
    std::string text;
    for (const std::string& warning : report.warnings) {
        text += "warning\t" + OneLine(warning) + "\n";
    }
    if (report.ok) {
        text += "ok\t" + std::to_string(report.objects) + "\t" + std::to_string(report.triangles) + "\n";
    } else {
        text += "error\t" + OneLine(report.error) + "\n";
    }
    return text;
}

WorkerReport ParseWorkerReport(const std::string& text) {
    WorkerReport report;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab);
        const std::string rest = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (kind == "warning") {
            report.warnings.push_back(rest);
        } else if (kind == "error") {
            report.error = rest;
        } else if (kind == "ok") {
            char* triangles = nullptr;
            report.ok = true;
            report.objects = std::strtoull(rest.c_str(), &triangles, 10);
            report.triangles = std::strtoull(triangles, nullptr, 10);
        }
    }
    return report;
}

}  // namespace zenthor
