// One import job for a worker: what to import and where to write it, as one line of JSON
// on the worker's job pipe, and the import itself as a worker runs it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/output_format.h"
#include "app/texture_store.h"
#include "app/worker_report.h"

namespace zenthor {

class PluginRegistry;

struct WorkerJob {
    std::filesystem::path input;
    std::filesystem::path output;
    OutputFormat format = OutputFormat::Glb;
    bool includeLods = false;  // the answer to the settings dialog
    TextureMode textures = TextureMode::Keep;
    std::filesystem::path thumbnail;  // also draw the scene into this PNG; none when empty
    // A batch's PNG and claims folders (see TextureStore::ForBatch): with PNG textures the
    // worker converts into these, sharing each texture with the batch's other workers;
    // empty gives the import a store of its own.
    std::filesystem::path pngFolder;
    std::filesystem::path claims;
};

std::string FormatWorkerJob(const WorkerJob& job);
// Nullopt for a line that is not a job.
std::optional<WorkerJob> ParseWorkerJob(std::string_view line);

// Imports the job's file through the plug-in that takes its extension, answering the
// settings dialog from `job.includeLods`, and writes the output. With PNG textures,
// `sharedTextures` is the store of the job's batch folders; null gives the import a store
// of its own.
WorkerReport RunWorkerJob(const PluginRegistry& plugins, const WorkerJob& job,
                          TextureStore* sharedTextures = nullptr);

// A worker's texture stores, one for each pair of batch folders it was sent, kept from job
// to job so that a texture is converted at most once per worker process.
class WorkerTextureStores {
public:
    // The store for `job`'s batch folders; null when the job has none.
    TextureStore* For(const WorkerJob& job);

private:
    std::map<std::pair<std::filesystem::path, std::filesystem::path>, TextureStore> m_stores;
};

}  // namespace zenthor
