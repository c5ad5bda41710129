#include "app/batch/batch_plan.h"

#include <map>
#include <system_error>

#include "app/support/model_files.h"

namespace zenthor {

namespace fs = std::filesystem;

std::vector<BatchTask> PlanBatch(const std::vector<fs::path>& inputs, const fs::path& outDir,
                                 OutputFormat format) {
    std::vector<BatchTask> tasks;
    std::map<fs::path, fs::path> writers;  // output -> the input that writes it
    const auto add = [&](const fs::path& input, const fs::path& relative) {
        BatchTask task;
        task.input = input;
        task.output = (outDir / relative).lexically_normal();
        task.output.replace_extension(Extension(format));
        if (const auto taken = writers.find(task.output); taken != writers.end()) {
            const fs::path wanted = task.output;
            task.output = (outDir / relative).lexically_normal();
            task.output += Extension(format);
            task.note = taken->second.string() + " and " + input.string() + " would both write " +
                        wanted.string() + ": " + taken->second.string() + " writes " + wanted.string() +
                        ", " + input.string() + " writes " + task.output.string();
        }
        if (const auto [taken, added] = writers.emplace(task.output, input); !added) {
            task.problem = "its output " + task.output.string() + " is taken by " + taken->second.string();
            task.note.clear();
        }
        tasks.push_back(std::move(task));
    };
    for (const fs::path& input : inputs) {
        std::error_code code;
        if (fs::is_directory(input, code)) {
            for (const fs::path& file : ModelFilesBelow(input, code)) {
                add(file, file.lexically_relative(input));
            }
            if (code) {
                tasks.push_back({input, {}, "cannot read the folder: " + code.message(), {}});
            }
        } else if (fs::exists(input, code)) {
            add(input, input.filename());
        } else {
            tasks.push_back({input, {}, "no such file or folder", {}});
        }
    }
    return tasks;
}

}  // namespace zenthor
