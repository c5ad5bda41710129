// What a worker tells its parent about one job, as lines on a pipe, each a kind and its
// fields joined as the host log joins them (tab-separated, tabs, line breaks and
// backslashes inside a field escaped): "warning <text>", "log <type> <title> <text>",
// "box <title> <text>" and "object <name> <material> <triangles> <texture>" any number of
// times, then "ok <objects> <triangles>" or "error <why>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/import_report.h"

namespace zenthor {

// One scene object as the import made it.
struct ObjectSummary {
    std::string name;
    std::string material;
    std::uint64_t triangles = 0;
    std::string texture;  // the texture file the output references; empty for none
};

// A message box the importer showed.
struct MessageBoxText {
    std::string title;
    std::string text;
};

struct WorkerReport {
    std::vector<std::string> warnings;
    std::vector<LogRecord> log;
    std::vector<MessageBoxText> boxes;
    std::vector<ObjectSummary> objectList;
    bool ok = false;
    std::uint64_t objects = 0;
    std::uint64_t triangles = 0;
    std::string error;  // when not ok; empty when the worker ended before saying why
};

std::string FormatWorkerReport(const WorkerReport& report);
// Reads what a worker wrote; a worker that died part way gives the lines it finished.
WorkerReport ParseWorkerReport(const std::string& text);

}  // namespace zenthor
