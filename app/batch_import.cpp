#include "app/batch_import.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <sstream>
#include <system_error>

#include "app/dialog_answers.h"
#include "app/pending_file.h"
#include "app/plugin_registry.h"
#include "app/progress_bar.h"
#include "app/single_import.h"
#include "app/text_encoding.h"
#include "app/write_all.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The test hook of RunBatch (see batch_import.h); several faults are separated by ';'.
void ApplyTestFault(const fs::path& input) {
    const char* faults = std::getenv("ZENTHOR_WORKER_FAULT");
    if (faults == nullptr) {
        return;
    }
    std::istringstream list(faults);
    for (std::string fault; std::getline(list, fault, ';');) {
        const std::size_t colon = fault.find(':');
        if (colon == std::string::npos || input.filename() != fault.substr(colon + 1)) {
            continue;
        }
        const std::string kind = fault.substr(0, colon);
        if (kind == "crash") {
            signal(SIGSEGV, SIG_DFL);  // past any handler a sanitizer installed
            raise(SIGSEGV);
        } else if (kind == "hang") {
            for (;;) {
                pause();
            }
        }
    }
}

// The worker: imports one file and reports on `reportFd`, one line each, tab-separated:
// "warning <text>" any number of times, then "ok <objects> <triangles>" or "error <why>".
[[noreturn]] void RunWorker(const PluginRegistry& plugins, const BatchTask& task, const BatchOptions& options,
                            int reportFd) {
    ApplyTestFault(task.input);
    std::string report;
    int status = 1;
    try {
        SceneImport* importer = plugins.FindImporter(task.input);
        if (importer == nullptr) {
            report = "error\tno plug-in imports " + task.input.extension().string() + " files\n";
        } else {
            FlagUiBackend backend(options.includeLods, nullptr);
            const ImportOutcome outcome = ImportAndWrite(*importer, {task.input, task.output, options.format},
                                                         backend, [&backend] { return backend.Report(); });
            for (const std::string& warning : outcome.warnings) {
                report += "warning\t" + OneLine(warning) + "\n";
            }
            switch (outcome.result) {
                case ImportOutcome::Result::Written:
                    report += "ok\t" + std::to_string(outcome.objects) + "\t" +
                              std::to_string(outcome.triangles) + "\n";
                    status = 0;
                    break;
                case ImportOutcome::Result::Cancelled:
                    report += "error\tthe settings dialog was closed\n";
                    break;
                case ImportOutcome::Result::ImportFailed:
                case ImportOutcome::Result::WriteFailed:
                    report += "error\t" + OneLine(outcome.error) + "\n";
                    break;
            }
        }
    } catch (const std::exception& e) {
        report += "error\t" + OneLine(e.what()) + "\n";
    }
    WriteAll(reportFd, report);
    // No exit handlers: they belong to the parent's state, not to this copy of it.
    _exit(status);
}

struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::size_t task = 0;
    Clock::time_point deadline;
    std::string report;
};

struct Tally {
    std::size_t done = 0;
    std::size_t failed = 0;
    std::size_t crashed = 0;
    std::size_t timedOut = 0;
    std::uint64_t objects = 0;
};

void RemoveLeftovers(const BatchTask& task, pid_t pid) {
    std::error_code ignored;
    fs::remove(PendingFile::TempPathFor(task.output, pid), ignored);
    fs::path mtl = task.output;
    mtl.replace_extension(".mtl");
    fs::remove(PendingFile::TempPathFor(mtl, pid), ignored);
}

// Reads what the worker reported and how it ended; prints its failure or warnings.
void Conclude(const Worker& worker, const BatchTask& task, int status, bool timedOut,
              const BatchOptions& options, Tally& tally, ProgressBar& progress) {
    ++tally.done;
    std::string error;
    bool ok = false;
    std::istringstream lines(worker.report);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab);
        const std::string rest = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (kind == "warning") {
            progress.Message("zenthor import: " + task.input.string() + ": warning: " + rest);
        } else if (kind == "error") {
            error = rest;
        } else if (kind == "ok") {
            ok = true;
            tally.objects += std::strtoull(rest.c_str(), nullptr, 10);
        }
    }
    if (timedOut) {
        ++tally.timedOut;
        char text[96];
        std::snprintf(text, sizeof text, "the import took longer than %g s and was stopped",
                      options.timeoutSeconds);
        error = text;
    } else if (WIFSIGNALED(status)) {
        ++tally.crashed;
        const int signal = WTERMSIG(status);
        error = "the import crashed (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    } else if (!ok && error.empty()) {
        ++tally.crashed;
        error = "the worker ended without a result (exit status " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    } else if (ok && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return;
    }
    if (timedOut || WIFSIGNALED(status)) {
        RemoveLeftovers(task, worker.pid);
    }
    ++tally.failed;
    progress.Message("zenthor import: " + task.input.string() + ": " + error);
}

}  // namespace

