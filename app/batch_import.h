// Batches: many files imported in parallel, each in a worker process of its own with a
// time limit, so a file that crashes or hangs the importer costs only its own result.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/output_format.h"

namespace zenthor {

class PluginRegistry;

struct BatchOptions {
    // Files are imported as named (.model or .mesh); folders give every .model below them.
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path outDir;  // each output keeps its path relative to the folder named
    OutputFormat format = OutputFormat::Glb;
    bool includeLods = false;
    unsigned jobs = 1;
    double timeoutSeconds = 300;
};

// One file of a batch and where its output goes.
struct BatchTask {
    std::filesystem::path input;
    std::filesystem::path output;
    std::string problem;  // set when the file cannot be started at all
};

// The files of a batch in order: folders walked recursively (every .model, letter case
// ignored, in path order), files as named. Two inputs that would write the same output
// file keep their source extension in its name ("crate.mesh.glb").
std::vector<BatchTask> PlanBatch(const BatchOptions& options);

// Runs the batch; progress on standard error when it is a terminal, one summary line on
// standard output. 0 when every file was imported, 1 otherwise.
//
// Test hook, honoured only by worker processes: ZENTHOR_WORKER_FAULT="crash:NAME" makes
// the worker for the file named NAME die by a signal, "hang:NAME" makes it wait forever;
// several are separated by ';'.
int RunBatch(const PluginRegistry& plugins, const BatchOptions& options);

}  // namespace zenthor
