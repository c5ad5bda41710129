// The imports behind `zenthor browse`: each model of the tree imported through the plug-in
// in a worker (as a batch does), once per answer to the settings dialog, and kept in a
// cache folder until a file the import read changes. Several requests for one model wait
// for one import; requests for different models run side by side, up to the workers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/import_report.h"
#include "app/output_format.h"
#include "app/worker_report.h"

namespace zenthor {

class WorkerService;

// One file an import depended on, as it was: a changed time or size, or a file appearing
// or going, makes the import stale.
struct Dependency {
    std::filesystem::path path;
    std::int64_t modified = -1;  // nanoseconds; -1 when the file did not exist
    std::int64_t size = -1;
};

struct ModelView {
    std::string path;  // relative to the content folder, '/'-separated
    bool lods = false;
    bool imported = false;
    std::string error;  // when not imported
    std::optional<MessageBoxText> summary;
    std::vector<ObjectSummary> objects;
    std::uint64_t triangles = 0;
    ImportReport report;
    std::vector<std::string> warnings;
    std::filesystem::path folder;  // the cache folder of this import: view.glb, thumbnail.png
    std::vector<Dependency> dependencies;
};

class ModelLibrary {
public:
    // `root` is the resolved content folder; `cache` the folder results are kept in.
    ModelLibrary(std::filesystem::path root, std::filesystem::path cache, WorkerService& workers,
                 double timeLimitSeconds);

    // The import of `model` (a resolved file below the root, named `relative`), current
    // with the files it read; imports it when needed.
    std::shared_ptr<const ModelView> Get(const std::filesystem::path& model, const std::string& relative, bool lods);

    // The model written as `format` (a .glb as it is; .gltf and .obj zipped with their
    // files), made on first request; nullopt with `error` set when that fails.
    std::optional<std::filesystem::path> Download(const ModelView& view, const std::filesystem::path& model,
                                                  OutputFormat format, std::string& error);

private:
    struct Slot {
        std::shared_ptr<const ModelView> done;
        std::shared_future<std::shared_ptr<const ModelView>> pending;
    };

    std::shared_ptr<const ModelView> Import(const std::filesystem::path& model, const std::string& relative,
                                            bool lods, const std::filesystem::path& folder);

    std::filesystem::path m_root;
    std::filesystem::path m_cache;
    WorkerService& m_workers;
    double m_timeLimitSeconds;
    std::mutex m_mutex;
    std::map<std::string, Slot> m_slots;
    std::map<std::string, std::shared_future<bool>> m_downloads;
};

// The dependencies as they are on disk now.
std::vector<Dependency> StatDependencies(const std::vector<std::filesystem::path>& paths);
bool DependenciesUnchanged(const std::vector<Dependency>& recorded);

}  // namespace zenthor
