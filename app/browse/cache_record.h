// What a cache folder keeps of one import, as its meta.json: what the import came from
// (the model's real path, the answer to the settings dialog, every file it read or looked
// for with its time and size), how it ended, its report lines, and the size of each file
// it wrote into the folder. A record that does not parse as this form is no record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/browse/dependencies.h"

namespace zenthor {

struct CacheRecord {
    std::filesystem::path model;
    bool lods = false;
    std::string failure;  // why the worker gave no answer; empty when it answered
    std::string report;   // the worker's report lines
    std::vector<Dependency> dependencies;
    // Each file the import wrote, by its name in the folder, and its size.
    std::vector<std::pair<std::string, std::uint64_t>> files;

    bool operator==(const CacheRecord&) const = default;
};

// The record as JSON; any bytes in its paths and texts are kept (bytes_json.h).
std::string FormatCacheRecord(const CacheRecord& record);

// The record `text` holds; nullopt for anything else: not JSON, a field missing or of
// another type, a file name with a '/' or that is "." or "..", or a record of another
// form (an older version of the program's).
std::optional<CacheRecord> ParseCacheRecord(std::string_view text);

}  // namespace zenthor
