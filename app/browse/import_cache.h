// The imports behind `zenthor browse`: each model of the tree imported through the plug-in
// in a worker (as a batch does), once per answer to the settings dialog, and kept in a
// cache folder until a file the import read changes. Several requests for one model wait
// for one import; requests for different models run side by side, up to the workers.
//
// A result is kept by the model's real path, so every name that leads to one file (links,
// a link loop) shares it. Its folder's record (cache_record.h) says what it came from and
// how large its files are; a result whose record or files are not as recorded is imported
// again, and so is one whose folder, or the whole cache folder, was removed meanwhile. A
// failure of the moment is never kept on disk. The folders used longest ago are removed
// past the size bound (cache_usage.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/browse/cache_usage.h"
#include "app/browse/dependencies.h"
#include "app/output/output_format.h"
#include "app/reports/import_report.h"
#include "app/support/keyed_memo.h"
#include "app/workers/report_lines.h"

namespace zenthor {

class BlockingWorkerPool;

// One model's import as the cache keeps it.
struct CachedImport {
    std::filesystem::path model;  // the model's real path
    std::string path;             // relative to the content folder, '/'-separated
    bool lods = false;
    bool imported = false;
    std::string error;  // when not imported
    // A failure of the moment (the time limit, an output that could not be written, a worker
    // that could not start or was killed), or an import that read a file through a link out
    // of the tree: kept on no disk, and imported again when asked for after a few seconds.
    bool provisional = false;
    std::chrono::steady_clock::time_point finished;
    std::optional<MessageBoxText> summary;
    std::vector<ObjectSummary> objects;
    std::uint64_t triangles = 0;
    ImportReport report;
    std::vector<std::string> warnings;
    std::filesystem::path folder;  // the cache folder of this import: view.glb, thumbnail.png
    // Names this result's files apart from any other result of the model, for addresses a
    // browser may keep for good; empty for a result that is not kept.
    std::string version;
    std::vector<Dependency> dependencies;
    // The files of the folder this result relies on, by name, with their sizes.
    std::vector<std::pair<std::string, std::uint64_t>> files;
};

class ImportCache {
public:
    // Models below `root` (resolved); results kept in the folder `cache`, at most `sizeBound`
    // bytes of them besides the newest.
    ImportCache(std::filesystem::path root, std::filesystem::path cache, BlockingWorkerPool& workers,
                double timeLimitSeconds, std::uint64_t sizeBound);

    // The import of `model` (a resolved file below the root), current with the files it
    // read; imports it when needed.
    std::shared_ptr<const CachedImport> Get(const std::filesystem::path& model, bool lods);
    // True when Get would answer at once from memory: the import is kept, current with its
    // files, and not running.
    bool Ready(const std::filesystem::path& model, bool lods);
    // The import of `model` when one is kept and current, in memory or on disk; null when
    // Get would have to import it (or is importing it). Never imports.
    std::shared_ptr<const CachedImport> Peek(const std::filesystem::path& model, bool lods);

    // The model written as `format` (a .glb as it is; .gltf and .obj zipped with their
    // files), made on first request; nullopt with `error` set when that fails.
    std::optional<std::filesystem::path> Download(const CachedImport& cached, OutputFormat format,
                                                  std::string& error);

private:
    std::shared_ptr<const CachedImport> Import(const std::filesystem::path& model, const std::string& relative,
                                               bool lods, const std::string& folderName);
    // The result the folder's record keeps, when it is of this model and still current.
    std::shared_ptr<const CachedImport> Kept(const std::filesystem::path& model, const std::string& relative,
                                             bool lods, const std::filesystem::path& folder) const;
    // Writes the zip at `zipPath` from a fresh import of the model as `format`.
    bool MakeDownload(const CachedImport& cached, OutputFormat format, const std::filesystem::path& zipPath,
                      std::string& error);

    std::filesystem::path m_root;
    std::filesystem::path m_cache;
    BlockingWorkerPool& m_workers;
    double m_timeLimitSeconds;
    CacheUsage m_usage;
    KeyedMemo<std::string, std::shared_ptr<const CachedImport>> m_imports;  // by real path and answer
    KeyedMemo<std::string, bool> m_downloads;                               // by zip file: made or not
};

}  // namespace zenthor
