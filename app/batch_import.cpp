#include "app/batch_import.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>

#include "app/batch_plan.h"
#include "app/dialog_answers.h"
#include "app/pending_file.h"
#include "app/plugin_registry.h"
#include "app/progress_bar.h"
#include "app/run_report.h"
#include "app/single_import.h"
#include "app/worker_pool.h"
#include "app/worker_job.h"
#include "app/worker_report.h"
#include "app/write_all.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using Clock = WorkerPool::Clock;

// The folders that a batch's texture stores share: the PNGs (below the output folder for
// .gltf and .obj outputs, which reference them; in a temporary folder for .glb outputs,
// which carry them) and the claims, in a temporary folder removed when the batch ends.
// Workers end without running destructors, so only the batch itself removes it.
class BatchTextures {
public:
    BatchTextures() = default;
    ~BatchTextures() {
        if (!m_temp.empty()) {
            std::error_code ignored;
            fs::remove_all(m_temp, ignored);
        }
    }
    BatchTextures(const BatchTextures&) = delete;
    BatchTextures& operator=(const BatchTextures&) = delete;

    bool Prepare(const BatchOptions& options, std::string& error) {
        if (options.textures != TextureMode::Png) {
            return true;
        }
        std::error_code code;
        std::string pattern = (fs::temp_directory_path(code) / "zenthor-textures-XXXXXX").string();
        if (code || mkdtemp(pattern.data()) == nullptr) {
            error = "cannot make a temporary folder for the textures: " +
                    (code ? code.message() : std::string(std::strerror(errno)));
            return false;
        }
        m_temp = pattern;
        m_pngs = options.format == OutputFormat::Glb ? m_temp / "png" : options.outDir / "textures";
        m_store.emplace(TextureStore::ForBatch(m_pngs, m_temp / "claims"));
        return true;
    }

    TextureStore* Store() { return m_store ? &*m_store : nullptr; }
    const fs::path& PngFolder() const { return m_pngs; }

private:
    fs::path m_temp;
    fs::path m_pngs;
    std::optional<TextureStore> m_store;  // each worker works on its own copy
};

// The worker: imports one file and reports how it went.
int RunWorker(const PluginRegistry& plugins, const BatchTask& task, const BatchOptions& options,
              TextureStore* textures, int reportFd) {
    const WorkerReport report = RunWorkerJob(
        plugins, {task.input, task.output, options.format, options.includeLods, options.textures, {}}, textures);
    WriteAll(reportFd, FormatWorkerReport(report));
    return report.ok ? 0 : 1;
}

struct Tally {
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t withOmissions = 0;
    std::size_t crashed = 0;
    std::size_t timedOut = 0;
    std::uint64_t objects = 0;
};

// The temporary files of a worker that was stopped while writing.
void RemoveLeftovers(const BatchTask& task, OutputFormat format, const fs::path& pngFolder, pid_t pid) {
    std::error_code ignored;
    fs::remove(PendingFile::TempPathFor(task.output, pid), ignored);
    for (const fs::path& companion : CompanionFiles(task.output, format)) {
        fs::remove(PendingFile::TempPathFor(companion, pid), ignored);
    }
    if (pngFolder.empty()) {
        return;
    }
    std::vector<fs::path> pngs;
    for (auto it = fs::recursive_directory_iterator(pngFolder, ignored); !ignored && it != fs::end(it);
         it.increment(ignored)) {
        if (PendingFile::IsTempPathOf(it->path(), pid)) {
            pngs.push_back(it->path());
        }
    }
    for (const fs::path& png : pngs) {
        fs::remove(png, ignored);
    }
}

