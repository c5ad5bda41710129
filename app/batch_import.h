// Batches: many files imported in parallel by long-lived worker processes, file after
// file, with a time limit per file, so a file that crashes or hangs the importer costs only
// its own result (and a fresh worker takes the next file).
#pragma once

#include <filesystem>
#include <vector>

#include "app/output_format.h"
#include "app/texture_store.h"
#include "app/worker_command.h"
#include "app/worker_process.h"

namespace zenthor {

struct BatchOptions {
    // Files are imported as named; folders give every .model below them (see PlanBatch).
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path outDir;  // each output keeps its path relative to the folder named
    OutputFormat format = OutputFormat::Glb;
    // With PNG: each texture decoded once for the whole batch; .gltf and .obj outputs share
    // the PNGs in `outDir`/textures/.
    TextureMode textures = TextureMode::Keep;
    bool includeLods = false;
    unsigned jobs = 1;
    double timeoutSeconds = 300;
    WorkerCommand worker;  // how to start a worker (SelfWorkerCommand)
    // A worker left holding more than this many bytes after a file retires; the next file
    // goes to a fresh one. 0: no limit.
    std::size_t workerMemory = kDefaultWorkerMemory;
    std::filesystem::path reportPath;  // the JSON report; none when empty
    bool strict = false;               // exit 3 when a file imported with something left out
    bool verbose = false;              // name everything left out
};

// Runs the batch; progress on standard error when it is a terminal, one summary line on
// standard output. 0 when every file was imported, 1 otherwise (3 with `strict` when all
// were, but something was left out).
int RunBatch(const BatchOptions& options);

}  // namespace zenthor
