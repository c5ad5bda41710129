// What a batch worker tells the batch about its file, as lines on a pipe, each a kind and
// its fields separated by tabs: "warning <text>" and "log <type> <title> <text>" any number
// of times, then "ok <objects> <triangles>" or "error <why>". Texts are made one line
// without tabs, but a log text keeps its tab-separated fields (they escape their own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/import_report.h"

namespace zenthor {

struct WorkerReport {
    std::vector<std::string> warnings;
    std::vector<LogRecord> log;
    bool ok = false;
    std::uint64_t objects = 0;
    std::uint64_t triangles = 0;
    std::string error;  // when not ok; empty when the worker ended before saying why
};

std::string FormatWorkerReport(const WorkerReport& report);
// Reads what a worker wrote; a worker that died part way gives the lines it finished.
WorkerReport ParseWorkerReport(const std::string& text);

}  // namespace zenthor
