#include "app/batch_plan.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <system_error>

namespace zenthor {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::vector<BatchTask> PlanBatch(const std::vector<fs::path>& inputs, const fs::path& outDir,
                                 OutputFormat format) {
    std::vector<BatchTask> tasks;
    std::set<fs::path> outputs;
    const auto add = [&](const fs::path& input, const fs::path& relative) {
        BatchTask task;
        task.input = input;
        task.output = (outDir / relative).lexically_normal();
        task.output.replace_extension(Extension(format));
        if (outputs.count(task.output) != 0) {
            task.output = (outDir / relative).lexically_normal();
            task.output += Extension(format);
        }
        if (!outputs.insert(task.output).second) {
            task.problem = "its output " + task.output.string() + " is taken by another file of the batch";
        }
        tasks.push_back(std::move(task));
    };
    for (const fs::path& input : inputs) {
        std::error_code code;
        if (fs::is_directory(input, code)) {
            std::vector<fs::path> files;
            for (fs::recursive_directory_iterator
                     it(input, fs::directory_options::skip_permission_denied, code),
                 end;
                 !code && it != end; it.increment(code)) {
                if (Lower(it->path().extension().string()) == ".model" && it->is_regular_file(code)) {
                    files.push_back(it->path());
                }
            }
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) {
                add(file, file.lexically_relative(input));
            }
            if (code) {
                tasks.push_back({input, {}, "cannot read the folder: " + code.message()});
            }
        } else if (fs::exists(input, code)) {
            add(input, input.filename());
        } else {
            tasks.push_back({input, {}, "no such file or folder"});
        }
    }
    return tasks;
}

}  // namespace zenthor
