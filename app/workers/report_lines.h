// What a worker tells its parent about one job, as lines on a pipe, each a kind and its
// fields joined as the host log joins them (tab-separated, tabs, line breaks and
// backslashes inside a field escaped): "warning <text>", "log <type> <title> <text>",
// "box <title> <text>" and "object <name> <material> <triangles> <texture>" any number of
// times, then "ok <objects> <triangles>", or "error <why>" ("error <why> write" when the
// import itself went well and writing its output failed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/hosting/host_import.h"
#include "app/reports/import_report.h"

namespace zenthor {

// A message box the importer showed.
struct MessageBoxText {
    std::string title;
    std::string text;
};

struct WorkerReport {
    std::vector<std::string> warnings;
    std::vector<LogRecord> log;
    std::vector<MessageBoxText> boxes;
    std::vector<ObjectSummary> objects;
    bool ok = false;
    std::uint64_t objectCount = 0;
    std::uint64_t triangles = 0;
    std::string error;  // when not ok; empty when the worker ended before saying why
    bool writeFailed = false;  // not ok because the output could not be written
};

std::string FormatWorkerReport(const WorkerReport& report);
// Reads what a worker wrote; a worker that died part way gives the lines it finished.
WorkerReport ParseWorkerReport(const std::string& text);

}  // namespace zenthor
