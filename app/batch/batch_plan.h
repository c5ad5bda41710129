// A batch's files and where their outputs go.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/output/output_format.h"

namespace zenthor {

// One file of a batch and where its output goes.
struct BatchTask {
    std::filesystem::path input;
    std::filesystem::path output;
    std::string problem;  // set when the file cannot be started at all
    std::string note;     // set when its output was renamed to avoid another file's: says so
};

// The files of a batch in order: folders walked recursively (every .model, letter case
// ignored, in path order), files as named. Each output keeps its path
// relative to the folder named, below `outDir`. Of two inputs that would write the same
// output file the later keeps its source extension in its name ("crate.mesh.glb"), and its
// note names both outputs.
std::vector<BatchTask> PlanBatch(const std::vector<std::filesystem::path>& inputs,
                                 const std::filesystem::path& outDir, OutputFormat format);

}  // namespace zenthor
