// The options of `zenthor import`, filled from the command line and passed down whole: to
// the single import, or to a batch, which gives each file the same request with its own
// input and output.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "app/hosting/host_import.h"
#include "app/workers/worker_loop.h"

namespace zenthor {

struct ImportOptions {
    // Files are imported as named; folders give every .model below them (see PlanBatch).
    std::vector<std::filesystem::path> inputs;
    // Every file's settings; with -o, also the one output.
    ImportRequest request;
    // A batch's output folder: each output keeps its path relative to the folder named.
    // With PNG textures, .gltf and .obj outputs share the PNGs in its textures/.
    std::filesystem::path outDir;
    bool yes = false;  // answer the settings dialog without asking
    unsigned jobs = 0;  // workers at once; 0: one per core
    double timeoutSeconds = 300;
    // A batch's worker left holding more than this many bytes after a file retires; the
    // next file goes to a fresh one. 0: no limit.
    std::size_t workerMemory = kDefaultWorkerMemory;
    bool timings = false;
    std::filesystem::path reportPath;  // the JSON report; none when empty
    bool strict = false;               // exit 3 when a file imported with something left out
    bool verbose = false;              // name everything left out
};

}  // namespace zenthor
