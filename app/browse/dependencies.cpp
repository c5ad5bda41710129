#include "app/browse/dependencies.h"

#include <chrono>
#include <system_error>

namespace zenthor {

namespace fs = std::filesystem;

std::vector<Dependency> StatDependencies(const std::vector<fs::path>& paths) {
    std::vector<Dependency> dependencies;
    for (const fs::path& path : paths) {
        Dependency dependency{path, -1, -1};
        std::error_code error;
        const auto time = fs::last_write_time(path, error);
        if (!error) {
            dependency.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
            const auto size = fs::file_size(path, error);
            dependency.size = error ? -1 : static_cast<std::int64_t>(size);
        }
        dependencies.push_back(std::move(dependency));
    }
    return dependencies;
}

bool DependenciesUnchanged(const std::vector<Dependency>& recorded) {
    std::vector<fs::path> paths;
    for (const Dependency& dependency : recorded) paths.push_back(dependency.path);
    const std::vector<Dependency> now = StatDependencies(paths);
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i].modified != recorded[i].modified || now[i].size != recorded[i].size) {
            return false;
        }
    }
    return true;
}

}  // namespace zenthor
