// One import job for a worker: what to import and where to write it, as one line of JSON
// on the worker's job pipe, and the import itself as a worker runs it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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
};

std::string FormatWorkerJob(const WorkerJob& job);
// Nullopt for a line that is not a job.
std::optional<WorkerJob> ParseWorkerJob(std::string_view line);

// Imports the job's file through the plug-in that takes its extension, answering the
// settings dialog from `job.includeLods`, and writes the output. With PNG textures,
// `sharedTextures` is a batch's store; null gives the import a store of its own.
WorkerReport RunWorkerJob(const PluginRegistry& plugins, const WorkerJob& job,
                          TextureStore* sharedTextures = nullptr);

}  // namespace zenthor
