#include "app/batch_plan.h"

#include <algorithm>
#include <cctype>
#include <map>
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