// Prints the worker's warnings, what its import left out and, when its file failed, why;
// the file's result joins `results`.
void Conclude(const WorkerPool::Ended& worker, const BatchTask& task, const BatchOptions& options,
              const fs::path& pngFolder, Tally& tally, ProgressBar& progress, std::vector<FileResult>& results) {
    ++tally.done;
    const WorkerReport report = ParseWorkerReport(worker.report);
    for (const std::string& warning : report.warnings) {
        progress.Message("zenthor import: " + task.input.string() + ": warning: " + warning);
    }
    FileResult& result = results.emplace_back();
    result.input = task.input;
    result.output = task.output;
    result.objects = report.objects;
    result.triangles = report.triangles;
    result.warnings = report.warnings;
    result.report = BuildImportReport(report.log);
    if (result.report.LeftOut()) {
        std::ostringstream lines;
        PrintImportReport(lines, result.report, options.verbose, "  ");
        std::string text = lines.str();
        text.pop_back();  // Message ends the line itself
        progress.Message("zenthor import: left out of " + task.input.string() + ":\n" + text);
    }
    if (report.ok) {
        tally.objects += report.objects;
    }
    const int status = worker.status;
    std::string error = report.error;
    if (worker.timedOut) {
        ++tally.timedOut;
        char text[96];
        std::snprintf(text, sizeof text, "the import took longer than %g s and was stopped",
                      options.timeoutSeconds);
        error = text;
    } else if (WIFSIGNALED(status)) {
        ++tally.crashed;
        const int signal = WTERMSIG(status);
        error = "the import crashed (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    } else if (!report.ok && error.empty()) {
        ++tally.crashed;
        error = "the worker ended without a result (exit status " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    } else if (report.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.imported = true;
        tally.withOmissions += result.report.LeftOut() ? 1 : 0;
        return;
    }
    if (worker.timedOut || WIFSIGNALED(status)) {
        RemoveLeftovers(task, options.format, pngFolder, worker.pid);
    }
    ++tally.failed;
    result.error = error;
    progress.Message("zenthor import: " + task.input.string() + ": " + error);
}

void PrintSummary(const Tally& tally, std::size_t files, double seconds) {
    char summary[256];
    std::snprintf(summary, sizeof summary, "zenthor import: %zu of %zu files imported (%llu objects), %zu failed",
                  tally.done - tally.failed, files, static_cast<unsigned long long>(tally.objects),
                  tally.failed);
    std::string line = summary;
    if (tally.crashed + tally.timedOut > 0) {
        line += " (" + std::to_string(tally.crashed) + " crashed, " + std::to_string(tally.timedOut) +
                " timed out)";
    }
    if (tally.withOmissions > 0) {
        line += ", " + std::to_string(tally.withOmissions) + " imported with something left out";
    }
    std::snprintf(summary, sizeof summary, ", %.2f s, %.1f files/s", seconds,
                  seconds > 0 ? static_cast<double>(files) / seconds : 0.0);
    std::cout << line << summary << std::endl;
}

}  // namespace

int RunBatch(const PluginRegistry& plugins, const BatchOptions& options) {
    const std::vector<BatchTask> tasks = PlanBatch(options.inputs, options.outDir, options.format);
    if (tasks.empty()) {
        std::cerr << "zenthor import: no .model file in the folders given\n";
        return 1;
    }
    const auto start = Clock::now();
    std::string error;
    BatchTextures textures;
    if (!textures.Prepare(options, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return 1;
    }
    ProgressBar progress(STDERR_FILENO);
    Tally tally;
    std::vector<FileResult> results;
    WorkerPool pool(options.jobs, std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(options.timeoutSeconds)));
    std::size_t next = 0;
    while (next < tasks.size() || !pool.Empty()) {
        while (!pool.Full() && next < tasks.size()) {
            const std::size_t index = next++;
            const BatchTask& task = tasks[index];
            if (!task.note.empty()) {
                progress.Message("zenthor import: " + task.note);
            }
            if (!task.problem.empty()) {
                ++tally.done;
                ++tally.failed;
                results.push_back({task.input, task.output, false, task.problem, 0, 0, {}, {}});
                progress.Message("zenthor import: " + task.input.string() + ": " + task.problem);
                continue;
            }
            const auto work = [&](int reportFd) {
                return RunWorker(plugins, task, options, textures.Store(), reportFd);
            };
            if (!pool.Start(index, work, error)) {
                std::cerr << "zenthor import: " << error << "\n";
                return 1;
            }
        }
        progress.Update(tally.done, tasks.size(), tally.failed);
        // The bar is redrawn now and then while the workers run.
        std::optional<Clock::time_point> redraw;
        if (progress.Active()) {
            redraw = Clock::now() + std::chrono::milliseconds(200);
        }
        std::vector<WorkerPool::Ended> ended;
        if (!pool.Wait(redraw, ended, error)) {
            std::cerr << "zenthor import: " << error << "\n";
            return 1;
        }
        for (const WorkerPool::Ended& worker : ended) {
            Conclude(worker, tasks[worker.task], options, textures.PngFolder(), tally, progress, results);
        }
    }
    progress.Finish();
    PrintSummary(tally, tasks.size(), std::chrono::duration<double>(Clock::now() - start).count());
    if (!options.reportPath.empty() && !WriteRunReport(options.reportPath, results, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return 1;
    }
    if (tally.failed > 0) {
        return 1;
    }
    return options.strict && tally.withOmissions > 0 ? 3 : 0;
}

}  // namespace zenthor
