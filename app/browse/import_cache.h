// The imports behind `zenthor browse`: each model of the tree imported through the plug-in
// in a worker (as a batch does), once per answer to the settings dialog, and kept in a
// cache folder until a file the import read changes. Several requests for one model wait
// for one import; requests for different models run side by side, up to the workers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/browse/dependencies.h"
#include "app/output/output_format.h"
#include "app/reports/import_report.h"
#include "app/support/keyed_memo.h"
#include "app/workers/report_lines.h"

namespace zenthor {

class BlockingWorkerPool;

// One model's import as the cache keeps it.
struct CachedImport {
    std::filesystem::path model;  // the resolved file
    std::string path;             // relative to the content folder, '/'-separated
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

class ImportCache {
public:
    // `cache` is the folder results are kept in.
    ImportCache(std::filesystem::path cache, BlockingWorkerPool& workers, double timeLimitSeconds);

    // The import of `model` (a resolved file below the root, named `relative`), current
    // with the files it read; imports it when needed.
    std::shared_ptr<const CachedImport> Get(const std::filesystem::path& model, const std::string& relative,
                                            bool lods);

    // The model written as `format` (a .glb as it is; .gltf and .obj zipped with their
    // files), made on first request; nullopt with `error` set when that fails.
    std::optional<std::filesystem::path> Download(const CachedImport& cached, OutputFormat format,
                                                  std::string& error);

private:
    std::shared_ptr<const CachedImport> Import(const std::filesystem::path& model, const std::string& relative,
                                               bool lods, const std::filesystem::path& folder);
    // Writes the zip at `zipPath` from a fresh import of the model as `format`.
    bool MakeDownload(const CachedImport& cached, OutputFormat format, const std::filesystem::path& zipPath,
                      std::string& error);

    std::filesystem::path m_cache;
    BlockingWorkerPool& m_workers;
    double m_timeLimitSeconds;
    KeyedMemo<std::string, std::shared_ptr<const CachedImport>> m_imports;  // by path and answer
    KeyedMemo<std::string, bool> m_downloads;                               // by zip file: made or not
};

}  // namespace zenthor
