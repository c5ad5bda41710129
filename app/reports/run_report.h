// The JSON report of a run of `zenthor import` (--report FILE.json): one entry per file,
// single imports and batches alike, and the run's totals.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/reports/import_report.h"

namespace zenthor {

struct FileResult {
    std::filesystem::path input;
    std::filesystem::path output;
    bool imported = false;
    std::string error;  // why, when not imported
    std::uint64_t objectCount = 0;
    std::uint64_t triangles = 0;
    std::vector<std::string> warnings;  // what the writer changed
    ImportReport report;
};

// Writes the report atomically; false with `error` set when that fails.
bool WriteRunReport(const std::filesystem::path& path, const std::vector<FileResult>& files, std::string& error);

}  // namespace zenthor
