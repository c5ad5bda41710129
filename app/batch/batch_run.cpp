#include "app/batch/batch_run.h"

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

#include "app/batch/batch_plan.h"
#include "app/output/scene_writers.h"
#include "app/reports/run_report.h"
#include "app/reports/wording.h"
#include "app/support/exit_codes.h"
#include "app/support/pending_file.h"
#include "app/terminal/progress_bar.h"
#include "app/workers/async_worker_pool.h"
#include "app/workers/report_lines.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using Clock = AsyncWorkerPool::Clock;

// The folders that a batch's workers convert textures into: the PNGs (below the output
// folder for .gltf and .obj outputs, which reference them; in a temporary folder for .glb
// outputs, which carry them) and the claims, in a temporary folder removed when the batch
// ends. Each worker keeps a texture store over the two folders for the whole batch.
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

    bool Prepare(const ImportOptions& options, std::string& error) {
        if (options.request.textures != TextureMode::Png) {
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
        m_pngs = options.request.format == OutputFormat::Glb ? m_temp / "png" : options.outDir / "textures";
        return true;
    }

    const fs::path& PngFolder() const { return m_pngs; }
    fs::path ClaimsFolder() const { return m_temp.empty() ? fs::path() : m_temp / "claims"; }

private:
    fs::path m_temp;
    fs::path m_pngs;
};

struct Tally {
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t withOmissions = 0;
    std::size_t crashed = 0;
    std::size_t timedOut = 0;
    std::uint64_t objectCount = 0;
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
// the result is the file's.
void Conclude(const WorkerRun& run, const BatchTask& task, const ImportOptions& options,
              const fs::path& pngFolder, Tally& tally, ProgressBar& progress,
              FileResult& result) {
    ++tally.done;
    const WorkerReport report = ParseWorkerReport(run.report);
    for (const std::string& warning : report.warnings) {
        progress.Message("zenthor import: " + task.input.string() + ": warning: " + warning);
    }
    result.input = task.input;
    result.output = task.output;
    result.objectCount = report.objectCount;
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
        tally.objectCount += report.objectCount;
    }
    const bool crashed = run.end == WorkerRun::End::Crashed;
    std::string error = report.error;
    if (run.end == WorkerRun::End::TimedOut) {
        ++tally.timedOut;
        error = DescribeWorkerFailure(run, options.timeoutSeconds);
    } else if (crashed && (WIFSIGNALED(run.status) || error.empty())) {
        ++tally.crashed;
        error = DescribeWorkerFailure(run, options.timeoutSeconds);
    } else if (report.ok && !crashed) {
        result.imported = true;
        tally.withOmissions += result.report.LeftOut() ? 1 : 0;
        return;
    }
    if (run.end == WorkerRun::End::TimedOut || (crashed && WIFSIGNALED(run.status))) {
        RemoveLeftovers(task, options.request.format, pngFolder, run.pid);
    }
    ++tally.failed;
    result.error = error;
    progress.Message("zenthor import: " + task.input.string() + ": " + error);
}

