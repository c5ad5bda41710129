#include "app/workers/report_lines.h"

#include <algorithm>
#include <cstdlib>

#include "host/import_log.h"

namespace zenthor {

using import_log::JoinFields;
using import_log::SplitFields;

std::string FormatWorkerReport(const WorkerReport& report) {
    std::string text;
    const auto line = [&text](std::initializer_list<std::string_view> fields) { text += JoinFields(fields) + "\n"; };
    for (const std::string& warning : report.warnings) {
        line({"warning", warning});
    }
    for (const LogRecord& record : report.log) {
        line({"log", std::to_string(record.type), record.title, record.text});
    }
    for (const MessageBoxText& box : report.boxes) {
        line({"box", box.title, box.text});
    }
    for (const ObjectSummary& object : report.objects) {
        line({"object", object.name, object.material, std::to_string(object.triangles), object.texture});
    }
    if (report.ok) {
        line({"ok", std::to_string(report.objectCount), std::to_string(report.triangles)});
    } else if (report.writeFailed) {
        line({"error", report.error, "write"});
    } else {
        line({"error", report.error});
    }
    return text;
}

WorkerReport ParseWorkerReport(const std::string& text) {
    WorkerReport report;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> f = SplitFields(std::string_view(text).substr(start, end - start));
        f.resize(std::max<std::size_t>(f.size(), 5));
        const std::string& kind = f[0];
        const auto number = [](const std::string& field) { return std::strtoull(field.c_str(), nullptr, 10); };
        if (kind == "warning") {
            report.warnings.push_back(f[1]);
        } else if (kind == "log") {
            report.log.push_back({static_cast<DWORD>(number(f[1])), f[2], f[3]});
        } else if (kind == "box") {
            report.boxes.push_back({f[1], f[2]});
        } else if (kind == "object") {
            report.objects.push_back({f[1], f[2], number(f[3]), f[4]});
        } else if (kind == "error") {
            report.error = f[1];
            report.writeFailed = f[2] == "write";
        } else if (kind == "ok") {
            report.ok = true;
            report.objectCount = number(f[1]);
            report.triangles = number(f[2]);
        }
    }
    return report;
}

}  // namespace zenthor
