#include "app/worker_report.h"

#include <algorithm>
#include <cstdlib>

#include "app/text_encoding.h"

namespace zenthor {

std::string FormatWorkerReport(const WorkerReport& report) {
    std::string text;
    for (const std::string& warning : report.warnings) {
        text += "warning\t" + OneLine(warning) + "\n";
    }
    for (const LogRecord& record : report.log) {
        // A log text keeps its tabs, which separate its fields; only a line break would end the line.
        std::string fields = record.text;
        std::replace(fields.begin(), fields.end(), '\n', ' ');
        text += "log\t" + std::to_string(record.type) + "\t" + OneLine(record.title) + "\t" + fields + "\n";
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
        } else if (kind == "log") {
            const std::size_t titleAt = rest.find('\t');
            const std::size_t textAt = titleAt == std::string::npos ? titleAt : rest.find('\t', titleAt + 1);
            if (textAt != std::string::npos) {
                report.log.push_back({static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10)),
                                      rest.substr(titleAt + 1, textAt - titleAt - 1), rest.substr(textAt + 1)});
            }
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