// The batch's end: the files that failed and why (the first few; all when verbose), the
// level-of-detail files the setting skipped, then the counts and the time.
void PrintEnd(const std::vector<FileResult>& results, const Tally& tally, bool verbose, double seconds) {
    std::vector<const FileResult*> failed;
    std::size_t lodFiles = 0;
    std::size_t lodSkipped = 0;
    for (const FileResult& result : results) {
        if (!result.imported) {
            failed.push_back(&result);
        }
        const std::size_t skipped = result.report.LevelOfDetailSkipped().size();
        lodSkipped += skipped;
        lodFiles += skipped > 0 ? 1 : 0;
    }
    if (!failed.empty()) {
        std::cerr << "zenthor import: " << Plural(failed.size(), "file", "files") << " failed:\n";
        const std::size_t shown = verbose ? failed.size() : std::min(failed.size(), kNamesShown);
        for (std::size_t i = 0; i < shown; ++i) {
            std::cerr << "  " << failed[i]->input.string() << ": " << failed[i]->error << "\n";
        }
        if (shown < failed.size()) {
            std::cerr << "  and " << failed.size() - shown << " more (--verbose lists all)\n";
        }
    }
    if (lodSkipped > 0) {
        std::cerr << "zenthor import: " << Plural(lodSkipped, "level-of-detail file", "level-of-detail files")
                  << " skipped in " << Plural(lodFiles, "model", "models") << "; --include-lods loads them\n";
    }
    char summary[256];
    std::snprintf(summary, sizeof summary, "zenthor import: %zu of %zu files imported (%llu objects), %zu failed",
                  results.size() - failed.size(), results.size(), static_cast<unsigned long long>(tally.objectCount),
                  failed.size());
    std::string line = summary;
    if (tally.crashed + tally.timedOut > 0) {
        line += " (" + std::to_string(tally.crashed) + " crashed, " + std::to_string(tally.timedOut) +
                " timed out)";
    }
    if (tally.withOmissions > 0) {
        line += ", " + std::to_string(tally.withOmissions) + " imported with something left out";
    }
    std::snprintf(summary, sizeof summary, ", %.2f s", seconds);
    std::cout << line << summary << std::endl;
}

}  // namespace

int RunBatch(const ImportOptions& options, const WorkerCommand& worker) {
    const std::vector<BatchTask> tasks = PlanBatch(options.inputs, options.outDir, options.request.format);
    if (tasks.empty()) {
        std::cerr << "zenthor import: no .model file in the folders given\n";
        return kExitFailure;
    }
    const auto start = Clock::now();
    std::string error;
    BatchTextures textures;
    if (!textures.Prepare(options, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return kExitFailure;
    }
    ProgressBar progress(STDERR_FILENO);
    Tally tally;
    std::vector<FileResult> results(tasks.size());  // in the batch's order, whatever order files end in
    WorkerCommand quietWorker = worker;
    quietWorker.args.insert(quietWorker.args.end(),
                            {"--quiet-plugins", "--worker-memory", std::to_string(options.workerMemory)});
    AsyncWorkerPool pool(
        quietWorker, options.jobs,
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.timeoutSeconds)));
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
                results[index] = {task.input, task.output, false, task.problem, 0, 0, {}, {}};
                progress.Message("zenthor import: " + task.input.string() + ": " + task.problem);
                continue;
            }
            ImportRequest job = options.request;
            job.input = task.input;
            job.output = task.output;
            job.pngFolder = textures.PngFolder();
            job.claims = textures.ClaimsFolder();
            pool.Start(index, job);
        }
        progress.Update(tally.done, tasks.size(), tally.failed);
        // The bar is redrawn now and then while the workers run.
        std::optional<Clock::time_point> redraw;
        if (progress.Active()) {
            redraw = Clock::now() + std::chrono::milliseconds(200);
        }
        std::vector<AsyncWorkerPool::Ended> ended;
        pool.Wait(redraw, ended);
        for (const AsyncWorkerPool::Ended& job : ended) {
            if (job.run.end == WorkerRun::End::StartFailed) {
                std::cerr << "zenthor import: " << job.run.error << "\n";
                return kExitFailure;
            }
            Conclude(job.run, tasks[job.task], options, textures.PngFolder(), tally, progress, results[job.task]);
        }
    }
    progress.Finish(tally.done, tasks.size(), tally.failed);
    PrintEnd(results, tally, options.verbose, std::chrono::duration<double>(Clock::now() - start).count());
    if (!options.reportPath.empty() && !WriteRunReport(options.reportPath, results, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return kExitFailure;
    }
    if (tally.failed > 0) {
        return kExitFailure;
    }
    return options.strict && tally.withOmissions > 0 ? kExitLeftOut : kExitSuccess;
}

}  // namespace zenthor
