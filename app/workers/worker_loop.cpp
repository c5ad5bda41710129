#include "app/workers/worker_loop.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <thread>

#include "app/hosting/answering_ui_backend.h"
#include "app/hosting/plugin_registry.h"
#include "app/output/output_caches.h"
#include "app/support/write_all.h"
#include "app/workers/job_line.h"
#include "app/workers/report_lines.h"
#include "app/workers/worker_protocol.h"

namespace zenthor {
namespace {

// The process's resident size in bytes, from /proc; 0 when unknown.
std::size_t ResidentBytes() {
    char text[128];
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd < 0 ? -1 : read(fd, text, sizeof text - 1);
    if (fd >= 0) {
        close(fd);
    }
    if (n <= 0) {
        return 0;
    }
    text[n] = '\0';
    unsigned long long size = 0;
    unsigned long long resident = 0;
    if (std::sscanf(text, "%llu %llu", &size, &resident) != 2) {
        return 0;
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// True when the process holds more than `limit` bytes. Freed memory goes back first, so
// only what the process really holds counts; that is done only past the limit, as giving
// memory back after every job costs more than many small jobs themselves.
bool Exceeds(std::size_t limit) {
    // The peak resident size costs one call, not a file to read: below the limit, the
    // present size is too.
    rusage usage{};
    if (limit == 0 || (getrusage(RUSAGE_SELF, &usage) == 0 &&
                       static_cast<std::size_t>(usage.ru_maxrss) * 1024 <= limit)) {
        return false;
    }
    if (ResidentBytes() <= limit) {
        return false;
    }
    malloc_trim(0);
    return ResidentBytes() > limit;
}

// Imports the job's file through the plug-in that takes its extension, answering the
// settings dialog from the job, and writes the output.
WorkerReport RunJob(const PluginRegistry& plugins, const ImportRequest& job, OutputCaches& caches) {
    WorkerReport report;
    try {
        SceneImport* importer = plugins.FindImporter(job.input);
        if (importer == nullptr) {
            report.error = "no plug-in imports " + job.input.extension().string() + " files";
            return report;
        }
        AnsweringUiBackend backend(job.includeLods, nullptr);
        const ImportOutcome outcome =
            ImportAndWrite(*importer, job, backend, [&backend] { return backend.Report(); }, caches);
        for (const platform::MessageBoxView& box : backend.MessageBoxes()) {
            report.boxes.push_back({box.title, box.text});
        }
        report.objects = outcome.objects;
        report.warnings = outcome.warnings;
        report.log = outcome.log;
        report.ok = outcome.result == ImportOutcome::Result::Written;
        report.objectCount = outcome.objects.size();
        report.triangles = outcome.triangles;
        report.error = outcome.error;
        report.writeFailed = outcome.result == ImportOutcome::Result::WriteFailed;
    } catch (const std::exception& e) {
        report.error = e.what();
    }
    return report;
}

// Ends the process as soon as nothing can write to its job pipe: the parent has closed
// its end or has died, however (SIGKILL included), even before this runs. A thread of its
// own sees it in the middle of an import too. The parent's death signal is not used: it
// comes when the thread that started the worker ends, not the parent process.
void EndWithParent() {
    std::thread([] {
        pollfd pipe{kJobFd, 0, 0};  // POLLHUP is reported unasked
        while (poll(&pipe, 1, -1) < 0 && errno == EINTR) {
        }
        _exit(0);
    }).detach();
}

}  // namespace

int ServeWorkerJobs(const PluginRegistry& plugins, std::size_t memoryLimit) {
    EndWithParent();
    // Kept from job to job, so that a texture is converted and decoded at most once.
    OutputCaches caches;
    std::string pending;
    char buffer[16384];
    for (;;) {
        const std::size_t newline = pending.find('\n');
        if (newline == std::string::npos) {
            const ssize_t n = read(kJobFd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return 0;  // no more jobs
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        const std::optional<ImportRequest> job = ParseWorkerJob(std::string_view(pending).substr(0, newline));
        pending.erase(0, newline + 1);
        WorkerReport report;
        if (!job) {
            report.error = "the worker was sent a job it cannot read";
        } else {
            report = RunJob(plugins, *job, caches);
        }
        const bool retire = Exceeds(memoryLimit);
        WriteAll(kReportFd,
                 FormatWorkerReport(report) + (retire ? std::string(kRetireLine) : "") + std::string(kEndLine));
        if (retire) {
            return 0;
        }
    }
}

}  // namespace zenthor
