// The files an import depended on, as they were: a changed time or size, or a file
// appearing or going, makes the import stale.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zenthor {

struct Dependency {
    std::filesystem::path path;
    std::int64_t modified = -1;  // nanoseconds; -1 when the file did not exist
    std::int64_t size = -1;

    bool operator==(const Dependency&) const = default;
};

// The files as they are on disk now.
std::vector<Dependency> StatDependencies(const std::vector<std::filesystem::path>& paths);
bool DependenciesUnchanged(const std::vector<Dependency>& recorded);

}  // namespace zenthor