std::vector<BatchTask> PlanBatch(const BatchOptions& options) {
    std::vector<BatchTask> tasks;
    std::set<fs::path> outputs;
    const auto add = [&](const fs::path& input, const fs::path& relative) {
        BatchTask task;
        task.input = input;
        task.output = (options.outDir / relative).lexically_normal();
        task.output.replace_extension(Extension(options.format));
        if (outputs.count(task.output) != 0) {
            task.output = (options.outDir / relative).lexically_normal();
            task.output += Extension(options.format);
        }
        if (!outputs.insert(task.output).second) {
            task.problem = "its output " + task.output.string() + " is taken by another file of the batch";
        }
        tasks.push_back(std::move(task));
    };
    for (const fs::path& input : options.inputs) {
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

int RunBatch(const PluginRegistry& plugins, const BatchOptions& options) {
    const std::vector<BatchTask> tasks = PlanBatch(options);
    if (tasks.empty()) {
        std::cerr << "zenthor import: no .model file in the folders given\n";
        return 1;
    }
    const auto start = Clock::now();
    ProgressBar progress(STDERR_FILENO);
    Tally tally;
    std::vector<Worker> running;
    std::size_t next = 0;
    const unsigned jobs = std::max(1u, options.jobs);
    const auto timeout =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.timeoutSeconds));

    while (next < tasks.size() || !running.empty()) {
        while (running.size() < jobs && next < tasks.size()) {
            const std::size_t index = next++;
            if (!tasks[index].problem.empty()) {
                ++tally.done;
                ++tally.failed;
                progress.Message("zenthor import: " + tasks[index].input.string() + ": " +
                                 tasks[index].problem);
                continue;
            }
            int fds[2];
            if (pipe2(fds, O_CLOEXEC) != 0) {
                std::cerr << "zenthor import: cannot start a worker: " << std::strerror(errno) << "\n";
                return 1;
            }
            std::cout.flush();
            std::cerr.flush();
            const pid_t pid = fork();
            if (pid == 0) {
                close(fds[0]);
                RunWorker(plugins, tasks[index], options, fds[1]);
            }
            close(fds[1]);
            if (pid < 0) {
                close(fds[0]);
                std::cerr << "zenthor import: cannot start a worker: " << std::strerror(errno) << "\n";
                return 1;
            }
            running.push_back({pid, fds[0], index, Clock::now() + timeout, {}});
        }
        progress.Update(tally.done, tasks.size(), tally.failed);
        if (running.empty()) {
            continue;
        }

        // Wait for a report, an end or the nearest deadline; the bar is redrawn now and then.
        auto wake = std::min_element(running.begin(), running.end(), [](const Worker& a, const Worker& b) {
                        return a.deadline < b.deadline;
                    })->deadline;
        if (progress.Active()) {
            wake = std::min(wake, Clock::now() + std::chrono::milliseconds(200));
        }
        const auto waitMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
        std::vector<pollfd> polls;
        for (const Worker& worker : running) {
            polls.push_back({worker.fd, POLLIN, 0});
        }
        const int ready =
            poll(polls.data(), polls.size(), static_cast<int>(std::clamp<long long>(waitMs + 1, 0, 60000)));
        if (ready < 0 && errno != EINTR) {
            std::cerr << "zenthor import: " << std::strerror(errno) << "\n";
            return 1;
        }

        std::vector<Worker> still;
        for (std::size_t i = 0; i < running.size(); ++i) {
            Worker& worker = running[i];
            bool ended = false;
            if (polls[i].revents != 0) {
                char buffer[4096];
                const ssize_t n = read(worker.fd, buffer, sizeof buffer);
                if (n > 0) {
                    worker.report.append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    ended = true;  // the worker closed its end: it has exited
                }
            }
            const bool late = !ended && Clock::now() >= worker.deadline;
            if (late) {
                kill(worker.pid, SIGKILL);
            }
            if (ended || late) {
                int status = 0;
                while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
                }
                close(worker.fd);
                Conclude(worker, tasks[worker.task], status, late, options, tally, progress);
            } else {
                still.push_back(std::move(worker));
            }
        }
        running = std::move(still);
    }
    progress.Finish();

    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "zenthor import: %zu of %zu files imported (%llu objects), %zu failed",
                  tally.done - tally.failed, tasks.size(), static_cast<unsigned long long>(tally.objects),
                  tally.failed);
    std::string line = summary;
    if (tally.crashed + tally.timedOut > 0) {
        line += " (" + std::to_string(tally.crashed) + " crashed, " + std::to_string(tally.timedOut) +
                " timed out)";
    }
    std::snprintf(summary, sizeof summary, ", %.2f s, %.1f files/s", seconds,
                  seconds > 0 ? static_cast<double>(tasks.size()) / seconds : 0.0);
    std::cout << line << summary << std::endl;
    return tally.failed == 0 && !tasks.empty() ? 0 : 1;
}

}  // namespace zenthor
